#include "shell/timestamp_options.h"

#include "foundation/text/text_sizes.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/system_functions.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/main_window.h"

namespace {

constexpr int kDialogOk = 99;

constexpr int kTimestampTextIds[] = {kTextTimestamps,
                                     kTextOk,
                                     kTextCancel,
                                     IDC_TIMESTAMPS_SET_LABEL,
                                     IDC_TIMESTAMPS_FROM_LABEL,
                                     IDC_TIMESTAMPS_CREATION,
                                     IDC_TIMESTAMPS_MODIFIED,
                                     IDC_TIMESTAMPS_OTHER_TIME,
                                     IDC_TIMESTAMPS_EXIF,
                                     IDC_TIMESTAMPS_MAIL,
                                     IDC_TIMESTAMPS_NAME,
                                     IDC_TIMESTAMPS_DOS,
                                     0};
// The EXIF list's entries in the order of their choice number.
constexpr int kExifChoiceTextIds[] = {kTextExifImageDate, kTextExifOriginalDate, kTextExifDigitizedDate,
                                      kTextExifGpsDate};

struct OptionBox {
  int id;
  uint32_t bit;
};
constexpr OptionBox kOptionBoxes[] = {
    {IDC_TIMESTAMPS_CREATION, kTimestampSetCreation},   {IDC_TIMESTAMPS_MODIFIED, kTimestampSetModification},
    {IDC_TIMESTAMPS_OTHER_TIME, kTimestampCopyOtherTime}, {IDC_TIMESTAMPS_EXIF, kTimestampFromExif},
    {IDC_TIMESTAMPS_MAIL, kTimestampFromMail},         {IDC_TIMESTAMPS_NAME, kTimestampFromNameDigits},
    {IDC_TIMESTAMPS_DOS, kTimestampRoundToDos},
};
constexpr int kPaintedBoxes[] = {IDC_TIMESTAMPS_CREATION, IDC_TIMESTAMPS_MODIFIED, IDC_TIMESTAMPS_OTHER_TIME,
                                 IDC_TIMESTAMPS_EXIF,     IDC_TIMESTAMPS_MAIL,     IDC_TIMESTAMPS_NAME,
                                 IDC_TIMESTAMPS_DOS,      0};

bool IsChecked(HWND dialog, int id) { return IsDlgButtonCheckedById(dialog, id) == BST_CHECKED; }

void FillExifChoices(HWND dialog, uint32_t options) {
  wchar_t text[kUiTextCapacity];
  for (int choice = 0; choice < 4; ++choice) {
    GetUiText(kExifChoiceTextIds[choice], text, kUiTextCapacity);
    ComboAddStringWithDataById(dialog, IDC_TIMESTAMPS_EXIF_DATE, text, choice);
  }
  const uint32_t chosen = options & kTimestampExifChoice;
  ComboSetCurSelById(dialog, IDC_TIMESTAMPS_EXIF_DATE, chosen < 4 ? static_cast<int>(chosen) : 0);
}

uint32_t* OptionsOf(HWND dialog) { return reinterpret_cast<uint32_t*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

}  // namespace

void TimestampOptionDialogInit(HWND dialog, uint32_t options) {
  ApplyDialogTexts(dialog, kTimestampTextIds);
  FillExifChoices(dialog, options);
  for (const OptionBox& box : kOptionBoxes) {
    if (options & box.bit) CheckDlgButtonOn(dialog, box.id);
  }
  UpdateOptionDialogControls(dialog);
}

void ReadTimestampOptions(HWND dialog, uint32_t* options) {
  for (const OptionBox& box : kOptionBoxes) SetFlagIfDlgButtonChecked(dialog, box.id, options, box.bit);
  const LRESULT choice = ComboGetSelectedDataById(dialog, IDC_TIMESTAMPS_EXIF_DATE);
  *options = (*options & ~kTimestampExifChoice) | (choice >= 0 && choice < 4 ? static_cast<uint32_t>(choice) : 0);
}

void UpdateOptionDialogControls(HWND dialog) {
  const bool creation = IsChecked(dialog, IDC_TIMESTAMPS_CREATION);
  if (!creation && !IsChecked(dialog, IDC_TIMESTAMPS_MODIFIED)) CheckDlgButtonOn(dialog, IDC_TIMESTAMPS_MODIFIED);
  const bool modification = IsChecked(dialog, IDC_TIMESTAMPS_MODIFIED);
  EnableDlgItem(dialog, IDC_TIMESTAMPS_OTHER_TIME, !(creation && modification));
  wchar_t text[kUiTextCapacity];
  GetUiText(creation && !modification ? kTextFromModifiedTime : kTextFromOtherTime, text, kUiTextCapacity);
  SetDialogItemText(dialog, IDC_TIMESTAMPS_OTHER_TIME, text);
  EnableDlgItem(dialog, IDC_TIMESTAMPS_EXIF_DATE, IsChecked(dialog, IDC_TIMESTAMPS_EXIF));
}

int ShowTimestampOptionsDialog(HWND owner, uint32_t* options) {
  if (options == nullptr) return 0;
  InitCommonControlClasses();
  return ShowModalDialog(nullptr, IDD_TIMESTAMPS, owner, TimestampOptionDialogProc,
                         reinterpret_cast<LPARAM>(options)) == 1
             ? 1
             : 0;
}

INT_PTR CALLBACK TimestampOptionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      ApplyWindowTheme(dialog);
      CenterWindowOnParent(dialog);
      TimestampOptionDialogInit(dialog, *reinterpret_cast<uint32_t*>(lParam));
      ApplyDarkModeToDlgItem(dialog, kDialogOk);
      ApplyDarkModeToDlgItem(dialog, IDCANCEL);
      SubclassDlgItemsForPaint(dialog, kPaintedBoxes);
      ApplyDarkModeToComboById(dialog, IDC_TIMESTAMPS_EXIF_DATE, kComboPaintPlain, true);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case kDialogOk:
          ReadTimestampOptions(dialog, OptionsOf(dialog));
          EndDialog(dialog, 1);
          break;
        case IDCANCEL:
          EndDialog(dialog, 0);
          break;
        case IDC_TIMESTAMPS_CREATION:
        case IDC_TIMESTAMPS_MODIFIED:
        case IDC_TIMESTAMPS_EXIF:
          UpdateOptionDialogControls(dialog);
          break;
        default:
          break;
      }
      return TRUE;
    case WM_DRAWITEM:
      return RedrawOwnerDrawnButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<INT_PTR>(HandleCtlColorDark(reinterpret_cast<HDC>(wParam)));
    default:
      return FALSE;
  }
}
