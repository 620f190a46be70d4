#include "metadata/field_references.h"

#include <cstring>
#include <cwchar>

#include "foundation/core/job_read_table.h"
#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "metadata/module_field_source.h"
#include "metadata/plugin_host.h"

RecordBuffer* g_columnFieldList = nullptr;

namespace {

struct ModuleFieldSearch {
  const wchar_t* fieldText;
  uint32_t module;
  FieldReference* reference;
  bool found;
};

int TakeMatchingModuleField(const wchar_t* fieldName, const wchar_t*, int fieldNumber, int fieldType, void* userData) {
  ModuleFieldSearch* search = static_cast<ModuleFieldSearch*>(userData);
  if (fieldName == nullptr || wcscmp(fieldName, search->fieldText) != 0) return 0;
  FieldReference* reference = search->reference;
  reference->source = static_cast<int16_t>(search->module * 256);
  reference->fieldIndex = static_cast<int16_t>(search->module * 256 + (fieldNumber & 0xFF));
  reference->type = static_cast<uint8_t>(fieldType);
  CopyWideString(fieldName, reference->fieldName, kFieldNameCapacity);
  search->found = true;
  return 1;
}

bool ResolveModuleField(const wchar_t* sourceName, const wchar_t* fieldText, FieldReference* reference) {
  wchar_t key[kModuleKeyCapacity];
  ModuleFieldSearch search{fieldText, 0, reference, false};
  for (uint32_t module = 0; GetModuleKeyName(module, key, kModuleKeyCapacity); ++module) {
    if (wcscmp(key, sourceName) != 0) continue;
    search.module = module;
    EnumerateModuleFieldsGuarded(module, TakeMatchingModuleField, &search);
    if (search.found) return true;
  }
  return false;
}

// The 0-based position of `unit` among the '|'-separated units, comparing whole items ignoring case; 0 when
// it is not there.
int UnitPosition(const wchar_t* units, const wchar_t* unit) {
  int position = 0;
  for (const wchar_t* item = units; *item != 0; ++position) {
    const wchar_t* end = wcschr(item, L'|');
    const int length = end != nullptr ? static_cast<int>(end - item) : static_cast<int>(WideLength(item));
    if (static_cast<int>(WideLength(unit)) == length && EqualsIgnoreCaseWide(item, unit, length)) return position;
    if (end == nullptr) break;
    item = end + 1;
  }
  return 0;
}

int ResolvePluginField(const wchar_t* sourceName, const wchar_t* fieldText, FieldReference* reference) {
  int index = 0;
  const PluginRecord* record = FindOrLoadPlugin(sourceName, &index);
  if (record == nullptr) return 0;
  PluginFieldQuery query = {};
  const wchar_t* dot = wcschr(fieldText, L'.');
  const int nameLength = dot != nullptr ? static_cast<int>(dot - fieldText) : static_cast<int>(WideLength(fieldText));
  CopyWideBounded(fieldText, query.fieldName, nameLength + 1 < kFieldNameCapacity ? nameLength + 1 : kFieldNameCapacity);
  const INT_PTR answer = QueryPluginField(record, &query);
  if (answer <= 0) return 0;
  reference->source = static_cast<int16_t>(index);
  reference->fieldIndex = static_cast<int16_t>(query.fieldIndex);
  reference->type = static_cast<uint8_t>(query.fieldType);
  CopyWideString(query.fieldName, reference->fieldName, kFieldNameCapacity);
  CopyWideString(dot != nullptr ? dot + 1 : L"", reference->unitName, kFieldUnitCapacity);
  if (reference->unitName[0] != 0) reference->unitIndex = static_cast<uint8_t>(UnitPosition(query.units, reference->unitName));
  return static_cast<int>(answer);
}

bool SameReference(const FieldReference& a, const FieldReference& b) {
  return a.source == b.source && a.fieldIndex == b.fieldIndex && a.type == b.type && a.unitIndex == b.unitIndex &&
         wcscmp(a.displayName, b.displayName) == 0 && wcscmp(a.fieldName, b.fieldName) == 0 &&
         wcscmp(a.unitName, b.unitName) == 0;
}

void ColumnFieldDisplayName(int number, wchar_t* buffer, int capacity) {
  GetPluginFieldName(g_columnFieldList, -number, buffer, capacity);
}

}  // namespace

bool CreateFieldReferenceList() {
  if (!g_columnFieldList) {
    g_columnFieldList = static_cast<RecordBuffer*>(AllocZeroed(sizeof(RecordBuffer)));
    if (g_columnFieldList) RecordBufferInit(g_columnFieldList, false);
  }
  SetFieldDisplayNameSource(ColumnFieldDisplayName);
  return g_columnFieldList != nullptr;
}

void DestroyFieldReferenceList() {
  SetFieldDisplayNameSource(nullptr);
  if (!g_columnFieldList) return;
  RecordBufferDestroy(g_columnFieldList);
  FreeAndNull(&g_columnFieldList);
}

int ResolveFieldReference(const wchar_t* sourceName, const wchar_t* fieldText, FieldReference* reference) {
  *reference = FieldReference{};
  if (sourceName == nullptr || fieldText == nullptr) return 0;
  if (ResolveModuleField(sourceName, fieldText, reference)) return reference->fieldIndex;
  *reference = FieldReference{};
  return sourceName[0] != 0 ? ResolvePluginField(sourceName, fieldText, reference) : 0;
}

int AddPluginFieldEntry(RecordBuffer* list, const wchar_t* displayName, const wchar_t* sourceName,
                        const wchar_t* fieldText) {
  FieldReference reference;
  if (list == nullptr || ResolveFieldReference(sourceName, fieldText, &reference) <= 0) return 0;
  const bool named = displayName != nullptr && displayName[0] != 0;
  CopyWideString(named ? displayName : reference.fieldName, reference.displayName, kFieldDisplayNameCapacity);
  const int found = FindFieldReference(list, &reference);
  if (found >= 0) return found + 1;
  if (AppendToJobReadTable(list, &reference, sizeof reference) != 0) return 0;
  return static_cast<int>(RecordBufferCount(list));
}

int FindFieldReference(const RecordBuffer* list, const FieldReference* reference) {
  const int count = list != nullptr ? static_cast<int>(RecordBufferCount(list)) : 0;
  for (int i = 0; i < count; ++i) {
    if (SameReference(*FieldReferenceAt(list, i + 1), *reference)) return i;
  }
  return -1;
}

const FieldReference* FieldReferenceAt(const RecordBuffer* list, int n) {
  if (list == nullptr || n < 1 || static_cast<uint32_t>(n) > RecordBufferCount(list)) return nullptr;
  return reinterpret_cast<const FieldReference*>(RecordBufferData(list)) + (n - 1);
}

void GetPluginFieldName(const RecordBuffer* list, int columnId, wchar_t* out, int capacity) {
  const FieldReference* reference = FieldReferenceAt(list, columnId < 0 ? -columnId : columnId);
  CopyWideString(reference != nullptr ? reference->displayName : L"", out, capacity);
}

void GetFieldSourceName(int source, wchar_t* out, int capacity) {
  if (capacity <= 0) return;
  out[0] = 0;
  if (IsModuleSource(source)) {
    GetModuleKeyName(static_cast<uint32_t>(source) >> 8, out, capacity);
    return;
  }
  if (const PluginRecord* record = PluginAt(source)) CopyWideString(record->name, out, capacity);
}

void FormatCustomColumnSpec(const RecordBuffer* list, int columnId, wchar_t* out, int capacity) {
  if (capacity <= 0) return;
  out[0] = 0;
  const FieldReference* reference = FieldReferenceAt(list, columnId < 0 ? -columnId : columnId);
  if (reference == nullptr) return;
  wchar_t source[kFieldSourceNameCapacity];
  GetFieldSourceName(reference->source, source, kFieldSourceNameCapacity);
  AppendWideBounded(L"[", out, capacity);
  if (wcscmp(reference->displayName, reference->fieldName) != 0) AppendWideBounded(reference->displayName, out, capacity);
  const wchar_t* pieces[] = {L"=", source, L"=", reference->fieldName};
  for (const wchar_t* piece : pieces) AppendWideBounded(piece, out, capacity);
  if (reference->unitName[0] != 0) {
    AppendWideBounded(L".", out, capacity);
    AppendWideBounded(reference->unitName, out, capacity);
  }
  AppendWideBounded(L"]", out, capacity);
}
