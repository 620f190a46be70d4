#include "engine/modules/date_time_modules.h"

#include <cstddef>

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "engine/modules/ins_module.h"
#include "engine/modules/name_part_edits.h"
#include "engine/modules/step_values.h"
#include "foundation/core/memory.h"
#include "foundation/files/file_info.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/packed_date.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

// Ins, Date and Time share one comment operation.
static_assert(offsetof(DateTimeSettings, comment) == kInsCommentOffset, "comment where Ins holds it");

const wchar_t* const kDatePatternPresets[] = {
    L"yyyy.MM.dd", L"dd.MM.yy", L"dd.MMM.yyyy", L"d.MM.yy", L"d.M.yy", L"d.M.yyyy", L"dddd, d. MMMM yyyy", nullptr};
const wchar_t* const kTimePatternPresets[] = {L"HH.mm.ss", L"HH.mm", L"H.mm", L"hh.mm.ss tt", nullptr};

namespace {

// The longest text GetDateFormatW gives here; GetTimeFormatW's is shorter.

using LocaleFormatter = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

// What tells the twins apart.
struct DateTimeForm {
  const wchar_t* key;
  int titleId;
  LocaleFormatter format;
  int formattedCapacity;
};

constexpr DateTimeForm kDateForm = {L"Date", kTextModuleDate, GetDateFormatW, kDateTextCapacity};
constexpr DateTimeForm kTimeForm = {L"Time", kTextModuleTime, GetTimeFormatW, kTimeTextCapacity};

const DateTimeSettings* AsDateTime(const ModuleInstance* settings) {
  return reinterpret_cast<const DateTimeSettings*>(settings);
}

wchar_t WrittenSource(wchar_t source) { return source == L'c' || source == L'a' ? source : L'm'; }

bool ReadDateTimeText(const wchar_t* text, DateTimeSettings* settings) {
  StepTextReader reader(text);
  settings->part = reader.Letter();
  settings->source = WrittenSource(reader.Letter());
  settings->position = reader.Unsigned(kMostPosition);
  reader.Quoted(settings->pattern, kApplyPartCapacity);
  return reader.Finish(settings->comment) && IsNamePart(settings->part);
}

ModuleInstance* CreateDateTimeSettings(const wchar_t* text) {
  DateTimeSettings* settings = static_cast<DateTimeSettings*>(AllocZeroed(sizeof(DateTimeSettings)));
  if (settings == nullptr) return nullptr;
  settings->part = kNamePart;
  settings->source = L'm';
  if (text != nullptr && !ReadDateTimeText(text, settings)) FreeAndNull(&settings);
  if (settings != nullptr) settings->header.flags = kApplyNeedsFileInfo;
  return reinterpret_cast<ModuleInstance*>(settings);
}

template <const DateTimeForm& form>
int SerializeDateTimeSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const DateTimeSettings* settings = AsDateTime(instance);
  StepTextWriter writer(form.key, text, capacity);
  writer.Letter(settings->part);
  writer.Letter(WrittenSource(settings->source));
  writer.Number(settings->position);
  writer.Quoted(settings->pattern);
  return writer.Finish(settings->comment);
}

int SourceTextId(wchar_t source) {
  if (source == L'a') return kTextTimeAccessed;
  return source == L'c' ? kTextTimeCreated : kTextTimeModified;
}

template <const DateTimeForm& form>
void DescribeDateTimeSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const DateTimeSettings* settings = AsDateTime(instance);
  AppendPartDescription(settings->part, text, capacity);
  AppendDescriptionPiece(form.titleId, text, capacity);
  wchar_t source[kUiTextCapacity];
  GetUiText(SourceTextId(settings->source), source, kUiTextCapacity);
  if (source[0] != 0) {
    AppendWideBounded(L" - ", text, capacity);
    AppendWideBounded(source, text, capacity);
    AppendWideBounded(L" ", text, capacity);
    AppendSettingsTextField(settings->pattern, text, capacity);
  }
  AppendDescriptionPiece(kTextPositionWord, text, capacity);
  AppendBlankAndNumber(int64_t{settings->position} + 1, text, capacity);
}

template <const DateTimeForm& form>
void GetDateTimeTitle(wchar_t* text, int capacity) {
  GetUiText(form.titleId, text, capacity);
}

// The zone's offset for one UTC day, taken when it is the same at both ends of the day: offsets change at most
// once a day, so it then holds for every stamp of that day. Converting by the rule of each stamp's own date is
// slow, and the stamps of a folder cluster in few days.
struct DayOffset {
  uint64_t day = UINT64_MAX;
  int64_t offset = 0;
};

thread_local DayOffset t_lastDay;

constexpr uint64_t kFileTimeUnitsPerDay = 24 * kFileTimeUnitsPerHour;

bool LocalOffsetAt(uint64_t utc, int64_t* offset) {
  const FILETIME time = UInt64ToFileTime(utc);
  SYSTEMTIME local;
  FILETIME localTime;
  if (!UtcFileTimeToLocalSystemTime(&time, &local) || !SystemTimeToFileTime(&local, &localTime)) return false;
  *offset = static_cast<int64_t>(FileTimeToUInt64(localTime) - utc);
  return true;
}

// The zone's offset on the stamp's UTC day, when it is the same all day long.
bool SameOffsetAllDay(uint64_t day, int64_t* offset) {
  if (t_lastDay.day != day) {
    int64_t start = 0;
    int64_t end = 0;
    if (!LocalOffsetAt(day * kFileTimeUnitsPerDay, &start) ||
        !LocalOffsetAt((day + 1) * kFileTimeUnitsPerDay - kFileTimeUnitsPerSecond, &end) || start != end) {
      return false;
    }
    t_lastDay = {day, start};
  }
  *offset = t_lastDay.offset;
  return true;
}

// The stamp in local time by the rule of its own date; an unset stamp gives a cleared time.
void ToLocalTime(const FILETIME& utc, SYSTEMTIME* local) {
  const uint64_t value = FileTimeToUInt64(utc);
  int64_t offset = 0;
  if (IsFileTimeSet(&utc) && SameOffsetAllDay(value / kFileTimeUnitsPerDay, &offset)) {
    const FILETIME shifted = UInt64ToFileTime(value + static_cast<uint64_t>(offset));
    if (FileTimeToSystemTime(&shifted, local)) return;
  }
  UtcFileTimeToLocalSystemTime(&utc, local);
}

// The chosen time stamp; one before 1980 counts as unset and gives way to the last-write time.
FILETIME ChosenTime(const FileInfo* info, wchar_t source) {
  FILETIME chosen = info->lastWriteTime;
  if (source == L'a') chosen = info->lastAccessTime;
  if (source == L'c') chosen = info->creationTime;
  return IsFileTimeSet(&chosen) ? chosen : FILETIME(info->lastWriteTime);
}

template <const DateTimeForm& form>
int ApplyDateTimeModule(ModuleApplyRecord* record) {
  if (record->settings == nullptr || record->context == nullptr) return -1;
  const DateTimeSettings* settings = AsDateTime(record->settings);
  wchar_t* target = NamePartOf(record, settings->part, true);
  if (target == nullptr) return 0;
  const FILETIME time = ChosenTime(static_cast<const FileInfo*>(record->context), settings->source);
  // An unset time leaves a cleared local time, which has no date and formats as midnight.
  SYSTEMTIME local;
  ToLocalTime(time, &local);
  wchar_t formatted[kDateTextCapacity];
  if (form.format(LOCALE_USER_DEFAULT, 0, &local, settings->pattern, formatted, form.formattedCapacity) > 0)
    InsertTextAt(target, kApplyPartCapacity, kFromLeft, formatted, settings->position);
  return 0;
}

template <const DateTimeForm& form, const ModuleDialog& dialog>
constexpr ModuleDescriptor DateTimeDescriptor() {
  return {
      .serialize = SerializeDateTimeSettings<form>,
      .describe = DescribeDateTimeSettings<form>,
      .comment = GetInsDateTimeComment,
      .title = GetDateTimeTitle<form>,
      .createSettings = CreateDateTimeSettings,
      .showDialog = ShowModuleDialogOf<dialog>,
      .apply = ApplyDateTimeModule<form>,
      .freeSettings = FreeModuleInstanceMemory,
      .keyName = form.key,
  };
}

}  // namespace

const ModuleDescriptor kDateModule = DateTimeDescriptor<kDateForm, kDateDialog>();
const ModuleDescriptor kTimeModule = DateTimeDescriptor<kTimeForm, kTimeDialog>();
