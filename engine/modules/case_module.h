// The Case module (key "Case"): changes the letter case of the name part or of the extension part.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

// Conversions of the Case module.
enum CaseConversion : uint16_t {
  kCaseLower = 1,
  kCaseUpper = 2,
  kCaseFirstLetter = 3,
  kCaseEveryWord = 4,
  kCaseInvert = 5,
};

#pragma pack(push, 1)
struct CaseSettings {
  ModuleInstance header;
  // 'n' the name part, 'e' the extension part.
  uint16_t part;
  uint16_t conversion;
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(CaseSettings) == 8 + 2 + 2 + 2 * kStepCommentCapacity, "Case settings layout");

// Its settings dialog.
extern const ModuleDialog kCaseDialog;
extern const ModuleDescriptor kCaseModule;
