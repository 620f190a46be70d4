#include "engine/modules/name_lists.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <cwchar>

#include "engine/module_text_form.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/files/file_texts.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/text_files.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"

namespace {

// The bytes the type of an unmarked file is told from.
constexpr uint32_t kTypeSampleBytes = 4096;

bool BeginsWith(const uint8_t* bytes, uint32_t size, const char* mark) {
  const size_t length = strlen(mark);
  return size >= length && memcmp(bytes, mark, length) == 0;
}

bool TakeWideText(wchar_t* text, uint32_t length, ListFileText* file) {
  file->text = text;
  file->length = length;
  return text != nullptr;
}

bool DecodeUtf16(const uint8_t* bytes, uint32_t size, bool bigEndian, ListFileText* file) {
  const uint32_t length = size / 2;
  wchar_t* text = AllocZeroedWide(length + 1);
  if (text == nullptr) return false;
  for (uint32_t i = 0; i < length; ++i) {
    const uint8_t first = bytes[2 * i];
    const uint8_t second = bytes[2 * i + 1];
    text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return TakeWideText(text, length, file);
}

// False when the bytes are not text of the code page under `flags` (MB_ERR_INVALID_CHARS) or memory fails.
bool DecodeCodePage(const uint8_t* bytes, uint32_t size, UINT codePage, DWORD flags, ListFileText* file) {
  if (size == 0) return TakeWideText(AllocZeroedWide(1), 0, file);
  const char* source = reinterpret_cast<const char*>(bytes);
  const int count = static_cast<int>(size);
  const int length = MultiByteToWideChar(codePage, flags, source, count, nullptr, 0);
  if (length <= 0) return false;
  wchar_t* text = AllocZeroedWide(static_cast<uint32_t>(length) + 1);
  if (text == nullptr) return false;
  MultiByteToWideChar(codePage, flags, source, count, text, length);
  return TakeWideText(text, static_cast<uint32_t>(length), file);
}

bool DecodeListBytes(const uint8_t* bytes, uint32_t size, ListFileText* file) {
  if (size > static_cast<uint32_t>(INT_MAX)) return false;
  if (BeginsWith(bytes, size, "\xFF\xFE")) return DecodeUtf16(bytes + 2, size - 2, false, file);
  if (BeginsWith(bytes, size, "\xFE\xFF")) return DecodeUtf16(bytes + 2, size - 2, true, file);
  if (BeginsWith(bytes, size, "\xEF\xBB\xBF")) return DecodeCodePage(bytes + 3, size - 3, CP_UTF8, 0, file);
  const uint32_t sample = size < kTypeSampleBytes ? size : kTypeSampleBytes;
  if (DetectTextType(bytes, sample) == kTextUtf16Unmarked) return DecodeUtf16(bytes, size, false, file);
  return DecodeCodePage(bytes, size, CP_UTF8, MB_ERR_INVALID_CHARS, file) ||
         DecodeCodePage(bytes, size, CP_ACP, 0, file);
}

bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n' || c == 0; }

const ListStepHead* AsListStep(const ModuleInstance* settings) {
  return reinterpret_cast<const ListStepHead*>(settings);
}

bool ReadListStepText(const wchar_t* text, ListStepHead* step) {
  const wchar_t* position = SkipExpected(SkipStepKey(text), L',');
  position = ReadSettingsTextField(position, step->path, kListPathCapacity, L'"');
  return position != nullptr && ReadSettingsComment(position, step->comment, kStepCommentCapacity) == 0;
}

}  // namespace

bool ReadListFile(const wchar_t* storedPath, ListFileText* file) {
  *file = ListFileText{};
  wchar_t path[kListPathCapacity];
  ExpandPathPlaceholdersRelative(storedPath, path, kListPathCapacity);
  if (path[0] == 0) return false;
  uint32_t size = 0;
  uint8_t* bytes = ReadWholeFile(path, &size);
  if (bytes == nullptr) return false;
  const bool decoded = DecodeListBytes(bytes, size, file);
  FreeAndNull(&bytes);
  if (!decoded) FreeListFile(file);
  return decoded;
}

bool NextListLine(ListFileText* file, ListLineEnds ends, wchar_t* line, int capacity) {
  if (capacity <= 0 || file->text == nullptr || file->position >= file->length) return false;
  int stored = 0;
  uint32_t p = file->position;
  for (; p < file->length && !IsLineBreak(file->text[p]); ++p) {
    if (stored + 1 < capacity) line[stored++] = file->text[p];
  }
  line[stored] = 0;
  if (ends == ListLineEnds::kRunOfBreaks) {
    while (p < file->length && IsLineBreak(file->text[p])) ++p;
  } else if (p < file->length) {
    const bool crLf = file->text[p] == L'\r' && p + 1 < file->length && file->text[p + 1] == L'\n';
    p += crLf ? 2 : 1;
  }
  file->position = p;
  return true;
}

void FreeListFile(ListFileText* file) {
  FreeAndNull(&file->text);
  *file = ListFileText{};
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

void PrepareListStep(void (*load)(ModuleInstance* settings), ModuleInstance* settings) {
  const bool loaded = GuardedCall(false, [&] {
    load(settings);
    return true;
  });
  if (loaded) reinterpret_cast<ListStepHead*>(settings)->counter = 0;
}
