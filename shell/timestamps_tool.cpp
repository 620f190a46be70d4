#include "shell/timestamps_tool.h"

#include <cwctype>

#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/files/file_io.h"
#include "foundation/files/file_records.h"
#include "foundation/text/packed_date.h"
#include "metadata/exif_info.h"
#include "metadata/mail_info.h"
#include "shell/settings_values.h"
#include "shell/timestamp_options.h"
#include "shell/tool_run.h"

namespace {

// The EXIF date-time of each choice of the options' low three bits.
constexpr int kExifDateTags[] = {0x0132, 0x9003, 0x9004, kExifTagGpsDateTime};

uint32_t OptionsOf(const ToolRun* run) { return *static_cast<const uint32_t*>(run->settings); }

bool ChangesTime(const FILETIME* time, const FILETIME& current) {
  return IsFileTimeSet(time) && FileTimeToUInt64(*time) != FileTimeToUInt64(current);
}

int SetTimesFromMetadata(ToolRun* run, ToolRow* row) {
  const uint32_t choice = OptionsOf(run) & kTimestampExifChoice;
  auto* exif = static_cast<ExifInfo*>(AllocZeroed(sizeof(ExifInfo)));
  FILETIME utc;
  const bool dated = exif != nullptr && choice < 4 && ReadExifInfo(row->path, exif) == 0 &&
                     ExifDateTimeToUtc(exif, kExifDateTags[choice], &utc);
  FreeAndNull(&exif);
  return dated ? SetTimesIfValid(run, row, &utc, &utc) : kSourceHasNothing;
}

int SetTimesFromMailDate(ToolRun* run, ToolRow* row) {
  char date[kMailTextCapacity] = "";
  const int read = FindMailHeaderValueInFile(row->path, "Date:", date, kMailTextCapacity);
  if (read != 0) return read;
  FILETIME utc;
  if (date[0] == 0 || !ParseRfc822Date(date, &utc, kMailTextCapacity)) return kSourceHasNothing;
  return SetTimesIfValid(run, row, &utc, &utc);
}

// With one time chosen it takes the file's other time; with both there is nothing to copy.
int CopyOtherTime(ToolRun* run, ToolRow* row) {
  const uint32_t both = kTimestampSetCreation | kTimestampSetModification;
  if ((OptionsOf(run) & both) == both) return kSourceHasNothing;
  const FileInfo times = row->record.info;
  return SetTimesIfValid(run, row, &times.lastWriteTime, &times.creationTime);
}

int SetTimesFromNameDigits(ToolRun* run, ToolRow* row) {
  wchar_t name[kFileNameCapacity];
  const FileListRow& record = row->record;
  const int length = record.extensionAt < kFileNameCapacity ? record.extensionAt : kFileNameCapacity - 1;
  for (int i = 0; i < length; ++i) name[i] = record.currentName[i];
  name[length] = 0;
  SYSTEMTIME local;
  FILETIME utc;
  if (!ReadNameDateTime(name, &local) || !LocalSystemTimeToFileTime(&local, &utc)) return kSourceHasNothing;
  return SetTimesIfValid(run, row, &utc, &utc);
}

// A time cut to the two-second steps of DOS; unchanged when DOS cannot hold it.
FILETIME RoundedToDos(const FILETIME& time) {
  WORD date = 0;
  WORD clock = 0;
  FILETIME rounded;
  if (!FileTimeToDosDateTime(&time, &date, &clock) || !DosDateTimeToFileTime(date, clock, &rounded)) return time;
  return rounded;
}

void RoundTimesToDos(ToolRun* run, ToolRow* row) {
  const FILETIME creation = RoundedToDos(row->record.info.creationTime);
  const FILETIME lastWrite = RoundedToDos(row->record.info.lastWriteTime);
  SetTimesIfValid(run, row, &creation, &lastWrite);
}

void SetRowTimestamps(ToolRun* run, ToolRow* row) {
  const uint32_t options = OptionsOf(run);
  using Source = int (*)(ToolRun*, ToolRow*);
  const struct {
    uint32_t bit;
    Source source;
  } sources[] = {{kTimestampFromExif, SetTimesFromMetadata},
                 {kTimestampFromMail, SetTimesFromMailDate},
                 {kTimestampCopyOtherTime, CopyOtherTime},
                 {kTimestampFromNameDigits, SetTimesFromNameDigits}};
  int result = kSourceHasNothing;
  for (const auto& entry : sources) {
    if (result == kSourceHasNothing && (options & entry.bit)) result = entry.source(run, row);
  }
  if (options & kTimestampRoundToDos) RoundTimesToDos(run, row);
}

// The number of `count` digits at `text`; -1 when one of them is no digit.
int ReadDigits(const wchar_t* text, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i) {
    if (!iswdigit(text[i])) return -1;
    value = value * 10 + (text[i] - L'0');
  }
  return value;
}

}  // namespace

int ShowTimestampOptionDialog(HWND owner) {
  if (IsJobBusy()) return 0;
  uint32_t options = LoadTimestampOptions();
  if (ShowTimestampOptionsDialog(owner, &options) != 1) return 0;
  StoreTimestampOptions(options);
  return StartTimestampJob(owner, options) ? 1 : 0;
}

bool StartTimestampJob(HWND owner, uint32_t options) {
  auto* settings = static_cast<uint32_t*>(AllocZeroed(sizeof(uint32_t)));
  if (settings == nullptr) return false;
  *settings = options;
  return StartToolRun(CreateToolRun(owner, SetRowTimestamps, settings), ApplyTimestampOptionThread);
}

DWORD WINAPI ApplyTimestampOptionThread(void* run) { return RunToolOverSelectedRows(static_cast<ToolRun*>(run)); }

int SetTimesIfValid(ToolRun* run, ToolRow* row, const FILETIME* creation, const FILETIME* lastWrite) {
  const uint32_t options = OptionsOf(run);
  const FileInfo& info = row->record.info;
  const bool setCreation = (options & kTimestampSetCreation) && ChangesTime(creation, info.creationTime);
  const bool setLastWrite = (options & kTimestampSetModification) && ChangesTime(lastWrite, info.lastWriteTime);
  if (!setCreation && !setLastWrite) return 0;
  return SetRowTimes(run, row, setCreation ? creation : nullptr, setLastWrite ? lastWrite : nullptr);
}

bool ReadNameDateTime(const wchar_t* name, SYSTEMTIME* local) {
  const wchar_t* at = name;
  for (;;) {
    while (*at != 0 && !iswdigit(*at)) ++at;
    if (*at == 0) return false;
    SYSTEMTIME time = {};
    const int year = ReadDigits(at, 4);
    const int month = year < 0 ? -1 : ReadDigits(at + 4, 2);
    const int day = month < 0 ? -1 : ReadDigits(at + 6, 2);
    if (year <= 0 || month <= 0 || day <= 0) return false;
    at += 8;
    while (*at != 0 && !iswdigit(*at)) ++at;
    const int hour = ReadDigits(at, 2);
    const int minute = hour < 0 ? -1 : ReadDigits(at + 2, 2);
    const int second = minute < 0 ? -1 : ReadDigits(at + 4, 2);
    if (second < 0) return false;
    at += 6;
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    if (IsValidDateTime(time)) {
      *local = time;
      return true;
    }
  }
}
