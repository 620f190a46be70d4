// The indexed duplicate search against a plain pairwise implementation of the same rules, on random lists
// rich in collisions (case, linguistic equality, names that look like numbered variants, folders, names too
// long for a number), and the numbering of a large list that all takes one name.
#include "engine/duplicate_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/text/bounded_text.h"
#include "foundation/text/name_masks.h"
#include "preview_fixture.h"

namespace {

const wchar_t kErrorText[] = L"<Error>";

struct PlainRow {
  std::wstring current;
  std::wstring next;
  int folder;
  bool isFolder;
};

bool Equal(const std::wstring& a, const std::wstring& b) { return EqualsIgnoreCaseWide(a.c_str(), b.c_str()); }

// The rules exactly as stated, comparing every pair.
int RenumberPairwise(std::vector<PlainRow>& rows, size_t j) {
  const std::wstring base = rows[j].next;
  for (unsigned k = 2; k <= 99999; ++k) {
    wchar_t variant[kFileNameCapacity];
    if (InsertNumberBeforeExtension(k, base.c_str(), variant, kFileNameCapacity, rows[j].isFolder) < 0 ||
        wcslen(variant) > 255)
      break;
    bool free = true;
    for (size_t x = 0; x < rows.size() && free; ++x) free = !Equal(rows[x].next, variant);
    for (size_t x = j + 1; x < rows.size() && free; ++x)
      free = rows[x].folder != rows[j].folder || !Equal(rows[x].current, variant);
    if (free) {
      rows[j].next = variant;
      return 0;
    }
  }
  std::wstring mark = kErrorText;
  if (base.size() >= 10) mark += L", no free number for \"" + base + L"\"";
  rows[j].next = mark.substr(0, kFileNameCapacity - 1);
  return 1;
}

int ResolvePairwise(std::vector<PlainRow>& rows) {
  int failed = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].next.empty() && rows[i].next[0] == L'<') continue;
    for (size_t j = 0; j < rows.size(); ++j) {
      if (j == i || rows[j].folder != rows[i].folder) continue;
      if ((j > i && Equal(rows[i].next, rows[j].next)) || (j < i && Equal(rows[i].current, rows[j].next)))
        failed += RenumberPairwise(rows, j);
    }
  }
  return failed;
}

class DuplicateNames : public PreviewFixture {
 protected:
  void Load(const std::vector<PlainRow>& rows) {
    for (const PlainRow& row : rows) {
      AddFile(static_cast<uint32_t>(row.folder), row.current.c_str(),
              row.isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
      CopyWideBounded(row.next.c_str(), Row(ItemStoreCount(&files_->rows) - 1)->newName, kFileNameCapacity);
    }
  }
};

const wchar_t* const kStems[] = {L"a", L"A", L"b", L"c", L"C", L"c (2)", L"C (3)", L"c (2) (2)", L"(2)", L"",
                                 L"Stra\u00dfe", L"STRASSE", L"\u304b", L"\u30ab", L"#2", L"#3", L"x.tar"};
const wchar_t* const kExtensions[] = {L".txt", L".TXT", L"", L".gz", L" (2)"};

// Half the lists draw from few names, so that numbered names meet and free each other often.
std::wstring RandomName(std::mt19937& random, bool narrow) {
  std::wstring name = kStems[random() % (narrow ? 8 : std::size(kStems))];
  name += kExtensions[random() % (narrow ? 2 : std::size(kExtensions))];
  if (random() % 40 == 0) name = std::wstring(244, L'l') + name;  // near the limit: some get no number
  return name;
}

std::vector<PlainRow> RandomRows(std::mt19937& random) {
  std::vector<PlainRow> rows;
  const bool narrow = random() % 2 == 0;
  const int folders = 1 + static_cast<int>(random() % 4);
  const size_t count = 1 + random() % 40;
  for (int attempt = 0; attempt < 200 && rows.size() < count; ++attempt) {
    PlainRow row{RandomName(random, narrow), L"", 1 + static_cast<int>(random() % folders), random() % 10 == 0};
    bool held = row.current.empty();
    for (const PlainRow& other : rows) held = held || (other.folder == row.folder && Equal(other.current, row.current));
    if (held) continue;
    const unsigned choice = random() % 10;
    row.next = choice < 2 ? row.current : (choice == 2 ? L"<marked>" : RandomName(random, narrow));
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

TEST_F(DuplicateNames, IndexedSearchGivesThePairwiseResult) {
  std::mt19937 random(20240611);
  for (int list = 0; list < 1500; ++list) {
    std::vector<PlainRow> rows = RandomRows(random);
    for (int folder = 1; folder <= 4; ++folder) AddFolder((L"C:\\f" + std::to_wstring(folder)).c_str());
    Load(rows);
    const uint32_t count = static_cast<uint32_t>(rows.size());
    const int failed = ResolveDuplicateNames(count, kErrorText);
    ASSERT_EQ(failed, ResolvePairwise(rows)) << "list " << list;
    for (uint32_t i = 0; i < count; ++i) ASSERT_EQ(NewName(i), rows[i].next) << "list " << list << " row " << i;
    ItemStoreReset(&files_->rows);
    ItemStoreReset(&files_->pathPool);
  }
}

TEST_F(DuplicateNames, ALargeListTakingOneNameIsNumberedInOrder) {
  const uint32_t folder = AddFolder(L"C:\\data");
  constexpr uint32_t kCount = 3000;
  for (uint32_t i = 0; i < kCount; ++i) {
    AddFile(folder, (L"file" + std::to_wstring(i) + L".txt").c_str());
    CopyWideBounded(i % 2 == 0 ? L"same.txt" : L"SAME.TXT", Row(i)->newName, kFileNameCapacity);
  }
  EXPECT_EQ(ResolveDuplicateNames(kCount, kErrorText), 0);
  EXPECT_EQ(NewName(0), L"same.txt");
  for (uint32_t i = 1; i < kCount; ++i) {
    const std::wstring expected = i % 2 == 0 ? L"same (" + std::to_wstring(i + 1) + L").txt"
                                             : L"SAME (" + std::to_wstring(i + 1) + L").TXT";
    ASSERT_EQ(NewName(i), expected);
  }
}
