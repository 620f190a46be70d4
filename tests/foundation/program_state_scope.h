// A zero-filled program state with a title for the lifetime of the object; the state before comes back after.
#pragma once
#include "foundation/app_state.h"
#include "foundation/bounded_text.h"
#include "foundation/memory.h"

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

 private:
  AppState* previous_;
  AppState* state_;
};
