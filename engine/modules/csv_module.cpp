#include "engine/modules/csv_module.h"

#include "engine/chain_list.h"
#include "engine/module_dialog_frame.h"
#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

// A line is read up to 2730 characters; the rest of a longer one is left out.
constexpr int kCsvLineCapacity = 2731;
// A long read shows its progress and looks for Stop after every so many lines.
constexpr uint32_t kLinesBetweenLooks = 4096;

CsvSettings* AsCsv(ModuleInstance* settings) { return reinterpret_cast<CsvSettings*>(settings); }

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }

// The quote that closes a field opening with a quote at `open`: the next same quote, not doubled, that stands
// before a ';' or the line's end. Null when there is none.
const wchar_t* ClosingQuote(const wchar_t* open) {
  for (const wchar_t* p = open + 1; *p != 0; ++p) {
    if (*p != *open) continue;
    if (p[1] == *open) {
      ++p;
    } else if (p[1] == L';' || p[1] == 0) {
      return p;
    }
  }
  return nullptr;
}

// One field of a line at `p` into `field`, cut to its capacity; the position after the field's ';', or null at
// the line's end. A quoted field (double or single quote) loses its quotes and keeps the ';' inside it, and a
// doubled quote in it stands for one, as spreadsheet programs write them. A quote that is never closed is an
// ordinary character: the field then runs to the next ';' like any other, so a name that begins with an
// apostrophe keeps the line's other fields.
const wchar_t* ReadCsvField(const wchar_t* p, wchar_t* field, int capacity) {
  int stored = 0;
  auto put = [&](wchar_t c) {
    if (stored + 1 < capacity) field[stored++] = c;
  };
  const wchar_t* close = IsQuote(*p) ? ClosingQuote(p) : nullptr;
  const wchar_t* end = p;
  if (close != nullptr) {
    for (const wchar_t* q = p + 1; q < close; ++q) {
      put(*q);
      if (*q == *p && q[1] == *p) ++q;
    }
    end = close + 1;
  } else {
    for (; *end != 0 && *end != L';'; ++end) put(*end);
  }
  field[stored] = 0;
  return *end == L';' ? end + 1 : nullptr;
}

void SplitCsvLine(const wchar_t* line, wchar_t* first, wchar_t* second) {
  second[0] = 0;
  const wchar_t* next = ReadCsvField(line, first, kApplyPartCapacity);
  if (next != nullptr) ReadCsvField(next, second, kApplyPartCapacity);
}

// Opens a list and splits its first line into its first two fields (empty when the list has no line); false
// when the file cannot be opened.
bool OpenCsvList(const wchar_t* path, ListFile* file, wchar_t* first, wchar_t* second) {
  if (!OpenListFile(path, file)) return false;
  wchar_t line[kCsvLineCapacity];
  first[0] = 0;
  second[0] = 0;
  if (NextListLine(file, ListLineEnds::kEveryBreak, line, kCsvLineCapacity)) SplitCsvLine(line, first, second);
  return true;
}

void FreeCsvEntries(CsvSettings* settings) {
  FreeEntryBlock(&settings->names);
  ReleaseLookupTable(&settings->lookup);
  settings->list.entryCount = 0;
}

// The first `wanted` lines of a sequence, its first field given; none when memory could not hold them.
ListRead LoadSequence(CsvSettings* settings, ListFile* file, const wchar_t* first, uint32_t wanted) {
  EntryBlockBuilder names;
  InitEntryBlockBuilder(&names);
  bool kept = wanted == 0 || AppendEntry(&names, first);
  uint32_t lines = wanted == 0 ? 0 : 1;
  wchar_t line[kCsvLineCapacity];
  wchar_t field[kApplyPartCapacity];
  wchar_t unused[kApplyPartCapacity];
  while (kept && lines < wanted && NextListLine(file, ListLineEnds::kEveryBreak, line, kCsvLineCapacity)) {
    SplitCsvLine(line, field, unused);
    kept = AppendEntry(&names, field);
    ++lines;
  }
  if (kept && lines > 0 && FinishEntryBlock(&names, &settings->names)) settings->list.entryCount = lines;
  FreeEntryBlockBuilder(&names);
  if (!kept) return ListRead::kNotRead;
  return lines < wanted ? ListRead::kWhole : ListRead::kPart;
}

// A lookup list larger than this takes long to read: over a tenth of a second.
uint64_t g_longLookupListBytes = 4ull << 20;

bool IsLong(const ListFile* file) { return ListFileSize(file) > g_longLookupListBytes; }

// The lines of a lookup list after its first one (given), into a new table; null when memory could not hold
// them or the job was asked to stop (`stopped` then set). A long read shows its progress and heeds Stop.
LookupTable* ReadLookupLines(ListFile* file, const wchar_t* firstOld, const wchar_t* firstNew, uint32_t* lines,
                             bool* stopped) {
  LookupTable* table = BeginLookupTable(ListFileSize(file));
  bool kept = table != nullptr && AddLookupLine(table, firstOld, firstNew);
  const bool longRead = IsLong(file);
  LongRead progress;
  if (longRead) BeginLongRead(&progress, file);
  *lines = 1;
  wchar_t line[kCsvLineCapacity];
  wchar_t oldName[kApplyPartCapacity];
  wchar_t newName[kApplyPartCapacity];
  while (kept && NextListLine(file, ListLineEnds::kEveryBreak, line, kCsvLineCapacity)) {
    if (longRead && *lines % kLinesBetweenLooks == 0 && !LongReadGoesOn(&progress)) {
      *stopped = true;
      kept = false;
      break;
    }
    SplitCsvLine(line, oldName, newName);
    kept = AddLookupLine(table, oldName, newName);
    ++*lines;
  }
  if (kept) kept = FinishLookupTable(table);
  if (!kept) ReleaseLookupTable(&table);
  return table;
}

ListRead KeepLookupLines(CsvSettings* settings, ListFile* file, const wchar_t* firstOld, const wchar_t* firstNew) {
  uint32_t lines = 0;
  bool stopped = false;
  settings->lookup = ReadLookupLines(file, firstOld, firstNew, &lines, &stopped);
  if (settings->lookup == nullptr) return stopped ? ListRead::kStopped : ListRead::kNotRead;
  settings->list.entryCount = lines;
  return ListRead::kWhole;
}

// ---- A lookup list read by a job of its own ----------------------------------------------------------------

}  // namespace

struct CsvListJob {
  CsvSettings* owner;  // null once the step is freed
  wchar_t path[kPathCapacity];
  ListFileStamp stamp;
  LookupTable* table;
  uint32_t lines;
  ListRead read;
};

namespace {

// The list's first line and, when it is a lookup list, the rest.
ListRead ReadLookupFile(CsvListJob* job) {
  ListFile file;
  wchar_t oldName[kApplyPartCapacity];
  wchar_t newName[kApplyPartCapacity];
  if (!OpenCsvList(job->path, &file, oldName, newName)) return ListRead::kNotRead;
  bool stopped = false;
  if (newName[0] != 0) job->table = ReadLookupLines(&file, oldName, newName, &job->lines, &stopped);
  CloseListFile(&file);
  if (stopped) return ListRead::kStopped;
  return job->table != nullptr ? ListRead::kWhole : ListRead::kNotRead;
}

// On the GUI thread: the step takes the table and the stamp of the file it was read from (a stopped read: the
// stamp alone), and the preview is shown anew when the job has ended.
LRESULT HandOverLookupList(void* parameter) {
  CsvListJob* job = static_cast<CsvListJob*>(parameter);
  CsvSettings* owner = job->owner;
  if (owner != nullptr) {
    owner->reading = nullptr;
    if (job->read == ListRead::kWhole) {
      owner->lookup = job->table;
      job->table = nullptr;
      owner->list.entryCount = job->lines;
    }
    if (job->read != ListRead::kNotRead) {
      owner->list.loaded = job->stamp;
      owner->list.loaded.read = static_cast<uint32_t>(job->read);
    }
  }
  ReleaseLookupTable(&job->table);
  FreeAndNull(&job);
  if (g_app != nullptr) InterlockedExchange(&g_app->previewDeferred, 1);
  return 0;
}

DWORD WINAPI ReadLookupListJob(void* parameter) {
  CsvListJob* job = static_cast<CsvListJob*>(parameter);
  job->read = GuardedCall(ListRead::kNotRead, [&] { return ReadLookupFile(job); });
  RunOnGuiThread(HandOverLookupList, job);
  EndExclusiveJob();
  return 0;
}

bool IsChainStep(const ModuleInstance* settings) {
  for (uint32_t n = 0; n < CountSteps(); ++n) {
    if (GetStepInstance(static_cast<int>(n)) == settings) return true;
  }
  return false;
}

// Only a step of the chain has its list read by a job, and only one job runs at a time.
void StartLookupJob(CsvSettings* settings, const ListFileStamp& now) {
  if (!IsChainStep(&settings->list.header)) return;
  CsvListJob* job = static_cast<CsvListJob*>(AllocZeroed(sizeof(CsvListJob)));
  if (job == nullptr) return;
  job->owner = settings;
  CopyWideBounded(settings->list.path, job->path, kPathCapacity);
  job->stamp = now;
  settings->reading = job;
  if (StartExclusiveJob(ReadLookupListJob, job)) return;
  settings->reading = nullptr;
  FreeAndNull(&job);
}

// Another step of the chain that holds the table of this very file lends it.
bool ShareHeldLookup(CsvSettings* settings, const ListFileStamp& now) {
  for (uint32_t n = 0; n < CountSteps(); ++n) {
    CsvSettings* other = AsCsv(GetStepInstance(static_cast<int>(n)));
    if (other == nullptr || other == settings || other->list.header.moduleIndex != settings->list.header.moduleIndex ||
        other->lookup == nullptr || !SameListFile(other->list.loaded, now))
      continue;
    HoldLookupTable(other->lookup);
    settings->lookup = other->lookup;
    settings->list.entryCount = other->list.entryCount;
    return true;
  }
  return false;
}

ListRead LoadLookupList(CsvSettings* settings, ListFile* file, const wchar_t* firstOld, const wchar_t* firstNew,
                        const ListFileStamp& now) {
  if (!IsLong(file) || MayReadLongHere()) return KeepLookupLines(settings, file, firstOld, firstNew);
  StartLookupJob(settings, now);
  return ListRead::kNotRead;
}

// A lookup list is read whole, a sequence only up to the number of listed files.
ListRead LoadCsvList(ModuleInstance* instance, const ListFileStamp& now) {
  CsvSettings* settings = AsCsv(instance);
  if (settings->reading != nullptr) return ListRead::kNotRead;
  FreeCsvEntries(settings);
  if (ShareHeldLookup(settings, now)) return ListRead::kWhole;
  ListFile file;
  wchar_t first[kApplyPartCapacity];
  wchar_t second[kApplyPartCapacity];
  if (!OpenCsvList(settings->list.path, &file, first, second)) return ListRead::kNotRead;
  // A list without lines, or whose first line has no field, gives no entries.
  ListRead read = ListRead::kWhole;
  if (second[0] != 0) {
    read = LoadLookupList(settings, &file, first, second, now);
  } else if (first[0] != 0) {
    read = LoadSequence(settings, &file, first, now.wanted);
  }
  CloseListFile(&file);
  return read;
}

void PrepareCsvModule(ModuleInstance* instance) { PrepareListStep(LoadCsvList, instance); }

// The name part, '.' and the extension part, or the name part alone when there is no extension.
bool FindCsvEntry(const CsvSettings* settings, const ModuleApplyRecord* record, wchar_t* entry) {
  const ListStepHead& list = settings->list;
  if (settings->names.text != nullptr) {
    if (list.counter >= list.entryCount) return false;
    CopyWideBounded(EntryAt(&settings->names, list.counter), entry, kApplyPartCapacity);
    return true;
  }
  if (settings->lookup == nullptr) return false;
  wchar_t candidate[kJoinedNameCapacity];
  CopyWideBounded(record->name, candidate, kJoinedNameCapacity);
  if (record->extension[0] != 0) {
    AppendWideBounded(L".", candidate, kJoinedNameCapacity);
    AppendWideBounded(record->extension, candidate, kJoinedNameCapacity);
  }
  return FindLookupName(settings->lookup, candidate, entry, kApplyPartCapacity);
}

int ApplyCsvModule(ModuleApplyRecord* record) {
  CsvSettings* settings = AsCsv(record->settings);
  if (settings == nullptr) return -1;
  wchar_t entry[kApplyPartCapacity];
  if (FindCsvEntry(settings, record, entry)) TakeListEntry(entry, record);
  ++settings->list.counter;
  return 0;
}

ModuleInstance* CreateCsvSettings(const wchar_t* text) { return CreateListStep(text, sizeof(CsvSettings)); }

int SerializeCsvSettings(const ModuleInstance* settings, wchar_t* text, int capacity) {
  return WriteListStep(L"CSV", settings, text, capacity);
}

void DescribeCsvSettings(const ModuleInstance* settings, wchar_t* text, int capacity) {
  DescribeListStep(kTextModuleCsv, settings, text, capacity);
}

void GetCsvTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleCsv, text, capacity); }

// A job still reading the step's list keeps its table to itself.
void FreeCsvSettings(ModuleInstance* instance) {
  CsvSettings* settings = AsCsv(instance);
  if (settings->reading != nullptr) settings->reading->owner = nullptr;
  FreeCsvEntries(settings);
  FreeModuleInstanceMemory(instance);
}

}  // namespace

const ModuleDescriptor kCsvModule = {
    .serialize = SerializeCsvSettings,
    .describe = DescribeCsvSettings,
    .comment = GetListStepComment,
    .title = GetCsvTitle,
    .createSettings = CreateCsvSettings,
    .showDialog = ShowModuleDialogOf<kCsvDialog>,
    .prepare = PrepareCsvModule,
    .apply = ApplyCsvModule,
    .freeSettings = FreeCsvSettings,
    .keyName = L"CSV",
};

uint64_t SetLongLookupListBytes(uint64_t bytes) {
  const uint64_t previous = g_longLookupListBytes;
  g_longLookupListBytes = bytes;
  return previous;
}
