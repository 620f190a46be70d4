// Rename masks, case masks, numbered variants and shortened labels.
#include "foundation/text/name_masks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace {

std::wstring Masked(const wchar_t* path, const wchar_t* mask, int* result = nullptr) {
  wchar_t target[1024];
  const int code = ApplyWildcardNameMask(path, mask, target, 1024);
  if (result != nullptr) *result = code;
  return target;
}

std::wstring CaseMasked(const wchar_t* source, const wchar_t* mask) {
  wchar_t target[260];
  EXPECT_EQ(ApplyCaseMask(source, target, 260, mask), 0);
  return target;
}

std::wstring Numbered(unsigned number, const wchar_t* name, bool atEnd = false) {
  wchar_t target[64];
  InsertNumberBeforeExtension(number, name, target, 64, atEnd);
  return target;
}

std::wstring Shortened(const std::wstring& text, int length) {
  std::vector<wchar_t> target(static_cast<size_t>(length) + 1 + 8, L'#');
  ShortenWithEllipsis(text.c_str(), length, target.data());
  for (size_t i = static_cast<size_t>(length) + 1; i < target.size(); ++i) EXPECT_EQ(target[i], L'#');
  return target.data();
}

}  // namespace

TEST(WildcardMask, ExtensionAndBaseMapSeparately) {
  EXPECT_EQ(Masked(L"D:\\d\\report.txt", L"*.bak"), L"D:\\d\\report.bak");
  EXPECT_EQ(Masked(L"D:\\d\\report.txt", L"x?*"), L"D:\\d\\xeport.txt");
  EXPECT_EQ(Masked(L"D:\\d\\report.txt", L"???.*"), L"D:\\d\\rep.txt");
  EXPECT_EQ(Masked(L"D:\\d\\report.txt", L"new_*.t?"), L"D:\\d\\new_rt.tx");
  EXPECT_EQ(Masked(L"report.txt", L"*.*"), L"report.txt");
}

TEST(WildcardMask, DotMaskAndStarDotStar) {
  EXPECT_EQ(Masked(L"D:\\d\\report.txt", L"."), L"D:\\d\\report.txt");
  EXPECT_EQ(Masked(L"D:\\d\\file", L"*.*"), L"D:\\d\\file");
  EXPECT_EQ(Masked(L"D:\\d\\name.", L"*.*"), L"D:\\d\\name");
  EXPECT_EQ(Masked(L"D:\\d\\.profile", L"*.*"), L"D:\\d\\.profile");
}

TEST(WildcardMask, MaskWithFolderIsRefused) {
  int result = 0;
  EXPECT_EQ(Masked(L"D:\\d\\report.txt", L"a\\b", &result), L"");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Masked(L"D:\\d\\report.txt", L"a/b", &result), L"");
  EXPECT_EQ(result, 1);
}

TEST(WildcardMask, StarBeforeSegmentSearchesIgnoringCase) {
  EXPECT_EQ(Masked(L"holiday-PHOTO-01.jpg", L"*photo*.*"), L"holiday-photo-01.jpg");
  EXPECT_EQ(Masked(L"holiday-01.jpg", L"*photo*.*"), L".jpg");
}

TEST(WildcardMask, StarBeforeTailKeepsRoomForIt) {
  EXPECT_EQ(Masked(L"document.txt", L"*_v2.*"), L"docum_v2.txt");
  EXPECT_EQ(Masked(L"document.txt", L"*??.*"), L"document.txt");
  EXPECT_EQ(Masked(L"ab.txt", L"*xyz.txt"), L"xyz.txt");
}

TEST(WildcardMask, QuestionMarkEndsTheOutputAtTheSourceEnd) {
  EXPECT_EQ(Masked(L"ab.txt", L"?????.*"), L"ab.txt");
}

TEST(WildcardMask, ResultThatDoesNotFitIsRefused) {
  wchar_t target[8] = L"######";
  EXPECT_EQ(ApplyWildcardNameMask(L"D:\\d\\report.txt", L"*.bak", target, 8), 111);
  EXPECT_STREQ(target, L"");
}

TEST(CaseMask, MarksChangeOneCharacterOrARange) {
  EXPECT_EQ(CaseMasked(L"C:\\x\\photo.jpg", L"<"), L"C:\\x\\PHOTO.JPG");
  EXPECT_EQ(CaseMasked(L"PHOTO.JPG", L">"), L"photo.jpg");
  EXPECT_EQ(CaseMasked(L"photo.jpg", L"<a<"), L"PhOTO.JPG");
  EXPECT_EQ(CaseMasked(L"PHOTO.JPG", L"<.>"), L"PHOTO.jpg");
  EXPECT_EQ(CaseMasked(L"photo.jpg", L"<."), L"PHOTO.jpg");
}

TEST(CaseMask, StarSkipsToTheExtension) {
  EXPECT_EQ(CaseMasked(L"photo.jpg", L"*.<"), L"photo.JPG");
  EXPECT_EQ(CaseMasked(L"photo.jpg", L"<*"), L"Photo.jpg");
  EXPECT_EQ(CaseMasked(L"photo.jpg", L"<*.<"), L"Photo.JPG");
  EXPECT_EQ(CaseMasked(L"photo", L"*.<"), L"photo");
}

TEST(CaseMask, CapitaliseWholeName) {
  EXPECT_EQ(CaseMasked(L"D:\\Dir\\mY PHOTO.JPG", L"<>"), L"D:\\Dir\\My photo.jpg");
  EXPECT_EQ(CaseMasked(L"mY PHOTO.JPG", L"><"), L"My photo.jpg");
}

TEST(CaseMask, FailuresLeaveAnEmptyTarget) {
  wchar_t target[4] = L"abc";
  EXPECT_EQ(ApplyCaseMask(L"photo.jpg", target, 4, L"<"), 111);
  EXPECT_STREQ(target, L"");
  EXPECT_EQ(ApplyCaseMask(nullptr, target, 4, L"<"), 87);
}

TEST(NumberedVariant, NumberGoesBeforeTheExtensionOrAtTheEnd) {
  EXPECT_EQ(Numbered(2, L"photo.jpg"), L"photo (2).jpg");
  EXPECT_EQ(Numbered(2, L"photo.jpg", true), L"photo.jpg (2)");
  EXPECT_EQ(Numbered(2, L".txt"), L"(2).txt");
  EXPECT_EQ(Numbered(2, L"Photos.2020", true), L"Photos.2020 (2)");
  EXPECT_EQ(Numbered(3, L""), L"#3");
  EXPECT_EQ(Numbered(99999, L"readme"), L"readme (99999)");
}

TEST(NumberedVariant, SameBufferAndCutResult) {
  wchar_t name[32] = L"a.b";
  EXPECT_EQ(InsertNumberBeforeExtension(7, name, name, 32, false), 0);
  EXPECT_STREQ(name, L"a (7).b");
  wchar_t small[6];
  EXPECT_LT(InsertNumberBeforeExtension(7, L"photo.jpg", small, 6, false), 0);
  EXPECT_STREQ(small, L"photo");
}

TEST(Ellipsis, LongTextKeepsHeadAndTail) {
  std::wstring text;
  for (int i = 0; i < 300; ++i) text += static_cast<wchar_t>(L'a' + i % 26);
  const std::wstring shortened = Shortened(text, 255);
  ASSERT_EQ(shortened.size(), 255u);
  EXPECT_EQ(shortened.substr(0, 51), text.substr(0, 51));
  EXPECT_EQ(shortened.substr(51, 3), L"...");
  EXPECT_EQ(shortened.substr(54), text.substr(300 - 201));
}

TEST(Ellipsis, ShortLengthsStayWithinTheirSize) {
  EXPECT_EQ(Shortened(L"abcdefghij", 1), L".");
  EXPECT_EQ(Shortened(L"abcdefghij", 2), L"..");
  EXPECT_EQ(Shortened(L"abcdefghij", 3), L"...");
  EXPECT_EQ(Shortened(L"abcdefghij", 4), L"a...");
  EXPECT_EQ(Shortened(L"abcdefghij", 5), L"ab...");
  EXPECT_EQ(Shortened(L"abcdefghij", 6), L"abc...");
  EXPECT_EQ(Shortened(L"abcdefghij", 7), L"abcd...");
  EXPECT_EQ(Shortened(L"abcdefghijklmnopqrst", 15), L"abc...lmnopqrst");
  EXPECT_EQ(Shortened(L"short", 6), L"short");
  EXPECT_EQ(Shortened(L"abcdefghij", 0), L"");
}
