#include "foundation/files/system_errors.h"

#include "foundation/text/bounded_text.h"
#include "foundation/win32/platform_declarations.h"

DWORD MapLastError(DWORD defaultCode) {
  const DWORD error = GetLastError();
  switch (error) {
    case ERROR_SUCCESS:
    case ERROR_INVALID_MENU_HANDLE: return defaultCode;
    case ERROR_VIRUS_INFECTED: return ERROR_READ_FAULT;
    case ERROR_CANCELLED: return ERROR_REQUEST_ABORTED;
    default: return error;
  }
}

int FormatSystemErrorText(DWORD code, wchar_t* buffer, int capacity, bool singleLine) {
  if (!buffer || capacity <= 0) return 0;
  buffer[0] = 0;
  if (code == 0) return 0;
  wchar_t* message = nullptr;
  // Inserts are ignored: the caller has no arguments for them, and reading absent arguments would crash.
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
  if (!FormatMessageW(flags, nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<wchar_t*>(&message), 0, nullptr))
    return 0;
  CopyWideString(message, buffer, capacity);
  LocalFree(message);
  if (!singleLine) return static_cast<int>(WideLength(buffer));
  // Only true control characters become blanks: letters such as U+0410 share their low byte with them.
  for (wchar_t* c = buffer; *c; ++c)
    if (*c < 0x20) *c = L' ';
  return TrimTrailingSpacesWide(buffer) + 1;
}
