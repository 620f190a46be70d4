// Files of the benchmarks: written whole and read whole.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

// False when the file could not be created or written whole.
inline bool WriteBenchFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

// Empty when the file could not be read.
inline std::string ReadBenchFile(const std::wstring& path) {
  std::string bytes;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) return bytes;
  char chunk[4096];
  for (size_t got; (got = fread(chunk, 1, sizeof(chunk), file)) > 0;) bytes.append(chunk, got);
  fclose(file);
  return bytes;
}
