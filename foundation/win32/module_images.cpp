#include "foundation/win32/module_images.h"

#include "foundation/text/bounded_text.h"

namespace {

const BYTE* Base(HMODULE module) { return reinterpret_cast<const BYTE*>(module); }

const IMAGE_NT_HEADERS64* NtHeaders(HMODULE module) {
  if (!module) return nullptr;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(Base(module) + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    return nullptr;
  }
  return nt;
}

// The directory's first byte, or null when the module has none of that kind.
const BYTE* Directory(HMODULE module, int entry) {
  const IMAGE_NT_HEADERS64* nt = NtHeaders(module);
  if (!nt || static_cast<DWORD>(entry) >= nt->OptionalHeader.NumberOfRvaAndSizes) return nullptr;
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[entry];
  return directory.VirtualAddress && directory.Size ? Base(module) + directory.VirtualAddress : nullptr;
}

bool NamesLibrary(HMODULE module, DWORD nameRva, const char* library) {
  return nameRva != 0 && EqualsIgnoreCaseNarrow(reinterpret_cast<const char*>(Base(module) + nameRva), library);
}

bool WriteSlot(ULONGLONG* slot, const void* replacement) {
  DWORD previous = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) return false;
  *slot = reinterpret_cast<ULONGLONG>(replacement);
  VirtualProtect(slot, sizeof *slot, previous, &previous);
  return true;
}

// Walks a name table and its address table side by side; the slots of imports by the ordinal are patched.
int PatchThunks(HMODULE module, DWORD namesRva, DWORD addressesRva, WORD ordinal, const void* replacement) {
  if (!namesRva || !addressesRva) return 0;
  const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA64*>(Base(module) + namesRva);
  auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA64*>(const_cast<BYTE*>(Base(module)) + addressesRva);
  int patched = 0;
  for (; names->u1.Ordinal != 0; ++names, ++addresses) {
    if (IMAGE_SNAP_BY_ORDINAL64(names->u1.Ordinal) && IMAGE_ORDINAL64(names->u1.Ordinal) == ordinal &&
        WriteSlot(&addresses->u1.Function, replacement)) {
      ++patched;
    }
  }
  return patched;
}

int PatchImportDirectory(HMODULE module, const char* library, WORD ordinal, const void* replacement) {
  const auto* descriptor =
      reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT));
  int patched = 0;
  for (; descriptor && descriptor->Name != 0; ++descriptor) {
    if (!NamesLibrary(module, descriptor->Name, library)) continue;
    patched += PatchThunks(module, descriptor->OriginalFirstThunk, descriptor->FirstThunk, ordinal, replacement);
  }
  return patched;
}

// Only descriptors that hold relative addresses are read; the old form with absolute ones predates 64-bit.
int PatchDelayLoadDirectory(HMODULE module, const char* library, WORD ordinal, const void* replacement) {
  const auto* descriptor =
      reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR*>(Directory(module, IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT));
  int patched = 0;
  for (; descriptor && descriptor->DllNameRVA != 0; ++descriptor) {
    if (!(descriptor->Attributes.AllAttributes & 1) || !NamesLibrary(module, descriptor->DllNameRVA, library)) {
      continue;
    }
    patched +=
        PatchThunks(module, descriptor->ImportNameTableRVA, descriptor->ImportAddressTableRVA, ordinal, replacement);
  }
  return patched;
}

}  // namespace

bool IsExportedByOrdinalOnly(HMODULE module, WORD ordinal) {
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT));
  if (!exports || ordinal < exports->Base) return false;
  const DWORD index = ordinal - exports->Base;
  if (index >= exports->NumberOfFunctions) return false;
  const auto* functions = reinterpret_cast<const DWORD*>(Base(module) + exports->AddressOfFunctions);
  if (functions[index] == 0) return false;
  const auto* nameOrdinals = reinterpret_cast<const WORD*>(Base(module) + exports->AddressOfNameOrdinals);
  for (DWORD name = 0; name < exports->NumberOfNames; ++name) {
    if (nameOrdinals[name] == index) return false;
  }
  return true;
}

int PatchImportByOrdinal(HMODULE module, const char* library, WORD ordinal, const void* replacement) {
  if (!library) return 0;
  return PatchImportDirectory(module, library, ordinal, replacement) +
         PatchDelayLoadDirectory(module, library, ordinal, replacement);
}
