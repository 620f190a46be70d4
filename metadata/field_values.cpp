#include "metadata/field_values.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/date_text.h"
#include "foundation/text/number_format.h"
#include "foundation/text/numbers.h"
#include "foundation/text/text_encoding.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/column_layout.h"
#include "metadata/field_references.h"
#include "metadata/module_field_source.h"
#include "metadata/plugin_host.h"
#include "metadata/plugin_interface.h"

namespace {

constexpr int kMostFieldColumnId = 2550;

bool IsNarrowText(int type) { return type == kFieldMultipleChoice || type == kFieldText; }
bool IsWideText(int type) { return type == kFieldWideText || type == kFieldModuleText; }

template <typename T>
T ReadAs(const void* buffer) {
  T value;
  memcpy(&value, buffer, sizeof value);
  return value;
}

void* CopyText(void* buffer, size_t bytes, size_t terminatorBytes, bool borrow) {
  if (borrow) {
    memset(static_cast<uint8_t*>(buffer) + bytes, 0, terminatorBytes);
    return buffer;
  }
  void* copy = AllocZeroed(static_cast<uint32_t>(bytes + terminatorBytes));
  if (copy != nullptr) memcpy(copy, buffer, bytes);
  return copy;
}

void FormatDate(uint32_t packed, wchar_t* out, int capacity) {
  FormatDateDMY(packed & 0x1F, (packed >> 5) & 0xF, packed >> 9, out, capacity);
}

void FormatTime(uint32_t packed, wchar_t* out, int capacity) {
  FormatTimeHMS(packed >> 12, (packed >> 6) & 0x3F, packed & 0x3F, out, capacity);
}

void FormatSigned64(int64_t number, wchar_t* out, int capacity) {
  const bool negative = number < 0;
  CopyWideString(negative ? L"-" : L"", out, capacity);
  const int used = static_cast<int>(WideLength(out));
  FormatNumberGrouped(negative ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number), out + used,
                      capacity - used);
}

void FormatFileTime(uint64_t time, wchar_t* out, int capacity) {
  FILETIME fileTime{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  FormatFileDate(g_app != nullptr && g_app->compareMode == 1 ? 1 : 0, &fileTime, out, capacity);
}

void FormatText(int type, const void* text, wchar_t* out, int capacity) {
  if (text == nullptr) return;
  if (IsNarrowText(type)) MultiByteToWideBounded(static_cast<const char*>(text), out, capacity, CP_ACP);
  if (IsWideText(type)) CopyWideString(static_cast<const wchar_t*>(text), out, capacity);
}

template <typename T>
int WriteNumber(T number, void* out, int outSize, int kind) {
  if (outSize < static_cast<int>(sizeof number)) return kFieldNoValue;
  memcpy(out, &number, sizeof number);
  return kind;
}

FieldValueNode* AppendNode(FieldValueNode** head, int id, int type, const FieldValueData& value) {
  FieldValueNode* node = static_cast<FieldValueNode*>(AllocZeroed(sizeof(FieldValueNode)));
  if (node == nullptr) return nullptr;
  node->id = static_cast<int16_t>(id);
  node->type = static_cast<uint8_t>(type);
  node->value = value;
  node->next = *head;
  *head = node;
  return node;
}

// A fetched value as a node: the answer is its type; a source without value (0) leaves a node without value,
// so that the file is not asked again.
FieldValueNode* KeepValue(FieldValueNode** head, int id, int answer, void* buffer) {
  const int type = answer & 0xFF;
  return AppendNode(head, id, type, CopyPluginFieldValue(type, buffer, kFieldValueBytes, false));
}

const FieldValueNode* GetFieldSortNode(const RecordBuffer* list, int entry, FieldValueNode** head,
                                       const wchar_t* path) {
  const FieldValueNode* node = FindFieldValueNode(*head, entry);
  if (node == nullptr && ReadFieldValueForRow(list, entry, head, path)) node = FindFieldValueNode(*head, entry);
  return node;
}

const FieldValueNode* GetModuleFieldSortNode(int id, FieldValueNode** head, const wchar_t* path) {
  const FieldValueNode* node = FindFieldValueNode(*head, id);
  if (node != nullptr) return node;
  uint8_t buffer[kFieldValueBufferBytes] = {};
  const int answer = GetModuleFieldValueGuarded(static_cast<uint32_t>(id) >> 8, path, id & 0xFF, buffer,
                                                kFieldValueBytes);
  return answer >= 0 ? KeepValue(head, id, answer, buffer) : nullptr;
}

FieldValueFreeHook g_freeHook = nullptr;

// Frees the nodes from `node` up to (not including) `end`.
void FreeNodesUntil(FieldValueNode* node, const FieldValueNode* end) {
  while (node != end) {
    FieldValueNode* next = node->next;
    if (g_freeHook != nullptr) g_freeHook(node);
    FreeFieldValueData(node->type, &node->value);
    FreeAndNull(&node);
    node = next;
  }
}

// Retired row lists that a counted reader may still hold.
struct RetiredList {
  RetiredList* next;
  FieldValueNode* nodes;
};

// Guards the hand-over of row heads (fetch, attach, take-out), the retired lists and the retirement count; the
// readers are counted outside it.
SRWLOCK g_listsLock = SRWLOCK_INIT;
RetiredList* g_retired = nullptr;
uint32_t g_retirements = 0;
volatile LONG g_readers = 0;

bool NobodyReads() { return InterlockedCompareExchange(&g_readers, 0, 0) == 0; }

// Under the lock: takes every retired list out, when no reader is counted.
RetiredList* TakeRetiredNobodyReads() {
  RetiredList* taken = NobodyReads() ? g_retired : nullptr;
  if (taken != nullptr) g_retired = nullptr;
  return taken;
}

void FreeRetiredLists(RetiredList* list) {
  while (list != nullptr) {
    RetiredList* next = list->next;
    FreeNodesUntil(list->nodes, nullptr);
    FreeAndNull(&list);
    list = next;
  }
}

// Under the lock. A list that cannot be queued while someone reads is left unfreed rather than freed under a
// reader.
void QueueRetiredList(FieldValueNode* nodes) {
  RetiredList* record = static_cast<RetiredList*>(AllocZeroed(sizeof(RetiredList)));
  if (record == nullptr) return;
  *record = {g_retired, nodes};
  g_retired = record;
}

FieldValueNode* ReadHeadLocked(FieldValueNode* const* rowHead) {
  FieldValueNode* head;
  memcpy(&head, rowHead, sizeof head);
  return head;
}

void WriteHeadLocked(FieldValueNode** rowHead, FieldValueNode* head) { memcpy(rowHead, &head, sizeof head); }

int ModuleFieldAnswer(const FieldValueWant& want) {
  const int answer = GetModuleFieldValueGuarded(static_cast<uint32_t>(want.source) >> 8, want.path,
                                                want.fieldIndex & 0xFF, want.value, want.valueSize);
  return answer < 0 ? -1 : answer & 0xFF;
}

bool SourceCameBefore(const FieldValueWant* wants, int i) {
  for (int j = 0; j < i; ++j) {
    if (wants[j].source == wants[i].source && wants[j].path != nullptr && wants[j].value != nullptr) return true;
  }
  return false;
}

// The values one plug-in is asked for, and the wants they answer.
struct PluginBatch {
  PluginValueItem* items;
  int* owners;
};

// Every value of the list from plug-in `source`: the files it does not serve answer 0 here, the others are
// asked in one batch.
void AskPluginForValues(FieldValueWant* wants, int count, int source, PluginBatch* batch) {
  const PluginRecord* record = PluginAt(source);
  if (record == nullptr) return;
  PluginFileDetails details;
  const wchar_t* detailed = nullptr;
  int asked = 0;
  for (int i = 0; i < count; ++i) {
    FieldValueWant& want = wants[i];
    if (want.source != source || want.path == nullptr || want.value == nullptr) continue;
    if (detailed == nullptr || wcscmp(detailed, want.path) != 0) {
      PreparePluginFileDetails(&details, want.path);
      detailed = want.path;
    }
    if (!PluginAppliesToFile(record, &details)) {
      want.answer = 0;
      continue;
    }
    batch->items[asked] = {want.path, want.fieldIndex, want.unitIndex, want.value, want.valueSize, -1};
    batch->owners[asked++] = i;
  }
  RequestPluginValues(record, batch->items, asked);
  for (int k = 0; k < asked; ++k) wants[batch->owners[k]].answer = static_cast<int>(batch->items[k].answer);
}

int CountFieldColumns(const ColumnLayout* layout) {
  int columns = 0;
  for (int i = 0; layout != nullptr && layout[i].id != 0; ++i) columns += layout[i].id < 0 ? 1 : 0;
  return columns;
}

// Which row and list entry a wanted value is for.
struct WantSlot {
  int row;
  int entry;
};

// The values a pass over rows wants, with their buffers.
struct RowsPass {
  FieldValueWant* wants;
  WantSlot* slots;
  uint8_t* buffers;  // kFieldValueBufferBytes for each want
  int count;
};

// Whether the row's wants, from `first` on, hold the entry already (a column the layout shows twice).
bool Wanted(const RowsPass& pass, int first, int entry) {
  for (int k = first; k < pass.count; ++k) {
    if (pass.slots[k].entry == entry) return true;
  }
  return false;
}

// Wants the value of every field column of the layout that row r lacks.
void WantMissingValues(const RecordBuffer* list, const FieldValueRow* rows, int r, const ColumnLayout* layout,
                       RowsPass* pass) {
  const int first = pass->count;
  for (int i = 0; layout != nullptr && layout[i].id != 0; ++i) {
    if (layout[i].id > 0) continue;
    const int entry = -layout[i].id - 1;
    const FieldReference* reference = FieldReferenceAt(list, entry + 1);
    if (reference == nullptr || FindFieldValueNode(*rows[r].head, entry) != nullptr || Wanted(*pass, first, entry)) {
      continue;
    }
    uint8_t* buffer = pass->buffers + static_cast<size_t>(pass->count) * kFieldValueBufferBytes;
    pass->wants[pass->count] = {reference->source, reference->fieldIndex, reference->unitIndex, rows[r].path, buffer,
                                kFieldValueBytes, -1};
    pass->slots[pass->count++] = {r, entry};
  }
}

}  // namespace

bool IsNumericFieldType(int type) { return (type >= kFieldInteger && type <= kFieldTime) || type == kFieldFileTime; }

int GetFieldValueForFile(int source, const wchar_t* path, int fieldIndex, int unitIndex, void* out, int outSize) {
  FieldValueWant want = {source, fieldIndex, unitIndex, path, out, outSize, -1};
  GetFieldValuesForFiles(&want, 1);
  return want.answer;
}

void GetFieldValuesForFiles(FieldValueWant* wants, int count) {
  for (int i = 0; i < count; ++i) wants[i].answer = -1;
  if (count <= 0) return;
  PluginBatch batch = {};
  batch.items = static_cast<PluginValueItem*>(AllocZeroed(static_cast<uint32_t>(count * sizeof(PluginValueItem))));
  batch.owners = static_cast<int*>(AllocZeroed(static_cast<uint32_t>(count * sizeof(int))));
  if (batch.items != nullptr && batch.owners != nullptr) {
    GuardedCall(0, [&] {
      for (int i = 0; i < count; ++i) {
        if (wants[i].path == nullptr || wants[i].value == nullptr) continue;
        if (IsModuleSource(wants[i].source)) {
          wants[i].answer = ModuleFieldAnswer(wants[i]);
        } else if (!SourceCameBefore(wants, i)) {
          AskPluginForValues(wants, count, wants[i].source, &batch);
        }
      }
      return 0;
    });
  }
  FreeAndNull(&batch.items);
  FreeAndNull(&batch.owners);
}

FieldValueData CopyPluginFieldValue(int type, const void* buffer, int bufferSize, bool borrow) {
  FieldValueData value = {};
  void* bytes = const_cast<void*>(buffer);
  switch (type) {
    case kFieldInteger:
    case kFieldBoolean:
      value.number = ReadAs<int32_t>(buffer);
      break;
    case kFieldDate:
    case kFieldTime:
      value.number = ReadAs<uint32_t>(buffer);
      break;
    case kFieldInteger64:
    case kFieldFileTime:
      value.number = ReadAs<int64_t>(buffer);
      break;
    case kFieldFloating:
      value.floating = ReadAs<double>(buffer);
      break;
    case kFieldMultipleChoice:
    case kFieldText:
      if (const size_t length = strnlen(static_cast<const char*>(buffer), static_cast<size_t>(bufferSize))) {
        value.text = CopyText(bytes, length, 1, borrow);
      }
      break;
    case kFieldWideText:
    case kFieldModuleText:
      if (const size_t length = wcsnlen(static_cast<const wchar_t*>(buffer), static_cast<size_t>(bufferSize) / 2)) {
        value.text = CopyText(bytes, 2 * length, 2, borrow);
      }
      break;
    default:
      break;
  }
  return value;
}

void FreeFieldValueData(int type, FieldValueData* value) {
  if (IsNarrowText(type) || IsWideText(type)) FreeAndNull(&value->text);
}

void FormatPluginFieldValue(int type, const FieldValueData& value, wchar_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return;
  out[0] = 0;
  const bool none = static_cast<int32_t>(value.number) == -1;
  switch (type) {
    case kFieldInteger:
      if (!none) IntToWideDecimal(static_cast<int32_t>(value.number), out, capacity);
      break;
    case kFieldInteger64:
      if (value.number != -1) FormatSigned64(value.number, out, capacity);
      break;
    case kFieldFloating:
      FormatDoubleWide(value.floating, 2, out, capacity);
      break;
    case kFieldDate:
      if (!none) FormatDate(static_cast<uint32_t>(value.number), out, capacity);
      break;
    case kFieldTime:
      if (!none) FormatTime(static_cast<uint32_t>(value.number), out, capacity);
      break;
    case kFieldBoolean:
      GetUiText(value.number != 0 ? kTextYes : kTextNo, out, capacity);
      break;
    case kFieldFileTime:
      FormatFileTime(static_cast<uint64_t>(value.number), out, capacity);
      break;
    default:
      FormatText(type, value.text, out, capacity);
  }
}

int GetPluginFieldNumber(int type, const FieldValueData& value, void* out, int outSize) {
  switch (type) {
    case kFieldInteger:
      return value.number == -1 ? kFieldNoValue : WriteNumber(static_cast<int32_t>(value.number), out, outSize, kFieldNumber32);
    case kFieldDate:
    case kFieldTime:
    case kFieldBoolean:
      return WriteNumber(static_cast<uint32_t>(value.number), out, outSize, kFieldNumber32);
    case kFieldInteger64:
      return value.number == -1 ? kFieldNoValue : WriteNumber(value.number, out, outSize, kFieldNumber64);
    case kFieldFloating:
      return WriteNumber(static_cast<int64_t>(value.floating * 100), out, outSize, kFieldNumber64);
    case kFieldFileTime:
      return WriteNumber(value.number, out, outSize, kFieldNumber64);
    default:
      if (value.text == nullptr || !(IsNarrowText(type) || IsWideText(type)) || outSize < 2) return kFieldNoValue;
      FormatText(type, value.text, static_cast<wchar_t*>(out), outSize / 2);
      return kFieldTextValue;
  }
}

const FieldValueNode* FindFieldValueNode(const FieldValueNode* head, int id) {
  for (const FieldValueNode* node = head; node != nullptr; node = node->next) {
    if (node->id == id) return node;
  }
  return nullptr;
}

bool ReadFieldValueForRow(const RecordBuffer* list, int entry, FieldValueNode** head, const wchar_t* path) {
  const FieldReference* reference = FieldReferenceAt(list, entry + 1);
  if (reference == nullptr) return false;
  uint8_t buffer[kFieldValueBufferBytes] = {};
  const int answer = GetFieldValueForFile(reference->source, path, reference->fieldIndex, reference->unitIndex,
                                          buffer, kFieldValueBytes);
  return answer >= 0 && KeepValue(head, entry, answer, buffer) != nullptr;
}

int LoadMissingFieldValues(const RecordBuffer* list, FieldValueNode** head, const wchar_t* path,
                           const ColumnLayout* layout) {
  FieldValueRow row = {path, head, 0};
  LoadMissingFieldValuesForRows(list, &row, 1, layout);
  return row.read;
}

void LoadMissingFieldValuesForRows(const RecordBuffer* list, FieldValueRow* rows, int count,
                                   const ColumnLayout* layout) {
  for (int r = 0; r < count; ++r) rows[r].read = 0;
  const int columns = CountFieldColumns(layout);
  if (columns == 0 || count <= 0) return;
  RowsPass pass = {};
  const uint32_t most = static_cast<uint32_t>(count * columns);
  pass.wants = static_cast<FieldValueWant*>(AllocZeroed(most * static_cast<uint32_t>(sizeof(FieldValueWant))));
  pass.slots = static_cast<WantSlot*>(AllocZeroed(most * static_cast<uint32_t>(sizeof(WantSlot))));
  pass.buffers = static_cast<uint8_t*>(AllocZeroed(most * static_cast<uint32_t>(kFieldValueBufferBytes)));
  if (pass.wants != nullptr && pass.slots != nullptr && pass.buffers != nullptr) {
    for (int r = 0; r < count; ++r) WantMissingValues(list, rows, r, layout, &pass);
    GetFieldValuesForFiles(pass.wants, pass.count);
    for (int k = 0; k < pass.count; ++k) {
      FieldValueRow& row = rows[pass.slots[k].row];
      const FieldValueWant& want = pass.wants[k];
      if (want.answer >= 0 && KeepValue(row.head, pass.slots[k].entry, want.answer, want.value) != nullptr) ++row.read;
    }
  }
  FreeAndNull(&pass.wants);
  FreeAndNull(&pass.slots);
  FreeAndNull(&pass.buffers);
}

int GetFieldValue(const RecordBuffer* list, int id, FieldValueNode** head, const wchar_t* path, void* out,
                  int outSize) {
  const FieldValueNode* node = id > kMostFieldColumnId ? GetModuleFieldSortNode(id, head, path)
                                                       : GetFieldSortNode(list, (id < 0 ? -id : id) - 1, head, path);
  return node != nullptr ? GetPluginFieldNumber(node->type, node->value, out, outSize) : kFieldNoValue;
}

void FormatFieldValueFromList(int columnId, const FieldValueNode* head, wchar_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return;
  out[0] = 0;
  const FieldValueNode* node = FindFieldValueNode(head, (columnId < 0 ? -columnId : columnId) - 1);
  if (node != nullptr) FormatPluginFieldValue(node->type, node->value, out, capacity);
}

void FreeFieldValueList(FieldValueNode** head) {
  AcquireSRWLockExclusive(&g_listsLock);
  FieldValueNode* nodes = ReadHeadLocked(head);
  WriteHeadLocked(head, nullptr);
  ++g_retirements;
  if (nodes != nullptr && !NobodyReads()) {
    QueueRetiredList(nodes);
    nodes = nullptr;
  }
  RetiredList* freed = TakeRetiredNobodyReads();
  ReleaseSRWLockExclusive(&g_listsLock);
  FreeNodesUntil(nodes, nullptr);
  FreeRetiredLists(freed);
}

FieldValueReadScope::FieldValueReadScope() { InterlockedIncrement(&g_readers); }

FieldValueReadScope::~FieldValueReadScope() {
  if (InterlockedDecrement(&g_readers) != 0) return;
  AcquireSRWLockExclusive(&g_listsLock);
  RetiredList* freed = TakeRetiredNobodyReads();
  ReleaseSRWLockExclusive(&g_listsLock);
  FreeRetiredLists(freed);
}

const FieldValueNode* FetchFieldValueList(FieldValueNode* const* rowHead) {
  AcquireSRWLockShared(&g_listsLock);
  const FieldValueNode* head = ReadHeadLocked(rowHead);
  ReleaseSRWLockShared(&g_listsLock);
  return head;
}

FieldValueExtension BeginFieldValueExtension(FieldValueNode* const* rowHead) {
  AcquireSRWLockShared(&g_listsLock);
  FieldValueNode* head = ReadHeadLocked(rowHead);
  const FieldValueExtension extension = {head, head, g_retirements};
  ReleaseSRWLockShared(&g_listsLock);
  return extension;
}

// The extender is still counted, so the list it began from has not been freed and its address names it alone.
bool EndFieldValueExtension(FieldValueNode** rowHead, const FieldValueExtension& extension) {
  if (extension.list == extension.from) return false;
  AcquireSRWLockExclusive(&g_listsLock);
  const bool unchanged = ReadHeadLocked(rowHead) == extension.from &&
                         (extension.from != nullptr || g_retirements == extension.retirements);
  if (unchanged) WriteHeadLocked(rowHead, extension.list);
  ReleaseSRWLockExclusive(&g_listsLock);
  if (!unchanged) FreeNodesUntil(extension.list, extension.from);
  return unchanged;
}

FieldValueFreeHook SetFieldValueFreeHook(FieldValueFreeHook hook) {
  const FieldValueFreeHook previous = g_freeHook;
  g_freeHook = hook;
  return previous;
}
