// The Text module (key "Text"): new names from a text file of one name per line, handed out in order, one per
// file of a pass; blank lines between names are skipped. The file is read again at the start of every pass.
#pragma once
#include "engine/module_contract.h"
#include "engine/modules/name_lists.h"

#pragma pack(push, 1)
struct TextListSettings {
  ListStepHead list;
  EntryBlock lines;
};
#pragma pack(pop)
static_assert(sizeof(TextListSettings) == sizeof(ListStepHead) + 16, "Text settings layout");

// Its settings dialog.
extern const ModuleDialog kTextListDialog;
extern const ModuleDescriptor kTextListModule;
