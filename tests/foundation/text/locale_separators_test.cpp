// The locale's separators: read once, first character only, with fallbacks when the locale cannot be read.
#include "foundation/text/locale_separators.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "locale_separator_fakes.h"

TEST(LocaleSeparators, AreReadOnceAndKept) {
  FakeLocaleSeparators german(L",", L".");
  const int queries = FakeLocaleSeparators::Queries();
  EXPECT_EQ(GetDecimalSeparator(), L',');
  EXPECT_EQ(GetThousandsSeparator(), L'.');
  EXPECT_EQ(GetDecimalSeparator(), L',');
  EXPECT_EQ(FakeLocaleSeparators::Queries(), queries);
}

TEST(LocaleSeparators, KeepOnlyTheFirstCharacter) {
  FakeLocaleSeparators longSeparators(L"<>", L"\u00A0x");
  EXPECT_EQ(GetDecimalSeparator(), L'<');
  EXPECT_EQ(GetThousandsSeparator(), L'\u00A0');
}

TEST(LocaleSeparators, FallBackWhenTheLocaleCannotBeRead) {
  FakeLocaleSeparators locale(nullptr, nullptr);
  EXPECT_EQ(GetDecimalSeparator(), L',');
  EXPECT_EQ(GetThousandsSeparator(), L'.');
  locale.Change(L"", L"");
  InitLocaleNumberSeparators();
  EXPECT_EQ(GetDecimalSeparator(), L',');
  EXPECT_EQ(GetThousandsSeparator(), L'.');
}

TEST(LocaleSeparators, AreReadAgainOnRequest) {
  FakeLocaleSeparators locale(L"!", L"?");
  EXPECT_EQ(GetDecimalSeparator(), L'!');
  EXPECT_EQ(GetThousandsSeparator(), L'?');
  locale.Change(L";", L"'");
  EXPECT_EQ(GetDecimalSeparator(), L'!');
  EXPECT_EQ(GetDecimalSeparator(true), L';');
  EXPECT_EQ(GetThousandsSeparator(), L'?');
  locale.Change(L"a", L"b");
  InitLocaleNumberSeparators();
  EXPECT_EQ(GetDecimalSeparator(), L'a');
  EXPECT_EQ(GetThousandsSeparator(), L'b');
}

TEST(LocaleSeparators, ComeFromTheUsersLocale) {
  wchar_t decimal[8] = {};
  wchar_t thousands[8] = {};
  ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8), 0);
  ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousands, 8), 0);
  InitLocaleNumberSeparators();
  EXPECT_EQ(GetDecimalSeparator(), decimal[0]);
  EXPECT_EQ(GetThousandsSeparator(), thousands[0]);
}
