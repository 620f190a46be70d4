#include "foundation/win32/tooltips.h"

#include "foundation/text/bounded_text.h"
#include "foundation/win32/window_wrappers.h"

static_assert(sizeof(TOOLINFOW) == 72, "the tool record is 72 bytes");

namespace {

TOOLINFOW WindowTool(HWND owner, HWND control) {
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  return tool;
}

}  // namespace

HWND CreateTooltipControl(HWND owner, HINSTANCE instance, bool balloon) {
  DWORD style = WS_POPUP | TTS_NOPREFIX | (balloon ? TTS_ALWAYSTIP | TTS_BALLOON : 0);
  if (!instance) instance = InstanceOfWindow(owner);
  return CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, owner, nullptr, instance, nullptr);
}

void TooltipAddWindowTool(HWND tooltip, HWND owner, HWND control) {
  if (!tooltip || !owner || !control) return;
  TOOLINFOW tool = WindowTool(owner, control);
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TooltipUpdateWindowTool(HWND tooltip, HWND owner, HWND control) {
  if (!tooltip || !owner || !control) return;
  TOOLINFOW tool = WindowTool(owner, control);
  SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TooltipRelayMouseMove(HWND tooltip, HWND window, WPARAM wParam, LPARAM lParam) {
  if (!tooltip) return;
  MSG move = {};
  move.hwnd = window;
  move.message = WM_MOUSEMOVE;
  move.wParam = wParam;
  move.lParam = lParam;
  move.time = static_cast<DWORD>(GetMessageTime());
  GetCursorPos(&move.pt);
  SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
}

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
  thread_local wchar_t ownBuffer[kCellTextCapacity];
  if (!buffer || capacity <= 0) {
    buffer = ownBuffer;
    capacity = kCellTextCapacity;
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

HTREEITEM TreeViewFindChildByText(HWND tree, HTREEITEM parent, const wchar_t* text) {
  if (!tree || !text) return nullptr;
  wchar_t name[kCellTextCapacity];
  HTREEITEM child = TreeView_GetChild(tree, parent);
  for (; child; child = TreeView_GetNextSibling(tree, child)) {
    if (TreeViewGetItemText(tree, child, name, kCellTextCapacity) && EqualsIgnoreCaseWide(name, text)) return child;
  }
  return nullptr;
}
