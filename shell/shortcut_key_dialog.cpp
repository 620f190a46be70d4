#include "shell/shortcut_key_dialog.h"

#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "metadata/option_pages.h"
#include "shell/key_names.h"
#include "shell/keyboard_hook.h"

namespace {

constexpr int kDialogTextIds[] = {kTextShortcutKey, IDC_SHORTCUT_OK, IDCANCEL, IDC_SHORTCUT_ALT, IDC_SHORTCUT_CTRL,
                                  IDC_SHORTCUT_SHIFT, 0};
constexpr int kModifierBoxIds[] = {IDC_SHORTCUT_ALT, IDC_SHORTCUT_CTRL, IDC_SHORTCUT_SHIFT, 0};

struct ModifierBox {
  int id;
  uint16_t bit;
};

constexpr ModifierBox kModifierBoxes[] = {
    {IDC_SHORTCUT_ALT, kKeyAlt}, {IDC_SHORTCUT_CTRL, kKeyCtrl}, {IDC_SHORTCUT_SHIFT, kKeyShift}};

// After F1-F12, A-Z, 0-9 and the numpad digits.
constexpr uint8_t kFurtherKeys[] = {
    VK_RETURN, VK_TAB,    VK_SPACE,  VK_INSERT,  VK_DELETE, VK_HOME,      VK_END,        VK_PRIOR,
    VK_NEXT,   VK_LEFT,   VK_UP,     VK_RIGHT,   VK_DOWN,   VK_SELECT,    VK_PRINT,      VK_EXECUTE,
    VK_SNAPSHOT, VK_ADD,  VK_SUBTRACT, VK_MULTIPLY, VK_DIVIDE, VK_OEM_PLUS, VK_OEM_COMMA, VK_OEM_MINUS,
    VK_OEM_PERIOD, VK_OEM_1, VK_OEM_2, VK_OEM_3, VK_OEM_4, VK_OEM_5,    VK_OEM_6,      VK_OEM_7,
    VK_OEM_8,  VK_OEM_102, VK_BACK,  VK_PAUSE,   VK_CAPITAL, VK_ESCAPE,   VK_NUMLOCK,    VK_SCROLL,
    VK_CLEAR};

struct KeyRange {
  int first;
  int last;
};

constexpr KeyRange kKeyRanges[] = {{VK_F1, VK_F12}, {'A', 'Z'}, {'0', '9'}, {VK_NUMPAD0, VK_NUMPAD9}};

void AddKey(HWND combo, int key) {
  wchar_t name[kKeyNameCapacity];
  FormatKeyName(static_cast<uint16_t>(key), name, kKeyNameCapacity);
  if (name[0] != 0) ComboAddStringWithData(combo, name, key);
}

ShortcutEditRecord* RecordOf(HWND dialog) { return reinterpret_cast<ShortcutEditRecord*>(GetWindowUserData16(dialog)); }

// The first row of the list holding the key code, or -1.
int RowWithKey(HWND list, uint16_t keyCode) {
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    if (LOWORD(ListViewItemParam(list, row)) == keyCode) return row;
  }
  return -1;
}

void ShowConflict(HWND dialog, const wchar_t* message) {
  if (dialog) SetDialogItemText(dialog, IDC_SHORTCUT_MESSAGE, message);
}

void InitShortcutKeyDialog(HWND dialog, ShortcutEditRecord* record) {
  ApplyWindowTheme(dialog);
  CenterWindowOnParent(dialog);
  ApplyDialogTexts(dialog, kDialogTextIds);
  SetDialogUserData(dialog, reinterpret_cast<LONG_PTR>(record));
  SetDialogItemText(dialog, IDC_SHORTCUT_COMMAND, record->label);
  SetFocus(GetDialogItem(dialog, IDC_SHORTCUT_KEY));
  FillShortcutKeyCombo(GetDialogItem(dialog, IDC_SHORTCUT_KEY));
  if (record->keyCode != 0) SetShortcutControls(dialog, record->keyCode);
  CheckShortcutConflict(dialog, record);
  ApplyDarkModeToDlgItem(dialog, IDC_SHORTCUT_OK);
  ApplyDarkModeToDlgItem(dialog, IDCANCEL);
  SubclassDlgItemsForPaint(dialog, kModifierBoxIds);
  ApplyDarkModeToComboById(dialog, IDC_SHORTCUT_KEY, kComboPaintPlain, false);
}

bool IsModifierBox(int id) { return id == IDC_SHORTCUT_ALT || id == IDC_SHORTCUT_CTRL || id == IDC_SHORTCUT_SHIFT; }

void OnShortcutKeyCommand(HWND dialog, int id, int code) {
  if (id == IDC_SHORTCUT_OK || id == IDOK) {
    EndDialog(dialog, ValidateShortcutDialog(dialog));
  } else if (id == IDCANCEL) {
    EndDialog(dialog, 0);
  } else if ((id == IDC_SHORTCUT_KEY && code == CBN_SELENDOK) || (IsModifierBox(id) && code == BN_CLICKED)) {
    if (ShortcutEditRecord* record = RecordOf(dialog)) CheckShortcutConflict(dialog, record);
  }
}

}  // namespace

int ShowShortcutKeyDialog(HWND owner, ShortcutEditRecord* record) {
  const INT_PTR answer = ShowModalDialog(ProgramInstance(), IDD_SHORTCUT_KEY, owner, ShortcutKeyDialogProc,
                                         reinterpret_cast<LPARAM>(record));
  return answer == 1 ? 1 : 0;
}

INT_PTR CALLBACK ShortcutKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitShortcutKeyDialog(dialog, reinterpret_cast<ShortcutEditRecord*>(lParam));
      return FALSE;
    case WM_COMMAND:
      OnShortcutKeyCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DRAWITEM:
      if (wParam != IDC_SHORTCUT_OK && wParam != IDCANCEL) return FALSE;
      return RedrawOwnerDrawnButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(HandleCtlColorDark(reinterpret_cast<HDC>(wParam)));
    default:
      return FALSE;
  }
}

void FillShortcutKeyCombo(HWND combo) {
  for (const KeyRange& range : kKeyRanges) {
    for (int key = range.first; key <= range.last; ++key) AddKey(combo, key);
  }
  for (uint8_t key : kFurtherKeys) AddKey(combo, key);
}

void ReadShortcutControls(HWND dialog, ShortcutEditRecord* record) {
  const int selected = ComboGetCurSelById(dialog, IDC_SHORTCUT_KEY);
  if (selected < 0) return;
  uint16_t keyCode = static_cast<uint16_t>(ComboGetItemDataById(dialog, IDC_SHORTCUT_KEY, selected) & kVirtualKeyMask);
  for (const ModifierBox& box : kModifierBoxes) {
    if (IsDlgButtonCheckedById(dialog, box.id)) keyCode |= box.bit;
  }
  record->keyCode = keyCode;
}

void SetShortcutControls(HWND dialog, uint16_t keyCode) {
  for (const ModifierBox& box : kModifierBoxes) {
    if (keyCode & box.bit) {
      CheckDlgButtonOn(dialog, box.id);
    } else {
      CheckDlgButtonOff(dialog, box.id);
    }
  }
  HWND combo = GetDialogItem(dialog, IDC_SHORTCUT_KEY);
  const int count = ComboGetCount(combo);
  for (int item = 0; item < count; ++item) {
    if (ComboGetItemData(combo, item) == (keyCode & kVirtualKeyMask)) {
      ComboSetCurSel(combo, item);
      return;
    }
  }
}

int CheckShortcutConflict(HWND dialog, ShortcutEditRecord* record) {
  if (dialog) ReadShortcutControls(dialog, record);
  if (record->keyCode == 0) {
    ShowConflict(dialog, L"");
    return 0;
  }
  if (IsReservedShortcutKey(record->keyCode)) {
    wchar_t reserved[kCellTextCapacity];
    GetUiText(kTextReservedKey, reserved, kCellTextCapacity);
    ShowConflict(dialog, reserved);
    return -1;
  }
  const int row = RowWithKey(record->list, record->keyCode);
  if (row < 0 || HIWORD(ListViewItemParam(record->list, row)) == record->commandId) {
    ShowConflict(dialog, L"");
    return 0;
  }
  wchar_t holder[kCellTextCapacity];
  ListViewGetItemText(record->list, row, 0, holder, kCellTextCapacity);
  ShowConflict(dialog, holder);
  return row + 1;
}

int ValidateShortcutDialog(HWND dialog) {
  ShortcutEditRecord* record = RecordOf(dialog);
  if (!record) return 0;
  ReadShortcutControls(dialog, record);
  return IsReservedShortcutKey(record->keyCode) ? 0 : 1;
}
