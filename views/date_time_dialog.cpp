#include "views/date_time_dialog.h"

#include <commctrl.h>

#include <cwctype>
#include <initializer_list>

#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/packed_date.h"
#include "foundation/text/packed_date_text.h"
#include "foundation/ui/clipboard.h"
#include "foundation/ui/help_topics.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/system_functions.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "views/calendar_box.h"

namespace {

constexpr int kDialogOk = 99;
constexpr UINT_PTR kClipboardTimer = 1;
constexpr UINT kClipboardTimerMs = 1122;
constexpr int kCompactLength = 14;
constexpr int kMonthNameCapacity = 64;
constexpr WORD kFirstYear = 1980;
constexpr WORD kLastYear = 9999;

constexpr int kTextIds[] = {IDD_DATE_TIME, kTextOk, kTextCancel, IDC_DATE_TODAY, IDC_DATE_COPY, IDC_DATE_PASTE, 0};
constexpr int kPushButtons[] = {kDialogOk, IDCANCEL, IDC_DATE_TODAY, IDC_DATE_COPY, IDC_DATE_PASTE};

// A number field with the up-down control bound to it.
struct NumberField {
  int edit;
  int spin;
  int lowest;
  int highest;
  int digits;
};

constexpr NumberField kYearField = {IDC_DATE_YEAR, IDC_DATE_YEAR_SPIN, kFirstYear, kLastYear, 4};
constexpr NumberField kHourField = {IDC_DATE_HOUR, IDC_DATE_HOUR_SPIN, 0, 23, 2};
constexpr NumberField kMinuteField = {IDC_DATE_MINUTE, IDC_DATE_MINUTE_SPIN, 0, 59, 2};
constexpr NumberField kSecondField = {IDC_DATE_SECOND, IDC_DATE_SECOND_SPIN, 0, 59, 2};

DateTimeDialogParam* ParamOf(HWND dialog) {
  return reinterpret_cast<DateTimeDialogParam*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void BindField(HWND dialog, const NumberField& field) {
  SendDialogItemMessage(dialog, field.spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDialogItem(dialog, field.edit)),
                        0);
  SendDialogItemMessage(dialog, field.spin, UDM_SETRANGE32, static_cast<WPARAM>(field.lowest),
                        static_cast<LPARAM>(field.highest));
  LimitDlgItemText(dialog, field.edit, field.digits);
}

// The field's number, or -1 when it holds none in the field's range.
int ReadField(HWND dialog, const NumberField& field) {
  BOOL read = FALSE;
  const UINT value = GetDlgItemInt(dialog, field.edit, &read, FALSE);
  if (!read || value < static_cast<UINT>(field.lowest) || value > static_cast<UINT>(field.highest)) return -1;
  return static_cast<int>(value);
}

void ReadClock(HWND dialog, SYSTEMTIME* time) {
  const int hour = ReadField(dialog, kHourField);
  const int minute = ReadField(dialog, kMinuteField);
  const int second = ReadField(dialog, kSecondField);
  if (hour >= 0) time->wHour = static_cast<WORD>(hour);
  if (minute >= 0) time->wMinute = static_cast<WORD>(minute);
  if (second >= 0) time->wSecond = static_cast<WORD>(second);
  time->wMilliseconds = 0;
}

void FillMonths(HWND dialog) {
  SYSTEMTIME month = {};
  month.wYear = 2024;
  month.wDay = 1;
  wchar_t name[kMonthNameCapacity];
  for (WORD i = 1; i <= 12; ++i) {
    month.wMonth = i;
    name[0] = 0;
    GetDateFormatW(LOCALE_USER_DEFAULT, 0, &month, L"MMMM", name, kMonthNameCapacity);
    ComboAddString(GetDialogItem(dialog, IDC_DATE_MONTH), name);
  }
}

// After a change of month or year: the calendar follows, and a day past the month's end becomes its last day.
void MonthChanged(HWND dialog, DateTimeDialogParam* param) {
  UpdateCalendarMonth(param);
  if (param->time->wDay > param->daysInMonth) param->time->wDay = param->daysInMonth;
  InvalidateRect(GetDialogItem(dialog, IDC_DATE_CALENDAR), nullptr, FALSE);
}

void ShowValue(HWND dialog, DateTimeDialogParam* param) {
  const SYSTEMTIME time = *param->time;
  ComboSetCurSelById(dialog, IDC_DATE_MONTH, time.wMonth - 1);
  SetDlgItemInt(dialog, IDC_DATE_YEAR, time.wYear, FALSE);
  SetDlgItemInt(dialog, IDC_DATE_HOUR, time.wHour, FALSE);
  SetDlgItemInt(dialog, IDC_DATE_MINUTE, time.wMinute, FALSE);
  SetDlgItemInt(dialog, IDC_DATE_SECOND, time.wSecond, FALSE);
  MonthChanged(dialog, param);
}

void TakeToday(HWND dialog, DateTimeDialogParam* param) {
  GetLocalTime(param->time);
  param->time->wMilliseconds = 0;
  ShowValue(dialog, param);
}

// The clipboard's text read as a compact time; false when it holds none.
bool ClipboardTime(HWND dialog, SYSTEMTIME* time) {
  wchar_t* text = GetClipboardTextAlloc(dialog);
  const bool read = text != nullptr && ParseCompactDateTime(text, time);
  FreeAndNull(&text);
  return read;
}

void Paste(HWND dialog, DateTimeDialogParam* param) {
  SYSTEMTIME pasted;
  if (!ClipboardTime(dialog, &pasted)) {
    BeepError();
    return;
  }
  *param->time = pasted;
  ShowValue(dialog, param);
}

void Copy(HWND dialog, DateTimeDialogParam* param) {
  ReadClock(dialog, param->time);
  wchar_t digits[kCompactLength + 1];
  FormatPackedDateTimeCompact(PackDateTime(*param->time), digits, kCompactLength + 1);
  char text[kCompactLength + 1];
  for (int i = 0; i <= kCompactLength; ++i) text[i] = static_cast<char>(digits[i]);
  SetClipboardTextAnsi(dialog, text);
}

void CheckClipboard(HWND dialog, DateTimeDialogParam* param) {
  SYSTEMTIME ignored;
  const int32_t pasteable = ClipboardTime(dialog, &ignored) ? 1 : 0;
  if (pasteable == param->pasteable) return;
  param->pasteable = pasteable;
  EnableDlgItem(dialog, IDC_DATE_PASTE, pasteable != 0);
}

void OnInitDialog(HWND dialog, DateTimeDialogParam* param) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(param));
  if (g_app != nullptr) g_app->dateTimeDialog = dialog;
  ApplyWindowTheme(dialog);
  CenterWindowOnParent(dialog);
  ApplyDialogTexts(dialog, kTextIds);
  AttachCalendar(GetDialogItem(dialog, IDC_DATE_CALENDAR), param);
  FillMonths(dialog);
  for (const NumberField& field : {kYearField, kHourField, kMinuteField, kSecondField}) BindField(dialog, field);
  if (param->time->wDay == 0) GetLocalTime(param->time);
  param->time->wMilliseconds = 0;
  ShowValue(dialog, param);
  param->pasteable = 0;
  EnableDlgItem(dialog, IDC_DATE_PASTE, false);
  SetTimer(dialog, kClipboardTimer, kClipboardTimerMs, nullptr);
  for (int id : kPushButtons) ApplyDarkModeToDlgItem(dialog, id);
}

void OnCommand(HWND dialog, int id, int code) {
  DateTimeDialogParam* param = ParamOf(dialog);
  if (param == nullptr) return;
  switch (id) {
    case IDOK:
    case kDialogOk:
      ReadClock(dialog, param->time);
      EndDialog(dialog, 1);
      break;
    case IDCANCEL:
      EndDialog(dialog, 0);
      break;
    case IDC_DATE_MONTH:
      if (code != CBN_SELCHANGE) break;
      param->time->wMonth = static_cast<WORD>(ComboGetCurSelById(dialog, IDC_DATE_MONTH) + 1);
      MonthChanged(dialog, param);
      break;
    case IDC_DATE_YEAR: {
      const int year = code == EN_CHANGE ? ReadField(dialog, kYearField) : -1;
      if (year < 0) break;
      param->time->wYear = static_cast<WORD>(year);
      MonthChanged(dialog, param);
      break;
    }
    case IDC_DATE_TODAY:
      TakeToday(dialog, param);
      break;
    case IDC_DATE_PASTE:
      Paste(dialog, param);
      break;
    case IDC_DATE_COPY:
      Copy(dialog, param);
      break;
    default:
      break;
  }
}

INT_PTR AnswerColour(HDC dc) { return reinterpret_cast<INT_PTR>(HandleCtlColorDark(dc)); }

}  // namespace

int ShowDateTimeDialog(HWND owner, SYSTEMTIME* local) {
  if (local == nullptr) return 0;
  InitCommonControlClasses();
  SYSTEMTIME edited = *local;
  DateTimeDialogParam param = {&edited, 0, 0, 0};
  if (ShowModalDialog(nullptr, IDD_DATE_TIME, owner, DateFormatDialogProc, reinterpret_cast<LPARAM>(&param)) != 1)
    return 0;
  *local = edited;
  return 1;
}

int EditDateTimePickerPair(HWND dialog, int datePicker, int timePicker) {
  SYSTEMTIME date = {};
  SYSTEMTIME clock = {};
  // A date picker without a date starts the dialog on today.
  if (DateTime_GetSystemtime(GetDialogItem(dialog, datePicker), &date) != GDT_VALID) date = {};
  if (DateTime_GetSystemtime(GetDialogItem(dialog, timePicker), &clock) == GDT_VALID) {
    date.wHour = clock.wHour;
    date.wMinute = clock.wMinute;
    date.wSecond = clock.wSecond;
  }
  if (ShowDateTimeDialog(dialog, &date) != 1) return 0;
  DateTime_SetSystemtime(GetDialogItem(dialog, datePicker), GDT_VALID, &date);
  DateTime_SetSystemtime(GetDialogItem(dialog, timePicker), GDT_VALID, &date);
  return 1;
}

bool ParseCompactDateTime(const wchar_t* text, SYSTEMTIME* time) {
  if (text == nullptr || WideLength(text) != kCompactLength) return false;
  for (int i = 0; i < kCompactLength; ++i) {
    if (!iswdigit(text[i])) return false;
  }
  const auto number = [text](int at, int digits) {
    WORD value = 0;
    for (int i = at; i < at + digits; ++i) value = static_cast<WORD>(value * 10 + (text[i] - L'0'));
    return value;
  };
  SYSTEMTIME read = {};
  read.wYear = number(0, 4);
  read.wMonth = number(4, 2);
  read.wDay = number(6, 2);
  read.wHour = number(8, 2);
  read.wMinute = number(10, 2);
  read.wSecond = number(12, 2);
  FILETIME accepted;
  if (read.wYear < kFirstYear || read.wYear > kLastYear || !SystemTimeToFileTime(&read, &accepted)) return false;
  if (read.wDay > DaysInMonth(read.wMonth, read.wYear)) return false;
  *time = read;
  return true;
}

INT_PTR CALLBACK DateFormatDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<DateTimeDialogParam*>(lParam));
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_TIMER:
      if (wParam == kClipboardTimer && ParamOf(dialog) != nullptr) CheckClipboard(dialog, ParamOf(dialog));
      return TRUE;
    case WM_DRAWITEM:
      return RedrawOwnerDrawnButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return AnswerColour(reinterpret_cast<HDC>(wParam));
    case WM_HELP:
      ShowHelpTopic(dialog, g_app != nullptr ? g_app->languageCode : "", kDateTimeHelpTopic);
      return TRUE;
    case WM_DESTROY:
      KillTimer(dialog, kClipboardTimer);
      if (g_app != nullptr && g_app->dateTimeDialog == dialog) g_app->dateTimeDialog = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}
