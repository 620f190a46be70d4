// What the rename engine asks of the application shell: refreshing the menu and toolbar states, the status
// bar's notice of unusable new names, the list of recent settings files and the offer to save a changed
// chain (a job's progress reaches the shell through foundation/core/jobs.h). The shell fills the table once
// its windows exist; until then, and for every entry it leaves empty, the call does nothing.
#pragma once

struct EngineHooks {
  void (*updateMenuStates)();
  void (*updateProblemCountNotice)();
  // A settings file that loaded goes to the front of the recent files; one that did not leaves them.
  void (*addRecentFile)(const wchar_t* path);
  void (*removeRecentFile)(const wchar_t* path);
  // Before another chain replaces a changed one: the offer to save it into the current settings file.
  void (*saveChangedChain)();
};

extern EngineHooks g_engineHooks;

// Call the hooks inside the guard; a missing hook does nothing.
void UpdateMenuStatesHook();
void UpdateProblemCountNoticeHook();
void AddRecentFileHook(const wchar_t* path);
void RemoveRecentFileHook(const wchar_t* path);
void SaveChangedChainHook();
