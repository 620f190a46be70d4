#include "shell/closing.h"

#include "engine/chain_files.h"
#include "foundation/core/app_state.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_text_ids.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "shell/splitters.h"
#include "views/column_layout_text.h"

void SaveChangedSettingsOnClose(HWND window) {
  if (!g_app || g_app->settingsChanged == 0) return;
  const wchar_t* file = g_app->settingsFileCurrent ? FirstRecentFile(&g_recentFiles) : nullptr;
  const bool save = file && ShowMessageWithPath(window, kTextSaveChangedSteps, nullptr, file, nullptr,
                                                MB_YESNO | MB_ICONQUESTION) == IDYES;
  SaveModuleChainToSettings();
  if (save) WriteModuleChainFile(file);
}

void OnMainWindowClose(HWND window) {
  ++g_app->closingCount;
  if (g_app->settingsFileCurrent) SaveChangedSettingsOnClose(window);
  // Stored now rather than at the end, so that a chain that cannot be stored is told while the window shows.
  if (SaveModuleChainToSettings() != 0)
    ShowMessageWithPath(window, kTextStepsNotStored, nullptr, nullptr, nullptr, MB_OK | MB_ICONWARNING);
  SaveColumnLayoutToProfile(g_app->fileList, kMainSection);
  // A splitter drag still under way ends where it is, so its place is stored with the rest.
  SplitterButtonUp(window);
  // A menu still open would go on with a window that is gone.
  EndMenu();
  ShowWindow(window, SW_HIDE);
}
