#include "metadata/plugin_worker.h"

#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"

// Calls are handed over through two counters: `posted` counts the tasks handed to the worker, `finished` the
// tasks it completed. Both sides spin a moment before they sleep, so that a run of quick calls (a value for
// each listed file) never waits for the system to wake a thread; a side that sleeps says so first, and the other
// side signals its event only then.
struct PluginWorker {
  HANDLE thread;
  HANDLE wake;  // the worker sleeps: a task was posted, or the worker is to end
  HANDLE done;  // the caller sleeps: the task returned
  void (*task)(void* context);
  void* context;
  volatile LONG posted;
  volatile LONG finished;
  volatile LONG workerSleeps;
  volatile LONG callerSleeps;
  volatile LONG ending;
  volatile LONG stuck;
  volatile LONG signs;  // steps of long tasks done
};

namespace {

constexpr SIZE_T kWorkerStackBytes = 1024 * 1024;
// Room that stays for the handler when a plug-in overflows the worker's stack.
constexpr ULONG kOverflowReserveBytes = 64 * 1024;
constexpr DWORD kOverflowExitCode = EXCEPTION_STACK_OVERFLOW;
// How often a side looks again before it sleeps (some tens of microseconds).
constexpr int kSpinRounds = 4000;
// While a bound runs the caller looks at the clock at least this often, so that a stand-in clock is seen.
constexpr DWORD kBoundLookMs = 50;
// What a wait that also ends on messages wakes for: messages sent to the thread, and input (to be dropped).
constexpr DWORD kWakingMessages = QS_SENDMESSAGE | QS_INPUT;

DWORD g_workerSlot = TLS_OUT_OF_INDEXES;
PluginClock volatile g_clock = nullptr;

// A stack overflow cannot be unwound on the stack that overflowed: the worker's thread ends there, which its
// caller sees as a call that will never answer. On other threads the overflow goes its usual way.
LONG CALLBACK EndWorkerOnOverflow(EXCEPTION_POINTERS* pointers) {
  if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) return EXCEPTION_CONTINUE_SEARCH;
  if (g_workerSlot == TLS_OUT_OF_INDEXES || TlsGetValue(g_workerSlot) == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  ExitThread(kOverflowExitCode);
}

BOOL CALLBACK SetUpWorkerSlot(INIT_ONCE*, void*, void**) {
  g_workerSlot = TlsAlloc();
  if (g_workerSlot != TLS_OUT_OF_INDEXES) AddVectoredExceptionHandler(1, EndWorkerOnOverflow);
  return TRUE;
}

void FreeWorker(PluginWorker* worker) {
  CloseHandle(worker->wake);
  CloseHandle(worker->done);
  if (worker->thread != nullptr) CloseHandle(worker->thread);
  FreeAndNull(&worker);
}

// True once ready() holds, looking again for a moment; false when it still does not.
template <typename Ready>
bool SpinUntil(Ready ready) {
  for (int round = 0; round < kSpinRounds; ++round) {
    if (ready()) return true;
    YieldProcessor();
  }
  return ready();
}

// Sleeps on `event` unless ready() holds once the other side can see that this side sleeps; false when the
// wait ended by time, by `alsoEnds` or by a message (then the index of what ended it is in *ended: 1 for
// `alsoEnds`, 2 for a message).
template <typename Ready>
bool SleepUntil(volatile LONG* sleeps, HANDLE event, HANDLE alsoEnds, DWORD timeoutMs, bool wakeOnMessages,
                Ready ready, DWORD* ended) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  bool isReady = ready();
  while (!isReady) {
    InterlockedExchange(sleeps, 1);
    isReady = ready();
    const ULONGLONG now = GetTickCount64();
    if (!isReady) {
      const DWORD left = timeoutMs == INFINITE ? INFINITE : (now < deadline ? static_cast<DWORD>(deadline - now) : 0);
      HANDLE waits[] = {event, alsoEnds};
      const DWORD count = alsoEnds != nullptr ? 2 : 1;
      *ended = wakeOnMessages ? MsgWaitForMultipleObjects(count, waits, FALSE, left, kWakingMessages)
                              : WaitForMultipleObjects(count, waits, FALSE, left);
      if (*ended != WAIT_OBJECT_0) {
        InterlockedExchange(sleeps, 0);
        return ready();
      }
      isReady = ready();
    }
    InterlockedExchange(sleeps, 0);
  }
  return true;
}

DWORD WINAPI PluginWorkerProc(void* parameter) {
  PluginWorker* worker = static_cast<PluginWorker*>(parameter);
  if (g_workerSlot != TLS_OUT_OF_INDEXES) TlsSetValue(g_workerSlot, worker);
  ULONG reserve = kOverflowReserveBytes;
  SetThreadStackGuarantee(&reserve);
  LONG taken = 0;
  const auto pending = [&] { return worker->ending != 0 || worker->posted != taken; };
  for (;;) {
    DWORD ended = WAIT_OBJECT_0;
    if (!SpinUntil(pending)) SleepUntil(&worker->workerSleeps, worker->wake, nullptr, INFINITE, false, pending, &ended);
    if (worker->ending != 0) break;
    taken = worker->posted;
    worker->task(worker->context);
    InterlockedExchange(&worker->finished, taken);
    if (worker->callerSleeps != 0) SetEvent(worker->done);
  }
  FreeWorker(worker);
  return 0;
}

}  // namespace

void SetPluginClock(PluginClock clock) { g_clock = clock; }

ULONGLONG PluginClockNow() {
  const PluginClock clock = g_clock;
  return clock != nullptr ? clock() : GetTickCount64();
}

PluginWorker* CreatePluginWorker() {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  InitOnceExecuteOnce(&once, SetUpWorkerSlot, nullptr, nullptr);
  PluginWorker* worker = static_cast<PluginWorker*>(AllocZeroed(sizeof(PluginWorker)));
  if (worker == nullptr) return nullptr;
  worker->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  worker->done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (worker->wake != nullptr && worker->done != nullptr) {
    worker->thread = CreateThread(nullptr, kWorkerStackBytes, PluginWorkerProc, worker,
                                  STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  }
  if (worker->thread != nullptr) return worker;
  FreeWorker(worker);
  return nullptr;
}

PluginCallOutcome RunOnPluginWorker(PluginWorker* worker, void (*task)(void* context), void* context) {
  if (worker->stuck != 0) return kPluginNotAnswering;
  const ULONGLONG postedAt = PluginClockNow();
  PostPluginTask(worker, task, context);
  const PluginCallOutcome outcome = WaitForPluginTaskInBound(worker, postedAt);
  if (outcome != kPluginAnswered) MarkPluginWorkerStuck(worker);
  return outcome;
}

void PostPluginTask(PluginWorker* worker, void (*task)(void* context), void* context) {
  worker->task = task;
  worker->context = context;
  InterlockedIncrement(&worker->posted);
  if (worker->workerSleeps != 0) SetEvent(worker->wake);
}

PluginCallOutcome WaitForPluginTask(PluginWorker* worker, DWORD waitMs, bool wakeOnMessages) {
  const LONG ticket = worker->posted;
  const auto answered = [&] { return worker->finished == ticket; };
  if (SpinUntil(answered)) return kPluginAnswered;
  DWORD ended = WAIT_OBJECT_0;
  if (SleepUntil(&worker->callerSleeps, worker->done, worker->thread, waitMs, wakeOnMessages, answered, &ended)) {
    return kPluginAnswered;
  }
  return ended == WAIT_OBJECT_0 + 1 ? kPluginThreadEnded : kPluginStillBusy;
}

PluginCallOutcome WaitForPluginTaskInBound(PluginWorker* worker, ULONGLONG postedAt) {
  LONG signs = worker->signs;
  ULONGLONG lastSign = postedAt;
  for (;;) {
    const PluginCallOutcome outcome = WaitForPluginTask(worker, kBoundLookMs, false);
    if (outcome != kPluginStillBusy) return outcome;
    const ULONGLONG now = PluginClockNow();
    if (worker->signs != signs) {
      signs = worker->signs;
      lastSign = now;
    } else if (now > lastSign && now - lastSign >= kPluginAnswerMs) {
      return kPluginNotAnswering;
    }
  }
}

void SignPluginTaskAlive(PluginWorker* worker) { InterlockedIncrement(&worker->signs); }

void MarkPluginWorkerStuck(PluginWorker* worker) { InterlockedExchange(&worker->stuck, 1); }

bool IsPluginWorkerStuck(const PluginWorker* worker) { return worker->stuck != 0; }

void ReleasePluginWorker(PluginWorker* worker) {
  if (worker == nullptr || worker->stuck != 0) return;
  InterlockedExchange(&worker->ending, 1);
  SetEvent(worker->wake);
}
