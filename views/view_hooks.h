// What the file list asks of the parts above it: the rename engine's preview, the metadata columns, and the
// shell's bars, menus and recent folders. The shell fills the table once those parts exist; until then, and
// for every entry it leaves empty, the call does nothing. Every call runs inside the guard, so a failing hook
// cannot end a folder listing half-way.
#pragma once

struct ViewHooks {
  // Recomputes every file row's new name (the preview).
  void (*computeNewNames)();
  // Shows the listing statistics in the status bar.
  void (*updateStatusText)();
  // Shows or hides the status bar's notice of unusable new names.
  void (*updateProblemCountNotice)();
  // Refreshes the enabled states of menus and toolbar buttons.
  void (*updateMenuStates)();
  // A listing ended: what was held back while it was busy (a changed chain's preview) runs now.
  void (*listingEnded)();
  // Applies the View options to the toolbar after one of them changed.
  void (*applyViewOptions)();
  // A newly chosen folder: shown in the address bar, and put first in the recent-folders list.
  void (*showFolderInAddressBar)(const wchar_t* folder);
  void (*addRecentFolder)(const wchar_t* folder);
  // Fills the field values the list's columns show for every listed file.
  void (*loadFieldValues)(const wchar_t* folder);
};

extern ViewHooks g_viewHooks;

// Each calls its hook inside the guard; a missing hook does nothing.
void ComputeNewNamesHook();
void UpdateStatusTextHook();
void UpdateProblemCountNoticeViewHook();
void UpdateMenuStatesViewHook();
void ListingEndedHook();
void ApplyViewOptionsHook();
void ShowFolderInAddressBarHook(const wchar_t* folder);
void AddRecentFolderHook(const wchar_t* folder);
void LoadFieldValuesHook(const wchar_t* folder);
