#include "foundation/core/threads.h"

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"

namespace {

constexpr int kFreeLaterSleeps = 32;
constexpr DWORD kFreeLaterSleepMs = 997;
constexpr DWORD kMutexWaitMs = 50;
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

void FreeOnLaterThread(void* block) {
  HANDLE thread = StartThread(FreeLaterThreadProc, block);
  // Nobody waits for this thread; closing the handle only lets the system drop it when the thread ends.
  CloseHandleSafe(thread);
}

FreeLaterHandler g_freeLaterHandler = FreeOnLaterThread;

}  // namespace

HANDLE StartThread(LPTHREAD_START_ROUTINE routine, void* parameter) {
  return CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
}

void FreeLater(void* block) {
  if (block) g_freeLaterHandler(block);
}

DWORD WINAPI FreeLaterThreadProc(void* block) {
  for (int i = 0; i < kFreeLaterSleeps; ++i) Sleep(kFreeLaterSleepMs);
  FreeAndNull(&block);
  return 0;
}

FreeLaterHandler SetFreeLaterHandler(FreeLaterHandler handler) {
  FreeLaterHandler previous = g_freeLaterHandler;
  g_freeLaterHandler = handler ? handler : FreeOnLaterThread;
  return previous;
}

bool WaitMutexBriefly(HANDLE mutex) {
  return !mutex || WaitForSingleObject(mutex, kMutexWaitMs) != WAIT_TIMEOUT;
}

void ReleaseMutexSafe(HANDLE mutex) {
  if (mutex) ReleaseMutex(mutex);
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

LRESULT HandleRunOnGuiThreadMessage(WPARAM wParam, LPARAM lParam) {
  GuiThreadFunction function = reinterpret_cast<GuiThreadFunction>(wParam);
  if (!function) return 0;
  void* argument = reinterpret_cast<void*>(lParam);
  return GuardedCall<LRESULT>(0, [&] { return function(argument); });
}
