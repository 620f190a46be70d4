#include "views/date_rows.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "foundation/text/numbers.h"
#include "foundation/text/packed_date.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/window_wrappers.h"

namespace {

// Horizontal places of a row's controls, in dialog units.
struct Slot {
  int x;
  int width;
};
constexpr Slot kFirstSlot = {80, 60};
constexpr Slot kSecondSlot = {144, 62};
constexpr Slot kThirdSlot = {210, 56};
constexpr Slot kButtonSlot = {268, 14};

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetSignedCount(HWND dialog, int id, int64_t count) {
  uint64_t magnitude = count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
  wchar_t digits[kCountCapacity] = L"-";
  UInt64ToWideDecimal(&magnitude, count < 0 ? digits + 1 : digits, kCountCapacity - 1);
  SetDialogItemText(dialog, id, digits);
}

// The number in a count field; numbers beyond 64 bits are held at the largest one.
int64_t GetSignedCount(HWND dialog, int id) {
  wchar_t digits[kCountCapacity];
  GetDialogItemText(dialog, id, digits, kCountCapacity);
  return wcstoll(digits, nullptr, 10);
}

SYSTEMTIME GetPicker(HWND dialog, int id) {
  SYSTEMTIME time = {};
  DateTime_GetSystemtime(GetDialogItem(dialog, id), &time);
  return time;
}

void SetPicker(HWND dialog, int id, const SYSTEMTIME& time) {
  DateTime_SetSystemtime(GetDialogItem(dialog, id), GDT_VALID, &time);
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

// The pickers' local date and time as a UTC FILETIME; 0 when the system cannot convert it.
uint64_t PickedTime(SYSTEMTIME local) {
  local.wMilliseconds = 0;
  FILETIME utc;
  return LocalSystemTimeToFileTime(&local, &utc) ? FileTimeToUInt64(utc) : 0;
}

uint64_t PickedDateAndTime(HWND dialog, const DateRowControls& row) {
  SYSTEMTIME day = GetPicker(dialog, row.date);
  const SYSTEMTIME clock = GetPicker(dialog, row.time);
  day.wHour = clock.wHour;
  day.wMinute = clock.wMinute;
  day.wSecond = clock.wSecond;
  return PickedTime(day);
}

// A time of day is kept on 2 January 1980.
uint64_t PickedTimeOfDay(HWND dialog, const DateRowControls& row) {
  SYSTEMTIME clock = GetPicker(dialog, row.time);
  clock.wYear = 1980;
  clock.wMonth = 1;
  clock.wDay = 2;
  clock.wDayOfWeek = 3;
  return PickedTime(clock);
}

void PlaceInSlot(HWND dialog, int id, Slot slot, bool shown) {
  RECT place = {slot.x, 0, slot.x + slot.width, 0};
  MapDialogRect(dialog, &place);
  const RECT current = DialogItemRect(dialog, id);
  HWND control = GetDialogItem(dialog, id);
  SetWindowPos(control, nullptr, place.left, current.top, place.right - place.left, current.bottom - current.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

}  // namespace

void FillDateRowUnits(HWND dialog, const DateRowControls& row) {
  wchar_t text[kUiTextCapacity];
  for (int i = 0; kFilterDateUnits[i] != 0; ++i) {
    GetUiText(kTextUnitDate + i, text, kUiTextCapacity);
    ComboAddStringWithDataById(dialog, row.unit, text, kFilterDateUnits[i]);
  }
  LimitDlgItemText(dialog, row.count, kCountCapacity - 1);
}

void ShowDateRow(HWND dialog, const DateRowControls& row, const FilterHalf& half) {
  const uint8_t unit = half.dateUnit != 0 && strchr(kFilterDateUnits, half.dateUnit) != nullptr ? half.dateUnit : 0;
  SYSTEMTIME shown;
  GetLocalTime(&shown);
  bool set = unit != 0;
  if (unit == 'D' || unit == 'T') {
    shown = ShownTime(half, unit, shown, &set);
  } else if (unit != 0) {
    SetSignedCount(dialog, row.count, static_cast<int64_t>(half.dateValue));
  }
  SetDateRowPickers(dialog, row, shown);
  const char* units = kFilterDateUnits;
  ComboSetCurSelById(dialog, row.unit, static_cast<int>(strchr(units, unit != 0 ? unit : 'D') - units));
  (set ? CheckDlgButtonOn : CheckDlgButtonOff)(dialog, row.check);
}

void ReadDateRow(HWND dialog, const DateRowControls& row, FilterHalf* half) {
  const uint8_t unit = IsChecked(dialog, row.check) ? SelectedDateUnit(dialog, row) : 0;
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

bool LayOutDateRow(HWND dialog, const DateRowControls& row) {
  const uint8_t unit = SelectedDateUnit(dialog, row);
  const bool relative = unit != 0 && unit != 'D' && unit != 'T';
  PlaceInSlot(dialog, row.count, kFirstSlot, relative);
  PlaceInSlot(dialog, row.unit, relative ? kSecondSlot : kFirstSlot, true);
  PlaceInSlot(dialog, row.date, kSecondSlot, !relative && unit != 'T');
  PlaceInSlot(dialog, row.time, unit == 'T' ? kSecondSlot : kThirdSlot, !relative);
  PlaceInSlot(dialog, row.edit, kButtonSlot, !relative && unit != 'T');
  const bool on = IsChecked(dialog, row.check);
  for (int id : {row.unit, row.count, row.date, row.time, row.edit}) EnableDlgItem(dialog, id, on);
  return !relative;
}

uint8_t SelectedDateUnit(HWND dialog, const DateRowControls& row) {
  const LRESULT letter = ComboGetSelectedDataById(dialog, row.unit);
  return letter > 0 && letter < 0x80 ? static_cast<uint8_t>(letter) : 0;
}

void SetUpDateRowArrows(HWND dialog, int upDown) {
  // Positions from 0 to 100 make the upper arrow the one that counts up.
  SendDialogItemMessage(dialog, upDown, UDM_SETRANGE32, 0, 100);
  SendDialogItemMessage(dialog, upDown, UDM_SETPOS32, 0, 50);
}

INT_PTR OnDateRowArrows(HWND dialog, const NMHDR* header, int upDown, const DateRowControls& first,
                        const DateRowControls& second) {
  if (header->idFrom != static_cast<UINT_PTR>(upDown) || header->code != UDN_DELTAPOS) return FALSE;
  const bool upwards = reinterpret_cast<const NMUPDOWN*>(header)->iDelta > 0;
  CopyDateRowPickers(dialog, upwards ? first : second, upwards ? second : first);
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
  return TRUE;
}

void SetDateRowPickers(HWND dialog, const DateRowControls& row, const SYSTEMTIME& local) {
  SetPicker(dialog, row.date, local);
  SetPicker(dialog, row.time, local);
}

void CopyDateRowPickers(HWND dialog, const DateRowControls& from, const DateRowControls& to) {
  SetPicker(dialog, to.date, GetPicker(dialog, from.date));
  SetPicker(dialog, to.time, GetPicker(dialog, from.time));
}
