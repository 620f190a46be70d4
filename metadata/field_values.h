// Field values: fetching a field's value for a file, keeping the values a file-list row shows in a list of
// nodes owned by the row, and turning a value into text or a sort number.
//
// A value is what a source wrote into a value buffer, typed by the field types of metadata/plugin_interface.h.
// Kept values are 8 bytes: the number itself for the numeric types and booleans, else a heap copy of the text
// (8-bit for types 7 and 8, wide for 11 and 15), or none.
//
// Row values are read on the folder-listing thread when a listing ends, sorted on the thread that sorts and shown
// on the GUI thread. Every reader or extender of a row's list is therefore counted in a FieldValueReadScope, and
// a freed list stays readable until no reader that may hold it is left (FreeFieldValueList). A row's list is only
// ever extended in front, so nodes that another thread may read are never written.
#pragma once
#include <cstdint>

struct ColumnLayout;
struct RecordBuffer;

// Bytes a source may write into a value buffer (an even count, so wide texts end at a character), and the size
// of the buffer, which leaves room for a terminator also when a source takes the size for characters.
constexpr int kFieldValueBytes = 2048;
constexpr int kFieldValueBufferBytes = 2 * kFieldValueBytes + 4;

#pragma pack(push, 1)
union FieldValueData {
  int64_t number;
  double floating;
  void* text;  // 8-bit or wide by the type; null when there is no text
};

struct FieldValueNode {
  int16_t id;    // 0-based entry of the field-reference list, or a module field id (module << 8 | field)
  uint8_t type;  // 0 when the source had no value
  FieldValueData value;
  FieldValueNode* next;
};
#pragma pack(pop)
static_assert(sizeof(FieldValueNode) == 19, "a field value node is 19 packed bytes");

// What GetFieldValue and its relatives report.
enum FieldNumberKind { kFieldNoValue = 0, kFieldNumber32 = 1, kFieldNumber64 = 2, kFieldTextValue = 3 };

// Types shown right-aligned in field menus and compared as numbers: 1-5 and 10.
bool IsNumericFieldType(int type);

// The value of a field for a file into `out` (`outSize` bytes, zeroed by the caller): the value's type, 0
// when the source has none, or -1 (no plug-in at that index, a plug-in that does not serve the file answers
// nothing, a failing source).
int GetFieldValueForFile(int source, const wchar_t* path, int fieldIndex, int unitIndex, void* out, int outSize);

// One value a pass needs: a reference's source, field and unit and the file in; what GetFieldValueForFile
// answers, and the value in `value` (`valueSize` bytes, zeroed by the caller), out.
struct FieldValueWant {
  int source;
  int fieldIndex;
  int unitIndex;
  const wchar_t* path;
  void* value;
  int valueSize;
  int answer;
};
// Every value as GetFieldValueForFile gives it, each plug-in asked for all the values it serves in one
// crossing to its thread (the fields of a file, or of many files).
void GetFieldValuesForFiles(FieldValueWant* wants, int count);

// The kept form of what a source wrote into `buffer` (`bufferSize` bytes may hold the value): numbers by value,
// texts measured within the buffer and copied to the heap (or, when borrowing, the buffer itself); an empty
// text gives none.
FieldValueData CopyPluginFieldValue(int type, const void* buffer, int bufferSize, bool borrow);
// Frees the text copy of a kept value.
void FreeFieldValueData(int type, FieldValueData* value);
// The text form of a kept value.
void FormatPluginFieldValue(int type, const FieldValueData& value, wchar_t* out, int capacity);
// The sort form: a 32-bit or 64-bit number written into `out`, or the text (wide) into `out`; the kind.
int GetPluginFieldNumber(int type, const FieldValueData& value, void* out, int outSize);

// The row's node for an id; null when it has none.
const FieldValueNode* FindFieldValueNode(const FieldValueNode* head, int id);
// Reads the value of entry n (0-based) of the list for the file and appends a node for it (also for a value
// the source did not have); false when nothing was read.
bool ReadFieldValueForRow(const RecordBuffer* list, int entry, FieldValueNode** head, const wchar_t* path);
// Reads the values of every field column of the layout that the row lacks: the number read.
int LoadMissingFieldValues(const RecordBuffer* list, FieldValueNode** head, const wchar_t* path,
                           const ColumnLayout* layout);
// One row of a pass over many rows: its file and its kept values in, the number of values read out.
struct FieldValueRow {
  const wchar_t* path;
  FieldValueNode** head;
  int read;
};
// LoadMissingFieldValues for each row, the values of all of them fetched together (GetFieldValuesForFiles).
void LoadMissingFieldValuesForRows(const RecordBuffer* list, FieldValueRow* rows, int count,
                                   const ColumnLayout* layout);
// The sort value of column id `id`: field columns (ids up to 2550, negative) from the list's entry |id|, module
// field ids (module << 8 | field) straight from the module; read on demand and kept in the row's list.
int GetFieldValue(const RecordBuffer* list, int id, FieldValueNode** head, const wchar_t* path, void* out,
                  int outSize);
// The text of field column `columnId` from the row's kept values; empty when there is none.
void FormatFieldValueFromList(int columnId, const FieldValueNode* head, wchar_t* out, int capacity);
// Detaches the row's list (the head becomes null) and retires it. Retired lists are freed by the first retirement
// or end of a read scope that finds no reader counted: a reader counted later cannot have fetched them, since
// the head left the row first.
void FreeFieldValueList(FieldValueNode** head);

// Counts a reader or extender of row lists from before it fetches a row's head until it uses no node any more.
class FieldValueReadScope {
 public:
  FieldValueReadScope();
  ~FieldValueReadScope();
  FieldValueReadScope(const FieldValueReadScope&) = delete;
  FieldValueReadScope& operator=(const FieldValueReadScope&) = delete;
};

// The row's list as it stands; read it only within a read scope.
const FieldValueNode* FetchFieldValueList(FieldValueNode* const* rowHead);

// A row's list being extended within a read scope: `list` begins as the row's list (`from`) and the new nodes go
// in front of it; `retirements` tells whether any list was retired meanwhile.
struct FieldValueExtension {
  FieldValueNode* from;
  FieldValueNode* list;
  uint32_t retirements;
};
FieldValueExtension BeginFieldValueExtension(FieldValueNode* const* rowHead);
// Hands the extended list to the row if the row still holds the list the extension began from (for a row that
// had none: if no list was retired since); else the new nodes are freed, so that a retired list never comes
// back. True when the row took it.
bool EndFieldValueExtension(FieldValueNode** rowHead, const FieldValueExtension& extension);

// Called for each node right before it is freed (null: nothing), so that a test can tell when nodes go. Returns
// the previous one.
using FieldValueFreeHook = void (*)(const FieldValueNode* node);
FieldValueFreeHook SetFieldValueFreeHook(FieldValueFreeHook hook);
