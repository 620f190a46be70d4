#include "shell/main_commands.h"

#include <commctrl.h>
#include <winnetwk.h>

#include "engine/chain_list.h"
#include "engine/rename_run.h"
#include "engine/undo.h"
#include "foundation/core/app_state.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/command_keys.h"
#include "foundation/ui/help_topics.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/win32/menus.h"
#include "foundation/profile/profile_store.h"
#include "foundation/core/threads.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/win32/window_list.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/about_box.h"
#include "shell/attributes_tool.h"
#include "shell/chain_commands.h"
#include "shell/check_list_dialog.h"
#include "shell/command_trees.h"
#include "shell/file_commands.h"
#include "shell/file_manager.h"
#include "shell/file_recycling.h"
#include "shell/folder_history.h"
#include "shell/list_colours.h"
#include "shell/keys_html.h"
#include "shell/language.h"
#include "shell/folder_navigation.h"
#include "shell/main_window.h"
#include "shell/options_dialog.h"
#include "shell/pane_focus.h"
#include "shell/recent_files.h"
#include "shell/settings_commands.h"
#include "shell/settings_values.h"
#include "shell/startup_commands.h"
#include "shell/status_notices.h"
#include "shell/timestamps_tool.h"
#include "shell/toolbar_descriptor.h"
#include "shell/update_check.h"
#include "views/address_bar.h"
#include "views/items_view.h"
#include "views/list_clipboard.h"
#include "views/list_export.h"
#include "views/path_edit.h"
#include "views/status_bar.h"

namespace {

enum CommandRule : uint8_t {
  kRuleNone,            // only a missing part disables it
  kRuleHistoryForward,  // no older folder in the history
  kRuleHistoryBack,     // at the newest folder
  kRuleNoFiles,         // the file list is empty
  kRuleFileTool,        // the file list is empty, or a job busy: the tools change the listed files
  kRuleIdle,            // no job is busy
  kRuleNoStep,          // no step selected (or a job busy)
  kRuleFirstStep,       // no step selected, or the first one
  kRuleLastStep,        // no step selected, or the last one
  kRuleRename,          // marked new names, nothing listed, or a job busy
  kRuleUndo,            // nothing to undo, or a job busy
  kRuleBusy,            // a job is busy: it changes the chain, the list or the settings the job reads
  kRuleSort,            // the list has no sort keys, or a job reads its rows
  kRuleFileManager,     // Halvane does not run, or the file list is empty
};

// What the commands need that this build does not have yet.

CommandState g_commandStates[] = {
    {IDM_FOLDER_BACK, 0, 0, kRuleHistoryForward, nullptr},
    {IDM_FOLDER_FORWARD, 0, 0, kRuleHistoryBack, nullptr},
    {IDM_FOLDER_UP, 0, 0, kRuleNoFiles, nullptr},
    {IDM_OPEN_FILES, 0, 0, kRuleNoFiles, nullptr},
    {IDM_RECYCLE, 0, 0, kRuleNoFiles, nullptr},
    {IDM_RENAME_IN_PLACE, 0, 0, kRuleNoFiles, nullptr},
    {IDM_EXPORT_LIST, 0, 0, kRuleNoFiles, nullptr},
    {IDM_ATTRIBUTES, 0, 0, kRuleFileTool, nullptr},
    {IDM_TIMESTAMPS, 0, 0, kRuleFileTool, nullptr},
    {IDM_PROPERTIES, 0, 0, kRuleNoFiles, nullptr},
    {IDM_STOP, 0, 0, kRuleIdle, nullptr},
    {IDM_OPEN_IN_FILE_MANAGER, 0, 0, kRuleNoFiles, nullptr},
    {IDM_EDIT_STEP, 0, 0, kRuleNoStep, nullptr},
    {IDM_REMOVE_STEP, 0, 0, kRuleNoStep, nullptr},
    {IDM_STEP_UP, 0, 0, kRuleFirstStep, nullptr},
    {IDM_STEP_DOWN, 0, 0, kRuleLastStep, nullptr},
    {IDM_SELECT_ALL, 0, 0, kRuleNoFiles, nullptr},
    {IDM_SELECT_NONE, 0, 0, kRuleNoFiles, nullptr},
    {IDM_INVERT_SELECTION, 0, 0, kRuleNoFiles, nullptr},
    {IDM_COPY_NAMES, 0, 0, kRuleNoFiles, nullptr},
    {IDM_COPY_PATHS, 0, 0, kRuleNoFiles, nullptr},
    {IDM_COPY_ROWS, 0, 0, kRuleNoFiles, nullptr},
    {IDM_COPY_ROWS_WITH_TITLES, 0, 0, kRuleNoFiles, nullptr},
    {IDM_START_RENAMING, 0, 0, kRuleRename, nullptr},
    {IDM_UNDO, 0, 0, kRuleUndo, nullptr},
    {IDM_SHOW_IN_FILE_MANAGER, 0, 0, kRuleFileManager, nullptr},
    // Beyond the commands above: those refused while a job is busy, the sort commands, and those whose part
    // of the program is missing.
    {IDM_NEW_LIST, 0, 0, kRuleBusy, nullptr},
    {IDM_OPEN_SETTINGS, 0, 0, kRuleBusy, nullptr},
    {IDM_RELOAD_LIST, 0, 0, kRuleBusy, nullptr},
    {IDM_SELECTED_ONLY, 0, 0, kRuleBusy, nullptr},
    {IDM_RESTORE_SETTINGS, 0, 0, kRuleBusy, nullptr},
    {IDM_RESET_SETTINGS, 0, 0, kRuleBusy, nullptr},
    {IDM_DISPLAY_LIGHT, 0, 0, kRuleBusy, nullptr},
    {IDM_DISPLAY_SYSTEM, 0, 0, kRuleBusy, nullptr},
    {IDM_DISPLAY_DARK, 0, 0, kRuleBusy, nullptr},
    {IDM_SORT_NAME, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_EXTENSION, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_NEW_NAME, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_MODIFIED, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_CREATED, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_ACCESSED, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_SIZE, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_ATTRIBUTES, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_TYPE, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_FOLDER, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_DESCENDING, 0, 0, kRuleSort, nullptr},
    {IDM_SORT_AGAIN, 0, 0, kRuleSort, nullptr},
    {IDM_FILE_ICONS, 0, 0, kRuleBusy, nullptr},
};

constexpr int kCommandStateCount = static_cast<int>(sizeof g_commandStates / sizeof g_commandStates[0]);

uint32_t FileRowCount() { return g_app->fileList ? ItemStoreCount(&g_app->fileList->rows) : 0; }

bool StepRuleHolds(uint8_t rule) {
  if (!g_app->chainList || IsJobBusy()) return true;
  const int selected = SelectedStepIndex();
  if (selected < 0) return true;
  if (rule == kRuleFirstStep) return selected == 0;
  if (rule == kRuleLastStep) return selected == static_cast<int>(CountSteps()) - 1;
  return false;
}

bool RuleHolds(uint8_t rule) {
  switch (rule) {
    case kRuleHistoryForward:
      return !CanStepFolderHistory(&g_folderHistory, 1);
    case kRuleHistoryBack:
      return !CanStepFolderHistory(&g_folderHistory, -1);
    case kRuleNoFiles:
      return FileRowCount() == 0;
    case kRuleFileTool:
      return FileRowCount() == 0 || IsJobBusy();
    case kRuleIdle:
      return !IsJobBusy();
    case kRuleNoStep:
    case kRuleFirstStep:
    case kRuleLastStep:
      return StepRuleHolds(rule);
    case kRuleRename:
      return !g_app->chainList || g_app->problemCount != 0 || FileRowCount() == 0 || IsJobBusy();
    case kRuleUndo:
      return !g_app->chainList || g_app->undoPairCount == 0 || IsJobBusy();
    case kRuleBusy:
      return IsJobBusy();
    case kRuleSort:
      return !g_app->fileList || !g_app->fileList->creation.sortKey || IsJobBusy();
    case kRuleFileManager:
      return !FindFileManagerWindow(&g_app->fileManagerWindow) || FileRowCount() == 0;
  }
  return false;
}

uint8_t Evaluate(CommandState* state) {
  state->disabled = (state->missing || RuleHolds(state->rule)) ? 1 : 0;
  return state->disabled;
}

CommandState* FindState(int commandId) {
  for (CommandState& state : g_commandStates) {
    if (state.commandId == commandId) return &state;
  }
  return nullptr;
}

// The recent files and the modules change the chain.
bool RangeRefusedWhileBusy(int commandId) {
  const bool recent = commandId >= IDM_RECENT_FILE_FIRST && commandId <= IDM_RECENT_FILE_LAST;
  const bool module = commandId >= IDM_ADD_MODULE_FIRST && commandId <= IDM_ADD_MODULE_LAST;
  return (recent || module) && IsJobBusy();
}

void ApplyState(HWND window, const CommandState& state) {
  HMENU menu = window ? GetMenu(window) : nullptr;
  if (menu) EnableMenuItem(menu, state.commandId, MF_BYCOMMAND | (state.disabled ? MF_GRAYED : MF_ENABLED));
  if (g_mainToolbar.toolbar) {
    SendMessageW(g_mainToolbar.toolbar, TB_ENABLEBUTTON, state.commandId, MAKELPARAM(state.disabled ? FALSE : TRUE, 0));
  }
}

LRESULT UpdateStatesOnGuiThread(void* force) {
  if (!g_app) return 0;
  UpdateMenuStates(g_mainWindow, force != nullptr);
  if (!IsJobBusy()) EndProgressNotice();
  return 0;
}

// The command table.
struct CommandRow {
  uint16_t first;
  uint16_t last;
  CommandHandler handler;
};

template <void (*Action)(HWND)>
void WithWindow(HWND window, int, LPARAM) {
  Action(window);
}

template <void (*Action)()>
void Plain(HWND, int, LPARAM) {
  Action();
}

void Exit(HWND window) { PostWindowMessage(window, WM_CLOSE, 0, 0); }
void FocusNext(HWND, int, LPARAM) { FocusNextPane(false); }
void FocusPrevious(HWND, int, LPARAM) { FocusNextPane(true); }
void Save(HWND window) { SaveSettingsAs(window); }
void Rename(HWND window) { StartRenameRun(window); }
void Undo(HWND window) { StartUndo(window); }
void Attributes(HWND window) { ShowAttributesDialog(window); }
void Timestamps(HWND window) { ShowTimestampOptionDialog(window); }
void StepUp(HWND window) { MoveSelectedStep(window, -1); }
void StepDown(HWND window) { MoveSelectedStep(window, 1); }
void SortByCommand(HWND window, int id, LPARAM) { SetSortChoice(window, SortKeyOfCommand(id)); }
void SortByField(HWND window, int id, LPARAM) { SetSortChoice(window, id); }
void AddModule(HWND window, int id, LPARAM) { AddModuleByCommand(window, id); }
void OpenRecent(HWND window, int id, LPARAM) { OpenRecentFile(window, id); }
void DisplayMode(HWND window, int id, LPARAM) { SetDisplayMode(window, id - IDM_DISPLAY_FIRST); }
void ConnectDrive(HWND window) { WNetConnectionDialog(window, RESOURCETYPE_DISK); }
void DisconnectDrive(HWND window) { WNetDisconnectDialog(window, RESOURCETYPE_DISK); }
void Export(HWND window) { ExportSettingsStore(window); }
void Import(HWND window) { ImportSettingsStore(window); }
void Reset(HWND window) { ResetSettings(window); }
void HelpContents(HWND window) { ShowHelpTopic(window, g_app->languageCode, 0); }
void ToggleToolbar(HWND window) {
  ToggleBarVisibility(window, g_mainToolbar.toolbar, &g_mainToolbar.shown, &g_app->options, kOptionToolbarHidden);
}
void About(HWND window) { ShowAboutBox(window, false); }
void ToggleAddressBar(HWND window) {
  ToggleBarVisibility(window, g_addressBar.window, &g_addressBar.shown, &g_app->options, kOptionAddressBarHidden);
}
void ToggleStatusBar(HWND window) {
  ToggleBarVisibility(window, g_statusBar.window, &g_statusBar.shown, &g_app->options, kOptionStatusBarHidden);
}
void Recycle(HWND window) { RecycleSelectedFiles(window); }
void EditPath(HWND, int id, LPARAM) { BeginPathBarEdit(&g_addressBar, g_addressBar.window, id); }
void ExportFileList(HWND window) {
  if (g_app->fileList) SaveListAsTextOrHtml(window, g_app->fileList->window, g_app->exportPath, &g_app->exportMode);
}
void CopyNames(HWND window) { CopySelectedNamesToClipboard(window, g_app->fileList); }
void CopyRows(HWND window, int id, LPARAM) {
  CopySelectedRowsToClipboard(window, g_app->fileList, id == IDM_COPY_ROWS_WITH_TITLES);
}

// Single ids come first; then the ranges in the order recent files, fields, modules.
const CommandRow kCommandRows[] = {
    {IDM_NEXT_PANE, IDM_NEXT_PANE, FocusNext},
    {IDM_PREVIOUS_PANE, IDM_PREVIOUS_PANE, FocusPrevious},
    {IDM_CANCEL, IDM_CANCEL, WithWindow<CancelOrEscape>},
    {IDM_EXIT, IDM_EXIT, WithWindow<Exit>},
    {IDM_NEW_LIST, IDM_NEW_LIST, WithWindow<ClearChain>},
    {IDM_OPEN_SETTINGS, IDM_OPEN_SETTINGS, WithWindow<OpenSettingsFile>},
    {IDM_SAVE_SETTINGS, IDM_SAVE_SETTINGS, WithWindow<Save>},
    {IDM_RENAME_IN_PLACE, IDM_RENAME_IN_PLACE, WithWindow<RenameFocusedFileInPlace>},
    {IDM_START_RENAMING, IDM_START_RENAMING, WithWindow<Rename>},
    {IDM_EXPORT_LIST, IDM_EXPORT_LIST, WithWindow<ExportFileList>},
    {IDM_ATTRIBUTES, IDM_ATTRIBUTES, WithWindow<Attributes>},
    {IDM_TIMESTAMPS, IDM_TIMESTAMPS, WithWindow<Timestamps>},
    {IDM_PROPERTIES, IDM_PROPERTIES, WithWindow<ShowSelectedFilesProperties>},
    {IDM_OPEN_FILES, IDM_OPEN_FILES, WithWindow<OpenSelectedFiles>},
    {IDM_RECYCLE, IDM_RECYCLE, WithWindow<Recycle>},
    {IDM_UNDO, IDM_UNDO, WithWindow<Undo>},
    {IDM_STARTUP, IDM_STARTUP, WithWindow<OnStartupCommand>},
    {IDM_ADD_STEP, IDM_ADD_STEP, WithWindow<ShowAddModuleMenu>},
    {IDM_EDIT_STEP, IDM_EDIT_STEP, WithWindow<EditSelectedStep>},
    {IDM_REMOVE_STEP, IDM_REMOVE_STEP, WithWindow<RemoveSelectedStep>},
    {IDM_STEP_UP, IDM_STEP_UP, WithWindow<StepUp>},
    {IDM_STEP_DOWN, IDM_STEP_DOWN, WithWindow<StepDown>},
    {IDM_SELECT_ALL, IDM_SELECT_ALL, Plain<SelectAllFiles>},
    {IDM_SELECT_NONE, IDM_SELECT_NONE, Plain<SelectNoFiles>},
    {IDM_INVERT_SELECTION, IDM_INVERT_SELECTION, Plain<InvertFileSelection>},
    {IDM_COPY_NAMES, IDM_COPY_NAMES, WithWindow<CopyNames>},
    {IDM_COPY_PATHS, IDM_COPY_PATHS, WithWindow<CopySelectedPathsToClipboard>},
    {IDM_COPY_ROWS, IDM_COPY_ROWS_WITH_TITLES, CopyRows},
    {IDM_RELOAD_LIST, IDM_RELOAD_LIST, Plain<RefreshFileList>},
    {IDM_SORT_FIRST, IDM_SORT_LAST, SortByCommand},
    {IDM_SORT_DESCENDING, IDM_SORT_DESCENDING, WithWindow<ToggleSortDirection>},
    {IDM_SORT_AGAIN, IDM_SORT_AGAIN, WithWindow<ResortFileList>},
    {IDM_SUBFOLDERS, IDM_SUBFOLDERS, WithWindow<ToggleRecursiveListing>},
    {IDM_SELECTED_ONLY, IDM_SELECTED_ONLY, WithWindow<ToggleSelectedOnlyView>},
    {IDM_FOLDER_TREE, IDM_FOLDER_TREE, WithWindow<ToggleFolderTree>},
    {IDM_APPLY_FILTER, IDM_APPLY_FILTER, WithWindow<ToggleFilterApplied>},
    {IDM_TOOLBAR, IDM_TOOLBAR, WithWindow<ToggleToolbar>},
    {IDM_ADDRESS_BAR, IDM_ADDRESS_BAR, WithWindow<ToggleAddressBar>},
    {IDM_STATUS_BAR, IDM_STATUS_BAR, WithWindow<ToggleStatusBar>},
    {IDM_FILE_ICONS, IDM_FILE_ICONS, WithWindow<ToggleFileIcons>},
    {IDM_REFRESH_TREE, IDM_REFRESH_TREE, WithWindow<RefreshFolderTree>},
    {IDM_STOP, IDM_STOP, Plain<RequestJobStop>},
    {IDM_OPEN_IN_FILE_MANAGER, IDM_OPEN_IN_FILE_MANAGER, WithWindow<GoToFolderInFileManager>},
    {IDM_RESTORE_CHAIN, IDM_RESTORE_CHAIN, WithWindow<RestoreChainAtStartup>},
    {IDM_SHOW_IN_FILE_MANAGER, IDM_SHOW_IN_FILE_MANAGER, WithWindow<ShowFocusedFileInFileManager>},
    {IDM_CONNECT_DRIVE, IDM_CONNECT_DRIVE, WithWindow<ConnectDrive>},
    {IDM_DISCONNECT_DRIVE, IDM_DISCONNECT_DRIVE, WithWindow<DisconnectDrive>},
    {IDM_TOOLBAR_BUTTONS, IDM_TOOLBAR_BUTTONS, WithWindow<ChooseToolbarIconSize>},
    {IDM_LIST_FONT, IDM_LIST_FONT, WithWindow<ChooseListFont>},
    {IDM_OPTIONS, IDM_OPTIONS, WithWindow<RunOptionsDialog>},
    {IDM_FILTER, IDM_FILTER, WithWindow<EditFilter>},
    {IDM_LANGUAGE, IDM_LANGUAGE, WithWindow<ShowLanguageDialog>},
    {IDM_BACK_UP_SETTINGS, IDM_BACK_UP_SETTINGS, WithWindow<Export>},
    {IDM_RESTORE_SETTINGS, IDM_RESTORE_SETTINGS, WithWindow<Import>},
    {IDM_RESET_SETTINGS, IDM_RESET_SETTINGS, WithWindow<Reset>},
    {IDM_HELP_TOPICS, IDM_HELP_TOPICS, WithWindow<HelpContents>},
    {IDM_KEYS_PAGE, IDM_KEYS_PAGE, WithWindow<ExportKeysHtml>},
    {IDM_CHECK_UPDATES, IDM_CHECK_UPDATES, WithWindow<StartUpdateCheck>},
    {IDM_ABOUT, IDM_ABOUT, WithWindow<About>},
    {IDM_FOLDER_BACK, IDM_FOLDER_BACK, WithWindow<NavigateForward>},
    {IDM_FOLDER_FORWARD, IDM_FOLDER_FORWARD, WithWindow<NavigateBack>},
    {IDM_FOLDER_UP, IDM_FOLDER_UP, WithWindow<NavigateUp>},
    {IDM_PATH_FIRST, IDM_PATH_LAST, EditPath},
    {IDM_DISPLAY_FIRST, IDM_DISPLAY_LAST, DisplayMode},
    {IDM_WINDOW_LIST, IDM_WINDOW_LIST, WithWindow<ShowWindowListMenu>},
    {IDM_RECENT_FILE_FIRST, IDM_RECENT_FILE_LAST, OpenRecent},
    {IDM_SORT_FIELD_FIRST, IDM_SORT_FIELD_LAST, SortByField},
    {IDM_ADD_MODULE_FIRST, IDM_ADD_MODULE_LAST, AddModule},
};

constexpr int kCommandRowCount = static_cast<int>(sizeof kCommandRows / sizeof kCommandRows[0]);

void CheckItem(HMENU menu, int commandId, bool checked) { SetMenuItemChecked(menu, static_cast<UINT>(commandId), checked); }

bool BarShown(HWND bar, int32_t shown) { return bar && shown != 0; }

constexpr int kFieldGroupMask = 0xFF00;
constexpr int kGroupMarkedFieldKeys = 1200;

// One round mark across the sort choices: the key's command, or IDM_SORT_FIELD_FIRST for a field key; a module's
// field key also marks the field within the module's group.
void CheckSortChoice(HMENU menu, const ItemListControl* files) {
  const int key = files ? files->sortKey : 0;
  const int keyCommand = CommandOfSortKey(key);
  const int chosen = keyCommand > 0 ? keyCommand : IDM_SORT_FIELD_FIRST;
  for (int command = IDM_SORT_FIRST; command <= IDM_SORT_LAST; ++command) {
    SetMenuItemRadioChecked(menu, command, command == chosen);
  }
  SetMenuItemRadioChecked(menu, IDM_SORT_FIELD_FIRST, chosen == IDM_SORT_FIELD_FIRST);
  if (key > kGroupMarkedFieldKeys) {
    const int group = ((key - IDM_SORT_FIELD_FIRST) & kFieldGroupMask) + IDM_SORT_FIELD_FIRST;
    for (int command = group; command <= key; ++command) SetMenuItemRadioChecked(menu, command, command == key);
  }
  CheckItem(menu, IDM_SORT_DESCENDING, files && files->sortDirection != 0);
}

}  // namespace

// A command's name is its text's key; the toolbar buttons and the language dialog keep names of their own.
const CommandNameEntry kCommandNameTable[kCommandNameCount] = {
    {IDM_FILE_MENU, IDM_NEW_LIST, kCommandKeyNewList},
    {IDM_FILE_MENU, IDM_OPEN_SETTINGS, kCommandKeyOpenSettings},
    {IDM_FILE_MENU, IDM_SAVE_SETTINGS, kCommandKeySaveSettings},
    {IDM_FILE_MENU, IDM_RENAME_IN_PLACE, kCommandKeyRenameInPlace},
    {IDM_FILE_MENU, IDM_START_RENAMING, kCommandKeyStartRenaming},
    {IDM_FILE_MENU, IDM_STOP, kCommandKeyStop},
    {IDM_FILE_MENU, IDM_UNDO, kCommandKeyUndo},
    {IDM_FILE_MENU, IDM_EXPORT_LIST, kCommandKeyExportList},
    {IDM_FILE_MENU, IDM_SHOW_IN_FILE_MANAGER, kCommandKeyShowInFileManager},
    {IDM_FILE_MENU, IDM_ATTRIBUTES, kCommandKeyAttributes},
    {IDM_FILE_MENU, IDM_TIMESTAMPS, kCommandKeyTimestamps},
    {IDM_FILE_MENU, IDM_PROPERTIES, kCommandKeyProperties},
    {IDM_FILE_MENU, IDM_EXIT, kCommandKeyExit},
    {IDM_EDIT_MENU, IDM_ADD_STEP, kCommandKeyAddStep},
    {IDM_EDIT_MENU, IDM_EDIT_STEP, kCommandKeyEditStep},
    {IDM_EDIT_MENU, IDM_REMOVE_STEP, kCommandKeyRemoveStep},
    {IDM_EDIT_MENU, IDM_STEP_UP, kCommandKeyStepUp},
    {IDM_EDIT_MENU, IDM_STEP_DOWN, kCommandKeyStepDown},
    {IDM_EDIT_MENU, IDM_SELECT_ALL, kCommandKeySelectAll},
    {IDM_EDIT_MENU, IDM_SELECT_NONE, kCommandKeySelectNone},
    {IDM_EDIT_MENU, IDM_INVERT_SELECTION, kCommandKeyInvertSelection},
    {IDM_EDIT_MENU, IDM_COPY_NAMES, kCommandKeyCopyNames},
    {IDM_EDIT_MENU, IDM_COPY_PATHS, kCommandKeyCopyPaths},
    {IDM_EDIT_MENU, IDM_COPY_ROWS, kCommandKeyCopyRows},
    {IDM_EDIT_MENU, IDM_COPY_ROWS_WITH_TITLES, kCommandKeyCopyRowsWithTitles},
    {IDM_VIEW_MENU, IDM_FOLDER_TREE, kCommandKeyFolderTree},
    {IDM_VIEW_MENU, IDM_SUBFOLDERS, kCommandKeySubfolders},
    {IDM_VIEW_MENU, IDM_SELECTED_ONLY, kCommandKeySelectedOnly},
    {IDM_VIEW_MENU, IDM_APPLY_FILTER, kCommandKeyApplyFilter},
    {IDM_VIEW_MENU, IDM_TOOLBAR, kCommandKeyToolbar},
    {IDM_VIEW_MENU, IDM_ADDRESS_BAR, kCommandKeyAddressBar},
    {IDM_VIEW_MENU, IDM_STATUS_BAR, kCommandKeyStatusBar},
    {IDM_VIEW_MENU, IDM_FILE_ICONS, kCommandKeyFileIcons},
    {IDM_VIEW_MENU, IDM_REFRESH_TREE, kCommandKeyRefreshTree},
    {IDM_SORT_MENU, IDM_SORT_NAME, kCommandKeySortName},
    {IDM_SORT_MENU, IDM_SORT_EXTENSION, kCommandKeySortExtension},
    {IDM_SORT_MENU, IDM_SORT_NEW_NAME, kCommandKeySortNewName},
    {IDM_SORT_MENU, IDM_SORT_CREATED, kCommandKeySortCreated},
    {IDM_SORT_MENU, IDM_SORT_MODIFIED, kCommandKeySortModified},
    {IDM_SORT_MENU, IDM_SORT_ACCESSED, kCommandKeySortAccessed},
    {IDM_SORT_MENU, IDM_SORT_SIZE, kCommandKeySortSize},
    {IDM_SORT_MENU, IDM_SORT_ATTRIBUTES, kCommandKeySortAttributes},
    {IDM_SORT_MENU, IDM_SORT_TYPE, kCommandKeySortType},
    {IDM_SORT_MENU, IDM_SORT_FOLDER, kCommandKeySortFolder},
    {IDM_SORT_MENU, IDM_SORT_DESCENDING, kCommandKeySortDescending},
    {IDM_TOOLS_MENU, IDM_CONNECT_DRIVE, kCommandKeyConnectDrive},
    {IDM_TOOLS_MENU, IDM_DISCONNECT_DRIVE, kCommandKeyDisconnectDrive},
    {IDM_TOOLS_MENU, IDM_OPEN_IN_FILE_MANAGER, kCommandKeyOpenInFileManager},
    {IDM_OPTIONS_MENU, IDM_TOOLBAR_BUTTONS, "OptToolbar"},
    {IDM_OPTIONS_MENU, IDM_LIST_FONT, kCommandKeyListFont},
    {IDM_OPTIONS_MENU, IDM_OPTIONS, kCommandKeyOptions},
    {IDM_OPTIONS_MENU, IDM_FILTER, kCommandKeyFilter},
    {IDM_OPTIONS_MENU, IDM_BACK_UP_SETTINGS, kCommandKeyBackUpSettings},
    {IDM_OPTIONS_MENU, IDM_RESTORE_SETTINGS, kCommandKeyRestoreSettings},
    {IDM_OPTIONS_MENU, IDM_LANGUAGE, "Language"},
    {0, IDM_WINDOW_LIST, kCommandKeyWindowList},
    {IDM_HELP_MENU, IDM_KEYS_PAGE, kCommandKeyKeysPage},
    {IDM_HELP_MENU, IDM_CHECK_UPDATES, kCommandKeyCheckUpdates},
    {IDM_HELP_MENU, IDM_ABOUT, kCommandKeyAbout},
    {0, 0, "-"},
};

int CommandStateCount() { return kCommandStateCount; }

const CommandState* CommandStateAt(int index) {
  return index >= 0 && index < kCommandStateCount ? &g_commandStates[index] : nullptr;
}

const CommandState* FindCommandState(int commandId) { return FindState(commandId); }

bool IsCommandDisabled(int commandId) {
  if (!g_app) return true;
  CommandState* state = FindState(commandId);
  if (state) return Evaluate(state) != 0;
  return RangeRefusedWhileBusy(commandId);
}

void UpdateMenuStates(HWND window, bool force) {
  if (!g_app) return;
  for (CommandState& state : g_commandStates) {
    const uint8_t disabled = Evaluate(&state);
    if (!force && disabled == state.applied) continue;
    state.applied = disabled;
    ApplyState(window, state);
  }
}

void UpdateMainMenuStates() { RunOnGuiThread(UpdateStatesOnGuiThread, nullptr); }

void RefreshAllMenuStates() { RunOnGuiThread(UpdateStatesOnGuiThread, g_commandStates); }

CommandHandler FindCommandHandler(int commandId) {
  for (const CommandRow& row : kCommandRows) {
    if (commandId >= row.first && commandId <= row.last) return row.handler;
  }
  return nullptr;
}

bool CommandTableId(int index, int* first, int* last) {
  if (index < 0 || index >= kCommandRowCount) return false;
  *first = kCommandRows[index].first;
  *last = kCommandRows[index].last;
  return true;
}

void OnMainCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  const int commandId = LOWORD(wParam);
  if (CommandHandler handler = FindCommandHandler(commandId)) handler(window, commandId, lParam);
}

void ApplyViewOptions(HWND) {
  HWND toolbar = g_mainToolbar.toolbar;
  if (!toolbar) return;
  const uint32_t options = g_app->options;
  SendMessageW(toolbar, TB_CHECKBUTTON, IDM_FOLDER_TREE, MAKELPARAM(!(options & kOptionFolderTreeHidden), 0));
  SendMessageW(toolbar, TB_CHECKBUTTON, IDM_SUBFOLDERS, MAKELPARAM((options & kOptionRecursive) != 0, 0));
  SendMessageW(toolbar, TB_CHECKBUTTON, IDM_SELECTED_ONLY, MAKELPARAM((options & kOptionSelectedOnly) != 0, 0));
  SendMessageW(toolbar, TB_CHECKBUTTON, IDM_APPLY_FILTER, MAKELPARAM((options & kOptionFilterApplied) != 0, 0));
}

void ApplyAlwaysOnTop(HWND window) {
  const HWND order = (g_app->options & kOptionAlwaysOnTop) ? HWND_TOPMOST : HWND_NOTOPMOST;
  SetWindowPos(window, order, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void SetViewMenuChecks(HMENU popup, int position) {
  constexpr int kViewMenuPosition = 2;
  if (position != kViewMenuPosition || !g_app) return;
  const uint32_t options = g_app->options;
  CheckItem(popup, IDM_FOLDER_TREE, IsWindowShown(g_app->paneWindows[0]));
  CheckItem(popup, IDM_SUBFOLDERS, (options & kOptionRecursive) != 0);
  CheckItem(popup, IDM_SELECTED_ONLY, (options & kOptionSelectedOnly) != 0);
  CheckItem(popup, IDM_APPLY_FILTER, (options & kOptionFilterApplied) != 0);
  CheckItem(popup, IDM_TOOLBAR, BarShown(g_mainToolbar.toolbar, g_mainToolbar.shown));
  CheckItem(popup, IDM_ADDRESS_BAR, BarShown(g_addressBar.window, g_addressBar.shown));
  CheckItem(popup, IDM_STATUS_BAR, BarShown(g_statusBar.window, g_statusBar.shown));
  CheckItem(popup, IDM_FILE_ICONS, !(options & kOptionFileIconsOff));
  CheckSortChoice(popup, g_app->fileList);
}

void StoreOptionWord() {
  StoreOptionWordSetting(g_app->options);
}
