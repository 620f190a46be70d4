#include "foundation/text/text_operations.h"

#include <cwctype>

#include "foundation/text/bounded_text.h"
#include "foundation/text/string_list.h"
#include "foundation/text/text_encoding.h"

namespace {

constexpr wchar_t kEuroSign = 0x20AC;

template <typename Char>
bool NeedsQuotes(const Char* item) {
  for (; *item != 0; ++item) {
    if (*item == ';' || *item == '"') return true;
  }
  return false;
}

template <typename Char>
int AppendDelimited(const Char* item, Char* text, int capacity, int (*append)(const Char*, Char*, int)) {
  static const Char kEmpty[] = {0};
  static const Char kSeparator[] = {';', 0};
  static const Char kQuote[] = {'"', 0};
  if (text == nullptr || capacity <= 0) return 0;
  if (item == nullptr) item = kEmpty;
  size_t used = 0;
  while (used + 1 < static_cast<size_t>(capacity) && text[used] != 0) ++used;
  text[used] = 0;
  size_t itemLength = 0;
  while (item[itemLength] != 0) ++itemLength;
  const bool quoted = NeedsQuotes(item);
  const bool startsList = used == 0 || (used == 1 && text[0] == ';');
  // An empty first item is written as a lone ';' so that the list still shows it.
  const bool separator = !startsList || (used == 0 && itemLength == 0);
  const size_t addition = (separator ? 1 : 0) + itemLength + (quoted ? 2 : 0);
  if (used + addition >= static_cast<size_t>(capacity)) return -static_cast<int>(addition);
  if (separator) append(kSeparator, text, capacity);
  if (quoted) append(kQuote, text, capacity);
  append(item, text, capacity);
  if (quoted) append(kQuote, text, capacity);
  return 0;
}

}  // namespace

int WordSeparatorClass(wchar_t c) {
  if (c == L'\'' || c == L'_') return 0;
  if (c == kEuroSign) return 101;
  if (c < 256 && (c < 0x30 || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0xBF)))
    return 1;
  if (iswspace(c) || iswpunct(c)) return 2;
  return 0;
}

int AppendDelimitedItemNarrow(const char* item, char* text, int capacity) {
  return AppendDelimited(item, text, capacity, AppendNarrowBounded);
}
