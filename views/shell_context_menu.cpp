#include "views/shell_context_menu.h"

#include <algorithm>
#include <cwchar>

#include "foundation/core/guard.h"
#include "foundation/files/shell_items.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/ui_seams.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/menus.h"
#include "views/items_view.h"

namespace {

// The shell's commands take ids from this range; a chosen id minus the first is the command's offset.
constexpr UINT kFirstShellCommand = 1;
constexpr UINT kLastShellCommand = 0x7FFF;
// How far above the highest id in use the own item moves when its id is taken.
constexpr UINT kFreeIdDistance = 777;

// The open menu's object in the forms that draw and fill submenus; set only while the menu is shown.
IContextMenu3* g_openMenu3 = nullptr;
IContextMenu2* g_openMenu2 = nullptr;

struct HandedBackVerb {
  const wchar_t* verb;
  uint32_t flag;
};

constexpr HandedBackVerb kHandedBackVerbs[] = {
    {L"delete", kShellMenuDelete},
    {L"rename", kShellMenuRename},
    {L"open", kShellMenuOpen},
};

// Whether `wanted` is in use and the highest id in use, through every submenu.
void ScanMenuIds(HMENU menu, UINT wanted, bool* used, UINT* highest) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, position, TRUE, &item)) continue;
    // A submenu's own item is never chosen; its id is often the submenu's handle.
    if (item.hSubMenu) {
      ScanMenuIds(item.hSubMenu, wanted, used, highest);
      continue;
    }
    if (item.wID == wanted) *used = true;
    if (item.wID > *highest) *highest = item.wID;
  }
}

int FirstSeparatorPosition(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    if (GetMenuItemInfoW(menu, position, TRUE, &item) && (item.fType & MFT_SEPARATOR)) return position;
  }
  return -1;
}

template <typename Interface>
void ReleaseGuarded(Interface** slot) {
  if (!*slot) return;
  Interface* object = *slot;
  *slot = nullptr;
  GuardedCall(0, [&] { return static_cast<int>(object->Release()); });
}

void KeepMenuInterfaces(IContextMenu* menuObject) {
  GuardedCall(0, [&] {
    if (FAILED(menuObject->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(&g_openMenu3)))) {
      g_openMenu3 = nullptr;
      if (FAILED(menuObject->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&g_openMenu2)))) {
        g_openMenu2 = nullptr;
      }
    }
    return 0;
  });
}

void ReleaseMenuInterfaces() {
  ReleaseGuarded(&g_openMenu3);
  ReleaseGuarded(&g_openMenu2);
}

// Inserts the own item just below the first separator (at the top without one); its id, 0 when not inserted.
// It takes the id of the open-in-file-manager command unless the shell's menu uses it already; its caption is
// that command's UI text up to its first ';'.
UINT AddOwnItem(HMENU menu) {
  int separator = -1;
  const UINT id = MenuFreeCommandId(menu, &separator, IDM_OPEN_IN_FILE_MANAGER);
  wchar_t caption[kCaptionCapacity];
  GetUiText(static_cast<int>(IDM_OPEN_IN_FILE_MANAGER), caption, kCaptionCapacity);
  if (wchar_t* statusPart = wcschr(caption, L';')) *statusPart = 0;
  return InsertMenuW(menu, static_cast<UINT>(separator + 1), MF_BYPOSITION | MF_STRING, id, caption) ? id : 0;
}

UINT ChooseAt(HWND owner, HMENU menu, const POINT* at) {
  POINT point = {};
  if (at) {
    point = *at;
  } else {
    GetCursorPos(&point);
  }
  return static_cast<UINT>(
      g_uiSeams.trackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, owner, nullptr));
}

// The flag of a verb the caller takes over, 0 for any other.
uint32_t HandedBackFlag(IContextMenu* menuObject, UINT offset, uint32_t flags) {
  wchar_t verb[kVerbCapacity] = {};
  const bool read = GuardedCall(false, [&] {
    return SUCCEEDED(menuObject->GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(verb),
                                                  kVerbCapacity));
  });
  verb[kVerbCapacity - 1] = 0;
  if (!read) return 0;
  for (const HandedBackVerb& known : kHandedBackVerbs) {
    if (wcscmp(verb, known.verb) == 0) return known.flag & flags;
  }
  return 0;
}

int ResultOfChoice(HWND owner, IContextMenu* menuObject, UINT chosen, UINT ownId, uint32_t flags) {
  if (chosen == 0) return 0;
  if (chosen == ownId) return static_cast<int>(kShellMenuOwnItem);
  if (chosen < kFirstShellCommand || chosen > kLastShellCommand) return 0;
  const UINT offset = chosen - kFirstShellCommand;
  if (const uint32_t handed = HandedBackFlag(menuObject, offset, flags)) return static_cast<int>(handed);
  GuardedCall(0, [&] { return InvokeContextMenuCommand(menuObject, owner, offset); });
  return 0;
}

bool IsRelayedMessage(UINT message, WPARAM wParam) {
  // Drawing and measuring are relayed for menu items only (control id 0).
  if (message == WM_DRAWITEM || message == WM_MEASUREITEM) return wParam == 0;
  return message == WM_INITMENUPOPUP || message == WM_MENUCHAR;
}

}  // namespace

POINT ContextMenuPoint(HWND window, LPARAM position, const RECT* item) {
  if (!IsKeyboardMenuPosition(position)) {
    return PointFromParam(position);
  }
  RECT client = {};
  GetClientRect(window, &client);
  POINT point = item ? POINT{item->left, item->bottom} : POINT{client.left, client.top};
  // An item scrolled out of sight still gets its menu beside the window, not somewhere on the screen.
  point.x = std::max(client.left, std::min(point.x, client.right - 1));
  point.y = std::max(client.top, std::min(point.y, client.bottom - 1));
  ClientToScreen(window, &point);
  return point;
}

int ShowShellContextMenu(HWND owner, const wchar_t* paths, uint32_t flags, const POINT* at) {
  int count = 0;
  IShellFolder* folder = nullptr;
  LPITEMIDLIST* pidls = PathListToPidls(paths, &count, &folder);
  if (!pidls) return 0;
  IContextMenu* menuObject = nullptr;
  GuardedCall(0, [&] {
    if (FAILED(folder->GetUIObjectOf(owner, static_cast<UINT>(count), const_cast<LPCITEMIDLIST*>(pidls),
                                     IID_IContextMenu, nullptr, reinterpret_cast<void**>(&menuObject)))) {
      menuObject = nullptr;
    }
    return 0;
  });
  const int result = menuObject ? RunShellContextMenu(owner, menuObject, flags, at) : 0;
  ReleaseGuarded(&menuObject);
  ReleaseGuarded(&folder);
  FreeShellStringArray(pidls);
  return result;
}

int RunShellContextMenu(HWND owner, IContextMenu* menuObject, uint32_t flags, const POINT* at) {
  if (!menuObject) return 0;
  HMENU popup = CreatePopupMenu();
  if (!popup) return 0;
  const UINT queryFlags = CMF_EXPLORE | ((flags & kShellMenuRename) ? CMF_CANRENAME : 0);
  const bool filled = GuardedCall(false, [&] {
    return SUCCEEDED(menuObject->QueryContextMenu(popup, 0, kFirstShellCommand, kLastShellCommand, queryFlags));
  });
  int result = 0;
  if (filled) {
    KeepMenuInterfaces(menuObject);
    const UINT ownId = (flags & kShellMenuOwnItem) ? AddOwnItem(popup) : 0;
    result = ResultOfChoice(owner, menuObject, ChooseAt(owner, popup, at), ownId, flags);
  }
  DestroyMenu(popup);
  ReleaseMenuInterfaces();
  return result;
}

UINT MenuFreeCommandId(HMENU menu, int* separatorPosition, UINT wanted) {
  if (separatorPosition) *separatorPosition = menu ? FirstSeparatorPosition(menu) : -1;
  bool used = false;
  UINT highest = 0;
  if (menu) ScanMenuIds(menu, wanted, &used, &highest);
  return used ? highest + 1 + kFreeIdDistance : wanted;
}

bool RelayShellMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if ((!g_openMenu3 && !g_openMenu2) || !IsRelayedMessage(message, wParam)) return false;
  LRESULT answer = (message == WM_DRAWITEM || message == WM_MEASUREITEM) ? TRUE : 0;
  const bool handled = GuardedCall(false, [&] {
    if (g_openMenu3) return SUCCEEDED(g_openMenu3->HandleMenuMsg2(message, wParam, lParam, &answer));
    return message != WM_MENUCHAR && SUCCEEDED(g_openMenu2->HandleMenuMsg(message, wParam, lParam));
  });
  if (!handled) answer = DefWindowProcW(window, message, wParam, lParam);
  if (result) *result = answer;
  return true;
}
