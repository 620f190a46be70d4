#include "foundation/providers/local_delete.h"

#include <shellapi.h>

#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/files/file_io.h"
#include "foundation/core/memory.h"
#include "foundation/text/numbers.h"
#include "foundation/files/paths.h"
#include "foundation/files/system_errors.h"
#include "foundation/core/system_seams.h"
#include "foundation/core/threads.h"
#include "foundation/text/text_sizes.h"

namespace {

bool MakeWipeName(const wchar_t* path, wchar_t* target, int capacity);

constexpr FILEOP_FLAGS kShellDeleteFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
// Write-through, no buffering, delete on close, normal attributes.
constexpr DWORD kTruncateDeleteFlags = 0xA4000080;
constexpr uint32_t kWipeBlockBytes = 4096;
constexpr uint8_t kWipeByte = 0xAA;
constexpr wchar_t kWipeChar = L'@';

int TruncateAndDeleteOnce(const wchar_t* path) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const int result = OpenFileLong(path, &handle, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  TRUNCATE_EXISTING, kTruncateDeleteFlags);
  CloseHandleSafe(handle);
  return result;
}

bool IsFinalTruncateResult(int code) {
  return code == 0 || code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
         code == ERROR_TOO_MANY_OPEN_FILES || code == ERROR_NOT_READY;
}

int ShellDelete(const wchar_t* path) {
  wchar_t* list = MakeShellPathList(path);
  if (!list) return ERROR_NOT_ENOUGH_MEMORY;
  SHFILEOPSTRUCTW operation = {};
  operation.hwnd = g_mainWindow;
  operation.wFunc = FO_DELETE;
  operation.pFrom = list;
  operation.fFlags = kShellDeleteFlags;
  const int result = static_cast<int>(ShellFileOperationRetry(&operation));
  FreeAndNull(&list);
  return result;
}

// The shell takes no path as it stands: for a name that ends in a dot or a blank it would recycle the twin.
int RecycleFile(const wchar_t* path) {
  if (NeedsLiteralPath(path)) return ERROR_INVALID_NAME;
  wchar_t* list = MakeShellPathList(path);
  if (!list) return ERROR_NOT_ENOUGH_MEMORY;
  const int result = static_cast<int>(DeleteToRecycleBin(nullptr, list, 0, false));
  FreeAndNull(&list);
  return result;
}

int DeleteThroughSystem(const wchar_t* longPath) {
  if (g_systemSeams.deleteFileW(longPath)) return 0;
  return static_cast<int>(MapLastError(ERROR_ACCESS_DENIED));
}

HANDLE OpenForWipe(const wchar_t* longPath) {
  return CreateFileW(longPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes the wipe pattern over the whole file from its start; 0, 1235 or the write error.
int OverwriteFile(HANDLE file, ProgressCallback progress, void* userData) {
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file, &size)) return static_cast<int>(MapLastError(ERROR_READ_FAULT));
  uint8_t block[kWipeBlockBytes];
  memset(block, kWipeByte, sizeof block);
  uint64_t left = static_cast<uint64_t>(size.QuadPart);
  while (left > 0) {
    const DWORD piece = left < kWipeBlockBytes ? static_cast<DWORD>(left) : kWipeBlockBytes;
    DWORD written = 0;
    if (!WriteFile(file, block, piece, &written, nullptr) || written != piece)
      return static_cast<int>(MapLastError(ERROR_DISK_FULL));
    left -= piece;
    if (ReportProgress(progress, piece, userData)) return kCancelled;
  }
  // The pattern must reach the disk before the file is emptied.
  FlushFileBuffers(file);
  return 0;
}

// The wipe name of a path: its name with every character but '.' as '@'.
bool MakeMaskedName(const wchar_t* path, wchar_t* target, int capacity) {
  if (CopyWideBounded(path, target, capacity) < 0) return false;
  for (wchar_t* c = target + FileNameOffset(target); *c; ++c)
    if (*c != L'.') *c = kWipeChar;
  return true;
}

bool IsTaken(const wchar_t* path) {
  LongPath longPath(path);
  return GetFileAttributesW(longPath.path) != INVALID_FILE_ATTRIBUTES;
}

// The shell is no way out for a name it would change (it would delete the twin).
int DeleteFileOrThroughShell(const wchar_t* path) {
  const int deleted = DeleteSingleFile(path);
  return deleted == 0 || NeedsLiteralPath(path) ? deleted : ShellDelete(path);
}

}  // namespace

int DeleteLocalFile(FileSystemProvider*, ProviderFolder*, const wchar_t* path, int deleteType,
                    ProgressCallback progress, void* userData) {
  if (!path || !path[0]) return ERROR_INVALID_PARAMETER;
  switch (deleteType) {
    case kDeleteFile: return DeleteFileOrThroughShell(path);
    case kDeleteToRecycleBin: return RecycleFile(path);
    case kDeleteWipe: return WipeFile(path, progress, userData);
    default: return 0;
  }
}

int DeleteSingleFile(const wchar_t* path) {
  LongPath longPath(path);
  const int result = DeleteThroughSystem(longPath.path);
  if (result != ERROR_ACCESS_DENIED) return result;
  const DWORD attributes = GetFileAttributesW(longPath.path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return result;
  if (!SetFileAttributesW(longPath.path, attributes & ~FILE_ATTRIBUTE_READONLY)) return result;
  const int retried = DeleteThroughSystem(longPath.path);
  if (retried != 0) SetFileAttributesW(longPath.path, attributes);
  return retried;
}

int TruncateAndDeleteFile(const wchar_t* path) {
  const int result = TruncateAndDeleteOnce(path);
  if (IsFinalTruncateResult(result) || ClearReadOnly(path) != 0) return result;
  return TruncateAndDeleteOnce(path);
}

int WipeFile(const wchar_t* path, ProgressCallback progress, void* userData) {
  if (!path || !path[0]) return ERROR_INVALID_PARAMETER;
  LongPath longPath(path);
  HANDLE file = OpenForWipe(longPath.path);
  if (file == INVALID_HANDLE_VALUE) {
    SetFileAttributesW(longPath.path, FILE_ATTRIBUTE_ARCHIVE);
    file = OpenForWipe(longPath.path);
  }
  if (file == INVALID_HANDLE_VALUE) {
    const int code = static_cast<int>(MapLastError(ERROR_ACCESS_DENIED));
    return code == kCancelled ? code : TruncateAndDeleteFile(path);
  }
  const int written = OverwriteFile(file, progress, userData);
  if (written == kCancelled) {
    CloseHandle(file);
    return written;
  }
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
  const int capacity = static_cast<int>(WideLength(path)) + kNumberTextCapacity;
  wchar_t* wipeName = AllocZeroedWide(static_cast<uint32_t>(capacity));
  const bool renamed = wipeName && MakeWipeName(path, wipeName, capacity) && VfsRename(nullptr, path, wipeName) == 0;
  const int result = TruncateAndDeleteFile(renamed ? wipeName : path);
  FreeAndNull(&wipeName);
  return result;
}

namespace {

// The name a wiped file takes before it goes: every character of the name except '.' becomes '@', and a
// number is put at the end while a file of that name exists. False when it does not fit.
bool MakeWipeName(const wchar_t* path, wchar_t* target, int capacity) {
  if (!MakeMaskedName(path, target, capacity)) return false;
  const int baseLength = static_cast<int>(WideLength(target));
  for (uint32_t number = 1; IsTaken(target); ++number) {
    wchar_t digits[kNumberTextCapacity];
    UIntToWideDecimal(number, digits, kNumberTextCapacity);
    target[baseLength] = 0;
    if (AppendWideBounded(digits, target, capacity) < 0) return false;
  }
  return true;
}

}  // namespace

wchar_t* MakeShellPathList(const wchar_t* path) {
  LongPath longPath(path);
  const uint32_t length = static_cast<uint32_t>(WideLength(longPath.path));
  wchar_t* list = AllocZeroedWide(length + 2);
  if (list) wmemcpy(list, longPath.path, length);
  return list;
}
