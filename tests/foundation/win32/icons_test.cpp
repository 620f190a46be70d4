// Image lists, the system image lists and their cache, shell icon indexes and icons loaded from modules and
// files.
#include "foundation/win32/icons.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/temp_folder.h"

namespace {

int IconWidth(HIMAGELIST list) {
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(list, &width, &height);
  return width;
}

int IconWidth(HICON icon) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap = {};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// A 16 x 16 32-bit icon file, all pixels opaque blue.
std::string SixteenPixelIconFile() {
  const uint32_t imageBytes = 40 + 16 * 16 * 4 + 16 * 4;
  std::string file;
  auto put16 = [&file](uint16_t v) { file.append(reinterpret_cast<const char*>(&v), 2); };
  auto put32 = [&file](uint32_t v) { file.append(reinterpret_cast<const char*>(&v), 4); };
  put16(0);
  put16(1);
  put16(1);
  file += std::string("\x10\x10\x00\x00", 4);
  put16(1);
  put16(32);
  put32(imageBytes);
  put32(22);
  put32(40);
  put32(16);
  put32(32);  // colour and mask rows together
  put16(1);
  put16(32);
  for (int i = 0; i < 6; ++i) put32(0);
  for (int i = 0; i < 16 * 16; ++i) put32(0xFF0000FF);
  file.append(16 * 4, '\0');
  return file;
}

HIMAGELIST FakeList(int n) { return reinterpret_cast<HIMAGELIST>(static_cast<intptr_t>(0x1000 + n)); }

// Fake sources: the system knows the sizes up to `g_largestSystemSize`; the shell file info knows the small
// list when `g_shellSmallKnown` is set. Every question is counted.
int g_largestSystemSize = 0;
bool g_shellSmallKnown = false;
int g_systemAsked = 0;
int g_shellAsked = 0;

HIMAGELIST FakeSystemList(int size) {
  ++g_systemAsked;
  return size <= g_largestSystemSize ? FakeList(size) : nullptr;
}

HIMAGELIST FakeShellList(bool small) {
  ++g_shellAsked;
  return small && g_shellSmallKnown ? FakeList(-16) : nullptr;
}

const SystemImageListSources kFakeSources = {FakeSystemList, FakeShellList};

void ResetFakes(int largestSystemSize, bool shellSmallKnown) {
  g_largestSystemSize = largestSystemSize;
  g_shellSmallKnown = shellSmallKnown;
  g_systemAsked = 0;
  g_shellAsked = 0;
}

HMODULE Shell32() { return LoadLibraryW(L"shell32.dll"); }

}  // namespace

TEST(Icons, ImageListsOfSquareIcons) {
  HIMAGELIST list = CreateIconImageList(24, 4, RGB(1, 2, 3));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(IconWidth(list), 24);
  EXPECT_EQ(ImageList_GetBkColor(list), RGB(1, 2, 3));
  EXPECT_EQ(ImageListIconWidth(list), 24);
  DestroyHeldImageList(&list);
  EXPECT_EQ(list, nullptr);
  DestroyHeldImageList(&list);
  DestroyHeldImageList(nullptr);

  HIMAGELIST tiny = CreateIconImageList(8, 1, kKeepBackground);
  EXPECT_EQ(ImageList_GetBkColor(tiny), CLR_NONE);
  EXPECT_EQ(ImageListIconWidth(tiny), 16);
  EXPECT_EQ(ImageListIconWidth(nullptr), 16);
  DestroyHeldImageList(&tiny);
}

TEST(Icons, SystemImageListsBySizeClass) {
  struct Case {
    int asked;
    int width;
  };
  const Case cases[] = {{10, 16}, {16, 16}, {20, 32}, {32, 32}, {40, 48}, {48, 48}};
  for (const Case& c : cases) {
    HIMAGELIST list = GetSystemImageList(c.asked);
    ASSERT_NE(list, nullptr) << c.asked;
    EXPECT_EQ(IconWidth(list), c.width) << c.asked;
  }
  HIMAGELIST jumbo = GetSystemImageList(64);
  ASSERT_NE(jumbo, nullptr);
  EXPECT_GT(IconWidth(jumbo), 48);
}

TEST(Icons, CachedSystemListsComeOnceAndTheCapDropsForMissingSizes) {
  SystemImageListCache cache = {{}, 64};
  ResetFakes(48, false);
  EXPECT_EQ(LookUpSystemImageList(&cache, 256, kFakeSources), FakeList(48));
  EXPECT_EQ(cache.sizeCap, 48);
  EXPECT_EQ(g_systemAsked, 2);
  EXPECT_EQ(LookUpSystemImageList(&cache, 256, kFakeSources), FakeList(48));
  EXPECT_EQ(LookUpSystemImageList(&cache, 40, kFakeSources), FakeList(48));
  EXPECT_EQ(g_systemAsked, 2);
  EXPECT_EQ(g_shellAsked, 0);
}

TEST(Icons, CachedSystemListsFallBackToTheShellFileInfoUpTo32Pixels) {
  SystemImageListCache cache = {{}, 64};
  ResetFakes(0, true);
  EXPECT_EQ(LookUpSystemImageList(&cache, 16, kFakeSources), FakeList(-16));
  EXPECT_EQ(g_shellAsked, 1);
  // 40 pixels: no extra-large list, so the cap drops to 32, where nothing can be had either.
  EXPECT_EQ(LookUpSystemImageList(&cache, 40, kFakeSources), nullptr);
  EXPECT_EQ(cache.sizeCap, 32);
  EXPECT_EQ(g_shellAsked, 2);
  EXPECT_EQ(LookUpSystemImageList(&cache, 12, kFakeSources), FakeList(-16));

  SystemImageListCache empty = {{}, 64};
  ResetFakes(0, false);
  EXPECT_EQ(LookUpSystemImageList(&empty, 100, kFakeSources), nullptr);
  EXPECT_EQ(empty.sizeCap, 32);
  EXPECT_EQ(LookUpSystemImageList(nullptr, 16, kFakeSources), nullptr);
}

TEST(Icons, ProcessCacheCapsSizesAt64) {
  HIMAGELIST capped = GetCachedSystemImageList(300);
  ASSERT_NE(capped, nullptr);
  EXPECT_EQ(GetCachedSystemImageList(64), capped);
  EXPECT_EQ(GetCachedSystemImageList(16), GetSystemImageList(16));
}

TEST(Icons, ShellIconIndexAlsoForPathsThatDoNotExist) {
  TempFolder folder;
  std::wstring file = folder.WriteFile(L"sample.txt", "text");
  EXPECT_GE(GetShellIconIndex(file.c_str(), SHGFI_SMALLICON, 0), 0);
  std::wstring missing = folder / L"absent\\nothing.txt";
  SHFILEINFOW direct = {};
  // Asked by path, the shell cannot answer; by attributes it can.
  ASSERT_EQ(SHGetFileInfoW(missing.c_str(), 0, &direct, sizeof direct, SHGFI_SYSICONINDEX), 0u);
  EXPECT_GE(GetShellIconIndex(missing.c_str(), 0, FILE_ATTRIBUTE_NORMAL), 0);
  EXPECT_GE(GetShellIconIndex(missing.c_str(), SHGFI_ICON, FILE_ATTRIBUTE_NORMAL), 0);
  EXPECT_EQ(GetShellIconIndex(nullptr, 0, 0), -1);

  SHFILEINFOW info = {};
  EXPECT_NE(GetShellFileInfo(file.c_str(), 0, SHGFI_TYPENAME, &info), 0u);
  EXPECT_NE(info.szTypeName[0], L'\0');
  EXPECT_EQ(GetShellFileInfo(nullptr, 0, SHGFI_TYPENAME, &info), 0u);
}

TEST(Icons, IconsFromModulesFilesAndPaths) {
  HICON fromModule = LoadIconForPath(Shell32(), MAKEINTRESOURCEW(4), 32, 0);
  ASSERT_NE(fromModule, nullptr);
  EXPECT_EQ(IconWidth(fromModule), 32);
  DestroyIcon(fromModule);

  TempFolder folder;
  std::wstring iconFile = folder.WriteFile(L"blue.ico", SixteenPixelIconFile());
  HICON fromFile = LoadIconForPath(nullptr, iconFile.c_str(), 16, kLoadIconFromFile);
  ASSERT_NE(fromFile, nullptr);
  EXPECT_EQ(IconWidth(fromFile), 16);
  DestroyIcon(fromFile);

  std::wstring text = folder.WriteFile(L"note.txt", "x");
  HICON ofPath = LoadIconForPath(nullptr, text.c_str(), 16, 0);
  EXPECT_NE(ofPath, nullptr);
  DestroyIcon(ofPath);

  EXPECT_EQ(LoadIconForPath(Shell32(), MAKEINTRESOURCEW(9999), 16, 0), nullptr);
  EXPECT_EQ(LoadIconForPath(nullptr, nullptr, 16, 0), nullptr);
}

TEST(Icons, AppendedIconsReportIndexPlusOne) {
  HIMAGELIST list = CreateIconImageList(16, 2, kKeepBackground);
  EXPECT_EQ(ImageListAppendLoadedIcon(list, Shell32(), MAKEINTRESOURCEW(1), 16, 0), 1);
  EXPECT_EQ(ImageListAppendLoadedIcon(list, Shell32(), MAKEINTRESOURCEW(2), 16, 0), 2);
  EXPECT_EQ(ImageListAppendLoadedIcon(list, Shell32(), MAKEINTRESOURCEW(9999), 16, 0), 0);
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  EXPECT_EQ(ImageListAppendLoadedIcon(nullptr, Shell32(), MAKEINTRESOURCEW(1), 16, 0), 0);
  DestroyHeldImageList(&list);
}

TEST(Icons, ImageListFromTheFiveByteTable) {
  ImageTableRow table[] = {{1, 0, 0}, {2, -1, 0}, {3, 5, 0}, {9999, 0, 0}, {0, 0, 0}};
  const unsigned char expectedBytes[] = {1, 0, 0, 0, 0, 2, 0, 0xFF, 0xFF, 0};
  EXPECT_EQ(memcmp(table, expectedBytes, sizeof expectedBytes), 0);

  IconImageList holder = {nullptr, 48};
  BuildImageListFromTable(&holder, Shell32(), 0, table);
  ASSERT_NE(holder.list, nullptr);
  EXPECT_EQ(IconWidth(holder.list), 32);
  EXPECT_EQ(ImageList_GetImageCount(holder.list), 2);
  EXPECT_EQ(table[0].imageIndex, 0);
  EXPECT_EQ(table[1].imageIndex, -1);
  EXPECT_EQ(table[2].imageIndex, 1);
  EXPECT_EQ(table[3].imageIndex, -1);
  EXPECT_EQ(holder.iconSize, 48);

  holder.iconSize = 8;
  BuildImageListFromTable(&holder, Shell32(), 0, table);
  EXPECT_EQ(IconWidth(holder.list), 16);
  EXPECT_EQ(ImageList_GetImageCount(holder.list), 2);
  DestroyHeldImageList(&holder.list);
}

TEST(Icons, ImageListFromABitmapStrip) {
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  ASSERT_NE(controls, nullptr);
  HBITMAP strip = LoadBitmapW(controls, MAKEINTRESOURCEW(120));
  if (!strip) GTEST_SKIP() << "the common controls carry no standard bitmap 120 here";
  BITMAP size = {};
  GetObjectW(strip, sizeof size, &size);
  DeleteObject(strip);

  ImageTableRow table[] = {{1, 0, 0}, {0, 0, 0}};
  IconImageList holder = {nullptr, 16};
  BuildImageListFromTable(&holder, controls, 120, table);
  ASSERT_NE(holder.list, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(holder.list), size.bmWidth / 16);
  EXPECT_EQ(table[0].imageIndex, 0);
  DestroyHeldImageList(&holder.list);
}
