// The text rules all audio readers share: storing a text into a field of the record, track and year numbers,
// UTF-8 values of a given length, and the final trimming of the record.
#pragma once
#include <cstddef>
#include <cstdint>

#include "foundation/text/bounded_text.h"

struct AudioTagInfo;

// Stores `text` into a field of the record, cut to the field.
template <int N>
void SetTagText(wchar_t (&field)[N], const wchar_t* text) {
  CopyWideString(text, field, N);
}

// Decodes `length` bytes of UTF-8 (not terminated) into `target`, cut between characters to the capacity and
// at a zero byte; a sequence that the end of the bytes cuts is dropped. The number of units written.
int Utf8RangeToWide(const char* bytes, size_t length, wchar_t* target, int capacity);

// Track and total of texts like "3/12" and "3 of 12": leading blanks are skipped, the number at the start is
// the track (0 when there is none), and the number after its digits and any non-digits is the total (0 when
// there is none). Numbers above 65535 give 65535. Either output may be null.
void ParseTrackNumber(const wchar_t* text, uint16_t* track, uint16_t* total);
// The same on `length` bytes of UTF-8, converted to at most 256 characters.
void ParseTrackNumberUtf8(const char* text, size_t length, uint16_t* track, uint16_t* total);

// The decimal number at the start of the first `maxChars` characters (leading blanks skipped) as a year: 0
// when it is below 1900 or above 65535.
uint16_t ParseYear(const wchar_t* text, int maxChars);
// The same on `length` bytes of UTF-8, of which at most 32 characters count.
uint16_t ParseYearUtf8(const char* text, size_t length);

// The decimal number at the start of a text (leading blanks skipped), cut to 0..65535.
uint16_t ParseSmallNumber(const wchar_t* text);

// Removes leading and trailing blanks from the format and the five texts; other characters stay.
void FinishAudioTagRecord(AudioTagInfo* info);
