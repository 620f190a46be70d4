#include "engine/module_text_form.h"

#include <cstdint>
#include <cwchar>

#include "engine/module_contract.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"

namespace {

constexpr wchar_t kQuote = L'"';
constexpr wchar_t kBackslash = L'\\';
constexpr int kCommentRefused = 1;
constexpr int kCommentMissingInput = 101;

// Characters written one by one into a fixed-capacity buffer that stays terminated. Once a character does
// not fit, nothing more is taken.
struct TextSink {
  wchar_t* out;
  int capacity;
  int used;
  bool full;

  TextSink(wchar_t* target, int targetCapacity) : out(target), capacity(targetCapacity), used(0), full(false) {
    out[0] = 0;
  }

  void Put(wchar_t c) {
    if (full || used + 1 >= capacity) {
      full = true;
      return;
    }
    out[used++] = c;
    out[used] = 0;
  }

  void Repeat(wchar_t c, size_t count) {
    for (size_t i = 0; i < count; ++i) Put(c);
  }
};

size_t RunLength(const wchar_t* text, wchar_t c, size_t limit = SIZE_MAX) {
  size_t length = 0;
  while (length < limit && text[length] == c) ++length;
  return length;
}

bool EndsValue(wchar_t c) { return c == L',' || c == L';' || c == L'>' || c == 0; }

enum class QuotedRead { kRead, kTooLong, kNotClosed };

// The quoted value opening at `open`: a run of 2n backslashes before a quote stands for n backslashes and
// the closing quote, a run of 2n + 1 for n backslashes and a quote inside the value. The closing quote must
// be followed by the end of the value. The scan goes on when the value no longer fits, so that a value too long
// is told from one that is not closed.
QuotedRead DecodeQuoted(const wchar_t* open, wchar_t quote, TextSink* sink, const wchar_t** after) {
  const wchar_t* p = open + 1;
  while (*p != 0) {
    const size_t run = RunLength(p, kBackslash);
    if (p[run] != quote) {
      sink->Repeat(kBackslash, run);
      if (run == 0) sink->Put(*p);
      p += run == 0 ? 1 : run;
    } else {
      sink->Repeat(kBackslash, run / 2);
      p += run + 1;
      if (run % 2 == 0) {
        *after = p;
        if (!EndsValue(*p)) return QuotedRead::kNotClosed;
        return sink->full ? QuotedRead::kTooLong : QuotedRead::kRead;
      }
      sink->Put(quote);
    }
  }
  return QuotedRead::kNotClosed;
}

// Older versions wrote a value ending in a backslash with a plain backslash before the closing quote; their
// reader ended the value at the first quote after the opening one, within capacity - 2 characters.
const wchar_t* ReadQuotedAsBefore(const wchar_t* open, wchar_t quote, wchar_t* out, int capacity) {
  const wchar_t* close = wcschr(open + 1, quote);
  if (close == nullptr || close - open > capacity - 2) return nullptr;
  TextSink sink(out, capacity);
  for (const wchar_t* p = open + 1; p < close; ++p) sink.Put(*p);
  return close + 1;
}

const wchar_t* ReadQuoted(const wchar_t* open, wchar_t quote, wchar_t* out, int capacity) {
  TextSink sink(out, capacity);
  const wchar_t* after = nullptr;
  switch (DecodeQuoted(open, quote, &sink, &after)) {
    case QuotedRead::kRead:
      return after;
    case QuotedRead::kTooLong:
      out[0] = 0;
      return nullptr;
    case QuotedRead::kNotClosed:
      break;
  }
  return ReadQuotedAsBefore(open, quote, out, capacity);
}

const wchar_t* ReadPlain(const wchar_t* position, wchar_t* out, int capacity) {
  TextSink sink(out, capacity);
  for (const wchar_t* p = position; *p != 0; ++p) {
    if (*p == L';' || *p == L'>') return p;
    sink.Put(*p);
    if (sink.full) break;
  }
  out[0] = 0;
  return nullptr;
}

bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

// The comment's written form: quoted, each line break as '\' 'n', and a backslash run before an 'n' or a line
// break doubled so that it does not read as one.
void EncodeComment(const wchar_t* comment, TextSink* sink) {
  sink->Put(kQuote);
  for (const wchar_t* p = comment; *p != 0;) {
    if (*p == kBackslash) {
      const size_t run = RunLength(p, kBackslash);
      const wchar_t next = p[run];
      sink->Repeat(kBackslash, next == L'n' || IsLineBreak(next) ? 2 * run : run);
      p += run;
    } else if (IsLineBreak(*p)) {
      sink->Put(kBackslash);
      sink->Put(L'n');
      p += (p[0] == L'\r' && p[1] == L'\n') ? 2 : 1;
    } else {
      if (*p == kQuote) sink->Put(kBackslash);
      sink->Put(*p++);
    }
  }
  sink->Put(kQuote);
}

// Reads the written comment between `begin` and `end`: outer quotes removed and the backslash of each '\"'
// dropped (as UnquoteText does), every '\' 'n' back to CR LF and doubled backslashes before an 'n' halved.
void DecodeComment(const wchar_t* begin, const wchar_t* end, TextSink* sink) {
  const size_t length = static_cast<size_t>(end - begin);
  if (length == 2 && begin[0] == kQuote && begin[1] == kQuote) return;
  const bool quoted = length > 2 && begin[0] == kQuote;
  if (quoted && end[-1] == kQuote) {
    ++begin;
    --end;
  }
  for (const wchar_t* p = begin; p < end && !sink->full;) {
    if (*p != kBackslash) {
      sink->Put(*p++);
      continue;
    }
    const size_t run = RunLength(p, kBackslash, static_cast<size_t>(end - p));
    const wchar_t next = p + run < end ? p[run] : 0;
    if (next == L'n') {
      sink->Repeat(kBackslash, run / 2);
      if (run % 2 == 1) {
        sink->Put(L'\r');
        sink->Put(L'\n');
      } else {
        sink->Put(L'n');
      }
      p += run + 1;
    } else {
      sink->Repeat(kBackslash, quoted && next == kQuote ? run - 1 : run);
      p += run;
    }
  }
}

}  // namespace

const wchar_t* SkipStepKey(const wchar_t* text) {
  if (text == nullptr || text[0] != L'<') return nullptr;
  const wchar_t* p = text + 1;
  while (*p >= L'0') ++p;
  return p;
}

const wchar_t* SkipExpected(const wchar_t* position, wchar_t expected) {
  return position != nullptr && *position == expected ? position + 1 : nullptr;
}

const wchar_t* ReadSettingsTextField(const wchar_t* position, wchar_t* out, int capacity, wchar_t delimiter) {
  if (out == nullptr || capacity <= 0) return nullptr;
  out[0] = 0;
  if (position == nullptr) return nullptr;
  if (delimiter != 0 && *position == delimiter) return ReadQuoted(position, delimiter, out, capacity);
  return ReadPlain(position, out, capacity);
}

int AppendSettingsTextField(const wchar_t* value, wchar_t* text, int capacity) {
  if (value == nullptr) value = L"";
  const size_t length = WideLength(value);
  const uint32_t encodedCapacity = static_cast<uint32_t>(2 * length + 3);
  wchar_t* encoded = AllocZeroedWide(encodedCapacity);
  if (encoded == nullptr) return -static_cast<int>(encodedCapacity);
  TextSink sink(encoded, static_cast<int>(encodedCapacity));
  sink.Put(kQuote);
  for (const wchar_t* p = value; *p != 0;) {
    const size_t run = RunLength(p, kBackslash);
    if (run > 0) {
      const bool beforeQuote = p[run] == kQuote || p[run] == 0;
      sink.Repeat(kBackslash, beforeQuote ? 2 * run : run);
      p += run;
      continue;
    }
    if (*p == kQuote) sink.Put(kBackslash);
    sink.Put(*p++);
  }
  sink.Put(kQuote);
  const int result = AppendWideBounded(encoded, text, capacity);
  FreeAndNull(&encoded);
  return result;
}

int ReadSettingsComment(const wchar_t* position, wchar_t* comment, int capacity) {
  if (position == nullptr || comment == nullptr || capacity <= 0) return kCommentMissingInput;
  comment[0] = 0;
  // The comment part or the closing '>' must follow the values at once: anything between is out of place.
  if (*position == L'>') return 0;
  if (*position != L';') return kCommentRefused;
  // The comment runs to the last '>' of the whole entry, however long its written form is; a comment longer
  // than the buffer is cut rather than losing its step.
  const wchar_t* begin = position + 1;
  const wchar_t* end = wcsrchr(begin, L'>');
  if (end == nullptr) return kCommentRefused;
  TextSink sink(comment, capacity);
  DecodeComment(begin, end, &sink);
  return 0;
}

int WriteSettingsComment(const wchar_t* comment, wchar_t* text, int capacity) {
  int result = 0;
  if (comment != nullptr && comment[0] != 0) {
    // Each character takes at most two in the written form; longer comments are cut to what a step holds.
    wchar_t written[2 * kStepCommentCapacity + 2];
    wchar_t bounded[kStepCommentCapacity];
    CopyWideBounded(comment, bounded, kStepCommentCapacity);
    TextSink sink(written, static_cast<int>(sizeof(written) / sizeof(written[0])));
    EncodeComment(bounded, &sink);
    result = AppendWideBounded(L";", text, capacity);
    if (result == 0) result = AppendWideBounded(written, text, capacity);
  }
  const int closing = AppendWideBounded(L">", text, capacity);
  return result != 0 ? result : closing;
}
