#include "foundation/file_io.h"

#include <cstring>

#include "foundation/app_state.h"
#include "foundation/bounded_text.h"
#include "foundation/local_delete.h"
#include "foundation/local_rename.h"
#include "foundation/memory.h"
#include "foundation/message_boxes.h"
#include "foundation/paths.h"
#include "foundation/providers.h"
#include "foundation/shell_folders.h"
#include "foundation/system_errors.h"
#include "foundation/system_folders.h"
#include "foundation/system_seams.h"
#include "foundation/text_encoding.h"
#include "foundation/threads.h"
#include "foundation/ui_operations.h"

namespace {

constexpr int kPathCapacity = 1024;
constexpr int kWork = 2048;
constexpr uint64_t kWritePiece = 0x1000000;
constexpr uint64_t kLargestWholeFile = 0xFFFFFFFC;
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr wchar_t kNewFileSuffix[] = L".new~";
// What FileCreateForWrite reports without a window to show a failure in.
constexpr int kCreateFailedQuietly = ERROR_OPEN_FAILED;

bool IsOpenHandle(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }

bool IsOpen(const BufferedFile* file) { return file != nullptr && IsOpenHandle(file->handle); }

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

int CreateForWrite(const wchar_t* path, HANDLE* handle, DWORD keptAttributes) {
  return OpenFileLong(path, handle, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | keptAttributes);
}

bool MoveFileQuietly(const wchar_t* from, const wchar_t* to) {
  LongPath source(from);
  LongPath target(to);
  return g_systemSeams.moveFileExW(source.path, target.path, 0) != FALSE;
}

// Creates a file. A file in the way that refuses the plain create is moved aside and deleted only once the new
// file exists; when the new file cannot be made either, it goes back, so a failed create never loses it. Only
// its name goes: other hard links to it keep their content.
int CreateOrReplace(const wchar_t* path, HANDLE* handle) {
  const DWORD existing = GetFileAttributesLong(path);
  const DWORD kept = existing == INVALID_FILE_ATTRIBUTES ? 0 : existing & kKeptAttributes;
  const int first = CreateForWrite(path, handle, kept);
  if (first == 0 || existing == INVALID_FILE_ATTRIBUTES || (existing & FILE_ATTRIBUTE_DIRECTORY) != 0) return first;
  wchar_t aside[kWork];
  if (!MakeTemporarySibling(path, aside, kWork) || !MoveFileQuietly(path, aside)) return first;
  const int result = CreateForWrite(path, handle, kept);
  if (result == 0) {
    DeleteSingleFile(aside);
  } else {
    MoveFileQuietly(aside, path);
  }
  return result;
}

int WriteMark(HANDLE* handle, const void* mark, uint32_t bytes) {
  const int result = FileWriteHandle(*handle, mark, bytes);
  if (result != 0) {
    CloseHandleSafe(*handle);
    *handle = INVALID_HANDLE_VALUE;
  }
  return result;
}

// Creates `path`, writes all bytes and closes it; a failed write leaves no file behind.
int WriteNewFile(const wchar_t* path, const void* data, uint32_t size, bool* created) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  *created = FileCreateForWrite(&handle, nullptr, path) == 0;
  if (!*created) return kCreateFailedQuietly;
  int result = FileWriteAll(handle, nullptr, data, size);
  if (result == 0 && !FlushFileBuffers(handle)) result = static_cast<int>(MapLastError(kWriteErrorDefault));
  CloseHandleSafe(handle);
  if (result != 0) TruncateAndDeleteFile(path);
  return result;
}

int WriteInPlace(const wchar_t* path, const void* data, uint32_t size) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  int result = FileCreateForWrite(&handle, nullptr, path);
  if (result != 0) return result;
  result = FileWriteAll(handle, nullptr, data, size);
  CloseHandleSafe(handle);
  return result;
}

int ReplaceWithNewFile(const wchar_t* newFile, const wchar_t* path) {
  const DWORD old = GetFileAttributesLong(path);
  const DWORD kept = old == INVALID_FILE_ATTRIBUTES ? 0 : old & kKeptAttributes;
  SetFileAttributesLong(newFile, kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
  LongPath from;
  LongPath to;
  if (MoveFileExW(MakeLongPath(&from, newFile), MakeLongPath(&to, path),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  return static_cast<int>(MapLastError(kAttributeErrorDefault));
}

int RunShellOperationOnce(SHFILEOPSTRUCTW* operation, int* code) {
  operation->fAnyOperationsAborted = FALSE;
  *code = SHFileOperationW(operation);
  if (operation->fAnyOperationsAborted) return ERROR_REQUEST_ABORTED;
  return *code;
}

}  // namespace

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
  if (IsOpenHandle(*handle)) return 0;
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
  wchar_t folder[kWork];
  CopyWideString(path, folder, kWork);
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

int GetCurrentDirectoryWithRetry(HWND owner, wchar_t drive, wchar_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  for (;;) {
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(capacity), buffer);
    if (length != 0 && length < static_cast<DWORD>(capacity)) return static_cast<int>(length);
    buffer[0] = 0;
    if (owner == nullptr || drive == 0) return 0;
    wchar_t root[4];
    MakeDriveRootPath(drive, root);
    wchar_t text[kPathCapacity];
    FormatSystemErrorText(ERROR_NOT_READY, text, kPathCapacity, false);
    if (ShowMessageWithPath(owner, 0, text, root, nullptr, MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY) return 0;
  }
}

void MakeDriveRootPath(wchar_t letter, wchar_t* target) {
  if (target == nullptr) return;
  target[0] = letter;
  target[1] = L':';
  target[2] = L'\\';
  target[3] = 0;
}

void MakeFullPath(wchar_t* path, int capacity) {
  if (IsEmpty(path) || capacity <= 0 || wcschr(path, L':') != nullptr) return;
  wchar_t full[kPathCapacity];
  const DWORD length = GetFullPathNameW(path, kPathCapacity, full, nullptr);
  if (length != 0 && length < static_cast<DWORD>(kPathCapacity)) CopyWideString(full, path, capacity);
}

int JoinAsAnsiText(const char* prefix, const wchar_t* text, const char* suffix, char* target, int capacity) {
  if (target == nullptr || capacity <= 0) return ERROR_INVALID_NAME;
  bool cut = CopyNarrowBounded(prefix != nullptr ? prefix : "", target, capacity) != 0;
  const int used = static_cast<int>(NarrowLength(target));
  const int written = WideToMultiByteBounded(text, target + used, capacity - used, CP_ACP);
  const int needed =
      WideLength(text) == 0 ? 0 : WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr) - 1;
  cut |= written < needed;
  cut |= AppendNarrowBounded(suffix != nullptr ? suffix : "", target, capacity) != 0;
  return cut ? ERROR_INVALID_NAME : 0;
}

int FileOpenRead(BufferedFile* file, const wchar_t* path) { return OpenRecord(file, path, GENERIC_READ); }

int FileOpenReadWrite(BufferedFile* file, const wchar_t* path) {
  return OpenRecord(file, path, GENERIC_READ | GENERIC_WRITE);
}

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

int FileReadExactHandle(HANDLE handle, void* buffer, uint32_t n) {
  auto* target = static_cast<uint8_t*>(buffer);
  uint32_t done = 0;
  SetLastError(0);
  while (done < n) {
    DWORD got = 0;
    if (!IsOpenHandle(handle) || !ReadFile(handle, target + done, n - done, &got, nullptr) || got == 0) break;
    done += got;
  }
  return done == n ? 0 : static_cast<int>(MapLastError(kHandleReadErrorDefault));
}

int FileWriteHandle(HANDLE handle, const void* data, uint32_t n) {
  if (n == 0) return 0;
  if (!IsOpenHandle(handle)) return ERROR_INVALID_HANDLE;
  DWORD written = 0;
  SetLastError(0);
  if (g_systemSeams.writeFile(handle, data, n, &written, nullptr) && written == n) return 0;
  return static_cast<int>(MapLastError(kWriteErrorDefault));
}

int FileWriteAll(HANDLE handle, HWND owner, const void* data, uint64_t size) {
  // A record whose creation failed must not look written.
  if (!IsOpenHandle(handle)) return ERROR_INVALID_HANDLE;
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (uint64_t done = 0; done < size;) {
    const uint64_t piece = size - done < kWritePiece ? size - done : kWritePiece;
    const int result = FileWriteHandle(handle, bytes + done, static_cast<uint32_t>(piece));
    if (result != 0) {
      if (owner != nullptr) ShowLastErrorMessage(owner, static_cast<DWORD>(result), nullptr);
      return result;
    }
    done += piece;
  }
  return 0;
}

int FileWriteWideLine(HANDLE handle, const wchar_t* text, bool lineFeedOnly) {
  const uint32_t bytes = static_cast<uint32_t>(WideLength(text) * sizeof(wchar_t));
  const int result = FileWriteHandle(handle, text, bytes);
  if (result != 0) return result;
  const wchar_t* end = lineFeedOnly ? L"\n" : L"\r\n";
  return FileWriteHandle(handle, end, static_cast<uint32_t>(WideLength(end) * sizeof(wchar_t)));
}

uint64_t FileGetSize64(const BufferedFile* file) {
  LARGE_INTEGER size;
  if (!IsOpen(file) || !GetFileSizeEx(file->handle, &size)) return 0;
  return static_cast<uint64_t>(size.QuadPart);
}

uint32_t FileGetSize32(const BufferedFile* file) {
  const uint64_t size = FileGetSize64(file);
  return size > 0xFFFFFFFEull ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
}

int FileSeek(BufferedFile* file, uint32_t offset) { return SeekRecord(file, offset, FILE_BEGIN); }

int FileSeek64(BufferedFile* file, uint64_t offset) {
  return SeekRecord(file, static_cast<int64_t>(offset), FILE_BEGIN);
}

int FileSkip(BufferedFile* file, int64_t delta) {
  if (!IsOpen(file)) return -1;
  // The system's position is past the bytes the buffer still holds.
  const int64_t unread = file->bufferBytes - file->bufferPosition;
  return SeekRecord(file, delta - unread, FILE_CURRENT);
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

uint32_t FileReadFromMemoryCopy(BufferedFile* file, void* buffer, uint32_t n) {
  if (file == nullptr || buffer == nullptr) return 0;
  if (file->wholeFile == nullptr && FileLoadWhole(file, nullptr) != 0) return 0;
  const uint32_t left = file->wholeFileSize - file->wholeFilePosition;
  const uint32_t take = n < left ? n : left;
  memcpy(buffer, file->wholeFile + file->wholeFilePosition, take);
  file->wholeFilePosition += take;
  return take;
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

int CreateNamedSharedMemory(void** view, HANDLE* mapping, uint32_t size, const wchar_t* name) {
  if (view == nullptr || mapping == nullptr) return -ERROR_INVALID_PARAMETER;
  *view = nullptr;
  *mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
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

int FileCreateForWrite(HANDLE* handle, HWND owner, const wchar_t* path) {
  if (handle == nullptr || *handle != INVALID_HANDLE_VALUE) return -1;
  if (CheckFileNameChars(path) != 0) return ERROR_INVALID_NAME;
  bool folderMade = false;
  for (;;) {
    const int result = CreateOrReplace(path, handle);
    if (result == 0) return 0;
    if (result == ERROR_PATH_NOT_FOUND && !folderMade) {
      folderMade = true;
      wchar_t folder[kWork];
      CopyWideString(path, folder, kWork);
      if (CutToParentFolder(folder) != 0) return result;
      if (CreateDirectoryPath(nullptr, folder) == ERROR_ALREADY_EXISTS) return ERROR_ALREADY_EXISTS;
      continue;
    }
    if (result == ERROR_PATH_NOT_FOUND) return result;
    if (owner == nullptr) return kCreateFailedQuietly;
    ShowLastErrorMessage(owner, static_cast<DWORD>(result), path);
    return result;
  }
}

int FileCreateUtf16(HANDLE* handle, HWND owner, const wchar_t* path) {
  const int result = FileCreateForWrite(handle, owner, path);
  if (result != 0) return result;
  static const uint8_t kMark[] = {0xFF, 0xFE};
  return WriteMark(handle, kMark, sizeof kMark);
}

int FileCreateWithEncoding(HWND owner, HANDLE* handle, const wchar_t* path, int type) {
  if (type != 1 && type != 3 && type != 5 && type != 7) return FileCreateUtf16(handle, owner, path);
  const int result = FileCreateForWrite(handle, owner, path);
  if (result != 0 || type != 7) return result;
  static const uint8_t kMark[] = {0xEF, 0xBB, 0xBF};
  return WriteMark(handle, kMark, sizeof kMark);
}

int WriteWholeFile(const wchar_t* path, const void* data, uint32_t size) {
  if (IsEmpty(path)) return ERROR_PATH_NOT_FOUND;
  ClearReadOnly(path);
  wchar_t newFile[kWork];
  CopyWideString(path, newFile, kWork);
  if (AppendWideBounded(kNewFileSuffix, newFile, kWork) != 0) return WriteInPlace(path, data, size);
  bool created = false;
  const int written = WriteNewFile(newFile, data, size, &created);
  if (!created) return WriteInPlace(path, data, size);
  // A write that broke off has left the old file as it was.
  if (written != 0) return written;
  if (ReplaceWithNewFile(newFile, path) == 0) return 0;
  TruncateAndDeleteFile(newFile);
  return WriteInPlace(path, data, size);
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
