#include "foundation/ui/file_dialogs.h"

#include <commdlg.h>

#include <algorithm>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/ui/ui_seams.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kShortPathLimit = 260;
constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
constexpr DWORD kSaveFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;

static_assert(sizeof(OPENFILENAMEW) == 152, "the file dialogs' record is 152 bytes");

const wchar_t* CurrentListFolder() { return g_app && g_app->currentFolder[0] ? g_app->currentFolder : nullptr; }

// Makes the file list's folder the process's current directory while the object lives, when it is not already.
class CurrentDirectorySwitch {
 public:
  explicit CurrentDirectorySwitch(const wchar_t* folder) {
    const DWORD length = GetCurrentDirectoryW(kPathCapacity, previous_);
    if (!folder || length == 0 || length >= kPathCapacity || EqualsIgnoreCaseWide(previous_, folder)) return;
    switched_ = SetCurrentDirectoryLong(folder) == 0;
  }
  ~CurrentDirectorySwitch() {
    if (switched_) SetCurrentDirectoryLong(previous_);
  }
  CurrentDirectorySwitch(const CurrentDirectorySwitch&) = delete;
  CurrentDirectorySwitch& operator=(const CurrentDirectorySwitch&) = delete;

 private:
  wchar_t previous_[kPathCapacity] = {};
  bool switched_ = false;
};

bool IsExistingFolder(const wchar_t* path) {
  const DWORD attributes = GetFileAttributesLong(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

OPENFILENAMEW DialogRecord(HWND owner, wchar_t* file, int capacity, const wchar_t* filter, const wchar_t* title,
                           DWORD flags) {
  OPENFILENAMEW record = {};
  record.lStructSize = sizeof record;
  record.hwndOwner = owner;
  record.lpstrFilter = filter;
  record.lpstrFile = file;
  // The dialog writes into our buffer, so a larger capacity of the caller must not reach it.
  record.nMaxFile = static_cast<DWORD>(std::min(capacity, kPathCapacity));
  record.lpstrTitle = title;
  record.Flags = flags;
  return record;
}

int FinishDialog(bool chosen, const OPENFILENAMEW& record, wchar_t* path, int capacity) {
  if (!chosen) return 0;
  if (record.lpstrFile[0]) {
    MakeFullPath(record.lpstrFile, kPathCapacity);
    CopyWideString(record.lpstrFile, path, capacity);
  }
  return record.nFilterIndex ? static_cast<int>(record.nFilterIndex) : 1;
}

}  // namespace

int ShowOpenFileDialog(HWND owner, wchar_t* path, int capacity, const wchar_t* filter, const wchar_t* title,
                       bool multipleSelection) {
  if (!path || capacity <= 0) return 0;
  wchar_t file[kPathCapacity] = {};
  if (WideLength(path) < kShortPathLimit) {
    CopyWideString(path, file, kPathCapacity);
    UnquoteText(file);
  }
  OPENFILENAMEW record = DialogRecord(owner, file, capacity, filter, title,
                                      kOpenFlags | (multipleSelection ? OFN_ALLOWMULTISELECT : 0));
  bool chosen;
  {
    CurrentDirectorySwitch directory(path[0] ? nullptr : CurrentListFolder());
    chosen = g_uiSeams.getOpenFileNameW(&record) != FALSE;
  }
  return FinishDialog(chosen, record, path, capacity);
}

int ShowSaveFileDialog(HWND owner, wchar_t* path, int capacity, const wchar_t* filter, const wchar_t* title,
                       int filterIndex, const wchar_t* defaultExtension) {
  if (!path || capacity <= 0) return 0;
  wchar_t file[kPathCapacity] = {};
  OPENFILENAMEW record = DialogRecord(owner, file, capacity, filter, title, kSaveFlags);
  record.nFilterIndex = static_cast<DWORD>(filterIndex);
  record.lpstrDefExt = defaultExtension;
  if (!path[0])
    record.lpstrInitialDir = CurrentListFolder();
  else if (IsExistingFolder(path))
    record.lpstrInitialDir = path;
  else
    CopyWideString(path, file, kPathCapacity);
  const bool chosen = g_uiSeams.getSaveFileNameW(&record) != FALSE;
  return FinishDialog(chosen, record, path, capacity);
}

int AskFileName(HWND dialog, int itemId, const wchar_t* filter, bool save) {
  wchar_t stored[kPathCapacity];
  GetDlgItemPathText(dialog, itemId, stored, kPathCapacity);
  wchar_t path[kPathCapacity];
  ExpandPathPlaceholders(stored, path, kPathCapacity);
  const int chosen = save ? ShowSaveFileDialog(dialog, path, kPathCapacity, filter, nullptr, 1)
                          : ShowOpenFileDialog(dialog, path, kPathCapacity, filter, nullptr, false);
  if (chosen) SetDialogItemText(dialog, itemId, path);
  return chosen;
}
