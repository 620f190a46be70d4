// The Sbst module (key "Sbst"): replaces a text in the name part or the extension part by another, once or
// at every occurrence, with or without regard to case. A replacement is never searched again.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

#pragma pack(push, 1)
struct SbstSettings {
  ModuleInstance header;
  // 'n' the name part, 'e' the extension part.
  uint16_t part;
  // 'c' when case matters, else 0.
  uint8_t matchCase;
  // 'a' to replace every occurrence, else 0 (only the first).
  uint8_t everyOccurrence;
  wchar_t search[kApplyPartCapacity];
  wchar_t replacement[kApplyPartCapacity];
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(SbstSettings) == 8 + 2 + 1 + 1 + 4 * kApplyPartCapacity + 2 * kStepCommentCapacity,
              "Sbst settings layout");

// Its settings dialog.
extern const ModuleDialog kSbstDialog;
extern const ModuleDescriptor kSbstModule;
