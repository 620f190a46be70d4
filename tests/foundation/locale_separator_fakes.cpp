#include "locale_separator_fakes.h"

#include <windows.h>

#include "foundation/text/bounded_text.h"
#include "foundation/core/system_seams.h"

namespace {

const wchar_t* g_decimal = nullptr;
const wchar_t* g_thousands = nullptr;
int g_queries = 0;

int WINAPI FakeGetLocaleInfo(LCID, LCTYPE item, LPWSTR text, int capacity) {
  ++g_queries;
  const wchar_t* answer = item == LOCALE_SDECIMAL ? g_decimal : item == LOCALE_STHOUSAND ? g_thousands : nullptr;
  if (!answer) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  CopyWideBounded(answer, text, capacity);
  return static_cast<int>(WideLength(answer)) + 1;
}

}  // namespace

FakeLocaleSeparators::FakeLocaleSeparators(const wchar_t* decimal, const wchar_t* thousands) {
  Change(decimal, thousands);
  g_queries = 0;
  g_systemSeams.getLocaleInfoW = FakeGetLocaleInfo;
  InitLocaleNumberSeparators();
}

FakeLocaleSeparators::~FakeLocaleSeparators() {
  RestoreSystemSeams();
  InitLocaleNumberSeparators();
}

void FakeLocaleSeparators::Change(const wchar_t* decimal, const wchar_t* thousands) {
  g_decimal = decimal;
  g_thousands = thousands;
}

int FakeLocaleSeparators::Queries() { return g_queries; }
