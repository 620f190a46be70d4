// The Enum module (key "Enum"): inserts a running counter into the name part or the extension part. Its counter
// restarts at the start value before every pass, so the files are numbered in list order.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

#pragma pack(push, 1)
struct EnumSettings {
  ModuleInstance header;
  // 'n' the name part, 'e' the extension part.
  uint16_t part;
  // Counted from 0 at the left; a position beyond the end appends.
  uint32_t position;
  int32_t start;
  // Never 0.
  int32_t step;
  // Minimum number of characters of the counter, filled in front with the fill character; used only together.
  uint32_t width;
  uint16_t fill;
  // The value the next file receives.
  int64_t counter;
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(EnumSettings) == 8 + 2 + 4 + 4 + 4 + 4 + 2 + 8 + 2 * kStepCommentCapacity, "Enum settings layout");

// Widths read from a text are cut to this.
constexpr uint32_t kMostCounterWidth = 100;

// Inserts the counter, filled to its width, at min(position, length) of `text`, then advances the counter.
void InsertCounter(wchar_t* text, int capacity, EnumSettings* settings);

// Its settings dialog.
extern const ModuleDialog kEnumDialog;
extern const ModuleDescriptor kEnumModule;
