// The date-and-time dialog: compact clipboard times, the calendar's cells, what the month, year, paste, copy and
// OK do, the filter's "..." buttons that open it, and the calendar driven through the system's input with a
// picture of the dialog kept as an artefact.
#include "views/date_time_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "date_checks.h"
#include "filter_checks.h"
#include "foundation/core/memory.h"
#include "foundation/text/packed_date.h"
#include "foundation/ui/clipboard.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/resource_library.h"
#include "foundation/win32/system_functions.h"
#include "program_state_scope.h"
#include "support/dialog_action.h"
#include "support/system_input.h"
#include "views/calendar_box.h"
#include "views/filter_dialog.h"
#include "window_image.h"

namespace {

const UiStringRecord kTexts[] = {{-1, L"US"}, {0, nullptr}};

class DateTimeDialog : public testing::Test {
 protected:
  DateTimeDialog() {
    state_.UseTexts(kTexts);
    InitCommonControlClasses();
  }

  // Shows the dialog on the time; `action` ends it with one of the buttons.
  int Run(SYSTEMTIME* time, std::function<void(HWND)> action) {
    DialogAction acting(std::move(action));
    return ShowDateTimeDialog(nullptr, time);
  }

  ProgramStateScope state_;
};

void SelectMonth(HWND dialog, int month) {
  SendDlgItemMessageW(dialog, IDC_DATE_MONTH, CB_SETCURSEL, month - 1, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DATE_MONTH, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DATE_MONTH)));
}

// The record the dialog and its calendar share.
const DateTimeDialogParam& Shown(HWND dialog) {
  return *reinterpret_cast<const DateTimeDialogParam*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

UINT Field(HWND dialog, int id) { return GetDlgItemInt(dialog, id, nullptr, FALSE); }

std::wstring ClipboardText(HWND owner) {
  wchar_t* text = GetClipboardTextAlloc(owner);
  std::wstring copy = text != nullptr ? text : L"";
  FreeAndNull(&text);
  return copy;
}

// The shown dialog box owned by `owner`, within five seconds.
HWND WaitForOwnedDialog(HWND owner) {
  std::pair<HWND, HWND> search(owner, nullptr);
  for (int i = 0; i < 500 && search.second == nullptr; ++i) {
    Sleep(10);
    EnumThreadWindows(
        GetWindowThreadProcessId(owner, nullptr),
        [](HWND window, LPARAM data) {
          auto* pair = reinterpret_cast<std::pair<HWND, HWND>*>(data);
          if (GetWindow(window, GW_OWNER) != pair->first || !IsWindowVisible(window)) return TRUE;
          pair->second = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
  }
  return search.second;
}

}  // namespace

TEST(CompactDateTimes, OnlyFourteenDigitsOfARealTimeAreRead) {
  struct Case {
    const wchar_t* text;
    bool read;
  };
  const Case cases[] = {{L"20240229131415", true},  {L"2024022913141", false},  {L"202402291314150", false},
                        {L"20230229131415", false}, {L"2024 229131415", false}, {L"19790101000000", false},
                        {L"20241301000000", false}, {L"20240101240000", false}, {L"", false}};
  for (const Case& c : cases) {
    SYSTEMTIME time = {};
    EXPECT_EQ(ParseCompactDateTime(c.text, &time), c.read) << testing::PrintToString(std::wstring(c.text));
  }
  SYSTEMTIME time = {};
  ASSERT_TRUE(ParseCompactDateTime(L"20240229131415", &time));
  EXPECT_EQ(PackDateTime(time), PackDateTime(DateTime(2024, 2, 29, 13, 14, 15)));
}

TEST(CalendarCells, DaysRunFromTheMondayOnOrBeforeTheFirst) {
  SYSTEMTIME march = DateTime(2020, 3, 12);  // 1 March 2020 was a Sunday
  DateTimeDialogParam param = {&march, 0, 0, 0};
  UpdateCalendarMonth(&param);
  EXPECT_EQ(param.firstWeekday, 7);
  EXPECT_EQ(param.daysInMonth, 31);
  struct Case {
    int row;
    int column;
    SYSTEMTIME date;
    bool inMonth;
  };
  const Case cases[] = {{1, 1, DateTime(2020, 2, 24), false}, {1, 7, DateTime(2020, 3, 1), true},
                        {3, 4, DateTime(2020, 3, 12), true},  {6, 2, DateTime(2020, 3, 31), true},
                        {6, 3, DateTime(2020, 4, 1), false}};
  for (const Case& c : cases) {
    bool inMonth = false;
    SYSTEMTIME date = CalendarCellDate(param, c.row, c.column, &inMonth);
    date.wHour = 0;
    EXPECT_EQ(PackDateTime(date), PackDateTime(c.date)) << c.row << "," << c.column;
    EXPECT_EQ(inMonth, c.inMonth) << c.row << "," << c.column;
  }
  // A calendar of 80 x 70 pixels has cells of 10 x 10: the header, the week column and other months' days
  // are no days to pick.
  EXPECT_EQ(CalendarDayAtPoint(param, 80, 70, POINT{45, 35}), 12);
  EXPECT_EQ(CalendarDayAtPoint(param, 80, 70, POINT{75, 15}), 1);
  EXPECT_EQ(CalendarDayAtPoint(param, 80, 70, POINT{45, 5}), 0);
  EXPECT_EQ(CalendarDayAtPoint(param, 80, 70, POINT{5, 35}), 0);
  EXPECT_EQ(CalendarDayAtPoint(param, 80, 70, POINT{15, 15}), 0);
}

TEST_F(DateTimeDialog, MonthAndYearKeepTheDayInsideTheMonthAndOkGivesTheTimeBack) {
  SYSTEMTIME time = DateTime(2020, 3, 31, 10, 20, 30);
  EXPECT_EQ(Run(&time, [](HWND dialog) {
              EXPECT_EQ(g_app->dateTimeDialog, dialog) << "the open dialog is known to the program";
              SelectMonth(dialog, 2);
              EXPECT_EQ(Shown(dialog).time->wDay, 29) << "31 February becomes the month's last day";
              SetDlgItemInt(dialog, IDC_DATE_YEAR, 2021, FALSE);
              EXPECT_EQ(Shown(dialog).time->wDay, 28);
              EXPECT_EQ(Shown(dialog).firstWeekday, 1) << "1 February 2021 was a Monday";
              SetDlgItemInt(dialog, IDC_DATE_HOUR, 17, FALSE);
              PressDialogButton(dialog, 99);
            }),
            1);
  EXPECT_EQ(PackDateTime(time), PackDateTime(DateTime(2021, 2, 28, 17, 20, 30)));
  EXPECT_EQ(g_app->dateTimeDialog, nullptr);
  const SYSTEMTIME before = time;
  EXPECT_EQ(Run(&time, [](HWND dialog) {
              SelectMonth(dialog, 5);
              PressDialogButton(dialog, IDCANCEL);
            }),
            0);
  EXPECT_EQ(PackDateTime(time), PackDateTime(before)) << "Cancel leaves the time";
}

TEST_F(DateTimeDialog, PasteTakesOnlyACompactTimeAndCopyWritesOne) {
  SYSTEMTIME time = DateTime(2020, 3, 31, 10, 20, 30);
  Run(&time, [](HWND dialog) {
    HWND paste = GetDlgItem(dialog, IDC_DATE_PASTE);
    EXPECT_FALSE(IsWindowEnabled(paste));
    SetClipboardTextAnsi(dialog, "2019070408091");
    SendMessageW(dialog, WM_TIMER, 1, 0);
    EXPECT_FALSE(IsWindowEnabled(paste)) << "13 characters are no time";
    PressDialogButton(dialog, IDC_DATE_PASTE);
    EXPECT_EQ(Field(dialog, IDC_DATE_YEAR), 2020u) << "a refused paste changes nothing";

    SetClipboardTextAnsi(dialog, "20190704080910");
    SendMessageW(dialog, WM_TIMER, 1, 0);
    EXPECT_TRUE(IsWindowEnabled(paste));
    PressDialogButton(dialog, IDC_DATE_PASTE);
    EXPECT_EQ(Field(dialog, IDC_DATE_YEAR), 2019u);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_DATE_MONTH, CB_GETCURSEL, 0, 0), 6);
    EXPECT_EQ(Field(dialog, IDC_DATE_SECOND), 10u);

    SetDlgItemInt(dialog, IDC_DATE_MINUTE, 45, FALSE);
    PressDialogButton(dialog, IDC_DATE_COPY);
    EXPECT_EQ(ClipboardText(dialog), L"20190704084510");
    PressDialogButton(dialog, 99);
  });
  EXPECT_EQ(PackDateTime(time), PackDateTime(DateTime(2019, 7, 4, 8, 45, 10)));
}

TEST_F(DateTimeDialog, TheCalendarFillsTheChosenDayInTheSelectionColour) {
  SYSTEMTIME time = DateTime(2020, 3, 12, 8);
  Run(&time, [](HWND dialog) {
    HWND calendar = GetDlgItem(dialog, IDC_DATE_CALENDAR);
    RECT client;
    GetClientRect(calendar, &client);
    WindowImage image(client.right, client.bottom);
    RenderClient(calendar, &image);
    const int width = client.right / kCalendarColumns;
    const int height = client.bottom / kCalendarRows;
    // Corners of cells, away from their digits: 12 March (row 3, Thursday), 13 March, 24 February.
    EXPECT_EQ(image.At(4 * width + 1, 3 * height + 1), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(image.At(5 * width + 1, 3 * height + 1), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(image.At(1 * width + 1, 1 * height + 1), GetSysColor(COLOR_WINDOW));
    image.SavePng(ArtifactPath(L"date_time_calendar.png"));
    PressDialogButton(dialog, IDCANCEL);
  });
}

TEST_F(DateTimeDialog, TheFilterDotButtonsEditTheirRowsPickers) {
  const FILETIME january = UtcFileTime(DateTime(2023, 1, 10, 11, 0, 0));
  FilterRecord record = Parsed(("+;dD" + std::to_string(FileTimeToPackedDateTime(&january)) + ";-").c_str());
  std::atomic<bool> edited{false};
  DialogAction acting([&](HWND filter) {
    std::thread driver([&] {
      HWND nested = WaitForOwnedDialog(filter);
      if (nested == nullptr) return;
      SendDlgItemMessageW(nested, IDC_DATE_MONTH, CB_SETCURSEL, 5, 0);
      SendMessageW(nested, WM_COMMAND, MAKEWPARAM(IDC_DATE_MONTH, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(GetDlgItem(nested, IDC_DATE_MONTH)));
      SetDlgItemInt(nested, IDC_DATE_HOUR, 7, FALSE);
      PostMessageW(nested, WM_COMMAND, MAKEWPARAM(99, BN_CLICKED), 0);
      edited = true;
    });
    PressDialogButton(filter, IDC_FILTER_LOWER_EDIT);
    driver.join();
    PressDialogButton(filter, IDC_FILTER_OK);
  });
  ASSERT_EQ(ShowFilterDialog(nullptr, &record), 1);
  ASSERT_TRUE(edited);
  // 10 June 2023 07:00 in Central Europe (summer time) is 05:00 UTC.
  SKIP_UNLESS_CENTRAL_EUROPE();
  EXPECT_EQ(record.lower.dateUnit, 'D');
  EXPECT_EQ(record.lower.dateValue, Utc(2023, 6, 10, 5));
}

TEST_F(DateTimeDialog, InteractiveAClickedDayAndATypedHourComeBack) {
  SYSTEMTIME time = DateTime(2020, 3, 1, 9, 30, 0);
  std::atomic<DWORD> dialogThread{0};
  std::atomic<int> result{-1};
  std::thread shown([&] {
    ProgramStateScope scope;
    const ResourceLibrary* library = LoadResourceLibrary();
    if (library != nullptr) scope->uiStrings = library->languages[0].table;
    dialogThread = GetCurrentThreadId();
    result = ShowDateTimeDialog(nullptr, &time);
  });
  HWND dialog = nullptr;
  for (int i = 0; i < 500 && dialog == nullptr; ++i) {
    Sleep(10);
    if (dialogThread != 0) dialog = FindShownDialog(dialogThread);
  }
  ASSERT_NE(dialog, nullptr);
  SetForegroundWindow(dialog);
  // The middle of the calendar is the cell of row 3, column 4: Thursday 12 March 2020.
  ClickWindow(GetDlgItem(dialog, IDC_DATE_CALENDAR));
  EXPECT_TRUE(TypeOver(GetDlgItem(dialog, IDC_DATE_HOUR), L"17"));
  SaveScreenPicture(dialog, L"date_time_dialog.png");
  ClickWindow(GetDlgItem(dialog, 99));
  shown.join();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(PackDateTime(time), PackDateTime(DateTime(2020, 3, 12, 17, 30, 0)));
}
