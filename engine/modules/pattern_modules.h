// The metadata modules Audio, EXIF, eMail and Image: one family with one settings record, one text form, one
// description and one frame for apply, differing in their field table, the reader they read a file with and
// how a field becomes text (metadata/name_patterns.h builds the name). Each offers its fields to the columns
// and field menus: enumeration lists the rows of its table that have a type, and a field's value for a file
// comes typed (metadata/field_types.h) as the columns store it.
//
// Field numbers count a table's rows from 1; enumeration reports them and field values take them.
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/module_contract.h"
#include "engine/module_dialog_frame.h"
#include "foundation/text/bounded_text.h"
#include "metadata/name_patterns.h"

#pragma pack(push, 1)
struct PatternSettings {
  ModuleInstance header;  // flags: the apply needs the full path
  // Non-zero: a referenced field without value makes the step fail for the file.
  uint8_t failOnEmpty;
  // Literal text and quoted field references; it cannot hold ';' or '>', which end it in the text form.
  wchar_t pattern[kApplyPartCapacity];
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(PatternSettings) == 8 + 1 + 2 * kApplyPartCapacity + 2 * kStepCommentCapacity,
              "pattern module settings layout");

// What tells the four apart in their shared operations.
struct PatternModuleForm {
  const wchar_t* key;
  int titleId;
};

// The text form after '<': the key, ',' the fail flag in decimal, ',' the pattern as it stands, the comment
// part and '>'.
ModuleInstance* CreatePatternSettings(const wchar_t* text);
int SerializePatternSettings(const PatternModuleForm& form, const ModuleInstance* settings, wchar_t* text,
                             int capacity);
// The title, then ", " and the pattern when there is one.
void DescribePatternSettings(const PatternModuleForm& form, const ModuleInstance* settings, wchar_t* text,
                             int capacity);
void GetPatternModuleComment(const ModuleInstance* settings, wchar_t* text, int capacity);
void GetPatternModuleTitleText(const PatternModuleForm& form, wchar_t* text, int capacity);

template <const PatternModuleForm& form>
int SerializePatternModule(const ModuleInstance* settings, wchar_t* text, int capacity) {
  return SerializePatternSettings(form, settings, text, capacity);
}

template <const PatternModuleForm& form>
void DescribePatternModule(const ModuleInstance* settings, wchar_t* text, int capacity) {
  DescribePatternSettings(form, settings, text, capacity);
}

template <const PatternModuleForm& form>
void GetPatternModuleTitle(wchar_t* text, int capacity) {
  GetPatternModuleTitleText(form, text, capacity);
}

// Failures of the four: with the fail flag set, a field without value for the file makes the step fail for it
// (kPatternStepFailed): its name stays as the earlier steps made it and the next steps go on; nothing marks it.
// Without the flag a field without value is left out, so a file none of whose fields has a value gets the
// pattern's literal text. A file the reader cannot take fails the step with the reader's error
// (ERROR_BAD_FORMAT when it is not of the reader's kind), whatever the flag; EXIF leaves such a file's name
// unchanged (0) unless the flag is set.

// Builds the new name part of a file from its metadata: 0 when done (also when nothing was to be done), a
// failure code otherwise.
using PatternExpander = int (*)(const wchar_t* path, const PatternSettings* settings, wchar_t* name);

// The apply frame of the four: an empty pattern or no path leaves the name as it is; otherwise the expander's
// result.
int ApplyPatternModule(ModuleApplyRecord* record, PatternExpander expand);

template <PatternExpander expand>
int ApplyPatternModuleWith(ModuleApplyRecord* record) {
  return ApplyPatternModule(record, expand);
}

// The apply result of a step that fails for a file: a field without value with the fail flag set.
constexpr int kPatternStepFailed = -1;

// A reader's non-zero result as an apply result: the reader's error, ERROR_BAD_FORMAT for a negative one (not
// of the reader's kind).
int ReaderFailure(int result);

// Expands the pattern of `settings` into the name part with the module's field reader: an apply result by
// PatternApplyResult.
int ExpandPatternSettings(const PatternSettings* settings, NameFieldReader read, void* context, wchar_t* name);

// An expansion's result as an apply result: kPatternStepFailed when a field had no value and the fail flag is
// set; else 0.
int PatternApplyResult(int expanded);

// A field table of a module whose rows are numbered by their kind; ended by an all-zero row.
struct ModuleFieldRow {
  uint8_t kind;
  uint16_t textId;  // the display name's UI text; 0 for none
  const wchar_t* name;
  uint32_t type;  // FieldType; 0 keeps the row out of the field lists
};

// The row a reference names (compared ignoring case), or null.
template <typename Row>
const Row* FindFieldRow(const Row* table, const wchar_t* name) {
  for (const Row* row = table; row->name != nullptr; ++row) {
    if (EqualsIgnoreCaseWide(row->name, name)) return row;
  }
  return nullptr;
}

// The row of a field number, or null.
template <typename Row>
const Row* FieldRowAt(const Row* table, int fieldNumber) {
  for (int number = 1; table->name != nullptr; ++table, ++number) {
    if (number == fieldNumber) return table;
  }
  return nullptr;
}

// The display name of a field: its UI text (at most 63 characters), or its name when it has none.
void GetFieldDisplayName(int textId, const wchar_t* name, wchar_t* text, int capacity);

// Lists the rows that have a type, in table order, until the callback answers non-zero.
template <typename Row>
void EnumerateFieldRows(const Row* table, ModuleFieldCallback callback, void* userData) {
  constexpr int kDisplayCapacity = 64;
  for (int number = 1; table->name != nullptr; ++table, ++number) {
    if (table->type == 0) continue;
    wchar_t display[kDisplayCapacity];
    GetFieldDisplayName(table->textId, table->name, display, kDisplayCapacity);
    if (callback(table->name, display, number, static_cast<int>(table->type), userData) != 0) return;
  }
}

// The enumeration operation of a module with that field table.
template <typename Row, const Row* table>
void EnumerateTableFields(ModuleFieldCallback callback, void* userData) {
  EnumerateFieldRows(table, callback, userData);
}

// A field value operation: the value of field `fieldNumber` of the file whose path is `context`.
using FieldValueReader = int (*)(const void* context, int fieldNumber, void* out, int outSize);

// The settings dialogs of the four: the pattern, the menu of the module's fields beside it, and the fail flag.
extern const ModuleDialog kAudioDialog;
extern const ModuleDialog kExifDialog;
extern const ModuleDialog kEMailDialog;
extern const ModuleDialog kImageDialog;

// The field menu of those dialogs: the module's fields by name, with their field numbers as ids, then after a
// separator "OFN" (labelled with UI text 13257) with the number after the last field. The date and time fields
// of EXIF and eMail open a submenu of the Date or Time module's pictures instead; a picture's id is the field
// number x 256 + the picture's number from 1.
constexpr int kMostPatternFields = 48;
constexpr int kPatternFieldNameCapacity = 64;
struct PatternFieldMenu {
  HMENU menu;
  uint32_t module;
  int fieldCount;
  wchar_t names[kMostPatternFields][kPatternFieldNameCapacity];  // by field number - 1
};
bool BuildPatternFieldMenu(uint32_t module, PatternFieldMenu* out);
// The reference (without quotes) that item `id` inserts: the field's name, for a picture with ',' and the
// picture. False for an id of no item.
bool GetPatternFieldReference(const PatternFieldMenu& menu, int id, wchar_t* out, int capacity);
void FreePatternFieldMenu(PatternFieldMenu* menu);

// The descriptor of a module of the family: the shared operations, and its expander, table, field values and
// dialog.
template <const PatternModuleForm& form, PatternExpander expand, typename Row, const Row* table,
          FieldValueReader fieldValue, const ModuleDialog& dialog>
constexpr ModuleDescriptor PatternModuleDescriptor() {
  return {
      .serialize = SerializePatternModule<form>,
      .describe = DescribePatternModule<form>,
      .comment = GetPatternModuleComment,
      .title = GetPatternModuleTitle<form>,
      .createSettings = CreatePatternSettings,
      .showDialog = ShowModuleDialogOf<dialog>,
      .apply = ApplyPatternModuleWith<expand>,
      .freeSettings = FreeModuleInstanceMemory,
      .enumerateFields = EnumerateTableFields<Row, table>,
      .fieldValue = fieldValue,
      .keyName = form.key,
  };
}

// Field values for the columns: each gives the type when `out` (of `outSize` bytes) holds the value, else 0.
// A text is copied within outSize / 2 characters (an empty text is a value too); a number of 0 is none, except
// for a yes/no value.
int PutFieldText(const wchar_t* text, uint32_t type, void* out, int outSize);
// A 32-bit number of the type given (an integer, a packed date or time).
int PutFieldInteger(int32_t value, uint32_t type, void* out, int outSize);
int PutFieldDecimal(double value, void* out, int outSize);
int PutFieldYesNo(bool value, void* out, int outSize);
// A date and time in UTC; none for an unset time.
int PutFieldFileTime(const FILETIME& value, void* out, int outSize);
