#include "foundation/ui/help_topics.h"

#include <htmlhelp.h>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/language_files.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/files/paths.h"
#include "foundation/ui/ui_seams.h"
#include "foundation/win32/window_wrappers.h"
#include "foundation/core/windows_version.h"

namespace {

constexpr int kShellFileCapacity = 1025;
constexpr int kCommandLineCapacity = 1100;
// Option bit: the help window belongs to the program's window.
constexpr uint32_t kOptionAttachHelp = 0x100;
// From this version code on (Vista) WinHelpW is gone and the "WinHelp" program stands in.
constexpr int kFirstVersionWithoutWinHelp = 14;
constexpr UINT kWinHelpContents = 3;
constexpr int kShowHelpProgram = SW_SHOW;
constexpr UINT kPositionOnly = SWP_NOMOVE | SWP_NOSIZE;

bool HelpWindowAttached() { return g_app && (g_app->options & kOptionAttachHelp); }

void BringHelpWindowForward(HWND help) {
  if (!IsWindowSafe(help)) return;
  BringWindowToFront(help);
  SetWindowPos(help, HWND_TOPMOST, 0, 0, 0, 0, kPositionOnly);
  SetWindowPos(help, HWND_NOTOPMOST, 0, 0, 0, 0, kPositionOnly);
  SetWindowPos(help, HWND_TOP, 0, 0, 0, 0, kPositionOnly);
}

bool RunShell(HWND window, const wchar_t* file, const wchar_t* parameters, int show) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = window;
  info.lpFile = file;
  info.lpParameters = parameters;
  info.nShow = show;
  return g_uiSeams.shellExecuteExW(&info) != FALSE;
}

INT_PTR OpenChm(HWND window, const wchar_t* path, int topic) {
  const UINT command = topic == 0 ? HH_DISPLAY_TOPIC : HH_HELP_CONTEXT;
  HWND help = ShowHelpWindow(window, path, command, static_cast<DWORD_PTR>(topic), HelpWindowAttached());
  return reinterpret_cast<INT_PTR>(help);
}

INT_PTR OpenHlp(HWND window, const wchar_t* path, int) { return ShowWinHelp(window, path, kWinHelpContents, 0); }

INT_PTR OpenHtm(HWND window, const wchar_t* path, int) { return ShellOpen(window, path); }

struct HelpKind {
  const char* extension;
  INT_PTR (*open)(HWND window, const wchar_t* path, int topic);
};

const HelpKind kHelpKinds[] = {{"CHM", OpenChm}, {"HLP", OpenHlp}, {"HTM", OpenHtm}};

}  // namespace

INT_PTR OpenHelpFile(HWND window, const char* code, bool noFallback, int topic) {
  wchar_t path[kPathCapacity];
  for (const HelpKind& kind : kHelpKinds) {
    if (LanguageFilePath(code, kind.extension, path, kPathCapacity, noFallback) != 0) continue;
    const INT_PTR opened = kind.open(window, path, topic);
    if (opened) return opened;
  }
  return 0;
}

namespace {

// Help that cannot be shown is said, with the file the program looks for first.
void SayNoHelp(HWND window, const char* code) {
  wchar_t path[kPathCapacity];
  LanguageFilePath(code, kHelpKinds[0].extension, path, kPathCapacity, true);
  ShowMessageWithPath(window, kTextNoHelp, nullptr, path, nullptr, MB_ICONINFORMATION);
}

}  // namespace

INT_PTR ShowHelpTopic(HWND window, const char* code, int topic) {
  INT_PTR opened = OpenHelpFile(window, code, true, topic);
  if (!opened) opened = OpenHelpFile(window, code, false, topic);
  if (!opened) SayNoHelp(window, code);
  return opened;
}

int ShowCheckListHelp(HWND window) {
  ShowHelpTopic(window, g_app ? g_app->languageCode : "", kCheckListHelpTopic);
  return 1;
}

HWND ShowHelpWindow(HWND window, const wchar_t* file, UINT command, DWORD_PTR data, bool attach) {
  if (attach) return g_uiSeams.htmlHelpW(window, file, command, data);
  HWND help = g_uiSeams.htmlHelpW(GetDesktopWindow(), file, command, data);
  BringHelpWindowForward(help);
  return help;
}

bool ShowWinHelp(HWND window, const wchar_t* file, UINT command, ULONG_PTR data) {
  if (!file) return false;
  if (GetWindowsVersionCodeCached() < kFirstVersionWithoutWinHelp)
    return g_uiSeams.winHelpW(window, file, command, data) != FALSE;
  wchar_t argument[kCommandLineCapacity];
  QuoteTextIfNeeded(file, argument, kCommandLineCapacity);
  return RunShell(window, L"WinHelp", argument, kShowHelpProgram);
}

bool ShellOpen(HWND window, const wchar_t* file) {
  if (!file) return false;
  wchar_t bounded[kShellFileCapacity];
  CopyWideString(file, bounded, kShellFileCapacity);
  return RunShell(window, bounded, nullptr, SW_SHOWNORMAL);
}
