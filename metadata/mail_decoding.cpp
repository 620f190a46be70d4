// Decoding of header values: RFC 2047 encoded words with their B (Base64) and Q (quoted-printable)
// encodings, the character sets they name, and UTF-7.
#include <windows.h>

#include <array>
#include <cstring>
#include <iterator>

#include "foundation/text/bounded_text.h"
#include "foundation/text/text_encoding.h"
#include "metadata/mail_info.h"

namespace {

// Bytes of one encoded word's text and of one plain stretch, terminator included.
constexpr int kChunkCapacity = 1024;
constexpr int kCharsetCapacity = 64;
constexpr UINT kCodePageKoi8r = 20866;
constexpr UINT kCodePageCyrillic = 1251;
constexpr UINT kOwnUtf8 = CP_UTF8;
constexpr UINT kOwnUtf7 = CP_UTF7;

constexpr std::array<int8_t, 256> MakeBase64Values() {
  std::array<int8_t, 256> values{};
  for (auto& value : values) value = -1;
  const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (int i = 0; i < 64; ++i) values[static_cast<uint8_t>(alphabet[i])] = static_cast<int8_t>(i);
  return values;
}
constexpr std::array<int8_t, 256> kBase64Values = MakeBase64Values();

int Base64Value(char c) { return kBase64Values[static_cast<uint8_t>(c)]; }

// Base64 (RFC 2045): characters outside the alphabet are passed over, '=' ends the data, and a last group
// of two or three characters gives one or two bytes.
int DecodeBase64(const char* text, size_t length, char* out, int capacity) {
  uint32_t bits = 0;
  int bitCount = 0;
  int used = 0;
  for (size_t i = 0; i < length && text[i] != '=' && used < capacity - 1; ++i) {
    const int value = Base64Value(text[i]);
    if (value < 0) continue;
    bits = bits << 6 | static_cast<uint32_t>(value);
    bitCount += 6;
    if (bitCount < 8) continue;
    bitCount -= 8;
    out[used++] = static_cast<char>(bits >> bitCount);
  }
  out[used] = 0;
  return used;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The byte of "=XX" at `at`; 0 when the two characters are not both hexadecimal digits or missing.
int EscapedByte(const char* text, size_t length, size_t at) {
  if (length - at < 3) return 0;
  const int high = HexValue(text[at + 1]);
  const int low = HexValue(text[at + 2]);
  return high < 0 || low < 0 ? 0 : high * 16 + low;
}

// Length of a soft line break ('=' before CR LF or LF) at `at`, else 0.
size_t SoftBreakLength(const char* text, size_t length, size_t at) {
  if (length - at >= 3 && text[at + 1] == '\r' && text[at + 2] == '\n') return 3;
  if (length - at >= 2 && text[at + 1] == '\n') return 2;
  return 0;
}

// The Q encoding: "=XX" is a byte, '=' before a line break is dropped with it, '_' is a blank. An '=' that
// gives no byte (or byte 0) is dropped alone.
int DecodeQuotedPrintable(const char* text, size_t length, char* out, int capacity) {
  int used = 0;
  for (size_t i = 0; i < length && used < capacity - 1;) {
    if (text[i] != '=') {
      out[used++] = text[i] == '_' ? ' ' : text[i];
      ++i;
    } else if (const size_t soft = SoftBreakLength(text, length, i)) {
      i += soft;
    } else if (const int byte = EscapedByte(text, length, i)) {
      out[used++] = static_cast<char>(byte);
      i += 3;
    } else {
      ++i;
    }
  }
  out[used] = 0;
  return used;
}

// UTF-7 (RFC 2152): '+' opens a run of Base64 characters holding UTF-16 units, most significant byte
// first, ended by the first other character ('-' is then dropped); "+-" is a '+'. Other bytes are taken as
// characters of their own value.
int DecodeUtf7Simple(const char* text, wchar_t* out, int capacity) {
  int used = 0;
  size_t i = 0;
  while (text[i] != 0 && used < capacity - 1) {
    if (text[i] == '+' && text[i + 1] == '-') {
      out[used++] = L'+';
      i += 2;
      continue;
    }
    if (text[i] != '+' || Base64Value(text[i + 1]) < 0) {
      out[used++] = static_cast<uint8_t>(text[i++]);
      continue;
    }
    uint32_t bits = 0;
    int bitCount = 0;
    for (++i; Base64Value(text[i]) >= 0; ++i) {
      bits = bits << 6 | static_cast<uint32_t>(Base64Value(text[i]));
      bitCount += 6;
      if (bitCount < 16) continue;
      bitCount -= 16;
      if (used < capacity - 1) out[used++] = static_cast<wchar_t>(bits >> bitCount);
    }
    if (text[i] == '-') ++i;
  }
  out[used] = 0;
  return used;
}

// KOI8-R letters 0xC0-0xDF (lower case) and 0xE0-0xFF (upper case) by their place in the alphabet, which is
// their order in Windows-1251.
constexpr uint8_t kKoi8rLetterPlaces[32] = {30, 0,  1,  22, 4,  5,  20, 3,  21, 8,  9,  10, 11, 12, 13, 14,
                                            15, 31, 16, 17, 18, 19, 6,  2,  28, 27, 7,  24, 29, 25, 23, 26};

// Where the system lacks the KOI8-R code page: the letters mapped to Windows-1251, other bytes from 0x80 '?'.
char Koi8rToCyrillic(uint8_t byte) {
  if (byte >= 0xE0) return static_cast<char>(0xC0 + kKoi8rLetterPlaces[byte - 0xE0]);
  if (byte >= 0xC0) return static_cast<char>(0xE0 + kKoi8rLetterPlaces[byte - 0xC0]);
  if (byte == 0xA3) return static_cast<char>(0xB8);
  if (byte == 0xB3) return static_cast<char>(0xA8);
  return byte >= 0x80 ? '?' : static_cast<char>(byte);
}

UINT ValidOrActiveCodePage(UINT codePage) { return IsValidCodePage(codePage) ? codePage : CP_ACP; }

// The code page of a character-set name ("utf-8", "iso-8859-15", "windows-1252", "koi8-r", ...); the active
// code page for a name it does not know. A language suffix ("*en") is ignored.
UINT CodePageOfCharset(const char* charset) {
  static const struct {
    const char* name;
    UINT codePage;
  } kNamed[] = {{"utf-8", kOwnUtf8},        {"unicode-1-1-utf-7", kOwnUtf7}, {"utf-7", kOwnUtf7},
                {"koi8-r", kCodePageKoi8r}, {"koi8-u", 21866},               {"us-ascii", 20127}};
  static const struct {
    const char* prefix;
    UINT base;
    unsigned lowest;
    unsigned highest;
  } kFamilies[] = {{"iso-8859-", 28590, 1, 16}, {"windows-", 0, 1250, 1258}, {"cp", 0, 1250, 1258}};
  for (const auto& named : kNamed)
    if (EqualsIgnoreCaseNarrow(charset, named.name)) return named.codePage;
  for (const auto& family : kFamilies) {
    const size_t prefixLength = strlen(family.prefix);
    if (!EqualsIgnoreCaseNarrow(charset, family.prefix, static_cast<int>(prefixLength))) continue;
    const char* digits = charset + prefixLength;
    if (digits[0] == 0 || strspn(digits, "0123456789") != strlen(digits) || strlen(digits) > 5) continue;
    const unsigned number = static_cast<unsigned>(atoi(digits));
    if (number >= family.lowest && number <= family.highest) return family.base + number;
  }
  return CP_ACP;
}

void AppendInCodePage(const char* bytes, UINT codePage, wchar_t* out, int capacity) {
  wchar_t decoded[kChunkCapacity];
  if (codePage == kOwnUtf8) {
    Utf8ToWideBounded(bytes, decoded, kChunkCapacity);
  } else if (codePage == kOwnUtf7) {
    DecodeUtf7Simple(bytes, decoded, kChunkCapacity);
  } else if (codePage == kCodePageKoi8r && !IsValidCodePage(kCodePageKoi8r)) {
    char mapped[kChunkCapacity];
    size_t i = 0;
    for (; bytes[i] != 0 && i < kChunkCapacity - 1; ++i) mapped[i] = Koi8rToCyrillic(static_cast<uint8_t>(bytes[i]));
    mapped[i] = 0;
    MultiByteToWideBounded(mapped, decoded, kChunkCapacity, ValidOrActiveCodePage(kCodePageCyrillic));
  } else {
    MultiByteToWideBounded(bytes, decoded, kChunkCapacity, ValidOrActiveCodePage(codePage));
  }
  AppendWideBounded(decoded, out, capacity);
}

// Text outside encoded words, in the active code page.
void AppendPlain(const char* text, size_t length, wchar_t* out, int capacity) {
  char chunk[kChunkCapacity];
  const size_t taken = length < kChunkCapacity - 1 ? length : kChunkCapacity - 1;
  memcpy(chunk, text, taken);
  chunk[taken] = 0;
  AppendInCodePage(chunk, CP_ACP, out, capacity);
}

struct EncodedWord {
  char charset[kCharsetCapacity];
  const char* encoding;
  size_t encodingLength;
  const char* text;
  size_t textLength;
  const char* end;  // after the closing "?="
};

// "=?charset?encoding?text?=" at `start`; false when a part is missing or empty.
bool ParseEncodedWord(const char* start, EncodedWord* word) {
  const char* charset = start + 2;
  const char* charsetEnd = strchr(charset, '?');
  if (charsetEnd == nullptr || charsetEnd == charset) return false;
  word->encoding = charsetEnd + 1;
  const char* encodingEnd = strchr(word->encoding, '?');
  if (encodingEnd == nullptr || encodingEnd == word->encoding) return false;
  word->encodingLength = static_cast<size_t>(encodingEnd - word->encoding);
  word->text = encodingEnd + 1;
  const char* textEnd = strstr(word->text, "?=");
  if (textEnd == nullptr) return false;
  word->textLength = static_cast<size_t>(textEnd - word->text);
  word->end = textEnd + 2;
  const size_t nameLength = strcspn(charset, "?*");
  const size_t kept = nameLength < kCharsetCapacity - 1 ? nameLength : kCharsetCapacity - 1;
  memcpy(word->charset, charset, kept);
  word->charset[kept] = 0;
  return true;
}

void AppendEncodedWord(const EncodedWord& word, wchar_t* out, int capacity) {
  char bytes[kChunkCapacity];
  const size_t length = word.textLength < kChunkCapacity - 1 ? word.textLength : kChunkCapacity - 1;
  const char encoding = word.encodingLength == 1 ? word.encoding[0] : 0;
  if (encoding == 'B' || encoding == 'b') {
    DecodeBase64(word.text, length, bytes, kChunkCapacity);
  } else if (encoding == 'Q' || encoding == 'q') {
    DecodeQuotedPrintable(word.text, length, bytes, kChunkCapacity);
  } else {
    memcpy(bytes, word.text, length);
    bytes[length] = 0;
  }
  AppendInCodePage(bytes, CodePageOfCharset(word.charset), out, capacity);
}

bool IsAllBlank(const char* text, size_t length) { return strspn(text, " \t\r\n") >= length; }

}  // namespace

void DecodeMimeEncodedWords(const char* value, wchar_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return;
  out[0] = 0;
  if (value == nullptr) return;
  bool metWord = false;
  bool afterWord = false;
  for (const char* at = value;;) {
    const char* start = strstr(at, "=?");
    EncodedWord word;
    if (start == nullptr || !ParseEncodedWord(start, &word)) {
      metWord = metWord || start != nullptr;
      AppendPlain(at, strlen(at), out, capacity);
      break;
    }
    metWord = true;
    // Blanks between two encoded words belong to neither (RFC 2047).
    const size_t between = static_cast<size_t>(start - at);
    if (!afterWord || !IsAllBlank(at, between)) AppendPlain(at, between, out, capacity);
    AppendEncodedWord(word, out, capacity);
    afterWord = true;
    at = word.end;
  }
  if (!metWord) return;
  TrimLeadingSpaces(out);
  TrimTrailingSpacesWide(out);
}
