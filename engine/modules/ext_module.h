// The Ext module (key "Ext"): replaces the extension; an empty setting removes it together with its dot.
#pragma once
#include "engine/module_contract.h"

#pragma pack(push, 1)
struct ExtSettings {
  ModuleInstance header;
  // Without the dot, taken as it stands: a leading dot gives two dots.
  wchar_t extension[kApplyPartCapacity];
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(ExtSettings) == 8 + 2 * kApplyPartCapacity + 2 * kStepCommentCapacity, "Ext settings layout");

// The comment operation of every module whose settings are one text of 1024 characters and a comment.
void GetExtDosComment(const ModuleInstance* settings, wchar_t* text, int capacity);

// Its settings dialog.
extern const ModuleDialog kExtDialog;
extern const ModuleDescriptor kExtModule;
