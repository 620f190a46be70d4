// The tools' dialogs: the attributes dialog with one file (its attributes and times shown) and with several
// (every box in the third state, which leaves an attribute as it is), and the timestamp options with the
// choices that depend on each other.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "date_checks.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/packed_date.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/resource_library.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/system_functions.h"
#include "program_fixture.h"
#include "program_state_scope.h"
#include "shell/attributes_tool.h"
#include "shell/timestamp_options.h"
#include "support/dialog_action.h"
#include "views/items_view.h"
#include "window_image.h"

namespace {

uint64_t Value(const FILETIME& time) { return FileTimeToUInt64(time); }

WIN32_FILE_ATTRIBUTE_DATA OnDisk(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data;
}

class AttributesDialog : public ProgramFixture {
 protected:
  // Selects the rows from `first` to `last` only.
  void SelectRows(int first, int last) {
    Gui([&] {
      ItemsViewSelectItems(g_app->fileList, -1, 0);
      for (int i = first; i <= last; ++i) ItemsViewSelectItems(g_app->fileList, i, 1);
    });
  }

  // Shows the dialog from the program's window; `action` ends it.
  int Show(std::function<void(HWND)> action) {
    int started = 0;
    Gui([&] {
      DialogAction acting(std::move(action));
      started = ShowAttributesDialog(window_);
    });
    return started;
  }
};

}  // namespace

TEST_F(AttributesDialog, OneFileShowsItsAttributesAndTimes) {
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {}));
  const std::wstring path = FilesFolder() + L"\\a.txt";
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  SendMessageW(window_, WM_COMMAND, IDM_RELOAD_LIST, 0);
  ASSERT_TRUE(WaitFor([] { return g_app->busyCounter == 0 && ItemStoreCount(&g_app->fileList->rows) == 2; }));
  SelectRows(0, 0);
  const WIN32_FILE_ATTRIBUTE_DATA disk = OnDisk(path);
  EXPECT_EQ(Show([&](HWND dialog) {
              EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FILTER_HIDDEN), BST_CHECKED);
              EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FILTER_READ_ONLY), BST_UNCHECKED);
              EXPECT_TRUE(IsDialogItemShown(dialog, IDC_FILTER_ENCRYPTED));
              EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_ENCRYPTED)));
              SYSTEMTIME shown = {};
              SYSTEMTIME local = {};
              DateTime_GetSystemtime(GetDlgItem(dialog, IDC_FILTER_UPPER_TIME), &shown);
              UtcFileTimeToLocalSystemTime(&disk.ftLastWriteTime, &local);
              EXPECT_EQ(shown.wHour * 3600 + shown.wMinute * 60 + shown.wSecond,
                        local.wHour * 3600 + local.wMinute * 60 + local.wSecond);
              UpdateWindow(dialog);
              SaveScreenPicture(dialog, L"attributes_dialog.png");
              PressDialogButton(dialog, IDCANCEL);
            }),
            0);
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Close(), 0);
}

TEST_F(AttributesDialog, SeveralFilesStartInTheThirdStateWhichLeavesAnAttributeAsItIs) {
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {}));
  const std::wstring a = FilesFolder() + L"\\a.txt";
  const std::wstring b = FilesFolder() + L"\\b.txt";
  SetFileAttributesW(a.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  const uint64_t aWritten = Value(OnDisk(a).ftLastWriteTime);
  const uint64_t bWritten = Value(OnDisk(b).ftLastWriteTime);
  SelectRows(0, 1);
  EXPECT_EQ(Show([](HWND dialog) {
              for (int box : {IDC_FILTER_ARCHIVE, IDC_FILTER_READ_ONLY, IDC_FILTER_HIDDEN, IDC_FILTER_SYSTEM})
                EXPECT_EQ(IsDlgButtonChecked(dialog, box), BST_INDETERMINATE) << box;
              EXPECT_FALSE(IsDialogItemShown(dialog, IDC_FILTER_ENCRYPTED) || IsDialogItemShown(dialog, IDC_ATTRIBUTES_ACCESSED_DATE));
              // No empty band where the access time's row was: the group ends within one row of the last shown
              // row, and the buttons follow it.
              const int row = DialogItemRect(dialog, IDC_ATTRIBUTES_ACCESSED_DATE).top -
                              DialogItemRect(dialog, IDC_FILTER_UPPER_DATE).top;
              const RECT group = DialogItemRect(dialog, IDC_ATTRIBUTES_TIMES_GROUP);
              EXPECT_LT(group.bottom - DialogItemRect(dialog, IDC_ATTRIBUTES_MODIFIED_CHECK).bottom, row);
              const RECT ok = DialogItemRect(dialog, 99);
              RECT client = {};
              GetClientRect(dialog, &client);
              EXPECT_GT(ok.top, group.bottom);
              EXPECT_LT(client.bottom - ok.bottom, row);
              ClickDialogBox(dialog, IDC_FILTER_READ_ONLY, BST_CHECKED);
              ClickDialogBox(dialog, IDC_ATTRIBUTES_MODIFIED_CHECK, BST_CHECKED);
              SelectDialogComboItem(dialog, IDC_FILTER_UPPER_DATE_UNIT, 5);  // days
              EXPECT_TRUE(IsDialogItemShown(dialog, IDC_FILTER_UPPER_COUNT));
              EXPECT_FALSE(IsDialogItemShown(dialog, IDC_FILTER_UPPER_DATE));
              // Typed: a count field takes a minus sign, so times can move back.
              SetDlgItemTextW(dialog, IDC_FILTER_UPPER_COUNT, L"");
              for (wchar_t key : {L'-', L'2'}) SendDlgItemMessageW(dialog, IDC_FILTER_UPPER_COUNT, WM_CHAR, key, 0);
              PressDialogButton(dialog, 99);
            }),
            1);
  ASSERT_TRUE(WaitUntilIdle());
  const uint64_t twoDays = 2 * 86400 * kFileTimeUnitsPerSecond;
  EXPECT_EQ(OnDisk(a).dwFileAttributes & 0x7, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(OnDisk(b).dwFileAttributes & 0x7, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Value(OnDisk(a).ftLastWriteTime), aWritten - twoDays);
  EXPECT_EQ(Value(OnDisk(b).ftLastWriteTime), bWritten - twoDays);
  char stored[256] = "";
  Gui([&] { ProfileGetString(&g_settingsStore, "QVRX", "Attr", "", stored, 256); });
  EXPECT_STREQ(stored, "+;-;dZ-2");
  for (const std::wstring& path : {a, b}) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Close(), 0);
}

TEST(TimestampOptionDialog, TheTimeBoxesDecideWhatCanBeCopiedAndTheBoxesGiveTheBits) {
  ProgramStateScope state;
  const ResourceLibrary* library = LoadResourceLibrary();
  ASSERT_NE(library, nullptr);
  state->uiStrings = library->languages[0].table;
  InitCommonControlClasses();
  uint32_t options = kTimestampFromMail | 0x1000;
  DialogAction acting([](HWND dialog) {
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_TIMESTAMPS_MODIFIED), BST_CHECKED) << "no time chosen is none";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TIMESTAMPS_OTHER_TIME)));
    EXPECT_EQ(DialogItemText(dialog, IDC_TIMESTAMPS_OTHER_TIME), L"The other time");
    ClickDialogBox(dialog, IDC_TIMESTAMPS_CREATION, BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_TIMESTAMPS_OTHER_TIME)));
    ClickDialogBox(dialog, IDC_TIMESTAMPS_MODIFIED, BST_UNCHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TIMESTAMPS_OTHER_TIME)));
    EXPECT_EQ(DialogItemText(dialog, IDC_TIMESTAMPS_OTHER_TIME), L"The modification time");
    ClickDialogBox(dialog, IDC_TIMESTAMPS_MAIL, BST_UNCHECKED);
    ClickDialogBox(dialog, IDC_TIMESTAMPS_EXIF, BST_CHECKED);
    SelectDialogComboItem(dialog, IDC_TIMESTAMPS_EXIF_DATE, 3);
    ClickDialogBox(dialog, IDC_TIMESTAMPS_DOS, BST_CHECKED);
    UpdateWindow(dialog);
    SaveScreenPicture(dialog, L"timestamp_options.png");
    PressDialogButton(dialog, 99);
  });
  ASSERT_EQ(ShowTimestampOptionsDialog(nullptr, &options), 1);
  EXPECT_EQ(options, 0x1000 | kTimestampSetCreation | kTimestampFromExif | 3 | kTimestampRoundToDos);
}
