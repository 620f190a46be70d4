#include "engine/module_dialog_helpers.h"

#include <cwchar>

#include "engine/module_contract.h"
#include "foundation/ui/module_dialog_ids.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/text/text_encoding.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/window_wrappers.h"

namespace {

// Positions as the dialogs show them: from 1 to 250.
constexpr uint32_t kLowestShownPosition = 1;
constexpr uint32_t kHighestShownPosition = 250;
// The last caret position at which a reference is inserted, and the room of a quoted reference.
constexpr DWORD kMostReferenceCaret = 1018;
constexpr int kReferenceCapacity = 1026;

void AddNamePart(HWND combo, int textId, wchar_t part) {
  wchar_t text[kUiTextCapacity];
  GetUiText(textId, text, kUiTextCapacity);
  const LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  if (item >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), part);
}

}  // namespace

void FillNamePartCombo(HWND combo) {
  if (combo == nullptr) return;
  AddNamePart(combo, kTextNamePart, L'n');
  AddNamePart(combo, kTextExtensionPart, L'e');
}

void InitEditWithPlaceholder(HWND edit, const wchar_t* text) {
  if (edit == nullptr) return;
  // The record keeps 255 characters of a comment; the edit takes no more than that.
  SendMessageW(edit, EM_LIMITTEXT, kStepCommentCapacity - 1, 0);
  if (text != nullptr && text[0] != 0) {
    SetWindowTextW(edit, text);
    return;
  }
  wchar_t placeholder[kUiTextCapacity];
  GetUiText(kTextComment, placeholder, kUiTextCapacity);
  SetWindowTextW(edit, placeholder);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

void GetEditTextNoPlaceholder(HWND edit, wchar_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return;
  out[0] = 0;
  if (edit == nullptr) return;
  GetWindowTextW(edit, out, capacity);
  wchar_t placeholder[kUiTextCapacity];
  GetUiText(kTextComment, placeholder, kUiTextCapacity);
  if (placeholder[0] != 0 && EqualsIgnoreCaseWide(out, placeholder)) out[0] = 0;
}

void ShowPositionEdit(HWND dialog, int id, uint32_t position) {
  const uint32_t stored = position < kHighestShownPosition ? position : kHighestShownPosition - 1;
  ShowNumberEdit(dialog, id, int64_t{stored} + 1);
}

uint32_t ReadPositionEdit(HWND dialog, int id) {
  return ReadBoundedEdit(dialog, id, kLowestShownPosition, kHighestShownPosition) - 1;
}

uint32_t ReadBoundedEdit(HWND dialog, int id, uint32_t lowest, uint32_t highest) {
  wchar_t digits[kNumberTextCapacity];
  GetDialogItemText(dialog, id, digits, kNumberTextCapacity);
  if (digits[0] == 0) return lowest;
  const int32_t typed = WideToIntDecimal(digits);
  if (typed >= 0 && static_cast<uint32_t>(typed) >= lowest && static_cast<uint32_t>(typed) <= highest)
    return static_cast<uint32_t>(typed);
  const uint32_t held = typed < 0 || static_cast<uint32_t>(typed) < lowest ? lowest : highest;
  ShowNumberEdit(dialog, id, held);
  SendDialogItemMessage(dialog, id, EM_SETSEL, kNumberTextCapacity, kNumberTextCapacity);
  return held;
}

void ShowNumberEdit(HWND dialog, int id, int64_t value) {
  wchar_t digits[kNumberTextCapacity];
  swprintf(digits, kNumberTextCapacity, L"%lld", static_cast<long long>(value));
  SetDialogItemText(dialog, id, digits);
}

int32_t ReadSignedEdit(HWND dialog, int id) {
  wchar_t digits[kNumberTextCapacity];
  GetDialogItemText(dialog, id, digits, kNumberTextCapacity);
  return WideToIntDecimal(digits);
}

void SelectComboItemByData(HWND dialog, int id, LPARAM data) {
  HWND combo = GetDialogItem(dialog, id);
  const int count = ComboGetCount(combo);
  int chosen = 0;
  for (int item = 0; item < count; ++item) {
    if (ComboGetItemData(combo, item) == data) {
      chosen = item;
      break;
    }
  }
  ComboSetCurSel(combo, chosen);
}

LPARAM ReadComboItemData(HWND dialog, int id, LPARAM fallback) {
  HWND combo = GetDialogItem(dialog, id);
  const int selected = ComboGetCurSel(combo);
  return selected >= 0 ? ComboGetItemData(combo, selected) : fallback;
}

void FillComboWithTexts(HWND dialog, int id, const int* textIds, const LPARAM* data) {
  HWND combo = GetDialogItem(dialog, id);
  wchar_t text[kUiTextCapacity];
  for (int i = 0; textIds[i] != 0; ++i) {
    GetUiText(textIds[i], text, kUiTextCapacity);
    ComboAddStringWithData(combo, text, data[i]);
  }
}

void ShowNamePart(HWND dialog, wchar_t part) {
  SelectComboItemByData(dialog, IDC_MODULE_PART, part == L'e' ? L'e' : L'n');
}

wchar_t ReadNamePart(HWND dialog) { return ReadComboItemData(dialog, IDC_MODULE_PART, L'n') == L'e' ? L'e' : L'n'; }

void ShowSide(HWND dialog, wchar_t side) {
  CheckRadioButton(dialog, IDC_MODULE_FROM_LEFT, IDC_MODULE_FROM_RIGHT,
                   side == L'r' ? IDC_MODULE_FROM_RIGHT : IDC_MODULE_FROM_LEFT);
}

wchar_t ReadSide(HWND dialog) { return ReadFlagBox(dialog, IDC_MODULE_FROM_RIGHT) ? L'r' : L'l'; }

void ShowFlagBox(HWND dialog, int id, bool set) {
  if (set) {
    CheckDlgButtonOn(dialog, id);
  } else {
    CheckDlgButtonOff(dialog, id);
  }
}

bool ReadFlagBox(HWND dialog, int id) { return IsDlgButtonCheckedById(dialog, id) == BST_CHECKED; }

void ShowStepComment(HWND dialog, const wchar_t* comment) {
  InitEditWithPlaceholder(GetDialogItem(dialog, IDC_MODULE_COMMENT), comment);
}

void ReadStepComment(HWND dialog, wchar_t* comment) {
  GetEditTextNoPlaceholder(GetDialogItem(dialog, IDC_MODULE_COMMENT), comment, kStepCommentCapacity);
}

void ShowPresetMenu(HWND dialog, int button, int edit, const wchar_t* const* presets) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  int count = 0;
  for (; presets[count] != nullptr; ++count) {
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(count + 1), presets[count]);
  }
  const int chosen = TrackMenuBesideButton(dialog, button, menu);
  DestroyMenu(menu);
  if (chosen >= 1 && chosen <= count) SetDialogItemText(dialog, edit, presets[chosen - 1]);
}

int TrackMenuBesideButton(HWND dialog, int button, HMENU menu) {
  RECT place = {};
  GetWindowRect(GetDialogItem(dialog, button), &place);
  return static_cast<int>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, place.right, place.top, 0, dialog, nullptr));
}

void InsertPatternReference(HWND edit, const wchar_t* reference) {
  DWORD caret = 0;
  DWORD selectionEnd = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), reinterpret_cast<LPARAM>(&selectionEnd));
  if (caret > kMostReferenceCaret) return;
  wchar_t quoted[kReferenceCapacity];
  CopyWideString(L"\"", quoted, kReferenceCapacity);
  AppendWideBounded(reference, quoted, kReferenceCapacity);
  AppendWideBounded(L"\"", quoted, kReferenceCapacity);
  // The edit would cut a reference beyond its limit and leave its quote open.
  const size_t kept = static_cast<size_t>(GetWindowTextLengthSafe(edit)) - (selectionEnd - caret);
  if (kept + WideLength(quoted) > static_cast<size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0))) return;
  // The caret stays after the reference, so that fields inserted one after another come in that order.
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(quoted));
}
