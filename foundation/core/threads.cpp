#include "foundation/core/threads.h"

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"

namespace {

constexpr int kFreeLaterSleeps = 32;
constexpr DWORD kFreeLaterSleepMs = 997;

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
  return !mutex || WaitForSingleObject(mutex, kBriefMutexWaitMs) != WAIT_TIMEOUT;
}

void ReleaseMutexSafe(HANDLE mutex) {
  if (mutex) ReleaseMutex(mutex);
}

namespace {

void ReleaseNotedMutex(void* mutex) { ReleaseMutex(static_cast<HANDLE>(mutex)); }

void LeaveNotedCriticalSection(void* section) { LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(section)); }

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

CriticalSectionHold::CriticalSectionHold(CRITICAL_SECTION* section) : section_(section) {
  EnterCriticalSection(section);
  NoteLockTaken(section, LeaveNotedCriticalSection);
}

CriticalSectionHold::~CriticalSectionHold() {
  NoteLockReleased(section_);
  LeaveCriticalSection(section_);
}

void CloseHandleSafe(HANDLE handle) {
  if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

LRESULT RunOnGuiThread(GuiThreadFunction function, void* argument) {
  HWND window = g_mainWindow;
  DWORD windowThread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  // No main window (or one already destroyed), or the caller is its thread: run here.
  if (windowThread == 0 || windowThread == GetCurrentThreadId()) return function(argument);
  SetLastError(ERROR_SUCCESS);
  LRESULT result = SendMessageW(window, kRunOnGuiThreadMessage, reinterpret_cast<WPARAM>(function),
                                reinterpret_cast<LPARAM>(argument));
  // The window can be destroyed between the test above and the send; then nobody has run the function.
  if (result == 0 && GetLastError() == ERROR_INVALID_WINDOW_HANDLE) return function(argument);
  return result;
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
