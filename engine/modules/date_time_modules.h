// The Date (key "Date") and Time (key "Time") modules: insert one of the file's time stamps, in local time and
// formatted by a picture of the system's date or time formatting, into the name part or the extension part.
// They are twins with one settings record and one text form; Date formats with GetDateFormatW, Time with
// GetTimeFormatW. Apply needs the file's FileInfo.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

#pragma pack(push, 1)
struct DateTimeSettings {
  ModuleInstance header;
  // 'n' the name part, 'e' the extension part.
  wchar_t part;
  // 'c' creation time, 'a' last-access time, 'm' (or any other letter) last-write time.
  wchar_t source;
  // Counted from 0 at the left, 0 to 249; a position beyond the end appends.
  uint32_t position;
  wchar_t pattern[kApplyPartCapacity];
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(DateTimeSettings) == 8 + 2 + 2 + 4 + 2 * kApplyPartCapacity + 2 * kStepCommentCapacity,
              "Date and Time settings layout");

// The pictures the dialogs offer, in menu order, each list ended by null.
extern const wchar_t* const kDatePatternPresets[];
extern const wchar_t* const kTimePatternPresets[];

// Their settings dialogs.
extern const ModuleDialog kDateDialog;
extern const ModuleDialog kTimeDialog;
extern const ModuleDescriptor kDateModule;
extern const ModuleDescriptor kTimeModule;
