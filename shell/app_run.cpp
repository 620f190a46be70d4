#include "shell/app_run.h"

#include <cstring>

#include "foundation/app_state.h"
#include "foundation/memory.h"
#include "foundation/profile_store.h"
#include "foundation/providers.h"
#include "foundation/resource_library.h"
#include "foundation/window_wrappers.h"
#include "shell/main_window.h"
#include "shell/shell_hooks.h"

namespace {

WPARAM RunMessageLoop() {
  MSG message = {};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return message.wParam;
}

bool IsResourceLibraryTable(const UiStringTable* table) {
  const ResourceLibrary* library = LoadResourceLibrary();
  if (!library) return false;
  for (const ResourceLanguage* language = library->languages; language->table; ++language) {
    if (language->table == table) return true;
  }
  return false;
}

// A table loaded from a language file is the program's own.
void FreeUiStringTable() {
  if (g_app->uiStrings && !IsResourceLibraryTable(g_app->uiStrings)) {
    auto* own = const_cast<UiStringTable*>(g_app->uiStrings);
    FreeAndNull(&own);
  }
  g_app->uiStrings = nullptr;
}

void EndRun() {
  ShutdownProviders();
  EndMainWindowOle();
  if (g_app->problemIcon) DestroyIcon(g_app->problemIcon);
  g_app->problemIcon = nullptr;
  FreeUiStringTable();
  CallShellHook(g_shellHooks.freeMainMenu);
}

}  // namespace

int RunWithRestarts(HINSTANCE instance, int showCommand) {
  g_app = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
  if (!g_app) return 0;
  int result = 0;
  for (;;) {
    result = RunApplication(instance, showCommand);
    if (g_app->restartCounter == 0) break;
    ProfileResumeFileAccess(&g_settingsStore);
    memset(g_app, 0, sizeof *g_app);
  }
  FreeAndNull(&g_app);
  return result;
}

int RunApplication(HINSTANCE instance, int showCommand) {
  InitFileSystemProviders();
  g_app->closingCount = 0;
  g_mainWindow = CreateMainWindow(instance, showCommand);
  CallShellHook(g_shellHooks.installKeyboardHook);
  const int result = g_mainWindow ? static_cast<int>(RunMessageLoop()) : 1;
  // A run that ended while its window was still being created leaves the window behind.
  DestroyWindowIfAlive(g_mainWindow);
  g_mainWindow = nullptr;
  EndRun();
  return result;
}

int RestartMainWindow(HWND window) {
  if (g_app->busyCounter != 0) return ERROR_BUSY;
  ++g_app->restartCounter;
  ProfileSuppressFileAccess(&g_settingsStore);
  DestroyWindow(window);
  return 0;
}
