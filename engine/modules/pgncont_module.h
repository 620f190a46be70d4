// The PgnCont module (key "PgnCont"): builds the name part from the values content plug-ins give for the file,
// through a pattern of literal text and quoted references. A reference names a plug-in and one of its fields,
// "plug-in=field" with an optional '.' and unit after the field; the reference "OFN" stands for the file name
// without extension. The extension part stays.
//
// The plug-in references are resolved when the settings are created or edited: one slot per quoted reference
// that holds '=', in pattern order, also for a reference that did not resolve (its slot stays empty), so that
// every reference of the pattern meets its own slot when a name is built.
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/module_contract.h"
#include "metadata/field_references.h"

#pragma pack(push, 1)
struct PgnContSettings {
  ModuleInstance header;
  uint8_t failFlag;  // 1: a resolved reference without value makes the step fail for the file
  wchar_t pattern[kApplyPartCapacity];
  uint32_t referenceCount;
  FieldReference* references;  // owned; one slot per plug-in reference of the pattern
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(PgnContSettings) == 8 + 1 + 2 * kApplyPartCapacity + 4 + 8 + 2 * kStepCommentCapacity,
              "PgnCont settings layout");

// Its settings dialog.
extern const ModuleDialog kPgnContDialog;
extern const ModuleDescriptor kPgnContModule;

// Resolves the pattern's references into the settings' slots again (after the pattern changed).
void ParsePluginFieldTemplate(PgnContSettings* settings);

// The field menu of the module's dialog: the fields of every configured plug-in, then "OFN". Each item's
// payload is the reference to insert. False, with no menu, when no plug-in offers a field.
struct FieldMenu;
bool BuildPluginFieldMenu(FieldMenu* menu);
// Shows the field menu beside the dialog's button, as the other modules' field menus open, and inserts the
// chosen reference into the pattern edit.
void ShowPluginFieldMenu(HWND dialog, int button, HWND edit);
