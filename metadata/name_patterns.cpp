#include "metadata/name_patterns.h"

#include <cwchar>

#include "foundation/files/paths.h"
#include "foundation/text/bounded_text.h"

namespace {

void AppendCharacter(wchar_t c, wchar_t* text, int* length) {
  if (*length >= kPatternCapacity - 1) return;
  text[(*length)++] = c;
  text[*length] = 0;
}

// The reference that a quote at `quote` opens, into `reference`; null when it has no closing quote.
const wchar_t* QuotedReference(const wchar_t* quote, wchar_t* reference) {
  const wchar_t* close = wcschr(quote + 1, L'"');
  if (close == nullptr || close - quote - 1 >= kPatternCapacity) return nullptr;
  wmemcpy(reference, quote + 1, static_cast<size_t>(close - quote - 1));
  reference[close - quote - 1] = 0;
  return close;
}

}  // namespace

int ExpandNamePattern(const wchar_t* pattern, bool failOnEmpty, NameFieldReader read, void* context, wchar_t* out,
                      int capacity) {
  if (pattern == nullptr || read == nullptr) return 0;
  wchar_t result[kPatternCapacity] = {};
  int length = 0;
  for (const wchar_t* at = pattern; *at != 0;) {
    if (*at != L'"') {
      AppendCharacter(*at++, result, &length);
      continue;
    }
    wchar_t reference[kPatternCapacity];
    wchar_t value[kPatternCapacity] = {};
    const wchar_t* close = QuotedReference(at, reference);
    if (close == nullptr || !read(reference, value, context)) {
      ++at;
      continue;
    }
    at = close + 1;
    if (value[0] == 0 && failOnEmpty) return -1;
    AppendWideBounded(value, result, kPatternCapacity);
    length = static_cast<int>(WideLength(result));
  }
  if (result[0] == 0) return 0;
  ReplaceInvalidFileNameChars(result);
  CopyWideString(result, out, capacity);
  return 0;
}
