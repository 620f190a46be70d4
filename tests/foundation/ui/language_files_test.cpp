// Language files: their names beside the program file, the key rules in every encoding, and whole tables built
// from them.
#include "foundation/ui/language_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "foundation/core/memory.h"
#include "foundation/ui/resource_library.h"
#include "support/temp_folder.h"
#include "ui_seams_scope.h"

namespace {

constexpr int kTextCapacity = 4096;

template <size_t N>
const UiStringTable* AsTable(const UiStringRecord (&records)[N]) {
  return reinterpret_cast<const UiStringTable*>(records);
}

const UiStringRecord kKeys[] = {{0, "-"},      {1, "Language"}, {10, "Open"}, {11, "Save"},
                                {12, "Lines"}, {13, "Close"},   {0, nullptr}};
const UiStringRecord kDefaults[] = {{-1, L"US"},     {1, L"English"},        {10, L"Open"}, {11, L"Save"},
                                    {12, L"Lines"}, {13, L"Close\\tEsc"}, {0, nullptr}};
const ResourceLanguage kLanguages[] = {
    {"US", L"English", AsTable(kDefaults)}, {"-", L"", AsTable(kKeys)}, {"", nullptr, nullptr}};

// The bytes of a language file written in one of the four encodings.
std::string Encode(const std::wstring& text, int encoding) {
  if (encoding == kLanguageTextUtf16)
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  const UINT codePage = encoding == kLanguageText8Bit ? CP_ACP : CP_UTF8;
  std::string bytes(text.size() * 3 + 1, '\0');
  int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(static_cast<size_t>(length));
  return encoding == kLanguageTextUtf8Marked ? "\xEF\xBB\xBF" + bytes : bytes;
}

// Ids and texts (as looked up, escapes expanded) of the records from record 1 up to the end record.
std::vector<std::pair<int, std::wstring>> Texts(const UiStringTable* table) {
  std::vector<std::pair<int, std::wstring>> texts;
  wchar_t text[kTextCapacity];
  for (int i = 1; table->records[i].id != 0; ++i) {
    GetUiTextFromTable(table, table->records[i].id, text, kTextCapacity);
    texts.emplace_back(table->records[i].id, text);
  }
  return texts;
}

// A language file beside a program file that seems to be "qvrx64.exe" in a temporary folder.
class LanguageFileTest : public testing::Test {
 protected:
  void SetUp() override { seams_.PretendProgramFile(folder_ / L"qvrx64.exe"); }

  void WriteLanguageFile(const wchar_t* code, const std::string& bytes) {
    folder_.WriteFile(std::wstring(L"qvrx6_") + code + L".LNG", bytes);
  }

  TempFolder folder_;
  UiSeamsScope seams_;
};

const wchar_t kGermanFile[] =
    L"; QVRX language file\r\nLanguage=Deutsch\r\nCP=1252\r\nOpen_____=\u00d6ffnen\r\nSave=Sichern\r\n"
    L"Lines=eins\\nzwei\n";

const std::vector<std::pair<int, std::wstring>> kGermanTexts = {
    {1, L"Deutsch"}, {10, L"\u00d6ffnen"}, {11, L"Sichern"}, {12, L"eins\nzwei"}, {13, L"Close\tEsc"}};

}  // namespace

TEST_F(LanguageFileTest, AllEncodingsGiveTheSameTable) {
  const std::pair<const wchar_t*, int> files[] = {
      {L"XA", kLanguageText8Bit}, {L"XB", kLanguageTextUtf8Marked}, {L"XC", kLanguageTextUtf16}};
  for (const auto& [code, encoding] : files) {
    WriteLanguageFile(code, Encode(kGermanFile, encoding));
    std::string narrowCode(code, code + 2);
    UiStringTable* table = LoadLanguageFile(kLanguages, narrowCode.c_str());
    ASSERT_NE(table, nullptr) << narrowCode;
    EXPECT_EQ(table->records[0].id, ~1252) << "the code page, complemented: UTF-16 texts";
    EXPECT_EQ(table->records[0].text, kKeys[0].text) << "named as the key table";
    EXPECT_EQ(Texts(table), kGermanTexts) << narrowCode;
    EXPECT_EQ(table->records[6].text, nullptr) << "the end record";
    FreeAndNull(&table);
  }
}

TEST_F(LanguageFileTest, FilesAreNamedAfterTheProgramAndFallBackToUs) {
  wchar_t path[MAX_PATH];
  EXPECT_EQ(LanguageFilePath("DE", "LNG", path, MAX_PATH, false), 1);
  EXPECT_EQ(LoadLanguageFile(kLanguages, "DE"), nullptr) << "neither file";

  WriteLanguageFile(L"US", Encode(L"Language=American\r\n", kLanguageText8Bit));
  EXPECT_EQ(LanguageFilePath("DE", "LNG", path, MAX_PATH, true), 1);
  EXPECT_EQ(LanguageFilePath("DE", "LNG", path, MAX_PATH, false), 0);
  EXPECT_EQ(std::wstring(path), folder_ / L"qvrx6_US.LNG");
  UiStringTable* table = LoadLanguageFile(kLanguages, "DE");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(Texts(table)[0].second, L"American");
  FreeAndNull(&table);

  WriteLanguageFile(L"D ", Encode(L"Language=Kurz\r\n", kLanguageText8Bit));
  table = LoadLanguageFile(kLanguages, "D");
  ASSERT_NE(table, nullptr) << "a one-letter code gets a blank as its second letter";
  EXPECT_EQ(Texts(table)[0].second, L"Kurz");
  FreeAndNull(&table);

  const ResourceLanguage keysFirst[] = {{"-", L"", AsTable(kKeys)}, {"", nullptr, nullptr}};
  EXPECT_EQ(LoadLanguageFile(keysFirst, "DE"), nullptr) << "the key table cannot be the default";
}

TEST(LanguageFiles, KeysAreFoundByTheSameRulesInEveryEncoding) {
  const std::wstring file =
      L"FileOpen=Datei \u00f6ffnen\r\nPrint_____=Drucken\r\nSaveAs=no value\r\nSaveAs_x=none\r\nSave__=Sichern\r"
      L"Tail=last";
  const std::pair<const char*, const wchar_t*> cases[] = {
      {"Open", L"Datei \u00f6ffnen"},  // the end of a longer key found first
      {"FileOpen", L"Datei \u00f6ffnen"},
      {"Print", L"Drucken"},  // '_' before the '='
      {"Save", L"Sichern"},    // places not followed by '_' and '=' are passed over
      {"Tail", L"last"},      // no line end
      {"Missing", L""},
  };
  for (int encoding : {kLanguageText8Bit, kLanguageTextUtf16, kLanguageTextUtf8Marked, kLanguageTextUtf8}) {
    std::string bytes = Encode(file, encoding) + std::string(4, '\0');
    for (const auto& [key, value] : cases) {
      wchar_t text[kTextCapacity] = L"?";
      ReadLanguageString(encoding, key, bytes.data(), text, kTextCapacity);
      EXPECT_EQ(std::wstring(text), value) << key << " in encoding " << encoding;
    }
  }
  const std::string longValue = "Long=" + std::string(3000, 'x') + "\r\n";
  wchar_t text[kTextCapacity];
  ReadLanguageString(kLanguageTextUtf8, "Long", longValue.data(), text, kTextCapacity);
  EXPECT_EQ(std::wstring(text), std::wstring(kLanguageUtf8ValueBytes, L'x')) << "UTF-8 values are cut";
}

TEST_F(LanguageFileTest, TablesLargerThanTheFirstBufferBlockLoadWhole) {
  constexpr int kCount = 400;
  std::vector<std::string> keys;
  keys.reserve(kCount);
  std::vector<UiStringRecord> keyRecords = {{0, "-"}, {1, "Language"}};
  std::wstring file = L"Language=Gro\u00df\r\n";
  std::vector<std::pair<int, std::wstring>> expected = {{1, L"Gro\u00df"}};
  for (int i = 0; i < kCount; ++i) {
    keys.push_back("Key" + std::to_string(1000 + i));
    keyRecords.push_back({static_cast<int16_t>(3000 + i), keys.back().c_str()});
    std::wstring value = L"Text " + std::to_wstring(i) + L" " + std::wstring(80, L'a' + i % 26);
    file += std::wstring(keys.back().begin(), keys.back().end()) + L"=" + value + L"\r\n";
    expected.emplace_back(3000 + i, value);
  }
  keyRecords.push_back({0, nullptr});
  const ResourceLanguage languages[] = {{"US", L"English", AsTable(kDefaults)},
                                        {"-", L"", reinterpret_cast<const UiStringTable*>(keyRecords.data())},
                                        {"", nullptr, nullptr}};
  WriteLanguageFile(L"XL", Encode(file, kLanguageTextUtf16));
  UiStringTable* table = LoadLanguageFile(languages, "XL");
  ASSERT_NE(table, nullptr);
  EXPECT_TRUE(Texts(table) == expected);
  FreeAndNull(&table);
}

TEST_F(LanguageFileTest, TheListedNamesAreReadAsTheFilesLoad) {
  const std::wstring padding = L"\r\n; " + std::wstring(100, L'-') + L"\r\n";
  const std::wstring french = L"Language=Fran\u00e7ais" + padding;
  WriteLanguageFile(L"fr", Encode(french, kLanguageTextUtf8Marked));
  WriteLanguageFile(L"NL", Encode(L"Language=Nederl\u00e4nds" + padding, kLanguageTextUtf16));
  WriteLanguageFile(L"ES", Encode(L"Language=Espa\u00f1ol" + padding, kLanguageText8Bit));
  // Without a mark the bytes are 8-bit text, also where they would be valid UTF-8: as loading reads them.
  WriteLanguageFile(L"PT", Encode(L"Language=Portugu\u00eas" + padding, kLanguageTextUtf8));
  WriteLanguageFile(L"XS", Encode(L"Language=Small\r\n", kLanguageText8Bit));
  folder_.WriteFile(L"qvrx6_ABC.LNG", Encode(L"Language=Three" + padding, kLanguageText8Bit));
  folder_.WriteFile(L"qvrx6_IT.TXT", Encode(L"Language=Italiano" + padding, kLanguageText8Bit));

  std::vector<std::pair<std::string, std::wstring>> listed;
  EnumLanguageFiles(
      [](const char* code, const wchar_t* name, void* found) {
        static_cast<std::vector<std::pair<std::string, std::wstring>>*>(found)->emplace_back(code, name);
      },
      &listed);
  std::sort(listed.begin(), listed.end());
  UiStringTable* portuguese = LoadLanguageFile(kLanguages, "PT");
  ASSERT_NE(portuguese, nullptr);
  const std::wstring loadedPortuguese = Texts(portuguese)[0].second;
  FreeAndNull(&portuguese);
  const std::vector<std::pair<std::string, std::wstring>> expected = {
      {"ES", L"Espa\u00f1ol"}, {"FR", L"Fran\u00e7ais"}, {"NL", L"Nederl\u00e4nds"}, {"PT", loadedPortuguese}};
  EXPECT_EQ(listed, expected);
}
