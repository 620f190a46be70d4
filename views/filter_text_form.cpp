#include "views/filter_text_form.h"

#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/text/packed_date.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/string_list.h"
#include "foundation/text/text_sizes.h"

namespace {

constexpr int kInvalidParameter = 87;
constexpr int kNotEnoughMemory = 8;
constexpr int kTextTooLong = 122;
constexpr int kItemCapacity = 4096;
constexpr wchar_t kByteOrderMark = 0xFEFF;

// A unit letter is kept only when it is plain ASCII; anything else cannot be a unit.
uint8_t UnitOf(const wchar_t* item) { return item[1] < 0x80 ? static_cast<uint8_t>(item[1]) : 0; }

const wchar_t* ValueOf(const wchar_t* item) { return item[1] == 0 ? item + 1 : item + 2; }

void ApplyAttributeLetters(const wchar_t* letters, FilterRecord* record) {
  for (; *letters != 0; ++letters) {
    wchar_t letter = *letters;
    uint16_t* word = &record->lower.attributes;
    if (letter >= L'a' && letter <= L'z') {
      letter = static_cast<wchar_t>(letter - L'a' + L'A');
      word = &record->upper.attributes;
    }
    const char* found = letter < 0x80 && letter != 0 ? strchr(kFilterAttributeLetters, letter) : nullptr;
    if (found != nullptr) *word |= kFilterAttributeBits[found - kFilterAttributeLetters];
  }
}

void ApplyDateItem(const wchar_t* item, FilterHalf* half) {
  half->dateUnit = UnitOf(item);
  const int64_t number = wcstoll(ValueOf(item), nullptr, 10);
  if (half->dateUnit != 'D' && half->dateUnit != 'T') {
    half->dateValue = static_cast<uint64_t>(number);
    return;
  }
  FILETIME time;
  half->dateValue = PackedDateTimeToFileTime(static_cast<PackedDateTime>(number), &time) ? FileTimeToUInt64(time) : 0;
}

void ApplySizeItem(const wchar_t* item, FilterHalf* half) {
  half->sizeUnit = UnitOf(item);
  half->sizeValue = wcstoull(ValueOf(item), nullptr, 10);
}

void ApplyItem(const wchar_t* item, FilterRecord* record, FilterHalf** current) {
  switch (item[0]) {
    case L'w': record->mode = kFilterModeLastWrite; break;
    case L'c': record->mode = kFilterModeCreation; break;
    case L'r': record->mode = kFilterModeLastAccess; break;
    case L'a': ApplyAttributeLetters(item + 1, record); break;
    case L'-':
      *current = &record->upper;
      CopyWideString(item + 1, (*current)->masks, kFilterMaskCapacity);
      break;
    case L'+': CopyWideString(item + 1, (*current)->masks, kFilterMaskCapacity); break;
    case L'd': ApplyDateItem(item, *current); break;
    case L'l': ApplySizeItem(item, *current); break;
    default: break;
  }
}

// Builds one item in wide text before it is added to the list text.
struct ItemText {
  wchar_t text[kFilterMaskCapacity + 8];

  explicit ItemText(wchar_t kind) {
    text[0] = kind;
    text[1] = 0;
  }
  void Add(const wchar_t* more) { AppendWideBounded(more, text, static_cast<int>(sizeof text / sizeof *text)); }
  void Add(wchar_t c) {
    const wchar_t one[2] = {c, 0};
    Add(one);
  }
  void AddUnsigned(uint64_t value) {
    wchar_t digits[kNumberTextCapacity];
    UInt64ToWideDecimal(&value, digits, kNumberTextCapacity);
    Add(digits);
  }
  void AddSigned(int64_t value) {
    if (value < 0) Add(L'-');
    AddUnsigned(value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value));
  }
};

// Appends items one by one and remembers the first failure; later items are then skipped.
struct ListText {
  char* text;
  int capacity;
  int result = 0;

  void Append(const ItemText& item) {
    if (result != 0) return;
    const int appended = AppendListItemQuoted(item.text, text, capacity);
    if (appended != 0) result = appended < 0 ? kTextTooLong : appended;
  }
};

ItemText AttributeItem(const FilterRecord& record) {
  ItemText item(L'a');
  for (int i = 0; kFilterAttributeLetters[i] != 0; ++i) {
    const wchar_t letter = static_cast<wchar_t>(kFilterAttributeLetters[i]);
    // A bit in both words is written with both letters, so that reading the text gives both back.
    if ((record.lower.attributes & kFilterAttributeBits[i]) != 0) item.Add(letter);
    if ((record.upper.attributes & kFilterAttributeBits[i]) != 0) item.Add(static_cast<wchar_t>(letter - L'A' + L'a'));
  }
  return item;
}

ItemText DateItem(const FilterHalf& half) {
  ItemText item(L'd');
  item.Add(static_cast<wchar_t>(half.dateUnit));
  if (half.dateUnit == 'D' || half.dateUnit == 'T') {
    const FILETIME time = UInt64ToFileTime(half.dateUnit == 'T' ? ReduceToTimeOfDay(half.dateValue) : half.dateValue);
    item.AddSigned(static_cast<int64_t>(FileTimeToPackedDateTime(&time)));
  } else {
    item.AddSigned(static_cast<int64_t>(half.dateValue));
  }
  return item;
}

ItemText SizeItem(const FilterHalf& half) {
  ItemText item(L'l');
  item.Add(static_cast<wchar_t>(half.sizeUnit));
  item.AddUnsigned(half.sizeValue);
  return item;
}

void AppendHalf(const FilterHalf& half, wchar_t kind, ListText* list) {
  ItemText masks(kind);
  masks.Add(half.masks);
  list->Append(masks);
  if (half.dateUnit != 0) list->Append(DateItem(half));
  if (half.sizeUnit != 0) list->Append(SizeItem(half));
}

}  // namespace

int ParseFilterDefinition(FilterRecord* record, const char* text) {
  if (record == nullptr) return kInvalidParameter;
  memset(record, 0, sizeof *record);
  if (text == nullptr || text[0] == 0) return 0;
  StringList items;
  const int split = StringListSplit(&items, text, 1, 0);
  if (split != 0) return split;
  FilterHalf* current = &record->lower;
  wchar_t item[kItemCapacity];
  for (int i = 0; i < StringListGetCount(&items); ++i) {
    StringListGetItem(&items, i, item, kItemCapacity);
    // An item stored as UTF-8 carries the byte-order mark in front of its text.
    ApplyItem(item[0] == kByteOrderMark ? item + 1 : item, record, &current);
  }
  return 0;
}

int FormatFilterDefinition(const FilterRecord* record, char* text, int capacity) {
  if (record == nullptr || text == nullptr || capacity <= 0) return kInvalidParameter;
  text[0] = 0;
  ListText list{text, capacity};
  if (record->mode == kFilterModeCreation) list.Append(ItemText(L'c'));
  if (record->mode == kFilterModeLastAccess) list.Append(ItemText(L'r'));
  if (record->lower.attributes != 0 || record->upper.attributes != 0) list.Append(AttributeItem(*record));
  AppendHalf(record->lower, L'+', &list);
  AppendHalf(record->upper, L'-', &list);
  if (list.result != 0) text[0] = 0;
  return list.result;
}

int LoadFilterDefinition(FilterRecord* record, const char* section, const char* key) {
  char text[kFilterTextCapacity];
  ProfileGetString(&g_settingsStore, section, key, "", text, kFilterTextCapacity);
  return ParseFilterDefinition(record, text);
}

int SaveFilterDefinition(FilterRecord* record, const char* section, const char* key) {
  if (record == nullptr) return kInvalidParameter;
  for (FilterHalf* half : {&record->lower, &record->upper}) {
    if (half->dateUnit == 'T' && half->dateValue != 0) half->dateValue = ReduceToTimeOfDay(half->dateValue);
  }
  char text[kFilterTextCapacity];
  const int result = FormatFilterDefinition(record, text, kFilterTextCapacity);
  if (result == 0) ProfileSetString(&g_settingsStore, section, key, text);
  return result;
}
