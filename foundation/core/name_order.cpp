#include "foundation/core/name_order.h"

#include <cstring>
#include <cwchar>

#include "foundation/core/windows_version.h"

namespace {

constexpr size_t kPaddedNameCapacity = 1024;
constexpr int kFirstVersionWithDigitSort = 16;
constexpr DWORD kIgnoreCaseFlags = NORM_IGNORECASE | NORM_IGNOREKANATYPE;

struct DigitRun {
  size_t start;
  size_t length;
};

// The first run of digits before the name's first '.'; length 0 when there is none.
DigitRun FirstDigitRun(const wchar_t* name) {
  size_t i = 0;
  while (name[i] != 0 && name[i] != L'.' && !(name[i] >= L'0' && name[i] <= L'9')) ++i;
  const size_t start = i;
  while (name[i] >= L'0' && name[i] <= L'9') ++i;
  return {start, i - start};
}

// The name with its digit run widened to `width` by leading zeros, cut to the padded capacity.
void PadDigitRun(const wchar_t* name, DigitRun run, size_t width, wchar_t* padded) {
  size_t used = 0;
  const auto put = [&](wchar_t c) {
    if (used + 1 < kPaddedNameCapacity) padded[used++] = c;
  };
  for (size_t i = 0; i < run.start; ++i) put(name[i]);
  for (size_t i = run.length; i < width; ++i) put(L'0');
  for (const wchar_t* c = name + run.start; *c != 0; ++c) put(*c);
  padded[used] = 0;
}

int OrdinalOrder(const wchar_t* a, const wchar_t* b) {
  const int ordinal = CompareStringOrdinal(a, -1, b, -1, TRUE);
  if (ordinal != 0) return ordinal - 2;
  const int plain = wcscmp(a, b);
  return (plain > 0) - (plain < 0);
}

}  // namespace

int CompareNamesNatural(const wchar_t* a, const wchar_t* b, bool numbers) {
  return CompareNamesNaturalForVersion(a, b, numbers, GetWindowsVersionCodeCached());
}

int CompareNamesNaturalForVersion(const wchar_t* a, const wchar_t* b, bool numbers, int versionCode) {
  if (a == nullptr || b == nullptr) return 0;
  DWORD flags = kIgnoreCaseFlags;
  wchar_t paddedA[kPaddedNameCapacity];
  wchar_t paddedB[kPaddedNameCapacity];
  if (numbers && versionCode >= kFirstVersionWithDigitSort) {
    flags |= SORT_DIGITSASNUMBERS;
  } else if (numbers) {
    const DigitRun runA = FirstDigitRun(a);
    const DigitRun runB = FirstDigitRun(b);
    if (runA.length > 0 && runB.length > 0 && runA.start == runB.start && runA.length != runB.length) {
      if (runA.length < runB.length) {
        PadDigitRun(a, runA, runB.length, paddedA);
        a = paddedA;
      } else {
        PadDigitRun(b, runB, runA.length, paddedB);
        b = paddedB;
      }
    }
  }
  int result = CompareStringW(LOCALE_USER_DEFAULT, flags, a, -1, b, -1);
  if (result == 0 && (flags & SORT_DIGITSASNUMBERS) != 0)
    result = CompareStringW(LOCALE_USER_DEFAULT, kIgnoreCaseFlags, a, -1, b, -1);
  // A failed comparison must not read as "less" in both directions.
  return result != 0 ? result - 2 : OrdinalOrder(a, b);
}

int MakeNameSortKey(const wchar_t* name, bool numbers, uint8_t* key, int capacity) {
  if (name == nullptr || key == nullptr || capacity <= 0) return 0;
  DWORD flags = LCMAP_SORTKEY | kIgnoreCaseFlags;
  if (numbers) {
    if (GetWindowsVersionCodeCached() < kFirstVersionWithDigitSort) return 0;
    flags |= SORT_DIGITSASNUMBERS;
  }
  // LCMAP_SORTKEY takes its target as bytes, whatever the pointer's type.
  return LCMapStringW(LOCALE_USER_DEFAULT, flags, name, -1, reinterpret_cast<wchar_t*>(key), capacity);
}

int CompareNameSortKeys(const uint8_t* a, int lengthA, const uint8_t* b, int lengthB) {
  const int common = memcmp(a, b, static_cast<size_t>(lengthA < lengthB ? lengthA : lengthB));
  if (common != 0) return common < 0 ? -1 : 1;
  return (lengthA > lengthB) - (lengthA < lengthB);
}
