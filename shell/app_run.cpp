#include "shell/app_run.h"

#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/providers/providers.h"
#include "foundation/ui/resource_library.h"
#include "foundation/win32/window_wrappers.h"
#include "metadata/plugin_host.h"
#include "shell/command_trees.h"
#include "shell/keyboard_hook.h"
#include "shell/main_window.h"
#include "shell/update_check.h"

namespace {

// How long the end of a run waits for a job that is asked to stop.
constexpr DWORD kJobEndWaitMs = 10000;

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
  FreeMainMenuTree();
}

}  // namespace

int RunWithRestarts(HINSTANCE instance, int showCommand) {
  g_app = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
  if (!g_app) return 0;
  for (;;) {
    const int result = RunApplication(instance, showCommand);
    // A job (a listing, a rename run, an undo) may still run when the window is gone (a run ended by WM_QUIT):
    // it is asked to stop, and the state it works in is cleared or freed only once it has ended.
    const bool ended = StopJobsAndWait(kJobEndWaitMs);
    if (g_app->restartCounter == 0) {
      RemoveUnfinishedProductList();
      // A job that does not end keeps its state block, and the plug-ins it may call, to the end of the process.
      if (ended) {
        UnloadAllPlugins();
        FreeAndNull(&g_app);
      }
      // A plug-in whose load or free never came back may hold the system's loader, for which a normal end of the
      // process would wait for ever; everything is saved by now.
      if (PluginLoaderBlocked()) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
      return result;
    }
    ProfileResumeFileAccess(&g_settingsStore);
    if (ended) {
      memset(g_app, 0, sizeof *g_app);
    } else if (AppState* next = static_cast<AppState*>(AllocZeroed(sizeof(AppState)))) {
      g_app = next;
    } else {
      return result;
    }
  }
}

int RunApplication(HINSTANCE instance, int showCommand) {
  InitFileSystemProviders();
  // Before the window's lists, the command line or the stored chain can load a plug-in that crashed or hung an
  // earlier start.
  HoldBackUnfinishedPluginLoads();
  g_app->closingCount = 0;
  // The menus that the window's creation builds show the shortcuts of this run's table.
  InstallKeyboardHook(&g_keyHookState, instance);
  g_mainWindow = CreateMainWindow(instance, showCommand);
  const int result = g_mainWindow ? static_cast<int>(RunMessageLoop()) : 1;
  // A run that ended while its window was still being created leaves the window behind.
  DestroyWindowIfAlive(g_mainWindow);
  g_mainWindow = nullptr;
  EndRun();
  return result;
}

int RestartMainWindow(HWND window) {
  if (IsJobBusy()) return ERROR_BUSY;
  ++g_app->restartCounter;
  ProfileSuppressFileAccess(&g_settingsStore);
  DestroyWindow(window);
  return 0;
}
