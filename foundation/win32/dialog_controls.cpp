#include "foundation/win32/dialog_controls.h"

#include <commctrl.h>

#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/core/record_buffer.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kSmallestIconSize = 16;
constexpr int kDefaultIconSizes[] = {16, 24, 32, 48, 64, 0};

void SetDlgButtonCheck(HWND dialog, int id, WPARAM state) { SendDialogItemMessage(dialog, id, BM_SETCHECK, state, 0); }

}  // namespace

void CheckDlgButtonOn(HWND dialog, int id) { SetDlgButtonCheck(dialog, id, BST_CHECKED); }

void CheckDlgButtonOff(HWND dialog, int id) { SetDlgButtonCheck(dialog, id, BST_UNCHECKED); }

void CheckDlgButtonIndeterminate(HWND dialog, int id) { SetDlgButtonCheck(dialog, id, BST_INDETERMINATE); }

int IsDlgButtonCheckedById(HWND dialog, int id) {
  return static_cast<int>(SendDialogItemMessage(dialog, id, BM_GETCHECK, 0, 0));
}

void SetFlagIfDlgButtonChecked(HWND dialog, int id, uint32_t* flags, uint32_t bits) {
  if (!flags) return;
  if (IsDlgButtonCheckedById(dialog, id) == BST_CHECKED) {
    *flags |= bits;
  } else {
    *flags &= ~bits;
  }
}

int ComboAddString(HWND combo, const wchar_t* text) {
  return static_cast<int>(SendWindowMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int ComboGetCount(HWND combo) { return static_cast<int>(SendWindowMessage(combo, CB_GETCOUNT, 0, 0)); }

LRESULT ComboGetItemData(HWND combo, int index) { return SendWindowMessage(combo, CB_GETITEMDATA, index, 0); }

int ComboSetCurSel(HWND combo, int index) { return static_cast<int>(SendWindowMessage(combo, CB_SETCURSEL, index, 0)); }

int ComboGetCurSel(HWND combo) { return static_cast<int>(SendWindowMessage(combo, CB_GETCURSEL, 0, 0)); }

LRESULT ComboGetItemDataById(HWND dialog, int id, int index) {
  return ComboGetItemData(GetDialogItem(dialog, id), index);
}

int ComboSetCurSelById(HWND dialog, int id, int index) { return ComboSetCurSel(GetDialogItem(dialog, id), index); }

int ComboGetCurSelById(HWND dialog, int id) { return ComboGetCurSel(GetDialogItem(dialog, id)); }

LRESULT ComboGetSelectedDataById(HWND dialog, int id) {
  HWND combo = GetDialogItem(dialog, id);
  return ComboGetItemData(combo, ComboGetCurSel(combo));
}

int ComboAddStringWithData(HWND combo, const wchar_t* text, LPARAM data) {
  int index = ComboAddString(combo, text);
  SendWindowMessage(combo, CB_SETITEMDATA, index, data);
  return index;
}

int ComboAddStringWithDataById(HWND dialog, int id, const wchar_t* text, LPARAM data) {
  HWND combo = GetDialogItem(dialog, id);
  return combo ? ComboAddStringWithData(combo, text, data) : -1;
}

int ListBoxAddStringWithData(HWND list, const wchar_t* text, LPARAM data) {
  int index = static_cast<int>(SendWindowMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
  SendWindowMessage(list, LB_SETITEMDATA, index, data);
  return index;
}

LRESULT ListBoxGetItemData(HWND list, int index) { return SendWindowMessage(list, LB_GETITEMDATA, index, 0); }

int ListBoxGetCount(HWND list) { return static_cast<int>(SendWindowMessage(list, LB_GETCOUNT, 0, 0)); }

int ListBoxSetCurSel(HWND list, int index) { return static_cast<int>(SendWindowMessage(list, LB_SETCURSEL, index, 0)); }

int ListBoxGetCurSel(HWND list) { return static_cast<int>(SendWindowMessage(list, LB_GETCURSEL, 0, 0)); }

int ListBoxGetItemText(HWND list, int index, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  buffer[0] = L'\0';
  int length = static_cast<int>(SendWindowMessage(list, LB_GETTEXTLEN, index, 0));
  if (length <= 0) return 0;
  if (length < capacity) {
    int read = static_cast<int>(SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer)));
    return read > 0 ? read : 0;
  }
  // LB_GETTEXT has no capacity: a longer text goes through a buffer of its own size.
  InlineTextBuffer storage;
  InitInlineTextBuffer(&storage);
  if (wchar_t* whole = PrepareInlineWideBuffer(&storage, static_cast<uint32_t>(length))) {
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(whole));
    CopyWideString(whole, buffer, capacity);
  }
  ReleaseInlineTextBuffer(&storage);
  return static_cast<int>(WideLength(buffer));
}

void EditLimitText(HWND edit, int limit) { SendWindowMessage(edit, EM_LIMITTEXT, limit, 0); }

void LimitDlgItemText(HWND dialog, int id, int limit) { EditLimitText(GetDialogItem(dialog, id), limit); }

void ListViewDeleteFocusedById(HWND dialog, int id) {
  HWND list = GetDialogItem(dialog, id);
  if (!list) return;
  int focused = ListViewFocusedItem(list);
  if (focused >= 0) SendMessageW(list, LVM_DELETEITEM, focused, 0);
}

void ListViewMoveFocusedUpById(HWND dialog, int id) { ListViewMoveFocusedUp(GetDialogItem(dialog, id)); }

void ListViewMoveFocusedDownById(HWND dialog, int id) { ListViewMoveFocusedDown(GetDialogItem(dialog, id)); }

void FillIconSizeCombo(HWND combo, const int* sizes, int currentSize) {
  if (!combo) return;
  if (!sizes) sizes = kDefaultIconSizes;
  if (currentSize < kSmallestIconSize) currentSize = kSmallestIconSize;
  for (; *sizes; ++sizes) {
    wchar_t text[32];
    wchar_t number[16];
    UIntToWideDecimal(static_cast<uint32_t>(*sizes), number, 16);
    CopyWideBounded(number, text, 32);
    AppendWideBounded(L"x", text, 32);
    AppendWideBounded(number, text, 32);
    int index = ComboAddStringWithData(combo, text, *sizes);
    if (*sizes == currentSize) ComboSetCurSel(combo, index);
  }
}

RECT DialogItemRect(HWND dialog, int id) {
  RECT rect = {};
  HWND item = dialog ? GetDlgItem(dialog, id) : nullptr;
  if (!item) return rect;
  GetWindowRect(item, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}
