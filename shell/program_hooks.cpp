#include "shell/program_hooks.h"

#include "engine/engine_hooks.h"
#include "engine/file_list_fields.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/jobs.h"
#include "metadata/plugin_host.h"
#include "shell/closing.h"
#include "shell/file_list_notifications.h"
#include "shell/folder_history.h"
#include "shell/main_commands.h"
#include "shell/main_lists.h"
#include "shell/main_window_proc.h"
#include "shell/recent_files.h"
#include "shell/status_notices.h"
#include "views/folder_listing.h"
#include "views/view_hooks.h"

namespace {

void InstallEngineHooks() {
  EngineHooks& hooks = g_engineHooks;
  hooks.updateMenuStates = UpdateMainMenuStates;
  hooks.updateProblemCountNotice = UpdateProblemCountNotice;
  hooks.addRecentFile = [](const wchar_t* path) { AddRecentFile(&g_recentFiles, path); };
  hooks.removeRecentFile = [](const wchar_t* path) { RemoveRecentFile(&g_recentFiles, path); };
  hooks.saveChangedChain = [] { SaveChangedSettingsOnClose(g_mainWindow); };
}

void InstallViewHooks() {
  ViewHooks& hooks = g_viewHooks;
  hooks.listingEnded = RunListingFollowUps;
  hooks.applyViewOptions = [] { ApplyViewOptions(g_mainWindow); };
  hooks.addRecentFolder = [](const wchar_t* folder) { AddRecentEntry(&g_folderHistory, folder); };
  hooks.addFieldColumn = AddFileListFieldColumn;
  hooks.describeFieldColumn = DescribeFileListFieldColumn;
  hooks.fieldSortValue = FileListFieldSortValue;
  hooks.fileCellText = FileListCellText;
}

void InstallPluginNotices() {
  PluginNotices& notices = g_pluginNotices;
  notices.loadRunsLong = ShowPluginLoadingNotice;
  notices.longLoadEnded = EndPluginLoadingNotice;
  // The preview asks again for the values it went on without.
  notices.passedOverAnswered = [] { MarkSettingsChanged(0); };
}

void InstallJobNotices() {
  JobNotices& notices = g_jobNotices;
  notices.jobStatesChanged = UpdateMainMenuStates;
  notices.jobEnded = [] {
    RunDeferredPreview();
    CloseIfAskedDuringListing();
  };
  notices.resetProgress = ResetProgressNotice;
  notices.setProgressPercent = ShowProgressNotice;
  notices.jobsMayBegin = StartPendingListingSoon;
}

}  // namespace

void InstallProgramHooks() {
  InstallJobNotices();
  InstallEngineHooks();
  InstallViewHooks();
  InstallPluginNotices();
  RegisterModuleFieldSource();
}
