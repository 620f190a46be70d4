#include "metadata/plugin_worker.h"

#include "foundation/core/memory.h"

struct PluginWorker {
  HANDLE thread;
  HANDLE wake;  // a task is pending, or the worker is to end
  HANDLE done;  // the task returned
  void (*task)(void* context);
  void* context;
  volatile LONG ending;
  volatile LONG stuck;
};

namespace {

constexpr SIZE_T kWorkerStackBytes = 1024 * 1024;
// Room that stays for the handler when a plug-in overflows the worker's stack.
constexpr ULONG kOverflowReserveBytes = 64 * 1024;
constexpr DWORD kOverflowExitCode = EXCEPTION_STACK_OVERFLOW;

DWORD g_workerSlot = TLS_OUT_OF_INDEXES;

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

DWORD WINAPI PluginWorkerProc(void* parameter) {
  PluginWorker* worker = static_cast<PluginWorker*>(parameter);
  if (g_workerSlot != TLS_OUT_OF_INDEXES) TlsSetValue(g_workerSlot, worker);
  ULONG reserve = kOverflowReserveBytes;
  SetThreadStackGuarantee(&reserve);
  for (;;) {
    WaitForSingleObject(worker->wake, INFINITE);
    if (worker->ending != 0) break;
    worker->task(worker->context);
    SetEvent(worker->done);
  }
  FreeWorker(worker);
  return 0;
}

PluginCallOutcome WaitForAnswer(PluginWorker* worker) {
  HANDLE waits[] = {worker->done, worker->thread};
  switch (WaitForMultipleObjects(2, waits, FALSE, kPluginAnswerMs)) {
    case WAIT_OBJECT_0:
      return kPluginAnswered;
    case WAIT_OBJECT_0 + 1:
      return kPluginThreadEnded;
    default:
      return kPluginNotAnswering;
  }
}

}  // namespace

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
  worker->task = task;
  worker->context = context;
  SetEvent(worker->wake);
  const PluginCallOutcome outcome = WaitForAnswer(worker);
  if (outcome != kPluginAnswered) InterlockedExchange(&worker->stuck, 1);
  return outcome;
}

bool IsPluginWorkerStuck(const PluginWorker* worker) { return worker->stuck != 0; }

void ReleasePluginWorker(PluginWorker* worker) {
  if (worker == nullptr || worker->stuck != 0) return;
  InterlockedExchange(&worker->ending, 1);
  SetEvent(worker->wake);
}
