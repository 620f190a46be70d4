// The file filter: which files of a listed folder become rows of the file list. Name masks to include and
// to exclude, a lower and an upper bound for one of the file's times, a lower and an upper bound for its
// size, and attributes that must be set or clear. A zero-filled record is the empty filter and admits every
// file. The text form kept in the profile store is in views/filter_text_form.h.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/core/app_state.h"
#include "foundation/files/file_info.h"

constexpr int kFilterMaskCapacity = 260;

// Which file time the date bounds test.
constexpr uint8_t kFilterModeLastWrite = 0;
constexpr uint8_t kFilterModeCreation = 1;
constexpr uint8_t kFilterModeLastAccess = 2;

// Date units: 'D' an absolute FILETIME (UTC); 'T' a time of day, kept as a FILETIME on 2 January 1980;
// the others a signed count back from now of seconds, minutes, hours, days ('Z'), weeks, calendar months
// ('L') or calendar years.
constexpr char kFilterDateUnits[] = "DTSMHZWLY";
// The length in seconds of one unit 'S', 'M', 'H', 'Z' or 'W'.
uint64_t DateUnitSeconds(uint8_t unit);
// Size units: bytes, KB, MB, GB.
constexpr char kFilterSizeUnits[] = "BKMG";

// The attribute bits a filter can ask for, with their letters in the order of the text form.
constexpr char kFilterAttributeLetters[] = "DARSHCE";
constexpr uint16_t kFilterAttributeBits[] = {0x10, 0x20, 0x1, 0x4, 0x2, 0x800, 0x4000};
constexpr uint16_t kFilterAttributeMask = 0x4837;

#pragma pack(push, 1)
// The lower half holds the include masks, the "at least" bounds and the attributes that must be set; the
// upper half the exclude masks, the "at most" bounds and the attributes that must be clear.
struct FilterHalf {
  wchar_t masks[kFilterMaskCapacity];  // ';'-separated; empty: no mask condition
  uint8_t dateUnit;                    // a letter of kFilterDateUnits; 0: no date condition
  uint64_t dateValue;                  // a FILETIME for 'D' and 'T', else the count as a signed number
  uint8_t sizeUnit;                    // a letter of kFilterSizeUnits; 0: no size condition
  uint64_t sizeValue;                  // count of size units
  uint16_t attributes;
  uint64_t dateLimit;                  // FILETIME the date condition compares with, set by ComputeFilterLimitsAt
  uint64_t sizeLimit;                  // bytes the size condition compares with, set by ComputeFilterLimitsAt
};

struct FilterRecord {
  uint8_t mode;  // kFilterModeLastWrite, kFilterModeCreation or kFilterModeLastAccess
  FilterHalf lower;
  FilterHalf upper;
  // The record fills the fixed slot the application state keeps for it; the two bytes carry nothing.
  uint8_t spare[2];
};
#pragma pack(pop)

static_assert(sizeof(FilterHalf) == 556, "FilterHalf is 556 packed bytes");
static_assert(sizeof(FilterRecord) == kFilterRecordSize, "FilterRecord fills the application state's filter slot");

// The application's filter, kept in the application state; g_app must be set.
inline FilterRecord* AppFilter() { return reinterpret_cast<FilterRecord*>(g_app->filter); }

// True when the half holds a date condition the program knows: a unit of kFilterDateUnits, and for 'D' and
// 'T' a time (a zero time, as an unreadable stored date leaves it, is no condition).
bool HasDateCondition(const FilterHalf& half);

// A FILETIME reduced to its time of day (whole seconds) on 2 January 1980, as 'T' conditions compare.
uint64_t ReduceToTimeOfDay(uint64_t fileTime);

// Computes the half's date and size limits with a given UTC time as now. Relative bounds that reach before
// 1601 give 0 and bounds that reach past the last representable time give all ones; a calendar move to a day
// that does not exist (31 February) gives now. Sizes beyond 64 bits give all ones.
void ComputeFilterLimitsAt(FilterHalf* half, const SYSTEMTIME& nowUtc);

// 1 when the file passes the record's masks, date bounds and size bounds, else 0. `time` is the file time
// the record's mode chose; `size` may be null (no size test). Folders (attribute 0x10) and files of unknown
// size (all ones) pass the size bounds. The limits must have been computed.
int MatchFilterRecord(const wchar_t* name, uint32_t attributes, FILETIME time, const uint64_t* size,
                      const FilterRecord* record);

// The filter's decision on one listed item: 1 admits it, 0 leaves it out. Without a filter (null) and for
// folders the answer is always 1. A file must have every attribute of the lower half's word and none of the
// upper half's, and then pass MatchFilterRecord with the time its mode chooses (a missing creation or
// last-access time is replaced by the last-write time).
int FilterAdmitsItem(const FilterRecord* filter, const wchar_t* name, const FileInfo& info);

// What a folder listing filters with: when the filter option is on, a copy of the application's filter
// with its limits computed for this listing, so that neither a change in the filter dialog nor the clock
// moves them while the listing runs; null (admit everything) when the option is off. Taken on the GUI thread,
// the only one that writes the application's filter.
const FilterRecord* SnapshotFilterForListing(FilterRecord* snapshot);
