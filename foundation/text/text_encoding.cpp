#include "foundation/text/text_encoding.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/core/record_buffer.h"

namespace {

constexpr wchar_t kReplacementChar = 0xFFFD;
constexpr int kUtf8BomLength = 3;
constexpr int kNoTarget = 87;

int ClampedLength(size_t length) { return length > INT_MAX ? INT_MAX : static_cast<int>(length); }

bool IsUtf8Continuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

size_t Utf8UnitSize(wchar_t c) { return c < 0x80 ? 1 : (c < 0x800 ? 2 : 3); }

char* EncodeUtf8Unit(wchar_t c, char* out) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

size_t UnitCount(const wchar_t* text, int count) {
  return count < 0 ? WideLength(text) : static_cast<size_t>(count);
}

size_t Utf8SizeOf(const wchar_t* text, size_t units) {
  size_t bytes = 0;
  for (size_t i = 0; i < units; ++i) bytes += Utf8UnitSize(text[i]);
  return bytes;
}

// Encodes whole units while they fit before the terminator; the result is the size of the whole encoding.
size_t EncodeUtf8Prefix(const wchar_t* text, size_t units, char* target, size_t capacity) {
  char* out = target;
  char* const last = target + capacity - 1;
  size_t needed = 0;
  for (size_t i = 0; i < units; ++i) {
    const size_t size = Utf8UnitSize(text[i]);
    if (needed == static_cast<size_t>(out - target) && out + size <= last) out = EncodeUtf8Unit(text[i], out);
    needed += size;
  }
  *out = 0;
  return needed;
}

// Steps over one UTF-8 character as the decoder reads it.
const char* NextUtf8Char(const char* text, wchar_t* decoded) { return text + 1 + DecodeUtf8Char(text, decoded); }

size_t DecodeUtf8Prefix(const char* text, wchar_t* buffer, size_t capacity) {
  size_t written = 0;
  for (const char* p = text; *p != 0 && written + 1 < capacity;) p = NextUtf8Char(p, &buffer[written++]);
  buffer[written] = 0;
  return written;
}

UINT ResolvedCodePage(UINT codePage) {
  if (codePage == CP_ACP) return GetACP();
  if (codePage == CP_OEMCP) return GetOEMCP();
  return codePage;
}

// The largest prefix of at most `bytes` bytes that ends between two characters.
int NarrowCharBoundary(const char* text, int bytes, UINT codePage) {
  if (codePage == CP_UTF8) {
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return bytes;
  }
  int position = 0;
  while (position < bytes) {
    const int step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[position])) && text[position + 1] ? 2 : 1;
    if (position + step > bytes) break;
    position += step;
  }
  return position;
}

int WideCharBoundary(const wchar_t* text, int units) {
  if (units > 0 && IS_HIGH_SURROGATE(text[units - 1]) && IS_LOW_SURROGATE(text[units])) --units;
  return units;
}

// The longest prefix (at a character boundary) whose converted size fits `room`, for a text of `total`
// units whose whole conversion does not fit.
template <typename Boundary, typename ConvertedSize>
int LongestFittingPrefix(int total, int room, Boundary boundary, ConvertedSize convertedSize) {
  int fitting = 0;
  int failing = total;
  while (failing - fitting > 1) {
    const int middle = fitting + (failing - fitting) / 2;
    if (convertedSize(boundary(middle)) <= room) {
      fitting = middle;
    } else {
      failing = middle;
    }
  }
  return boundary(fitting);
}

}  // namespace

int HasUtf8Bom(const char* text, int length) {
  if (text == nullptr) return 0;
  const size_t size = length <= 0 ? NarrowLength(text) : static_cast<size_t>(length);
  return size >= kUtf8BomLength && memcmp(text, "\xEF\xBB\xBF", kUtf8BomLength) == 0 ? 1 : 0;
}

bool IsValidUtf8(const void* bytes, int length) {
  if (bytes == nullptr) return false;
  const auto* p = static_cast<const uint8_t*>(bytes);
  const size_t size = length < 0 ? NarrowLength(static_cast<const char*>(bytes)) : static_cast<size_t>(length);
  bool sawSequence = false;
  for (size_t i = 0; i < size;) {
    const uint8_t lead = p[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t sequence = 0;
    if (lead >= 0xC2 && lead <= 0xDF) sequence = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) sequence = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) sequence = 4;
    else return false;
    if (i + sequence > size) return sawSequence;
    for (size_t k = 1; k < sequence; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
    }
    if (sequence == 4) return false;
    if (sequence == 3) {
      const unsigned code = ((lead & 0x0Fu) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
      if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)) return false;
    }
    sawSequence = true;
    i += sequence;
  }
  return sawSequence;
}

int WideToUtf8(const wchar_t* text, int count, char* buffer, int capacity) {
  const size_t units = text == nullptr ? 0 : UnitCount(text, count);
  const size_t needed = Utf8SizeOf(text, units);
  if (buffer == nullptr || capacity <= 0 || needed + 1 > static_cast<size_t>(capacity)) {
    if (buffer != nullptr && capacity > 0) buffer[0] = 0;
    return -ClampedLength(needed);
  }
  EncodeUtf8Prefix(text, units, buffer, static_cast<size_t>(capacity));
  return ClampedLength(needed);
}

int DecodeUtf8Char(const char* lead, wchar_t* out) {
  if (lead == nullptr || out == nullptr) return 0;
  const auto* p = reinterpret_cast<const uint8_t*>(lead);
  if (p[0] < 0x80) {
    *out = p[0];
    return 0;
  }
  // Each byte is looked at only after the one before it continued the sequence, so a terminator ends it.
  *out = kReplacementChar;
  if (p[0] < 0xC0 || !IsUtf8Continuation(p[1])) return 0;
  if (p[0] < 0xE0) {
    *out = static_cast<wchar_t>(((p[0] & 0x1F) << 6) | (p[1] & 0x3F));
    return 1;
  }
  if (!IsUtf8Continuation(p[2])) return 0;
  if (p[0] < 0xF0) {
    *out = static_cast<wchar_t>(((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
    return 2;
  }
  // A character beyond the basic plane does not fit one wide character: it is replaced as a whole.
  return p[0] < 0xF8 && IsUtf8Continuation(p[3]) ? 3 : 0;
}

int Utf8ToWideBounded(const char* text, wchar_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  if (text == nullptr) {
    buffer[0] = 0;
    return 0;
  }
  return ClampedLength(DecodeUtf8Prefix(text, buffer, static_cast<size_t>(capacity)));
}

int TextToWide(const char* text, wchar_t* buffer, int capacity) {
  if (HasUtf8Bom(text, 0)) return Utf8ToWideBounded(text + kUtf8BomLength, buffer, capacity);
  return MultiByteToWideBounded(text, buffer, capacity, CP_ACP);
}

int MultiByteToWideBounded(const char* text, wchar_t* target, int capacity, UINT codePage) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  const int total = text == nullptr ? 0 : ClampedLength(NarrowLength(text));
  const int room = capacity - 1;
  if (total == 0 || room == 0) return 0;
  int written = MultiByteToWideChar(codePage, 0, text, total, target, room);
  if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    const UINT resolved = ResolvedCodePage(codePage);
    const int bytes = LongestFittingPrefix(
        total, room, [&](int length) { return NarrowCharBoundary(text, length, resolved); },
        [&](int length) { return length == 0 ? 0 : MultiByteToWideChar(codePage, 0, text, length, nullptr, 0); });
    written = bytes == 0 ? 0 : MultiByteToWideChar(codePage, 0, text, bytes, target, room);
  }
  target[written] = 0;
  return written;
}

int WideToMultiByteBounded(const wchar_t* text, char* target, int capacity, UINT codePage) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  const int total = text == nullptr ? 0 : ClampedLength(WideLength(text));
  const int room = capacity - 1;
  if (total == 0 || room == 0) return 0;
  int written = WideCharToMultiByte(codePage, 0, text, total, target, room, nullptr, nullptr);
  if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    const int units = LongestFittingPrefix(
        total, room, [&](int length) { return WideCharBoundary(text, length); },
        [&](int length) {
          return length == 0 ? 0 : WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
        });
    written = units == 0 ? 0 : WideCharToMultiByte(codePage, 0, text, units, target, room, nullptr, nullptr);
  }
  target[written] = 0;
  return written;
}

int AppendMultiByteAsWide(const char* text, wchar_t* target, int capacity, UINT codePage) {
  if (target == nullptr || capacity <= 0) return 0;
  int length = 0;
  while (length + 1 < capacity && target[length] != 0) ++length;
  target[length] = 0;
  const int converted = MultiByteToWideBounded(text, target + length, capacity - length, codePage);
  return converted > 0 ? converted : length;
}

int WideToUtf8Bounded(const wchar_t* text, char* target, int capacity) {
  if (target == nullptr || capacity <= 0) return kNoTarget;
  const size_t units = text == nullptr ? 0 : WideLength(text);
  const size_t needed = EncodeUtf8Prefix(text, units, target, static_cast<size_t>(capacity));
  return needed < static_cast<size_t>(capacity) ? ClampedLength(needed) : -ClampedLength(needed);
}

const char* WideToAnsiOrUtf8(const wchar_t* text, InlineTextBuffer* buffer) {
  if (buffer == nullptr) return nullptr;
  if (text == nullptr) text = L"";
  const int units = ClampedLength(WideLength(text));
  const int ansiBytes = WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, nullptr, nullptr);
  auto* ansi = static_cast<char*>(PrepareInlineTextBuffer(buffer, static_cast<uint32_t>(ansiBytes)));
  if (ansi == nullptr) return nullptr;
  if (units == 0) return ansi;
  WideCharToMultiByte(CP_ACP, 0, text, units, ansi, ansiBytes, nullptr, nullptr);
  InlineTextBuffer check;
  InitInlineTextBuffer(&check);
  wchar_t* back = PrepareInlineWideBuffer(&check, static_cast<uint32_t>(units));
  const bool sameText = back != nullptr && MultiByteToWideChar(CP_ACP, 0, ansi, ansiBytes, back, units) == units &&
                        wmemcmp(back, text, units) == 0;
  ReleaseInlineTextBuffer(&check);
  if (sameText) return ansi;
  const size_t utf8Bytes = Utf8SizeOf(text, static_cast<size_t>(units));
  auto* utf8 = static_cast<char*>(PrepareInlineTextBuffer(buffer, static_cast<uint32_t>(utf8Bytes + kUtf8BomLength)));
  if (utf8 == nullptr) return nullptr;
  memcpy(utf8, "\xEF\xBB\xBF", kUtf8BomLength);
  EncodeUtf8Prefix(text, static_cast<size_t>(units), utf8 + kUtf8BomLength, utf8Bytes + 1);
  return utf8;
}
