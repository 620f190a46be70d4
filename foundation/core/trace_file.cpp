#include "foundation/core/trace_file.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr int kTraceLineCapacity = 1024;

}  // namespace

void AppendTraceLine(const char* line) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"QVRX_TRACE", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  char text[kTraceLineCapacity];
  const int written = snprintf(text, sizeof text, "%s\r\n", line);
  if (written <= 0) return;
  const DWORD bytes = written < kTraceLineCapacity ? static_cast<DWORD>(written) : kTraceLineCapacity - 1;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD done = 0;
  WriteFile(file, text, bytes, &done, nullptr);
  CloseHandle(file);
}
