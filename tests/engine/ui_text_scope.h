// Gives the program a state block whose UI string table is the test's own for the lifetime of the object.
#pragma once
#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"
#include "foundation/ui/ui_strings.h"

class UiTextScope {
 public:
  template <size_t N>
  explicit UiTextScope(const UiStringRecord (&records)[N]) : previous_(g_app) {
    state_ = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
    state_->uiStrings = reinterpret_cast<const UiStringTable*>(records);
    g_app = state_;
  }
  ~UiTextScope() {
    g_app = previous_;
    FreeAndNull(&state_);
  }
  UiTextScope(const UiTextScope&) = delete;
  UiTextScope& operator=(const UiTextScope&) = delete;

 private:
  AppState* previous_;
  AppState* state_;
};
