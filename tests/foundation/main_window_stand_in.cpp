#include "main_window_stand_in.h"

#include "foundation/core/app_state.h"
#include "foundation/core/threads.h"

namespace {

volatile LONG g_callsRun = 0;

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunOnGuiThreadMessage) {
    InterlockedIncrement(&g_callsRun);
    return HandleRunOnGuiThreadMessage(wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* RegisterStandInClass() {
  static const wchar_t kClassName[] = L"QvrxTestMainWindow";
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = StandInProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);
  return kClassName;
}

// Removes one message of any window of this thread and dispatches it; true when there was one.
bool PumpOneMessage() {
  MSG message;
  if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

}  // namespace

MainWindowStandIn::MainWindowStandIn() {
  g_callsRun = 0;
  window_ = CreateWindowExW(0, RegisterStandInClass(), L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  g_mainWindow = window_;
}

MainWindowStandIn::~MainWindowStandIn() {
  g_mainWindow = nullptr;
  DestroyWindow(window_);
}

long MainWindowStandIn::CallsRun() const { return g_callsRun; }

bool MainWindowStandIn::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    if (!PumpOneMessage()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

WorkerThread::WorkerThread(std::function<void()> work) : work_(std::move(work)) {
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

WorkerThread::~WorkerThread() {
  Join();
  CloseHandle(thread_);
}

DWORD WINAPI WorkerThread::Run(void* self) {
  static_cast<WorkerThread*>(self)->work_();
  return 0;
}

bool WorkerThread::Finished() const { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }

void WorkerThread::Join() { WaitForSingleObject(thread_, INFINITE); }

MutexHeldElsewhere::MutexHeldElsewhere(HANDLE mutex)
    : mutex_(mutex), taken_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  thread_ = CreateThread(nullptr, 0, Hold, this, 0, nullptr);
  WaitForSingleObject(taken_, INFINITE);
}

MutexHeldElsewhere::~MutexHeldElsewhere() {
  SetEvent(release_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  CloseHandle(taken_);
  CloseHandle(release_);
}

DWORD WINAPI MutexHeldElsewhere::Hold(void* self) {
  MutexHeldElsewhere* holder = static_cast<MutexHeldElsewhere*>(self);
  WaitForSingleObject(holder->mutex_, INFINITE);
  SetEvent(holder->taken_);
  WaitForSingleObject(holder->release_, INFINITE);
  ReleaseMutex(holder->mutex_);
  return 0;
}
