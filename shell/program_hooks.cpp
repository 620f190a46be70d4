#include "shell/program_hooks.h"

#include "engine/chain_files.h"
#include "engine/engine_hooks.h"
#include "engine/preview.h"
#include "engine/undo.h"
#include "foundation/app_state.h"
#include "shell/chain_drag.h"
#include "shell/closing.h"
#include "shell/command_trees.h"
#include "shell/file_commands.h"
#include "shell/file_drop.h"
#include "shell/file_list_notifications.h"
#include "shell/help_requests.h"
#include "shell/language.h"
#include "shell/main_commands.h"
#include "shell/pane_focus.h"
#include "shell/recent_files.h"
#include "shell/shell_hooks.h"
#include "shell/title_notices.h"
#include "views/folder_listing.h"
#include "views/view_hooks.h"

namespace {

void SaveChain() { SaveModuleChainToSettings(); }

// A menu definition a pane asks for (WM_USER+10): the choice becomes a command of the main window.
void ShowMenuDefinition(HWND window, WPARAM definition) {
  const int chosen =
      ShowPopupMenuFromTable(window, nullptr, reinterpret_cast<const MenuDefinitionEntry*>(definition), nullptr, 0);
  if (chosen != 0) PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
}

void InstallShellHooks() {
  ShellHooks& hooks = g_shellHooks;
  hooks.freeMainMenu = FreeMainMenuTree;
  hooks.collectTabStopPanes = CollectTabStopPanes;
  hooks.applyViewOptions = ApplyViewOptions;
  hooks.applyAlwaysOnTop = ApplyAlwaysOnTop;
  hooks.loadLanguage = LoadLanguage;
  hooks.saveChain = SaveChain;
  hooks.freeUndoList = ReleaseUndoList;
  hooks.isCommandDisabled = IsCommandDisabled;
  hooks.onCommand = OnMainCommand;
  hooks.onClose = OnMainWindowClose;
  hooks.refreshAllMenuStates = RefreshAllMenuStates;
  hooks.setViewMenuChecks = SetViewMenuChecks;
  hooks.onDropFiles = OnDropFiles;
  hooks.showHelp = ShowHelpForRequest;
  hooks.showMenuDefinition = ShowMenuDefinition;
  hooks.setCurrentFolder = SetCurrentFolder;
  hooks.chainRowText = ChainListGetDispInfo;
  hooks.fileRowText = FileListGetItemText;
  hooks.fileRowInfoTip = BuildItemInfoTip;
  hooks.beginFileRename = BeginFileRename;
  hooks.endFileRename = EndFileRename;
  hooks.openFocusedFile = OpenFocusedFileOrFolder;
  hooks.dragChainStep = DragChainStep;
}

void InstallEngineHooks() {
  EngineHooks& hooks = g_engineHooks;
  hooks.updateMenuStates = UpdateMainMenuStates;
  hooks.updateProblemCountNotice = UpdateProblemCountNotice;
  hooks.resetProgress = ResetProgressNotice;
  hooks.setProgressPercent = ShowProgressNotice;
  hooks.addRecentFile = [](const wchar_t* path) { AddRecentFile(&g_recentFiles, path); };
  hooks.removeRecentFile = [](const wchar_t* path) { RemoveRecentFile(&g_recentFiles, path); };
  hooks.saveChangedChain = [] { SaveChangedSettingsOnClose(g_mainWindow); };
}

void InstallViewHooks() {
  ViewHooks& hooks = g_viewHooks;
  hooks.computeNewNames = ComputeNewNames;
  hooks.updateProblemCountNotice = UpdateProblemCountNotice;
  hooks.updateMenuStates = UpdateMainMenuStates;
  hooks.listingEnded = RunDeferredPreview;
  hooks.applyViewOptions = [] { ApplyViewOptions(g_mainWindow); };
}

}  // namespace

void InstallProgramHooks() {
  InstallShellHooks();
  InstallEngineHooks();
  InstallViewHooks();
}
