// The dispatch of the rename modules. Every module fills one ModuleDescriptor (engine/module_contract.h); the
// rest of the program reaches a module only through the functions below, which pick the descriptor by the
// module index stored in each settings record, skip operations the module lacks, and run every call inside the
// guard so that a failing module gives a fixed result instead of leaving the call.
#pragma once
#include "engine/module_contract.h"

// The descriptor table: zero at load, filled by InitModuleDescriptors.
extern ModuleDescriptor g_moduleDescriptors[kModuleSlotCount];

// Fills the descriptor table from the registration list. Called once while the main window is created.
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

// What became of a name under one step. Whatever the result, a name that is not kStepApplied is left exactly
// as it was; the last two results mean the name must not be used, since the step could not do its part.
enum StepResult : int {
  kStepApplied = 0,       // the name is as the step says
  kStepLeftAlone = 1,     // the module passed the file over or failed for it (its own non-zero result): the
                          // next steps go on
  kStepFailed = 3,        // the module threw or faulted, or a guard inside it caught a fault
  kStepNameTooLong = 4,   // the new name does not fit the capacity
};

// Applies one step to a file name: the module sees the name part and the extension part (split at the last
// dot) and the name is rejoined from them. A StepResult.
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
