// Whole files in memory, 8-bit texts of unknown encoding, and short texts written to files as UTF-8.
#pragma once
#include <windows.h>

#include <cstdint>

// The whole file in a new zero-filled block with at least two zero bytes after the file's bytes, so that an
// 8-bit and a UTF-16 text (of any byte count) end in a terminator. The file's byte count goes to `size` when
// given. Null when the file cannot be opened, sized or read, or is too large for one block. The caller frees
// the block with FreeAndNull.
uint8_t* ReadWholeFile(const wchar_t* path, uint32_t* size);

// 8-bit text to UTF-16, bounded: UTF-8 after the mark when the text begins with EF BB BF, else UTF-8 when
// `utf8` is set, else the OEM code page. The result is the number of characters written.
int ConvertNarrowToWideDetect(const char* text, bool utf8, wchar_t* buffer, int capacity);

// Writes the wide text as UTF-8 (at most 1023 bytes, cut between characters), else the 8-bit text as it is,
// without terminator. 0 when there is neither; else FileWriteHandle's result.
int FileWriteUtf8Text(HANDLE file, const wchar_t* wide, const char* narrow);
