#include "engine/engine_hooks.h"

#include "foundation/core/guard.h"

EngineHooks g_engineHooks;

void UpdateMenuStatesHook() { CallHookGuarded(g_engineHooks.updateMenuStates); }

void UpdateProblemCountNoticeHook() { CallHookGuarded(g_engineHooks.updateProblemCountNotice); }

void AddRecentFileHook(const wchar_t* path) { CallHookGuarded(g_engineHooks.addRecentFile, path); }

void RemoveRecentFileHook(const wchar_t* path) { CallHookGuarded(g_engineHooks.removeRecentFile, path); }

void SaveChangedChainHook() { CallHookGuarded(g_engineHooks.saveChangedChain); }
