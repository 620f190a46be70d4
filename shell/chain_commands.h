// The main window's commands on the chain: a new chain, loading and saving settings files, adding a step from
// the module menu and removing the selected step.
#pragma once
#include <windows.h>

// Command IDM_NEW_LIST: offers to save a changed chain, then empties it. The emptied chain belongs to no settings
// file.
void ClearChain(HWND window);

// Command IDM_OPEN_SETTINGS: the open dialog for a settings file, starting in the folder "Save" names; the chosen
// file is loaded.
void OpenSettingsFile(HWND window);

// Command IDM_SAVE_SETTINGS: the save dialog, starting in "Save"; the chain is written into the chosen file (".zqr"
// is added to a name without extension), its folder stored as "Save" and the file put first among the recent files.
// 0, the write error (already shown to the user), or ERROR_CANCELLED when the dialog was left.
int SaveSettingsAs(HWND window);

// Command IDM_ADD_STEP: the module menu at the cursor; a choice adds that module.
void ShowAddModuleMenu(HWND window);

// Commands IDM_ADD_MODULE_FIRST-IDM_ADD_MODULE_LAST: a new step of module id - IDM_ADD_MODULE_FIRST with its defaults
// after the selected step (at the end without one), selected and focused, and its settings dialog opened. A step
// whose dialog is left goes again; a module without a dialog keeps its defaults.
void AddModuleByCommand(HWND window, int commandId);

// Command IDM_REMOVE_STEP: removes the selected step.
void RemoveSelectedStep(HWND window);

// At start: once per run, when the chain is empty, the cursor goes to the chain list and the module menu is
// offered (command IDM_ADD_STEP).
void OfferModuleMenuIfChainEmpty(HWND window);

// The chain list's selected (focused) step; -1 without one.
int SelectedStepIndex();
