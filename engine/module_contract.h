// The contract every rename module implements: the head of a step's settings record, what the apply operation
// works on, what a dialog receives, and the descriptor of operations a module fills as one constant. A module
// joins the program with one line in the registration list (engine/module_table.cpp); the rest of the
// program reaches it only through the dispatch of engine/module_table.h. The text form every module reads
// and writes is engine/module_text_form.h.
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/module_text_form.h"

// Slots of the descriptor table, one per module; the last slot is spare (engine/module_table.cpp checks the count
// against its registrations).
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
// Capacity of a name part and an extension part joined.
constexpr int kJoinedNameCapacity = 2 * kApplyPartCapacity;

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

// A module's settings dialog as the dialog frame runs it (engine/module_dialog_frame.h).
struct ModuleDialog;

// Answers a module's field enumeration; a non-zero result stops it.
using ModuleFieldCallback = int (*)(const wchar_t* fieldName, const wchar_t* displayName, int fieldIndex,
                                    int fieldType, void* userData);
// Answers the module walk of EnumerateModules; a non-zero result stops it.
using ModuleListCallback = int (*)(const wchar_t* keyName, const wchar_t* title, int moduleIndex, void* userData);

// One module's operations in their fixed order; an absent operation is null. A module defines its descriptor as
// one constant with designated initialisers, naming only the operations it has.
struct ModuleDescriptor {
  // Appends the step's text form after the '<' already in the text; 0, or non-zero when the text was cut.
  int (*serialize)(const ModuleInstance* settings, wchar_t* text, int capacity) = nullptr;
  // A one-line readable summary for the chain list.
  void (*describe)(const ModuleInstance* settings, wchar_t* text, int capacity) = nullptr;
  void (*comment)(const ModuleInstance* settings, wchar_t* text, int capacity) = nullptr;
  void (*title)(wchar_t* text, int capacity) = nullptr;
  // Null text: a record with the module's defaults. Otherwise the record read from the step's text form, or
  // null when the text is refused.
  ModuleInstance* (*createSettings)(const wchar_t* text) = nullptr;
  // Non-zero when the user confirmed; the record to keep is then the one in `param`.
  int (*showDialog)(ModuleDialogParam* param, ModuleInstance* settings, const void* sampleContext,
                    const wchar_t* sampleName) = nullptr;
  // Once before every pass over the listed files.
  void (*prepare)(ModuleInstance* settings) = nullptr;
  // 0 when the name was processed; any other value leaves the name as it was before the step and the next
  // steps go on: the module passed the file over, or the step failed for it (a value it is set to insist on
  // that the file lacks). Only a fault marks the file.
  int (*apply)(ModuleApplyRecord* record) = nullptr;
  void (*freeSettings)(ModuleInstance* settings) = nullptr;
  void (*enumerateFields)(ModuleFieldCallback callback, void* userData) = nullptr;
  // Non-zero when a value was produced.
  int (*fieldValue)(const void* context, int fieldIndex, void* out, int outSize) = nullptr;
  const wchar_t* keyName = nullptr;
};

// The free operation of modules whose settings record is one heap block.
void FreeModuleInstanceMemory(ModuleInstance* settings);
