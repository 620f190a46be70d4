// Cell texts made safe for an HTML page: every character that markup could take for its own (the blank, '"',
// '&', '<', '>') becomes its entity, and so does every character above 128: a named entity where HTML 4 has
// one in the table below, else a numeric reference to its code point. The result is plain ASCII, so a page
// holding it reads the same in any 8-bit code page, in UTF-16 and in UTF-8.
#pragma once
#include <cstdint>

#pragma pack(push, 1)
struct HtmlEntity {
  uint16_t codePoint;
  char name[9];  // "&...;" and its terminator
};
#pragma pack(pop)

// 105 entries keyed by code point: the five ASCII ones (the blank as "&nbsp;"), "&euro;" and "&trade;", the
// Latin-1 letters and signs U+00A1 to U+00FF by their HTML 4 names, then three older names that the first
// match always hides ("&brkbar;", "&die;", "&hibar;").
constexpr int kHtmlEntityCount = 105;
extern const HtmlEntity HtmlEntityTable[kHtmlEntityCount];

// The longest escaped form of one UTF-16 unit: an 8-character entity ("&frac14;") or a reference below 65536;
// a surrogate pair's reference ("&#1114111;") takes only 5 per unit.
constexpr int kHtmlEscapedUnitMax = 8;

// The escaped form of one code point into `target` when it fits `capacity` (terminator included; nothing is
// written otherwise): its entity, "&#<code point>;" above 128, else the character itself. Returns the length
// of the escaped form.
int HtmlEscapeChar(uint32_t codePoint, wchar_t* target, int capacity);

// Escapes a whole text; a surrogate pair becomes one reference to its code point. `target` may be `text`.
// 0 on success (an empty text gives an empty target); -1 when the escaped text does not fit `capacity`
// (the target is then empty); -2 when no memory was left for escaping in place.
int HtmlEscapeText(const wchar_t* text, wchar_t* target, int capacity);
