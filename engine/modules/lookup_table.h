// The table of a lookup list (the lines "old name;new name" of a CSV list): it finds the first line whose old
// name equals a file's name as EqualsIgnoreCaseWide compares names (CompareStringW under the user's locale,
// ignoring case and kana type), without a locale sort key for every line of the list.
//
// Each line is filed under a key that every text the comparison calls equal shares: a hash of the primary
// weights of the text's sort key (its bytes before the first 01), so texts that differ only in what the
// comparison ignores meet under one key. A text of plain characters gets its key from the weights of its
// characters one by one, without a sort key: a character is plain when it is ASCII and its weights do not
// depend on its neighbours, which is checked for every pair of ASCII characters when the weights are made (a
// contraction such as Danish "aa" or Hungarian "cs" leaves its letters out). Other texts get the key from
// their sort key. Lines filed under the key of a name are confirmed with the comparison itself, in file order.
//
// The lines are kept in one block reserved for the list's size and committed as it fills, so it grows without
// copying: each line its key's check bits, then old and new name in an 8-bit form of their UTF-16 units (one
// to three bytes each, any unit kept as it was). A table is built by one thread, then only read, by any
// thread; it is shared by counted holds and freed by the last release.
#pragma once
#include <windows.h>

#include <cstdint>

// The weights of the plain characters under one locale.
struct LookupKeyWeights {
  LCID locale;
  uint8_t length[128];  // bytes of the character's weights; kNotPlain when it is not plain
  uint8_t bytes[128][8];
};
constexpr uint8_t kNotPlain = 0xFF;

// The weights of `locale`: 16 000 sort keys of single characters and pairs. False when the locale gives none.
bool MakeLookupKeyWeights(LCID locale, LookupKeyWeights* weights);

// The key of the first `length` characters of a text: from the weights when every character is plain, else
// from the text's sort key (LookupKeyOfSortKey).
uint64_t LookupKeyOf(const LookupKeyWeights& weights, const wchar_t* text, uint32_t length);
// The key of a text from its sort key alone.
uint64_t LookupKeyOfSortKey(LCID locale, const wchar_t* text, uint32_t length);

// A line filed in the table: its offset in the block (0: a free slot) and its key's check bits.
struct LookupSlot {
  uint32_t offset;
  uint32_t bits;
};

struct LookupTable {
  volatile LONG holds;
  LookupKeyWeights weights;  // of the user's locale when the table was begun
  uint8_t* block;            // reserved address space, committed up to `committed`
  uint64_t reserved;
  uint64_t committed;
  uint64_t used;
  LookupSlot* slots;
  uint32_t slotCount;
  uint32_t lines;
};

// An empty table with room for the lines of a list of `listBytes` bytes, held once; null without memory.
LookupTable* BeginLookupTable(uint64_t listBytes);
// Adds a line; false when the block is full or memory failed (the table is then only good for releasing).
bool AddLookupLine(LookupTable* table, const wchar_t* oldName, const wchar_t* newName);
// Makes the table searchable once every line is in; false without memory.
bool FinishLookupTable(LookupTable* table);

// The new name of the first line whose old name equals `name`, into `newName` (cut to its capacity); false
// when no line has it.
bool FindLookupName(const LookupTable* table, const wchar_t* name, wchar_t* newName, int capacity);

// Bytes of memory the table keeps.
uint64_t LookupTableBytes(const LookupTable* table);

void HoldLookupTable(LookupTable* table);
// Releases a hold and clears the slot; the last release frees the table.
void ReleaseLookupTable(LookupTable** table);
