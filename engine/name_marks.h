// Marks on new names that cannot be used. A marked name begins with the error text: "<", UI text 10010 and
// ">"; since '<' cannot occur in a file name, no usable name looks like that. A reason and a detail may follow.
#pragma once
#include <cstdint>

// "<" + UI text 10010 cut to 125 characters + ">", with its terminator.
constexpr int kPreviewErrorTextCapacity = 128;
// The longest name one folder entry can hold.
constexpr int kMaxFileNameLength = 255;

void BuildPreviewErrorText(wchar_t* text, int capacity);

// Why a name cannot be given to a file, by the rules the marks below follow: 0 when it can. Else the UI text
// of the reason: kTextInvalidCharacter for a character no file name may hold or a final dot or blank, which
// `character` then receives; kTextEmptyName, kTextNameTooLong or kTextDeviceName.
int FileNameProblem(const wchar_t* name, wchar_t* character);

// The reason as a mark gives it: its UI text, and for a character a blank and the character as shown.
void DescribeFileNameProblem(int reason, wchar_t character, wchar_t* text, int capacity);

// Replaces `name` by the error text, then ", " and the UI text `reasonTextId` (none for 0), then a blank and
// `detail` when it is given.
void WriteNameMark(const wchar_t* errorText, int reasonTextId, const wchar_t* detail, wchar_t* name, int capacity);

// Marks the new name of every file-list row below rowCount that cannot be used: a character no file name may
// hold (the nine reserved ones and the control characters), a final dot or blank (the system would strip it),
// an empty name, more than 255 characters, or a device's name (con.txt). Such a name becomes the error text with UI text 13191 and the
// character (control characters and the blank as U+XXXX), or with the reason. A new name identical to the
// current one is left alone: the file already holds it and nothing is done to it. The number of marked rows,
// those marked before included.
int MarkNamesWithInvalidChars(uint32_t rowCount, const wchar_t* errorText);
