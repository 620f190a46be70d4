// The Ins module (key "Ins"): inserts a fixed text into the name part or the extension part, at a position
// counted from the left or from the right.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/module_contract.h"

#pragma pack(push, 1)
struct InsSettings {
  ModuleInstance header;
  // 'l' the position counts from the left, 'r' from the right.
  uint16_t side;
  // 'n' the name part, 'e' the extension part.
  uint16_t part;
  // 0 to 249.
  uint32_t position;
  wchar_t text[kApplyPartCapacity];
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(InsSettings) == 8 + 2 + 2 + 4 + 2 * kApplyPartCapacity + 2 * kStepCommentCapacity,
              "Ins settings layout");

// The comment operation of the modules whose records hold their comment where Ins holds it (Ins, Date, Time).
constexpr size_t kInsCommentOffset = offsetof(InsSettings, comment);
void GetInsDateTimeComment(const ModuleInstance* settings, wchar_t* text, int capacity);

// Its settings dialog.
extern const ModuleDialog kInsDialog;
extern const ModuleDescriptor kInsModule;
