#include "foundation/core/app_state.h"

AppState* g_app = nullptr;
HWND g_mainWindow = nullptr;

uint32_t OptionWord::Change(uint32_t clear, uint32_t flip) {
  LONG seen = value_;
  for (;;) {
    const LONG wanted = static_cast<LONG>((static_cast<uint32_t>(seen) & ~clear) ^ flip);
    const LONG before = InterlockedCompareExchange(&value_, wanted, seen);
    if (before == seen) return static_cast<uint32_t>(wanted);
    seen = before;
  }
}

void SetOptionBits(uint32_t bits, bool on) {
  if (g_app != nullptr) g_app->options.Change(bits, on ? bits : 0);
}

void ToggleOptionBits(uint32_t bits) {
  if (g_app != nullptr) g_app->options.Change(0, bits);
}

void ReplaceOptionWord(uint32_t word) {
  if (g_app != nullptr) g_app->options.Change(UINT32_MAX, word);
}
