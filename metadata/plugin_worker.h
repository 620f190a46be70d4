// The thread of the host that runs the calls into one content plug-in (its load included), so that a plug-in
// that hangs costs the caller one bounded wait instead of the program. The caller hands a task and waits at
// most kPluginAnswerMs for it; a call that does not end in that time, or whose thread ended inside it (a
// stack overflow), leaves the worker stuck: its thread is left where it is, never killed, since it may hold
// locks, and every later call fails at once. A stuck worker and the memory its task uses stay for the rest of
// the process, so a task's data lives in a block that is never freed while the worker is stuck.
#pragma once
#include <windows.h>

// How long one call into a plug-in may take before the plug-in counts as not answering.
constexpr DWORD kPluginAnswerMs = 1500;

struct PluginWorker;

enum PluginCallOutcome {
  kPluginAnswered = 0,
  kPluginNotAnswering = 1,  // the call did not end in time, or an earlier one did not
  kPluginThreadEnded = 2,   // the worker's thread ended inside the call (a fault that could not be caught)
};

// A worker with its thread waiting; null when the thread cannot start.
PluginWorker* CreatePluginWorker();
// Runs task(context) on the worker and waits for it within the bound. One call at a time: the caller keeps
// other callers of the same worker out.
PluginCallOutcome RunOnPluginWorker(PluginWorker* worker, void (*task)(void* context), void* context);
bool IsPluginWorkerStuck(const PluginWorker* worker);
// Ends a worker that is not stuck (its thread returns and frees it); a stuck worker is left alone. Null does
// nothing.
void ReleasePluginWorker(PluginWorker* worker);
