// The DOS module (key "DOS"): applies a DOS-style wildcard mask to the whole current name (name part, '.' and
// extension part); the masked name carries its own extension.
#pragma once
#include "engine/module_contract.h"

#pragma pack(push, 1)
struct DosSettings {
  ModuleInstance header;
  wchar_t mask[kApplyPartCapacity];
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(DosSettings) == 8 + 2 * kApplyPartCapacity + 2 * kStepCommentCapacity, "DOS settings layout");

// Its settings dialog.
extern const ModuleDialog kDosDialog;
extern const ModuleDescriptor kDosModule;
