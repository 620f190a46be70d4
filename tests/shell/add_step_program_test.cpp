// The real program adding a step as a user does: Edit > Add step > Numbering, the settings typed into the
// step's dialog, OK, and the rename run numbering the folder's files on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/ui/module_dialog_ids.h"
#include "foundation/ui/command_ids.h"
#include "program_on_folder.h"
#include "remote_program.h"
#include "support/process_driver.h"
#include "support/system_input.h"

namespace {

// The numbering module's place in the module menu, which lists the modules in their order.
constexpr int kNumberingMenuPlace = 2;
constexpr int kMenuAttempts = 3;

using AddStepInteractive = ProgramOnFolder;

bool IsShown(HWND window) { return IsWindowVisible(window) != FALSE; }

HWND ShownMenu(const ProcessDriver& driver) { return FindProcessWindow(driver.ProcessId(), L"#32768", IsShown); }

std::wstring TitleOf(HWND window) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  return title;
}

// Alt+E until the Edit menu drops down. A window that has just been clicked may still take the X server's
// focus event, on which Wine reads the keyboard back from the server and forgets an injected Alt: the E then
// reaches the list as a plain key and the lone Alt release leaves only the menu bar chosen, which Escape ends.
HWND DropDownEditMenu(const ProcessDriver& driver) {
  constexpr int kAttempts = 3;
  constexpr int kPolls = 100;
  constexpr DWORD kPollMs = 20;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    PressKey('E', MOD_ALT);
    for (int poll = 0; poll < kPolls; ++poll) {
      if (HWND menu = ShownMenu(driver)) return menu;
      Sleep(kPollMs);
    }
    PressKey(VK_ESCAPE);
  }
  return nullptr;
}

// Edit > Add step > the module at `place` of the module menu, by keys; the dialog that opened, or null. The
// module menu opens at the mouse pointer, and Wine's move for the pointer now inside it may take the
// selection back off an item between two keys: the caller checks which dialog opened.
HWND AddStepThroughTheMenus(const ProcessDriver& driver, int place) {
  const HWND editMenu = DropDownEditMenu(driver);
  if (!editMenu) return nullptr;
  // Add step closes the Edit menu and drops the module menu down in its place; keys sent before it shows
  // would reach the list.
  PressKey(VK_RETURN);
  if (!WaitUntil([&] {
        const HWND menu = ShownMenu(driver);
        return menu != nullptr && menu != editMenu;
      })) {
    return nullptr;
  }
  for (int i = 0; i <= place; ++i) PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  HWND dialog = nullptr;
  WaitUntil([&] { return (dialog = FindProcessWindow(driver.ProcessId(), L"#32770", IsShown)) != nullptr; });
  return dialog;
}

// Cancel takes the new step out of the chain again.
void CancelDialog(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  WaitUntil([&] { return !IsWindow(dialog); });
}

}  // namespace

TEST_F(AddStepInteractive, NumberingAddedThroughTheMenuAndItsDialogNumbersTheFilesOnDisk) {
  // An unchecked step keeps the program from offering the module menu by itself at start.
  const std::wstring files =
      Prepare({L"a.txt", L"b.txt", L"c.txt"}, "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=-<Case,n,2>\r\n");
  ProgramRun run(copy_, files);
  const HWND window = run.Window();
  ASSERT_NE(window, nullptr);
  RemoteList list(run.Process(), GetDlgItem(window, kFileListId));
  ASSERT_TRUE(run.WaitForRows(3));

  // A click makes the program the window that takes the keys.
  ASSERT_TRUE(ClickIntoFocus(GetDlgItem(window, kFileListId)));
  HWND dialog = nullptr;
  std::wstring wrongDialogs;
  for (int attempt = 0; attempt < kMenuAttempts && !dialog; ++attempt) {
    dialog = AddStepThroughTheMenus(run.Driver(), kNumberingMenuPlace);
    if (dialog && GetDlgItem(dialog, IDC_ENUM_START) == nullptr) {
      wrongDialogs += L" \"" + TitleOf(dialog) + L"\"";
      CancelDialog(dialog);
      dialog = nullptr;
    }
  }
  ASSERT_NE(dialog, nullptr) << "the numbering dialog did not open; opened instead:" << wrongDialogs.c_str();
  ASSERT_TRUE(TypeOver(GetDlgItem(dialog, IDC_ENUM_START), L"5"));
  ASSERT_TRUE(TypeOver(GetDlgItem(dialog, IDC_ENUM_WIDTH), L"3"));
  ClickWindow(GetDlgItem(dialog, IDC_MODULE_OK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));

  const Names numbered = {L"005a.txt", L"006b.txt", L"007c.txt"};
  ASSERT_TRUE(WaitUntil([&] { return list.Column(kNewNameColumn) == numbered; }));
  ASSERT_TRUE(SendUntil(window, IDM_START_RENAMING, [&] { return FilesIn(files) == numbered; }));
  EXPECT_EQ(run.Close(), 0);
}
