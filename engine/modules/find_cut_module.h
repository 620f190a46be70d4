// The FaC module (key "FaC", find and cut): finds the first occurrence of a text in the name part or in the
// extension part and keeps only what lies before it, or, with the side option 'b', what lies after it.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

#pragma pack(push, 1)
struct FindCutSettings {
  ModuleInstance header;
  wchar_t part;      // 'n' the name part, 'e' the extension part
  uint8_t caseFlag;  // 'c' when case matters, else 0
  uint8_t side;      // 'b' keeps what follows the match, 0 what precedes it
  wchar_t search[kApplyPartCapacity];
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(FindCutSettings) == 8 + 2 + 1 + 1 + 2 * kApplyPartCapacity + 2 * kStepCommentCapacity,
              "FaC settings layout");

// Its settings dialog.
extern const ModuleDialog kFindCutDialog;
extern const ModuleDescriptor kFindCutModule;
