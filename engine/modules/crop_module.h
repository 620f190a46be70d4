// The Crop module (key "Crop"): removes a run of characters of the name part or the extension part, at a
// position counted from the left or from the right.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

#pragma pack(push, 1)
struct CropSettings {
  ModuleInstance header;
  // 'n' the name part, 'e' the extension part.
  uint16_t part;
  // 'l' the position counts from the left, 'r' from the right.
  uint16_t side;
  // 0 to 249.
  uint32_t position;
  // Characters to remove, 1 to 250.
  uint32_t count;
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(CropSettings) == 8 + 2 + 2 + 4 + 4 + 2 * kStepCommentCapacity, "Crop settings layout");

// Its settings dialog.
extern const ModuleDialog kCropDialog;
extern const ModuleDescriptor kCropModule;
