// Header lines of a message: the header block, lines by name, folded values and the recipient sources.
#include <cstring>

#include "foundation/text/bounded_text.h"
#include "metadata/mail_info.h"

namespace {

constexpr int kRecipientSourceCapacity = 4096;
constexpr char kRecipientHeader[] = "To:";
constexpr char kOriginalRecipientHeader[] = "X-Original-To:";
constexpr char kEnvelopeRecipientHeader[] = "Envelope-to:";
// The clause of a "Received:" line that names the recipient.
constexpr char kReceivedForClause[] = " for ";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

size_t LineEnd(const char* text, size_t length, size_t at) {
  while (at < length && !IsLineBreak(text[at])) ++at;
  return at;
}

// Passes one line break (CR LF, LF or CR).
size_t PassLineBreak(const char* text, size_t length, size_t at) {
  if (at < length && text[at] == '\r') ++at;
  if (at < length && text[at] == '\n') ++at;
  return at;
}

// A name compared ignoring case, its first letter tested first. A leading blank of the name stands for a
// blank or a tab.
struct NameMatcher {
  explicit NameMatcher(const char* name)
      : name(name), length(strlen(name)), upper(CharToUpperNarrow(name[0])), lower(CharToLowerNarrow(name[0])) {}

  bool MatchesAt(const char* text, size_t textLength, size_t at) const {
    if (textLength - at < length) return false;
    if (name[0] == ' ') return IsBlank(text[at]) && EqualsIgnoreCaseNarrow(text + at + 1, name + 1, Count() - 1);
    return (text[at] == upper || text[at] == lower) && EqualsIgnoreCaseNarrow(text + at, name, Count());
  }

  int Count() const { return static_cast<int>(length);
  }

  const char* name;
  size_t length;
  char upper;
  char lower;
};

// Copies a value from `at` up to its line break; each folded line that follows is joined with one blank.
int ReadHeaderValue(const char* text, size_t length, size_t at, char* out, int capacity) {
  while (at < length && IsBlank(text[at])) ++at;
  int used = 0;
  for (;;) {
    while (at < length && !IsLineBreak(text[at]) && used < capacity - 1) out[used++] = text[at++];
    if (used >= capacity - 1) break;
    at = PassLineBreak(text, length, at);
    if (at >= length || !IsBlank(text[at])) break;
    while (at < length && IsBlank(text[at])) ++at;
    if (used > 0 && used < capacity - 1) out[used++] = ' ';
  }
  out[used] = 0;
  return used;
}

// The value after a header name: it may begin on the next line when that line is folded.
int ReadValueAfterName(const char* text, size_t length, size_t at, char* out, int capacity) {
  if (at < length && text[at] == '\r') ++at;
  if (at < length && text[at] == '\n') {
    ++at;
    if (at >= length || !IsBlank(text[at])) return 0;
  }
  return ReadHeaderValue(text, length, at, out, capacity);
}

// The first line of the header block that begins (after blanks) with the name; an empty text without one.
int FindHeaderLine(const char* text, size_t length, const NameMatcher& name, char* out, int capacity) {
  out[0] = 0;
  for (size_t at = 0; at < length;) {
    while (at < length && IsBlank(text[at])) ++at;
    if (name.MatchesAt(text, length, at)) return ReadValueAfterName(text, length, at + name.length, out, capacity);
    at = PassLineBreak(text, length, LineEnd(text, length, at));
  }
  return 0;
}

// The rest of the line after the first occurrence of `name` anywhere in the header block, cut at the first
// ';', ',', blank or tab.
void FindMailTextValue(const char* text, size_t length, const char* name, char* out, int capacity) {
  const NameMatcher matcher(name);
  for (size_t at = 0; at < length; ++at) {
    if (!matcher.MatchesAt(text, length, at)) continue;
    ReadHeaderValue(text, length, at + matcher.length, out, capacity);
    out[strcspn(out, ";, \t")] = 0;
    return;
  }
}

void TrimRecipientEnd(char* value) {
  size_t length = strlen(value);
  while (length > 0 && strchr(";, :", value[length - 1]) != nullptr) value[--length] = 0;
}

// Adds the "X-Original-To:" address to the recipients unless they name it already.
void GetMailRecipient(const char* text, size_t length, char* recipients, int capacity) {
  char original[kRecipientSourceCapacity];
  FindHeaderLine(text, length, NameMatcher(kOriginalRecipientHeader), original, kRecipientSourceCapacity);
  if (original[0] == 0) return;
  const char* open = strchr(original, '<');
  const char* close = open != nullptr ? strchr(open + 1, '>') : nullptr;
  if (close != nullptr) {
    const size_t inner = static_cast<size_t>(close - open - 1);
    memmove(original, open + 1, inner);
    original[inner] = 0;
  }
  if (recipients[0] == 0) {
    CopyNarrowBounded(original, recipients, capacity);
    return;
  }
  if (FindTextNarrow(recipients, -1, original, true) >= 0) return;
  TrimRecipientEnd(recipients);
  const bool hasAddress = strchr(recipients, '@') != nullptr;
  const bool bracketed = !hasAddress || strchr(recipients, '<') != nullptr;
  AppendNarrowBounded(hasAddress ? ", " : " ", recipients, capacity);
  if (bracketed) AppendNarrowBounded(" <", recipients, capacity);
  AppendNarrowBounded(original, recipients, capacity);
  if (bracketed) AppendNarrowBounded(">", recipients, capacity);
}

// An empty "To:" takes the recipient the delivery recorded.
void CompleteRecipients(const char* text, size_t length, char* recipients, int capacity) {
  if (recipients[0] == 0) FindMailTextValue(text, length, kReceivedForClause, recipients, capacity);
  if (recipients[0] == 0) FindMailTextValue(text, length, kEnvelopeRecipientHeader, recipients, capacity);
  GetMailRecipient(text, length, recipients, capacity);
}

}  // namespace

size_t MailHeaderBlockLength(const char* text, size_t length) {
  size_t at = 0;
  while (at < length) {
    at = PassLineBreak(text, length, LineEnd(text, length, at));
    if (at < length && IsLineBreak(text[at])) return at;
  }
  return length;
}

int FindMailHeaderValue(const char* text, size_t length, const char* name, char* out, int capacity) {
  if (out == nullptr || capacity <= 0) return 0;
  out[0] = 0;
  if (text == nullptr || name == nullptr || name[0] == 0 || strlen(name) + 1 >= length) return 0;
  const size_t headers = MailHeaderBlockLength(text, length);
  FindHeaderLine(text, headers, NameMatcher(name), out, capacity);
  if (strcmp(name, kRecipientHeader) == 0) CompleteRecipients(text, headers, out, capacity);
  return static_cast<int>(strlen(out));
}
