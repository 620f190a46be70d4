// Whole files in memory.
#pragma once
#include <windows.h>

#include <cstdint>

// The whole file in a new zero-filled block with at least two zero bytes after the file's bytes, so that an
// 8-bit and a UTF-16 text (of any byte count) end in a terminator. The file's byte count goes to `size` when
// given. Null when the file cannot be opened, sized or read, or is too large for one block. The caller frees
// the block with FreeAndNull.
uint8_t* ReadWholeFile(const wchar_t* path, uint32_t* size);
