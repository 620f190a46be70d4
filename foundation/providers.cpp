#include "foundation/providers.h"

#include "foundation/bounded_text.h"
#include "foundation/file_io.h"
#include "foundation/guard.h"
#include "foundation/paths.h"
#include "foundation/shell_folders.h"

namespace {

constexpr int kWork = 2048;

// Drive paths and UNC paths ("\\" and a third character that is not one) belong to the local disk.
bool IsLocalDiskPath(const wchar_t* path) {
  const bool unc = path[0] == L'\\' && path[1] == L'\\' && path[2] != 0 && path[2] != L'\\';
  return IsDrivePath(path) || unc;
}

bool IsFolder(const wchar_t* path) {
  const DWORD attributes = GetFileAttributesLong(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFinalCreateResult(int result) {
  return result == 0 || result == ERROR_NOT_SUPPORTED || result == ERROR_REQUEST_ABORTED ||
         result == ERROR_CONTINUE;
}

int MakeFolderWithParents(const wchar_t* path) {
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_ALREADY_EXISTS;
  const int result = CreateFolder(path);
  if (IsFinalCreateResult(result)) return result;
  wchar_t parent[kWork];
  CopyWideString(path, parent, kWork);
  RemoveTrailingBackslash(parent);
  if (CutToParentFolder(parent) != 0 || EqualsIgnoreCaseWide(parent, path)) return result;
  MakeFolderWithParents(parent);
  const int retried = CreateFolder(path);
  // Someone else may have made it meanwhile.
  return retried == ERROR_ALREADY_EXISTS && IsFolder(path) ? 0 : retried;
}

}  // namespace

int CreateDirectoryPath(ProviderFolder*, const wchar_t* path) {
  if (path == nullptr || !IsLocalDiskPath(path)) return ERROR_NOT_SUPPORTED;
  return GuardedCall(static_cast<int>(ERROR_NOT_SUPPORTED), [path] { return MakeFolderWithParents(path); });
}
