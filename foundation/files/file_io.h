// The program's own layer over the system's file functions. Every call hands the long form of its path to the
// system, every result is a Win32 error number (0 success), and the last error of a failing call is
// normalised one way (MapLastError) with a default per kind of operation.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "foundation/files/file_records.h"

// Defaults of the normalised last error, by kind of operation.
constexpr DWORD kOpenErrorDefault = ERROR_ACCESS_DENIED;                 // opening and mapping
constexpr DWORD kDirectoryChangeErrorDefault = ERROR_NOT_READY;          // current-directory changes
constexpr DWORD kHandleReadErrorDefault = ERROR_READ_FAULT;              // reading by handle
constexpr DWORD kWriteErrorDefault = ERROR_DISK_FULL;                    // writing
constexpr DWORD kBufferedReadErrorDefault = ERROR_NO_MORE_ITEMS;         // buffered reading; also a closed record
constexpr DWORD kAttributeErrorDefault = ERROR_SHARING_VIOLATION;        // attribute and folder changes

// Paths and attributes.

// True for a handle that is neither null nor INVALID_HANDLE_VALUE.
bool IsOpenFileHandle(HANDLE handle);

// GetFileAttributesW; INVALID_FILE_ATTRIBUTES when the path is missing.
DWORD GetFileAttributesLong(const wchar_t* path);
bool SetFileAttributesLong(const wchar_t* path, DWORD attributes);
// 2 when the path is missing; 0 when it is not read-only or the bit was cleared; else the normalised error.
int ClearReadOnly(const wchar_t* path);
// CreateFileW into `handle` (INVALID_HANDLE_VALUE on failure): 0, or the normalised error (default 5), with 21
// (not ready) for a path that does not exist reported as 2.
int OpenFileLong(const wchar_t* path, HANDLE* handle, DWORD access, DWORD sharing, DWORD disposition, DWORD flags);
// CreateDirectoryW: 0 or the normalised error; 87 for an empty path; 161 on a bare "\\server" counts as done.
int CreateFolder(const wchar_t* path);
// RemoveDirectoryW (one trailing separator cut): on 5 once more with the folder's attributes cleared (given
// back when that fails too), on 32 once more after leaving the folder as current directory. 87 for an empty
// path.
int RemoveFolder(const wchar_t* path);
int SetCurrentDirectoryLong(const wchar_t* path);
// A path without ':' becomes absolute (at most 1024 characters); on failure it stays.
void MakeFullPath(wchar_t* path, int capacity);

// File records (BufferedFile) and raw handles.

// Open for reading (sharing read and write, the file must exist): -1 when the record is open already, 123 for
// a file name with an invalid character, else 0 or the open error.
int FileOpenRead(BufferedFile* file, const wchar_t* path);
// Exactly n bytes through the read buffer: 0; minus the bytes read when fewer came; the normalised error
// (default 259) when none came. 259 for a closed record.
int FileReadExact(BufferedFile* file, void* buffer, uint32_t n);

// The bytes the read buffer holds from the read position on, filling it again when it is empty: their count
// (0 at the end of the file, or when the file cannot be read) and where they are. A reader takes what it uses by
// moving the record's bufferPosition on.
uint32_t FilePeekBuffered(BufferedFile* file, const uint8_t** bytes);
// Exactly n bytes from a raw handle: 0, else the normalised error (default 30).
int FileReadExactHandle(HANDLE handle, void* buffer, uint32_t n);
// All n bytes to a raw handle: 0, else the normalised error (default 112).
int FileWriteHandle(HANDLE handle, const void* data, uint32_t n);
// The size; 0 for a closed record.
uint64_t FileGetSize64(const BufferedFile* file);
// Reads the whole file (opening `path` when the record is closed) into a zero-filled copy one byte longer
// than the file: 0, -2 for a file of more than 0xFFFFFFFC bytes, 8 without memory, else the error.
int FileLoadWhole(BufferedFile* file, const wchar_t* path);

// Files in memory.

// Maps a whole file read-only: 0 (an empty file has no view), else the normalised error (default 5) with
// the record closed.
int MapWholeFile(MappedFile* file, const wchar_t* path);
// Named memory backed by the page file, mapped for reading and writing: 0 when it was created, 1 when it
// existed already; minus the normalised error on failure (nothing is left open). `security`, when given, is
// the new block's access list. Released with CloseMappedFileView.
int CreateNamedSharedMemory(void** view, HANDLE* mapping, uint32_t size, const wchar_t* name,
                            SECURITY_ATTRIBUTES* security = nullptr);

// SHFileOperationW, once more after a failure: 0, 1235 when the user aborted, else the normalised error
// (default the operation's code below 35, else 5).
int ShellFileOperationRetry(SHFILEOPSTRUCTW* operation);
// Moves the paths of a double-zero-terminated list to the recycle bin. With an owner it owns the operation
// and may ask; without one the main window owns it and nothing is asked or shown. With `noRetry` one attempt
// (1235 when aborted, else its code), else ShellFileOperationRetry.
int DeleteToRecycleBin(HWND owner, const wchar_t* paths, FILEOP_FLAGS extraFlags, bool noRetry);
