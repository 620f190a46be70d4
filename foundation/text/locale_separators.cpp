#include "foundation/text/locale_separators.h"

#include <windows.h>

#include "foundation/core/system_seams.h"

namespace {

// 0 until read. Every thread reads the same locale, so a race only repeats the query.
volatile LONG g_decimalSeparator = 0;
volatile LONG g_thousandsSeparator = 0;

wchar_t ReadSeparator(LCTYPE item, wchar_t fallback) {
  wchar_t text[16] = {};
  if (g_systemSeams.getLocaleInfoW(LOCALE_USER_DEFAULT, item, text, 16) == 0 || text[0] == 0) return fallback;
  return text[0];
}

wchar_t CachedSeparator(volatile LONG* slot, LCTYPE item, wchar_t fallback, bool readAgain) {
  LONG separator = *slot;
  if (separator == 0 || readAgain) {
    separator = ReadSeparator(item, fallback);
    InterlockedExchange(slot, separator);
  }
  return static_cast<wchar_t>(separator);
}

}  // namespace

wchar_t GetDecimalSeparator(bool readAgain) {
  return CachedSeparator(&g_decimalSeparator, LOCALE_SDECIMAL, L',', readAgain);
}

wchar_t GetThousandsSeparator(bool readAgain) {
  return CachedSeparator(&g_thousandsSeparator, LOCALE_STHOUSAND, L'.', readAgain);
}

void InitLocaleNumberSeparators() {
  GetDecimalSeparator(true);
  GetThousandsSeparator(true);
}
