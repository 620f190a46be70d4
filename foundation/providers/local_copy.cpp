#include "foundation/providers/local_copy.h"

#include "foundation/text/bounded_text.h"
#include "foundation/files/file_entries.h"
#include "foundation/files/file_io.h"
#include "foundation/providers/local_delete.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/system_errors.h"
#include "foundation/win32/system_functions.h"

namespace {

constexpr uint32_t kSmallCopyBytes = 4096;
constexpr uint32_t kLargestPiece = 0x40000;
// The result of a copy that failed without saying why.
constexpr DWORD kCopyFailure = ERROR_WRITE_FAULT;

// Handed to CopyFileExW's progress routine.
struct CopyState {
  BOOL* cancel;
  ProgressCallback progress;
  void* userData;
  uint64_t reported;
  DWORD copyFlags;  // COPY_FILE_FAIL_IF_EXISTS when an existing target must stay
};

DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER,
                                   DWORD stream, DWORD reason, HANDLE, HANDLE, void* data) {
  auto* state = static_cast<CopyState*>(data);
  if (stream >= 2) return PROGRESS_CONTINUE;
  if (reason == CALLBACK_STREAM_SWITCH) {
    state->reported = 0;
    return PROGRESS_CONTINUE;
  }
  const uint64_t total = static_cast<uint64_t>(transferred.QuadPart);
  const uint64_t piece = total - state->reported;
  state->reported = total;
  if (!ReportProgress(state->progress, piece, state->userData)) return PROGRESS_CONTINUE;
  *state->cancel = TRUE;
  return PROGRESS_CANCEL;
}

// One CopyFileExW: 0, 1235, the error, or -1 when the system has no CopyFileExW.
int CopyWithSystem(const wchar_t* source, const wchar_t* target, CopyState* state) {
  LongPath longSource(source);
  LongPath longTarget(target);
  *state->cancel = FALSE;
  state->reported = 0;
  const int copied = CallCopyFileEx(longSource.path, longTarget.path, CopyProgressRoutine, state, state->cancel,
                                    state->copyFlags);
  if (copied < 0) return -1;
  const DWORD error = copied ? 0 : MapLastError(kCopyFailure);
  if (*state->cancel) return kCancelled;
  return static_cast<int>(error);
}

int RetryIntoNewFolder(ProviderFolder* secondFolder, const wchar_t* source, const wchar_t* target, CopyState* state) {
  wchar_t parent[kPathCapacity];
  if (CopyWideBounded(target, parent, kPathCapacity) < 0) return ERROR_FILENAME_EXCED_RANGE;
  if (CutToParentFolder(parent) < 0 || !parent[0]) return ERROR_PATH_NOT_FOUND;
  const int made = CreateDirectoryPath(secondFolder, parent);
  if (made == ERROR_ALREADY_EXISTS) return ERROR_FILENAME_EXCED_RANGE;
  return made ? made : CopyWithSystem(source, target, state);
}

int RetryOverReadOnly(const wchar_t* source, const wchar_t* target, CopyState* state) {
  LongPath longTarget(target);
  const DWORD attributes = GetFileAttributesW(longTarget.path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  if (ClearReadOnly(target) != 0) return ERROR_ACCESS_DENIED;
  return CopyWithSystem(source, target, state);
}

// What the copy by hand knows of its source.
struct SourceFacts {
  uint64_t size;
  FILETIME creation;
  FILETIME lastAccess;
  FILETIME lastWrite;
  DWORD attributes;
};

HANDLE OpenSource(const wchar_t* source, const FileInfo* info, SourceFacts* facts) {
  LongPath longSource(source);
  HANDLE file = CreateFileW(longSource.path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  if (info) {
    *facts = {info->size, info->creationTime, info->lastAccessTime, info->lastWriteTime, info->attributes};
    return file;
  }
  BY_HANDLE_FILE_INFORMATION found;
  if (!GetFindData(file, source, &found)) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  facts->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  facts->creation = found.ftCreationTime;
  facts->lastAccess = found.ftLastAccessTime;
  facts->lastWrite = found.ftLastWriteTime;
  facts->attributes = found.dwFileAttributes;
  return file;
}

bool HasRoomFor(const wchar_t* target, uint64_t size) {
  if (!IsDrivePath(target)) return true;
  wchar_t root[kPathCapacity];
  GetPathRoot(target, root, kPathCapacity);
  uint64_t freeBytes = 0;
  if (!QueryDiskFreeSpace(root, nullptr, &freeBytes, nullptr)) return true;
  return freeBytes >= size;
}

int CopyPieces(HANDLE from, HANDLE to, uint8_t* buffer, uint32_t pieceSize, ProgressCallback progress,
               void* userData) {
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(from, buffer, pieceSize, &got, nullptr)) return static_cast<int>(MapLastError(ERROR_READ_FAULT));
    if (got == 0) return 0;
    DWORD written = 0;
    if (!WriteFile(to, buffer, got, &written, nullptr) || written != got)
      return static_cast<int>(MapLastError(ERROR_DISK_FULL));
    if (ReportProgress(progress, got, userData)) return kCancelled;
  }
}

// CopyFileW, the last resort of the copy by hand; progress once with the whole size.
int CopyWithPlainSystemCall(const wchar_t* source, const wchar_t* target, ProgressCallback progress, void* userData,
                            bool keepTarget) {
  LongPath longSource(source);
  LongPath longTarget(target);
  if (!CopyFileW(longSource.path, longTarget.path, keepTarget ? TRUE : FALSE))
    return static_cast<int>(MapLastError(kCopyFailure));
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(longTarget.path, GetFileExInfoStandard, &data);
  ReportProgress(progress, (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, userData);
  return 0;
}

// The copy into an open source, through a buffer; -1 when it could not start (no buffer, no target, a target
// that must stay).
int CopyOpenSource(HANDLE from, const SourceFacts& facts, const wchar_t* target, ProgressCallback progress,
                   void* userData, bool keepTarget, bool* targetMade) {
  uint8_t smallBuffer[kSmallCopyBytes];
  const uint32_t pieceSize = facts.size <= kSmallCopyBytes ? kSmallCopyBytes
                             : facts.size < kLargestPiece  ? static_cast<uint32_t>(facts.size)
                                                           : kLargestPiece;
  uint8_t* buffer = pieceSize == kSmallCopyBytes ? smallBuffer : static_cast<uint8_t*>(AllocZeroed(pieceSize));
  if (!buffer) return -1;
  LongPath longTarget(target);
  HANDLE to = CreateFileW(longTarget.path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          keepTarget ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  int result = -1;
  if (to != INVALID_HANDLE_VALUE) {
    *targetMade = true;
    result = CopyPieces(from, to, buffer, pieceSize, progress, userData);
    if (result == 0) SetFileTime(to, &facts.creation, &facts.lastAccess, &facts.lastWrite);
    CloseHandle(to);
    if (result == 0) SetFileAttributesW(longTarget.path, facts.attributes ? facts.attributes : FILE_ATTRIBUTE_NORMAL);
  }
  if (buffer != smallBuffer) FreeAndNull(&buffer);
  return result;
}

uint32_t ClusterSizeOf(const wchar_t* path, const wchar_t* root) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (GetDiskFreeSpaceW(path, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters) ||
      GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
    return sectorsPerCluster * bytesPerSector;
  return 0;
}

// GetDiskFreeSpaceW alone, for systems without the extended query.
int QueryClusterCounts(const wchar_t* root, uint32_t* clusterSize, uint64_t* freeBytes, uint64_t* totalBytes) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  const BOOL found = GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters);
  const uint64_t cluster = found ? static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector : 0;
  if (clusterSize) *clusterSize = static_cast<uint32_t>(cluster);
  if (freeBytes) *freeBytes = cluster * freeClusters;
  if (totalBytes) *totalBytes = cluster * totalClusters;
  return found ? 1 : 0;
}

int CopyByHand(const wchar_t* source, const wchar_t* target, const FileInfo* info, ProgressCallback progress,
               void* userData, bool keepTarget) {
  if (!source || !target || !source[0] || !target[0]) return ERROR_INVALID_PARAMETER;
  SourceFacts facts = {};
  HANDLE from = OpenSource(source, info, &facts);
  if (from == INVALID_HANDLE_VALUE) return CopyWithPlainSystemCall(source, target, progress, userData, keepTarget);
  if (!HasRoomFor(target, facts.size)) {
    CloseHandle(from);
    return ERROR_DISK_FULL;
  }
  bool targetMade = false;
  const int result = CopyOpenSource(from, facts, target, progress, userData, keepTarget, &targetMade);
  CloseHandle(from);
  if (result == 0) return 0;
  if (targetMade) DeleteLocalFile(nullptr, nullptr, target, kDeleteFile, nullptr, nullptr);
  if (result == ERROR_DISK_FULL || result == kCancelled) return result;
  return CopyWithPlainSystemCall(source, target, progress, userData, keepTarget);
}

// A target that must stay is neither replaced nor made writable.
int CopyWithRemedies(ProviderFolder* secondFolder, const wchar_t* source, const wchar_t* target,
                     const FileInfo* info, ProgressCallback progress, void* userData, bool keepTarget) {
  if (!source || !target || !source[0] || !target[0]) return ERROR_INVALID_PARAMETER;
  BOOL cancel = FALSE;
  CopyState state = {&cancel, progress, userData, 0, keepTarget ? static_cast<DWORD>(COPY_FILE_FAIL_IF_EXISTS) : 0};
  const int result = CopyWithSystem(source, target, &state);
  if (result < 0) return CopyByHand(source, target, info, progress, userData, keepTarget);
  if (result == ERROR_PATH_NOT_FOUND) return RetryIntoNewFolder(secondFolder, source, target, &state);
  if (result == ERROR_ACCESS_DENIED && !keepTarget) return RetryOverReadOnly(source, target, &state);
  return result;
}

}  // namespace

int CopyOrMoveLocalFile(FileSystemProvider*, ProviderFolder*, ProviderFolder* secondFolder, const wchar_t* source,
                        const wchar_t* target, const FileInfo* info, ProgressCallback progress, void* userData) {
  return CopyWithRemedies(secondFolder, source, target, info, progress, userData, false);
}

int CopyLocalFileKeepingTarget(const wchar_t* source, const wchar_t* target) {
  return CopyWithRemedies(nullptr, source, target, nullptr, nullptr, nullptr, true);
}

int CopyLocalFile(FileSystemProvider* provider, const wchar_t* source, const wchar_t* target, const FileInfo* info,
                  ProgressCallback progress, void* userData) {
  return CopyOrMoveLocalFile(provider, nullptr, nullptr, source, target, info, progress, userData);
}

int QueryDiskFreeSpace(const wchar_t* path, uint32_t* clusterSize, uint64_t* freeBytes, uint64_t* totalBytes) {
  if (!path) return 0;
  wchar_t root[kPathCapacity];
  GetPathRoot(path, root, kPathCapacity);
  AddTrailingBackslash(root, kPathCapacity);
  ULARGE_INTEGER available = {}, total = {}, totalFree = {};
  int found = CallGetDiskFreeSpaceEx(path, &available, &total, &totalFree);
  if (found == 0) found = CallGetDiskFreeSpaceEx(root, &available, &total, &totalFree);
  if (found < 0) return QueryClusterCounts(root, clusterSize, freeBytes, totalBytes);
  if (freeBytes) *freeBytes = found ? available.QuadPart : 0;
  if (totalBytes) *totalBytes = found ? total.QuadPart : 0;
  if (clusterSize) *clusterSize = ClusterSizeOf(path, root);
  return found;
}
