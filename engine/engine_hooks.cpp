#include "engine/engine_hooks.h"

#include "foundation/guard.h"

EngineHooks g_engineHooks;

namespace {

template <typename Hook, typename... Arguments>
void CallHook(Hook hook, Arguments... arguments) {
  if (hook == nullptr) return;
  GuardedCall(0, [&] {
    hook(arguments...);
    return 0;
  });
}

}  // namespace

void UpdateMenuStatesHook() { CallHook(g_engineHooks.updateMenuStates); }

void UpdateProblemCountNoticeHook() { CallHook(g_engineHooks.updateProblemCountNotice); }

void ResetProgressHook() { CallHook(g_engineHooks.resetProgress); }

void SetProgressPercentHook(uint32_t percent) { CallHook(g_engineHooks.setProgressPercent, percent); }

void AddRecentFileHook(const wchar_t* path) { CallHook(g_engineHooks.addRecentFile, path); }

void RemoveRecentFileHook(const wchar_t* path) { CallHook(g_engineHooks.removeRecentFile, path); }

void SaveChangedChainHook() { CallHook(g_engineHooks.saveChangedChain); }
