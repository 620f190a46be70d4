#include "in_process_program.h"

#include "foundation/profile_store.h"
#include "foundation/threads.h"
#include "shell/app_run.h"
#include "support/process_driver.h"

namespace {

LRESULT RunWork(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}

}  // namespace

InProcessProgram::InProcessProgram(const std::wstring& profilePath)
    : ended_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  ProfileStoreConstruct(&g_settingsStore, profilePath.c_str(), kProfileMainStore | kProfileNoAutoLocation);
}

InProcessProgram::~InProcessProgram() {
  Finish();
  ProfileStoreDestroy(&g_settingsStore);
  CloseHandle(ended_);
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
  if (WaitForSingleObject(ended_, 10000) != WAIT_OBJECT_0) {
    // A run that hangs would hang the test process for good; end it from here.
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
    return -1;
  }
  thread_.join();
  return result_;
}
