// Regular expressions over 8-bit text, through the 8-bit PCRE2 library: a pattern compiled once and kept with
// its match data, the first match found in a text, and both freed again. Patterns and texts are plain bytes
// (no UTF mode), so match offsets count bytes; callers that convert wide text map them back themselves.
#pragma once
#include <cstddef>
#include <cstdint>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;

struct RegexHolder {
  pcre2_real_code_8* code;              // null when the pattern did not compile
  pcre2_real_match_data_8* matchData;   // null without code, or when it could not be created
  uint32_t gaveUp;                      // searches that hit the match limits since the pattern was built
};

// Fills the holder from a zero-terminated pattern. One enclosing pair of '/' is removed from the pattern in
// place ("/abc/" becomes "abc"; a lone "/" or a pattern with only a leading '/' stays). The pattern is compiled
// caseless unless case matters. A pattern that does not compile leaves the holder without code, and every
// search with it then finds nothing.
void BuildRegex(RegexHolder* holder, char* pattern, bool caseMatters);

// Searches `length` bytes of `text` from its start. 0 without code or without a match; otherwise the number of
// captured pairs (the whole match included), or 1 when the library reports 0. `start` and `matchLength` (each
// may be null) receive the first match's byte offset and byte length, or 0 and 0 without match data.
// A search is bounded (backtracking steps and depth), so that a pattern that backtracks without end, such as
// (a+)+$ on a long run of a's, costs a few milliseconds a text: a search that reaches the bound gives up,
// counts in `gaveUp` and reports no match.
int FindRegexMatch(RegexHolder* holder, const char* text, size_t length, int32_t* start,
                   int32_t* matchLength);

// Frees the compiled pattern and the match data; the holder is empty afterwards.
void FreeRegex(RegexHolder* holder);
