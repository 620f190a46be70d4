#include "shell_verb_ids.h"

#include <shlobj.h>

#include <cwchar>

#include "foundation/files/shell_items.h"

UINT ShellCommandOfVerb(const std::wstring& path, const wchar_t* wanted) {
  const std::wstring list = path + L'\0';
  int count = 0;
  IShellFolder* folder = nullptr;
  LPITEMIDLIST* pidls = PathListToPidls(list.c_str(), &count, &folder);
  IContextMenu* menu = nullptr;
  UINT found = 0;
  if (pidls && SUCCEEDED(folder->GetUIObjectOf(nullptr, count, const_cast<LPCITEMIDLIST*>(pidls), IID_IContextMenu,
                                               nullptr, reinterpret_cast<void**>(&menu)))) {
    HMENU popup = CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_EXPLORE | CMF_CANRENAME);
    for (int position = 0; position < GetMenuItemCount(popup) && !found; ++position) {
      const UINT id = GetMenuItemID(popup, position);
      wchar_t verb[64] = {};
      const bool read = id != 0 && id != static_cast<UINT>(-1) &&
                        SUCCEEDED(menu->GetCommandString(id - 1, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(verb),
                                                         64));
      if (read && wcscmp(verb, wanted) == 0) found = id;
    }
    DestroyMenu(popup);
    menu->Release();
  }
  if (folder) folder->Release();
  FreeShellStringArray(pidls);
  return found;
}
