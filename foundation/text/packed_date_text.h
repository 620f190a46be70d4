// Packed dates and times (foundation/text/packed_date.h) as text: with a date or time picture of the user's
// locale, or as plain digits. The rename modules and the metadata formatters write dates this way.
#pragma once
#include "foundation/text/packed_date.h"

// The date of `packed` formatted with `pattern` for the user's default locale (GetDateFormatW), or as
// "yyyymmdd" digits when there is no pattern or the system rejects it. An empty text when the date's day is 0.
// The result is the length written.
int FormatPackedDate(PackedDateTime packed, const wchar_t* pattern, wchar_t* out, int capacity);

// The time of `packed` with `pattern` (GetTimeFormatW), or as "hhmmss" digits; empty when the day is 0.
int FormatPackedTime(PackedDateTime packed, const wchar_t* pattern, wchar_t* out, int capacity);

// "yyyymmddhhmmss"; empty when the day is 0.
int FormatPackedDateTimeCompact(PackedDateTime packed, wchar_t* out, int capacity);
