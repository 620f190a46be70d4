// The rename modules and their dispatch. Every module fills one ModuleDescriptor at start; the rest of the
// program reaches a module only through the functions below, which pick the descriptor by the module index
// stored in each settings record, skip operations the module lacks, and run every call inside the guard so
// that a failing module gives a fixed result instead of leaving the call.
#pragma once
#include <windows.h>

#include <cstdint>

// Slots of the descriptor table, one per module; the last slot is spare.
constexpr int kModuleSlotCount = 22;

enum ModuleIndex : uint32_t {
  kModuleCase = 0,
  kModuleExt = 1,
  kModuleEnum = 2,
  kModuleSbst = 3,
  kModuleRegEx = 4,
  kModuleIns = 5,
  kModuleCrop = 6,
  kModuleCut = 7,
  kModuleCopy = 8,
  kModuleFaC = 9,
  kModuleDate = 10,
  kModuleTime = 11,
  kModuleAudio = 12,
  kModuleImage = 13,
  kModuleExif = 14,
  kModuleEMail = 15,
  kModulePgnCont = 16,
  kModuleCsv = 17,
  kModuleText = 18,
  kModuleDos = 19,
  kModuleDir = 20,
};

// Flags of a settings record: what the apply operation needs as its context.
constexpr int32_t kApplyNeedsPath = 1;
constexpr int32_t kApplyNeedsFileInfo = 2;

// Capacity of a step's comment, terminator included.
constexpr int kStepCommentCapacity = 256;
// Capacity of the name part and of the extension part of an apply record.
constexpr int kApplyPartCapacity = 1024;

#pragma pack(push, 1)
// The head of every step's settings record; each module appends its own settings.
struct ModuleInstance {
  uint32_t moduleIndex;
  int32_t flags;
};
#pragma pack(pop)
static_assert(sizeof(ModuleInstance) == 8, "a settings record begins with the module index and the flags");

// What an apply operation works on, built afresh for every call.
struct ModuleApplyRecord {
  ModuleInstance* settings;
  // The full path text (flags kApplyNeedsPath), the file's FileInfo (kApplyNeedsFileInfo), or null.
  const void* context;
  wchar_t name[kApplyPartCapacity];
  // Without the dot; an emptied extension leaves no dot in the new name.
  wchar_t extension[kApplyPartCapacity];
};

// What a module's dialog receives. The dialog may put another settings record here; the caller keeps that one.
struct ModuleDialogParam {
  HINSTANCE instance;
  HWND owner;
  ModuleInstance* settings;
  const void* sampleContext;
  // The focused file's name as the chain before this step leaves it.
  const wchar_t* sampleName;
};

// Answers a module's field enumeration; a non-zero result stops it.
using ModuleFieldCallback = int (*)(const wchar_t* fieldName, const wchar_t* displayName, int fieldIndex,
                                    int fieldType, void* userData);
// Answers the module walk of EnumerateModules; a non-zero result stops it.
using ModuleListCallback = int (*)(const wchar_t* keyName, const wchar_t* title, int moduleIndex, void* userData);

// One module's operations in their fixed order; an absent operation is null.
struct ModuleDescriptor {
  // Appends the step's text form after the '<' already in the text; 0, or non-zero when the text was cut.
  int (*serialize)(const ModuleInstance* settings, wchar_t* text, int capacity);
  // A one-line readable summary for the chain list.
  void (*describe)(const ModuleInstance* settings, wchar_t* text, int capacity);
  void (*comment)(const ModuleInstance* settings, wchar_t* text, int capacity);
  void (*title)(wchar_t* text, int capacity);
  // Null text: a record with the module's defaults. Otherwise the record read from the step's text form, or
  // null when the text is refused.
  ModuleInstance* (*createSettings)(const wchar_t* text);
  // Non-zero when the user confirmed; the record to keep is then the one in `param`.
  int (*showDialog)(ModuleDialogParam* param, ModuleInstance* settings, const void* sampleContext,
                    const wchar_t* sampleName);
  // Once before every pass over the listed files.
  void (*prepare)(ModuleInstance* settings);
  // 0 when the name was processed; any other value leaves the name as it was before the step.
  int (*apply)(ModuleApplyRecord* record);
  void (*freeSettings)(ModuleInstance* settings);
  void (*enumerateFields)(ModuleFieldCallback callback, void* userData);
  // Non-zero when a value was produced.
  int (*fieldValue)(const void* context, int fieldIndex, void* out, int outSize);
  const wchar_t* keyName;
};

// The descriptor table: zero at load, filled by InitModuleDescriptors.
extern ModuleDescriptor g_moduleDescriptors[kModuleSlotCount];

// Fills the descriptor of every module from its initialiser, in index order; a failing initialiser stops the
// filling. Called once while the main window is created.
void InitModuleDescriptors();

// A new step of module `index` with its defaults; null for an index outside the table or a module that cannot
// create one.
ModuleInstance* CreateDefaultModule(uint32_t index);

// A new step read from its text form ('<', key, values, comment part, '>'); null when no module takes it.
// The key is matched ignoring case.
ModuleInstance* CreateModuleFromText(const wchar_t* text);

// Lets the user edit a step in its module's dialog. The settings record to keep, or null when the module has
// no dialog, the user cancelled or the dialog failed.
ModuleInstance* EditModuleInstance(HWND owner, ModuleInstance* settings, const void* sampleContext,
                                   const wchar_t* sampleName);

// Releases a step through its module's free operation.
void FreeModuleInstance(ModuleInstance* settings);

// The step's text form, '<' included. 0 when the whole form was written; 122 when it did not fit the capacity,
// 50 when the module has no text form and 1627 when the module failed (the text then holds what was written
// before, at least an empty text).
int SerializeModuleInstance(const ModuleInstance* settings, wchar_t* text, int capacity);

// The chain list's summary and the step's comment; an empty text when the module has none or fails.
void DescribeModuleInstance(const ModuleInstance* settings, wchar_t* text, int capacity);
void GetModuleInstanceComment(const ModuleInstance* settings, wchar_t* text, int capacity);

// Lets a step get ready for a pass over the listed files.
void PrepareModuleInstance(ModuleInstance* settings);

// Applies one step to a file name: the module sees the name part and the extension part (split at the last
// dot) and the name is rejoined from them. 0 when the name was changed as the step says. Otherwise the name is
// left exactly as it was: the module's own non-zero result, or minus the new name's length when it does not
// fit the capacity. A module that fails gives 0 with the name unchanged.
int ApplyModuleToFileName(ModuleInstance* settings, const void* context, wchar_t* name, int capacity);

int32_t GetModuleInstanceFlags(const ModuleInstance* settings);

// Calls back with the key name and title of every module in index order. The number of modules listed, or
// the first non-zero callback result.
int EnumerateModules(ModuleListCallback callback, void* userData);

// The three field functions below run the module unguarded: their callers (columns and field menus) hold the
// guard themselves, so that they can tell a failing module from one without a value.

// Lets module `index` list its fields: 1 when it has fields to list, else 0.
int EnumerateModuleFields(uint32_t index, ModuleFieldCallback callback, void* userData);

// Appends the key name of module `index` to the text: 1, or 0 for an index outside the table.
int CopyModuleKeyName(uint32_t index, wchar_t* text, int capacity);

// A field value of module `index` for a file. 0 for an index outside the table, a module without field values
// or an out size below 8; otherwise the first 8 bytes of `out` are cleared and the module's result returned.
int GetModuleFieldValue(uint32_t index, const void* context, int fieldIndex, void* out, int outSize);

// The free operation of modules whose settings record is one heap block.
void FreeModuleInstanceMemory(ModuleInstance* settings);
