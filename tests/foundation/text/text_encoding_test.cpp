// UTF-8 recognition and coders, and bounded conversions between UTF-16 and 8-bit code pages.
#include "foundation/text/text_encoding.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/core/record_buffer.h"

namespace {

// Bytes placed at the very end of a readable page that is followed by an inaccessible one: reading one
// byte past them faults.
class PageEndBytes {
 public:
  explicit PageEndBytes(const std::string& bytes) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    base_ = static_cast<char*>(VirtualAlloc(nullptr, page_ * 2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
    start_ = base_ + page_ - bytes.size();
    memcpy(start_, bytes.data(), bytes.size());
  }
  ~PageEndBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
  const char* data() const { return start_; }

 private:
  size_t page_ = 0;
  char* base_ = nullptr;
  char* start_ = nullptr;
};

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

bool Valid(const std::string& bytes) { return IsValidUtf8(bytes.data(), static_cast<int>(bytes.size())); }

}  // namespace

TEST(Utf8Recognition, ByteOrderMarkNeedsAllThreeBytes) {
  EXPECT_EQ(HasUtf8Bom("\xEF\xBB\xBF" "abc", 0), 1);
  EXPECT_EQ(HasUtf8Bom("\xEF\xBB\xBF", 3), 1);
  EXPECT_EQ(HasUtf8Bom("\xEF\xBB", 2), 0);
  EXPECT_EQ(HasUtf8Bom("\xEF\xBB\xBF", 2), 0);
  EXPECT_EQ(HasUtf8Bom(nullptr, 5), 0);
}

TEST(Utf8Recognition, NeedsOneCompleteSequenceAndNoInvalidOne) {
  EXPECT_FALSE(Valid("abc"));
  EXPECT_FALSE(Valid(Bytes({0xC0, 0x80})));              // overlong lead
  EXPECT_FALSE(Valid(Bytes({0xE0, 0x80, 0x80})));        // overlong three-byte form
  EXPECT_FALSE(Valid(Bytes({0xED, 0xA0, 0x80})));        // surrogate
  EXPECT_FALSE(Valid(Bytes({0xF0, 0x9F, 0x98, 0x80})));  // four bytes are left to the code page
  EXPECT_FALSE(Valid(Bytes({'a', 0xC3, 'b'})));          // continuation byte missing
  EXPECT_FALSE(Valid(Bytes({0xFF, 'a'})));
  EXPECT_TRUE(Valid("caf\xC3\xA9"));
  EXPECT_TRUE(Valid("\xE2\x82\xAC"));
}

TEST(Utf8Recognition, SequenceCutByTheEndIsJudgedOnWhatCameBefore) {
  EXPECT_FALSE(Valid("ab\xC3"));
  EXPECT_TRUE(Valid("\xC3\xA9x\xC3"));
  EXPECT_TRUE(Valid("\xC3\xA9x\xE2\x82"));
  EXPECT_FALSE(IsValidUtf8(nullptr, 4));
  EXPECT_TRUE(IsValidUtf8("\xC3\xA9", -1));
}

TEST(Utf8Recognition, LengthLimitsTheScan) {
  PageEndBytes bytes("x\xC3\xA9\xE2");
  EXPECT_TRUE(IsValidUtf8(bytes.data(), 4));
  EXPECT_FALSE(IsValidUtf8(bytes.data(), 1));
}

TEST(Utf8Coders, EuroSignEncodesInThreeBytes) {
  char buffer[8];
  EXPECT_EQ(WideToUtf8(L"\x20AC", -1, buffer, sizeof buffer), 3);
  EXPECT_STREQ(buffer, "\xE2\x82\xAC");
  char small[3] = {'x', 'y', 'z'};
  EXPECT_EQ(WideToUtf8(L"\x20AC", -1, small, 3), -3);
  EXPECT_EQ(small[0], 0);
  EXPECT_EQ(small[1], 'y');
}

TEST(Utf8Coders, EachSurrogateHalfTakesThreeBytes) {
  char buffer[16];
  EXPECT_EQ(WideToUtf8(L"\xD83D\xDE00", -1, buffer, sizeof buffer), 6);
  EXPECT_STREQ(buffer, "\xED\xA0\xBD\xED\xB8\x80");
  wchar_t back[4];
  EXPECT_EQ(Utf8ToWideBounded(buffer, back, 4), 2);
  EXPECT_STREQ(back, L"\xD83D\xDE00");
}

TEST(Utf8Coders, CountLimitsTheEncodedUnits) {
  char buffer[8];
  EXPECT_EQ(WideToUtf8(L"a\x00E9z", 2, buffer, sizeof buffer), 3);
  EXPECT_STREQ(buffer, "a\xC3\xA9");
}

TEST(Utf8Coders, DecodeOneCharacterAtATime) {
  wchar_t c = 0;
  EXPECT_EQ(DecodeUtf8Char("A", &c), 0);
  EXPECT_EQ(c, L'A');
  EXPECT_EQ(DecodeUtf8Char("\xC3\xA9", &c), 1);
  EXPECT_EQ(c, L'\x00E9');
  EXPECT_EQ(DecodeUtf8Char("\xE2\x82\xAC", &c), 2);
  EXPECT_EQ(c, L'\x20AC');
}

TEST(Utf8Coders, TruncatedSequenceStopsAtTheTerminator) {
  wchar_t c = 0;
  EXPECT_EQ(DecodeUtf8Char("\xE2", &c), 0);
  EXPECT_EQ(c, 0xFFFD);
  EXPECT_EQ(DecodeUtf8Char("\xE2\x82", &c), 0);
  EXPECT_EQ(c, 0xFFFD);
  wchar_t buffer[8];
  EXPECT_EQ(Utf8ToWideBounded("\xC3\xA9\xE2", buffer, 8), 2);
  EXPECT_STREQ(buffer, L"\x00E9\xFFFD");
}

TEST(Utf8Coders, StrayBytesAreReplacedWithoutTakingTheNextCharacter) {
  wchar_t buffer[16];
  EXPECT_EQ(Utf8ToWideBounded("caf\xE9 au lait", buffer, 16), 12) << "Latin-1 text behind a UTF-8 mark";
  EXPECT_STREQ(buffer, L"caf\xFFFD au lait");
  EXPECT_EQ(Utf8ToWideBounded("a\x80" "b\xC3(c", buffer, 16), 6);
  EXPECT_STREQ(buffer, L"a\xFFFD" L"b\xFFFD(c");
  EXPECT_EQ(Utf8ToWideBounded("\xE2\x82x\xF0\x9F\x98\x80!", buffer, 16), 5) << "each byte of a cut sequence is replaced";
  EXPECT_STREQ(buffer, L"\xFFFD\xFFFDx\xFFFD!");
}

TEST(Utf8Coders, NothingIsReadPastTheTerminatorAtAPageEnd) {
  PageEndBytes text(std::string("\xC3\xA9\xE2", 3) + '\0');
  wchar_t buffer[8];
  EXPECT_EQ(Utf8ToWideBounded(text.data(), buffer, 8), 2);
  EXPECT_STREQ(buffer, L"\x00E9\xFFFD");
  PageEndBytes marked(std::string("\xEF\xBB\xBF\xC3\xA9\xE2\x82", 7) + '\0');
  EXPECT_EQ(TextToWide(marked.data(), buffer, 8), 3);
  EXPECT_STREQ(buffer, L"\x00E9\xFFFD\xFFFD");
  PageEndBytes lone(std::string("\xC3", 1) + '\0');
  EXPECT_EQ(Utf8ToWideBounded(lone.data(), buffer, 8), 1);
  EXPECT_STREQ(buffer, L"\xFFFD");
}

TEST(Utf8Coders, BoundedDecodeKeepsTheLongestPrefix) {
  std::vector<wchar_t> buffer(5, L'#');
  EXPECT_EQ(Utf8ToWideBounded("\xC3\xA9t\xC3\xA9 long", buffer.data(), 4), 3);
  EXPECT_STREQ(buffer.data(), L"\x00E9t\x00E9");
  EXPECT_EQ(buffer[4], L'#');
  EXPECT_EQ(Utf8ToWideBounded(nullptr, buffer.data(), 4), 0);
  EXPECT_STREQ(buffer.data(), L"");
  EXPECT_EQ(Utf8ToWideBounded("abc", buffer.data(), 0), 0);
}

TEST(Utf8Coders, LongTextDecodesWhole) {
  std::string text;
  std::wstring expected;
  for (int i = 0; i < 5000; ++i) {
    text += "\xE2\x82\xAC";
    expected += L'\x20AC';
  }
  std::vector<wchar_t> buffer(6000);
  EXPECT_EQ(Utf8ToWideBounded(text.c_str(), buffer.data(), 6000), 5000);
  EXPECT_EQ(std::wstring(buffer.data()), expected);
}

TEST(TextToWideConversion, MarkSelectsUtf8ElseActiveCodePage) {
  wchar_t buffer[8];
  EXPECT_EQ(TextToWide("\xEF\xBB\xBF" "abc", buffer, 8), 3);
  EXPECT_STREQ(buffer, L"abc");
  TextToWide("\xE9", buffer, 8);
  EXPECT_STREQ(buffer, L"\x00E9");
  TextToWide("\xC3\xA9", buffer, 8);
  EXPECT_STREQ(buffer, L"\x00C3\x00A9");
}

TEST(CodePageConversion, CutsToCapacityAndTerminates) {
  std::vector<wchar_t> wide(6, L'#');
  EXPECT_EQ(MultiByteToWideBounded("abcdefgh", wide.data(), 5, CP_ACP), 4);
  EXPECT_STREQ(wide.data(), L"abcd");
  EXPECT_EQ(wide[5], L'#');
  EXPECT_EQ(MultiByteToWideBounded(nullptr, wide.data(), 5, CP_ACP), 0);
  EXPECT_STREQ(wide.data(), L"");
  std::vector<char> narrow(6, '#');
  EXPECT_EQ(WideToMultiByteBounded(L"\x20AC" L"1234567", narrow.data(), 5, CP_ACP), 4);
  EXPECT_STREQ(narrow.data(), "\x80" "123");
  EXPECT_EQ(narrow[5], '#');
}

TEST(CodePageConversion, Utf8CutNeverSplitsACharacter) {
  std::vector<wchar_t> wide(4, L'#');
  // Three two-byte characters: all of them fit in the characters even though the bytes are more.
  EXPECT_EQ(MultiByteToWideBounded("\xC3\xA9\xC3\xA8\xC3\xAA\xC3\xAB", wide.data(), 4, CP_UTF8), 3);
  EXPECT_STREQ(wide.data(), L"\x00E9\x00E8\x00EA");
  std::vector<char> narrow(8, '#');
  EXPECT_EQ(WideToMultiByteBounded(L"ab\x20AC" L"cd", narrow.data(), 5, CP_UTF8), 2);
  EXPECT_STREQ(narrow.data(), "ab");
  EXPECT_EQ(WideToMultiByteBounded(L"\xD83D\xDE00", narrow.data(), 4, CP_UTF8), 0);
  EXPECT_STREQ(narrow.data(), "");
}

TEST(CodePageConversion, AppendConvertsOntoTheEnd) {
  wchar_t target[10] = L"ab";
  EXPECT_EQ(AppendMultiByteAsWide("cd", target, 10, CP_ACP), 2);
  EXPECT_STREQ(target, L"abcd");
  EXPECT_EQ(AppendMultiByteAsWide("", target, 10, CP_ACP), 4);
  EXPECT_EQ(AppendMultiByteAsWide("efghijklmn", target, 10, CP_ACP), 5);
  EXPECT_STREQ(target, L"abcdefghi");
}

TEST(CodePageConversion, BoundedUtf8EncodingKeepsWholeCharacters) {
  char buffer[8];
  EXPECT_EQ(WideToUtf8Bounded(L"a\x20AC", buffer, 8), 4);
  EXPECT_STREQ(buffer, "a\xE2\x82\xAC");
  std::vector<char> small(6, '#');
  EXPECT_EQ(WideToUtf8Bounded(L"ab\x20AC" L"c", small.data(), 5), -6);
  EXPECT_STREQ(small.data(), "ab");
  EXPECT_EQ(small[5], '#');
  EXPECT_EQ(WideToUtf8Bounded(L"a", nullptr, 8), 87);
}

TEST(CodePageConversion, AnsiWhenItRoundTripsElseMarkedUtf8) {
  InlineTextBuffer buffer;
  InitInlineTextBuffer(&buffer);
  EXPECT_STREQ(WideToAnsiOrUtf8(L"caf\x00E9 \x20AC", &buffer), "caf\xE9 \x80");
  EXPECT_STREQ(WideToAnsiOrUtf8(L"\x0436" L"a", &buffer), "\xEF\xBB\xBF\xD0\xB6" "a");
  EXPECT_STREQ(WideToAnsiOrUtf8(L"", &buffer), "");
  std::wstring large(6000, L'\x0436');
  const char* converted = WideToAnsiOrUtf8(large.c_str(), &buffer);
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(strlen(converted), 3u + 12000u);
  ReleaseInlineTextBuffer(&buffer);
}
