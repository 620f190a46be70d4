#include "views/filter_dialog.h"

#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/core/jobs.h"
#include "foundation/text/text_sizes.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/ui/help_topics.h"
#include "foundation/text/numbers.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/win32/system_functions.h"
#include "foundation/win32/theme.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/window_position.h"
#include "foundation/win32/window_wrappers.h"
#include "views/date_rows.h"
#include "views/date_time_dialog.h"

namespace {

constexpr int kDialogOk = IDC_FILTER_OK;
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

// A row's check box reads a text while the row counts back from now, another while it holds a date or a time of
// day.
struct FilterDateRow {
  DateRowControls controls;
  int relativeCaption;
  const wchar_t* boundCaption;
};

constexpr FilterDateRow kDateRows[2] = {
    {{IDC_FILTER_LOWER_DATE_CHECK, IDC_FILTER_LOWER_DATE_UNIT, IDC_FILTER_LOWER_COUNT, IDC_FILTER_LOWER_DATE,
      IDC_FILTER_LOWER_TIME, IDC_FILTER_LOWER_EDIT},
     kTextWithinLast, L">="},
    {{IDC_FILTER_UPPER_DATE_CHECK, IDC_FILTER_UPPER_DATE_UNIT, IDC_FILTER_UPPER_COUNT, IDC_FILTER_UPPER_DATE,
      IDC_FILTER_UPPER_TIME, IDC_FILTER_UPPER_EDIT},
     kTextOlderThan, L"<="},
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

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetChecked(HWND dialog, int id, bool checked) {
  if (checked) {
    CheckDlgButtonOn(dialog, id);
  } else {
    CheckDlgButtonOff(dialog, id);
  }
}

void SetCount(HWND dialog, int id, uint64_t magnitude) {
  wchar_t digits[kCountCapacity];
  UInt64ToWideDecimal(&magnitude, digits, kCountCapacity);
  SetDialogItemText(dialog, id, digits);
}

uint64_t GetUnsignedCount(HWND dialog, int id) {
  wchar_t digits[kCountCapacity];
  GetDialogItemText(dialog, id, digits, kCountCapacity);
  return wcstoull(digits, nullptr, 10);
}

void FillLists(HWND dialog) {
  wchar_t text[kUiTextCapacity];
  for (int id : kTimeKindTextIds) {
    GetUiText(id, text, kUiTextCapacity);
    ComboAddString(GetDialogItem(dialog, IDC_FILTER_TIME_KIND), text);
  }
  for (const FilterDateRow& row : kDateRows) FillDateRowUnits(dialog, row.controls);
  for (const SizeRow& row : kSizeRows) {
    GetUiText(kTextWordBytes, text, kUiTextCapacity);
    ComboAddStringWithDataById(dialog, row.unit, text, 'B');
    ComboAddStringWithDataById(dialog, row.unit, L"KB", 'K');
    ComboAddStringWithDataById(dialog, row.unit, L"MB", 'M');
    ComboAddStringWithDataById(dialog, row.unit, L"GB", 'G');
    LimitDlgItemText(dialog, row.count, kCountCapacity - 1);
  }
  LimitDlgItemText(dialog, IDC_FILTER_INCLUDE, kFilterMaskCapacity - 1);
  LimitDlgItemText(dialog, IDC_FILTER_EXCLUDE, kFilterMaskCapacity - 1);
  SetUpDateRowArrows(dialog, IDC_FILTER_COPY_DATES);
}

void ShowSizeRow(HWND dialog, const SizeRow& row, const FilterHalf& half) {
  const char* units = kFilterSizeUnits;
  const uint8_t unit = half.sizeUnit != 0 && strchr(units, half.sizeUnit) != nullptr ? half.sizeUnit : 0;
  ComboSetCurSelById(dialog, row.unit, static_cast<int>(strchr(units, unit != 0 ? unit : 'B') - units));
  if (unit != 0) SetCount(dialog, row.count, half.sizeValue);
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

// The check box reads what the row's unit means and reaches up to the count field.
void CaptionDateRow(HWND dialog, const FilterDateRow& row, bool bound) {
  wchar_t caption[kUiTextCapacity];
  GetUiText(row.relativeCaption, caption, kUiTextCapacity);
  SetDialogItemText(dialog, row.controls.check, bound ? row.boundCaption : caption);
  const RECT box = DialogItemRect(dialog, row.controls.check);
  const RECT count = DialogItemRect(dialog, row.controls.count);
  SetWindowPos(GetDialogItem(dialog, row.controls.check), nullptr, box.left, box.top,
               count.left - kCheckBoxGap - box.left, box.bottom - box.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayOutDateRows(HWND dialog) {
  const bool lowerOn = IsChecked(dialog, kDateRows[0].controls.check);
  const bool upperOn = IsChecked(dialog, kDateRows[1].controls.check);
  EnableDlgItem(dialog, IDC_FILTER_TIME_KIND, lowerOn || upperOn);
  EnableDlgItem(dialog, IDC_FILTER_COPY_DATES, lowerOn && upperOn);
  bool pickers = false;
  for (const FilterDateRow& row : kDateRows) {
    const bool bound = LayOutDateRow(dialog, row.controls);
    CaptionDateRow(dialog, row, bound);
    pickers = pickers || bound;
  }
  ShowWindow(GetDialogItem(dialog, IDC_FILTER_COPY_DATES), pickers ? SW_SHOWNA : SW_HIDE);
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
  ShowDateRow(dialog, kDateRows[0].controls, record.lower);
  ShowDateRow(dialog, kDateRows[1].controls, record.upper);
  ShowSizeRow(dialog, kSizeRows[0], record.lower);
  ShowSizeRow(dialog, kSizeRows[1], record.upper);
  ShowAttributes(dialog, record);
  LayOutDateRows(dialog);
  EnableSizeRows(dialog);
}

void ReadSizeRow(HWND dialog, const SizeRow& row, FilterHalf* half) {
  const LRESULT letter = IsChecked(dialog, row.check) ? ComboGetSelectedDataById(dialog, row.unit) : 0;
  const uint8_t unit = letter > 0 && letter < 0x80 ? static_cast<uint8_t>(letter) : 0;
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
  ReadDateRow(dialog, kDateRows[0].controls, &record->lower);
  ReadDateRow(dialog, kDateRows[1].controls, &record->upper);
  const int mode = ComboGetCurSelById(dialog, IDC_FILTER_TIME_KIND);
  record->mode = static_cast<uint8_t>(mode >= 0 && mode <= kFilterModeLastAccess ? mode : kFilterModeLastWrite);
  ReadSizeRow(dialog, kSizeRows[0], &record->lower);
  ReadSizeRow(dialog, kSizeRows[1], &record->upper);
  ReadAttributes(dialog, record);
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
    case IDC_FILTER_LOWER_EDIT:
    case IDC_FILTER_UPPER_EDIT: {
      const DateRowControls& row = kDateRows[id == IDC_FILTER_LOWER_EDIT ? 0 : 1].controls;
      EditDateTimePickerPair(dialog, row.date, row.time);
      break;
    }
    case IDC_FILTER_LOWER_SIZE_CHECK:
    case IDC_FILTER_UPPER_SIZE_CHECK:
      EnableSizeRows(dialog);
      break;
    default:
      break;
  }
}

}  // namespace

int ShowFilterDialog(HWND parent, FilterRecord* record) {
  if (record == nullptr) return 0;
  InitCommonControlClasses();
  HINSTANCE instance = g_app != nullptr && g_app->instance != nullptr ? g_app->instance : GetModuleHandleW(nullptr);
  // OK writes the record in place: no listing begins while the dialog is open (one that runs has its own copy).
  HoldJobsBack();
  const INT_PTR ended =
      ShowModalDialog(instance, IDD_FILTER, parent, FilterDialogProc, reinterpret_cast<LPARAM>(record));
  EndHoldingOffJobs();
  return ended == 1 ? 1 : 0;
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
      return OnDateRowArrows(dialog, reinterpret_cast<const NMHDR*>(lParam), IDC_FILTER_COPY_DATES,
                             kDateRows[0].controls, kDateRows[1].controls);
    case WM_HELP:
      ShowHelpTopic(dialog, g_app != nullptr ? g_app->languageCode : "", kFilterHelpTopic);
      return TRUE;
    default:
      return FALSE;
  }
}
