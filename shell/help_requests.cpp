#include "shell/help_requests.h"

#include "foundation/core/app_state.h"
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
constexpr int kOptionsCommand = 183;
constexpr int kFirstOptionsControl = 5100;
constexpr int kLastOptionsControl = 5598;

int MenuItemTopic(int id) {
  switch (id) {
    case 102: case 103: case 104: case 105: case 107: case 110: case 161: case 162: case 163:
      return kTopicFiles;
    case 106: case 121: case 123: case 124: case 125: case 126: case 127: case 171:
      return kTopicRenaming;
    case 164: case 184:
      return kTopicFilter;
    case 181:
      return kTopicToolbar;
    case kOptionsCommand:
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
