#include "foundation/providers/file_creation.h"

#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/system_errors.h"
#include "foundation/core/system_seams.h"
#include "foundation/core/threads.h"
#include "foundation/providers/local_delete.h"
#include "foundation/providers/local_rename.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_operations.h"

namespace {

constexpr uint64_t kWritePiece = 0x1000000;
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr wchar_t kNewFileSuffix[] = L".new~";
// What FileCreateForWrite reports without a window to show a failure in.
constexpr int kCreateFailedQuietly = ERROR_OPEN_FAILED;

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
  wchar_t aside[kRewrittenPathCapacity];
  if (!MakeTemporarySibling(path, aside, kRewrittenPathCapacity) || !MoveFileQuietly(path, aside)) return first;
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
int WriteNewFile(const wchar_t* path, const void* data, uint32_t size) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const int created = FileCreateForWrite(&handle, nullptr, path);
  if (created != 0) return created;
  int result = FileWriteAll(handle, nullptr, data, size);
  if (result == 0 && !FlushFileBuffers(handle)) result = static_cast<int>(MapLastError(kWriteErrorDefault));
  CloseHandleSafe(handle);
  if (result != 0) TruncateAndDeleteFile(path);
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

}  // namespace

int FileWriteAll(HANDLE handle, HWND owner, const void* data, uint64_t size) {
  // A record whose creation failed must not look written.
  if (!IsOpenFileHandle(handle)) return ERROR_INVALID_HANDLE;
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

int FileCreateForWrite(HANDLE* handle, HWND owner, const wchar_t* path) {
  if (handle == nullptr || *handle != INVALID_HANDLE_VALUE) return -1;
  if (CheckFileNameChars(path) != 0) return ERROR_INVALID_NAME;
  bool folderMade = false;
  for (;;) {
    const int result = CreateOrReplace(path, handle);
    if (result == 0) return 0;
    if (result == ERROR_PATH_NOT_FOUND && !folderMade) {
      folderMade = true;
      wchar_t folder[kRewrittenPathCapacity];
      CopyWideString(path, folder, kRewrittenPathCapacity);
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

// Never in place: a rewrite cut short (the program killed, the disk full) would leave neither text.
int WriteWholeFile(const wchar_t* path, const void* data, uint32_t size) {
  if (path == nullptr || path[0] == 0) return ERROR_PATH_NOT_FOUND;
  ClearReadOnly(path);
  wchar_t newFile[kRewrittenPathCapacity];
  CopyWideString(path, newFile, kRewrittenPathCapacity);
  if (AppendWideBounded(kNewFileSuffix, newFile, kRewrittenPathCapacity) != 0) return ERROR_FILENAME_EXCED_RANGE;
  const int written = WriteNewFile(newFile, data, size);
  // A write that broke off has left the old file as it was.
  if (written != 0) return written;
  const int replaced = ReplaceWithNewFile(newFile, path);
  if (replaced != 0) TruncateAndDeleteFile(newFile);
  return replaced;
}
