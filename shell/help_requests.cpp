#include "shell/help_requests.h"

#include "foundation/core/app_state.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/help_topics.h"
#include "shell/options_pages.h"

namespace {

constexpr int kTopicContents = 0;
constexpr int kTopicGeneral = 1;
constexpr int kTopicFilter = 3;
constexpr int kTopicDateDialog = 4;
constexpr int kTopicFiles = 5;
constexpr int kTopicRenaming = 6;
constexpr int kTopicToolbar = 19;
constexpr int kFirstOptionsControl = 5100;
constexpr int kLastOptionsControl = 5598;

int MenuItemTopic(int id) {
  switch (id) {
    case IDM_NEW_LIST: case IDM_OPEN_SETTINGS: case IDM_SAVE_SETTINGS: case IDM_RENAME_IN_PLACE: case IDM_EXPORT_LIST:
    case IDM_PROPERTIES: case IDM_FOLDER_TREE: case IDM_SUBFOLDERS: case IDM_SELECTED_ONLY:
      return kTopicFiles;
    case IDM_START_RENAMING: case IDM_UNDO: case IDM_ADD_STEP: case IDM_EDIT_STEP: case IDM_REMOVE_STEP:
    case IDM_STEP_UP: case IDM_STEP_DOWN: case IDM_STOP:
      return kTopicRenaming;
    case IDM_APPLY_FILTER: case IDM_FILTER:
      return kTopicFilter;
    case IDM_TOOLBAR_BUTTONS:
      return kTopicToolbar;
    case IDM_OPTIONS:
      return GetOptionsPageHelpTopic();
  }
  return kTopicGeneral;
}

int ControlTopic(int id) {
  if (id >= 2300 && id <= 2366) return kTopicFilter;
  if (id >= 2200 && id <= 2219) return kTopicDateDialog;
  if (id >= kFirstOptionsControl && id <= kLastOptionsControl) return GetOptionsPageHelpTopic();
  return kTopicContents;
}

}  // namespace

int HelpTopicForRequest(const HELPINFO* info) {
  if (!info) return kTopicContents;
  return info->iContextType == HELPINFO_MENUITEM ? MenuItemTopic(info->iCtrlId) : ControlTopic(info->iCtrlId);
}

void ShowHelpForRequest(HWND window, const HELPINFO* info) {
  ShowHelpTopic(window, g_app->languageCode, HelpTopicForRequest(info));
}
