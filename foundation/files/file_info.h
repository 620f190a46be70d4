// The file data a file-system provider reports for each item and that rename modules receive.
#pragma once
#include <windows.h>

#include <cstdint>

#pragma pack(push, 1)
struct FileInfo {
  uint16_t attributes;  // the low 16 bits of the Win32 file attributes
  uint64_t size;        // all ones when the provider does not know it
  FILETIME creationTime;
  FILETIME lastAccessTime;
  FILETIME lastWriteTime;
};
#pragma pack(pop)
static_assert(sizeof(FileInfo) == 34, "FileInfo is 34 packed bytes");

constexpr uint64_t kUnknownFileSize = ~0ull;
