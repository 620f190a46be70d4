#include "foundation/files/file_io.h"

#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/system_errors.h"
#include "foundation/files/system_folders.h"
#include "foundation/core/system_seams.h"
#include "foundation/text/text_encoding.h"
#include "foundation/core/threads.h"

namespace {

constexpr uint64_t kLargestWholeFile = 0xFFFFFFFC;

bool IsOpen(const BufferedFile* file) { return file != nullptr && IsOpenFileHandle(file->handle); }

bool IsEmpty(const wchar_t* path) { return path == nullptr || path[0] == 0; }

void EmptyReadBuffer(BufferedFile* file) {
  file->bufferPosition = 0;
  file->bufferBytes = 0;
}

// The system's text of a code with the path below it, in an error box with an OK button.
int OpenRecord(BufferedFile* file, const wchar_t* path, DWORD access) {
  if (file == nullptr) return ERROR_INVALID_PARAMETER;
  if (IsOpen(file)) return -1;
  if (CheckFileNameChars(path) != 0) return ERROR_INVALID_NAME;
  file->textType = 0;
  EmptyReadBuffer(file);
  return OpenFileLong(path, &file->handle, access, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL);
}

// Refills the read buffer unless an earlier refill came back short (the end of the file). False when nothing
// could be read; `failed` tells a refused read from the end.
bool RefillReadBuffer(BufferedFile* file, bool* failed) {
  const bool endSeen = file->bufferBytes != 0 && file->bufferBytes < static_cast<int32_t>(kBufferedFileBufferBytes);
  if (endSeen) return false;
  DWORD got = 0;
  if (!ReadFile(file->handle, file->buffer, kBufferedFileBufferBytes, &got, nullptr)) {
    *failed = true;
    return false;
  }
  file->bufferBytes = static_cast<int32_t>(got);
  file->bufferPosition = 0;
  return got != 0;
}

int SeekRecord(BufferedFile* file, int64_t distance, DWORD method) {
  if (!IsOpen(file)) return -1;
  EmptyReadBuffer(file);
  LARGE_INTEGER move;
  move.QuadPart = distance;
  return SetFilePointerEx(file->handle, move, nullptr, method) ? 0 : static_cast<int>(MapLastError(0));
}

int RunShellOperationOnce(SHFILEOPSTRUCTW* operation, int* code) {
  operation->fAnyOperationsAborted = FALSE;
  *code = SHFileOperationW(operation);
  if (operation->fAnyOperationsAborted) return ERROR_REQUEST_ABORTED;
  return *code;
}

}  // namespace

bool IsOpenFileHandle(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }

DWORD GetFileAttributesLong(const wchar_t* path) {
  if (IsEmpty(path)) return INVALID_FILE_ATTRIBUTES;
  LongPath longPath;
  return GetFileAttributesW(MakeLongPath(&longPath, path));
}

bool SetFileAttributesLong(const wchar_t* path, DWORD attributes) {
  if (IsEmpty(path)) return false;
  LongPath longPath;
  return SetFileAttributesW(MakeLongPath(&longPath, path), attributes) != FALSE;
}

int ClearReadOnly(const wchar_t* path) {
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_FILE_NOT_FOUND;
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return 0;
  if (SetFileAttributesLong(path, attributes & ~FILE_ATTRIBUTE_READONLY)) return 0;
  return static_cast<int>(MapLastError(kAttributeErrorDefault));
}

int OpenFileLong(const wchar_t* path, HANDLE* handle, DWORD access, DWORD sharing, DWORD disposition, DWORD flags) {
  if (handle == nullptr) return ERROR_INVALID_PARAMETER;
  *handle = INVALID_HANDLE_VALUE;
  if (IsEmpty(path)) return ERROR_PATH_NOT_FOUND;
  LongPath longPath;
  *handle = g_systemSeams.createFileW(MakeLongPath(&longPath, path), access, sharing, nullptr, disposition, flags,
                                      nullptr);
  if (IsOpenFileHandle(*handle)) return 0;
  *handle = INVALID_HANDLE_VALUE;
  const DWORD code = MapLastError(kOpenErrorDefault);
  if (code == ERROR_NOT_READY && GetFileAttributesLong(path) == INVALID_FILE_ATTRIBUTES) return ERROR_FILE_NOT_FOUND;
  return static_cast<int>(code);
}

int CreateFolder(const wchar_t* path) {
  if (IsEmpty(path)) return ERROR_INVALID_PARAMETER;
  LongPath longPath;
  if (CreateDirectoryW(MakeLongPath(&longPath, path), nullptr)) return 0;
  const DWORD code = MapLastError(kAttributeErrorDefault);
  // A bare server name is no folder to make but is there.
  if (code == ERROR_BAD_PATHNAME && path[0] == L'\\' && path[1] == L'\\' && !wcschr(path + 2, L'\\')) return 0;
  return static_cast<int>(code);
}

int RemoveFolder(const wchar_t* path) {
  if (IsEmpty(path)) return ERROR_INVALID_PARAMETER;
  wchar_t folder[kRewrittenPathCapacity];
  CopyWideString(path, folder, kRewrittenPathCapacity);
  const size_t length = WideLength(folder);
  if (length > 1 && IsPathSeparator(folder[length - 1])) folder[length - 1] = 0;
  LongPath longPath;
  const wchar_t* systemPath = MakeLongPath(&longPath, folder);
  if (RemoveDirectoryW(systemPath)) return 0;
  DWORD code = MapLastError(kAttributeErrorDefault);
  if (code == ERROR_ACCESS_DENIED) {
    // Read-only, hidden or system bits may be what refuses; a failed retry gives them back.
    const DWORD attributes = GetFileAttributesW(systemPath);
    SetFileAttributesW(systemPath, FILE_ATTRIBUTE_NORMAL);
    if (RemoveDirectoryW(systemPath)) return 0;
    code = MapLastError(kAttributeErrorDefault);
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(systemPath, attributes);
  } else if (code == ERROR_SHARING_VIOLATION) {
    // The process's own current directory may be what holds the folder.
    wchar_t windows[kPathCapacity];
    wchar_t root[kPathCapacity];
    GetWindowsFolder(windows, kPathCapacity);
    GetPathRoot(windows, root, kPathCapacity);
    SetCurrentDirectoryW(root);
    if (RemoveDirectoryW(systemPath)) return 0;
    code = MapLastError(kAttributeErrorDefault);
  }
  return static_cast<int>(code);
}

int SetCurrentDirectoryLong(const wchar_t* path) {
  if (IsEmpty(path)) return ERROR_INVALID_PARAMETER;
  LongPath longPath;
  if (SetCurrentDirectoryW(MakeLongPath(&longPath, path))) return 0;
  return static_cast<int>(MapLastError(kDirectoryChangeErrorDefault));
}

void MakeFullPath(wchar_t* path, int capacity) {
  if (IsEmpty(path) || capacity <= 0 || wcschr(path, L':') != nullptr) return;
  wchar_t full[kPathCapacity];
  const DWORD length = GetFullPathNameW(path, kPathCapacity, full, nullptr);
  if (length != 0 && length < static_cast<DWORD>(kPathCapacity)) CopyWideString(full, path, capacity);
}

int FileOpenRead(BufferedFile* file, const wchar_t* path) { return OpenRecord(file, path, GENERIC_READ); }

int FileReadExact(BufferedFile* file, void* buffer, uint32_t n) {
  if (n == 0) return 0;
  if (!IsOpen(file) || buffer == nullptr) return kBufferedReadErrorDefault;
  SetLastError(0);
  auto* target = static_cast<uint8_t*>(buffer);
  uint32_t done = 0;
  bool failed = false;
  while (done < n) {
    const int32_t held = file->bufferBytes - file->bufferPosition;
    if (held > 0) {
      const uint32_t take = n - done < static_cast<uint32_t>(held) ? n - done : static_cast<uint32_t>(held);
      memcpy(target + done, file->buffer + file->bufferPosition, take);
      file->bufferPosition += static_cast<int32_t>(take);
      done += take;
    } else if (!RefillReadBuffer(file, &failed)) {
      break;
    }
  }
  if (done == n) return 0;
  if (done > 0) return -static_cast<int>(done);
  return static_cast<int>(MapLastError(kBufferedReadErrorDefault));
}

uint32_t FilePeekBuffered(BufferedFile* file, const uint8_t** bytes) {
  if (!IsOpen(file)) return 0;
  bool failed = false;
  if (file->bufferBytes <= file->bufferPosition && !RefillReadBuffer(file, &failed)) return 0;
  *bytes = file->buffer + file->bufferPosition;
  return static_cast<uint32_t>(file->bufferBytes - file->bufferPosition);
}

int FileReadExactHandle(HANDLE handle, void* buffer, uint32_t n) {
  auto* target = static_cast<uint8_t*>(buffer);
  uint32_t done = 0;
  SetLastError(0);
  while (done < n) {
    DWORD got = 0;
    if (!IsOpenFileHandle(handle) || !ReadFile(handle, target + done, n - done, &got, nullptr) || got == 0) break;
    done += got;
  }
  return done == n ? 0 : static_cast<int>(MapLastError(kHandleReadErrorDefault));
}

int FileWriteHandle(HANDLE handle, const void* data, uint32_t n) {
  if (n == 0) return 0;
  if (!IsOpenFileHandle(handle)) return ERROR_INVALID_HANDLE;
  DWORD written = 0;
  SetLastError(0);
  if (g_systemSeams.writeFile(handle, data, n, &written, nullptr) && written == n) return 0;
  return static_cast<int>(MapLastError(kWriteErrorDefault));
}

uint64_t FileGetSize64(const BufferedFile* file) {
  LARGE_INTEGER size;
  if (!IsOpen(file) || !GetFileSizeEx(file->handle, &size)) return 0;
  return static_cast<uint64_t>(size.QuadPart);
}

int FileLoadWhole(BufferedFile* file, const wchar_t* path) {
  if (file == nullptr) return ERROR_INVALID_PARAMETER;
  if (!IsOpen(file)) {
    const int opened = FileOpenRead(file, path);
    if (opened != 0) return opened;
  }
  FreeAndNull(&file->wholeFile);
  file->wholeFileSize = 0;
  file->wholeFilePosition = 0;
  const uint64_t size = FileGetSize64(file);
  if (size > kLargestWholeFile) return -2;
  auto* copy = static_cast<uint8_t*>(AllocZeroed(static_cast<uint32_t>(size) + 1));
  if (copy == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  int result = SeekRecord(file, 0, FILE_BEGIN);
  if (result == 0) result = FileReadExactHandle(file->handle, copy, static_cast<uint32_t>(size));
  if (result != 0) {
    FreeAndNull(&copy);
    return result;
  }
  file->wholeFile = copy;
  file->wholeFileSize = static_cast<uint32_t>(size);
  return 0;
}

int MapWholeFile(MappedFile* file, const wchar_t* path) {
  if (file == nullptr) return ERROR_INVALID_PARAMETER;
  CloseMappedFile(file);
  int result = OpenFileLong(path, &file->file, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (result != 0) return result;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file->file, &size)) {
    result = static_cast<int>(MapLastError(kOpenErrorDefault));
    CloseMappedFile(file);
    return result;
  }
  file->size = static_cast<uint64_t>(size.QuadPart);
  if (file->size == 0) return 0;
  file->mapping = CreateFileMappingW(file->file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (file->mapping == nullptr) file->mapping = INVALID_HANDLE_VALUE;
  if (file->mapping != INVALID_HANDLE_VALUE)
    file->view = static_cast<const uint8_t*>(MapViewOfFile(file->mapping, FILE_MAP_READ, 0, 0, 0));
  if (file->view != nullptr) return 0;
  result = static_cast<int>(MapLastError(kOpenErrorDefault));
  CloseMappedFile(file);
  return result;
}

int CreateNamedSharedMemory(void** view, HANDLE* mapping, uint32_t size, const wchar_t* name,
                            SECURITY_ATTRIBUTES* security) {
  if (view == nullptr || mapping == nullptr) return -ERROR_INVALID_PARAMETER;
  *view = nullptr;
  *mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, security, PAGE_READWRITE, 0, size, name);
  if (*mapping == nullptr) return -static_cast<int>(MapLastError(kOpenErrorDefault));
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  *view = MapViewOfFile(*mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (*view == nullptr) {
    const int code = static_cast<int>(MapLastError(kOpenErrorDefault));
    CloseMappedFileView(view, mapping);
    return -code;
  }
  return existed ? 1 : 0;
}

int ShellFileOperationRetry(SHFILEOPSTRUCTW* operation) {
  if (operation == nullptr) return ERROR_INVALID_PARAMETER;
  int code = 0;
  if (RunShellOperationOnce(operation, &code) == ERROR_REQUEST_ABORTED) return ERROR_REQUEST_ABORTED;
  if (code == 0) return 0;
  if (RunShellOperationOnce(operation, &code) == ERROR_REQUEST_ABORTED) return ERROR_REQUEST_ABORTED;
  if (code == 0) return 0;
  return static_cast<int>(MapLastError(code < 35 ? static_cast<DWORD>(code) : ERROR_ACCESS_DENIED));
}

int DeleteToRecycleBin(HWND owner, const wchar_t* paths, FILEOP_FLAGS extraFlags, bool noRetry) {
  if (paths == nullptr || paths[0] == 0) return ERROR_INVALID_PARAMETER;
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = paths;
  operation.hwnd = owner != nullptr ? owner : g_mainWindow;
  operation.fFlags = static_cast<FILEOP_FLAGS>(
      (owner != nullptr ? FOF_ALLOWUNDO : FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI) |
      extraFlags);
  if (!noRetry) return ShellFileOperationRetry(&operation);
  int code = 0;
  return RunShellOperationOnce(&operation, &code);
}
