#include "engine/duplicate_names.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "engine/name_marks.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/hash_slots.h"
#include "foundation/core/memory.h"
#include "foundation/text/name_masks.h"
#include "foundation/files/paths.h"
#include "foundation/ui/ui_text_ids.h"
#include "views/file_list_row.h"
#include "views/items_view.h"

namespace {

constexpr unsigned kFirstNumber = 2;
constexpr unsigned kLastNumber = 99999;
constexpr int kLongestNumber = 5;
constexpr size_t kShortestQuotedName = 10;
constexpr uint16_t kFolderAttribute = 0x10;
constexpr int32_t kNoRow = -1;
// Keeps the per-row block within what one allocation can ask for.
constexpr uint32_t kMostRows = 50000000;

// What the index keeps of one row: the hashes of its two names and its places in three chains of rows whose
// names hash alike.
struct RowKeys {
  uint64_t newHash;
  uint64_t currentHash;
  int32_t folder;
  int32_t inFolderPrevious;  // new names, rows of the same folder
  int32_t inFolderNext;
  int32_t anyFolderPrevious;  // new names, rows of every folder
  int32_t anyFolderNext;
  int32_t currentNext;  // current names, rows of the same folder
};

struct RowSet {
  int32_t* rows;
  uint32_t count;
  uint32_t capacity;
};

struct DuplicateIndex {
  const ItemStore* store;
  uint32_t rowCount;
  RowKeys* keys;
  HashSlots newNamesInFolder;  // (new-name hash, folder) -> first row of the chain
  // Only the search for a variant needs the tables below, so they are built when the first one is searched.
  bool variantTables;
  HashSlots newNames;              // new-name hash -> first row of the chain
  HashSlots currentNamesInFolder;  // (current-name hash, folder) -> first row of the chain
  // (base-name hash, form) -> the lowest number whose variant may be free: every lower one is some row's new
  // name. Saves testing the same taken variants again when many rows share one name.
  HashSlots nextNumbers;
  RowSet found;
  bool broken;  // a table or the row set found no room: renumberings may be missing
};

uint64_t InFolderKey(uint64_t hash, int32_t folder) {
  return MixHashBits(hash ^ MixHashBits(static_cast<uint32_t>(folder)));
}

uint64_t NumberKey(uint64_t baseHash, bool atEnd) { return MixHashBits(baseHash + (atEnd ? 1 : 2)); }

FileListRow* RowAt(const DuplicateIndex* index, int32_t i) {
  if (i < 0 || static_cast<uint32_t>(i) >= index->rowCount) return nullptr;
  return reinterpret_cast<FileListRow*>(ItemStoreGet(index->store, static_cast<uint32_t>(i)));
}

bool IsFolderRow(const FileListRow* row) { return row != nullptr && (row->info.attributes & kFolderAttribute) != 0; }

// Chains: a table holds the first row, the rows hold the links; rows are put in front, so a chain lists its
// rows from the last linked.

void LinkInFront(RowKeys* all, int32_t i, int32_t* head, int32_t RowKeys::*previous, int32_t RowKeys::*next) {
  all[i].*previous = kNoRow;
  all[i].*next = *head;
  if (*head != kNoRow) all[*head].*previous = i;
  *head = i;
}

void LinkNewNameInFolder(DuplicateIndex* index, int32_t i) {
  RowKeys& keys = index->keys[i];
  keys.inFolderPrevious = keys.inFolderNext = kNoRow;
  int32_t* head = HashSlotsFindOrAdd(&index->newNamesInFolder, InFolderKey(keys.newHash, keys.folder), kNoRow);
  if (head == nullptr) {
    index->broken = true;
    return;
  }
  LinkInFront(index->keys, i, head, &RowKeys::inFolderPrevious, &RowKeys::inFolderNext);
}

void LinkNewNameInAnyFolder(DuplicateIndex* index, int32_t i) {
  RowKeys& keys = index->keys[i];
  keys.anyFolderPrevious = keys.anyFolderNext = kNoRow;
  int32_t* head = HashSlotsFindOrAdd(&index->newNames, keys.newHash, kNoRow);
  if (head == nullptr) {
    index->broken = true;
    return;
  }
  LinkInFront(index->keys, i, head, &RowKeys::anyFolderPrevious, &RowKeys::anyFolderNext);
}

void UnlinkFromChain(RowKeys* all, int32_t i, int32_t* head, int32_t RowKeys::*previous, int32_t RowKeys::*next) {
  const int32_t before = all[i].*previous;
  const int32_t after = all[i].*next;
  if (before != kNoRow) {
    all[before].*next = after;
  } else if (head != nullptr && *head == i) {
    *head = after;
  }
  if (after != kNoRow) all[after].*previous = before;
}

void UnlinkNewName(DuplicateIndex* index, int32_t i) {
  const RowKeys& keys = index->keys[i];
  UnlinkFromChain(index->keys, i, HashSlotsFind(&index->newNamesInFolder, InFolderKey(keys.newHash, keys.folder)),
                  &RowKeys::inFolderPrevious, &RowKeys::inFolderNext);
  UnlinkFromChain(index->keys, i, HashSlotsFind(&index->newNames, keys.newHash), &RowKeys::anyFolderPrevious,
                  &RowKeys::anyFolderNext);
}

void LinkNewName(DuplicateIndex* index, int32_t i) {
  LinkNewNameInFolder(index, i);
  if (index->variantTables) LinkNewNameInAnyFolder(index, i);
}

void LinkCurrentName(DuplicateIndex* index, int32_t i) {
  RowKeys& keys = index->keys[i];
  int32_t* head = HashSlotsFindOrAdd(&index->currentNamesInFolder, InFolderKey(keys.currentHash, keys.folder), kNoRow);
  keys.currentNext = kNoRow;
  if (head == nullptr) {
    index->broken = true;
    return;
  }
  keys.currentNext = *head;
  *head = i;
}

int32_t ChainStart(const HashSlots* table, uint64_t key) {
  const int32_t* head = HashSlotsFind(table, key);
  return head != nullptr ? *head : kNoRow;
}

void FreeIndex(DuplicateIndex* index) {
  FreeAndNull(&index->keys);
  FreeAndNull(&index->found.rows);
  HashSlotsFree(&index->newNamesInFolder);
  HashSlotsFree(&index->newNames);
  HashSlotsFree(&index->currentNamesInFolder);
  HashSlotsFree(&index->nextNumbers);
}

// Every row renumbered adds at most one new name, and no row is renumbered twice (its variant is free of
// every rule), so the tables of new names are sized for twice the rows.
bool OpenIndex(DuplicateIndex* index, const ItemStore* store, uint32_t rowCount) {
  *index = DuplicateIndex{};
  if (rowCount > kMostRows) return false;
  index->store = store;
  index->rowCount = rowCount;
  index->keys = static_cast<RowKeys*>(AllocZeroed(rowCount * static_cast<uint32_t>(sizeof(RowKeys))));
  if ((rowCount > 0 && index->keys == nullptr) || !HashSlotsInit(&index->newNamesInFolder, 2 * rowCount + 16)) {
    FreeIndex(index);
    return false;
  }
  for (int32_t i = 0; i < static_cast<int32_t>(rowCount); ++i) {
    const FileListRow* row = RowAt(index, i);
    RowKeys& keys = index->keys[i];
    keys = RowKeys{0, 0, 0, kNoRow, kNoRow, kNoRow, kNoRow, kNoRow};
    if (row == nullptr) continue;
    keys.folder = row->folderIndex;
    keys.newHash = HashIgnoreCaseWide(row->newName);
    keys.currentHash = HashIgnoreCaseWide(row->currentName);
    LinkNewNameInFolder(index, i);
  }
  return true;
}

bool OpenVariantTables(DuplicateIndex* index) {
  if (index->variantTables) return true;
  const uint32_t rowCount = index->rowCount;
  if (!HashSlotsInit(&index->newNames, 2 * rowCount + 16) ||
      !HashSlotsInit(&index->currentNamesInFolder, rowCount + 16) ||
      !HashSlotsInit(&index->nextNumbers, rowCount + 16))
    return false;
  for (int32_t i = 0; i < static_cast<int32_t>(rowCount); ++i) {
    if (RowAt(index, i) == nullptr) continue;
    LinkNewNameInAnyFolder(index, i);
    LinkCurrentName(index, i);
  }
  index->variantTables = true;
  return true;
}

void AddFound(DuplicateIndex* index, int32_t row) {
  RowSet& set = index->found;
  if (set.count == set.capacity) {
    const uint32_t capacity = set.capacity == 0 ? 64 : 2 * set.capacity;
    int32_t* rows = static_cast<int32_t*>(AllocZeroed(4 * capacity));
    if (rows == nullptr) {
      index->broken = true;
      return;
    }
    if (set.count > 0) memcpy(rows, set.rows, 4 * set.count);
    FreeAndNull(&set.rows);
    set.rows = rows;
    set.capacity = capacity;
  }
  set.rows[set.count++] = row;
}

int CompareRows(const void* a, const void* b) {
  const int32_t first = *static_cast<const int32_t*>(a);
  const int32_t second = *static_cast<const int32_t*>(b);
  return first < second ? -1 : (first > second ? 1 : 0);
}

// Collects, in list order, the rows from `begin` to below `end` of `folder` whose new name equals `text`.
void FindNewNamesInFolder(DuplicateIndex* index, const wchar_t* text, uint64_t hash, int32_t folder, int32_t begin,
                          int32_t end) {
  index->found.count = 0;
  for (int32_t x = ChainStart(&index->newNamesInFolder, InFolderKey(hash, folder)); x != kNoRow;
       x = index->keys[x].inFolderNext) {
    const RowKeys& keys = index->keys[x];
    if (x < begin || x >= end || keys.folder != folder || keys.newHash != hash) continue;
    const FileListRow* row = RowAt(index, x);
    if (row != nullptr && EqualsIgnoreCaseWide(row->newName, text)) AddFound(index, x);
  }
  if (index->found.count > 1) qsort(index->found.rows, index->found.count, 4, CompareRows);
}

// True when some row's new name, in any folder, equals `text`.
bool IsNewNameTaken(const DuplicateIndex* index, const wchar_t* text, uint64_t hash) {
  for (int32_t x = ChainStart(&index->newNames, hash); x != kNoRow; x = index->keys[x].anyFolderNext) {
    const FileListRow* row = RowAt(index, x);
    if (index->keys[x].newHash == hash && row != nullptr && EqualsIgnoreCaseWide(row->newName, text)) return true;
  }
  return false;
}

// True when a row after `after` in `folder` still holds `text` as its current name when `after` is renamed.
bool IsHeldByLaterRow(const DuplicateIndex* index, const wchar_t* text, uint64_t hash, int32_t folder, int32_t after) {
  for (int32_t x = ChainStart(&index->currentNamesInFolder, InFolderKey(hash, folder)); x != kNoRow;
       x = index->keys[x].currentNext) {
    const RowKeys& keys = index->keys[x];
    if (x <= after || keys.folder != folder || keys.currentHash != hash) continue;
    const FileListRow* row = RowAt(index, x);
    if (row != nullptr && EqualsIgnoreCaseWide(row->currentName, text)) return true;
  }
  return false;
}

// The number of a canonical decimal text from 2 to 99999, or 0.
unsigned ParseVariantNumber(const wchar_t* digits, size_t length) {
  if (length == 0 || length > kLongestNumber || digits[0] == L'0') return 0;
  unsigned number = 0;
  for (size_t i = 0; i < length; ++i) {
    if (digits[i] < L'0' || digits[i] > L'9') return 0;
    number = 10 * number + static_cast<unsigned>(digits[i] - L'0');
  }
  return number >= kFirstNumber ? number : 0;
}

// Takes `name` apart as the variant of some base name for a number (the inverse of
// InsertNumberBeforeExtension); the number, or 0 when the name is no variant in this form.
unsigned SplitVariant(const wchar_t* name, bool atEnd, wchar_t* base, int capacity) {
  const size_t length = WideLength(name);
  if (name[0] == L'#') {
    base[0] = 0;
    return ParseVariantNumber(name + 1, length - 1);
  }
  const size_t insertAt = atEnd ? length : static_cast<size_t>(ExtensionDotPosition(name));
  if (insertAt < 3 || name[insertAt - 1] != L')') return 0;
  size_t open = insertAt - 2;
  while (open > 0 && name[open] >= L'0' && name[open] <= L'9') --open;
  const unsigned number = name[open] == L'(' ? ParseVariantNumber(name + open + 1, insertAt - open - 2) : 0;
  if (number == 0) return 0;
  if (open == 0) {
    // "(k).ext" comes only from a file name whose part before the dot is empty.
    if (atEnd || insertAt == length) return 0;
    CopyWideBounded(name + insertAt, base, capacity);
    return number;
  }
  if (open < 2 || name[open - 1] != L' ' || open - 1 >= static_cast<size_t>(capacity)) return 0;
  wmemcpy(base, name, open - 1);
  base[open - 1] = 0;
  AppendWideBounded(name + insertAt, base, capacity);
  return number;
}

// A new name that no row holds any more may be a variant that is free again.
void ReopenVariant(DuplicateIndex* index, const wchar_t* name) {
  const bool forms[] = {false, true};
  for (const bool atEnd : forms) {
    wchar_t base[kFileNameCapacity];
    const unsigned number = SplitVariant(name, atEnd, base, kFileNameCapacity);
    if (number == 0) continue;
    int32_t* next = HashSlotsFind(&index->nextNumbers, NumberKey(HashIgnoreCaseWide(base), atEnd));
    if (next != nullptr && *next > static_cast<int32_t>(number)) *next = static_cast<int32_t>(number);
  }
}

// `text` fits a row's new name; `hash` is its HashIgnoreCaseWide.
void SetNewName(DuplicateIndex* index, int32_t i, const wchar_t* text, uint64_t hash) {
  FileListRow* row = RowAt(index, i);
  if (row == nullptr) return;
  wchar_t previous[kFileNameCapacity];
  CopyWideBounded(row->newName, previous, kFileNameCapacity);
  const uint64_t previousHash = index->keys[i].newHash;
  UnlinkNewName(index, i);
  CopyWideBounded(text, row->newName, kFileNameCapacity);
  index->keys[i].newHash = hash;
  LinkNewName(index, i);
  if (!IsNewNameTaken(index, previous, previousHash)) ReopenVariant(index, previous);
}

void WriteNoVariantMark(const wchar_t* errorText, const wchar_t* base, wchar_t* name, int capacity) {
  if (WideLength(base) < kShortestQuotedName) {
    CopyWideBounded(errorText, name, capacity);
    return;
  }
  wchar_t quoted[kFileNameCapacity + 2];
  CopyWideBounded(L"\"", quoted, kFileNameCapacity + 2);
  AppendWideBounded(base, quoted, kFileNameCapacity + 2);
  AppendWideBounded(L"\"", quoted, kFileNameCapacity + 2);
  WriteNameMark(errorText, kTextNoFreeNumber, quoted, name, capacity);
}

bool IsUsableVariant(const wchar_t* variant, int written, int capacity) {
  const size_t length = WideLength(variant);
  return written >= 0 && length <= static_cast<size_t>(kMaxFileNameLength) && length < static_cast<size_t>(capacity);
}

// The mark that replaces a name without a free variant; its hash goes to `hash`.
int MarkWithoutVariant(const wchar_t* errorText, const wchar_t* base, wchar_t* name, int capacity, uint64_t* hash) {
  WriteNoVariantMark(errorText, base, name, capacity);
  *hash = HashIgnoreCaseWide(name);
  return 1;
}

// Replaces `name` (the new name of row i; `hash` its HashIgnoreCaseWide) by its first free variant, or by the
// mark when there is none; `hash` follows the name.
int FindFreeVariant(DuplicateIndex* index, int32_t i, const wchar_t* errorText, wchar_t* name, int capacity,
                    uint64_t* hash) {
  const FileListRow* row = RowAt(index, i);
  const bool atEnd = IsFolderRow(row);
  wchar_t base[kFileNameCapacity];
  CopyWideBounded(name, base, kFileNameCapacity);
  // Without the tables no variant can be vouched for.
  if (!OpenVariantTables(index)) {
    index->broken = true;
    return MarkWithoutVariant(errorText, base, name, capacity, hash);
  }
  int32_t unindexed = kFirstNumber;
  int32_t* next = HashSlotsFindOrAdd(&index->nextNumbers, NumberKey(*hash, atEnd), kFirstNumber);
  if (next == nullptr) next = &unindexed;
  for (unsigned number = static_cast<unsigned>(*next); number <= kLastNumber; ++number) {
    wchar_t variant[kFileNameCapacity];
    const int written = InsertNumberBeforeExtension(number, base, variant, kFileNameCapacity, atEnd);
    if (!IsUsableVariant(variant, written, capacity)) break;
    const uint64_t variantHash = HashIgnoreCaseWide(variant);
    const bool taken = IsNewNameTaken(index, variant, variantHash);
    if (!taken && row != nullptr && IsHeldByLaterRow(index, variant, variantHash, index->keys[i].folder, i)) continue;
    // The variant found here is about to become a new name, so it counts as taken from now on.
    if (number == static_cast<unsigned>(*next)) *next = static_cast<int32_t>(number + 1);
    if (taken) continue;
    CopyWideBounded(variant, name, capacity);
    *hash = variantHash;
    return 0;
  }
  return MarkWithoutVariant(errorText, base, name, capacity, hash);
}

int RenumberFound(DuplicateIndex* index, const wchar_t* errorText) {
  int failed = 0;
  for (uint32_t n = 0; n < index->found.count; ++n) {
    const int32_t j = index->found.rows[n];
    const FileListRow* row = RowAt(index, j);
    if (row == nullptr) continue;
    wchar_t name[kFileNameCapacity];
    CopyWideBounded(row->newName, name, kFileNameCapacity);
    uint64_t hash = index->keys[j].newHash;
    failed += FindFreeVariant(index, j, errorText, name, kFileNameCapacity, &hash);
    SetNewName(index, j, name, hash);
  }
  return failed;
}

int ResolveRow(DuplicateIndex* index, int32_t i, const wchar_t* errorText) {
  const FileListRow* row = RowAt(index, i);
  if (row == nullptr || row->newName[0] == L'<') return 0;
  const RowKeys& keys = index->keys[i];
  // Earlier rows would meet this file still under its current name.
  FindNewNamesInFolder(index, row->currentName, keys.currentHash, keys.folder, 0, i);
  int failed = RenumberFound(index, errorText);
  // Later rows would find the name taken by this one.
  FindNewNamesInFolder(index, row->newName, keys.newHash, keys.folder, i + 1, static_cast<int32_t>(index->rowCount));
  failed += RenumberFound(index, errorText);
  return failed;
}

const ItemStore* FileRows() {
  return g_app != nullptr && g_app->fileList != nullptr ? &g_app->fileList->rows : nullptr;
}

}  // namespace

int ResolveDuplicateNames(uint32_t rowCount, const wchar_t* errorText) {
  const ItemStore* rows = FileRows();
  if (rows == nullptr || rowCount == 0) return 0;
  DuplicateIndex index;
  // Without the index no name can be vouched for.
  if (!OpenIndex(&index, rows, rowCount)) return static_cast<int>(rowCount);
  int failed = 0;
  for (uint32_t i = 0; i < rowCount; ++i) failed += ResolveRow(&index, static_cast<int32_t>(i), errorText);
  // A renumbering the index could not see may be missing: count it, so that no run trusts these names.
  if (index.broken && failed == 0) failed = 1;
  FreeIndex(&index);
  return failed;
}

int MakeUniqueNumberedName(uint32_t rowCount, const wchar_t* errorText, uint32_t row, wchar_t* name, int capacity) {
  if (name == nullptr || capacity <= 0) return 1;
  const ItemStore* rows = FileRows();
  DuplicateIndex index;
  if (rows == nullptr || !OpenIndex(&index, rows, rowCount)) {
    WriteNoVariantMark(errorText, name, name, capacity);
    return 1;
  }
  uint64_t hash = HashIgnoreCaseWide(name);
  const int failed = FindFreeVariant(&index, static_cast<int32_t>(row), errorText, name, capacity, &hash);
  FreeIndex(&index);
  return failed;
}
