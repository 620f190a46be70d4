// The items of one delimited text (';' by default), 8-bit or wide. The list owns a copy of the text, split
// in place, and a buffer of pointers to its items.
#pragma once
#include <cstdint>

#include "foundation/core/record_buffer.h"

constexpr uint32_t kStringListInlineBytes = 4096;

struct StringList {
  StringList();
  ~StringList();
  StringList(const StringList&) = delete;
  StringList& operator=(const StringList&) = delete;

  bool wide;                                    // items are wide text, else 8-bit
  void* storage;                                // the inline area or a heap block
  uint8_t inlineStorage[kStringListInlineBytes];
  RecordBuffer items;                           // one pointer into the storage per item
};

// Builds the list from the text, dropping what the list held before. `charWidth` 1 reads 8-bit text, 2 wide
// text; separator 0 means ';'. The text ends at its first CR or LF. An item beginning with '"' or '\'' runs
// to the next same quote that stands before a separator or the end, and loses both quotes (separators
// inside are kept); without such a closing quote it is the rest of the text, opening quote included. Other
// items run to the next separator; two separators in a row give an empty item, a separator at the very end
// gives none. 0 on success; 8 when memory could not be had (the list is then empty).
int StringListSplit(StringList* list, const void* text, int charWidth, wchar_t separator);

// Number of items, 0 for a list without items.
int StringListGetCount(const StringList* list);

// Item `index` into a wide target; 8-bit items are read as UTF-8 when they are valid UTF-8, else in the
// active code page. 0, or -1 when the index is out of range.
int StringListGetItem(const StringList* list, int index, wchar_t* target, int capacity);

// The item's text as stored (char or wchar_t, as the list's width says); null when out of range.
const void* StringListItemPointer(const StringList* list, int index);

// Frees the storage and the pointer buffer; the list is empty afterwards.
void StringListDestroy(StringList* list);

// Converts the item with WideToAnsiOrUtf8 and appends it to a ';'-separated 8-bit list text as
// AppendDelimitedItemNarrow does. 0, minus the length of the addition when it does not fit, 8 without memory.
int AppendListItemQuoted(const wchar_t* item, char* text, int capacity);
