#include "views/filter_dialog.h"

#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "foundation/app_state.h"
#include "foundation/dialog_controls.h"
#include "foundation/help_topics.h"
#include "foundation/numbers.h"
#include "foundation/packed_date.h"
#include "foundation/resource_ids.h"
#include "foundation/system_functions.h"
#include "foundation/theme.h"
#include "foundation/ui_strings.h"
#include "foundation/ui_text_ids.h"
#include "foundation/window_position.h"
#include "foundation/window_wrappers.h"

namespace {

constexpr int kDialogOk = IDC_FILTER_OK;
constexpr int kCountCapacity = 101;
constexpr int kTextCapacity = 128;
constexpr int kCheckBoxGap = 3;

constexpr int kFilterDialogTextIds[] = {IDD_FILTER,
                                        kTextOk,
                                        kTextCancel,
                                        IDC_FILTER_NAME_GROUP,
                                        IDC_FILTER_INCLUDE_LABEL,
                                        IDC_FILTER_EXCLUDE_LABEL,
                                        IDC_FILTER_TIME_LABEL,
                                        IDC_FILTER_SIZE_LABEL,
                                        IDC_FILTER_ATTRIBUTES_GROUP,
                                        IDC_FILTER_ARCHIVE,
                                        IDC_FILTER_READ_ONLY,
                                        IDC_FILTER_SYSTEM,
                                        IDC_FILTER_DIRECTORY,
                                        IDC_FILTER_HIDDEN,
                                        IDC_FILTER_COMPRESSED,
                                        IDC_FILTER_ENCRYPTED,
                                        0};

// The file time each entry of the time-kind list stands for is its position: the record's mode.
constexpr int kTimeKindTextIds[] = {kTextTimeModified, kTextTimeCreated, kTextTimeAccessed};

struct DateRow {
  int check;
  int unit;
  int count;
  int date;
  int time;
  int relativeCaption;      // the check box's text while the row counts back from now
  const wchar_t* boundCaption;  // its text while the row holds a date or a time of day
};

constexpr DateRow kDateRows[2] = {
    {IDC_FILTER_LOWER_DATE_CHECK, IDC_FILTER_LOWER_DATE_UNIT, IDC_FILTER_LOWER_COUNT, IDC_FILTER_LOWER_DATE,
     IDC_FILTER_LOWER_TIME, kTextWithinLast, L">="},
    {IDC_FILTER_UPPER_DATE_CHECK, IDC_FILTER_UPPER_DATE_UNIT, IDC_FILTER_UPPER_COUNT, IDC_FILTER_UPPER_DATE,
     IDC_FILTER_UPPER_TIME, kTextOlderThan, L"<="},
};

struct SizeRow {
  int check;
  int count;
  int unit;
};

constexpr SizeRow kSizeRows[2] = {
    {IDC_FILTER_LOWER_SIZE_CHECK, IDC_FILTER_LOWER_SIZE, IDC_FILTER_LOWER_SIZE_UNIT},
    {IDC_FILTER_UPPER_SIZE_CHECK, IDC_FILTER_UPPER_SIZE, IDC_FILTER_UPPER_SIZE_UNIT},
};

struct AttributeBox {
  int id;
  uint16_t bit;
};

constexpr AttributeBox kAttributeBoxes[] = {
    {IDC_FILTER_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE},     {IDC_FILTER_READ_ONLY, FILE_ATTRIBUTE_READONLY},
    {IDC_FILTER_SYSTEM, FILE_ATTRIBUTE_SYSTEM},       {IDC_FILTER_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY},
    {IDC_FILTER_HIDDEN, FILE_ATTRIBUTE_HIDDEN},       {IDC_FILTER_COMPRESSED, FILE_ATTRIBUTE_COMPRESSED},
    {IDC_FILTER_ENCRYPTED, FILE_ATTRIBUTE_ENCRYPTED},
};

// Horizontal places of a date row's controls, in dialog units.
struct Slot {
  int x;
  int width;
};
constexpr Slot kFirstSlot = {80, 60};
constexpr Slot kSecondSlot = {144, 62};
constexpr Slot kThirdSlot = {210, 56};

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetChecked(HWND dialog, int id, bool checked) {
  if (checked) {
    CheckDlgButtonOn(dialog, id);
  } else {
    CheckDlgButtonOff(dialog, id);
  }
}

uint8_t KnownUnit(uint8_t unit, const char* units) { return unit != 0 && strchr(units, unit) != nullptr ? unit : 0; }

// The letter of the unit a list shows; 0 when nothing is selected.
uint8_t SelectedUnit(HWND dialog, int id) {
  const LRESULT letter = ComboGetSelectedDataById(dialog, id);
  return letter > 0 && letter < 0x80 ? static_cast<uint8_t>(letter) : 0;
}

void SelectUnit(HWND dialog, int id, uint8_t unit, const char* units) {
  ComboSetCurSelById(dialog, id, static_cast<int>(strchr(units, unit) - units));
}

void SetCount(HWND dialog, int id, uint64_t magnitude, bool negative) {
  wchar_t digits[kCountCapacity] = L"-";
  UInt64ToWideDecimal(&magnitude, negative ? digits + 1 : digits, kCountCapacity - 1);
  SetDialogItemText(dialog, id, digits);
}

void SetSignedCount(HWND dialog, int id, int64_t count) {
  SetCount(dialog, id, count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count), count < 0);
}

// The number in a count field; numbers beyond 64 bits are held at the largest one.
int64_t GetSignedCount(HWND dialog, int id) {
  wchar_t digits[kCountCapacity];
  GetDialogItemText(dialog, id, digits, kCountCapacity);
  return wcstoll(digits, nullptr, 10);
}

uint64_t GetUnsignedCount(HWND dialog, int id) {
  wchar_t digits[kCountCapacity];
  GetDialogItemText(dialog, id, digits, kCountCapacity);
  return wcstoull(digits, nullptr, 10);
}

SYSTEMTIME GetPicker(HWND dialog, int id) {
  SYSTEMTIME time = {};
  DateTime_GetSystemtime(GetDialogItem(dialog, id), &time);
  return time;
}

void SetPicker(HWND dialog, int id, const SYSTEMTIME& time) {
  DateTime_SetSystemtime(GetDialogItem(dialog, id), GDT_VALID, &time);
}

void FillLists(HWND dialog) {
  wchar_t text[kTextCapacity];
  for (int id : kTimeKindTextIds) {
    GetUiText(id, text, kTextCapacity);
    ComboAddString(GetDialogItem(dialog, IDC_FILTER_TIME_KIND), text);
  }
  for (const DateRow& row : kDateRows) {
    for (int i = 0; kFilterDateUnits[i] != 0; ++i) {
      GetUiText(kTextUnitDate + i, text, kTextCapacity);
      ComboAddStringWithDataById(dialog, row.unit, text, kFilterDateUnits[i]);
    }
    LimitDlgItemText(dialog, row.count, kCountCapacity - 1);
  }
  for (const SizeRow& row : kSizeRows) {
    GetUiText(kTextWordBytes, text, kTextCapacity);
    ComboAddStringWithDataById(dialog, row.unit, text, 'B');
    ComboAddStringWithDataById(dialog, row.unit, L"KB", 'K');
    ComboAddStringWithDataById(dialog, row.unit, L"MB", 'M');
    ComboAddStringWithDataById(dialog, row.unit, L"GB", 'G');
    LimitDlgItemText(dialog, row.count, kCountCapacity - 1);
  }
  LimitDlgItemText(dialog, IDC_FILTER_INCLUDE, kFilterMaskCapacity - 1);
  LimitDlgItemText(dialog, IDC_FILTER_EXCLUDE, kFilterMaskCapacity - 1);
  // Positions from 0 to 100 make the upper arrow the one that counts up.
  SendDialogItemMessage(dialog, IDC_FILTER_COPY_DATES, UDM_SETRANGE32, 0, 100);
  SendDialogItemMessage(dialog, IDC_FILTER_COPY_DATES, UDM_SETPOS32, 0, 50);
}

// A time of day stored on 2 January 1980 is shown on today's date.
SYSTEMTIME ShownTime(const FilterHalf& half, uint8_t unit, const SYSTEMTIME& today, bool* set) {
  const FILETIME stored = UInt64ToFileTime(half.dateValue);
  SYSTEMTIME local;
  *set = half.dateValue != 0 && UtcFileTimeToLocalSystemTime(&stored, &local) != 0;
  if (!*set) return today;
  if (unit == 'T' && local.wYear < 1981) {
    local.wYear = today.wYear;
    local.wMonth = today.wMonth;
    local.wDay = today.wDay;
    local.wDayOfWeek = today.wDayOfWeek;
  }
  return local;
}

void ShowDateRow(HWND dialog, const DateRow& row, const FilterHalf& half) {
  const uint8_t unit = KnownUnit(half.dateUnit, kFilterDateUnits);
  SYSTEMTIME shown;
  GetLocalTime(&shown);
  bool set = unit != 0;
  if (unit == 'D' || unit == 'T') {
    shown = ShownTime(half, unit, shown, &set);
  } else if (unit != 0) {
    SetSignedCount(dialog, row.count, static_cast<int64_t>(half.dateValue));
  }
  SetPicker(dialog, row.date, shown);
  SetPicker(dialog, row.time, shown);
  SelectUnit(dialog, row.unit, unit != 0 ? unit : 'D', kFilterDateUnits);
  SetChecked(dialog, row.check, set);
}

void ShowSizeRow(HWND dialog, const SizeRow& row, const FilterHalf& half) {
  const uint8_t unit = KnownUnit(half.sizeUnit, kFilterSizeUnits);
  SelectUnit(dialog, row.unit, unit != 0 ? unit : 'B', kFilterSizeUnits);
  if (unit != 0) SetCount(dialog, row.count, half.sizeValue, false);
  SetChecked(dialog, row.check, unit != 0);
}

void ShowAttributes(HWND dialog, const FilterRecord& record) {
  for (const AttributeBox& box : kAttributeBoxes) {
    if ((record.lower.attributes & box.bit) != 0) {
      CheckDlgButtonOn(dialog, box.id);
    } else if ((record.upper.attributes & box.bit) != 0) {
      CheckDlgButtonOff(dialog, box.id);
    } else {
      CheckDlgButtonIndeterminate(dialog, box.id);
    }
  }
}

RECT ClientRectOf(HWND dialog, int id) {
  RECT rect = {};
  GetWindowRect(GetDialogItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int SlotLeft(HWND dialog, Slot slot) {
  RECT rect = {slot.x, 0, slot.x, 0};
  MapDialogRect(dialog, &rect);
  return rect.left;
}

void MoveInRow(HWND dialog, int id, int left, int width, bool shown) {
  const RECT current = ClientRectOf(dialog, id);
  HWND control = GetDialogItem(dialog, id);
  SetWindowPos(control, nullptr, left, current.top, width, current.bottom - current.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

void PlaceInSlot(HWND dialog, int id, Slot slot, bool shown) {
  RECT rect = {slot.x, 0, slot.x + slot.width, 0};
  MapDialogRect(dialog, &rect);
  MoveInRow(dialog, id, rect.left, rect.right - rect.left, shown);
}

// An absolute date shows both pickers, a time of day only the time picker, a count back from now only the
// count field with the unit list to its right. Returns whether the row shows pickers.
bool LayOutDateRow(HWND dialog, const DateRow& row) {
  const uint8_t unit = SelectedUnit(dialog, row.unit);
  const bool relative = unit != 0 && unit != 'D' && unit != 'T';
  PlaceInSlot(dialog, row.count, kFirstSlot, relative);
  PlaceInSlot(dialog, row.unit, relative ? kSecondSlot : kFirstSlot, true);
  PlaceInSlot(dialog, row.date, kSecondSlot, !relative && unit != 'T');
  PlaceInSlot(dialog, row.time, unit == 'T' ? kSecondSlot : kThirdSlot, !relative);
  wchar_t caption[kTextCapacity];
  GetUiText(row.relativeCaption, caption, kTextCapacity);
  SetDialogItemText(dialog, row.check, relative ? caption : row.boundCaption);
  const RECT box = ClientRectOf(dialog, row.check);
  MoveInRow(dialog, row.check, box.left, SlotLeft(dialog, kFirstSlot) - kCheckBoxGap - box.left, true);
  const bool on = IsChecked(dialog, row.check);
  for (int id : {row.unit, row.count, row.date, row.time}) EnableDlgItem(dialog, id, on);
  return !relative;
}

void LayOutDateRows(HWND dialog) {
  const bool lowerOn = IsChecked(dialog, kDateRows[0].check);
  const bool upperOn = IsChecked(dialog, kDateRows[1].check);
  EnableDlgItem(dialog, IDC_FILTER_TIME_KIND, lowerOn || upperOn);
  EnableDlgItem(dialog, IDC_FILTER_COPY_DATES, lowerOn && upperOn);
  const bool lowerPickers = LayOutDateRow(dialog, kDateRows[0]);
  const bool upperPickers = LayOutDateRow(dialog, kDateRows[1]);
  ShowWindow(GetDialogItem(dialog, IDC_FILTER_COPY_DATES), lowerPickers || upperPickers ? SW_SHOWNA : SW_HIDE);
}

void EnableSizeRows(HWND dialog) {
  for (const SizeRow& row : kSizeRows) {
    const bool on = IsChecked(dialog, row.check);
    EnableDlgItem(dialog, row.count, on);
    EnableDlgItem(dialog, row.unit, on);
  }
}

void ShowRecord(HWND dialog, const FilterRecord& record) {
  SetDialogItemText(dialog, IDC_FILTER_INCLUDE, record.lower.masks);
  SetDialogItemText(dialog, IDC_FILTER_EXCLUDE, record.upper.masks);
  ComboSetCurSelById(dialog, IDC_FILTER_TIME_KIND, record.mode <= kFilterModeLastAccess ? record.mode : 0);
  ShowDateRow(dialog, kDateRows[0], record.lower);
  ShowDateRow(dialog, kDateRows[1], record.upper);
  ShowSizeRow(dialog, kSizeRows[0], record.lower);
  ShowSizeRow(dialog, kSizeRows[1], record.upper);
  ShowAttributes(dialog, record);
  LayOutDateRows(dialog);
  EnableSizeRows(dialog);
}

// The pickers' local date and time as a UTC FILETIME; 0 when the system cannot convert it.
uint64_t PickedTime(SYSTEMTIME local) {
  local.wMilliseconds = 0;
  FILETIME utc;
  return LocalSystemTimeToFileTime(&local, &utc) ? FileTimeToUInt64(utc) : 0;
}

uint64_t PickedDateAndTime(HWND dialog, const DateRow& row) {
  SYSTEMTIME day = GetPicker(dialog, row.date);
  const SYSTEMTIME clock = GetPicker(dialog, row.time);
  day.wHour = clock.wHour;
  day.wMinute = clock.wMinute;
  day.wSecond = clock.wSecond;
  return PickedTime(day);
}

// A time of day is kept on 2 January 1980.
uint64_t PickedTimeOfDay(HWND dialog, const DateRow& row) {
  SYSTEMTIME clock = GetPicker(dialog, row.time);
  clock.wYear = 1980;
  clock.wMonth = 1;
  clock.wDay = 2;
  clock.wDayOfWeek = 3;
  return PickedTime(clock);
}

void ReadDateRow(HWND dialog, const DateRow& row, FilterHalf* half) {
  const uint8_t unit = IsChecked(dialog, row.check) ? SelectedUnit(dialog, row.unit) : 0;
  uint64_t value = 0;
  if (unit == 'D') {
    value = PickedDateAndTime(dialog, row);
  } else if (unit == 'T') {
    value = PickedTimeOfDay(dialog, row);
  } else if (unit != 0) {
    value = static_cast<uint64_t>(GetSignedCount(dialog, row.count));
  }
  half->dateUnit = value != 0 ? unit : 0;
  half->dateValue = value;
}

void ReadSizeRow(HWND dialog, const SizeRow& row, FilterHalf* half) {
  const uint8_t unit = IsChecked(dialog, row.check) ? SelectedUnit(dialog, row.unit) : 0;
  half->sizeUnit = unit;
  half->sizeValue = unit != 0 ? GetUnsignedCount(dialog, row.count) : 0;
}

void ReadAttributes(HWND dialog, FilterRecord* record) {
  record->lower.attributes = 0;
  record->upper.attributes = 0;
  for (const AttributeBox& box : kAttributeBoxes) {
    const UINT state = IsDlgButtonChecked(dialog, box.id);
    if (state == BST_CHECKED) record->lower.attributes |= box.bit;
    if (state == BST_UNCHECKED) record->upper.attributes |= box.bit;
  }
}

void ReadRecord(HWND dialog, FilterRecord* record) {
  GetDialogItemText(dialog, IDC_FILTER_INCLUDE, record->lower.masks, kFilterMaskCapacity);
  GetDialogItemText(dialog, IDC_FILTER_EXCLUDE, record->upper.masks, kFilterMaskCapacity);
  ReadDateRow(dialog, kDateRows[0], &record->lower);
  ReadDateRow(dialog, kDateRows[1], &record->upper);
  const int mode = ComboGetCurSelById(dialog, IDC_FILTER_TIME_KIND);
  record->mode = static_cast<uint8_t>(mode >= 0 && mode <= kFilterModeLastAccess ? mode : kFilterModeLastWrite);
  ReadSizeRow(dialog, kSizeRows[0], &record->lower);
  ReadSizeRow(dialog, kSizeRows[1], &record->upper);
  ReadAttributes(dialog, record);
}

// The upper arrow copies the lower row's pickers into the upper row, the lower arrow the other way.
void CopyPickers(HWND dialog, bool upwards) {
  const DateRow& from = kDateRows[upwards ? 0 : 1];
  const DateRow& to = kDateRows[upwards ? 1 : 0];
  SetPicker(dialog, to.date, GetPicker(dialog, from.date));
  SetPicker(dialog, to.time, GetPicker(dialog, from.time));
}

void OnInitDialog(HWND dialog, FilterRecord* record) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
  ApplyDarkModeToWindow(dialog);
  CenterWindowOnParent(dialog);
  ApplyDialogTexts(dialog, kFilterDialogTextIds);
  SetFocus(GetDialogItem(dialog, IDCANCEL));
  FillLists(dialog);
  ShowRecord(dialog, *record);
}

FilterRecord* RecordOf(HWND dialog) {
  return reinterpret_cast<FilterRecord*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void OnCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDOK:
    case kDialogOk:
      ReadRecord(dialog, RecordOf(dialog));
      EndDialog(dialog, 1);
      break;
    case IDCANCEL:
      EndDialog(dialog, 0);
      break;
    case IDC_FILTER_LOWER_DATE_CHECK:
    case IDC_FILTER_UPPER_DATE_CHECK:
      LayOutDateRows(dialog);
      break;
    case IDC_FILTER_LOWER_DATE_UNIT:
    case IDC_FILTER_UPPER_DATE_UNIT:
      if (code == CBN_SELCHANGE) LayOutDateRows(dialog);
      break;
    case IDC_FILTER_LOWER_SIZE_CHECK:
    case IDC_FILTER_UPPER_SIZE_CHECK:
      EnableSizeRows(dialog);
      break;
    default:
      break;
  }
}

INT_PTR OnNotify(HWND dialog, const NMHDR* header) {
  if (header->idFrom != IDC_FILTER_COPY_DATES || header->code != UDN_DELTAPOS) return FALSE;
  CopyPickers(dialog, reinterpret_cast<const NMUPDOWN*>(header)->iDelta > 0);
  // The arrows only copy; their position stays where it is.
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
  return TRUE;
}

}  // namespace

int ShowFilterDialog(HWND parent, FilterRecord* record) {
  if (record == nullptr) return 0;
  InitCommonControlClasses();
  HINSTANCE instance = g_app != nullptr && g_app->instance != nullptr ? g_app->instance : GetModuleHandleW(nullptr);
  return ShowModalDialog(instance, IDD_FILTER, parent, FilterDialogProc, reinterpret_cast<LPARAM>(record)) == 1 ? 1
                                                                                                               : 0;
}

INT_PTR CALLBACK FilterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<FilterRecord*>(lParam));
      return FALSE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      return OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
    case WM_HELP:
      ShowHelpTopic(dialog, g_app != nullptr ? g_app->languageCode : "", kFilterHelpTopic);
      return TRUE;
    default:
      return FALSE;
  }
}
