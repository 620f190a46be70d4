// The user's decimal and thousands separators, each one character, read from the locale once and kept.
#pragma once

// The decimal separator: the first character of the locale's, ',' when the locale cannot be read.
// With `readAgain` the locale is read anew.
wchar_t GetDecimalSeparator(bool readAgain = false);

// The thousands separator: the first character of the locale's, '.' when the locale cannot be read.
wchar_t GetThousandsSeparator(bool readAgain = false);

// Reads both separators again (the user changed the regional settings).
void InitLocaleNumberSeparators();
