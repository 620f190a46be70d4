#include "views/html_escape.h"

#include <cstdio>
#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"

// The Latin-1 part keeps code point order from U+00A1 on, so a lookup there is one index.
const HtmlEntity HtmlEntityTable[kHtmlEntityCount] = {
    {0x20, "&nbsp;"},     {0x22, "&quot;"},     {0x26, "&amp;"},      {0x3C, "&lt;"},       {0x3E, "&gt;"},
    {0x20AC, "&euro;"},   {0x2122, "&trade;"},  {0xA1, "&iexcl;"},    {0xA2, "&cent;"},     {0xA3, "&pound;"},
    {0xA4, "&curren;"},   {0xA5, "&yen;"},      {0xA6, "&brvbar;"},   {0xA7, "&sect;"},     {0xA8, "&uml;"},
    {0xA9, "&copy;"},     {0xAA, "&ordf;"},     {0xAB, "&laquo;"},    {0xAC, "&not;"},      {0xAD, "&shy;"},
    {0xAE, "&reg;"},      {0xAF, "&macr;"},     {0xB0, "&deg;"},      {0xB1, "&plusmn;"},   {0xB2, "&sup2;"},
    {0xB3, "&sup3;"},     {0xB4, "&acute;"},    {0xB5, "&micro;"},    {0xB6, "&para;"},     {0xB7, "&middot;"},
    {0xB8, "&cedil;"},    {0xB9, "&sup1;"},     {0xBA, "&ordm;"},     {0xBB, "&raquo;"},    {0xBC, "&frac14;"},
    {0xBD, "&frac12;"},   {0xBE, "&frac34;"},   {0xBF, "&iquest;"},   {0xC0, "&Agrave;"},   {0xC1, "&Aacute;"},
    {0xC2, "&Acirc;"},    {0xC3, "&Atilde;"},   {0xC4, "&Auml;"},     {0xC5, "&Aring;"},    {0xC6, "&AElig;"},
    {0xC7, "&Ccedil;"},   {0xC8, "&Egrave;"},   {0xC9, "&Eacute;"},   {0xCA, "&Ecirc;"},    {0xCB, "&Euml;"},
    {0xCC, "&Igrave;"},   {0xCD, "&Iacute;"},   {0xCE, "&Icirc;"},    {0xCF, "&Iuml;"},     {0xD0, "&ETH;"},
    {0xD1, "&Ntilde;"},   {0xD2, "&Ograve;"},   {0xD3, "&Oacute;"},   {0xD4, "&Ocirc;"},    {0xD5, "&Otilde;"},
    {0xD6, "&Ouml;"},     {0xD7, "&times;"},    {0xD8, "&Oslash;"},   {0xD9, "&Ugrave;"},   {0xDA, "&Uacute;"},
    {0xDB, "&Ucirc;"},    {0xDC, "&Uuml;"},     {0xDD, "&Yacute;"},   {0xDE, "&THORN;"},    {0xDF, "&szlig;"},
    {0xE0, "&agrave;"},   {0xE1, "&aacute;"},   {0xE2, "&acirc;"},    {0xE3, "&atilde;"},   {0xE4, "&auml;"},
    {0xE5, "&aring;"},    {0xE6, "&aelig;"},    {0xE7, "&ccedil;"},   {0xE8, "&egrave;"},   {0xE9, "&eacute;"},
    {0xEA, "&ecirc;"},    {0xEB, "&euml;"},     {0xEC, "&igrave;"},   {0xED, "&iacute;"},   {0xEE, "&icirc;"},
    {0xEF, "&iuml;"},     {0xF0, "&eth;"},      {0xF1, "&ntilde;"},   {0xF2, "&ograve;"},   {0xF3, "&oacute;"},
    {0xF4, "&ocirc;"},    {0xF5, "&otilde;"},   {0xF6, "&ouml;"},     {0xF7, "&divide;"},   {0xF8, "&oslash;"},
    {0xF9, "&ugrave;"},   {0xFA, "&uacute;"},   {0xFB, "&ucirc;"},    {0xFC, "&uuml;"},     {0xFD, "&yacute;"},
    {0xFE, "&thorn;"},    {0xFF, "&yuml;"},     {0xA6, "&brkbar;"},   {0xA8, "&die;"},      {0xAF, "&hibar;"},
};

namespace {

constexpr uint32_t kFirstLatin1Entity = 0xA1;
constexpr uint32_t kLastLatin1Entity = 0xFF;
constexpr int kLatin1Start = 7;
constexpr int kOtherEntities = kLatin1Start;
constexpr uint32_t kPlainLimit = 128;  // characters up to here stand for themselves unless the table names them

const char* EntityOf(uint32_t codePoint) {
  if (codePoint >= kFirstLatin1Entity && codePoint <= kLastLatin1Entity) {
    return HtmlEntityTable[kLatin1Start + (codePoint - kFirstLatin1Entity)].name;
  }
  for (int i = 0; i < kOtherEntities; ++i) {
    if (HtmlEntityTable[i].codePoint == codePoint) return HtmlEntityTable[i].name;
  }
  return nullptr;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The code point at text[i] and how many units it takes.
uint32_t CodePointAt(const wchar_t* text, size_t i, int* units) {
  if (IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1])) {
    *units = 2;
    return 0x10000 + ((static_cast<uint32_t>(text[i]) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
  }
  *units = 1;
  return text[i];
}

// Escapes into a target known to be large enough.
void EscapeInto(const wchar_t* text, wchar_t* target, int capacity) {
  int used = 0;
  int units = 1;
  for (size_t i = 0; text[i] != 0; i += units) {
    used += HtmlEscapeChar(CodePointAt(text, i, &units), target + used, capacity - used);
  }
  target[used] = 0;
}

}  // namespace

int HtmlEscapeChar(uint32_t codePoint, wchar_t* target, int capacity) {
  char escaped[16];
  if (const char* entity = EntityOf(codePoint)) {
    CopyNarrowBounded(entity, escaped, sizeof escaped);
  } else if (codePoint > kPlainLimit) {
    snprintf(escaped, sizeof escaped, "&#%u;", codePoint);
  } else {
    if (target && capacity >= 2) {
      target[0] = static_cast<wchar_t>(codePoint);
      target[1] = 0;
    }
    return 1;
  }
  const int length = static_cast<int>(strlen(escaped));
  if (!target || capacity <= length) return length;
  for (int i = 0; i <= length; ++i) target[i] = static_cast<unsigned char>(escaped[i]);
  return length;
}

int HtmlEscapeText(const wchar_t* text, wchar_t* target, int capacity) {
  if (!target || capacity <= 0) return -1;
  if (!text) text = L"";
  size_t needed = 0;
  int units = 1;
  for (size_t i = 0; text[i] != 0; i += units) needed += HtmlEscapeChar(CodePointAt(text, i, &units), nullptr, 0);
  if (needed >= static_cast<size_t>(capacity)) {
    target[0] = 0;
    return -1;
  }
  if (text != target) {
    EscapeInto(text, target, capacity);
    return 0;
  }
  wchar_t* work = AllocZeroedWide(static_cast<uint32_t>(needed + 1));
  if (!work) return -2;
  EscapeInto(text, work, static_cast<int>(needed + 1));
  CopyWideBounded(work, target, capacity);
  FreeAndNull(&work);
  return 0;
}
