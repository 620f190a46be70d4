#include "foundation/providers/local_rename.h"

#include <shellapi.h>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/files/file_io.h"
#include "foundation/providers/local_copy.h"
#include "foundation/providers/local_delete.h"
#include "foundation/core/memory.h"
#include "foundation/text/numbers.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/system_errors.h"
#include "foundation/files/system_folders.h"
#include "foundation/core/system_seams.h"

namespace {

bool IsSpelledOnDisk(const wchar_t* path);

constexpr DWORD kRenameFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
constexpr DWORD kKeepExistingFlags = kRenameFlags & ~static_cast<DWORD>(MOVEFILE_REPLACE_EXISTING);
constexpr DWORD kNoReplaceFlags = MOVEFILE_WRITE_THROUGH;
constexpr FILEOP_FLAGS kShellRenameFlags = FOF_SILENT | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
// Reported when the shell claims a rename that the disk does not show.
constexpr int kRenameNotDone = ERROR_CANT_ACCESS_FILE;
constexpr int kTemporaryNameAttempts = 100;
constexpr int kTemporarySuffixCapacity = 16;

struct RenameJob {
  const wchar_t* oldPath;
  const wchar_t* newPath;
  bool caseOnly;      // both paths name the same entry, spelled differently
  bool keepExisting;  // nothing at the new path may be replaced
  int pass;
  bool retry;
};

// Which file a path names, to tell whether a rename moved it.
struct FileIdentity {
  bool known;
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
};

bool IsPresent(const wchar_t* path) {
  LongPath longPath(path);
  return GetFileAttributesW(longPath.path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolderPath(const wchar_t* path) {
  LongPath longPath(path);
  const DWORD attributes = GetFileAttributesW(longPath.path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileIdentity IdentityOf(const wchar_t* path) {
  FileIdentity identity = {};
  LongPath longPath(path);
  HANDLE file = CreateFileW(longPath.path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return identity;
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileInformationByHandle(file, &information)) {
    identity.known = true;
    identity.volume = information.dwVolumeSerialNumber;
    identity.indexHigh = information.nFileIndexHigh;
    identity.indexLow = information.nFileIndexLow;
  }
  CloseHandle(file);
  return identity;
}

// Two identities of one volume that name different files. Across volumes a move is a copy, so it cannot
// be told by identity.
bool AreDifferentFiles(const FileIdentity& a, const FileIdentity& b) {
  if (!a.known || !b.known || a.volume != b.volume) return false;
  return a.indexHigh != b.indexHigh || a.indexLow != b.indexLow;
}

// Where nothing may be replaced, the new name may be taken only by the file itself: the two paths differ in
// letter case alone, as the file system compares names, and do not name two files. The locale's comparison is
// no test for that: it equates names that exist side by side ("Strasse" and "Straße", hiragana and katakana,
// names that differ in ignorable characters).
bool IsCaseOnlyChange(const wchar_t* from, const wchar_t* to) {
  return CompareStringOrdinal(from, -1, to, -1, TRUE) == CSTR_EQUAL &&
         !AreDifferentFiles(IdentityOf(from), IdentityOf(to));
}

int MoveOnce(const wchar_t* from, const wchar_t* to, DWORD flags) {
  LongPath source(from);
  LongPath target(to);
  if (g_systemSeams.moveFileExW(source.path, target.path, flags)) return 0;
  return static_cast<int>(MapLastError(ERROR_SHARING_VIOLATION));
}

// The old name to a free temporary one, then to the new one; on failure the file goes back to its old name,
// so that it is never left under the temporary one.
int RenameThroughTemporaryName(const wchar_t* oldPath, const wchar_t* newPath) {
  const int capacity = static_cast<int>(WideLength(newPath)) + kTemporarySuffixCapacity;
  wchar_t* temporary = AllocZeroedWide(static_cast<uint32_t>(capacity));
  if (!temporary) return ERROR_NOT_ENOUGH_MEMORY;
  int result = MakeTemporarySibling(newPath, temporary, capacity) ? 0 : ERROR_FILE_EXISTS;
  if (result == 0) result = MoveOnce(oldPath, temporary, kNoReplaceFlags);
  if (result == 0) {
    result = MoveOnce(temporary, newPath, kNoReplaceFlags);
    if (result != 0) MoveOnce(temporary, oldPath, kNoReplaceFlags);
  }
  FreeAndNull(&temporary);
  return result;
}

// One try of the rename. Some file systems report a rename that changes only the case as done and keep the
// old spelling: such a rename goes through a temporary name.
int TryRename(const RenameJob& job) {
  if (!IsSameRoot(job.oldPath, job.newPath)) return ERROR_NOT_SAME_DEVICE;
  const int result = MoveOnce(job.oldPath, job.newPath, job.keepExisting ? kKeepExistingFlags : kRenameFlags);
  if (result != 0 || !job.caseOnly || IsSpelledOnDisk(job.newPath)) return result;
  return RenameThroughTemporaryName(job.oldPath, job.newPath);
}

void LeaveCurrentFolder() {
  wchar_t windows[kShortPathCapacity];
  wchar_t root[kShortPathCapacity];
  GetWindowsFolder(windows, kShortPathCapacity);
  if (GetPathRoot(windows, root, kShortPathCapacity) > 0) SetCurrentDirectoryW(root);
}

// Whether the disk shows the rename done, whatever the shell said. Without the old file's identity only the
// shell's own success can tell a moved file from one that was there before.
bool IsRenameDone(const RenameJob& job, const FileIdentity& before, bool shellSucceeded) {
  if (job.caseOnly) return IsSpelledOnDisk(job.newPath);
  if (IsPresent(job.oldPath) || !IsPresent(job.newPath)) return false;
  if (!before.known) return shellSucceeded;
  return !AreDifferentFiles(before, IdentityOf(job.newPath));
}

// The shell takes no path as it stands: a name that ends in a dot or a blank would make it rename the twin
// without them, so such a rename ends with the file functions' code.
int ShellRename(RenameJob* job, int code) {
  if (NeedsLiteralPath(job->oldPath) || NeedsLiteralPath(job->newPath)) return code;
  const FileIdentity before = IdentityOf(job->oldPath);
  wchar_t* from = MakeShellPathList(job->oldPath);
  wchar_t* to = MakeShellPathList(job->newPath);
  int result = ERROR_NOT_ENOUGH_MEMORY;
  if (from && to) {
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = g_mainWindow;
    operation.wFunc = FO_RENAME;
    operation.pFrom = from;
    operation.pTo = to;
    operation.fFlags = kShellRenameFlags;
    result = static_cast<int>(ShellFileOperationRetry(&operation));
  }
  FreeAndNull(&from);
  FreeAndNull(&to);
  if (result == kCancelled) return result;
  if (IsRenameDone(*job, before, result == 0)) {
    job->retry = false;
    return 0;
  }
  if (result == ERROR_ACCESS_DENIED && job->pass == 0) {
    LeaveCurrentFolder();
    job->retry = true;
  }
  return result != 0 ? result : kRenameNotDone;
}

// The shell's rename cannot be told to keep an existing target (renaming on collision makes another name), so
// a rename that must keep it goes there only when the new name belongs to the file itself.
int ShellFallback(RenameJob* job, int code) {
  if (job->keepExisting && !job->caseOnly) return code;
  return ShellRename(job, code);
}

// Only the target's folder may be made: when the file itself is gone (its folder moved away meanwhile), making
// the folder of the new path would bring its old folder back empty.
int RemedyMissingFolder(RenameJob* job, int code) {
  LongPath source(job->oldPath);
  if (GetFileAttributesW(source.path) == INVALID_FILE_ATTRIBUTES)
    return static_cast<int>(MapLastError(ERROR_FILE_NOT_FOUND));
  const int capacity = static_cast<int>(WideLength(job->newPath)) + 1;
  wchar_t* parent = AllocZeroedWide(static_cast<uint32_t>(capacity));
  if (!parent) return ShellFallback(job, code);
  CopyWideString(job->newPath, parent, capacity);
  const bool hasParent = CutToParentFolder(parent) >= 0 && parent[0];
  const bool made = hasParent && CreateDirectoryPath(nullptr, parent) == 0;
  FreeAndNull(&parent);
  if (!made) return ShellFallback(job, code);
  job->retry = true;
  return code;
}

// Where nothing may be replaced, an entry at the new path is what refuses the rename, and it stays as it is.
int RemedyAccessDenied(RenameJob* job) {
  if (job->keepExisting && !job->caseOnly && IsPresent(job->newPath)) return ERROR_ALREADY_EXISTS;
  if (job->pass == 0) {
    LongPath target(job->newPath);
    const DWORD attributes = GetFileAttributesW(target.path);
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly && ClearReadOnly(job->newPath) == 0) {
      job->retry = true;
      return 0;
    }
  }
  return ShellFallback(job, ERROR_ACCESS_DENIED);
}

// Across drives: copy (onto a free name only, where nothing may be replaced), then delete the old file. When
// the old file cannot be deleted the copy goes again, so that the file is never left twice.
int RemedyOtherDevice(RenameJob* job) {
  if (job->caseOnly) return ShellFallback(job, ERROR_NOT_SAME_DEVICE);
  const int copied =
      job->keepExisting ? CopyLocalFileKeepingTarget(job->oldPath, job->newPath)
                        : CopyOrMoveLocalFile(nullptr, nullptr, nullptr, job->oldPath, job->newPath, nullptr, nullptr,
                                              nullptr);
  if (copied != 0) return ShellFallback(job, copied);
  const int deleted = DeleteLocalFile(nullptr, nullptr, job->oldPath, kDeleteFile, nullptr, nullptr);
  if (deleted != 0) DeleteLocalFile(nullptr, nullptr, job->newPath, kDeleteFile, nullptr, nullptr);
  return deleted;
}

int RemedySharingViolation(RenameJob* job, int code) {
  if (job->pass != 0) return ShellFallback(job, code);
  LeaveCurrentFolder();
  job->retry = true;
  return code;
}

// The target is in the way: delete it, but only a file, and never the very file being renamed.
int RemedyTargetExists(RenameJob* job, int code) {
  const bool sameFile = job->caseOnly || !AreDifferentFiles(IdentityOf(job->oldPath), IdentityOf(job->newPath));
  if (sameFile || IsFolderPath(job->newPath)) return ShellRename(job, code);
  if (DeleteLocalFile(nullptr, nullptr, job->newPath, kDeleteFile, nullptr, nullptr) != 0)
    return ShellRename(job, code);
  job->retry = true;
  return code;
}

// A target that must stay ends the rename, unless the new name belongs to the file itself (a file system that
// refuses to respell a name in place): then the file goes through a temporary name, which replaces nothing.
int KeepTarget(const RenameJob& job, int code) {
  return job.caseOnly ? RenameThroughTemporaryName(job.oldPath, job.newPath) : code;
}

int ApplyRemedy(RenameJob* job, int code) {
  switch (code) {
    case ERROR_PATH_NOT_FOUND: return RemedyMissingFolder(job, code);
    case ERROR_ACCESS_DENIED: return RemedyAccessDenied(job);
    case ERROR_NOT_SAME_DEVICE: return RemedyOtherDevice(job);
    case ERROR_SHARING_VIOLATION: return RemedySharingViolation(job, code);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return job->keepExisting ? KeepTarget(*job, code) : RemedyTargetExists(job, code);
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return code;
    default: return ShellFallback(job, code);
  }
}

int RunPasses(RenameJob* job) {
  int code = 0;
  for (job->pass = 0; job->pass < 2; ++job->pass) {
    job->retry = false;
    code = TryRename(*job);
    if (code == 0) return 0;
    code = ApplyRemedy(job, code);
    if (!job->retry) return code;
  }
  return code;
}

}  // namespace

bool MakeTemporarySibling(const wchar_t* path, wchar_t* target, int capacity) {
  const DWORD salt = GetTickCount() ^ GetCurrentThreadId();
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    wchar_t suffix[kTemporarySuffixCapacity] = L".~";
    UIntToWideDecimal(salt + static_cast<DWORD>(attempt), suffix + 2, kTemporarySuffixCapacity - 2);
    if (CopyWideBounded(path, target, capacity) < 0 || AppendWideBounded(suffix, target, capacity) < 0)
      return false;
    if (!IsPresent(target)) return true;
  }
  return false;
}

int RenameLocalFile(FileSystemProvider*, ProviderFolder*, const wchar_t* oldPath, const wchar_t* newPath,
                    uint32_t renameFlags) {
  if (!oldPath || !newPath || !oldPath[0] || !newPath[0]) return ERROR_INVALID_PARAMETER;
  const bool keepExisting = (renameFlags & kRenameKeepExisting) != 0;
  const bool caseOnly = keepExisting ? IsCaseOnlyChange(oldPath, newPath) : EqualsIgnoreCaseWide(oldPath, newPath);
  RenameJob job = {oldPath, newPath, caseOnly, keepExisting, 0, false};
  const int code = RunPasses(&job);
  return keepExisting && code == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : code;
}

namespace {

// True when the last component of the path is spelled on disk exactly as in the path.
bool IsSpelledOnDisk(const wchar_t* path) {
  LongPath longPath(path);
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(longPath.path, &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return wcscmp(data.cFileName, path + FileNameOffset(path)) == 0;
}

}  // namespace
