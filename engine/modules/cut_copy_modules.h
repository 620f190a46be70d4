// The Cut (key "Cut") and Copy (key "Copy") modules: take a span of characters of the name part or the
// extension part and insert it at another position; Cut removes the span from its old place, Copy leaves it.
// One settings record and one apply operation, told apart by the copy flag.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

#pragma pack(push, 1)
struct CutCopySettings {
  ModuleInstance header;
  // 'n' the name part, 'e' the extension part.
  wchar_t part;
  // Counted from 0: where the span starts (0 to 249), its length (1 to 250) and where it goes (0 to 249).
  uint32_t start;
  uint32_t length;
  uint32_t target;
  // 0 Cut, 1 Copy.
  uint8_t copy;
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(CutCopySettings) == 8 + 2 + 4 + 4 + 4 + 1 + 2 * kStepCommentCapacity, "Cut and Copy settings layout");

// Their settings dialogs, one template.
extern const ModuleDialog kCutDialog;
extern const ModuleDialog kCopyDialog;
extern const ModuleDescriptor kCutModule;
extern const ModuleDescriptor kCopyModule;
