// The parts of a path's last component: where the file name begins and where its extension dot is.
// Separators are '\' and '/'. The file name is the text after the last separator; the extension dot is the
// last '.' after the last separator.
#pragma once

bool IsPathSeparator(wchar_t c);

// Index just after the last separator; 0 when there is none or the text is null.
int FileNameOffset(const wchar_t* path);

// Index of the extension dot, or the text's length when the name has none; 0 for a null text.
int ExtensionDotPosition(const wchar_t* path);

// The text after the extension dot; the terminator when there is no extension.
const wchar_t* ExtensionPointer(const wchar_t* path);
