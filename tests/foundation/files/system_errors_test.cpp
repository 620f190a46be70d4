// The normalised last error and the system's error texts.
#include "foundation/files/system_errors.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/text/bounded_text.h"

namespace {

DWORD Mapped(DWORD lastError, DWORD defaultCode) {
  SetLastError(lastError);
  return MapLastError(defaultCode);
}

}  // namespace

TEST(SystemErrors, LastErrorIsNormalised) {
  EXPECT_EQ(Mapped(0, 112), 112u);
  EXPECT_EQ(Mapped(ERROR_INVALID_MENU_HANDLE, 5), 5u);
  EXPECT_EQ(Mapped(225, 5), 30u);
  EXPECT_EQ(Mapped(ERROR_CANCELLED, 5), 1235u);
  EXPECT_EQ(Mapped(ERROR_SHARING_VIOLATION, 5), 32u);
  EXPECT_EQ(Mapped(ERROR_FILE_NOT_FOUND, 0), 2u);
}

TEST(SystemErrors, TextsOfKnownCodes) {
  wchar_t text[512];
  const int length = FormatSystemErrorText(ERROR_FILE_NOT_FOUND, text, 512, false);
  ASSERT_GT(length, 0);
  EXPECT_EQ(length, static_cast<int>(wcslen(text)));
  const int oneLine = FormatSystemErrorText(ERROR_FILE_NOT_FOUND, text, 512, true);
  ASSERT_GT(oneLine, 0);
  EXPECT_LE(oneLine, length);
  EXPECT_EQ(oneLine, static_cast<int>(wcslen(text)));
  for (int i = 0; i < oneLine; ++i) EXPECT_GE(text[i], L' ') << "character " << i;
  EXPECT_NE(text[oneLine - 1], L' ');
}

TEST(SystemErrors, NoTextForCodeZeroUnknownCodesOrNoRoom) {
  wchar_t text[64] = L"old";
  EXPECT_EQ(FormatSystemErrorText(0, text, 64, false), 0);
  EXPECT_EQ(text[0], 0);
  CopyWideBounded(L"old", text, 64);
  EXPECT_EQ(FormatSystemErrorText(0x2FFFFFFF, text, 64, true), 0);
  EXPECT_EQ(text[0], 0);
  EXPECT_EQ(FormatSystemErrorText(ERROR_FILE_NOT_FOUND, text, 0, false), 0);
  EXPECT_EQ(FormatSystemErrorText(ERROR_FILE_NOT_FOUND, nullptr, 64, false), 0);
  wchar_t small[6];
  EXPECT_EQ(FormatSystemErrorText(ERROR_FILE_NOT_FOUND, small, 6, false), 5);
}
