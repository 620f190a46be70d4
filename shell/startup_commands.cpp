#include "shell/startup_commands.h"

#include "engine/chain_files.h"
#include "engine/chain_list.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/files/file_io.h"
#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/win32/system_functions.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/win32/window_wrappers.h"
#include "metadata/plugin_host.h"
#include "shell/about_box.h"
#include "shell/chain_commands.h"
#include "shell/explorer_integration.h"
#include "shell/folder_navigation.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "views/folder_listing.h"
#include "shell/profile_notices.h"
#include "foundation/files/paths.h"
#include "shell/settings_values.h"

namespace {

void TakeAsStartFolder(const wchar_t* path) {
  const uint32_t length = static_cast<uint32_t>(WideLength(path));
  FreeAndNull(&g_app->startFolder);
  g_app->startFolder = AllocZeroedWide(length + 1);
  if (g_app->startFolder) CopyWideBounded(path, g_app->startFolder, static_cast<int>(length + 1));
}

// Explorer hands a drive to the verb's command as "C:\", and the command line reads the closing quote after
// the backslash as an escaped one: the argument arrives as C:". No path holds a '"', so a trailing one stands
// for the separator.
void TakeArgumentPath(const wchar_t* argument, wchar_t (&path)[kPathCapacity]) {
  CopyWideString(argument, path, kPathCapacity);
  const size_t length = WideLength(path);
  if (length > 0 && path[length - 1] == L'"') path[length - 1] = L'\\';
}

}  // namespace

void OnStartupCommand(HWND window) {
  LoadRecentFiles(&g_recentFiles, window);
  ProcessCommandLine(window);
  StartFolderTreeFill(window);
  // Once the start folder's listing runs: the dialog that gives every dialog the program's icon holds the window's
  // thread for over 10 ms. An argument that may show a dialog has it given first.
  ShowAboutBox(window, true);
  // The store read its file before the window was there.
  TellProfileProblem(&g_settingsStore, window);
}

void RestoreChainAtStartup(HWND window) {
  // Before the stored chain loads its plug-ins.
  AskAboutHeldBackPlugins(window);
  ShowAboutBox(window, true);
  // A settings file named on the command line (loaded whole or in part) is the chain the user asked for.
  if (CountSteps() == 0) RestoreModuleChain();
  if (g_app->moduleOfferCount == 0) OfferModuleMenuIfChainEmpty(window);
  StartRegistrationsUpdate();
  DeleteLrSection();
}

void ProcessCommandLine(HWND window) {
  CommandLineArgs arguments = {};
  if (!ParseCommandLineArgs(&arguments)) return;
  if (arguments.count > 1) ProcessArguments(window, arguments.args + 1, arguments.count - 1);
  FreeCommandLineArgs(&arguments);
}

void ProcessArguments(HWND window, const wchar_t* const* arguments, int count) {
  for (int i = 0; i < count; ++i) {
    if (arguments[i] == nullptr || arguments[i][0] == 0) continue;
    wchar_t path[kPathCapacity];
    TakeArgumentPath(arguments[i], path);
    const DWORD attributes = GetFileAttributesLong(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      TakeAsStartFolder(path);
      return;
    }
    // A message or the dialogs of a settings file may follow.
    ShowAboutBox(window, true);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      // Named to be opened, a path that leads nowhere is told, not passed over in silence.
      ShowLastErrorMessage(window, ERROR_PATH_NOT_FOUND, arguments[i]);
      continue;
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
  LoadLastFolderSetting(folder, capacity);
}
