#include "shell/chain_commands.h"

#include "engine/chain_files.h"
#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/file_dialogs.h"
#include "foundation/files/file_io.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/files/paths.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/closing.h"
#include "shell/command_trees.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "shell/settings_values.h"
#include "views/items_view.h"

namespace {

constexpr wchar_t kSettingsFilePattern[] = L"*.zqr";
constexpr wchar_t kSettingsFileExtension[] = L".zqr";
constexpr int kOfferCursorOffset = 50;
constexpr int kDialogTitleCapacity = 80;

// "Quorvex (*.zqr)" and the pattern, as the file dialogs take them.
void SettingsFileFilter(wchar_t* filter, int capacity) {
  CopyWideBounded(g_app->title, filter, capacity);
  AppendWideBounded(L" (", filter, capacity);
  AppendWideBounded(kSettingsFilePattern, filter, capacity);
  AppendWideBounded(L")", filter, capacity);
  const int description = static_cast<int>(WideLength(filter)) + 1;
  if (description + static_cast<int>(WideLength(kSettingsFilePattern)) + 2 > capacity) return;
  CopyWideBounded(kSettingsFilePattern, filter + description, capacity - description);
  filter[description + WideLength(kSettingsFilePattern) + 1] = 0;
}

// The folder stored as "Save", when it still exists; else empty.
void ReadSaveFolder(wchar_t* folder, int capacity) {
  LoadSaveFolderSetting(folder, capacity);
  const DWORD attributes = GetFileAttributesLong(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) folder[0] = 0;
}

void StoreSaveFolder(const wchar_t* file) {
  wchar_t folder[kPathCapacity];
  CopyWideBounded(file, folder, kPathCapacity);
  folder[FileNameOffset(folder)] = 0;
  RemoveTrailingBackslash(folder);
  StoreSaveFolderSetting(folder);
}

bool ModuleHasDialog(uint32_t index) {
  return index < static_cast<uint32_t>(kModuleSlotCount) && g_moduleDescriptors[index].showDialog != nullptr;
}

}  // namespace

int SelectedStepIndex() {
  const ItemListControl* chain = AppChainList();
  if (!chain) return -1;
  const int focused = chain->focusedIndex;
  return focused >= 0 && static_cast<uint32_t>(focused) < CountSteps() ? focused : -1;
}

void ClearChain(HWND) {
  if (!AppChainList() || ChainChangesRefused()) return;
  SaveChangedSettingsOnClose(g_mainWindow);
  if (!DeleteAllSteps()) return;
  g_app->settingsFileCurrent = 0;
  MarkSettingsChanged(1);
}

void OpenSettingsFile(HWND window) {
  wchar_t path[kPathCapacity];
  ReadSaveFolder(path, kPathCapacity);
  if (path[0] != 0) AddTrailingBackslash(path, kPathCapacity);
  AppendWideBounded(kSettingsFilePattern, path, kPathCapacity);
  wchar_t filter[kDialogTitleCapacity];
  SettingsFileFilter(filter, kDialogTitleCapacity);
  wchar_t title[kDialogTitleCapacity];
  GetUiTooltipText(IDM_OPEN_SETTINGS, title, kDialogTitleCapacity);
  if (ShowOpenFileDialog(window, path, kPathCapacity, filter, title, false) == 0) return;
  LoadSettingsFile(window, path);
}

int SaveSettingsAs(HWND window) {
  // An empty chain writes no file: saying so beats a dialog whose choice would do nothing.
  if (CountSteps() == 0) {
    ShowMessageWithPath(window, kTextNothingToSave, nullptr, nullptr, nullptr, MB_OK | MB_ICONINFORMATION);
    return ERROR_CANCELLED;
  }
  wchar_t path[kPathCapacity];
  ReadSaveFolder(path, kPathCapacity);
  wchar_t filter[kDialogTitleCapacity];
  SettingsFileFilter(filter, kDialogTitleCapacity);
  wchar_t title[kDialogTitleCapacity];
  GetUiTooltipText(IDM_SAVE_SETTINGS, title, kDialogTitleCapacity);
  // The dialog adds the extension itself, so it asks before a file of the completed name is replaced.
  if (ShowSaveFileDialog(window, path, kPathCapacity, filter, title, 1, kSettingsFileExtension + 1) == 0) {
    return ERROR_CANCELLED;
  }
  StoreSaveFolder(path);
  const int result = WriteModuleChainFile(path);
  if (result == 0 && CountSteps() > 0) AddRecentFile(&g_recentFiles, path);
  return result;
}

void ShowAddModuleMenu(HWND window) {
  MenuItemRecord* modules = BuildModuleMenuItems();
  if (!modules) return;
  const int chosen = ShowPopupMenuAtCursor(window, nullptr, modules, nullptr, TPM_LEFTALIGN);
  FreeCommandTree(modules);
  if (chosen >= IDM_ADD_MODULE_FIRST && chosen <= IDM_ADD_MODULE_LAST) AddModuleByCommand(window, chosen);
}

void AddModuleByCommand(HWND window, int commandId) {
  ItemListControl* chain = AppChainList();
  if (!chain || ChainChangesRefused()) return;
  const uint32_t module = static_cast<uint32_t>(commandId - IDM_ADD_MODULE_FIRST);
  ModuleInstance* settings = CreateDefaultModule(module);
  if (!settings) return;
  const int selected = SelectedStepIndex();
  const int row = InsertStepIntoList(settings, selected >= 0 ? selected + 1 : -1, true);
  if (row < 0) {
    FreeModuleInstance(settings);
    return;
  }
  ItemsViewFocusItem(chain, row, false);
  if (ModuleHasDialog(module) && EditStep(window, row) == 0) ItemsViewDeleteItem(chain, row, false);
  MarkSettingsChanged(1);
}

void RemoveSelectedStep(HWND) {
  ItemListControl* chain = AppChainList();
  const int selected = SelectedStepIndex();
  if (selected < 0 || ChainChangesRefused()) return;
  if (ItemsViewDeleteItem(chain, selected, false) == 0) MarkSettingsChanged(1);
}

void OfferModuleMenuIfChainEmpty(HWND window) {
  ItemListControl* chain = AppChainList();
  if (!chain || g_app->moduleOfferCount++ != 0 || CountSteps() != 0) return;
  RECT frame = {};
  if (GetWindowRect(chain->window, &frame)) SetCursorPos(frame.left + kOfferCursorOffset, frame.top);
  PostWindowMessage(window, WM_COMMAND, IDM_ADD_STEP, 0);
}
