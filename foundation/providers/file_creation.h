// Creating files for writing and writing whole files. A file made for writing replaces the one it names
// without losing it: a file in the way is moved aside and deleted only once the new file exists, and a missing
// folder is made through the providers. These sit above the providers, whose local-disk delete and temporary
// names they use; the file layer below (foundation/files/file_io.h) opens, reads and writes open files.
#pragma once
#include <windows.h>

#include <cstdint>

// Writes in pieces of at most 16 MB: 0, 6 for a closed handle, else the normalised error (default 112), shown
// to the user with the system's text when an owner window is given.
int FileWriteAll(HANDLE handle, HWND owner, const void* data, uint64_t size);

// Creates a file for writing into `handle`, which must hold INVALID_HANDLE_VALUE (else -1). The new file
// keeps the hidden and system bits of the one it replaces. A failed create deletes the old file and tries
// again; a missing folder is created once. Other failures: with an owner, the system's text is shown and the
// code is the result; without one the result is 110. 123 for a name with an invalid character.
int FileCreateForWrite(HANDLE* handle, HWND owner, const wchar_t* path);
// The same, followed by the UTF-16 byte-order mark FF FE.
int FileCreateUtf16(HANDLE* handle, HWND owner, const wchar_t* path);
// The same with the mark of an encoding: none for types 1, 3 and 5, EF BB BF for type 7, FF FE otherwise.
int FileCreateWithEncoding(HWND owner, HANDLE* handle, const wchar_t* path, int type);
// Writes a whole file so that an interruption leaves either the old file or the new one: the bytes go into a
// new file beside it ("<name>.new~"), which then replaces the old one in one step (hidden and system bits
// kept). When the folder takes no new file, or the replacement is refused, nothing is written and the result
// is the error; the file is never rewritten in place. 0 or the error.
int WriteWholeFile(const wchar_t* path, const void* data, uint32_t size);
