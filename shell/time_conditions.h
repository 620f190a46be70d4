// The time conditions of the attributes tool: how a file's creation time (the lower half of a FilterRecord)
// and its modification time (the upper half) change. A condition sets an absolute date and time ('D'), the
// time of day on the file's own date ('T'), moves the time by seconds, minutes, hours, days or weeks ('S',
// 'M', 'H', 'Z', 'W'), or by calendar months or years ('L', 'Y'). Times of day, months and years are taken
// on the local clock of the file's date, so that 23:30 stays on its day and a move across a daylight-saving
// change keeps the clock time.
#pragma once
#include <windows.h>

#include "foundation/files/file_info.h"
#include "views/file_filter.h"

// The counts beyond which a move by months or years is refused.
constexpr int64_t kMostMonthsMoved = 11999;
constexpr int64_t kMostYearsMoved = 999;

// The time the half's condition makes of `time` (UTC). A count of months outside +-kMostMonthsMoved, a move
// past the range of file times and an unknown unit give 0 (no time, never written); a count of years outside
// +-kMostYearsMoved and a month or year move onto a day that does not exist (31 February) leave the time as
// it is.
FILETIME ApplyTimeCondition(const FilterHalf& half, const FILETIME& time);

// A file's new creation and modification times, and whether each is to be written: only a real time
// (kEarliestFileTime on) that differs from the file's current one is.
struct NewFileTimes {
  FILETIME creation;
  FILETIME lastWrite;
  bool setCreation;
  bool setLastWrite;
};

void ComputeNewTimes(NewFileTimes* result, const FileInfo& info, const FilterRecord& conditions);
