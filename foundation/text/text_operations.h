// Small text operations shared by the list texts, the line readers and word-wise case changes.
#pragma once

struct StringList;

// Word class of a character: 0 for a word character (letters, digits, the apostrophe and the underscore),
// 1 for ASCII and Latin-1 separators, 2 for other blanks and punctuation, 101 for the euro sign.
// Words split where the class is non-zero.
int WordSeparatorClass(wchar_t c);

// Appends one item to a ';'-separated list text: a ';' goes first unless the text is empty or is a lone ';'
// (an empty item added to an empty text makes the text ";"); an item holding ';' or '"' is enclosed in double
// quotes, inner quotes kept. 0, or minus the length of the addition when it does not fit (the text then
// stays as it was).
int AppendDelimitedItemNarrow(const char* item, char* text, int capacity);
