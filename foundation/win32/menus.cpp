#include "foundation/win32/menus.h"

#include "foundation/text/bounded_text.h"

static_assert(sizeof(CMINVOKECOMMANDINFOEX) == 104, "the context-menu command record is 104 bytes");

namespace {

wchar_t UpperAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool TextHasAccelerator(const wchar_t* text, int capacity, wchar_t key) {
  for (int i = 0; i + 1 < capacity && text[i]; ++i) {
    if (text[i] == L'&' && UpperAsciiLetter(text[i + 1]) == key) return true;
  }
  return false;
}

const MenuItemRecord* ItemRecordAt(HMENU menu, int position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_DATA;
  if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return nullptr;
  return reinterpret_cast<const MenuItemRecord*>(info.dwItemData);
}

}  // namespace

void SetMenuItemChecked(HMENU menu, UINT commandId, bool checked) {
  if (menu) CheckMenuItem(menu, commandId, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void SetMenuItemRadioChecked(HMENU menu, UINT commandId, bool checked) {
  MENUITEMINFOW item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_FTYPE | MIIM_STATE;
  if (!menu || !GetMenuItemInfoW(menu, commandId, FALSE, &item)) return;
  item.fType |= MFT_RADIOCHECK;
  item.fState = checked ? (item.fState | MFS_CHECKED) : (item.fState & ~MFS_CHECKED);
  SetMenuItemInfoW(menu, commandId, FALSE, &item);
}

bool AppendMenuItem(HMENU menu, UINT commandId, const wchar_t* text, UINT type, UINT state, ULONG_PTR data,
                    HMENU submenu) {
  if (!menu) return false;
  MENUITEMINFOW item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
  item.wID = commandId;
  item.fType = type;
  item.fState = state;
  item.dwItemData = data;
  if (text) {
    item.fMask |= MIIM_STRING;
    item.dwTypeData = const_cast<wchar_t*>(text);
  } else {
    item.fType |= MFT_SEPARATOR;
  }
  if (submenu) {
    item.fMask |= MIIM_SUBMENU;
    item.hSubMenu = submenu;
  }
  return InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item) != FALSE;
}

bool MenuGetItemInfoByPosition(HMENU menu, UINT position, UINT mask, MENUITEMINFOW* info, wchar_t* text,
                               int capacity) {
  if (!info) return false;
  ZeroMemory(info, sizeof *info);
  info->cbSize = sizeof *info;
  info->fMask = mask;
  if (text && capacity > 0) {
    text[0] = L'\0';
    info->dwTypeData = text;
    info->cch = static_cast<UINT>(capacity - 1);
  }
  return menu && GetMenuItemInfoW(menu, position, TRUE, info);
}

int TrackPopupMenuAtCursor(HMENU menu, HWND owner, UINT flags, bool returnCommand, bool destroy) {
  if (!menu) return 0;
  POINT cursor = {};
  GetCursorPos(&cursor);
  if (returnCommand) flags |= TPM_RETURNCMD;
  BOOL chosen = TrackPopupMenuEx(menu, flags, cursor.x, cursor.y, owner, nullptr);
  if (destroy) DestroyMenu(menu);
  return returnCommand ? static_cast<int>(chosen) : 0;
}

LRESULT FindMenuAccelerator(wchar_t key, UINT menuFlags, HMENU menu) {
  bool plainMenu = menuFlags == 0 || ((menuFlags & MF_POPUP) && !(menuFlags & MF_SYSMENU));
  if (!plainMenu || !menu) return 0;
  key = CharToUpperWide(key);
  int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    const MenuItemRecord* record = ItemRecordAt(menu, position);
    if (record && TextHasAccelerator(record->text, 60, key)) return MAKELRESULT(position, MNC_EXECUTE);
  }
  return 0;
}

void StripMenuAccelerators(wchar_t* text) {
  if (!text) return;
  wchar_t* write = text;
  for (const wchar_t* read = text; *read; ++read) {
    if (read[0] == L'.' && read[1] == L'.') break;
    if (*read != L'&') *write++ = *read;
  }
  *write = L'\0';
}

int InvokeContextMenuCommand(IContextMenu* menu, HWND owner, UINT commandOffset) {
  if (!menu) return ERROR_ACCESS_DENIED;
  CMINVOKECOMMANDINFOEX command = {};
  command.cbSize = sizeof command;
  command.fMask = CMIC_MASK_UNICODE;
  command.hwnd = owner;
  command.lpVerb = MAKEINTRESOURCEA(commandOffset);
  command.lpVerbW = MAKEINTRESOURCEW(commandOffset);
  command.nShow = SW_SHOWNORMAL;
  HRESULT result = menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&command));
  return SUCCEEDED(result) ? 0 : ERROR_ACCESS_DENIED;
}
