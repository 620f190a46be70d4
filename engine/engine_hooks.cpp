#include "engine/engine_hooks.h"

#include "foundation/guard.h"

EngineHooks g_engineHooks;

namespace {

void CallHook(void (*hook)()) {
  if (hook == nullptr) return;
  GuardedCall(0, [&] {
    hook();
    return 0;
  });
}

}  // namespace

void UpdateMenuStatesHook() { CallHook(g_engineHooks.updateMenuStates); }

void UpdateProblemCountNoticeHook() { CallHook(g_engineHooks.updateProblemCountNotice); }
