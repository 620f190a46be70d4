#include "foundation/dialog_controls.h"

#include <commctrl.h>

#include "foundation/bounded_text.h"
#include "foundation/numbers.h"
#include "foundation/record_buffer.h"
#include "foundation/window_wrappers.h"

namespace {

constexpr int kCellTextCapacity = 1024;
constexpr int kSmallestIconSize = 16;
constexpr int kDefaultIconSizes[] = {16, 24, 32, 48, 64, 0};

void SetDlgButtonCheck(HWND dialog, int id, WPARAM state) { SendDialogItemMessage(dialog, id, BM_SETCHECK, state, 0); }

int ListViewColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : -1;
  if (count >= 0) return count;
  LVCOLUMNW column = {};
  column.mask = LVCF_WIDTH;
  count = 0;
  while (SendMessageW(list, LVM_GETCOLUMNW, count, reinterpret_cast<LPARAM>(&column))) ++count;
  return count;
}

int ListViewNextItem(HWND list, int start, UINT flags) {
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, start, flags));
}

// The focused item; else a selected one, where item 0 gives way to a later selected item; else -1.
int ListViewFocusedItem(HWND list) {
  int focused = ListViewNextItem(list, -1, LVNI_FOCUSED);
  if (focused >= 0) return focused;
  int selected = ListViewNextItem(list, -1, LVNI_SELECTED);
  if (selected == 0) {
    int next = ListViewNextItem(list, 0, LVNI_SELECTED);
    if (next > 0) return next;
  }
  return selected;
}

void ListViewSetState(HWND list, int item, UINT state, UINT mask) {
  LVITEMW change = {};
  change.state = state;
  change.stateMask = mask;
  SendMessageW(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&change));
}

void ListViewSelectOnly(HWND list, int item) {
  int focused = ListViewNextItem(list, -1, LVNI_FOCUSED);
  if (focused >= 0) ListViewSetState(list, focused, 0, LVIS_FOCUSED | LVIS_SELECTED);
  ListViewSetState(list, item, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  SendMessageW(list, LVM_ENSUREVISIBLE, item, FALSE);
  SendMessageW(list, LVM_SETSELECTIONMARK, 0, item);
}

// What one item carries apart from its position: image, item data and check state.
struct ListViewItemCore {
  int image;
  LPARAM data;
  UINT checkState;
};

ListViewItemCore ReadItemCore(HWND list, int item) {
  LVITEMW read = {};
  read.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  read.iItem = item;
  read.stateMask = LVIS_STATEIMAGEMASK;
  SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read));
  return ListViewItemCore{read.iImage, read.lParam, read.state & LVIS_STATEIMAGEMASK};
}

void WriteItemCore(HWND list, int item, const ListViewItemCore& core) {
  LVITEMW write = {};
  write.mask = LVIF_IMAGE | LVIF_PARAM;
  write.iItem = item;
  write.iImage = core.image;
  write.lParam = core.data;
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&write));
  ListViewSetState(list, item, core.checkState, LVIS_STATEIMAGEMASK);
}

void ReadCellText(HWND list, int item, int column, wchar_t* text) {
  text[0] = L'\0';
  LVITEMW read = {};
  read.iSubItem = column;
  read.pszText = text;
  read.cchTextMax = kCellTextCapacity;
  SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&read));
}

void WriteCellText(HWND list, int item, int column, wchar_t* text) {
  LVITEMW write = {};
  write.iSubItem = column;
  write.pszText = text;
  SendMessageW(list, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&write));
}

// Exchanges image, item data, every column's text and the check states of two items, then selects b only.
void ListViewSwapItems(HWND list, int a, int b) {
  ListViewItemCore first = ReadItemCore(list, a);
  ListViewItemCore second = ReadItemCore(list, b);
  WriteItemCore(list, a, second);
  WriteItemCore(list, b, first);
  wchar_t textA[kCellTextCapacity];
  wchar_t textB[kCellTextCapacity];
  int columns = ListViewColumnCount(list);
  for (int column = 0; column < (columns > 0 ? columns : 1); ++column) {
    ReadCellText(list, a, column, textA);
    ReadCellText(list, b, column, textB);
    WriteCellText(list, a, column, textB);
    WriteCellText(list, b, column, textA);
  }
  ListViewSelectOnly(list, b);
}

void ListViewMoveFocused(HWND list, int step) {
  int focused = ListViewFocusedItem(list);
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  int target = focused + step;
  if (focused < 0 || target < 0 || target >= count) {
    MessageBeep(MB_ICONHAND);
    return;
  }
  ListViewSwapItems(list, focused, target);
}

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

void SetFlagIfDlgButtonUnchecked(HWND dialog, int id, uint32_t* flags, uint32_t bits) {
  if (!flags) return;
  if (IsDlgButtonCheckedById(dialog, id) == BST_UNCHECKED) {
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

void ComboLimitText(HWND combo, int limit) { SendWindowMessage(combo, CB_LIMITTEXT, limit, 0); }

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

void EditSelectAll(HWND edit) { SendWindowMessage(edit, EM_SETSEL, 0, -1); }

void ListViewDeleteFocusedById(HWND dialog, int id) {
  HWND list = GetDialogItem(dialog, id);
  if (!list) return;
  int focused = ListViewFocusedItem(list);
  if (focused >= 0) SendMessageW(list, LVM_DELETEITEM, focused, 0);
}

void ListViewMoveFocusedUpById(HWND dialog, int id) {
  HWND list = GetDialogItem(dialog, id);
  if (list) ListViewMoveFocused(list, -1);
}

void ListViewMoveFocusedDownById(HWND dialog, int id) {
  HWND list = GetDialogItem(dialog, id);
  if (list) ListViewMoveFocused(list, 1);
}

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

void SetScrollPosition(HWND window, int bar, int position) {
  if (!window) return;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(window, bar, &info, TRUE);
}
