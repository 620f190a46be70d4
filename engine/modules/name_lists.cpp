#include "engine/modules/name_lists.h"

#include <windows.h>

#include <climits>
#include <cwchar>

#include "engine/module_text_form.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "views/items_view.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/text_files.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"

namespace {

const ListStepHead* AsListStep(const ModuleInstance* settings) {
  return reinterpret_cast<const ListStepHead*>(settings);
}

// A sequence needs no more lines than there are files to name; without a file list, every line.
uint32_t ListedFileCount() {
  const ItemListControl* files = AppFileList();
  return files != nullptr ? ItemStoreCount(&files->rows) : UINT32_MAX;
}

// The stamp the step's list file has now; false when it has none (no path, no file).
bool StampListFile(const wchar_t* storedPath, ListFileStamp* stamp) {
  wchar_t path[kPathCapacity];
  ExpandPathPlaceholdersRelative(storedPath, path, kPathCapacity);
  WIN32_FILE_ATTRIBUTE_DATA data;
  LongPath longPath;
  if (path[0] == 0 || !GetFileAttributesExW(MakeLongPath(&longPath, path), GetFileExInfoStandard, &data)) return false;
  stamp->pathHash = HashIgnoreCaseWide(path) | 1;
  stamp->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp->written = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                   data.ftLastWriteTime.dwLowDateTime;
  stamp->wanted = ListedFileCount();
  return true;
}

// Whether what the step loaded is what the file holds now, and enough of it.
bool HoldsList(const ListFileStamp& loaded, const ListFileStamp& now) {
  if (!SameListFile(loaded, now)) return false;
  switch (static_cast<ListRead>(loaded.read)) {
    case ListRead::kWhole:
      return true;
    case ListRead::kPart:
      return loaded.wanted >= now.wanted;
    case ListRead::kStopped:
      return !MayReadLongHere();
    default:
      return false;
  }
}

bool ReadListStepText(const wchar_t* text, ListStepHead* step) {
  const wchar_t* position = SkipExpected(SkipStepKey(text), L',');
  position = ReadSettingsTextField(position, step->path, kPathCapacity, L'"');
  return position != nullptr && ReadSettingsComment(position, step->comment, kStepCommentCapacity) == 0;
}

}  // namespace

bool OpenListFile(const wchar_t* storedPath, ListFile* list) {
  InitBufferedFile(&list->file);
  list->lines = 0;
  wchar_t path[kPathCapacity];
  ExpandPathPlaceholdersRelative(storedPath, path, kPathCapacity);
  if (path[0] == 0 || TextFileOpen(&list->file, path) != 0) return false;
  // Zero bytes do not make a list binary: they end its lines like a line break.
  const int32_t type = list->file.textType;
  if (type == kTextBinary || type == kTextRtf) list->file.textType = kTextAnsi;
  return true;
}

bool NextListLine(ListFile* list, ListLineEnds ends, wchar_t* line, int capacity) {
  int read = TextFileReadLineWide(&list->file, line, capacity);
  // Only a blank first line gives an empty entry when blank lines are skipped.
  while (read == 1 && ends == ListLineEnds::kRunOfBreaks && list->lines > 0)
    read = TextFileReadLineWide(&list->file, line, capacity);
  if (read <= 0) return false;
  ++list->lines;
  return true;
}

void CloseListFile(ListFile* list) { CloseBufferedFile(&list->file); }

uint64_t ListFileBytesRead(const ListFile* list) {
  LARGE_INTEGER position{};
  const LARGE_INTEGER none{};
  return SetFilePointerEx(list->file.handle, none, &position, FILE_CURRENT) ? static_cast<uint64_t>(position.QuadPart)
                                                                             : 0;
}

uint64_t ListFileSize(const ListFile* list) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(list->file.handle, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

bool MayReadLongHere() { return IsJobBusy() && !OnGuiThread(); }

void BeginLongRead(LongRead* read, const ListFile* file) {
  read->file = file;
  read->size = ListFileSize(file);
  read->stopsBefore = g_app != nullptr ? g_app->cancelCounter : 0;
  read->shownPercent = 0;
  ShowJobProgress(0, 100);
}

bool LongReadGoesOn(LongRead* read) {
  if (g_app != nullptr && g_app->cancelCounter != read->stopsBefore) return false;
  const uint64_t done = ListFileBytesRead(read->file);
  const uint32_t percent = read->size == 0 ? 100 : static_cast<uint32_t>(done * 100 / read->size);
  if (percent != read->shownPercent && percent <= 100) {
    read->shownPercent = percent;
    ShowJobProgress(percent, 100);
  }
  return true;
}

void InitEntryBlockBuilder(EntryBlockBuilder* builder) {
  // The lists are loaded wherever a preview pass runs, never painted from.
  RecordBufferInit(&builder->text, true);
  RecordBufferInit(&builder->starts, true);
}

bool AppendEntry(EntryBlockBuilder* builder, const wchar_t* entry) {
  const uint32_t start = RecordBufferUsedBytes(&builder->text) / sizeof(wchar_t);
  return RecordBufferAppendString(&builder->text, entry) == 0 &&
         RecordBufferAppend(&builder->starts, &start, sizeof start) == 0;
}

bool FinishEntryBlock(EntryBlockBuilder* builder, EntryBlock* block) {
  block->text = static_cast<wchar_t*>(RecordBufferCopyOut(&builder->text));
  block->starts = static_cast<uint32_t*>(RecordBufferCopyOut(&builder->starts));
  FreeEntryBlockBuilder(builder);
  if (block->text != nullptr && block->starts != nullptr) return true;
  FreeEntryBlock(block);
  return false;
}

void FreeEntryBlockBuilder(EntryBlockBuilder* builder) {
  RecordBufferDestroy(&builder->text);
  RecordBufferDestroy(&builder->starts);
  RecordBufferInit(&builder->text, true);
  RecordBufferInit(&builder->starts, true);
}

void FreeEntryBlock(EntryBlock* block) {
  FreeAndNull(&block->text);
  FreeAndNull(&block->starts);
}

const wchar_t* EntryAt(const EntryBlock* block, uint32_t index) { return block->text + block->starts[index]; }

void TakeListEntry(const wchar_t* entry, ModuleApplyRecord* record) {
  CopyWideBounded(entry, record->name, kApplyPartCapacity);
  ReplaceInvalidFileNameChars(record->name);
  record->extension[0] = 0;
}

ModuleInstance* CreateListStep(const wchar_t* text, uint32_t size) {
  ListStepHead* step = static_cast<ListStepHead*>(AllocZeroed(size));
  if (step == nullptr) return nullptr;
  if (text != nullptr && !ReadListStepText(text, step)) FreeAndNull(&step);
  return reinterpret_cast<ModuleInstance*>(step);
}

int WriteListStep(const wchar_t* key, const ModuleInstance* settings, wchar_t* text, int capacity) {
  const ListStepHead* step = AsListStep(settings);
  int cut = AppendWideBounded(key, text, capacity);
  if (cut == 0) cut = AppendWideBounded(L",", text, capacity);
  const bool quoted = wcschr(step->path, L';') != nullptr;
  const int pathCut =
      quoted ? AppendSettingsTextField(step->path, text, capacity) : AppendWideBounded(step->path, text, capacity);
  if (cut == 0) cut = pathCut;
  const int commentCut = WriteSettingsComment(step->comment, text, capacity);
  return cut != 0 ? cut : commentCut;
}

void DescribeListStep(int titleId, const ModuleInstance* settings, wchar_t* text, int capacity) {
  const wchar_t* path = AsListStep(settings)->path;
  GetUiText(titleId, text, capacity);
  if (path[0] == 0) return;
  AppendWideBounded(L"  \"", text, capacity);
  AppendWideBounded(path, text, capacity);
  AppendWideBounded(L"\"", text, capacity);
}

void GetListStepComment(const ModuleInstance* settings, wchar_t* text, int capacity) {
  CopyWideBounded(AsListStep(settings)->comment, text, capacity);
}

void PrepareListStep(ListLoad load, ModuleInstance* settings) {
  ListStepHead* step = reinterpret_cast<ListStepHead*>(settings);
  ListFileStamp now{};
  const bool stamped = StampListFile(step->path, &now);
  if (stamped && HoldsList(step->loaded, now)) {
    step->counter = 0;
    return;
  }
  step->loaded = ListFileStamp{};
  ListRead read = ListRead::kNotRead;
  const bool returned = GuardedCall(false, [&] {
    read = load(settings, now);
    return true;
  });
  if (!returned) return;
  step->counter = 0;
  if (!stamped || read == ListRead::kNotRead) return;
  now.read = static_cast<uint32_t>(read);
  step->loaded = now;
}

bool SameListFile(const ListFileStamp& a, const ListFileStamp& b) {
  return a.pathHash != 0 && a.pathHash == b.pathHash && a.size == b.size && a.written == b.written;
}
