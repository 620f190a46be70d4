// Separators of a made-up locale for number tests: the locale query is replaced until the object goes, and
// the real separators are read again afterwards.
#pragma once
#include "foundation/text/locale_separators.h"

class FakeLocaleSeparators {
 public:
  // Null texts make the query fail.
  FakeLocaleSeparators(const wchar_t* decimal, const wchar_t* thousands);
  ~FakeLocaleSeparators();
  FakeLocaleSeparators(const FakeLocaleSeparators&) = delete;
  FakeLocaleSeparators& operator=(const FakeLocaleSeparators&) = delete;

  // Changes what the locale answers from now on, without reading it again.
  void Change(const wchar_t* decimal, const wchar_t* thousands);
  // Locale queries since the object was made.
  static int Queries();
};
