// Escaping cell texts for an HTML page: entities looked up by code point, numeric references for the rest
// above 128 (one per character beyond the basic plane), and texts that do not fit.
#include "views/html_escape.h"

#include <gtest/gtest.h>

#include <string>

TEST(HtmlEscape, CharactersBecomeTheirEntityOrReferenceAndATextThatDoesNotFitIsNotWritten) {
  struct Case {
    const wchar_t* text;
    int capacity;
    const wchar_t* escaped;  // null: -1, nothing written
  };
  const Case cases[] = {
      {L"a&b c", 64, L"a&amp;b&nbsp;c"},
      {L"<i>\"x\"</i>", 64, L"&lt;i&gt;&quot;x&quot;&lt;/i&gt;"},
      {L"", 1, L""},
      {L"z~\x7F\x80", 64, L"z~\x7F\x80"},                                // up to 128 a character stands for itself
      {L"\x81\xA0", 64, L"&#129;&#160;"},                                // no entity: a reference
      {L"\xA1\xA6\xA8\xAF\xFF", 64, L"&iexcl;&brvbar;&uml;&macr;&yuml;"},  // the older names never win
      {L"\x160\x20AC\x2122", 64, L"&#352;&euro;&trade;"},
      {L"\x411\x42F", 64, L"&#1041;&#1071;"},  // Cyrillic by code point, never under Latin-1 names
      {L"\xD83D\xDE00!", 64, L"&#128512;!"},   // one reference for a surrogate pair
      {L"\xD83Dx", 64, L"&#55357;x"},          // a lone half stays a unit of its own
      {L"a b", 9, L"a&nbsp;b"},
      {L"a b", 8, nullptr},
  };
  for (const Case& c : cases) {
    std::wstring target(static_cast<size_t>(c.capacity), L'#');
    const int result = HtmlEscapeText(c.text, target.data(), c.capacity);
    EXPECT_EQ(result, c.escaped ? 0 : -1) << c.capacity;
    EXPECT_EQ(std::wstring(target.c_str()), c.escaped ? c.escaped : L"");
  }
  wchar_t same[40] = L"<x> & \x20AC";
  ASSERT_EQ(HtmlEscapeText(same, same, 40), 0);
  EXPECT_STREQ(same, L"&lt;x&gt;&nbsp;&amp;&nbsp;&euro;");
}
