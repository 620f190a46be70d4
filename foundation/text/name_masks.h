// New names from old ones: DOS-style rename masks, case masks, numbered variants and shortened labels (the order
// of names is in foundation/core/name_order.h).
#pragma once

// Applies a DOS-style rename mask to the file name of `path` and writes the folder part, the new base and,
// when the new extension is not empty, '.' and the new extension. The mask "." keeps the path. With a '.'
// in the mask, base and extension are mapped separately; without one the whole mask maps the whole name.
// In a mask, '?' takes the character under the cursor, another character is written and moves the cursor
// on, '*' at the end takes the rest, '*' before a segment and another '*' takes the text up to and
// including that segment (searched ignoring case), and '*' before a final tail takes characters until only
// as many remain as the tail is long.
// 0 on success; 1 (empty target) when the mask holds a path separator; 111 (empty target) when the result
// does not fit the capacity.
int ApplyWildcardNameMask(const wchar_t* path, const wchar_t* mask, wchar_t* target, int capacity);

// Copies `source` to `target` and changes the case of its file name as the mask says, one mask character
// per position from the start of the file name: '<' upper case, '>' lower case, each for the one character
// under it, or, when the mask ends after it, for the rest of the text, or, before a '.', up to the extension
// dot; '*' keeps the rest of the base name (the next mask character applies at the extension dot) and ends
// the walk inside the extension; any other character keeps its position. The whole mask "<>" or "><"
// capitalises the name: first character upper, the rest (extension included) lower.
// 0 on success; 87 for a null argument; 111 (empty target) when the source does not fit the capacity.
int ApplyCaseMask(const wchar_t* source, wchar_t* target, int capacity, const wchar_t* mask);

// The numbered variant of a name: "photo.jpg" with 2 gives "photo (2).jpg", with `atEnd` "photo.jpg (2)",
// ".txt" gives "(2).txt", and an empty name "#2". Name and target may be the same buffer.
// 0, or the negative result of a cut copy.
int InsertNumberBeforeExtension(unsigned number, const wchar_t* name, wchar_t* target, int capacity, bool atEnd);

// Shortens a text to `length` characters by putting "..." in its middle; `target` holds at least
// length + 1 characters. A text shorter than `length` is copied. The head keeps length / 5 characters
// (3 more when that is below 3), never so many that the tail would be negative.
void ShortenWithEllipsis(const wchar_t* text, int length, wchar_t* target);
