#include "foundation/core/threads.h"

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"

namespace {

// How often a thread whose work the GUI thread holds back looks whether the window is still there.
constexpr DWORD kHeldWorkLookMs = 50;

// Holds of the GUI thread's sent work: the count is the GUI thread's; the event, set while the count is 0,
// wakes the senders.
struct GuiWorkHold {
  volatile LONG count;
  HANDLE resumed;
};
GuiWorkHold g_guiWorkHold = {0, nullptr};

BOOL CALLBACK CreateResumedEvent(INIT_ONCE*, void*, void**) {
  g_guiWorkHold.resumed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  return TRUE;
}

HANDLE ResumedEvent() {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  InitOnceExecuteOnce(&once, CreateResumedEvent, nullptr, nullptr);
  return g_guiWorkHold.resumed;
}

// Work another thread sends, with word whether the GUI thread ran it.
struct SentWork {
  GuiThreadFunction function;
  void* argument;
  bool ran;
};

LRESULT RunSentWork(void* argument) {
  SentWork* work = static_cast<SentWork*>(argument);
  if (g_guiWorkHold.count != 0 && InSendMessage()) return 0;
  work->ran = true;
  return work->function(work->argument);
}

}  // namespace

HANDLE StartThread(LPTHREAD_START_ROUTINE routine, void* parameter) {
  return CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
}

bool WaitMutexBriefly(HANDLE mutex) {
  return !mutex || WaitForSingleObject(mutex, kBriefMutexWaitMs) != WAIT_TIMEOUT;
}

void ReleaseMutexSafe(HANDLE mutex) {
  if (mutex) ReleaseMutex(mutex);
}

namespace {

void ReleaseNotedMutex(void* mutex) { ReleaseMutex(static_cast<HANDLE>(mutex)); }

}  // namespace

MutexHold::MutexHold(HANDLE mutex, DWORD waitMs) : mutex_(mutex), held_(true), owned_(false) {
  if (!mutex) return;
  const DWORD waited = WaitForSingleObject(mutex, waitMs);
  held_ = waited != WAIT_TIMEOUT;
  owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  if (owned_) NoteLockTaken(mutex, ReleaseNotedMutex);
}

void MutexHold::Release() {
  if (!owned_) return;
  owned_ = false;
  NoteLockReleased(mutex_);
  ReleaseMutex(mutex_);
}

void CloseHandleSafe(HANDLE handle) {
  if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

LRESULT RunOnGuiThread(GuiThreadFunction function, void* argument) {
  HWND window = g_mainWindow;
  DWORD windowThread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  // No main window (or one already destroyed), or the caller is its thread: run here.
  if (windowThread == 0 || windowThread == GetCurrentThreadId()) return function(argument);
  SentWork work = {function, argument, false};
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const LRESULT result = SendMessageW(window, kRunOnGuiThreadMessage, reinterpret_cast<WPARAM>(RunSentWork),
                                        reinterpret_cast<LPARAM>(&work));
    if (work.ran) return result;
    // The window can be destroyed between the test above and the send; then nobody has run the function.
    if (GetLastError() == ERROR_INVALID_WINDOW_HANDLE || !IsWindow(window)) return function(argument);
    WaitForSingleObject(ResumedEvent(), kHeldWorkLookMs);
  }
}

void HoldGuiThreadWork(bool hold) {
  HANDLE resumed = ResumedEvent();
  const LONG count = hold ? InterlockedIncrement(&g_guiWorkHold.count) : InterlockedDecrement(&g_guiWorkHold.count);
  if (resumed == nullptr) return;
  if (count == 0) {
    SetEvent(resumed);
  } else if (hold && count == 1) {
    ResetEvent(resumed);
  }
}

bool OnGuiThread() {
  HWND window = g_mainWindow;
  return window != nullptr && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

bool PostToGuiThread(GuiThreadFunction function, void* argument) {
  HWND window = g_mainWindow;
  return window != nullptr && PostMessageW(window, kRunOnGuiThreadMessage, reinterpret_cast<WPARAM>(function),
                                           reinterpret_cast<LPARAM>(argument)) != FALSE;
}

LRESULT HandleRunOnGuiThreadMessage(WPARAM wParam, LPARAM lParam) {
  GuiThreadFunction function = reinterpret_cast<GuiThreadFunction>(wParam);
  if (!function) return 0;
  void* argument = reinterpret_cast<void*>(lParam);
  return GuardedCall<LRESULT>(0, [&] { return function(argument); });
}
