// A zero-filled program state with a title (and, when asked, a UI string table) for the lifetime of the object;
// the state before comes back after.
#pragma once
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/ui/ui_strings.h"

class ProgramStateScope {
 public:
  explicit ProgramStateScope(const wchar_t* title = L"Quorvex") : previous_(g_app) {
    state_ = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
    CopyWideBounded(title, state_->title, 40);
    g_app = state_;
  }
  ~ProgramStateScope() {
    g_app = previous_;
    FreeAndNull(&state_);
  }
  ProgramStateScope(const ProgramStateScope&) = delete;
  ProgramStateScope& operator=(const ProgramStateScope&) = delete;

  AppState* operator->() const { return state_; }

  // Makes the records the UI string table in use.
  template <size_t N>
  void UseTexts(const UiStringRecord (&records)[N]) {
    state_->uiStrings = reinterpret_cast<const UiStringTable*>(records);
  }

 private:
  AppState* previous_;
  AppState* state_;
};
