#include "engine/modules/lookup_table.h"

#include <cstring>

#include "engine/module_contract.h"
#include "foundation/core/hash_slots.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"

namespace {

constexpr uint8_t kSectionEnd = 0x01;
// Sort keys of names fit here; longer ones get a block of their own size.
constexpr int kSortKeyBytes = 4096;
// Line offsets are 32-bit; offset 0 stands for a free slot.
constexpr uint64_t kLargestBlock = 0xFFFFFFFFull;
constexpr uint64_t kCommitStep = 16ull << 20;
// An 8-bit unit takes at most three bytes; each line adds its check bits and two terminators.
constexpr uint64_t kBytesPerListByte = 3;
constexpr uint64_t kBytesPerLine = 6;

// A 64-bit FNV-1a hash fed in pieces.
struct KeyHash {
  uint64_t value = 14695981039346656037ull;
  void Add(const uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i) value = (value ^ bytes[i]) * 1099511628211ull;
  }
  uint64_t Final() const { return MixHashBits(value); }
};

int SortKeyOf(LCID locale, const wchar_t* text, int length, uint8_t* key, int bytes) {
  return LCMapStringW(locale, LCMAP_SORTKEY | kIgnoreCaseFlags, text, length, reinterpret_cast<wchar_t*>(key), bytes);
}

int PrimaryBytes(const uint8_t* key, int length) {
  int bytes = 0;
  while (bytes < length && key[bytes] != kSectionEnd) ++bytes;
  return bytes;
}

// The primary weights of a text of one or two characters; -1 when the locale gives no sort key.
int PrimaryWeights(LCID locale, const wchar_t* text, int length, uint8_t* weights) {
  uint8_t key[64];
  const int keyLength = SortKeyOf(locale, text, length, key, sizeof key);
  if (keyLength <= 0) return -1;
  const int bytes = PrimaryBytes(key, keyLength);
  memcpy(weights, key, static_cast<size_t>(bytes));
  return bytes;
}

void MakeSingleWeights(LookupKeyWeights* weights) {
  for (wchar_t c = 1; c < 128; ++c) {
    uint8_t primary[64];
    const int bytes = PrimaryWeights(weights->locale, &c, 1, primary);
    const bool fits = bytes >= 0 && bytes <= static_cast<int>(sizeof weights->bytes[c]);
    weights->length[c] = fits ? static_cast<uint8_t>(bytes) : kNotPlain;
    if (fits) memcpy(weights->bytes[c], primary, static_cast<size_t>(bytes));
  }
}

// A pair whose weights are not those of its two characters (a contraction, or weights that depend on the
// neighbour) makes both characters not plain.
void DropContextualCharacters(LookupKeyWeights* weights) {
  uint8_t plain[128];
  for (int c = 0; c < 128; ++c) plain[c] = weights->length[c] != kNotPlain;
  for (wchar_t first = 1; first < 128; ++first) {
    for (wchar_t second = 1; second < 128 && plain[first]; ++second) {
      if (!plain[second]) continue;
      const wchar_t pair[2] = {first, second};
      uint8_t primary[64];
      const int bytes = PrimaryWeights(weights->locale, pair, 2, primary);
      const int single = weights->length[first];
      const bool joined = bytes == single + weights->length[second] &&
                          memcmp(primary, weights->bytes[first], single) == 0 &&
                          memcmp(primary + single, weights->bytes[second], weights->length[second]) == 0;
      if (!joined) plain[first] = plain[second] = 0;
    }
  }
  for (int c = 0; c < 128; ++c) {
    if (!plain[c]) weights->length[c] = kNotPlain;
  }
}

// The weights of the user's locale, made once for each locale the user has had.
SRWLOCK g_weightsLock = SRWLOCK_INIT;
LookupKeyWeights g_userWeights;
bool g_userWeightsMade = false;

bool CopyUserWeights(LookupKeyWeights* weights) {
  const LCID locale = GetUserDefaultLCID();
  AcquireSRWLockExclusive(&g_weightsLock);
  if (!g_userWeightsMade || g_userWeights.locale != locale)
    g_userWeightsMade = MakeLookupKeyWeights(locale, &g_userWeights);
  if (g_userWeightsMade) *weights = g_userWeights;
  const bool made = g_userWeightsMade;
  ReleaseSRWLockExclusive(&g_weightsLock);
  return made;
}

// ---- The 8-bit form of the names ---------------------------------------------------------------------------

uint8_t* PutUnit(wchar_t unit, uint8_t* out) {
  if (unit < 0x80) {
    *out++ = static_cast<uint8_t>(unit);
  } else if (unit < 0x800) {
    *out++ = static_cast<uint8_t>(0xC0 | (unit >> 6));
    *out++ = static_cast<uint8_t>(0x80 | (unit & 0x3F));
  } else {
    *out++ = static_cast<uint8_t>(0xE0 | (unit >> 12));
    *out++ = static_cast<uint8_t>(0x80 | ((unit >> 6) & 0x3F));
    *out++ = static_cast<uint8_t>(0x80 | (unit & 0x3F));
  }
  return out;
}

uint8_t* PutName(const wchar_t* name, uint8_t* out) {
  for (; *name != 0; ++name) out = PutUnit(*name, out);
  *out++ = 0;
  return out;
}

// The name at `in` into `name`, cut to its capacity; the position after the name's terminator.
const uint8_t* TakeName(const uint8_t* in, wchar_t* name, int capacity) {
  int stored = 0;
  while (*in != 0) {
    wchar_t unit = *in++;
    if (unit >= 0xE0) {
      unit = static_cast<wchar_t>(((unit & 0x0F) << 12) | ((in[0] & 0x3F) << 6) | (in[1] & 0x3F));
      in += 2;
    } else if (unit >= 0xC0) {
      unit = static_cast<wchar_t>(((unit & 0x1F) << 6) | (in[0] & 0x3F));
      in += 1;
    }
    if (stored + 1 < capacity) name[stored++] = unit;
  }
  name[stored] = 0;
  return in + 1;
}

const uint8_t* SkipName(const uint8_t* in) { return in + strlen(reinterpret_cast<const char*>(in)) + 1; }

// ---- The block and the slots -----------------------------------------------------------------------------------

uint32_t CheckBits(uint64_t key) { return static_cast<uint32_t>(key >> 32); }

// The check bits are evenly spread: they place the line as well.
uint32_t HomeSlot(const LookupTable* table, uint32_t bits) {
  return static_cast<uint32_t>((static_cast<uint64_t>(bits) * table->slotCount) >> 32);
}

uint32_t NextSlot(const LookupTable* table, uint32_t slot) { return slot + 1 < table->slotCount ? slot + 1 : 0; }

uint32_t StoredCheckBits(const LookupTable* table, uint32_t offset) {
  uint32_t bits = 0;
  memcpy(&bits, table->block + offset, sizeof bits);
  return bits;
}

const uint8_t* OldNameAt(const LookupTable* table, uint32_t offset) { return table->block + offset + sizeof(uint32_t); }

bool Reserve(LookupTable* table, uint64_t bytes) {
  if (table->used + bytes <= table->committed) return true;
  const uint64_t wanted = table->used + bytes + kCommitStep;
  const uint64_t commit = wanted < table->reserved ? wanted : table->reserved;
  if (table->used + bytes > commit ||
      VirtualAlloc(table->block + table->committed, commit - table->committed, MEM_COMMIT, PAGE_READWRITE) == nullptr)
    return false;
  table->committed = commit;
  return true;
}

// Files a line in the first free slot from the home of its check bits, so that the lines of one key lie in
// file order. A line whose old name is that of a line filed before it is never found: it is not filed.
void FileLine(LookupTable* table, uint32_t offset) {
  const uint32_t bits = StoredCheckBits(table, offset);
  const char* oldName = reinterpret_cast<const char*>(OldNameAt(table, offset));
  uint32_t slot = HomeSlot(table, bits);
  for (; table->slots[slot].offset != 0; slot = NextSlot(table, slot)) {
    const LookupSlot& filed = table->slots[slot];
    if (filed.bits == bits && strcmp(reinterpret_cast<const char*>(OldNameAt(table, filed.offset)), oldName) == 0)
      return;
  }
  table->slots[slot] = {offset, bits};
}

uint32_t NextLine(const LookupTable* table, uint32_t offset) {
  return static_cast<uint32_t>(SkipName(SkipName(OldNameAt(table, offset))) - table->block);
}

// The committed pages the block does not use go back.
void TrimBlock(LookupTable* table) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const uint64_t page = system.dwPageSize;
  const uint64_t kept = (table->used + page - 1) / page * page;
  if (kept >= table->committed || !VirtualFree(table->block + kept, table->committed - kept, MEM_DECOMMIT)) return;
  table->committed = kept;
}

}  // namespace

bool MakeLookupKeyWeights(LCID locale, LookupKeyWeights* weights) {
  memset(weights, 0, sizeof *weights);
  weights->locale = locale;
  wchar_t probe = L'a';
  uint8_t primary[64];
  if (PrimaryWeights(locale, &probe, 1, primary) < 0) return false;
  MakeSingleWeights(weights);
  DropContextualCharacters(weights);
  return true;
}

uint64_t LookupKeyOfSortKey(LCID locale, const wchar_t* text, uint32_t length) {
  uint8_t stack[kSortKeyBytes];
  uint8_t* key = stack;
  const int count = static_cast<int>(length);
  int bytes = count == 0 ? 0 : SortKeyOf(locale, text, count, key, kSortKeyBytes);
  if (count != 0 && bytes <= 0) {
    const int needed = SortKeyOf(locale, text, count, nullptr, 0);
    key = needed > 0 ? static_cast<uint8_t*>(AllocZeroed(static_cast<uint32_t>(needed))) : nullptr;
    bytes = key != nullptr ? SortKeyOf(locale, text, count, key, needed) : 0;
  }
  KeyHash hash;
  // Without a sort key the text falls in with every other text that has none; the comparison sorts them out.
  if (key != nullptr) hash.Add(key, PrimaryBytes(key, bytes));
  if (key != stack) FreeAndNull(&key);
  return hash.Final();
}

uint64_t LookupKeyOf(const LookupKeyWeights& weights, const wchar_t* text, uint32_t length) {
  KeyHash hash;
  for (uint32_t i = 0; i < length; ++i) {
    const wchar_t c = text[i];
    if (c >= 128 || weights.length[c] == kNotPlain) return LookupKeyOfSortKey(weights.locale, text, length);
    hash.Add(weights.bytes[c], weights.length[c]);
  }
  return hash.Final();
}

LookupTable* BeginLookupTable(uint64_t listBytes) {
  LookupTable* table = static_cast<LookupTable*>(AllocZeroed(sizeof(LookupTable)));
  if (table == nullptr) return nullptr;
  table->holds = 1;
  const uint64_t bound = sizeof(uint32_t) + kBytesPerListByte * listBytes + kBytesPerLine * (listBytes + 1);
  table->reserved = bound < kLargestBlock ? bound : kLargestBlock;
  table->block = static_cast<uint8_t*>(VirtualAlloc(nullptr, table->reserved, MEM_RESERVE, PAGE_NOACCESS));
  // Offset 0 is no line's: the free slots hold it.
  table->used = sizeof(uint32_t);
  if (table->block == nullptr || !CopyUserWeights(&table->weights) || !Reserve(table, 0)) ReleaseLookupTable(&table);
  return table;
}

bool AddLookupLine(LookupTable* table, const wchar_t* oldName, const wchar_t* newName) {
  const size_t oldLength = WideLength(oldName);
  const uint64_t most = sizeof(uint32_t) + 3 * (oldLength + WideLength(newName)) + 2;
  if (table->lines == UINT32_MAX || !Reserve(table, most)) return false;
  uint8_t* line = table->block + table->used;
  const uint32_t bits = CheckBits(LookupKeyOf(table->weights, oldName, static_cast<uint32_t>(oldLength)));
  memcpy(line, &bits, sizeof bits);
  const uint8_t* end = PutName(newName, PutName(oldName, line + sizeof bits));
  table->used += static_cast<uint64_t>(end - line);
  ++table->lines;
  return true;
}

bool FinishLookupTable(LookupTable* table) {
  TrimBlock(table);
  // A free slot for every three lines keeps the searches short.
  const uint64_t slots = static_cast<uint64_t>(table->lines) + table->lines / 3 + 16;
  if (slots * sizeof(LookupSlot) > UINT32_MAX) return false;
  table->slots = static_cast<LookupSlot*>(AllocZeroed(static_cast<uint32_t>(slots * sizeof(LookupSlot))));
  if (table->slots == nullptr) return false;
  table->slotCount = static_cast<uint32_t>(slots);
  // The slots are met in no order: each is asked of the memory some lines before it is filed.
  constexpr int kLinesAhead = 16;
  uint32_t ahead = sizeof(uint32_t);
  for (int i = 0; i < kLinesAhead && ahead < table->used; ++i) ahead = NextLine(table, ahead);
  for (uint32_t at = sizeof(uint32_t); at < table->used; at = NextLine(table, at)) {
    if (ahead < table->used) {
      __builtin_prefetch(&table->slots[HomeSlot(table, StoredCheckBits(table, ahead))], 1);
      ahead = NextLine(table, ahead);
    }
    FileLine(table, at);
  }
  return true;
}

bool FindLookupName(const LookupTable* table, const wchar_t* name, wchar_t* newName, int capacity) {
  if (table == nullptr || table->slots == nullptr) return false;
  const uint32_t bits = CheckBits(LookupKeyOf(table->weights, name, static_cast<uint32_t>(WideLength(name))));
  for (uint32_t slot = HomeSlot(table, bits); table->slots[slot].offset != 0; slot = NextSlot(table, slot)) {
    if (table->slots[slot].bits != bits) continue;
    wchar_t oldName[kApplyPartCapacity];
    const uint8_t* next = TakeName(OldNameAt(table, table->slots[slot].offset), oldName, kApplyPartCapacity);
    if (!EqualsIgnoreCaseWide(oldName, name)) continue;
    TakeName(next, newName, capacity);
    return true;
  }
  return false;
}

uint64_t LookupTableBytes(const LookupTable* table) {
  return table->committed + static_cast<uint64_t>(table->slotCount) * sizeof(LookupSlot) + sizeof(LookupTable);
}

void HoldLookupTable(LookupTable* table) { InterlockedIncrement(&table->holds); }

void ReleaseLookupTable(LookupTable** table) {
  LookupTable* held = *table;
  *table = nullptr;
  if (held == nullptr || InterlockedDecrement(&held->holds) > 0) return;
  if (held->block != nullptr) VirtualFree(held->block, 0, MEM_RELEASE);
  FreeAndNull(&held->slots);
  FreeAndNull(&held);
}
