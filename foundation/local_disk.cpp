#include "foundation/local_disk.h"

#include <windows.h>

#include "foundation/file_io.h"
#include "foundation/threads.h"

namespace {

constexpr DWORD kDeleteOnCloseFlags =
    FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING | FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_NORMAL;

int TruncateAndDeleteOnce(const wchar_t* path) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const int result = OpenFileLong(path, &handle, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  TRUNCATE_EXISTING, kDeleteOnCloseFlags);
  CloseHandleSafe(handle);
  return result;
}

bool IsFinalDeleteResult(int result) {
  return result == 0 || result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND ||
         result == ERROR_TOO_MANY_OPEN_FILES || result == ERROR_NOT_READY;
}

}  // namespace

int TruncateAndDeleteFile(const wchar_t* path) {
  const int result = TruncateAndDeleteOnce(path);
  if (IsFinalDeleteResult(result) || ClearReadOnly(path) != 0) return result;
  return TruncateAndDeleteOnce(path);
}
