// Display names of address headers ("From:", "To:", "Cc:").
#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "metadata/mail_info.h"

namespace {

void Trim(wchar_t* text) {
  TrimLeadingSpaces(text);
  TrimTrailingSpacesWide(text);
}

// Every doubled `c` becomes one.
void CollapseDoubled(wchar_t* text, wchar_t c) {
  wchar_t* write = text;
  for (const wchar_t* read = text; *read != 0; ++read) {
    if (read[0] == c && read[1] == c) ++read;
    *write++ = *read;
  }
  *write = 0;
}

// A ';' after the last '>' ends the list of addresses.
void CutAtLooseSemicolon(wchar_t* text) {
  const wchar_t* lastClose = wcsrchr(text, L'>');
  wchar_t* semicolon = wcschr(lastClose != nullptr ? lastClose : text, L';');
  if (semicolon != nullptr) *semicolon = 0;
}

// Removes every "<...>" with the blanks before it; true when there was one.
bool RemoveAddresses(wchar_t* text) {
  bool removed = false;
  wchar_t* write = text;
  for (const wchar_t* read = text; *read != 0;) {
    const wchar_t* close = *read == L'<' ? wcschr(read, L'>') : nullptr;
    if (close == nullptr) {
      *write++ = *read++;
      continue;
    }
    while (write > text && write[-1] == L' ') --write;
    read = close + 1;
    removed = true;
  }
  *write = 0;
  return removed;
}

// Removes every `c`; true when there was one.
bool RemoveAll(wchar_t* text, wchar_t c) {
  wchar_t* write = text;
  const wchar_t* read = text;
  for (; *read != 0; ++read)
    if (*read != c) *write++ = *read;
  *write = 0;
  return write != read;
}

void RemoveEnclosingQuotes(wchar_t* text) {
  const size_t length = wcslen(text);
  if (length < 2 || text[0] != L'\'' || text[length - 1] != L'\'') return;
  wmemmove(text, text + 1, length - 2);
  text[length - 2] = 0;
}

// The address between the first '<' and the following '>' of `source`, trimmed; false without one.
bool CopyBracketedAddress(const wchar_t* source, wchar_t* text) {
  const wchar_t* open = wcschr(source, L'<');
  const wchar_t* close = open != nullptr ? wcschr(open, L'>') : nullptr;
  if (close == nullptr) return false;
  const size_t length = static_cast<size_t>(close - open - 1);
  wmemmove(text, open + 1, length);
  text[length] = 0;
  Trim(text);
  return true;
}

// A quoted name before a bare address: "Doe" jd@x.org keeps the name; in a list the addresses between the
// first blank and the next separator go.
void DropBareAddress(wchar_t* text) {
  wchar_t* blank = wcschr(text, L' ');
  if (blank == nullptr) return;
  wchar_t* separator = wcschr(blank, L',');
  if (separator == nullptr) separator = wcschr(blank, L';');
  if (separator == nullptr) {
    *blank = 0;
    return;
  }
  wmemmove(blank + 1, separator + 1, wcslen(separator + 1) + 1);
}

void TrimListEnd(wchar_t* text) {
  TrimTrailingSpacesWide(text);
  const size_t length = wcslen(text);
  if (length > 0 && (text[length - 1] == L',' || text[length - 1] == L';')) text[length - 1] = 0;
  TrimTrailingSpacesWide(text);
}

// Nothing but addresses: the text after the first '<', its first '>' made a blank. Without a '<' the text
// stays empty.
void CopyFromFirstBracket(const wchar_t* source, wchar_t* text) {
  const wchar_t* open = wcschr(source, L'<');
  if (open == nullptr) return;
  CopyWideString(open + 1, text, kMailTextCapacity);
  wchar_t* close = wcschr(text, L'>');
  if (close != nullptr) *close = L' ';
  Trim(text);
}

bool IsSingleSymbol(const wchar_t* text) {
  return text[0] != 0 && text[0] < L'@' && (text[1] == 0 || text[1] == L',' || text[1] == L';');
}

}  // namespace

void ExtractMailDisplayName(wchar_t* text) {
  if (text == nullptr) return;
  CollapseDoubled(text, L'<');
  CollapseDoubled(text, L'>');
  CutAtLooseSemicolon(text);
  wchar_t input[kMailTextCapacity];
  CopyWideString(text, input, kMailTextCapacity);
  const bool hadAddress = RemoveAddresses(text);
  const bool hadQuotes = RemoveAll(text, L'"');
  Trim(text);
  RemoveEnclosingQuotes(text);
  if (IsSingleSymbol(text)) CopyBracketedAddress(input, text);
  if (text[0] == 0) CopyFromFirstBracket(input, text);
  if (hadQuotes && !hadAddress) DropBareAddress(text);
  TrimListEnd(text);
}
