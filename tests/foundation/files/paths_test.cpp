// Paths taken apart and put together, roots, the long form, invalid characters, short names and quoting.
#include "foundation/files/paths.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

std::wstring Root(const wchar_t* path) {
  wchar_t root[64];
  GetPathRoot(path, root, 64);
  return root;
}

std::wstring Stripped(const wchar_t* path) {
  std::vector<wchar_t> buffer(wcslen(path) + 1);
  StripLongPathPrefix(path, buffer.data(), static_cast<int>(buffer.size()));
  return buffer.data();
}

std::wstring DrivePathOfLength(size_t length) {
  std::wstring path = L"C:\\";
  while (path.size() < length) path += (path.size() % 50 == 0) ? L'\\' : L'd';
  return path;
}

std::wstring Unquoted(std::wstring text) {
  UnquoteText(text.data());
  return text.c_str();
}

std::wstring Title(const wchar_t* path, int capacity = 64) {
  wchar_t out[64];
  out[0] = L'?';
  FileTitleOfPath(path, out, capacity);
  return out;
}

}  // namespace

TEST(PathSplitting, FileNameAndExtension) {
  EXPECT_EQ(FileNameOffset(L"D:\\dir/sub\\name.txt"), 11);
  EXPECT_EQ(FileNameOffset(L"name.txt"), 0);
  EXPECT_EQ(FileNameOffset(nullptr), 0);
  EXPECT_EQ(ExtensionDotPosition(L"D:\\my.dir\\file"), 14);
  EXPECT_EQ(ExtensionDotPosition(L"archive.tar.gz"), 11);
  EXPECT_EQ(ExtensionDotPosition(L".profile"), 0);
  EXPECT_EQ(ExtensionDotPosition(nullptr), 0);
  EXPECT_STREQ(ExtensionPointer(L"archive.tar.gz"), L"gz");
  EXPECT_STREQ(ExtensionPointer(L"D:\\my.dir\\file"), L"");
}

TEST(PathSplitting, StripAndUpperExtension) {
  wchar_t path[] = L"C:\\a.b\\photo.Jpeg";
  char extension[8];
  EXPECT_EQ(GetUpperExtensionAnsi(path, extension, 8), 4);
  EXPECT_STREQ(extension, "JPEG");
  StripExtension(path);
  EXPECT_STREQ(path, L"C:\\a.b\\photo");
  wchar_t folderDot[] = L"C:\\a.b\\photo";
  StripExtension(folderDot);
  EXPECT_STREQ(folderDot, L"C:\\a.b\\photo");
}

TEST(PathJoining, TrailingBackslashIsAddedWithinCapacity) {
  wchar_t path[8] = L"C:\\dir";
  EXPECT_EQ(AddTrailingBackslash(path, 8), 0);
  EXPECT_STREQ(path, L"C:\\dir\\");
  EXPECT_EQ(AddTrailingBackslash(path, 8), 0);
  EXPECT_STREQ(path, L"C:\\dir\\");
  wchar_t full[7] = L"C:\\dir";
  EXPECT_EQ(AddTrailingBackslash(full, 7), -1);
  EXPECT_STREQ(full, L"C:\\dir");
  wchar_t empty[4] = L"";
  AddTrailingBackslash(empty, 4);
  EXPECT_STREQ(empty, L"");
}

TEST(PathJoining, TrailingBackslashIsRemovedExceptAtRoots) {
  wchar_t folder[] = L"C:/dir/sub/";
  RemoveTrailingBackslash(folder);
  EXPECT_STREQ(folder, L"C:\\dir\\sub");
  wchar_t drive[] = L"C:\\";
  RemoveTrailingBackslash(drive);
  EXPECT_STREQ(drive, L"C:\\");
  wchar_t server[] = L"\\\\";
  RemoveTrailingBackslash(server);
  EXPECT_STREQ(server, L"\\\\");
  wchar_t slashes[] = L"a\\b";
  BackslashesToSlashes(slashes);
  EXPECT_STREQ(slashes, L"a/b");
}

TEST(PathJoining, ComponentsJoinWithOneSeparator) {
  wchar_t path[32] = L"C:\\dir";
  EXPECT_EQ(AppendPathComponent(L"\\file.txt", path, 32), 0);
  EXPECT_STREQ(path, L"C:\\dir\\file.txt");
  wchar_t web[32] = L"http://host/a";
  AppendPathComponent(L"b", web, 32);
  EXPECT_STREQ(web, L"http://host/a/b");
  wchar_t small[10] = L"C:\\dir";
  EXPECT_EQ(AppendPathComponent(L"file.txt", small, 10), -8);
  wchar_t joined[32];
  EXPECT_EQ(CopyAndAppendPath(L"D:\\base\\", L"x", joined, 32), 0);
  EXPECT_STREQ(joined, L"D:\\base\\x");
  EXPECT_EQ(CopyAndAppendPath(L"D:\\a-long-base", L"x", joined, 5), -14);
}

TEST(PathJoining, PrefixMustEndAtAFolderBoundary) {
  EXPECT_TRUE(PathStartsWith(L"c:\\Users\\me\\file", L"C:\\users"));
  EXPECT_TRUE(PathStartsWith(L"C:/Users", L"C:\\USERS"));
  EXPECT_TRUE(PathStartsWith(L"C:\\Users2", L"C:\\"));
  EXPECT_TRUE(PathStartsWith(L"C:\\Users2", L"C:"));
  EXPECT_FALSE(PathStartsWith(L"C:\\Users2", L"C:\\Users"));
  EXPECT_FALSE(PathStartsWith(L"C:\\U", L"C:\\Users"));
  EXPECT_FALSE(PathStartsWith(L"C:\\Users", L""));
  EXPECT_FALSE(PathStartsWith(nullptr, L"C:"));
}

TEST(PathJoining, DotPartsOfDriveAndUncPathsAreResolved) {
  struct Case {
    const wchar_t* path;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"C:\\a\\..\\b", L"C:\\b"},
      {L"C:\\a\\.\\b\\..\\c\\", L"C:\\a\\c\\"},
      {L"C:/a/../b", L"C:\\b"},
      {L"C:\\a\\..", L"C:\\"},
      {L"C:\\..\\..\\x", L"C:\\x"},
      {L"\\\\server\\share\\a\\..\\b", L"\\\\server\\share\\b"},
      {L"C:\\a..b\\.c\\d.", L"C:\\a..b\\.c\\d."},  // dots inside names are names
      {L"C:\\a/b", L"C:\\a/b"},                     // nothing to resolve: as typed
      {L"a\\..\\b", L"a\\..\\b"},                   // not rooted: the current folder plays no part
  };
  for (const Case& c : cases) {
    wchar_t path[64];
    wcscpy(path, c.path);
    ResolveDotComponents(path, 64);
    EXPECT_STREQ(path, c.expected) << c.path;
  }
}

TEST(PathRoots, EachFormOfRoot) {
  EXPECT_EQ(Root(L"D:\\Photos\\2019"), L"D:\\");
  EXPECT_EQ(Root(L"d:"), L"D:\\");
  EXPECT_EQ(Root(L"d:/x"), L"D:/");
  EXPECT_EQ(Root(L"d:x"), L"");
  EXPECT_EQ(Root(L"\\\\server\\share\\dir"), L"\\\\server\\share");
  EXPECT_EQ(Root(L"\\\\server\\share"), L"\\\\server\\share");
  EXPECT_EQ(Root(L"\\\\server"), L"\\\\");
  EXPECT_EQ(Root(L"/usr/x"), L"/");
  EXPECT_EQ(Root(L"relative\\x"), L"");
  EXPECT_EQ(Root(L"\\\\?\\D:\\long"), L"D:\\");
  EXPECT_EQ(Root(L"\\\\?\\UNC\\server\\share\\x"), L"\\\\server\\share");
}

TEST(PathRoots, CallersPathIsNeverWritten) {
  wchar_t path[3] = {L'd', L':', 0};
  wchar_t root[4];
  EXPECT_EQ(GetPathRoot(path, root, 4), 3);
  EXPECT_STREQ(root, L"D:\\");
  EXPECT_STREQ(path, L"d:");
  wchar_t tiny[3] = {L'#', L'#', L'#'};
  GetPathRoot(L"D:\\x", tiny, 2);
  EXPECT_STREQ(tiny, L"D");
  EXPECT_EQ(tiny[2], L'#');
}

TEST(LongPaths, ShortPathsAreUsedAsGiven) {
  const std::wstring path = DrivePathOfLength(259);
  LongPath longPath(path.c_str());
  EXPECT_EQ(longPath.path, path.c_str());
  const wchar_t* relative = L"relative";
  EXPECT_EQ(MakeLongPath(&longPath, relative), relative);
  EXPECT_EQ(MakeLongPath(&longPath, nullptr), nullptr);
}

TEST(LongPaths, DriveAndUncPathsGetThePrefixOnce) {
  const std::wstring drive = DrivePathOfLength(260);
  LongPath longDrive(drive.c_str());
  EXPECT_EQ(std::wstring(longDrive.path), L"\\\\?\\" + drive);
  EXPECT_EQ(Stripped(longDrive.path), drive);

  const std::wstring unc = L"\\\\srv\\sh\\" + std::wstring(260, L'u');
  LongPath longUnc(unc.c_str());
  EXPECT_EQ(std::wstring(longUnc.path), L"\\\\?\\UNC\\srv\\sh\\" + std::wstring(260, L'u'));
  EXPECT_EQ(Stripped(longUnc.path), unc);

  const std::wstring prefixed = L"\\\\?\\" + drive;
  LongPath again(prefixed.c_str());
  EXPECT_EQ(again.path, prefixed.c_str());

  const std::wstring rooted = L"\\" + std::wstring(300, L'r');
  LongPath single(rooted.c_str());
  EXPECT_EQ(single.path, rooted.c_str());
}

TEST(LongPaths, SlashesBecomeBackslashesBehindThePrefix) {
  std::wstring path = DrivePathOfLength(300);
  for (wchar_t& c : path) {
    if (c == L'\\') c = L'/';
  }
  LongPath longPath(path.c_str());
  const std::wstring used = longPath.path;
  EXPECT_EQ(used.find(L'/'), std::wstring::npos);
  EXPECT_EQ(used.substr(0, 7), L"\\\\?\\C:\\");
}

TEST(LongPaths, StripCopiesOtherTextsUnchanged) {
  EXPECT_EQ(Stripped(L"C:\\x"), L"C:\\x");
  EXPECT_EQ(Stripped(L"\\\\?\\unc\\s\\x"), L"\\\\s\\x");
  wchar_t inPlace[] = L"\\\\?\\UNC\\server\\share";
  StripLongPathPrefix(inPlace, inPlace, static_cast<int>(std::size(inPlace)));
  EXPECT_STREQ(inPlace, L"\\\\server\\share");
}

TEST(LongPaths, FilesBeyondTheOldLimitCanBeCreatedAndFound) {
  TempFolder folder;
  std::wstring path = folder.Path();
  for (int level = 0; level < 3; ++level) {
    path += L"\\" + std::wstring(90, static_cast<wchar_t>(L'a' + level));
    LongPath longFolder(path.c_str());
    ASSERT_TRUE(CreateDirectoryW(longFolder.path, nullptr)) << GetLastError();
  }
  path += L"\\file.txt";
  ASSERT_GE(path.size(), 260u);
  LongPath longFile(path.c_str());
  HANDLE file = CreateFileW(longFile.path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
  CloseHandle(file);
  EXPECT_NE(GetFileAttributesW(LongPath(path.c_str()).path), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(DeleteFileW(LongPath(path.c_str()).path));
  for (int level = 0; level < 3; ++level) {
    path.resize(path.rfind(L'\\'));
    EXPECT_TRUE(RemoveDirectoryW(LongPath(path.c_str()).path));
  }
}

TEST(InvalidNameChars, TheNineCharactersAndControlCharacters) {
  EXPECT_EQ(FindInvalidFileNameChar(L"a/b", false), 2);
  EXPECT_EQ(FindInvalidFileNameChar(L"a/b", true), 0);
  EXPECT_EQ(FindInvalidFileNameChar(L"ok name.txt", false), 0);
  EXPECT_EQ(FindInvalidFileNameChar(L"ab|c", true), 3);
  EXPECT_EQ(FindInvalidFileNameChar(L"tab\there", false), 4);
  wchar_t name[] = L"a:b*c?d\"e<f>g|h\\i/j\rk";
  ReplaceInvalidFileNameChars(name);
  EXPECT_STREQ(name, L"a_b_c_d_e_f_g_h_i_j_k");
  EXPECT_EQ(CheckFileNameChars(L"C:\\dir\\what?.txt"), 123);
  EXPECT_EQ(CheckFileNameChars(L"C:\\dir\\fine.txt"), 0);
}

TEST(InvalidNameChars, DeviceNamesAloneOrBeforeADot) {
  for (const wchar_t* name : {L"CON", L"con.txt", L"Nul .log", L"aux.tar.gz", L"prn", L"COM1", L"lpt9.doc",
                              L"COM\u00B9.txt", L"com\u00B2", L"LPT\u00B3 .log"})
    EXPECT_TRUE(IsReservedDeviceName(name)) << name;
  for (const wchar_t* name : {L"console.txt", L"COM0", L"COM10", L"LPT", L"xcon.txt", L".con", L"", L"con2",
                              L"COM\u2074.txt", L"COM\u00B9\u00B9"})
    EXPECT_FALSE(IsReservedDeviceName(name)) << name;
  EXPECT_FALSE(IsReservedDeviceName(nullptr));
}

TEST(ShortPaths, ExistingPathGivesItsShortForm) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"a rather long file name.text", "x");
  wchar_t shortPath[MAX_PATH];
  EXPECT_EQ(GetShortPathOrCopy(path.c_str(), shortPath, MAX_PATH), 0);
  EXPECT_NE(GetFileAttributesW(shortPath), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(wcschr(shortPath + FileNameOffset(shortPath), L' '), nullptr);
}

TEST(ShortPaths, MissingPathOrParentNameIsCopied) {
  wchar_t target[MAX_PATH];
  EXPECT_EQ(GetShortPathOrCopy(L"C:\\no such folder\\x.txt", target, MAX_PATH), 2);
  EXPECT_STREQ(target, L"C:\\no such folder\\x.txt");
  EXPECT_EQ(GetShortPathOrCopy(L"C:\\windows\\..", target, MAX_PATH), 1);
  EXPECT_STREQ(target, L"C:\\windows\\..");
}

TEST(ShortPaths, NarrowFormFallsBackToShortNameForLostCharacters) {
  TempFolder folder;
  const std::wstring plain = folder.WriteFile(L"plain.txt", "x");
  char narrow[MAX_PATH];
  EXPECT_EQ(WideToAnsiOrShortPath(plain.c_str(), narrow, MAX_PATH), 0);
  EXPECT_EQ(std::string(narrow).substr(std::string(narrow).size() - 9), "plain.txt");
  const std::wstring foreign = folder.WriteFile(L"\x0436\x0443\x043A.txt", "x");
  EXPECT_EQ(WideToAnsiOrShortPath(foreign.c_str(), narrow, MAX_PATH), 0);
  EXPECT_EQ(strchr(narrow, '?'), nullptr);
  EXPECT_NE(GetFileAttributesA(narrow), INVALID_FILE_ATTRIBUTES);
}

TEST(Quoting, QuotesAreEscapedAndComeBack) {
  wchar_t quoted[32];
  QuoteText(L"say \"hi\" now", quoted, 32);
  EXPECT_STREQ(quoted, L"\"say \\\"hi\\\" now\"");
  EXPECT_EQ(Unquoted(quoted), L"say \"hi\" now");
  QuoteText(L"C:\\dir\\", quoted, 32);
  EXPECT_EQ(Unquoted(quoted), L"C:\\dir\\");
}

TEST(Quoting, SameBufferAndCutTextsKeepTheClosingQuote) {
  wchar_t text[16] = L"a\"b";
  QuoteText(text, text, 16);
  EXPECT_STREQ(text, L"\"a\\\"b\"");
  std::vector<wchar_t> small(9, L'#');
  QuoteText(L"abcdefgh", small.data(), 8);
  EXPECT_STREQ(small.data(), L"\"abcde\"");
  EXPECT_EQ(small[8], L'#');
  QuoteText(L"ab\"cd", small.data(), 6);
  EXPECT_STREQ(small.data(), L"\"ab\"");
  wchar_t tooSmall[2] = {L'x', 0};
  QuoteText(L"a", tooSmall, 2);
  EXPECT_STREQ(tooSmall, L"x");
}

TEST(Quoting, QuoteOnlyWhenNeeded) {
  wchar_t target[16];
  QuoteTextIfNeeded(L"plain", target, 16);
  EXPECT_STREQ(target, L"plain");
  QuoteTextIfNeeded(L"two words", target, 16);
  EXPECT_STREQ(target, L"\"two words\"");
}

TEST(Quoting, UnquoteEdgeForms) {
  EXPECT_EQ(Unquoted(L"\"\""), L"");
  EXPECT_EQ(Unquoted(L"\"x\""), L"x");
  EXPECT_EQ(Unquoted(L"\"open \\\"end"), L"\"open \"end");
  EXPECT_EQ(Unquoted(L"plain \\\"text"), L"plain \\\"text");
  EXPECT_EQ(Unquoted(L"\""), L"\"");
}

TEST(FileTitle, IsTheNameWithoutFolderAndExtension) {
  EXPECT_EQ(Title(L"C:\\music\\archive.tar.gz"), L"archive.tar");
  EXPECT_EQ(Title(L"C:\\dotted.folder\\README"), L"README");
  EXPECT_EQ(Title(L"D:/a/b.txt"), L"b");
  EXPECT_EQ(Title(L"C:\\home\\.profile"), L"");
  EXPECT_EQ(Title(L"plain.doc"), L"plain");
  EXPECT_EQ(Title(L"C:\\long\\abcdefgh.txt", 4), L"abc");
  EXPECT_EQ(Title(nullptr), L"");
}
