#include "shell/startup_commands.h"

#include "engine/chain_files.h"
#include "foundation/app_state.h"
#include "foundation/bounded_text.h"
#include "foundation/file_io.h"
#include "foundation/memory.h"
#include "foundation/profile_store.h"
#include "foundation/resource_ids.h"
#include "foundation/system_functions.h"
#include "foundation/ui_operations.h"
#include "foundation/window_wrappers.h"
#include "shell/chain_commands.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "views/folder_listing.h"

namespace {

// Every dialog of the run shows the program's icon: the icon goes to the dialog class through a dialog that
// ends before it shows.
void GiveDialogsTheProgramIcon(HWND window) {
  ShowModalDialog(g_app->instance, IDD_LANGUAGE, window, IconOnlyDialogProc,
                  reinterpret_cast<LPARAM>(g_app->largeIcon));
}

void ListStartFolder() {
  wchar_t folder[kCurrentFolderCapacity];
  TakeStartFolder(folder, kCurrentFolderCapacity);
  if (folder[0] != 0) SetCurrentFolder(folder);
}

void TakeAsStartFolder(const wchar_t* path) {
  const uint32_t length = static_cast<uint32_t>(WideLength(path));
  FreeAndNull(&g_app->startFolder);
  g_app->startFolder = AllocZeroedWide(length + 1);
  if (g_app->startFolder) CopyWideBounded(path, g_app->startFolder, static_cast<int>(length + 1));
}

}  // namespace

void OnStartupCommand(HWND window) {
  LoadRecentFiles(&g_recentFiles, window);
  GiveDialogsTheProgramIcon(window);
  ProcessCommandLine(window);
  ListStartFolder();
}

void RestoreChainAtStartup(HWND window) {
  GiveDialogsTheProgramIcon(window);
  RestoreModuleChain();
  if (g_app->moduleOfferCount == 0) OfferModuleMenuIfChainEmpty(window);
  ProfileDeleteSection(&g_settingsStore, "LR");
}

void ProcessCommandLine(HWND window) {
  CommandLineArgs arguments = {};
  if (!ParseCommandLineArgs(&arguments)) return;
  if (arguments.count > 1) ProcessArguments(window, arguments.args + 1, arguments.count - 1);
  FreeCommandLineArgs(&arguments);
}

void ProcessArguments(HWND window, const wchar_t* const* arguments, int count) {
  for (int i = 0; i < count; ++i) {
    const wchar_t* path = arguments[i];
    const DWORD attributes = path && path[0] ? GetFileAttributesLong(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      TakeAsStartFolder(path);
      return;
    }
    if (LoadSettingsFile(window, path) == 0) return;
  }
}

void TakeStartFolder(wchar_t* folder, int capacity) {
  folder[0] = 0;
  if (g_app->startFolder) {
    CopyWideBounded(g_app->startFolder, folder, capacity);
    FreeAndNull(&g_app->startFolder);
    return;
  }
  ProfileGetPath(&g_settingsStore, kMainSection, "LastFolder", L"", folder, capacity);
}
