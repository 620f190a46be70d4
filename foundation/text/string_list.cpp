#include "foundation/text/string_list.h"

#include <cstring>

#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/text/text_encoding.h"
#include "foundation/text/text_operations.h"

namespace {

constexpr int kNotEnoughMemory = 8;

template <typename Char>
size_t FirstLineLength(const Char* text) {
  size_t length = 0;
  while (text[length] != 0 && text[length] != '\r' && text[length] != '\n') ++length;
  return length;
}

// Where a quoted item that begins at `open` closes: the next same quote standing before a separator or the
// end; `length` when there is none.
template <typename Char>
size_t ClosingQuote(const Char* text, size_t open, size_t length, Char separator) {
  for (size_t j = open + 1; j < length; ++j) {
    if (text[j] == text[open] && (j + 1 == length || text[j + 1] == separator)) return j;
  }
  return length;
}

template <typename Char>
int SplitItems(StringList* list, const Char* text, Char separator) {
  const size_t length = FirstLineLength(text);
  if (length == 0) return 0;
  const size_t bytes = (length + 1) * sizeof(Char);
  void* storage = list->inlineStorage;
  if (bytes > kStringListInlineBytes) {
    storage = bytes > UINT32_MAX ? nullptr : AllocZeroed(static_cast<uint32_t>(bytes));
    if (storage == nullptr) return kNotEnoughMemory;
  }
  list->storage = storage;
  Char* copy = static_cast<Char*>(storage);
  memcpy(copy, text, length * sizeof(Char));
  copy[length] = 0;
  for (size_t i = 0; i < length;) {
    Char* item = copy + i;
    if (copy[i] == '"' || copy[i] == '\'') {
      const size_t close = ClosingQuote(copy, i, length, separator);
      if (close < length) {
        copy[close] = 0;
        item = copy + i + 1;
        i = close + 2;
      } else {
        i = length;
      }
    } else {
      size_t end = i;
      while (end < length && copy[end] != separator) ++end;
      copy[end] = 0;
      i = end + 1;
    }
    if (RecordBufferAppend(&list->items, &item, sizeof item) != 0) {
      StringListDestroy(list);
      return kNotEnoughMemory;
    }
  }
  return 0;
}

}  // namespace

StringList::StringList() : wide(false), storage(nullptr) {
  // The pointer buffer is private to the list and never painted from, so it grows where it is used.
  RecordBufferInit(&items, true);
}

StringList::~StringList() { StringListDestroy(this); }

int StringListSplit(StringList* list, const void* text, int charWidth, wchar_t separator) {
  if (list == nullptr) return 0;
  StringListDestroy(list);
  list->wide = charWidth == 2;
  if (text == nullptr) return 0;
  if (separator == 0) separator = L';';
  if (list->wide) return SplitItems(list, static_cast<const wchar_t*>(text), separator);
  return SplitItems(list, static_cast<const char*>(text), static_cast<char>(separator));
}

int StringListGetCount(const StringList* list) {
  return list == nullptr ? 0 : static_cast<int>(RecordBufferCount(&list->items));
}

const void* StringListItemPointer(const StringList* list, int index) {
  if (index < 0 || index >= StringListGetCount(list)) return nullptr;
  const void* item = nullptr;
  memcpy(&item, RecordBufferData(&list->items) + static_cast<size_t>(index) * sizeof item, sizeof item);
  return item;
}

int StringListGetItem(const StringList* list, int index, wchar_t* target, int capacity) {
  if (target != nullptr && capacity > 0) target[0] = 0;
  const void* item = StringListItemPointer(list, index);
  if (item == nullptr) return -1;
  if (list->wide) {
    CopyWideBounded(static_cast<const wchar_t*>(item), target, capacity);
  } else if (IsValidUtf8(item, -1)) {
    Utf8ToWideBounded(static_cast<const char*>(item), target, capacity);
  } else {
    MultiByteToWideBounded(static_cast<const char*>(item), target, capacity, CP_ACP);
  }
  return 0;
}

void StringListDestroy(StringList* list) {
  if (list == nullptr) return;
  if (list->storage != list->inlineStorage) FreeAndNull(&list->storage);
  list->storage = nullptr;
  const bool growHere = list->items.growHere != 0;
  RecordBufferDestroy(&list->items);
  RecordBufferInit(&list->items, growHere);
}

int AppendListItemQuoted(const wchar_t* item, char* text, int capacity) {
  InlineTextBuffer converted;
  InitInlineTextBuffer(&converted);
  const char* narrow = WideToAnsiOrUtf8(item, &converted);
  const int result = narrow == nullptr ? kNotEnoughMemory : AppendDelimitedItemNarrow(narrow, text, capacity);
  ReleaseInlineTextBuffer(&converted);
  return result;
}
