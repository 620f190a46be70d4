#include "engine/modules/csv_module.h"

#include "engine/module_dialog_frame.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

// A line is read up to 2730 characters; the rest of a longer one is left out.
constexpr int kCsvLineCapacity = 2731;

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

void FreeCsvEntries(CsvSettings* settings) {
  FreeEntryBlock(&settings->keys);
  FreeEntryBlock(&settings->names);
  HashSlotsFree(&settings->lookup);
}

// Every key goes into the hash index with the first line that has it. Without memory for the index, lookups
// search the keys one by one.
void IndexKeys(CsvSettings* settings) {
  if (!HashSlotsInit(&settings->lookup, settings->list.entryCount)) return;
  for (uint32_t line = 0; line < settings->list.entryCount; ++line) {
    const uint64_t hash = HashIgnoreCaseWide(EntryAt(&settings->keys, line));
    HashSlotsFindOrAdd(&settings->lookup, hash, static_cast<int32_t>(line));
  }
}

struct CsvLoad {
  EntryBlockBuilder keys;
  EntryBlockBuilder names;
  uint32_t lines;
  bool lookupMode;
};

// Takes one line; false when the list ends here: the first line has no field, or memory failed.
bool TakeCsvLine(const wchar_t* line, CsvLoad* load) {
  wchar_t first[kApplyPartCapacity];
  wchar_t second[kApplyPartCapacity];
  SplitCsvLine(line, first, second);
  if (load->lines == 0) {
    load->lookupMode = second[0] != 0;
    if (!load->lookupMode && first[0] == 0) return false;
  }
  if (load->lookupMode && !AppendEntry(&load->keys, first)) return false;
  if (!AppendEntry(&load->names, load->lookupMode ? second : first)) return false;
  ++load->lines;
  return true;
}

// Everything the list holds, or nothing when any of it could not be kept.
void KeepCsvEntries(CsvLoad* load, CsvSettings* settings) {
  settings->list.entryCount = 0;
  if (!FinishEntryBlock(&load->names, &settings->names)) return;
  if (load->lookupMode && !FinishEntryBlock(&load->keys, &settings->keys)) {
    FreeCsvEntries(settings);
    return;
  }
  settings->list.entryCount = load->lines;
  if (load->lookupMode) IndexKeys(settings);
}

// A lookup list is read whole, a sequence only up to `wanted` lines.
ListRead LoadCsvList(ModuleInstance* instance, uint32_t wanted) {
  CsvSettings* settings = AsCsv(instance);
  FreeCsvEntries(settings);
  settings->list.entryCount = 0;
  ListFile file;
  if (!OpenListFile(settings->list.path, &file)) return ListRead::kNotRead;
  CsvLoad load{};
  InitEntryBlockBuilder(&load.keys);
  InitEntryBlockBuilder(&load.names);
  wchar_t line[kCsvLineCapacity];
  bool taken = true;
  while (taken && (load.lookupMode || load.lines < wanted) &&
         NextListLine(&file, ListLineEnds::kEveryBreak, line, kCsvLineCapacity))
    taken = TakeCsvLine(line, &load);
  CloseListFile(&file);
  const bool whole = load.lookupMode || load.lines < wanted;
  // A first line without fields leaves the list empty, and so does a list that memory could not hold.
  if (taken) KeepCsvEntries(&load, settings);
  FreeEntryBlockBuilder(&load.keys);
  FreeEntryBlockBuilder(&load.names);
  if (!taken && load.lines != 0) return ListRead::kNotRead;
  return whole ? ListRead::kWhole : ListRead::kPart;
}

void PrepareCsvModule(ModuleInstance* instance) { PrepareListStep(LoadCsvList, instance); }

// The first line whose key equals the name ignoring case, found through the hash index; null when none.
const wchar_t* LookUpName(const CsvSettings* settings, const wchar_t* candidate) {
  if (settings->lookup.slots != nullptr) {
    const int32_t* line = HashSlotsFind(&settings->lookup, HashIgnoreCaseWide(candidate));
    if (line == nullptr) return nullptr;
    if (EqualsIgnoreCaseWide(EntryAt(&settings->keys, static_cast<uint32_t>(*line)), candidate))
      return EntryAt(&settings->names, static_cast<uint32_t>(*line));
  }
  // Without an index, or when another key shares the hash.
  for (uint32_t line = 0; line < settings->list.entryCount; ++line) {
    if (EqualsIgnoreCaseWide(EntryAt(&settings->keys, line), candidate)) return EntryAt(&settings->names, line);
  }
  return nullptr;
}

// The name part, '.' and the extension part, or the name part alone when there is no extension.
const wchar_t* FindCsvEntry(const CsvSettings* settings, const ModuleApplyRecord* record) {
  const ListStepHead& list = settings->list;
  if (list.entryCount == 0 || settings->names.text == nullptr) return nullptr;
  if (settings->keys.text == nullptr)
    return list.counter < list.entryCount ? EntryAt(&settings->names, list.counter) : nullptr;
  wchar_t candidate[2 * kApplyPartCapacity];
  CopyWideBounded(record->name, candidate, 2 * kApplyPartCapacity);
  if (record->extension[0] != 0) {
    AppendWideBounded(L".", candidate, 2 * kApplyPartCapacity);
    AppendWideBounded(record->extension, candidate, 2 * kApplyPartCapacity);
  }
  return LookUpName(settings, candidate);
}

int ApplyCsvModule(ModuleApplyRecord* record) {
  CsvSettings* settings = AsCsv(record->settings);
  if (settings == nullptr) return -1;
  const wchar_t* entry = FindCsvEntry(settings, record);
  if (entry != nullptr) TakeListEntry(entry, record);
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

void FreeCsvSettings(ModuleInstance* instance) {
  FreeCsvEntries(AsCsv(instance));
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
