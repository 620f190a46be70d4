// Names that end in a dot or a blank ("notes." beside "notes", from another system or a network share): the
// system strips the dot or blank from a path it normalises, so every file operation must hand it the path as
// it stands, or it works on the twin.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/files/file_io.h"
#include "foundation/files/file_records.h"
#include "foundation/files/paths.h"
#include "foundation/providers/local_copy.h"
#include "foundation/providers/local_delete.h"
#include "foundation/providers/local_disk.h"
#include "foundation/providers/local_rename.h"
#include "foundation/providers/providers.h"
#include "support/temp_folder.h"

namespace {

struct Twins {
  const wchar_t* plain;
  const wchar_t* literal;  // the plain name as the system would turn it into
};

const Twins kTwins[] = {{L"notes", L"notes."}, {L"x.txt", L"x.txt "}, {L"TRAIL", L"trail."}, {L"dir", L"dir..."}};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

FILETIME LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(AsGiven(path).c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

std::wstring UsedForm(const wchar_t* path) {
  LongPath longPath(path);
  return longPath.path;
}

}  // namespace

TEST(LongPaths, NamesTheSystemWouldChangeAreHandedOverAsTheyStand) {
  const struct {
    const wchar_t* path;
    const wchar_t* used;
  } cases[] = {
      {L"C:\\d\\notes.", L"\\\\?\\C:\\d\\notes."},
      {L"C:\\d\\x.txt ", L"\\\\?\\C:\\d\\x.txt "},
      {L"C:\\dir.\\x", L"\\\\?\\C:\\dir.\\x"},
      {L"C:\\d\\...", L"\\\\?\\C:\\d\\..."},
      {L"C:/d//e/./f/../n.", L"\\\\?\\C:\\d\\e\\n."},
      {L"C:\\d\\..\\..\\n.", L"\\\\?\\C:\\n."},
      {L"\\\\srv\\share\\..\\n ", L"\\\\?\\UNC\\srv\\share\\n "},
      {L"C:\\d\\notes", L"C:\\d\\notes"},
      {L"C:\\d\\.\\..\\x", L"C:\\d\\.\\..\\x"},
      {L"rel\\notes.", L"rel\\notes."},
      {L"C:notes.", L"C:notes."},
  };
  for (const auto& c : cases) EXPECT_EQ(UsedForm(c.path), c.used) << c.path;
  std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\.\\x\\..\\y";
  EXPECT_EQ(UsedForm(deep.c_str()), L"\\\\?\\C:\\" + std::wstring(300, L'd') + L"\\y");
}

TEST(LiteralPaths, EveryFileOperationNamesTheFileItIsGivenNotItsTwin) {
  const FILETIME stamp = {0x12345600, 0x01D90000};
  for (const Twins& twins : kTwins) {
    SCOPED_TRACE(Narrow(twins.literal) + "|");
    TempFolder folder;
    const std::wstring plain = folder.WriteFile(twins.plain, Narrow(twins.plain));
    const std::wstring literal = folder.WriteFile(twins.literal, Narrow(twins.literal));
    if (ReadWholeFile(plain) != Narrow(twins.plain)) GTEST_SKIP() << "this file system holds the twins as one";
    const FILETIME plainTime = LastWrite(plain);

    BufferedFile file;
    InitBufferedFile(&file);
    ASSERT_EQ(FileLoadWhole(&file, literal.c_str()), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.wholeFile), file.wholeFileSize), Narrow(twins.literal));
    CloseBufferedFile(&file);

    EXPECT_EQ(SetLocalAttributes(literal.c_str(), FILE_ATTRIBUTE_HIDDEN), 0);
    EXPECT_NE(GetFileAttributesLong(literal.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(GetFileAttributesLong(plain.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(SetLocalFileTimes(literal.c_str(), nullptr, nullptr, &stamp), 0);
    const FILETIME literalTime = LastWrite(literal);
    const FILETIME plainTimeAfter = LastWrite(plain);
    EXPECT_EQ(CompareFileTime(&literalTime, &stamp), 0);
    EXPECT_EQ(CompareFileTime(&plainTimeAfter, &plainTime), 0);

    const std::wstring copy = folder / L"copy";
    EXPECT_EQ(
        CopyOrMoveLocalFile(nullptr, nullptr, nullptr, literal.c_str(), copy.c_str(), nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(ReadWholeFile(copy), Narrow(twins.literal));
    const std::wstring renamed = folder / L"renamed";
    EXPECT_EQ(RenameLocalFile(nullptr, nullptr, literal.c_str(), renamed.c_str(), kRenameKeepExisting), 0);
    EXPECT_EQ(ReadWholeFile(renamed), Narrow(twins.literal));
    EXPECT_EQ(RenameLocalFile(nullptr, nullptr, renamed.c_str(), literal.c_str(), kRenameKeepExisting), 0);
    EXPECT_EQ(ReadWholeFile(literal), Narrow(twins.literal)) << "renamed back under its own name";
    EXPECT_EQ(DeleteLocalFile(nullptr, nullptr, literal.c_str(), kDeleteFile, nullptr, nullptr), 0);
    EXPECT_FALSE(PathExists(literal));
    EXPECT_EQ(ReadWholeFile(plain), Narrow(twins.plain)) << "the twin is never touched";
  }
}
