// Dates and times packed into 64 bits: second in bits 0-5, minute 6-11, hour 12-16, day 17-21, month 22-25 and
// the full year from bit 26. The value 0 is the empty date; a day of 0 means no date. Two packed real dates
// compare in time order as plain unsigned integers.
#pragma once
#include <windows.h>

#include <cstdint>

using PackedDateTime = uint64_t;

// The fields of a SYSTEMTIME, masked to their widths; day of week and milliseconds are dropped.
PackedDateTime PackDateTime(const SYSTEMTIME& time);
// All eight fields of the result are set; day of week and milliseconds stay 0.
SYSTEMTIME UnpackDateTime(PackedDateTime packed);

inline unsigned PackedDay(PackedDateTime packed) { return static_cast<unsigned>((packed >> 17) & 0x1F); }
