#include "foundation/text/numbers.h"

#include <cstdlib>
#include <cwchar>

namespace {

constexpr int kMaxDecimalDigits = 20;

// Decimal digits of `magnitude` with an optional '-' into `text`, refusing (empty text) what does not fit.
template <typename Char>
int WriteDecimal(uint64_t magnitude, bool negative, Char* text, int capacity) {
  if (text == nullptr || capacity <= 0) return 0;
  Char digits[kMaxDecimalDigits + 1];
  int count = 0;
  do {
    digits[count++] = static_cast<Char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  const int length = count + (negative ? 1 : 0);
  if (length + 1 > capacity) {
    text[0] = 0;
    return -length;
  }
  int out = 0;
  if (negative) text[out++] = '-';
  while (count > 0) text[out++] = digits[--count];
  text[out] = 0;
  return length;
}

uint64_t Magnitude(int32_t value) {
  return value < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(value)) : static_cast<uint64_t>(value);
}

}  // namespace

// On this platform `long` is 32 bits wide, so the C library's limits are those of the results.
int32_t NarrowToLongInBase(const char* text, int base) { return text == nullptr ? 0 : strtol(text, nullptr, base); }

uint32_t NarrowToULong(const char* text, int base) { return text == nullptr ? 0 : strtoul(text, nullptr, base); }

int32_t WideToLongInBase(const wchar_t* text, int base) { return text == nullptr ? 0 : wcstol(text, nullptr, base); }

int32_t NarrowToLong(const char* text) { return NarrowToLongInBase(text, 10); }

uint32_t NarrowToUIntDecimal(const char* text) { return NarrowToULong(text, 10); }

int32_t WideToLong(const wchar_t* text) { return WideToLongInBase(text, 10); }

int32_t WideToIntDecimal(const wchar_t* text) { return WideToLongInBase(text, 10); }

int IntToNarrowDecimal(int32_t value, char* text, int capacity) {
  return WriteDecimal(Magnitude(value), value < 0, text, capacity);
}

int IntToWideDecimal(int32_t value, wchar_t* text, int capacity) {
  return WriteDecimal(Magnitude(value), value < 0, text, capacity);
}

int UIntToWideDecimal(uint32_t value, wchar_t* text, int capacity) {
  return WriteDecimal(value, false, text, capacity);
}

int UInt64ToWideDecimal(const uint64_t* value, wchar_t* text, int capacity) {
  return value == nullptr ? 0 : WriteDecimal(*value, false, text, capacity);
}

uint64_t ReadBigEndianUInt(const void* bytes, int count) {
  if (bytes == nullptr || count <= 0) return 0;
  const auto* p = static_cast<const uint8_t*>(bytes);
  uint64_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | p[i];
  return value;
}
