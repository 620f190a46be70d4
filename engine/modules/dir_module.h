// The Dir module (key "Dir"): inserts the name of the folder that holds the file into the name part or the
// extension part, at a position counted from the left or from the right. Apply needs the file's full path.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

#pragma pack(push, 1)
struct DirSettings {
  ModuleInstance header;
  // 'l' the position counts from the left, 'r' from the right.
  wchar_t side;
  // 'n' the name part, 'e' the extension part.
  wchar_t part;
  // 0 to 249.
  uint32_t position;
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(DirSettings) == 8 + 2 + 2 + 4 + 2 * kStepCommentCapacity, "Dir settings layout");

// Its settings dialog.
extern const ModuleDialog kDirDialog;
extern const ModuleDescriptor kDirModule;
