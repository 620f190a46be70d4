// References to fields: a named value of a file offered by a rename module (metadata/module_field_source.h)
// or by a content plug-in (metadata/plugin_host.h). A reference is written as a source name and a field text,
// the field's name optionally followed by '.' and a unit ("Size.KB"); resolved, it holds the numbers through
// which the value is fetched.
//
// The field references of the file list's field columns form one list for the whole process: the column with
// id -n shows the field of entry n. Only the GUI thread adds entries; a listing's worker reads them for its field
// values and its sort, so the list is a job-read table (foundation/core/job_read_table.h): its block does not
// move while a job runs.
#pragma once
#include <cstdint>

struct RecordBuffer;

constexpr int kFieldDisplayNameCapacity = 41;
constexpr int kFieldNameCapacity = 81;
constexpr int kFieldUnitCapacity = 41;
// Longest source name of a written reference.
constexpr int kFieldSourceNameCapacity = 1024;

#pragma pack(push, 1)
struct FieldReference {
  // Plug-in fields: the plug-in's index in the loaded list. Module fields: module index x 256.
  int16_t source;
  // Plug-in fields: the plug-in's 0-based field index. Module fields: module index x 256 + field number.
  int16_t fieldIndex;
  uint8_t type;
  uint8_t unitIndex;  // position of the unit in the plug-in's unit list; 0 when none
  wchar_t displayName[kFieldDisplayNameCapacity];
  wchar_t fieldName[kFieldNameCapacity];
  wchar_t unitName[kFieldUnitCapacity];
};
#pragma pack(pop)
static_assert(sizeof(FieldReference) == 332, "a field reference is 332 bytes");

// The list of the field columns, a heap RecordBuffer of FieldReference records; null before start-up has built
// it and after exit has destroyed it.
extern RecordBuffer* g_columnFieldList;

// Builds the empty list (grown on the GUI thread) and lets UI texts name field columns; false without memory.
bool CreateFieldReferenceList();
// Frees the list's records and the list itself.
void DestroyFieldReferenceList();

// Resolves a source name and field text into `reference`: module fields first (the module whose key name
// equals the source exactly, the field whose name equals the text exactly), then the content plug-in of that
// name (loaded when needed) with the field and unit. Positive when found, 0 when not.
int ResolveFieldReference(const wchar_t* sourceName, const wchar_t* fieldText, FieldReference* reference);

// The 1-based position of the entry for these texts in `list`, appended when missing; 0 when the field does not
// resolve or a new entry finds no room while a job runs. An empty display name becomes the field name. GUI
// thread only.
int AddPluginFieldEntry(RecordBuffer* list, const wchar_t* displayName, const wchar_t* sourceName,
                        const wchar_t* fieldText);
// The 0-based position of an equal entry; -1 when there is none.
int FindFieldReference(const RecordBuffer* list, const FieldReference* reference);
// Entry n (1-based) of a list; null outside it.
const FieldReference* FieldReferenceAt(const RecordBuffer* list, int n);

// The display name of the field column `columnId` (entry |id|); empty when there is none.
void GetPluginFieldName(const RecordBuffer* list, int columnId, wchar_t* out, int capacity);
// The name of a reference's source: a module's key name, or the loaded plug-in's name (empty when absent).
void GetFieldSourceName(int source, wchar_t* out, int capacity);
// The written form of field column `columnId`: '[', the display name when it differs from the field name, '=',
// the source name, '=', the field name, '.' and the unit when there is one, ']'. Empty outside the list.
void FormatCustomColumnSpec(const RecordBuffer* list, int columnId, wchar_t* out, int capacity);
