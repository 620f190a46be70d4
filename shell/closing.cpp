#include "shell/closing.h"

#include "engine/chain_files.h"
#include "foundation/app_state.h"
#include "foundation/message_boxes.h"
#include "foundation/ui_text_ids.h"
#include "shell/recent_files.h"

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
  // A menu still open would go on with a window that is gone.
  EndMenu();
  ShowWindow(window, SW_HIDE);
}
