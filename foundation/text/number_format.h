// Numbers as the user reads them: digits grouped by thousands, byte sizes in KB to TB, fixed decimals and
// zero-padded fields, with the locale's separators (foundation/text/locale_separators.h).
#pragma once
#include <cstdint>

// Groups the integer digits of a number text (before its first decimal separator, after a leading sign) by
// three with the thousands separator, in place. The text stays as it is when the grouped form would not
// leave room for the terminator. The result is the text's length afterwards; -1 (text untouched) when it
// does not end within the capacity.
int InsertThousandsSeparators(wchar_t* text, int capacity);

// The value in decimal, grouped when the grouped form fits. The result is the text's length; a capacity too
// small for the plain digits gives an empty text and minus the length needed.
int FormatNumberGrouped(uint64_t value, wchar_t* text, int capacity);

// A byte count as "<grouped number> KB" (or MB, GB, TB): divided by 1024 while above 1024, at most four
// times, rounded up when any division left a remainder; a non-zero count up to 1024 gives "1 KB", zero
// "0 KB". The result as FormatNumberGrouped's.
int FormatByteSize(uint64_t value, wchar_t* text, int capacity);

// The value with `decimals` decimals (0 to 9; the last one rounded half up) after the decimal separator,
// a '-' before negative values that do not round to zero, and no separator for 0 decimals. Magnitudes
// beyond the 64-bit range print as its largest value. The result is the text's length; a capacity too
// small gives an empty text and minus the length needed.
int FormatDoubleWide(double value, int decimals, wchar_t* text, int capacity);
