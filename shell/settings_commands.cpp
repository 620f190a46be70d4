#include "shell/settings_commands.h"

#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/providers/file_creation.h"
#include "foundation/ui/file_dialogs.h"
#include "foundation/files/file_io.h"
#include "foundation/files/file_texts.h"
#include "foundation/files/system_errors.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/files/paths.h"
#include "foundation/profile/profile_store.h"
#include "foundation/providers/providers.h"
#include "foundation/core/threads.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/theme.h"
#include "shell/app_run.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/shortcut_page.h"
#include "shell/profile_notices.h"
#include "shell/settings_values.h"

namespace {

constexpr wchar_t kStoreFilter[] = L"INI (*.INI)\0*.INI\0";
constexpr int kQuestionCapacity = 256;
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr int kMainSectionLength = sizeof kMainSection - 1;

SettingsStore* Store() { return &g_settingsStore; }

// The chosen file, which starts as the store's own file; false when the dialog was left.
bool ChooseStoreFile(HWND window, bool save, wchar_t* path, wchar_t* storePath) {
  ProfileGetFileName(Store(), storePath, kPathCapacity);
  CopyWideBounded(storePath, path, kPathCapacity);
  const int chosen = save ? ShowSaveFileDialog(window, path, kPathCapacity, kStoreFilter, nullptr, 1)
                          : ShowOpenFileDialog(window, path, kPathCapacity, kStoreFilter, nullptr, false);
  return chosen != 0;
}

// The restart drops what the store holds in memory once the closing window has written into it, so that the
// next run reads the file anew.
int RestartOnStoreFile(HWND window, const wchar_t* storePath) {
  const int restarted = RestartMainWindow(window);
  if (restarted != 0) return restarted;
  ProfileSwitchFile(Store(), L"");
  ProfileSwitchFile(Store(), storePath);
  return 0;
}

// The question of command IDM_RESET_SETTINGS: its tooltip part (or its menu text) without decorations, and "?".
void ResetQuestion(wchar_t* question) {
  wchar_t text[kQuestionCapacity];
  GetUiText(kTextResetSettings, text, kQuestionCapacity);
  const wchar_t* part = text;
  wchar_t* second = nullptr;
  for (wchar_t* c = text; *c; ++c) {
    if (*c != L';') continue;
    if (second) {
      part = c + 1;
      break;
    }
    *c = 0;
    second = c;
  }
  if (part == text && second) *second = 0;
  CopyWideBounded(part, question, kQuestionCapacity);
  StripMenuTextDecorations(question);
  AppendWideBounded(L"?", question, kQuestionCapacity);
}

// The save dialog has asked before a file of that name is replaced: the copy is written beside it and then
// takes its place in one step, so that a failure leaves the old file as it was.
int CopyOntoChosenFile(const wchar_t* source, const wchar_t* chosen) {
  uint32_t size = 0;
  uint8_t* bytes = ReadWholeFile(source, &size);
  if (bytes == nullptr) return static_cast<int>(MapLastError(ERROR_READ_FAULT));
  const int written = WriteWholeFile(chosen, bytes, size);
  FreeAndNull(&bytes);
  return written;
}

}  // namespace

int ExportSettingsStore(HWND window) {
  wchar_t path[kPathCapacity];
  wchar_t storePath[kPathCapacity];
  if (!ChooseStoreFile(window, true, path, storePath)) return ERROR_CANCELLED;
  SaveSettings(Store(), window);
  if (EqualsIgnoreCaseWide(path, storePath)) return 0;
  const int copied = CopyOntoChosenFile(storePath, path);
  if (copied != 0) ShowLastErrorMessage(window, static_cast<DWORD>(copied), path);
  return copied;
}

bool IsSettingsStoreFile(const wchar_t* path) {
  uint8_t* bytes = ReadWholeFile(path, nullptr);
  if (bytes == nullptr) return false;
  const char* line = reinterpret_cast<const char*>(bytes);
  if (strncmp(line, kUtf8Mark, 3) == 0) line += 3;
  bool found = false;
  while (line != nullptr && !found) {
    while (*line == ' ' || *line == '\t') ++line;
    found = *line == '[' && EqualsIgnoreCaseNarrow(line + 1, kMainSection, kMainSectionLength) &&
            line[1 + kMainSectionLength] == ']';
    line = strchr(line, '\n');
    if (line != nullptr) ++line;
  }
  FreeAndNull(&bytes);
  return found;
}

int ImportSettingsStore(HWND window) {
  if (IsJobBusy()) return ERROR_BUSY;
  wchar_t path[kPathCapacity];
  wchar_t storePath[kPathCapacity];
  if (!ChooseStoreFile(window, false, path, storePath) || EqualsIgnoreCaseWide(path, storePath)) {
    return ERROR_CANCELLED;
  }
  if (!IsSettingsStoreFile(path)) {
    ShowMessageWithPath(window, kTextNoStoredSettings, nullptr, path, nullptr, MB_OK | MB_ICONWARNING);
    return ERROR_INVALID_DATA;
  }
  const int copied = VfsCopy(nullptr, path, storePath, nullptr, nullptr, nullptr);
  if (copied != 0) {
    ShowLastErrorMessage(window, static_cast<DWORD>(copied), storePath);
    return copied;
  }
  return RestartOnStoreFile(window, storePath);
}

int ResetSettings(HWND window) {
  if (IsJobBusy()) return ERROR_BUSY;
  wchar_t question[kQuestionCapacity];
  ResetQuestion(question);
  if (ShowMessageBoxWide(window, question, g_app->title, MB_YESNO | MB_ICONQUESTION) != IDYES) return ERROR_CANCELLED;
  wchar_t storePath[kPathCapacity];
  ProfileGetFileName(Store(), storePath, kPathCapacity);
  HANDLE file = INVALID_HANDLE_VALUE;
  const int created = FileCreateForWrite(&file, window, storePath);
  CloseHandleSafe(file);
  if (created != 0) return created;
  return RestartOnStoreFile(window, storePath);
}

void SetDisplayMode(HWND window, int mode) {
  if (IsJobBusy() || mode == g_app->displayMode) return;
  g_app->displayMode = mode;
  StoreDisplayModeSetting(mode);
  SaveSettings(Store(), window);
  const bool wasDark = IsDarkModeOn();
  const bool dark = SetDarkModePreference(AppModeOfDisplayMode(mode)) != 0;
  if (dark != wasDark) {
    RestartForThemeChange(window, dark);
    return;
  }
  ApplyWindowTheme(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void RestartForThemeChange(HWND window, bool dark) {
  SetOptionBits(kOptionSystemMenus, dark);
  StoreOptionWord();
  SaveSettings(Store(), window);
  ClearThemeColorCache();
  RestartMainWindow(window);
}
