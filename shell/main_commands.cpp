#include "shell/main_commands.h"

#include <commctrl.h>
#include <winnetwk.h>

#include "engine/chain_list.h"
#include "engine/rename_run.h"
#include "engine/undo.h"
#include "foundation/core/app_state.h"
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
    {197, 0, 0, kRuleHistoryForward, nullptr},
    {198, 0, 0, kRuleHistoryBack, nullptr},
    {199, 0, 0, kRuleNoFiles, nullptr},
    {111, 0, 0, kRuleNoFiles, nullptr},
    {112, 0, 0, kRuleNoFiles, nullptr},
    {105, 0, 0, kRuleNoFiles, nullptr},
    {107, 0, 0, kRuleNoFiles, nullptr},
    {108, 0, 0, kRuleFileTool, nullptr},
    {109, 0, 0, kRuleFileTool, nullptr},
    {110, 0, 0, kRuleNoFiles, nullptr},
    {171, 0, 0, kRuleIdle, nullptr},
    {172, 0, 0, kRuleNoFiles, nullptr},
    {124, 0, 0, kRuleNoStep, nullptr},
    {125, 0, 0, kRuleNoStep, nullptr},
    {126, 0, 0, kRuleFirstStep, nullptr},
    {127, 0, 0, kRuleLastStep, nullptr},
    {130, 0, 0, kRuleNoFiles, nullptr},
    {131, 0, 0, kRuleNoFiles, nullptr},
    {132, 0, 0, kRuleNoFiles, nullptr},
    {133, 0, 0, kRuleNoFiles, nullptr},
    {134, 0, 0, kRuleNoFiles, nullptr},
    {135, 0, 0, kRuleNoFiles, nullptr},
    {136, 0, 0, kRuleNoFiles, nullptr},
    {106, 0, 0, kRuleRename, nullptr},
    {121, 0, 0, kRuleUndo, nullptr},
    {175, 0, 0, kRuleFileManager, nullptr},
    // Beyond the commands above: those refused while a job is busy, the sort commands, and those whose part
    // of the program is missing.
    {102, 0, 0, kRuleBusy, nullptr},
    {103, 0, 0, kRuleBusy, nullptr},
    {139, 0, 0, kRuleBusy, nullptr},
    {163, 0, 0, kRuleBusy, nullptr},
    {187, 0, 0, kRuleBusy, nullptr},
    {188, 0, 0, kRuleBusy, nullptr},
    {211, 0, 0, kRuleBusy, nullptr},
    {212, 0, 0, kRuleBusy, nullptr},
    {213, 0, 0, kRuleBusy, nullptr},
    {141, 0, 0, kRuleSort, nullptr},
    {142, 0, 0, kRuleSort, nullptr},
    {143, 0, 0, kRuleSort, nullptr},
    {144, 0, 0, kRuleSort, nullptr},
    {145, 0, 0, kRuleSort, nullptr},
    {146, 0, 0, kRuleSort, nullptr},
    {147, 0, 0, kRuleSort, nullptr},
    {148, 0, 0, kRuleSort, nullptr},
    {149, 0, 0, kRuleSort, nullptr},
    {150, 0, 0, kRuleSort, nullptr},
    {152, 0, 0, kRuleSort, nullptr},
    {153, 0, 0, kRuleSort, nullptr},
    {168, 0, 0, kRuleBusy, nullptr},
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
  const bool recent = commandId >= kFirstRecentFileCommand && commandId < kFirstRecentFileCommand + kRecentFileLimit;
  const bool module = commandId >= kAddModuleCommandBase && commandId <= kAddModuleCommandLast;
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
void DisplayMode(HWND window, int id, LPARAM) { SetDisplayMode(window, id - 211); }
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
void CopyRows(HWND window, int id, LPARAM) { CopySelectedRowsToClipboard(window, g_app->fileList, id == 136); }

// Single ids come first; then the ranges in the order recent files, fields, modules.
const CommandRow kCommandRows[] = {
    {22, 22, FocusNext},
    {23, 23, FocusPrevious},
    {25, 25, WithWindow<CancelOrEscape>},
    {101, 101, WithWindow<Exit>},
    {102, 102, WithWindow<ClearChain>},
    {103, 103, WithWindow<OpenSettingsFile>},
    {104, 104, WithWindow<Save>},
    {105, 105, WithWindow<RenameFocusedFileInPlace>},
    {106, 106, WithWindow<Rename>},
    {107, 107, WithWindow<ExportFileList>},
    {108, 108, WithWindow<Attributes>},
    {109, 109, WithWindow<Timestamps>},
    {110, 110, WithWindow<ShowSelectedFilesProperties>},
    {111, 111, WithWindow<OpenSelectedFiles>},
    {112, 112, WithWindow<Recycle>},
    {121, 121, WithWindow<Undo>},
    {122, 122, WithWindow<OnStartupCommand>},
    {123, 123, WithWindow<ShowAddModuleMenu>},
    {124, 124, WithWindow<EditSelectedStep>},
    {125, 125, WithWindow<RemoveSelectedStep>},
    {126, 126, WithWindow<StepUp>},
    {127, 127, WithWindow<StepDown>},
    {130, 130, Plain<SelectAllFiles>},
    {131, 131, Plain<SelectNoFiles>},
    {132, 132, Plain<InvertFileSelection>},
    {133, 133, WithWindow<CopyNames>},
    {134, 134, WithWindow<CopySelectedPathsToClipboard>},
    {135, 136, CopyRows},
    {139, 139, Plain<RefreshFileList>},
    {141, 150, SortByCommand},
    {152, 152, WithWindow<ToggleSortDirection>},
    {153, 153, WithWindow<ResortFileList>},
    {162, 162, WithWindow<ToggleRecursiveListing>},
    {163, 163, WithWindow<ToggleSelectedOnlyView>},
    {161, 161, WithWindow<ToggleFolderTree>},
    {164, 164, WithWindow<ToggleFilterApplied>},
    {165, 165, WithWindow<ToggleToolbar>},
    {166, 166, WithWindow<ToggleAddressBar>},
    {167, 167, WithWindow<ToggleStatusBar>},
    {168, 168, WithWindow<ToggleFileIcons>},
    {169, 169, WithWindow<RefreshFolderTree>},
    {171, 171, Plain<RequestJobStop>},
    {172, 172, WithWindow<GoToFolderInFileManager>},
    {173, 173, WithWindow<RestoreChainAtStartup>},
    {175, 175, WithWindow<ShowFocusedFileInFileManager>},
    {178, 178, WithWindow<ConnectDrive>},
    {179, 179, WithWindow<DisconnectDrive>},
    {181, 181, WithWindow<ChooseToolbarIconSize>},
    {182, 182, WithWindow<ChooseListFont>},
    {183, 183, WithWindow<RunOptionsDialog>},
    {184, 184, WithWindow<EditFilter>},
    {185, 185, WithWindow<ShowLanguageDialog>},
    {186, 186, WithWindow<Export>},
    {187, 187, WithWindow<Import>},
    {188, 188, WithWindow<Reset>},
    {191, 191, WithWindow<HelpContents>},
    {192, 192, WithWindow<ExportKeysHtml>},
    {194, 194, WithWindow<StartUpdateCheck>},
    {196, 196, WithWindow<About>},
    {197, 197, WithWindow<NavigateForward>},
    {198, 198, WithWindow<NavigateBack>},
    {199, 199, WithWindow<NavigateUp>},
    {kEditPathCommand, kPastePathCommand, EditPath},
    {211, 213, DisplayMode},
    {30000, 30000, WithWindow<ShowWindowListMenu>},
    {kFirstRecentFileCommand, kFirstRecentFileCommand + kRecentFileLimit - 1, OpenRecent},
    {kFieldCommandBase, 0xFFFF, SortByField},
    {kAddModuleCommandBase, kAddModuleCommandLast, AddModule},
};

constexpr int kCommandRowCount = static_cast<int>(sizeof kCommandRows / sizeof kCommandRows[0]);

void CheckItem(HMENU menu, int commandId, bool checked) { SetMenuItemChecked(menu, static_cast<UINT>(commandId), checked); }

bool BarShown(HWND bar, int32_t shown) { return bar && shown != 0; }

constexpr int kFirstSortCommand = 141;
constexpr int kLastSortCommand = 150;
constexpr int kFieldGroupMask = 0xFF00;
constexpr int kGroupMarkedFieldKeys = 1200;

// One round mark across the sort choices: the key's command, or 600 for a field key; a module's field key also
// marks the field within the module's group.
void CheckSortChoice(HMENU menu, const ItemListControl* files) {
  const int key = files ? files->sortKey : 0;
  const int keyCommand = CommandOfSortKey(key);
  const int chosen = keyCommand > 0 ? keyCommand : kFieldCommandBase;
  for (int command = kFirstSortCommand; command <= kLastSortCommand; ++command) {
    SetMenuItemRadioChecked(menu, command, command == chosen);
  }
  SetMenuItemRadioChecked(menu, kFieldCommandBase, chosen == kFieldCommandBase);
  if (key > kGroupMarkedFieldKeys) {
    const int group = ((key - kFieldCommandBase) & kFieldGroupMask) + kFieldCommandBase;
    for (int command = group; command <= key; ++command) SetMenuItemRadioChecked(menu, command, command == key);
  }
  CheckItem(menu, 152, files && files->sortDirection != 0);
}

}  // namespace

const CommandNameEntry kCommandNameTable[kCommandNameCount] = {
    {100, 102, "FileNew"},     {100, 103, "FileOpen"},    {100, 104, "FileSave"},      {100, 105, "FileRen"},
    {100, 106, "FileQK"},      {100, 171, "Stop"},        {100, 121, "Undo"},          {100, 107, "Export"},
    {100, 175, "FileView"},    {100, 108, "FileAttrib"},  {100, 109, "FileTime"},      {100, 110, "Prop"},
    {100, 101, "Exit"},        {120, 123, "RuleAdd"},     {120, 124, "RuleEdit"},      {120, 125, "RuleDel"},
    {120, 126, "RuleUp"},      {120, 127, "RuleDown"},    {120, 130, "SelectAll"},     {120, 131, "SelDel"},
    {120, 132, "SelInv"},      {120, 133, "SelSaveClip"}, {120, 134, "SelPathClip"},   {120, 135, "SelClipNameD"},
    {120, 136, "SelClipNameH"}, {160, 161, "ViewTree"},   {160, 162, "ViewFlds"},      {160, 163, "ViewSele"},
    {160, 164, "ViewFilt"},    {160, 165, "Toolbar"},     {160, 166, "AdrBar"},        {160, 167, "Statusbar"},
    {160, 168, "ViewIcon"},    {160, 169, "Refresh"},     {140, 141, "SrtName"},       {140, 142, "SrtExt"},
    {140, 143, "SrtNameNew"},  {140, 145, "SrtTimeC"},    {140, 144, "SrtTime"},       {140, 146, "SrtTimeA"},
    {140, 147, "SrtSize"},     {140, 148, "SrtAttr"},     {140, 149, "SrtType"},       {140, 150, "SrtPath"},
    {140, 152, "SrtRevers"},   {170, 178, "ConnDrv"},     {170, 179, "DiscDrv"},       {170, 172, "GoTo"},
    {180, 181, "OptToolbar"},  {180, 182, "Font"},        {180, 183, "Config"},        {180, 184, "CfgFilter"},
    {180, 186, "OptBack"},     {180, 187, "OptRest"},     {180, 185, "Language"},      {0, 30000, "TaskList"},
    {190, 192, "HelpKeys"},    {190, 194, "ChkUpd"},      {190, 196, "About"},         {0, 0, "-"},
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
  SendMessageW(toolbar, TB_CHECKBUTTON, 161, MAKELPARAM(!(options & kOptionFolderTreeHidden), 0));
  SendMessageW(toolbar, TB_CHECKBUTTON, 162, MAKELPARAM((options & kOptionRecursive) != 0, 0));
  SendMessageW(toolbar, TB_CHECKBUTTON, 163, MAKELPARAM((options & kOptionSelectedOnly) != 0, 0));
  SendMessageW(toolbar, TB_CHECKBUTTON, 164, MAKELPARAM((options & kOptionFilterApplied) != 0, 0));
}

void ApplyAlwaysOnTop(HWND window) {
  const HWND order = (g_app->options & kOptionAlwaysOnTop) ? HWND_TOPMOST : HWND_NOTOPMOST;
  SetWindowPos(window, order, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void SetViewMenuChecks(HMENU popup, int position) {
  constexpr int kViewMenuPosition = 2;
  if (position != kViewMenuPosition || !g_app) return;
  const uint32_t options = g_app->options;
  CheckItem(popup, 161, IsWindowShown(g_app->paneWindows[0]));
  CheckItem(popup, 162, (options & kOptionRecursive) != 0);
  CheckItem(popup, 163, (options & kOptionSelectedOnly) != 0);
  CheckItem(popup, 164, (options & kOptionFilterApplied) != 0);
  CheckItem(popup, 165, BarShown(g_mainToolbar.toolbar, g_mainToolbar.shown));
  CheckItem(popup, 166, BarShown(g_addressBar.window, g_addressBar.shown));
  CheckItem(popup, 167, BarShown(g_statusBar.window, g_statusBar.shown));
  CheckItem(popup, 168, !(options & kOptionFileIconsOff));
  CheckSortChoice(popup, g_app->fileList);
}

void StoreOptionWord() {
  ProfileSetOptInt(&g_settingsStore, kMainSection, static_cast<int32_t>(g_app->options));
}
