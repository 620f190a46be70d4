#include "shell/global_objects.h"

#include <windows.h>

#include <cstdio>
#include <array>
#include <cstdlib>
#include <utility>

#include "foundation/core/trace_file.h"
#include "foundation/ui/file_type_table.h"
#include "foundation/ui/header_columns.h"
#include "foundation/win32/menu_icons.h"
#include "foundation/profile/profile_store.h"
#include "foundation/win32/system_functions.h"
#include "foundation/win32/theme_object.h"
#include "metadata/field_references.h"
#include "shell/folder_history.h"
#include "shell/keyboard_hook.h"
#include "shell/pane_layout.h"
#include "shell/recent_files.h"
#include "shell/toolbar_descriptor.h"
#include "views/address_bar.h"
#include "views/status_bar.h"

namespace {

constexpr int kGlobalObjectCount = 13;

struct GlobalObject {
  const char* name;
  void (*build)();
  void (*destroy)();
};

void Nothing() {}

constexpr GlobalObject kGlobalObjects[kGlobalObjectCount] = {
    {"menu-icon holder", [] { InitMenuIconHelper(&g_menuIcons); }, [] { DestroyMenuIconHelper(&g_menuIcons); }},
    {"field-reference list", [] { CreateFieldReferenceList(); }, DestroyFieldReferenceList},
    {"keyboard-hook state", [] { InitKeyHookState(&g_keyHookState); }, [] { ReleaseKeyHookState(&g_keyHookState); }},
    {"recent-files table", [] { InitRecentFiles(&g_recentFiles, kRecentFileLimit); },
     [] { FreeRecentFiles(&g_recentFiles); }},
    {"profile store", ConstructSettingsStore, DestroySettingsStore},
    {"recent-folders list", [] { InitFolderHistory(&g_folderHistory, "Recent"); },
     [] { FreeFolderHistory(&g_folderHistory); }},
    {"sort-arrow holder", [] { GetSortArrowHolder(); }, [] { DestroySortArrowHolder(GetSortArrowHolder()); }},
    {"address bar", [] { InitAddressBar(&g_addressBar); }, [] { DestroyAddressBar(&g_addressBar); }},
    {"toolbar", [] { InitMainToolbarDescriptor(&g_mainToolbar, &g_settingsStore); },
     [] { DestroyToolbarDescriptor(&g_mainToolbar); }},
    {"status bar", [] { InitStatusBar(&g_statusBar, StatusBarLayoutCallback); }, [] { DestroyStatusBar(&g_statusBar); }},
    {"file-type name cache", [] { ConstructFileTypeTable(&g_fileTypes); }, [] { DestroyFileTypeTable(&g_fileTypes); }},
    {"optional kernel32 functions", InitOptionalKernelFunctions, Nothing},
    {"theme object", [] { ConstructThemeObject(); }, DestroyThemeObject},
};

// The name of object n (1-based) in the start-up order.
const char* GlobalObjectName(int n) { return kGlobalObjects[n - 1].name; }

void TraceStep(const char* what, int n) {
  char line[96];
  snprintf(line, sizeof line, "%s %d %s", what, n, GlobalObjectName(n));
  AppendTraceLine(line);
}

template <size_t Index>
void ExitHandler() {
  kGlobalObjects[Index].destroy();
  TraceStep("destroyed", static_cast<int>(Index) + 1);
}

template <size_t... Indexes>
constexpr auto MakeExitHandlers(std::index_sequence<Indexes...>) {
  return std::array<void (*)(), sizeof...(Indexes)>{ExitHandler<Indexes>...};
}

constexpr auto kExitHandlers = MakeExitHandlers(std::make_index_sequence<kGlobalObjectCount>());

}  // namespace

void BuildGlobalObjects() {
  for (int i = 0; i < kGlobalObjectCount; ++i) {
    kGlobalObjects[i].build();
    TraceStep("built", i + 1);
    atexit(kExitHandlers[i]);
  }
}
