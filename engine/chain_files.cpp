#include "engine/chain_files.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "engine/chain_list.h"
#include "engine/engine_hooks.h"
#include "engine/module_table.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/providers/file_creation.h"
#include "foundation/files/file_io.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/text_encoding.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "views/items_view.h"

namespace {

// The longest text form of a step, '<' and '>' included: one limit for reading and writing, so that every step
// read can be written back.
constexpr size_t kEntryMaxLength = 1023;
// One line: the '-' of an unchecked step, the text form and its terminator.
constexpr int kChainLineCapacity = kEntryMaxLength + 2;
// A file must be longer than this to hold a chain.
constexpr uint64_t kShortestChainFile = 6;
constexpr int kChainKeyCapacity = 16;
constexpr int kParseFailed = -1;

// Every step as its line, the lines back to back with their terminators; a step that cannot be written as one
// is left out and its error kept.
struct ChainLines {
  RecordBuffer text;
  uint32_t count;
  int failure;
};

void StepKey(uint32_t number, char* key) { snprintf(key, kChainKeyCapacity, "R%u", number); }

const wchar_t* FirstLine(const ChainLines& lines) { return reinterpret_cast<const wchar_t*>(RecordBufferData(&lines.text)); }

const wchar_t* NextLine(const wchar_t* line) { return line + WideLength(line) + 1; }

// The slot holds '-' in its first place for an unchecked step, else nothing there; the line is returned.
const wchar_t* WriteStepLine(int n, wchar_t* slot, int* result) {
  slot[0] = 0;
  *result = SerializeModuleInstance(GetStepInstance(n), slot + 1, kChainLineCapacity - 1);
  if (IsStepChecked(n)) return slot + 1;
  slot[0] = L'-';
  return slot;
}

bool CollectChainLines(ChainLines* lines) {
  *lines = ChainLines{};
  RecordBufferInit(&lines->text, true);
  const uint32_t steps = CountSteps();
  for (uint32_t n = 0; n < steps; ++n) {
    wchar_t slot[kChainLineCapacity];
    int result = 0;
    const wchar_t* line = WriteStepLine(static_cast<int>(n), slot, &result);
    if (result != 0) {
      if (lines->failure == 0) lines->failure = result;
    } else if (RecordBufferAppendString(&lines->text, line) != 0) {
      return false;
    } else {
      ++lines->count;
    }
  }
  return true;
}

// FF FE, then each line and CR LF.
uint32_t BuildFileText(const ChainLines& lines, wchar_t* text) {
  uint32_t at = 0;
  text[at++] = 0xFEFF;
  const wchar_t* line = FirstLine(lines);
  for (uint32_t i = 0; i < lines.count; ++i, line = NextLine(line)) {
    const size_t length = WideLength(line);
    memcpy(text + at, line, length * sizeof(wchar_t));
    at += static_cast<uint32_t>(length);
    text[at++] = L'\r';
    text[at++] = L'\n';
  }
  return at;
}

int WriteChainLines(const ChainLines& lines, const wchar_t* path) {
  // Each terminator becomes CR LF: one character more per line, and the mark before them.
  wchar_t* text = AllocZeroedWide(RecordBufferUsedBytes(&lines.text) / sizeof(wchar_t) + lines.count + 1);
  if (text == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  const uint32_t characters = BuildFileText(lines, text);
  const int result = WriteWholeFile(path, text, characters * static_cast<uint32_t>(sizeof(wchar_t)));
  FreeAndNull(&text);
  return result;
}

// The section as read back: each value "R<n>" must hold line n, in order, and nothing else may follow.
struct SectionCheck {
  const ChainLines* lines;
  const wchar_t* line;
  uint32_t seen;
  bool same;
};

int CheckSectionLine(const char* key, const char* value, void* user) {
  SectionCheck* check = static_cast<SectionCheck*>(user);
  char expectedKey[kChainKeyCapacity];
  StepKey(check->seen + 1, expectedKey);
  wchar_t text[kChainLineCapacity];
  ProfileDecodeValue(&g_settingsStore, value, text, kChainLineCapacity);
  check->same = check->seen < check->lines->count && strcmp(key, expectedKey) == 0 && wcscmp(text, check->line) == 0;
  if (check->same) check->line = NextLine(check->line);
  ++check->seen;
  return check->same ? 0 : 1;
}

// The section is written in one edit, however long the chain, and read back: the store skips a write it has
// to wait for too long, and a gap would end the chain there at the next start.
bool WriteChainSection(const ChainLines& lines) {
  char* keys = static_cast<char*>(AllocZeroed((lines.count + 1) * kChainKeyCapacity));
  ProfilePathEntry* entries =
      static_cast<ProfilePathEntry*>(AllocZeroed((lines.count + 1) * static_cast<uint32_t>(sizeof(ProfilePathEntry))));
  bool written = keys != nullptr && entries != nullptr;
  if (written) {
    const wchar_t* line = FirstLine(lines);
    for (uint32_t i = 0; i < lines.count; ++i, line = NextLine(line)) {
      StepKey(i + 1, keys + static_cast<size_t>(i) * kChainKeyCapacity);
      entries[i] = {keys + static_cast<size_t>(i) * kChainKeyCapacity, line};
    }
    ProfileReplaceSection(&g_settingsStore, kChainSection, entries, lines.count);
    SectionCheck check = {&lines, FirstLine(lines), 0, true};
    ProfileEnumSection(&g_settingsStore, kChainSection, CheckSectionLine, &check);
    written = check.same && check.seen == lines.count;
  }
  FreeAndNull(&entries);
  FreeAndNull(&keys);
  return written;
}

// The steps made are gathered and replace the chain together once the text is read (none made: the chain
// stays); a made step that cannot be stored counts as refused.
struct ParseTally {
  StepBatch batch;
  uint32_t made;
  uint32_t refused;
  bool notChain;  // the first bytes are no chain's
};

// A long chain is made in slices of this many steps.
constexpr uint32_t kStepsPerSlice = 4096;
// Paint messages taken between two slices, so that a window that does not validate cannot hold the load.
constexpr int kMostPaintsBetweenSlices = 64;

// Between the slices of a long load the window thread answers the messages sent to it and repaints; input
// waits for the end of the load, so nothing changes the chain meanwhile.
void AnswerSentAndPaint() {
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  for (int i = 0; i < kMostPaintsBetweenSlices && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
    DispatchMessageW(&message);
}

void AddStep(const wchar_t* text, bool checked, ParseTally* tally) {
  if (CountBatchSteps(&tally->batch) % kStepsPerSlice == kStepsPerSlice - 1) AnswerSentAndPaint();
  ModuleInstance* settings = CreateModuleFromText(text);
  if (AddToStepBatch(&tally->batch, settings, checked)) return;
  FreeModuleInstance(settings);
  ++tally->refused;
}

// The chain takes the steps made; those that cannot be stored count as refused.
void ReplaceChainByTally(ParseTally* tally) {
  const uint32_t steps = CountBatchSteps(&tally->batch);
  if (ReplaceStepsByBatch(&tally->batch)) {
    tally->made += steps;
  } else {
    tally->refused += steps;
  }
  FreeStepBatch(&tally->batch);
}

void EntryToWide(const wchar_t* entry, size_t length, wchar_t* wide) {
  memcpy(wide, entry, length * sizeof(wchar_t));
  wide[length] = 0;
}

void EntryToWide(const char* entry, size_t length, wchar_t* wide) {
  char bytes[kChainLineCapacity];
  memcpy(bytes, entry, length);
  bytes[length] = 0;
  MultiByteToWideBounded(bytes, wide, kChainLineCapacity, CP_ACP);
}

// The end of an entry whose quoted values or comment hold '>': a double quote right after ',' or ';' opens a
// quoted text, which the next double quote after an even run of backslashes closes (an odd run escapes it).
// 0 when the entry does not end that way before a line break or the limit; it is then read to its first '>',
// as files are that the program did not write.
template <typename Char>
size_t QuoteAwareEntryLength(const Char* text, size_t limit) {
  bool quoted = false;
  size_t backslashes = 0;
  for (size_t i = 1; i < limit; ++i) {
    const Char c = text[i];
    if (c == '\r' || c == '\n') return 0;
    if (quoted) {
      if (c == '"' && backslashes % 2 == 0) quoted = false;
      backslashes = c == '\\' ? backslashes + 1 : 0;
    } else if (c == '"' && (text[i - 1] == ',' || text[i - 1] == ';')) {
      quoted = true;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return 0;
}

// Characters of the entry that begins with '<' at text[0], its '>' included; 0 when no '>' ends it within
// the longest entry.
template <typename Char>
size_t EntryLength(const Char* text, size_t count) {
  const size_t limit = count < kEntryMaxLength ? count : kEntryMaxLength;
  const size_t quoted = QuoteAwareEntryLength(text, limit);
  if (quoted != 0) return quoted;
  for (size_t i = 1; i < limit; ++i)
    if (text[i] == '>') return i + 1;
  return 0;
}

// A '-' right before an entry's '<' unchecks it; any other character between entries leaves it checked.
template <typename Char>
int ParseChainText(const Char* text, size_t count, ParseTally* tally) {
  bool checked = true;
  size_t i = 0;
  while (text != nullptr && i < count) {
    if (text[i] != '<') {
      checked = text[i] != '-';
      ++i;
      continue;
    }
    const size_t length = EntryLength(text + i, count - i);
    if (length == 0) {
      if (count - i <= kEntryMaxLength) break;
      i += kEntryMaxLength + 1;
      continue;
    }
    wchar_t entry[kChainLineCapacity];
    EntryToWide(text + i, length, entry);
    AddStep(entry, checked, tally);
    i += length;
  }
  ReplaceChainByTally(tally);
  return tally->made > 0 && tally->refused == 0 ? 0 : kParseFailed;
}

template <typename Char>
int ParseChainTextCounted(const Char* text, size_t count) {
  ParseTally tally{};
  InitStepBatch(&tally.batch);
  return ParseChainText(text, count, &tally);
}

bool BeginsEntry(wchar_t first, wchar_t second) { return first == L'<' || (first == L'-' && second == L'<'); }

// The first bytes tell the form: FF FE and an entry in UTF-16, or an entry in 8-bit text.
int ParseSettingsFile(const uint8_t* bytes, uint64_t size, ParseTally* tally) {
  tally->notChain = true;
  if (bytes == nullptr || size <= kShortestChainFile || size > UINT32_MAX) return kParseFailed;
  if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(bytes + 2);
    if (!BeginsEntry(text[0], text[1])) return kParseFailed;
    tally->notChain = false;
    return ParseChainText(text, (size - 2) / 2, tally);
  }
  if (!BeginsEntry(bytes[0], bytes[1])) return kParseFailed;
  tally->notChain = false;
  return ParseChainText(reinterpret_cast<const char*>(bytes), size, tally);
}

int LoadMappedChain(HWND owner, const wchar_t* path, ParseTally* tally) {
  MappedFile file;
  InitMappedFile(&file);
  int result = MapWholeFile(&file, path);
  if (result != 0) {
    ShowLastErrorMessage(owner, static_cast<DWORD>(result), path);
  } else {
    SuspendRecomputation();
    result = GuardedCall(kParseFailed, [&] { return ParseSettingsFile(file.view, file.size, tally); });
    // Steps gathered by a parse that broke off are not the chain.
    FreeStepBatch(&tally->batch);
    ResumeRecomputation();
  }
  CloseMappedFile(&file);
  return result;
}

// A restored chain is shown anew: no rename of a row left pending, columns as wide as the new texts.
void FitChainColumns() {
  ItemListControl* chain = g_app->chainList;
  if (chain != nullptr) {
    if (IsControlThread(chain)) KillTimer(chain->window, kRenameTimer);
    ItemsViewEndEdit(chain, false);
    ItemsViewAutoSizeColumn(chain, 0);
    ItemsViewAutoSizeColumn(chain, 1);
  }
  InterlockedIncrement(&g_app->chainColumnFitCounter);
}

// A value "R<n>" of section "QK" as wide text; stored only as long as its text.
struct NumberedLine {
  uint32_t number;
  wchar_t text[kChainLineCapacity];
};

uint32_t NumberedLineBytes(const NumberedLine& line) {
  return static_cast<uint32_t>(offsetof(NumberedLine, text) + (WideLength(line.text) + 1) * sizeof(wchar_t));
}

uint32_t StepNumberOfKey(const char* key) {
  if (key[0] != 'R' || key[1] < '1' || key[1] > '9') return 0;
  char* end = nullptr;
  const unsigned long number = strtoul(key + 1, &end, 10);
  return *end == 0 && number <= UINT32_MAX ? static_cast<uint32_t>(number) : 0;
}

int CollectSectionLine(const char* key, const char* value, void* lines) {
  NumberedLine line;
  line.number = StepNumberOfKey(key);
  if (line.number == 0) return 0;
  ProfileDecodeValue(&g_settingsStore, value, line.text, kChainLineCapacity);
  return RecordBufferAppend(static_cast<RecordBuffer*>(lines), &line, NumberedLineBytes(line));
}

// Each line in the order of its number, the first of a number taken, up to the first number missing or empty.
void AddSectionSteps(const RecordBuffer& lines, ParseTally* tally) {
  const uint32_t count = RecordBufferCount(&lines);
  const NumberedLine** byNumber =
      static_cast<const NumberedLine**>(AllocZeroed((count + 1) * static_cast<uint32_t>(sizeof *byNumber)));
  if (byNumber == nullptr) return;
  const uint8_t* at = RecordBufferData(&lines);
  for (uint32_t i = 0; i < count; ++i) {
    const NumberedLine* line = reinterpret_cast<const NumberedLine*>(at);
    if (line->number <= count && byNumber[line->number] == nullptr) byNumber[line->number] = line;
    at += NumberedLineBytes(*line);
  }
  for (uint32_t number = 1; number <= count && byNumber[number] != nullptr && byNumber[number]->text[0]; ++number) {
    const wchar_t* text = byNumber[number]->text;
    const bool checked = text[0] != L'-';
    AddStep(checked ? text : text + 1, checked, tally);
  }
  FreeAndNull(&byNumber);
}

void RestoreSteps() {
  ParseTally tally{};
  InitStepBatch(&tally.batch);
  // The section is read at once: one wait for the store's lock, however long the chain.
  RecordBuffer lines;
  RecordBufferInit(&lines, true);
  ProfileEnumSection(&g_settingsStore, kChainSection, CollectSectionLine, &lines);
  AddSectionSteps(lines, &tally);
  RecordBufferDestroy(&lines);
  ReplaceChainByTally(&tally);
}

// A file read only in part, or not at all, says so; an unreadable one has told its error already.
void ShowWhyNotLoaded(HWND owner, const wchar_t* path, int result, const ParseTally& tally) {
  int textId = 0;
  if (tally.made > 0) {
    // The list shows only part of the file: saved back into it, the other steps would be lost.
    textId = kTextStepsNotRead;
  } else if (result == kParseFailed) {
    textId = tally.notChain ? kTextNotSettingsFile : kTextNoStepsRead;
  }
  if (textId != 0) ShowMessageWithPath(owner, textId, nullptr, path, nullptr, MB_OK | MB_ICONWARNING);
}

// A step's record and the record read back from its line are the same step when the module table shows them
// alike in everything a step holds: the module, the flags, the text form, the description and the comment.
bool SameStep(const ModuleInstance* settings, const ModuleInstance* back) {
  if (back == nullptr || back->moduleIndex != settings->moduleIndex ||
      GetModuleInstanceFlags(back) != GetModuleInstanceFlags(settings)) {
    return false;
  }
  wchar_t one[kChainTextCapacity];
  wchar_t other[kChainTextCapacity];
  const auto alike = [&](auto show) {
    show(settings, one, kChainTextCapacity);
    show(back, other, kChainTextCapacity);
    return wcscmp(one, other) == 0;
  };
  return alike(SerializeModuleInstance) && alike(DescribeModuleInstance) && alike(GetModuleInstanceComment);
}

// The step as the chain list would show it: its description, and its comment on a line of its own.
void DescribeReadBackStep(const ModuleInstance* back, wchar_t* text, int capacity) {
  DescribeModuleInstance(back, text, capacity);
  wchar_t comment[kStepCommentCapacity];
  GetModuleInstanceComment(back, comment, kStepCommentCapacity);
  if (comment[0] == 0) return;
  wchar_t label[kStepCommentCapacity];
  GetUiText(kTextComment, label, kStepCommentCapacity);
  AppendWideBounded(L"\r\n", text, capacity);
  AppendWideBounded(label, text, capacity);
  AppendWideBounded(L": ", text, capacity);
  AppendWideBounded(comment, text, capacity);
}

}  // namespace

int StepStorageProblem(const ModuleInstance* settings, wchar_t* readBack, int capacity) {
  CopyWideBounded(L"", readBack, capacity);
  wchar_t line[kEntryMaxLength + 1];
  const int written = SerializeModuleInstance(settings, line, kEntryMaxLength + 1);
  if (written == ERROR_INSUFFICIENT_BUFFER) return kTextStepTooLong;
  if (written != 0) return kTextStepLost;
  // Section "QK" keeps a value up to its first line break; a settings file's scan ends the entry where it does.
  wchar_t stored[kEntryMaxLength + 1];
  CopyWideBounded(line, stored, kEntryMaxLength + 1);
  stored[wcscspn(stored, L"\r\n")] = 0;
  wchar_t filed[kEntryMaxLength + 1];
  CopyWideBounded(line, filed, static_cast<int>(EntryLength(line, WideLength(line))) + 1);
  for (const wchar_t* form : {stored, filed}) {
    ModuleInstance* back = CreateModuleFromText(form);
    const bool same = SameStep(settings, back);
    if (!same && back != nullptr) DescribeReadBackStep(back, readBack, capacity);
    FreeModuleInstance(back);
    if (!same) return back != nullptr ? kTextStepNotKept : kTextStepLost;
  }
  return 0;
}

int WriteModuleChainFile(const wchar_t* path) {
  ChainLines lines;
  int result = CollectChainLines(&lines) ? lines.failure : ERROR_NOT_ENOUGH_MEMORY;
  if (result == 0 && lines.count > 0) result = WriteChainLines(lines, path);
  RecordBufferDestroy(&lines.text);
  if (result != 0) {
    ShowLastErrorMessage(g_mainWindow, static_cast<DWORD>(result), path);
  } else if (lines.count > 0 && g_app != nullptr) {
    InterlockedExchange(&g_app->settingsChanged, 0);
  }
  return result;
}

int SaveModuleChainToSettings() {
  if (g_app == nullptr || g_app->settingsChanged == 0) return 0;
  ChainLines lines;
  int result = ERROR_NOT_ENOUGH_MEMORY;
  if (CollectChainLines(&lines)) {
    // A chain that cannot be written whole leaves the section with the chain it holds.
    result = lines.failure != 0 ? lines.failure : WriteChainSection(lines) ? 0 : WAIT_TIMEOUT;
  }
  RecordBufferDestroy(&lines.text);
  if (result == 0) InterlockedExchange(&g_app->settingsChanged, 0);
  return result;
}

void RestoreModuleChain() {
  if (g_app == nullptr) return;
  SuspendRecomputation();
  GuardedCall(0, [] {
    RestoreSteps();
    FitChainColumns();
    return 0;
  });
  ResumeRecomputation();
  MarkSettingsChanged(0);
}

int LoadSettingsFile(HWND owner, const wchar_t* path) {
  if (g_app == nullptr || path == nullptr || path[0] == 0) return ERROR_INVALID_PARAMETER;
  if (ChainChangesRefused()) {
    ShowLastErrorMessage(owner, ERROR_BUSY, path);
    return ERROR_BUSY;
  }
  SaveChangedChainHook();
  ParseTally tally{};
  InitStepBatch(&tally.batch);
  const int result = LoadMappedChain(owner, path, &tally);
  if (result == 0) {
    AnswerSentAndPaint();
    InterlockedExchange(&g_app->settingsChanged, 1);
    SaveModuleChainToSettings();
    AnswerSentAndPaint();
    AddRecentFileHook(path);
    g_app->settingsFileCurrent = path[0];
  } else {
    RemoveRecentFileHook(path);
    // The close question must not offer to write this chain into another file.
    g_app->settingsFileCurrent = 0;
    ShowWhyNotLoaded(owner, path, result, tally);
  }
  MarkSettingsChanged(0);
  return result;
}

int ParseChainTextW(const wchar_t* text, size_t count) { return ParseChainTextCounted(text, count); }
