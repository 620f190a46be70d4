// The filter dialog on its resource template: what it shows comes back unchanged through OK, edits reach the
// record only through OK, the date rows show what their unit needs; saving the filter's text.
#include "views/filter_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "filter_checks.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/win32/system_functions.h"
#include "program_state_scope.h"
#include "support/dialog_action.h"
#include "support/temp_folder.h"

namespace {

const UiStringRecord kDialogTexts[] = {{-1, L"US"}, {2313, L"Within the last"}, {0, nullptr}};

class FilterDialog : public testing::Test {
 protected:
  FilterDialog() {
    state_.UseTexts(kDialogTexts);
    InitCommonControlClasses();
  }

  // Shows the dialog on the record; `action` ends it with one of the buttons.
  int Run(FilterRecord* record, std::function<void(HWND)> action) {
    DialogAction acting(std::move(action));
    return ShowFilterDialog(nullptr, record);
  }

  ProgramStateScope state_;
};

WORD PickedHour(HWND dialog, int id) {
  SYSTEMTIME time = {};
  DateTime_GetSystemtime(GetDlgItem(dialog, id), &time);
  return time.wHour;
}

std::string Packed(uint64_t utc) {
  const FILETIME time = UInt64ToFileTime(utc);
  return std::to_string(FileTimeToPackedDateTime(&time));
}

}  // namespace

TEST_F(FilterDialog, OkGivesBackWhatItShowed) {
  const std::string texts[] = {
      "c;aRh;+*.txt;dZ3;lK10;-*.bak",
      "r;aDCe;\"+a*;b*\";dD" + Packed(Utc(2023, 7, 1, 12)) + ";lB0;-x*;dT" + Packed(Utc(1980, 1, 2, 8, 30)) + ";lG2",
      "+;dL13;-;dY2",
      "",
  };
  for (const std::string& text : texts) {
    FilterRecord record = Parsed(text.c_str());
    const std::string shown = Formatted(record);
    EXPECT_EQ(Run(&record, [](HWND dialog) { PressDialogButton(dialog, IDC_FILTER_OK); }), 1);
    EXPECT_EQ(Formatted(record), shown) << text;
  }
}

TEST_F(FilterDialog, EditsReachTheRecordOnlyThroughOk) {
  const auto edit = [](HWND dialog, int button) {
    SetDlgItemTextW(dialog, IDC_FILTER_INCLUDE, L"*.doc");
    ClickDialogBox(dialog, IDC_FILTER_LOWER_DATE_CHECK, BST_UNCHECKED);
    ClickDialogBox(dialog, IDC_FILTER_ARCHIVE, BST_CHECKED);
    ClickDialogBox(dialog, IDC_FILTER_HIDDEN, BST_INDETERMINATE);
    SelectDialogComboItem(dialog, IDC_FILTER_TIME_KIND, 2);
    ClickDialogBox(dialog, IDC_FILTER_UPPER_SIZE_CHECK, BST_CHECKED);
    SetDlgItemTextW(dialog, IDC_FILTER_UPPER_SIZE, L"7");
    SelectDialogComboItem(dialog, IDC_FILTER_UPPER_SIZE_UNIT, 2);
    PressDialogButton(dialog, button);
  };
  const char* text = "c;aRh;+*.txt;dZ3;lK10;-*.bak";
  FilterRecord record = Parsed(text);
  EXPECT_EQ(Run(&record, [&](HWND dialog) { edit(dialog, IDCANCEL); }), 0);
  EXPECT_EQ(Formatted(record), text);
  EXPECT_EQ(Run(&record, [&](HWND dialog) { edit(dialog, IDC_FILTER_OK); }), 1);
  EXPECT_EQ(Formatted(record), "r;aAR;+*.doc;lK10;-*.bak;lM7");
  EXPECT_EQ(ShowFilterDialog(nullptr, nullptr), 0);
}

TEST_F(FilterDialog, DateRowsShowWhatTheirUnitNeeds) {
  FilterRecord record = Parsed(("+;dZ3;-;dD" + Packed(Utc(2023, 1, 1, 12))).c_str());
  Run(&record, [](HWND dialog) {
    EXPECT_TRUE(IsDialogItemShown(dialog, IDC_FILTER_LOWER_COUNT));
    EXPECT_FALSE(IsDialogItemShown(dialog, IDC_FILTER_LOWER_DATE) || IsDialogItemShown(dialog, IDC_FILTER_LOWER_TIME));
    EXPECT_EQ(DialogItemText(dialog, IDC_FILTER_LOWER_DATE_CHECK), L"Within the last");
    EXPECT_EQ(DialogItemText(dialog, IDC_FILTER_LOWER_COUNT), L"3");
    EXPECT_TRUE(IsDialogItemShown(dialog, IDC_FILTER_UPPER_DATE) && IsDialogItemShown(dialog, IDC_FILTER_UPPER_TIME));
    EXPECT_FALSE(IsDialogItemShown(dialog, IDC_FILTER_UPPER_COUNT));
    EXPECT_EQ(DialogItemText(dialog, IDC_FILTER_UPPER_DATE_CHECK), L"<=");
    EXPECT_EQ(PickedHour(dialog, IDC_FILTER_UPPER_TIME), 13) << "pickers show local time";
    EXPECT_TRUE(IsDialogItemShown(dialog, IDC_FILTER_COPY_DATES) && IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_COPY_DATES)));

    SelectDialogComboItem(dialog, IDC_FILTER_LOWER_DATE_UNIT, 1);
    EXPECT_TRUE(IsDialogItemShown(dialog, IDC_FILTER_LOWER_TIME));
    EXPECT_FALSE(IsDialogItemShown(dialog, IDC_FILTER_LOWER_DATE) || IsDialogItemShown(dialog, IDC_FILTER_LOWER_COUNT));
    EXPECT_EQ(DialogItemText(dialog, IDC_FILTER_LOWER_DATE_CHECK), L">=");
    NMUPDOWN down = {{GetDlgItem(dialog, IDC_FILTER_COPY_DATES), IDC_FILTER_COPY_DATES, UDN_DELTAPOS}, 50, -1};
    SendMessageW(dialog, WM_NOTIFY, IDC_FILTER_COPY_DATES, reinterpret_cast<LPARAM>(&down));
    EXPECT_EQ(PickedHour(dialog, IDC_FILTER_LOWER_TIME), 13) << "the lower arrow copies the upper row down";

    ClickDialogBox(dialog, IDC_FILTER_UPPER_DATE_CHECK, BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_COPY_DATES)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_UPPER_DATE)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_TIME_KIND)));
    PressDialogButton(dialog, IDC_FILTER_OK);
  });
  EXPECT_EQ(Formatted(record), "+;dT" + Packed(Utc(1980, 1, 2, 12)) + ";-") << "13:00 local is 12:00 UTC in winter";
}

TEST(FilterSaving, WritesTheTextAndReducesATimeOfDay) {
  TempFolder folder;
  ProfileStoreConstruct(&g_settingsStore, (folder / L"QVRX.INI").c_str(), kProfileNoAutoLocation);
  FilterRecord record = Parsed("c;+*.txt;-");
  record.upper.dateUnit = 'T';
  record.upper.dateValue = Utc(2023, 7, 1, 8, 15);
  EXPECT_EQ(SaveFilterDefinition(&record, "QVRX", "Filter"), 0);
  EXPECT_EQ(record.upper.dateValue, Utc(1980, 1, 2, 8, 15));
  char text[kFilterTextCapacity];
  ProfileGetString(&g_settingsStore, "QVRX", "Filter", "", text, kFilterTextCapacity);
  EXPECT_EQ(text, "c;+*.txt;-;dT" + Packed(Utc(1980, 1, 2, 8, 15)));
  ProfileStoreDestroy(&g_settingsStore);
}
