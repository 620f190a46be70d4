// Small text operations shared by the list texts, the line readers and word-wise case changes.
#pragma once

struct StringList;

// Word class of a character: 0 for a word character (letters, digits, the apostrophe and the underscore),
// 1 for ASCII and Latin-1 separators, 2 for other blanks and punctuation, 101 for the euro sign.
// Words split where the class is non-zero.
int WordSeparatorClass(wchar_t c);

// Copies 8-bit text up to its first NUL, CR or LF into `target`; the result is the length copied.
int CopyFirstLineNarrow(const char* text, char* target, int capacity);

// The position after the end of the current line and every CR and LF that follows it; the terminator when
// the text has no further line. Null stays null.
const char* SkipToNextLine(const char* text);
const wchar_t* SkipToNextLine(const wchar_t* text);

// Item `index` of a string list as 8-bit text (wide items converted with the active code page): 0, or -1
// when the index is out of range.
int StringListGetItemNarrow(const StringList* list, int index, char* target, int capacity);

// Appends one item to a ';'-separated list text: a ';' goes first unless the text is empty or is a lone ';'
// (an empty item added to an empty text makes the text ";"); an item holding ';' or '"' is enclosed in double
// quotes, inner quotes kept. 0, or minus the length of the addition when it does not fit (the text then
// stays as it was).
int AppendDelimitedItemNarrow(const char* item, char* text, int capacity);
int AppendDelimitedItemWide(const wchar_t* item, wchar_t* text, int capacity);
