#include "foundation/core/row_sort.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/core/name_order.h"

namespace {

// A chain of keys longer than this is taken as a key function that never ends its chain.
constexpr int kMaxSortKeys = 64;
constexpr int kInlineSortBytes = 42;
constexpr int kSortKeyCapacity = 8192;
constexpr uint16_t kEntryHasValue = 0x1;
constexpr uint16_t kEntryBytesInline = 0x2;

// A row's answer for the first key. A text stands as its sort key (or, where the system made none for some text
// of the sort, as the text itself): in the entry when it is short, so that the merges read what they compare in
// the order they walk the entries, else among the sort's kept bytes, with the key's beginning in the entry.
struct TextEntry {
  uint64_t value;  // the number, or where longer bytes lie among the kept bytes
  uint32_t offset;
  uint16_t groupRank;
  int16_t nextKeyId;
  int16_t valueType;
  uint16_t flags;
  uint16_t byteCount;  // of the sort key, or of the text with its terminator
  uint8_t bytes[kInlineSortBytes];
};
static_assert(sizeof(TextEntry) == 64, "a text entry fills one cache line");

// For sorts whose first key gives every row a number of one type: the merges move a quarter of the bytes.
struct NumberEntry {
  uint64_t value;  // a 32-bit number widened
  uint32_t offset;
  uint16_t groupRank;
  int16_t nextKeyId;
};
static_assert(sizeof(NumberEntry) == 16, "a number entry is 16 bytes");

struct SortContext {
  const uint8_t* block;
  SortKeyFunction keyFunction;
  void* caller;
  int16_t firstKey;
  int16_t textMode;
  bool descending;
  bool textsAsKeys;  // the first key's texts are kept as sort keys
  uint8_t* kept;     // bytes too long for their entries, one after another
  uint64_t keptUsed;
  uint64_t keptCapacity;
  SortKeyRequest a;
  SortKeyRequest b;
  uint8_t key[kSortKeyCapacity];
};

uint32_t RecordLength(const uint8_t* row) {
  uint16_t length;
  memcpy(&length, row, sizeof length);
  return length;
}

void StartRequest(SortKeyRequest* request, const SortContext* context, int16_t keyId, int16_t previousKeyId) {
  request->keyId = keyId;
  request->nextKeyId = previousKeyId;
  request->textMode = context->textMode;
  request->groupRank = 0;
  request->valueType = kSortNoValue;
  request->value = nullptr;
  request->caller = context->caller;
}

template <typename Number>
int CompareNumbers(const void* a, const void* b) {
  Number x, y;
  memcpy(&x, a, sizeof x);
  memcpy(&y, b, sizeof y);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareValues(int32_t type, const void* a, const void* b, int16_t textMode) {
  switch (type) {
    case kSortValueU32:
      return CompareNumbers<uint32_t>(a, b);
    case kSortValueU64:
      return CompareNumbers<uint64_t>(a, b);
    case kSortValueText:
      return CompareNamesNatural(static_cast<const wchar_t*>(a), static_cast<const wchar_t*>(b), textMode != 0);
    default:
      return 0;
  }
}

// One key's comparison: the group rank decides first, whatever the direction; a row without a value comes before
// one with a value (ascending), and two different types that both carry a value count as equal. `decided` tells
// whether the chain ends here.
int CompareAnswers(const SortContext* context, uint16_t rankA, uint16_t rankB, int32_t typeA, int32_t typeB,
                   bool bothHaveValues, int valueOrder, bool* decided) {
  *decided = true;
  if (rankA != rankB) return rankA > rankB ? -1 : 1;
  const bool reversed = context->descending && !(rankA & kSortRankIgnoresDescending);
  int order = 0;
  if (typeA != typeB) {
    order = typeB == kSortNoValue ? 1 : (typeA == kSortNoValue ? -1 : 0);
  } else if (bothHaveValues) {
    order = valueOrder;
    *decided = order != 0;
  }
  return reversed ? -order : order;
}

// Negative when row A comes first: the rows' keys from `keyId` on, to which the key function was led from
// `previousKeyId` (-1 for the sort's own key).
int CompareRowsFrom(SortContext* context, uint32_t offsetA, uint32_t offsetB, int16_t keyId, int16_t previousKeyId) {
  SortKeyRequest* a = &context->a;
  SortKeyRequest* b = &context->b;
  StartRequest(a, context, keyId, previousKeyId);
  StartRequest(b, context, keyId, previousKeyId);
  for (int pass = 0; pass < kMaxSortKeys; ++pass) {
    context->keyFunction(a, context->block + offsetA);
    context->keyFunction(b, context->block + offsetB);
    const bool values = a->value && b->value;
    const int valueOrder = values && a->valueType == b->valueType
                               ? CompareValues(a->valueType, a->value, b->value, context->textMode)
                               : 0;
    bool decided = false;
    const int order =
        CompareAnswers(context, a->groupRank, b->groupRank, a->valueType, b->valueType, values, valueOrder, &decided);
    if (decided) return order;
    if (a->nextKeyId < 0 || a->nextKeyId == a->keyId) return 0;
    a->keyId = a->nextKeyId;
    b->keyId = b->nextKeyId;
  }
  return 0;
}

const uint8_t* KeptBytes(const SortContext* context, const TextEntry& entry) {
  return (entry.flags & kEntryBytesInline) ? entry.bytes : context->kept + entry.value;
}

// Sort keys differ mostly within the first bytes that every entry holds; the kept whole keys decide the rest.
int CompareSortKeys(const SortContext* context, const TextEntry& a, const TextEntry& b) {
  const int prefix = std::min({static_cast<int>(a.byteCount), static_cast<int>(b.byteCount), kInlineSortBytes});
  const int order = memcmp(a.bytes, b.bytes, static_cast<size_t>(prefix));
  if (order != 0) return order < 0 ? -1 : 1;
  return CompareNameSortKeys(KeptBytes(context, a), a.byteCount, KeptBytes(context, b), b.byteCount);
}

int CompareKeptValues(const SortContext* context, const TextEntry& a, const TextEntry& b) {
  if (a.valueType != kSortValueText) return CompareValues(a.valueType, &a.value, &b.value, context->textMode);
  if (context->textsAsKeys) return CompareSortKeys(context, a, b);
  return CompareNamesNatural(reinterpret_cast<const wchar_t*>(KeptBytes(context, a)),
                             reinterpret_cast<const wchar_t*>(KeptBytes(context, b)), context->textMode != 0);
}

// The kept answers first; rows equal in them go on along the key chain.
int CompareEntries(SortContext* context, const NumberEntry& a, const NumberEntry& b) {
  const int valueOrder = a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
  bool decided = false;
  const int order = CompareAnswers(context, a.groupRank, b.groupRank, 0, 0, true, valueOrder, &decided);
  if (decided) return order;
  if (a.nextKeyId < 0 || a.nextKeyId == context->firstKey) return 0;
  return CompareRowsFrom(context, a.offset, b.offset, a.nextKeyId, a.nextKeyId);
}

int CompareEntries(SortContext* context, const TextEntry& a, const TextEntry& b) {
  const bool values = (a.flags & b.flags & kEntryHasValue) != 0;
  const int valueOrder = values && a.valueType == b.valueType ? CompareKeptValues(context, a, b) : 0;
  bool decided = false;
  const int order = CompareAnswers(context, a.groupRank, b.groupRank, a.valueType, b.valueType, values, valueOrder,
                                   &decided);
  if (decided) return order;
  if (a.nextKeyId < 0 || a.nextKeyId == context->firstKey) return 0;
  return CompareRowsFrom(context, a.offset, b.offset, a.nextKeyId, a.nextKeyId);
}

// Keeps bytes for the entry: their beginning in the entry, all of them among the kept bytes when they do not fit
// there; false without memory.
bool KeepBytes(SortContext* context, const void* bytes, uint32_t count, TextEntry* entry) {
  entry->byteCount = static_cast<uint16_t>(count);
  memcpy(entry->bytes, bytes, std::min<uint32_t>(count, kInlineSortBytes));
  if (count <= kInlineSortBytes) {
    entry->flags |= kEntryBytesInline;
    return true;
  }
  if (context->keptUsed + count > context->keptCapacity) {
    const uint64_t capacity = std::max(2 * context->keptCapacity, context->keptUsed + count);
    if (capacity > UINT32_MAX) return false;
    auto* grown = static_cast<uint8_t*>(AllocZeroed(static_cast<uint32_t>(capacity)));
    if (!grown) return false;
    if (context->kept) memcpy(grown, context->kept, context->keptUsed);
    FreeAndNull(&context->kept);
    context->kept = grown;
    context->keptCapacity = capacity;
  }
  memcpy(context->kept + context->keptUsed, bytes, count);
  entry->value = context->keptUsed;
  context->keptUsed += count;
  return true;
}

enum class Kept { kDone, kFailed, kNoSortKey };

// A text's sort key, or the text itself once some text had no sort key.
Kept KeepText(SortContext* context, const wchar_t* text, TextEntry* entry) {
  if (!context->textsAsKeys) {
    const uint64_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    if (bytes > UINT16_MAX) return Kept::kFailed;
    return KeepBytes(context, text, static_cast<uint32_t>(bytes), entry) ? Kept::kDone : Kept::kFailed;
  }
  const int length = MakeNameSortKey(text, context->textMode != 0, context->key, kSortKeyCapacity);
  if (length <= 0) return Kept::kNoSortKey;
  return KeepBytes(context, context->key, static_cast<uint32_t>(length), entry) ? Kept::kDone : Kept::kFailed;
}

// The entry of the row at `offset` with the key function's answer for the first key.
Kept PrepareEntry(SortContext* context, uint32_t offset, TextEntry* entry) {
  SortKeyRequest* request = &context->a;
  StartRequest(request, context, context->firstKey, -1);
  context->keyFunction(request, context->block + offset);
  entry->offset = offset;
  entry->groupRank = request->groupRank;
  entry->nextKeyId = request->nextKeyId;
  entry->valueType = static_cast<int16_t>(request->valueType);
  entry->flags = request->value ? kEntryHasValue : 0;
  if (!request->value) return Kept::kDone;
  switch (request->valueType) {
    case kSortValueU32:
      memcpy(&entry->value, request->value, sizeof(uint32_t));
      return Kept::kDone;
    case kSortValueU64:
      memcpy(&entry->value, request->value, sizeof(uint64_t));
      return Kept::kDone;
    case kSortValueText:
      return KeepText(context, static_cast<const wchar_t*>(request->value), entry);
    default:
      return Kept::kDone;
  }
}

// The rows in the order of their offsets. Each asks for the bytes a few rows ahead, so that they arrive while
// the rows before them are read.
constexpr uint32_t kPrefetchBytes = 4096;

Kept PrepareAll(SortContext* context, const RowSort& sort, TextEntry* entries) {
  for (uint32_t i = 0; i < sort.count; ++i) {
    const uint32_t offset = sort.offsets[i];
    if (offset > sort.blockBytes || sort.blockBytes - offset < sizeof(uint16_t)) return Kept::kFailed;
    if (sort.blockBytes - offset > kPrefetchBytes + 64) {
      __builtin_prefetch(sort.block + offset + kPrefetchBytes);
      __builtin_prefetch(sort.block + offset + kPrefetchBytes + 64);
    }
    const uint32_t length = RecordLength(sort.block + offset);
    if (length < sizeof(uint16_t) || length > sort.blockBytes - offset) return Kept::kFailed;
    const Kept kept = PrepareEntry(context, offset, &entries[i]);
    if (kept != Kept::kDone) return kept;
  }
  return Kept::kDone;
}

// Texts as sort keys, or all as texts when one has none.
bool PrepareEntries(SortContext* context, const RowSort& sort, TextEntry* entries) {
  context->textsAsKeys = true;
  Kept kept = PrepareAll(context, sort, entries);
  if (kept == Kept::kNoSortKey) {
    context->textsAsKeys = false;
    context->keptUsed = 0;
    kept = PrepareAll(context, sort, entries);
  }
  return kept == Kept::kDone;
}

// Every row has a number of one type: the number entries hold all the first key tells.
bool AllNumbersOfOneType(const TextEntry* entries, uint32_t count) {
  const int16_t type = entries[0].valueType;
  if (type != kSortValueU32 && type != kSortValueU64) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (entries[i].valueType != type || !(entries[i].flags & kEntryHasValue)) return false;
  }
  return true;
}

// The entries as number entries in the same memory; each is read before anything is written over it.
NumberEntry* ShrinkToNumbers(TextEntry* entries, uint32_t count) {
  auto* numbers = reinterpret_cast<NumberEntry*>(entries);
  for (uint32_t i = 0; i < count; ++i) {
    const TextEntry& entry = entries[i];
    const NumberEntry number = {entry.value, entry.offset, entry.groupRank, entry.nextKeyId};
    numbers[i] = number;
  }
  return numbers;
}

template <typename Entry>
void MergeRuns(const Entry* from, Entry* to, uint32_t left, uint32_t middle, uint32_t right, SortContext* context) {
  uint32_t i = left;
  uint32_t j = middle;
  uint32_t k = left;
  while (i < middle && j < right) to[k++] = CompareEntries(context, from[j], from[i]) < 0 ? from[j++] : from[i++];
  while (i < middle) to[k++] = from[i++];
  while (j < right) to[k++] = from[j++];
}

// A bottom-up merge sort of the entries; the array that holds the result. Its loops are bounded by the arrays
// whatever the comparison answers, so a key function whose answers contradict each other cannot make it read or
// write outside them. Equal rows keep their order.
template <typename Entry>
Entry* MergeSort(Entry* entries, Entry* spare, uint32_t count, SortContext* context) {
  Entry* from = entries;
  Entry* to = spare;
  for (uint64_t width = 1; width < count; width *= 2) {
    for (uint64_t left = 0; left < count; left += 2 * width) {
      const auto middle = static_cast<uint32_t>(std::min<uint64_t>(left + width, count));
      const auto right = static_cast<uint32_t>(std::min<uint64_t>(left + 2 * width, count));
      MergeRuns(from, to, static_cast<uint32_t>(left), middle, right, context);
    }
    std::swap(from, to);
  }
  return from;
}

// Number entries go by their digits: the eight bytes of the number (its complement where the direction turns
// the order) from the lowest, then the two bytes of the complemented rank, so that higher ranks come first.
constexpr int kRadixPasses = 10;
constexpr int kNumberBytes = 8;

uint32_t DigitOf(const SortContext* context, const NumberEntry& entry, int pass) {
  if (pass >= kNumberBytes) return (static_cast<uint16_t>(~entry.groupRank) >> (8 * (pass - kNumberBytes))) & 0xFF;
  const bool reversed = context->descending && !(entry.groupRank & kSortRankIgnoresDescending);
  return ((reversed ? ~entry.value : entry.value) >> (8 * pass)) & 0xFF;
}

// A stable radix sort, which passes over the entries a fixed number of times whatever their count; a digit that
// every entry shares costs no pass. The array that holds the result.
NumberEntry* RadixSort(const SortContext* context, NumberEntry* from, NumberEntry* to, uint32_t count) {
  for (int pass = 0; pass < kRadixPasses; ++pass) {
    uint32_t starts[256] = {};
    for (uint32_t i = 0; i < count; ++i) ++starts[DigitOf(context, from[i], pass)];
    if (starts[DigitOf(context, from[0], pass)] == count) continue;
    uint32_t position = 0;
    for (uint32_t& start : starts) {
      const uint32_t bucket = start;
      start = position;
      position += bucket;
    }
    for (uint32_t i = 0; i < count; ++i) to[starts[DigitOf(context, from[i], pass)]++] = from[i];
    std::swap(from, to);
  }
  return from;
}

// Rows with the same rank and number are put in order by the rest of the key chain.
void OrderTies(SortContext* context, NumberEntry* sorted, NumberEntry* spare, uint32_t count) {
  for (uint32_t first = 0, end = 0; first < count; first = end) {
    end = first + 1;
    while (end < count && sorted[end].value == sorted[first].value && sorted[end].groupRank == sorted[first].groupRank) {
      ++end;
    }
    if (end - first < 2) continue;
    const NumberEntry* run = MergeSort(sorted + first, spare + first, end - first, context);
    if (run != sorted + first) memcpy(sorted + first, run, (end - first) * sizeof(NumberEntry));
  }
}

template <typename Entry>
void CopyOffsets(const Entry* entries, uint32_t count, uint32_t* sorted) {
  for (uint32_t i = 0; i < count; ++i) sorted[i] = entries[i].offset;
}

// Rows listed in their order (a folder's names come sorted from most file systems) take one comparison each
// instead of a merge sort's: no row comes before the one above it.
bool EntriesInOrder(SortContext* context, const TextEntry* entries, uint32_t count) {
  for (uint32_t i = 1; i < count; ++i) {
    if (CompareEntries(context, entries[i], entries[i - 1]) < 0) return false;
  }
  return true;
}

bool SortEntries(SortContext* context, const RowSort& sort, TextEntry* entries, uint32_t* sorted) {
  if (!PrepareEntries(context, sort, entries)) return false;
  const uint32_t count = sort.count;
  if (AllNumbersOfOneType(entries, count)) {
    NumberEntry* numbers = ShrinkToNumbers(entries, count);
    NumberEntry* ordered = RadixSort(context, numbers, numbers + count, count);
    OrderTies(context, ordered, ordered == numbers ? numbers + count : numbers, count);
    CopyOffsets(ordered, count, sorted);
  } else if (EntriesInOrder(context, entries, count)) {
    CopyOffsets(entries, count, sorted);
  } else {
    CopyOffsets(MergeSort(entries, entries + count, count, context), count, sorted);
  }
  return true;
}

// The probe: the key function sees no row, and may refuse the key or choose the text mode for the sort.
bool ProbeSortKey(SortContext* context) {
  SortKeyRequest* probe = &context->a;
  StartRequest(probe, context, context->firstKey, -1);
  const bool answered = GuardedCall(false, [&] {
    context->keyFunction(probe, nullptr);
    return true;
  });
  context->textMode = probe->textMode;
  return answered && probe->keyId >= 0;
}

}  // namespace

bool SortRowOffsets(const RowSort& sort, uint32_t* sorted) {
  if (!sort.block || !sort.offsets || !sort.keyFunction || !sorted || sort.count == 0) return false;
  const uint64_t bytes = 2 * static_cast<uint64_t>(sort.count) * sizeof(TextEntry);
  if (bytes > UINT32_MAX) return false;
  auto* context = static_cast<SortContext*>(AllocZeroed(sizeof(SortContext)));
  auto* entries = static_cast<TextEntry*>(AllocZeroed(static_cast<uint32_t>(bytes)));
  bool done = false;
  if (context && entries) {
    context->block = sort.block;
    context->keyFunction = sort.keyFunction;
    context->caller = sort.caller;
    context->firstKey = sort.firstKey;
    context->descending = sort.descending;
    done = ProbeSortKey(context) && GuardedCall(false, [&] { return SortEntries(context, sort, entries, sorted); });
  }
  if (context) FreeAndNull(&context->kept);
  FreeAndNull(&context);
  FreeAndNull(&entries);
  return done;
}
