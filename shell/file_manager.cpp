#include "shell/file_manager.h"

#include "foundation/files/paths.h"
#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/files/file_entries.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/shell_items.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/window_wrappers.h"
#include "views/items_view.h"
#include "views/path_pool.h"

namespace {

constexpr uint32_t kShellExecuteSucceeded = 32;
constexpr int16_t kFolderTreePane = 0;

LRESULT SendCopyData(HWND sender, HWND target, ULONG_PTR data, DWORD bytes, const void* payload) {
  COPYDATASTRUCT copy = {data, bytes, const_cast<void*>(payload)};
  return SendMessageW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(&copy));
}

LRESULT SendPath(HWND sender, HWND target, char letter, const wchar_t* path) {
  char utf8[kFileManagerUtf8Limit + 1];
  const int bytes = WideToUtf8Bounded(path, utf8, kFileManagerUtf8Limit + 1);
  if (bytes >= 0) {
    const LRESULT answer = SendCopyData(sender, target, static_cast<unsigned char>(letter) | kFileManagerUtf8,
                                        static_cast<DWORD>(bytes + 1), utf8);
    if (answer != 0) return answer;
  }
  const DWORD wideBytes = static_cast<DWORD>((WideLength(path) + 1) * sizeof(wchar_t));
  return SendCopyData(sender, target, static_cast<unsigned char>(CharToLowerNarrow(letter)), wideBytes, path);
}

bool OpenWithShell(HWND owner, const wchar_t* path) {
  wchar_t folder[kPathCapacity];
  CopyWideString(path, folder, kPathCapacity);
  if (!IsExistingFolder(folder)) CutToParentFolder(folder);
  if (ShellExecuteWithVerb(owner, "explore", folder) > kShellExecuteSucceeded) return true;
  if (ShellExecuteWithVerb(nullptr, "open", folder) > kShellExecuteSucceeded) return true;
  ShowLastErrorMessage(owner, 0, folder);
  return false;
}

bool FocusedRowPath(wchar_t (&path)[kPathCapacity]) {
  path[0] = 0;
  const ItemListControl* files = g_app->fileList;
  if (!files || files->focusedIndex < 0) return false;
  return CopyItemRecordWithPath(files->focusedIndex, path, kPathCapacity, nullptr) == 0 && path[0] != 0;
}

}  // namespace

bool FindFileManagerWindow(HWND* cache) {
  if (*cache && !IsWindow(*cache)) *cache = nullptr;
  if (!*cache) *cache = FindWindowByClassNarrow(kFileManagerClass);
  return *cache != nullptr;
}

LRESULT SendToFileManager(HWND sender, HWND target, char letter, const wchar_t* path) {
  if (!IsWindow(target)) return 0;
  return GuardedCall<LRESULT>(0, [&] {
    if (!path) return SendCopyData(sender, target, static_cast<unsigned char>(letter), 0, nullptr);
    return SendPath(sender, target, letter, path);
  });
}

void OpenFolderInFileManager(HWND owner, HWND* cache, const wchar_t* path) {
  if (!path || !path[0]) return;
  if (FindFileManagerWindow(cache) && SendToFileManager(owner, *cache, kFileManagerGoTo, path) != 0) {
    BringWindowToFront(*cache);
    return;
  }
  OpenWithShell(owner, path);
}

void ShowFileInFileManager(HWND owner, HWND* cache, const wchar_t* path) {
  if (!path || !path[0]) return;
  if (!FindFileManagerWindow(cache)) {
    ShowMessageWithPath(owner, kTextNoFileManager, nullptr, nullptr, nullptr, MB_ICONERROR);
    return;
  }
  const LRESULT answer = SendToFileManager(owner, *cache, kFileManagerShow, path);
  if (answer != 0) BringWindowToFront(reinterpret_cast<HWND>(answer));
}

void GoToFolderInFileManager(HWND window) {
  wchar_t path[kPathCapacity];
  if (g_app->activePane != kFolderTreePane) {
    if (!FocusedRowPath(path)) return;
  } else {
    CopyWideString(g_app->currentFolder, path, kPathCapacity);
  }
  OpenFolderInFileManager(window, &g_app->fileManagerWindow, path);
}

void ShowFocusedFileInFileManager(HWND window) {
  wchar_t path[kPathCapacity];
  FocusedRowPath(path);
  ShowFileInFileManager(window, &g_app->fileManagerWindow, path);
}
