#include "foundation/ui/resource_library.h"

#include <windows.h>

#include "foundation/core/guard.h"
#include "foundation/files/paths.h"

namespace {


bool HasExpectedLayout(const ResourceLibrary* library) {
  return library && library->size >= sizeof(ResourceLibrary) && library->version == kResourceLibraryVersion &&
         library->languages && library->languages[0].table;
}

// A damaged library file fails the load without a system error box.
HMODULE LoadLibraryQuietly(const wchar_t* path) {
  DWORD previousMode = 0;
  BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX,
                                    &previousMode);
  HMODULE module = LoadLibraryW(path);
  if (modeSet) SetThreadErrorMode(previousMode, nullptr);
  return module;
}

const ResourceLibrary* LoadFromProgramFolder() {
  wchar_t folder[kPathCapacity];
  DWORD length = GetModuleFileNameW(nullptr, folder, kPathCapacity);
  if (length == 0 || length >= kPathCapacity) return nullptr;
  folder[FileNameOffset(folder)] = 0;
  return LoadResourceLibraryFrom(folder);
}

}  // namespace

const ResourceLibrary* LoadResourceLibraryFrom(const wchar_t* folder) {
  wchar_t path[kPathCapacity];
  if (CopyAndAppendPath(folder, kResourceLibraryFileName, path, kPathCapacity) != 0) return nullptr;
  HMODULE module = LoadLibraryQuietly(path);
  if (!module) return nullptr;
  FARPROC found = GetProcAddress(module, kResourceLibraryExportName);
  auto entry = reinterpret_cast<ResourceLibraryExport>(reinterpret_cast<void*>(found));
  const ResourceLibrary* library = nullptr;
  if (entry) library = GuardedCall<const ResourceLibrary*>(nullptr, [entry] { return entry(); });
  if (HasExpectedLayout(library)) return library;
  FreeLibrary(module);
  return nullptr;
}

const ResourceLibrary* LoadResourceLibrary() {
  static const ResourceLibrary* const library = LoadFromProgramFolder();
  return library;
}
