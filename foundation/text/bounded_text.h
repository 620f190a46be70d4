// Text in fixed-capacity buffers: bounded copy and append, case, trimming, comparison and search.
// Capacities count characters of the buffer's own width (UTF-16 units or bytes) and include the terminator.
// No function here writes past the capacity it is given; every writing function leaves its target
// terminated when the capacity is at least 1.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Appends `source` to the text in `target`. 0 when the whole source fitted (an empty or null source always
// counts as fitted); otherwise as much as fits is appended and the result is minus the source's length.
// Nothing happens for a null target or a capacity of 0 or less (result 0).
int AppendWideBounded(const wchar_t* source, wchar_t* target, int capacity);

// Empties `target`, then appends `source` as AppendWideBounded does. Copying a buffer onto itself does nothing.
int CopyWideBounded(const wchar_t* source, wchar_t* target, int capacity);

// CopyWideBounded for callers that accept a cut text.
void CopyWideString(const wchar_t* source, wchar_t* target, int capacity);

// The 8-bit forms: as the wide ones, except that appending a non-empty text to a target that is already
// full gives 123.
int AppendNarrowBounded(const char* source, char* target, int capacity);
int CopyNarrowBounded(const char* source, char* target, int capacity);

// Length of a text, 0 for null.
size_t WideLength(const wchar_t* text);
size_t NarrowLength(const char* text);

// One character through the system's case tables (CharUpperW, CharUpperA, CharLowerA).
wchar_t CharToUpperWide(wchar_t c);
char CharToUpperNarrow(char c);
char CharToLowerNarrow(char c);

// A whole text in place (CharUpperW, CharLowerW, CharUpperA). A null text is left alone.
void StringToUpperWide(wchar_t* text);
void StringToLowerWide(wchar_t* text);
void StringToUpperNarrow(char* text);

// Removes leading blanks (' ' only) in place.
void TrimLeadingSpaces(wchar_t* text);

// Remove trailing blanks in place; the result is the index of the last character kept, -1 when none is left.
int TrimTrailingSpacesWide(wchar_t* text);
int TrimTrailingSpacesNarrow(char* text);

// Cuts a text at its first CR, then at its first LF.
void CutAtLineBreak(wchar_t* text);

// Replaces every `from` by `to`.
void ReplaceCharWide(wchar_t* text, wchar_t from, wchar_t to);

// True when the text holds '<' or '>'.
bool ContainsAngleBracket(const wchar_t* text);

// Turns a menu text into plain text: cut at the first TAB, every '&' removed, cut at the first "...".
void StripMenuTextDecorations(wchar_t* text);

// Equality ignoring case and kana type under the user's locale, over at most `count` characters of each text
// (-1: the whole texts). False when either text is null.
// The flags of every comparison here that ignores case; a table keyed by sort keys uses them too, so that its
// keys match as EqualsIgnoreCaseWide does.
constexpr DWORD kIgnoreCaseFlags = NORM_IGNORECASE | NORM_IGNOREKANATYPE;
bool EqualsIgnoreCaseWide(const wchar_t* a, const wchar_t* b, int count = -1);
bool EqualsIgnoreCaseNarrow(const char* a, const char* b, int count = -1);

// A 64-bit hash of a whole text, built from the locale's sort key under the flags of EqualsIgnoreCaseWide, so
// texts that EqualsIgnoreCaseWide calls equal have equal hashes. Lets large name sets be searched through a
// hash index; equal hashes still need EqualsIgnoreCaseWide to confirm. 0 for a null text.
uint64_t HashIgnoreCaseWide(const wchar_t* text);

// Index of the first occurrence of `pattern` in the first `length` bytes of `text` (-1: the whole text),
// ignoring case when asked; -1 when there is none or the pattern is empty.
int FindTextNarrow(const char* text, int length, const char* pattern, bool ignoreCase);

// Search options of FindTextWithOptions.
constexpr unsigned kFindWholeWords = 2;
constexpr unsigned kFindExactCase = 4;

// Index of the first occurrence of `pattern` in `text`: kFindExactCase alone searches exactly;
// kFindWholeWords accepts only matches with no word character on either side (ignoring case unless
// kFindExactCase is also set); neither ignores case. -1 when there is none or the pattern is empty.
int FindTextWithOptions(const wchar_t* text, const wchar_t* pattern, unsigned options);
