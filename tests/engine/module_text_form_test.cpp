// The step text form: quoted and plain values, the comment part, and that every value and comment comes back
// unchanged through a write and a read.
#include "engine/module_text_form.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/module_table.h"
#include "foundation/files/paths.h"

namespace {

struct FieldRead {
  std::wstring value;
  // The text that follows the value, or "(none)" when the read failed.
  std::wstring rest;
};

FieldRead ReadField(const wchar_t* text, int capacity = 1024, wchar_t delimiter = L'"') {
  wchar_t out[1024];
  out[0] = L'?';
  const wchar_t* after = ReadSettingsTextField(text, out, capacity, delimiter);
  return {out, after != nullptr ? std::wstring(after) : L"(none)"};
}

std::wstring WrittenField(const std::wstring& value) {
  wchar_t text[4096] = {};
  EXPECT_EQ(AppendSettingsTextField(value.c_str(), text, 4096), 0);
  return text;
}

struct CommentRead {
  int result;
  std::wstring comment;
};

CommentRead ReadComment(const wchar_t* position, int capacity = kStepCommentCapacity) {
  wchar_t comment[1024];
  comment[0] = L'?';
  const int result = ReadSettingsComment(position, comment, capacity);
  return {result, comment};
}

std::wstring WrittenComment(const std::wstring& comment) {
  wchar_t text[2048] = {};
  EXPECT_EQ(WriteSettingsComment(comment.c_str(), text, 2048), 0);
  return text;
}

const wchar_t* const kAwkwardValues[] = {
    L"", L"abc", L"with blanks", L"a;b>c", L",;>", L"say \"hi\"", L"\"", L"\"\"", L"C:\\dir\\", L"\\",
    L"\\\\", L"a\\\"b", L"a\\\\\"b", L"end\\\"", L"x\",y", L"x\">y", L"\\\"\\", L"C:\\new\\names"};

}  // namespace

TEST(SettingsTextField, ReadsQuotedValuesUpToTheirClosingQuote) {
  EXPECT_EQ(ReadField(L"\"abc\",5>").value, L"abc");
  EXPECT_EQ(ReadField(L"\"abc\",5>").rest, L",5>");
  EXPECT_EQ(ReadField(L"\"\";\"c\">").value, L"");
  EXPECT_EQ(ReadField(L"\"\";\"c\">").rest, L";\"c\">");
  EXPECT_EQ(ReadField(L"\"a;b>c\">").value, L"a;b>c");
  EXPECT_EQ(ReadField(L"\"say \\\"hi\\\"\">").value, L"say \"hi\"");
}

TEST(SettingsTextField, RefusesUnclosedAndOverlongQuotedValues) {
  EXPECT_EQ(ReadField(L"\"abc").rest, L"(none)");
  EXPECT_EQ(ReadField(L"\"abcdef\">", 4).rest, L"(none)");
  EXPECT_EQ(ReadField(L"\"abcdef\">", 4).value, L"");
  EXPECT_EQ(ReadField(L"\"abc\">", 4).value, L"abc");
}

TEST(SettingsTextField, ReadsPlainValuesUpToSemicolonOrClosingBracket) {
  EXPECT_EQ(ReadField(L"a,b c;\"x\">", 1024, 0).value, L"a,b c");
  EXPECT_EQ(ReadField(L"a,b c;\"x\">", 1024, 0).rest, L";\"x\">");
  EXPECT_EQ(ReadField(L"\"q\">", 1024, 0).value, L"\"q\"");
  EXPECT_EQ(ReadField(L"abc", 1024, 0).rest, L"(none)");
  EXPECT_EQ(ReadField(L"abcdef>", 4, 0).rest, L"(none)");
  EXPECT_EQ(ReadField(L"abc>", 4, 0).value, L"abc");
  EXPECT_EQ(ReadField(L"", 1024, 0).rest, L"(none)");
  EXPECT_EQ(ReadField(nullptr).rest, L"(none)");
}

TEST(SettingsTextField, EveryValueComesBackUnchanged) {
  for (const wchar_t* value : kAwkwardValues) {
    const std::wstring written = WrittenField(value);
    for (const wchar_t* next : {L">", L",7>", L";\"note\">"}) {
      const FieldRead read = ReadField((written + next).c_str());
      EXPECT_EQ(read.value, value) << "written as " << std::string(written.begin(), written.end());
      EXPECT_EQ(read.rest, next);
    }
  }
}

TEST(SettingsTextField, WritesValuesWithoutQuotesOrTrailingBackslashAsPlainQuoting) {
  for (const wchar_t* value : {L"", L"jpg", L"C:\\dir\\file", L"a;b>c", L"\\\\server\\share"}) {
    wchar_t quoted[256];
    QuoteText(value, quoted, 256);
    EXPECT_EQ(WrittenField(value), quoted);
  }
}

TEST(SettingsTextField, ReadsOlderTextsWhoseValueEndsInABackslash) {
  EXPECT_EQ(ReadField(L"\"C:\\dir\\\">").value, L"C:\\dir\\");
  EXPECT_EQ(ReadField(L"\"C:\\dir\\\">").rest, L">");
  EXPECT_EQ(ReadField(L"\"C:\\dir\\\",\"x\">").value, L"C:\\dir\\");
  EXPECT_EQ(ReadField(L"\"C:\\dir\\\",\"x\">").rest, L",\"x\">");
}

TEST(SettingsTextField, CutWriteIsReported) {
  wchar_t text[8] = L"<Ext,";
  EXPECT_LT(AppendSettingsTextField(L"toolong", text, 8), 0);
  EXPECT_EQ(std::wstring(text).size(), 7u);
}

TEST(SettingsComment, AbsentCommentNeedsTheClosingBracket) {
  EXPECT_EQ(ReadComment(L">").result, 0);
  EXPECT_EQ(ReadComment(L">").comment, L"");
  EXPECT_EQ(ReadComment(L"x>").result, 1);
  EXPECT_EQ(ReadComment(L";\"no end\"").result, 1);
  EXPECT_EQ(ReadComment(nullptr).result, 101);
  EXPECT_EQ(WrittenComment(L""), L">");
}

TEST(SettingsComment, WritesLineBreaksAsBackslashN) {
  EXPECT_EQ(WrittenComment(L"a\r\nb"), L";\"a\\nb\">");
  EXPECT_EQ(WrittenComment(L"say \"hi\""), L";\"say \\\"hi\\\"\">");
  const CommentRead read = ReadComment(L";\"a\\nb\">");
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.comment, L"a\r\nb");
}

TEST(SettingsComment, EveryCommentComesBackUnchanged) {
  const std::wstring comments[] = {L"hello",
                                   L"two\r\nlines",
                                   L"a;b>c",
                                   L">",
                                   L"say \"hi\"",
                                   L"\"",
                                   L"C:\\new folder",
                                   L"ends with \\",
                                   L"\\\\server\\n",
                                   L"x\\\r\ny",
                                   L"\\n literally",
                                   L"a\\\"b",
                                   std::wstring(255, L'c'),
                                   std::wstring(255, L'"'),
                                   std::wstring(255, L'>'),
                                   std::wstring(120, L'\\') + L"n" + std::wstring(120, L'"')};
  for (const std::wstring& comment : comments) {
    const std::wstring written = WrittenComment(comment);
    const CommentRead read = ReadComment(written.c_str());
    EXPECT_EQ(read.result, 0);
    EXPECT_EQ(read.comment, comment) << "written as " << std::string(written.begin(), written.end());
  }
}

TEST(SettingsComment, LongWrittenCommentsAreCutNotRefused) {
  const std::wstring text = L";\"" + std::wstring(300, L'x') + L"\">";
  const CommentRead read = ReadComment(text.c_str());
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.comment, std::wstring(kStepCommentCapacity - 1, L'x'));
  EXPECT_EQ(WrittenComment(std::wstring(300, L'y')), L";\"" + std::wstring(255, L'y') + L"\">");
}

TEST(SettingsComment, ReadsCommentsWrittenWithoutQuotes) {
  EXPECT_EQ(ReadComment(L";plain>").comment, L"plain");
  EXPECT_EQ(ReadComment(L";\"\">").comment, L"");
  EXPECT_EQ(ReadComment(L";\"a\\nb\">").comment, L"a\r\nb");
}

TEST(StepKey, SkipsBracketAndKey) {
  EXPECT_STREQ(SkipStepKey(L"<Case,n,1>"), L",n,1>");
  // ';' and '>' do not end a key: a step without values has no key of its own.
  EXPECT_STREQ(SkipStepKey(L"<Case>"), L"");
  EXPECT_EQ(SkipStepKey(L"Case,n,1>"), nullptr);
  EXPECT_EQ(SkipExpected(L"x", L','), nullptr);
  EXPECT_STREQ(SkipExpected(L",x", L','), L"x");
}
