#include "foundation/text/regex_holder.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <climits>
#include <cstring>

namespace {

// "/abc/" becomes "abc": the closing '/' goes, and the rest moves one place left over the opening one.
void StripEnclosingSlashes(char* pattern) {
  const size_t length = strlen(pattern);
  if (length < 2 || pattern[0] != '/' || pattern[length - 1] != '/') return;
  pattern[length - 1] = 0;
  memmove(pattern, pattern + 1, length - 1);
}

// Bounds of one search. A name is at most a few thousand bytes: the step limit lets an ordinary pattern scan it
// many times over, yet stops exponential backtracking within milliseconds; the depth limit keeps the
// library's backtracking memory small.
constexpr uint32_t kMatchStepLimit = 200000;
constexpr uint32_t kMatchDepthLimit = 20000;

pcre2_match_context* MakeSearchBounds() {
  pcre2_match_context* bounds = pcre2_match_context_create(nullptr);
  if (bounds != nullptr) {
    pcre2_set_match_limit(bounds, kMatchStepLimit);
    pcre2_set_depth_limit(bounds, kMatchDepthLimit);
  }
  return bounds;
}

// Made once and never changed, so searches on any thread share it.
pcre2_match_context* SearchBounds() {
  static pcre2_match_context* const bounds = MakeSearchBounds();
  return bounds;
}

bool HitSearchBound(int result) {
  return result == PCRE2_ERROR_MATCHLIMIT || result == PCRE2_ERROR_DEPTHLIMIT || result == PCRE2_ERROR_HEAPLIMIT;
}

}  // namespace

void BuildRegex(RegexHolder* holder, char* pattern, bool caseMatters) {
  holder->code = nullptr;
  holder->matchData = nullptr;
  holder->gaveUp = 0;
  if (pattern == nullptr) return;
  StripEnclosingSlashes(pattern);
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  holder->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED,
                               caseMatters ? 0 : PCRE2_CASELESS, &error, &errorOffset, nullptr);
  if (holder->code != nullptr) holder->matchData = pcre2_match_data_create_from_pattern(holder->code, nullptr);
}

int FindRegexMatch(RegexHolder* holder, const char* text, size_t length, int32_t* start, int32_t* matchLength) {
  if (holder == nullptr || holder->code == nullptr || text == nullptr) return 0;
  if (length > static_cast<size_t>(INT_MAX)) length = INT_MAX;
  pcre2_match_context* bounds = SearchBounds();
  // Without its bounds a search could run for minutes: it is not run at all.
  const int pairs = bounds == nullptr ? PCRE2_ERROR_MATCHLIMIT
                                      : pcre2_match(holder->code, reinterpret_cast<PCRE2_SPTR>(text), length, 0, 0,
                                                    holder->matchData, bounds);
  if (HitSearchBound(pairs)) ++holder->gaveUp;
  if (pairs < 0) return 0;
  int32_t first = 0;
  int32_t extent = 0;
  if (holder->matchData != nullptr) {
    const PCRE2_SIZE* pairOffsets = pcre2_get_ovector_pointer(holder->matchData);
    first = static_cast<int32_t>(pairOffsets[0]);
    extent = static_cast<int32_t>(pairOffsets[1] - pairOffsets[0]);
  }
  if (start != nullptr) *start = first;
  if (matchLength != nullptr) *matchLength = extent;
  return pairs == 0 ? 1 : pairs;
}

void FreeRegex(RegexHolder* holder) {
  if (holder == nullptr) return;
  pcre2_match_data_free(holder->matchData);
  pcre2_code_free(holder->code);
  holder->matchData = nullptr;
  holder->code = nullptr;
}
