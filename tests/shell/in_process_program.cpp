#include "in_process_program.h"

#include "foundation/core/system_seams.h"
#include "foundation/profile/profile_store.h"
#include "foundation/core/threads.h"
#include "foundation/win32/theme_object.h"
#include "shell/app_run.h"
#include "shell/toolbar_descriptor.h"
#include "shell/keyboard_hook.h"
#include "shell/pane_layout.h"
#include "support/process_driver.h"
#include "views/address_bar.h"
#include "views/status_bar.h"

namespace {

// The program inside the test process is started without arguments, not with the test's.
LPWSTR WINAPI ProgramNameOnly() {
  static wchar_t line[] = L"QVRX.exe";
  return line;
}

LRESULT RunWork(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}

}  // namespace

InProcessProgram::InProcessProgram(const std::wstring& profilePath)
    : ended_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), commandLine_(g_systemSeams.getCommandLineW) {
  g_systemSeams.getCommandLineW = ProgramNameOnly;
  ProfileStoreConstruct(&g_settingsStore, profilePath.c_str(), kProfileMainStore | kProfileNoAutoLocation);
  InitMainToolbarDescriptor(&g_mainToolbar, &g_settingsStore);
  InitKeyHookState(&g_keyHookState);
  ownsTheme_ = !g_theme && ConstructThemeObject();
  // The bars' objects, which the program builds before it starts.
  InitAddressBar(&g_addressBar);
  InitStatusBar(&g_statusBar, StatusBarLayoutCallback);
}

InProcessProgram::~InProcessProgram() {
  Finish();
  DestroyToolbarDescriptor(&g_mainToolbar);
  ReleaseKeyHookState(&g_keyHookState);
  DestroyStatusBar(&g_statusBar);
  DestroyAddressBar(&g_addressBar);
  ProfileStoreDestroy(&g_settingsStore);
  if (ownsTheme_) DestroyThemeObject();
  CloseHandle(ended_);
  g_systemSeams.getCommandLineW = commandLine_;
}

void InProcessProgram::Start() {
  thread_ = std::thread([this] {
    threadId_ = GetCurrentThreadId();
    result_ = RunWithRestarts(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    SetEvent(ended_);
  });
}

HWND InProcessProgram::WaitForMainWindow(HWND other) {
  for (int i = 0; i < 500; ++i) {
    HWND window = FindProcessWindow(GetCurrentProcessId(), L"QVRX",
                                    [other](HWND w) { return w != other && IsWindowVisible(w) != FALSE; });
    if (window) return window;
    Sleep(20);
  }
  return nullptr;
}

void InProcessProgram::OnGuiThread(HWND window, const std::function<void()>& work) {
  SendMessageW(window, kRunOnGuiThreadMessage, reinterpret_cast<WPARAM>(&RunWork),
               reinterpret_cast<LPARAM>(&work));
}

int InProcessProgram::Finish() {
  if (!thread_.joinable()) return result_;
  // Longer than the run's own wait for its jobs at the end, which a loaded machine may use up.
  constexpr DWORD kRunEndWaitMs = 30000;
  if (WaitForSingleObject(ended_, kRunEndWaitMs) != WAIT_OBJECT_0) {
    // A run that hangs would hang the test process for good; end it from here.
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
    return -1;
  }
  thread_.join();
  return result_;
}
