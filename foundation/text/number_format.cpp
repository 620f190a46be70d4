#include "foundation/text/number_format.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <cwchar>

#include "foundation/core/guard.h"
#include "foundation/text/locale_separators.h"
#include "foundation/text/numbers.h"
#include "foundation/text/text_encoding.h"

namespace {

constexpr int kMaxDecimals = 9;
constexpr int kComposeCapacity = 64;
constexpr int kMaxByteDivisions = 4;
constexpr wchar_t kByteUnitLetters[] = L"KMGT";
constexpr int kByteUnitLength = 3;  // " KB"
constexpr double kTwoToThe64 = 18446744073709551616.0;

// Length of a text that ends within `capacity` characters; -1 when it does not.
int TerminatedLength(const wchar_t* text, int capacity) {
  for (int i = 0; i < capacity; ++i)
    if (text[i] == 0) return i;
  return -1;
}

// Copies a composed text when it fits with its terminator; otherwise the target is emptied and the result
// is minus the composed length.
int StoreIfFits(const wchar_t* composed, wchar_t* text, int capacity) {
  const int length = static_cast<int>(wcslen(composed));
  if (text == nullptr || capacity <= 0) return -length;
  if (length + 1 > capacity) {
    text[0] = 0;
    return -length;
  }
  wmemcpy(text, composed, length + 1);
  return length;
}

uint64_t PowerOfTen(int exponent) {
  uint64_t power = 1;
  while (exponent-- > 0) power *= 10;
  return power;
}

struct FixedPoint {
  bool negative;
  uint64_t integerPart;
  uint64_t fraction;  // `decimals` digits
};

// Rounds half up by adding half a unit of the last kept decimal, working one decimal further and dropping
// it, so that a value just below the half (2.345 is stored as 2.34499...) still rounds up.
FixedPoint ToFixedPoint(double value, int decimals) {
  FixedPoint result = {value < 0, 0, 0};
  const double magnitude = std::isnan(value) ? 0.0 : std::fabs(value);
  const uint64_t scale = PowerOfTen(decimals + 1);
  const double scaled = (magnitude + 5.0 / static_cast<double>(scale)) * static_cast<double>(scale);
  if (scaled < kTwoToThe64) {
    const uint64_t units = static_cast<uint64_t>(scaled);
    result.integerPart = units / scale;
    result.fraction = (units % scale) / 10;
  } else {
    result.integerPart = magnitude < kTwoToThe64 ? static_cast<uint64_t>(magnitude) : UINT64_MAX;
  }
  if (result.integerPart == 0 && result.fraction == 0) result.negative = false;
  return result;
}

// Appends `value` in decimal, left-padded with '0' to `width` digits.
void AppendPaddedDigits(uint64_t value, int width, wchar_t* out, int* used) {
  wchar_t digits[24];
  const int length = UInt64ToWideDecimal(&value, digits, 24);
  for (int i = length; i < width; ++i) out[(*used)++] = L'0';
  for (int i = 0; i < length; ++i) out[(*used)++] = digits[i];
  out[*used] = 0;
}

void ComposeDouble(double value, int decimals, wchar_t* out) {
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;
  const FixedPoint number = ToFixedPoint(value, decimals);
  int used = 0;
  if (number.negative) out[used++] = L'-';
  AppendPaddedDigits(number.integerPart, 1, out, &used);
  if (decimals == 0) return;
  out[used++] = GetDecimalSeparator();
  AppendPaddedDigits(number.fraction, decimals, out, &used);
}

}  // namespace

int InsertThousandsSeparators(wchar_t* text, int capacity) {
  if (text == nullptr || capacity <= 0) return 0;
  const int length = TerminatedLength(text, capacity);
  if (length < 0) return -1;
  const int start = (text[0] == L'-' || text[0] == L'+') ? 1 : 0;
  const wchar_t decimal = GetDecimalSeparator();
  int integerEnd = start;
  while (integerEnd < length && text[integerEnd] != decimal) ++integerEnd;
  const int digits = integerEnd - start;
  const int separators = digits > 0 ? (digits - 1) / 3 : 0;
  if (separators == 0 || length + separators >= capacity) return length;
  // The decimal part moves right first; then the digits are copied from the right, which never overwrites
  // a digit still to be copied.
  wmemmove(text + integerEnd + separators, text + integerEnd, length - integerEnd + 1);
  const wchar_t thousands = GetThousandsSeparator();
  int from = integerEnd - 1;
  int to = integerEnd + separators - 1;
  for (int copied = 1; from >= start; ++copied) {
    text[to--] = text[from--];
    if (copied % 3 == 0 && from >= start) text[to--] = thousands;
  }
  return length + separators;
}

int FormatNumberGrouped(uint64_t value, wchar_t* text, int capacity) {
  return GuardedCall<int>(0, [&] {
    const int length = UInt64ToWideDecimal(&value, text, capacity);
    return length > 0 ? InsertThousandsSeparators(text, capacity) : length;
  });
}

int FormatByteSize(uint64_t value, wchar_t* text, int capacity) {
  int divisions = 0;
  bool remainder = false;
  while (value > 1024 && divisions < kMaxByteDivisions) {
    remainder = remainder || (value % 1024) != 0;
    value /= 1024;
    ++divisions;
  }
  if (divisions == 0)
    value = value != 0 ? 1 : 0;
  else if (remainder)
    ++value;
  wchar_t composed[kComposeCapacity];
  const int digits = UInt64ToWideDecimal(&value, composed, kComposeCapacity);
  // Grouped only when the grouped number still leaves room for the unit in the caller's text.
  int roomForNumber = capacity - kByteUnitLength;
  if (roomForNumber > kComposeCapacity - kByteUnitLength) roomForNumber = kComposeCapacity - kByteUnitLength;
  const int length = roomForNumber > digits ? InsertThousandsSeparators(composed, roomForNumber) : digits;
  const wchar_t unit[] = {L' ', kByteUnitLetters[divisions == 0 ? 0 : divisions - 1], L'B', 0};
  wmemcpy(composed + length, unit, kByteUnitLength + 1);
  return StoreIfFits(composed, text, capacity);
}

int FormatDoubleWide(double value, int decimals, wchar_t* text, int capacity) {
  wchar_t composed[kComposeCapacity];
  ComposeDouble(value, decimals, composed);
  return StoreIfFits(composed, text, capacity);
}
