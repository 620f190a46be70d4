#include "views/items_view_notify.h"

#include "foundation/text/bounded_text.h"
#include "foundation/core/item_store.h"

namespace {

void FillHeader(const ItemListControl* control, NMHDR* header, int code) {
  header->hwndFrom = control->window;
  header->idFrom = control->creation.controlId;
  header->code = static_cast<UINT>(code);
}

LPARAM RowParam(const ItemListControl* control, int index) {
  return index >= 0 ? reinterpret_cast<LPARAM>(ItemStoreGet(&control->rows, static_cast<uint32_t>(index))) : 0;
}

}  // namespace

LRESULT SendListNotify(const ItemListControl* control, NMHDR* header, int code) {
  FillHeader(control, header, code);
  HWND parent = control->creation.parent;
  return parent ? SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header)) : 0;
}

LRESULT SendPaneNotify(const ItemListControl* control, WPARAM code, const void* record) {
  HWND parent = control->creation.parent;
  return parent ? SendMessageW(parent, kPaneNotifyMessage, code, reinterpret_cast<LPARAM>(record)) : 0;
}

void PostPaneNotify(const ItemListControl* control, WPARAM code) {
  HWND parent = control->creation.parent;
  if (parent) PostMessageW(parent, kPaneNotifyMessage, code, control->creation.controlId);
}

int RequestCellDisplay(const ItemListControl* control, int index, int subItem, UINT mask, wchar_t* text, int capacity,
                       CellDisplay* display) {
  if (!text || capacity <= 0) return 0;
  text[0] = 0;
  NMLVDISPINFOW info = {};
  info.item.mask = mask;
  info.item.iItem = index;
  info.item.iSubItem = subItem;
  info.item.stateMask = LVIS_OVERLAYMASK | LVIS_CUT;
  info.item.pszText = text;
  info.item.cchTextMax = capacity;
  info.item.lParam = RowParam(control, index);
  SendListNotify(control, &info.hdr, LVN_GETDISPINFOW);
  // The parent may point the text at a buffer of its own.
  if (info.item.pszText && info.item.pszText != text && info.item.pszText != LPSTR_TEXTCALLBACKW) {
    CopyWideBounded(info.item.pszText, text, capacity);
  }
  text[capacity - 1] = 0;
  if (display) {
    display->image = (mask & LVIF_IMAGE) ? info.item.iImage : 0;
    display->stateBits = info.item.state & (LVIS_OVERLAYMASK | LVIS_CUT);
  }
  return static_cast<int>(WideLength(text));
}

void NotifyItemChanged(const ItemListControl* control, int index, UINT oldState, UINT newState) {
  NMLISTVIEW change = {};
  change.iItem = index;
  change.uChanged = LVIF_STATE;
  change.uOldState = oldState;
  change.uNewState = newState;
  change.lParam = RowParam(control, index);
  SendListNotify(control, &change.hdr, LVN_ITEMCHANGED);
}

LRESULT NotifyItemAction(const ItemListControl* control, int code, int index, int column, POINT point, UINT keyFlags) {
  NMITEMACTIVATE action = {};
  action.iItem = index;
  action.iSubItem = column;
  action.ptAction = point;
  action.lParam = RowParam(control, index);
  action.uKeyFlags = keyFlags;
  return SendListNotify(control, &action.hdr, code);
}
