// The import slots of an ordinal, in the import and the delay-load directory of a small image built in memory.
#include "foundation/win32/module_images.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

constexpr ULONGLONG kUnpatched = 0x1111;

// A 64-bit image whose import and delay-load tables each import ordinal 49, a name and ordinal 50.
struct Image {
  IMAGE_DOS_HEADER dos;
  IMAGE_NT_HEADERS64 nt;
  IMAGE_IMPORT_DESCRIPTOR imports[2];
  IMAGE_DELAYLOAD_DESCRIPTOR delayLoads[2];
  ULONGLONG names[4];
  ULONGLONG slots[4];
  ULONGLONG delayNames[4];
  ULONGLONG delaySlots[4];
  char library[16];
  char other[16];
};

DWORD Rva(size_t offset) { return static_cast<DWORD>(offset); }

Image* BuildImage(bool imports, bool delayLoads, bool otherLibrary, DWORD delayAttributes) {
  auto* image = static_cast<Image*>(VirtualAlloc(nullptr, sizeof(Image), MEM_COMMIT, PAGE_READWRITE));
  image->dos.e_magic = IMAGE_DOS_SIGNATURE;
  image->dos.e_lfanew = offsetof(Image, nt);
  image->nt.Signature = IMAGE_NT_SIGNATURE;
  image->nt.OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
  image->nt.OptionalHeader.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
  strcpy(image->library, "UXTHEME.dll");
  strcpy(image->other, "comctl32.dll");
  const DWORD name = Rva(otherLibrary ? offsetof(Image, other) : offsetof(Image, library));
  const ULONGLONG entries[] = {IMAGE_ORDINAL_FLAG64 | 49, offsetof(Image, other), IMAGE_ORDINAL_FLAG64 | 50};
  for (int i = 0; i < 3; ++i) {
    image->names[i] = image->delayNames[i] = entries[i];
    image->slots[i] = image->delaySlots[i] = kUnpatched;
  }
  auto* directories = image->nt.OptionalHeader.DataDirectory;
  if (imports) {
    image->imports[0].OriginalFirstThunk = Rva(offsetof(Image, names));
    image->imports[0].Name = name;
    image->imports[0].FirstThunk = Rva(offsetof(Image, slots));
    directories[IMAGE_DIRECTORY_ENTRY_IMPORT] = {Rva(offsetof(Image, imports)), sizeof image->imports};
  }
  if (delayLoads) {
    image->delayLoads[0].Attributes.AllAttributes = delayAttributes;
    image->delayLoads[0].DllNameRVA = name;
    image->delayLoads[0].ImportNameTableRVA = Rva(offsetof(Image, delayNames));
    image->delayLoads[0].ImportAddressTableRVA = Rva(offsetof(Image, delaySlots));
    directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT] = {Rva(offsetof(Image, delayLoads)), sizeof image->delayLoads};
  }
  return image;
}

}  // namespace

TEST(ModuleImages, TheSlotsOfTheOrdinalArePatchedInTheImportAndTheDelayLoadDirectory) {
  static const int replacement = 0;
  const auto patched = reinterpret_cast<ULONGLONG>(&replacement);
  struct Case {
    bool imports;
    bool delayLoads;
    bool otherLibrary;
    DWORD delayAttributes;  // 1: relative addresses
    int expected;
  };
  const Case cases[] = {{true, false, false, 1, 1}, {false, true, false, 1, 1}, {true, true, false, 1, 2},
                        {true, true, true, 1, 0},   {false, true, false, 0, 0}, {false, false, false, 1, 0}};
  for (const Case& c : cases) {
    Image* image = BuildImage(c.imports, c.delayLoads, c.otherLibrary, c.delayAttributes);
    EXPECT_EQ(PatchImportByOrdinal(reinterpret_cast<HMODULE>(image), "uxtheme.DLL", 49, &replacement), c.expected);
    const int importPatched = c.imports && !c.otherLibrary ? 1 : 0;
    EXPECT_EQ(image->slots[0], importPatched ? patched : kUnpatched);
    EXPECT_EQ(image->delaySlots[0], c.expected > importPatched ? patched : kUnpatched);
    // The import by name and the other ordinal keep their slots.
    EXPECT_EQ(image->slots[1] + image->slots[2] + image->delaySlots[1] + image->delaySlots[2], 4 * kUnpatched);
    VirtualFree(image, 0, MEM_RELEASE);
  }
  EXPECT_EQ(PatchImportByOrdinal(nullptr, "uxtheme.dll", 49, &replacement), 0);
}
