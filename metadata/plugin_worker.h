// The thread of the host that runs the calls into one content plug-in (its load included), so that a plug-in
// that hangs costs the caller one bounded wait instead of the program. The caller hands a task and waits for it;
// a task that gives no sign of life for kPluginAnswerMs, or whose thread ended inside it (a stack overflow),
// leaves the worker stuck: its thread is left where it is, never killed, since it may hold locks, and every
// later call fails at once. A stuck worker and the memory its task uses stay for the rest of the process, so a
// task's data lives in a block that is never freed while the worker is stuck.
//
// A task's sign of life is its end, or a step of a long task (each value of a batch): the bound measures each
// step, so a batch of many values is caught as soon as one of them does not answer.
#pragma once
#include <windows.h>

// How long one call into a plug-in (one value of a batch) may take before the plug-in counts as not answering.
constexpr DWORD kPluginAnswerMs = 1500;

struct PluginWorker;

enum PluginCallOutcome {
  kPluginAnswered = 0,
  kPluginNotAnswering = 1,  // the call did not end in time, or an earlier one did not
  kPluginThreadEnded = 2,   // the worker's thread ended inside the call (a fault that could not be caught)
  kPluginStillBusy = 3,     // a wait ended before the call: nothing is decided yet
};

// The clock the bounds are measured by, in milliseconds: the system's, or a stand-in that a test moves by hand
// (null gives the system's back).
using PluginClock = ULONGLONG (*)();
void SetPluginClock(PluginClock clock);
ULONGLONG PluginClockNow();

// A worker with its thread waiting; null when the thread cannot start.
PluginWorker* CreatePluginWorker();
// Runs task(context) on the worker and waits for it within the bound; a call that does not answer leaves the
// worker stuck. One call at a time: the caller keeps other callers of the same worker out.
PluginCallOutcome RunOnPluginWorker(PluginWorker* worker, void (*task)(void* context), void* context);

// The parts of RunOnPluginWorker, for callers that wait in their own way. Hands the task over without waiting.
void PostPluginTask(PluginWorker* worker, void (*task)(void* context), void* context);
// Waits at most `waitMs` for the posted task; with `wakeOnMessages` the wait also ends (kPluginStillBusy) when a
// message arrives for the calling thread.
PluginCallOutcome WaitForPluginTask(PluginWorker* worker, DWORD waitMs, bool wakeOnMessages);
// Waits for the posted task until it answers, its thread ends, or no sign of life came for kPluginAnswerMs
// (the clock counts from `postedAt`); the worker is not marked.
PluginCallOutcome WaitForPluginTaskInBound(PluginWorker* worker, ULONGLONG postedAt);
// Said by a task on the worker's thread after each step of a long task.
void SignPluginTaskAlive(PluginWorker* worker);
// From now on every call fails at once and the worker's thread is left alone.
void MarkPluginWorkerStuck(PluginWorker* worker);

bool IsPluginWorkerStuck(const PluginWorker* worker);
// Ends a worker that is not stuck (its thread returns and frees it); a stuck worker is left alone. Null does
// nothing.
void ReleasePluginWorker(PluginWorker* worker);
