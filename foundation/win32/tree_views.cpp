#include "foundation/win32/tree_views.h"

#include "foundation/text/bounded_text.h"

HTREEITEM TreeViewInsertItem(HWND tree, HTREEITEM parent, HTREEITEM after, const TreeItemFields& fields) {
  if (!tree) return nullptr;
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = fields.mask;
  insert.item.pszText = const_cast<wchar_t*>(fields.text);
  insert.item.iImage = fields.image;
  insert.item.iSelectedImage = fields.selectedImage;
  insert.item.state = fields.state;
  insert.item.stateMask = fields.stateMask;
  insert.item.cChildren = fields.children;
  insert.item.lParam = fields.param;
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

const wchar_t* TreeViewGetItemText(HWND tree, HTREEITEM item, wchar_t* buffer, int capacity) {
  thread_local wchar_t ownBuffer[kTreeTextCapacity];
  if (!buffer || capacity <= 0) {
    buffer = ownBuffer;
    capacity = kTreeTextCapacity;
  }
  buffer[0] = L'\0';
  if (!tree || !item) return nullptr;
  TVITEMW read = {};
  read.mask = TVIF_TEXT | TVIF_HANDLE;
  read.hItem = item;
  read.pszText = buffer;
  read.cchTextMax = capacity;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read))) {
    buffer[0] = L'\0';
    return nullptr;
  }
  // The control may answer with a text of its own instead of filling the buffer.
  if (read.pszText != buffer) CopyWideString(read.pszText, buffer, capacity);
  return buffer;
}
