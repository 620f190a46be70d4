#include "foundation/win32/window_list.h"

#include <shellapi.h>

#include <cwchar>

#include <iterator>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/win32/menus.h"
#include "foundation/text/name_parts.h"
#include "foundation/win32/system_functions.h"
#include "foundation/core/threads.h"

namespace {

constexpr int kLargestSmallIcon = 23;

bool HasClassIcon(HWND window) {
  return GetClassLongPtrW(window, GCLP_HICON) != 0 || GetClassLongPtrW(window, GCLP_HICONSM) != 0;
}

bool IsListable(HWND window, HWND skipWindow) {
  return window != skipWindow && IsWindowVisible(window) && GetParent(window) == nullptr;
}

// Where a window goes: the index of the entry of its process that it replaces, `count` to add it, or -1 to
// leave it out.
int PlaceForWindow(const TopLevelWindow* windows, int count, const TopLevelWindow& candidate) {
  for (int i = 0; i < count; ++i) {
    if (windows[i].processId != candidate.processId) continue;
    if (!windows[i].hasClassIcon) return candidate.hasClassIcon ? i : -1;
    if (!candidate.hasClassIcon || wcscmp(windows[i].title, candidate.title) == 0) return -1;
  }
  return count;
}

// The executable's shell icon at the size class.
HICON ExecutableIcon(DWORD processId, int size) {
  wchar_t path[MAX_PATH * 4];
  if (GetProcessExecutablePath(processId, path, MAX_PATH * 4) == 0) return nullptr;
  SHFILEINFOW information = {};
  const UINT sizeFlag = size <= kLargestSmallIcon ? SHGFI_SMALLICON : SHGFI_LARGEICON;
  if (!SHGetFileInfoW(path, 0, &information, sizeof information, SHGFI_ICON | sizeFlag)) return nullptr;
  return information.hIcon;
}

// The executable name and, through the process's module list, the full path of that module.
bool FindExecutable(DWORD processId, wchar_t* path, int capacity) {
  const OptionalKernelFunctions& kernel = g_kernelFunctions;
  HANDLE processes = kernel.createToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (processes == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W process = {};
  process.dwSize = sizeof process;
  bool found = false;
  for (BOOL more = kernel.process32FirstW(processes, &process); more && !found;
       more = kernel.process32NextW(processes, &process))
    found = process.th32ProcessID == processId;
  CloseHandle(processes);
  if (!found) return false;
  CopyWideString(process.szExeFile, path, capacity);
  HANDLE modules = kernel.createToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (modules == INVALID_HANDLE_VALUE) return true;
  MODULEENTRY32W module = {};
  module.dwSize = sizeof module;
  const wchar_t* exeName = process.szExeFile + FileNameOffset(process.szExeFile);
  for (BOOL more = kernel.module32FirstW(modules, &module); more; more = kernel.module32NextW(modules, &module)) {
    if (EqualsIgnoreCaseWide(module.szExePath + FileNameOffset(module.szExePath), exeName)) {
      CopyWideString(module.szExePath, path, capacity);
      break;
    }
  }
  CloseHandle(modules);
  return true;
}

}  // namespace

DWORD EnumerateTopLevelWindows(HWND skipWindow, DWORD skipProcessId, TopLevelWindow* windows, int capacity,
                               int* count) {
  int listed = 0;
  DWORD programManager = 0;
  for (HWND window = GetTopWindow(nullptr); window != nullptr && windows != nullptr && listed < capacity;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (!IsListable(window, skipWindow)) continue;
    TopLevelWindow candidate = {};
    candidate.window = window;
    GetWindowThreadProcessId(window, &candidate.processId);
    if (skipProcessId != 0 && candidate.processId == skipProcessId) continue;
    if (GetWindowTextW(window, candidate.title, kTitleCapacity) <= 0) continue;
    if (wcscmp(candidate.title, L"Program Manager") == 0) {
      programManager = candidate.processId;
      continue;
    }
    candidate.hasClassIcon = HasClassIcon(window) ? 1 : 0;
    const int place = PlaceForWindow(windows, listed, candidate);
    if (place < 0) continue;
    windows[place] = candidate;
    if (place == listed) ++listed;
  }
  if (count != nullptr) *count = listed;
  return programManager;
}

namespace {

// The image path the system keeps for a running process; false when the process cannot be opened.
bool QueryProcessImagePath(DWORD processId, wchar_t* target, int capacity) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return false;
  DWORD length = static_cast<DWORD>(capacity);
  const bool found = QueryFullProcessImageNameW(process, 0, target, &length) != FALSE;
  CloseHandle(process);
  return found;
}

}  // namespace

int GetProcessExecutablePath(DWORD processId, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  // Asked of the process itself first: a process list can still hold an ended process under a reused id.
  if (QueryProcessImagePath(processId, target, capacity)) return static_cast<int>(WideLength(target));
  wchar_t found[MAX_PATH * 4];
  if (!ResolveToolhelpFunctions() || !FindExecutable(processId, found, MAX_PATH * 4)) return 0;
  const DWORD length = SearchPathW(nullptr, found, nullptr, static_cast<DWORD>(capacity), target, nullptr);
  if (length == 0 || length >= static_cast<DWORD>(capacity)) CopyWideString(found, target, capacity);
  return static_cast<int>(WideLength(target));
}

HICON GetWindowIconCallback(const TopLevelWindow* window, int size) {
  if (window == nullptr || window->window == nullptr) return nullptr;
  const auto classIcon = reinterpret_cast<HICON>(
      GetClassLongPtrW(window->window, size <= kLargestSmallIcon ? GCLP_HICONSM : GCLP_HICON));
  if (classIcon != nullptr) return CopyIcon(classIcon);
  return ExecutableIcon(window->processId, size);
}

HMENU BuildWindowListMenu(const TopLevelWindow* windows, int count, MenuItemData* records) {
  HMENU menu = CreatePopupMenu();
  for (int i = 0; menu != nullptr && windows != nullptr && i < count && i < kWindowListLimit; ++i) {
    const UINT id = kFirstWindowListCommand + i;
    ULONG_PTR data = 0;
    if (records != nullptr) {
      MenuItemData& record = records[i];
      record.commandId = static_cast<uint16_t>(id);
      record.flags = kWindowListItemFlags;
      CopyWideString(windows[i].title, record.text, static_cast<int>(std::size(record.text)));
      record.owner = windows[i].window;
      data = reinterpret_cast<ULONG_PTR>(&record);
    }
    AppendMenuItem(menu, id, windows[i].title, MFT_STRING, MFS_ENABLED, data, nullptr);
  }
  return menu;
}

HICON WindowListItemIcon(const MenuItemData* item, int size) {
  if (item == nullptr || item->flags != kWindowListItemFlags || item->commandId < kFirstWindowListCommand ||
      item->commandId >= kFirstWindowListCommand + kWindowListLimit)
    return nullptr;
  TopLevelWindow listed = {};
  listed.window = static_cast<HWND>(item->owner);
  if (!IsWindow(listed.window)) return nullptr;
  GetWindowThreadProcessId(listed.window, &listed.processId);
  return GetWindowIconCallback(&listed, size);
}

void ActivateListedWindow(HWND window) {
  if (window == nullptr || !IsWindow(window)) return;
  if (IsIconic(window) || !IsWindowVisible(window)) ShowWindow(window, SW_RESTORE);
  SetActiveWindow(window);
  SetForegroundWindow(window);
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void ShowWindowListMenu(HWND owner) {
  auto* windows = static_cast<TopLevelWindow*>(AllocZeroed(kWindowListLimit * sizeof(TopLevelWindow)));
  const bool ownerDrawn = g_app != nullptr && !(g_app->options & kOptionSystemMenus);
  auto* records =
      ownerDrawn ? static_cast<MenuItemData*>(AllocZeroed(kWindowListLimit * sizeof(MenuItemData))) : nullptr;
  if (windows == nullptr || (ownerDrawn && records == nullptr)) {
    FreeAndNull(&windows);
    FreeAndNull(&records);
    return;
  }
  int count = 0;
  EnumerateTopLevelWindows(owner, 0, windows, kWindowListLimit, &count);
  const int chosen = TrackPopupMenuAtCursor(BuildWindowListMenu(windows, count, records), owner, 0, true, true);
  const int index = chosen - static_cast<int>(kFirstWindowListCommand);
  if (index >= 0 && index < count) ActivateListedWindow(windows[index].window);
  FreeAndNull(&windows);
  FreeAndNull(&records);
}
