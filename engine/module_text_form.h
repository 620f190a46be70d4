// The text form of a rename step, shared by every module: '<', the module key, then ',' and each value, then
// the comment part (';' and the quoted comment, only when there is a comment), then '>'. Values are single
// letters, decimal numbers, plain texts that run to the next ';' or '>', or quoted texts.
//
// Quoted texts: a double quote inside is written as '\"'; backslashes stand for themselves, except that a run
// of backslashes right before a double quote (inside, or the closing one) is written doubled. So every text
// comes back unchanged, and a text without double quotes that does not end in a backslash is written exactly
// as plain quoting writes it.
#pragma once

// The position just after '<' and the module key of a step's text (the key ends at the first character whose
// code is below that of '0'); null when the text is null or does not begin with '<'.
const wchar_t* SkipStepKey(const wchar_t* text);

// The position after `expected` when the text there begins with it; null otherwise or for a null position.
const wchar_t* SkipExpected(const wchar_t* position, wchar_t expected);

// Reads one value at `position` into `out` (always terminated).
// When the position begins with `delimiter` (the double quote for quoted values), the quoted text is read and
// unquoted; the result is the position just after its closing quote, where the next ',', ';' or '>' stands.
// A quoted text written by older versions that ends in a backslash is read as well.
// Otherwise (callers that want only this plain form pass 0) the text up to the first ';' or '>' is copied,
// commas included, and the result is the position of that ';' or '>'.
// Null when the text ends or the value does not fit the capacity before the value's end comes.
const wchar_t* ReadSettingsTextField(const wchar_t* position, wchar_t* out, int capacity, wchar_t delimiter);

// Appends `value` as a quoted text that ReadSettingsTextField reads back unchanged. 0, or the negative result
// of a cut append.
int AppendSettingsTextField(const wchar_t* value, wchar_t* text, int capacity);

// Reads the comment part and the closing '>' at `position` into `comment`, cut to the capacity when longer.
// 0 when the position begins with '>' (no comment part), or with ';' and the comment part was read; 1 when the
// text is refused (any other character there); 101 for a null position or comment buffer.
// In the written comment, the two characters '\' 'n' stand for a line break (CR LF); a literal backslash
// before an 'n' or a line break is written doubled.
int ReadSettingsComment(const wchar_t* position, wchar_t* comment, int capacity);

// Appends the comment part (when the comment is not empty) and the closing '>'. 0, or the negative result of
// a cut append.
int WriteSettingsComment(const wchar_t* comment, wchar_t* text, int capacity);
