// What the rename engine asks of the application shell: refreshing the menu and toolbar states, and the
// status bar's notice of unusable new names. The shell fills the table once its windows exist; until then,
// and for every entry it leaves empty, the call does nothing.
#pragma once

struct EngineHooks {
  void (*updateMenuStates)();
  void (*updateProblemCountNotice)();
};

extern EngineHooks g_engineHooks;

// Call the hooks inside the guard; a missing hook does nothing.
void UpdateMenuStatesHook();
void UpdateProblemCountNoticeHook();
