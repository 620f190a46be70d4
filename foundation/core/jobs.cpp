#include "foundation/core/jobs.h"

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/core/threads.h"

namespace {

constexpr DWORD kJobPollMs = 10;

// Job threads whose routine has not yet returned.
volatile LONG g_jobThreads = 0;

// Holds taken and not yet let go.
volatile LONG g_jobHolds = 0;

struct JobStart {
  LPTHREAD_START_ROUTINE routine;
  void* parameter;
};

struct PendingRelease {
  void (*release)(void* block);
  void* block;
  PendingRelease* next;
};

// What waits for every job thread to return; the GUI thread's alone.
PendingRelease* g_pendingReleases = nullptr;

void RunPendingReleases() {
  while (PendingRelease* pending = g_pendingReleases) {
    g_pendingReleases = pending->next;
    pending->release(pending->block);
    FreeAndNull(&pending);
  }
}

DWORD WINAPI RunCountedJob(void* start) {
  const JobStart job = *static_cast<JobStart*>(start);
  FreeAndNull(&start);
  const DWORD result = job.routine(job.parameter);
  InterlockedDecrement(&g_jobThreads);
  return result;
}

}  // namespace

JobNotices g_jobNotices;

bool IsJobBusy() { return g_app != nullptr && g_app->busyCounter != 0; }

bool BeginExclusiveJob() {
  if (g_app == nullptr || g_jobHolds != 0 || InterlockedCompareExchange(&g_app->busyCounter, 1, 0) != 0) return false;
  // A hold taken on another thread while the counter was taken: its holder may have seen no job.
  if (g_jobHolds != 0) {
    InterlockedDecrement(&g_app->busyCounter);
    return false;
  }
  // A Stop that ended an earlier job must not cut this one short.
  InterlockedExchange(&g_app->cancelCounter, 0);
  CallHookGuarded(g_jobNotices.jobStatesChanged);
  return true;
}

void EndExclusiveJob() {
  InterlockedDecrement(&g_app->busyCounter);
  CallHookGuarded(g_jobNotices.jobStatesChanged);
  CallHookGuarded(g_jobNotices.jobEnded);
  CallHookGuarded(g_jobNotices.jobsMayBegin);
}

bool StartExclusiveJob(LPTHREAD_START_ROUTINE job, void* parameter) {
  if (!BeginExclusiveJob()) return false;
  HANDLE thread = GuardedCall<HANDLE>(nullptr, [&] { return StartJobThread(job, parameter); });
  if (thread == nullptr) {
    EndExclusiveJob();
    return false;
  }
  CloseHandleSafe(thread);
  return true;
}

HANDLE StartJobThread(LPTHREAD_START_ROUTINE routine, void* parameter) {
  auto* start = static_cast<JobStart*>(AllocZeroed(sizeof(JobStart)));
  if (start == nullptr) return nullptr;
  *start = {routine, parameter};
  InterlockedIncrement(&g_jobThreads);
  HANDLE thread = StartThread(RunCountedJob, start);
  if (thread == nullptr) {
    InterlockedDecrement(&g_jobThreads);
    FreeAndNull(&start);
  }
  return thread;
}

bool StopJobsAndWait(DWORD timeoutMs) {
  if (g_app != nullptr) InterlockedIncrement(&g_app->cancelCounter);
  for (DWORD waited = 0; g_jobThreads != 0; waited += kJobPollMs) {
    if (waited >= timeoutMs) return false;
    Sleep(kJobPollMs);
  }
  RunPendingReleases();
  return true;
}

void ReleaseAfterJobThreads(void (*release)(void* block), void* block) {
  if (g_jobThreads == 0) {
    release(block);
    return;
  }
  auto* pending = static_cast<PendingRelease*>(AllocZeroed(sizeof(PendingRelease)));
  // Without room to note it, the block stays for the process's life: a job thread may read it.
  if (pending == nullptr) return;
  *pending = {release, block, g_pendingReleases};
  g_pendingReleases = pending;
}

void HoldJobsBack() { InterlockedIncrement(&g_jobHolds); }

// The hold is taken before the busy counter is read, and a job's start reads the holds after it took the
// counter: of the two, at least one sees the other.
bool HoldOffJobs() {
  HoldJobsBack();
  if (!IsJobBusy()) return true;
  EndHoldingOffJobs();
  return false;
}

void EndHoldingOffJobs() {
  // A busy job tells when it ends.
  if (InterlockedDecrement(&g_jobHolds) == 0 && !IsJobBusy()) CallHookGuarded(g_jobNotices.jobsMayBegin);
}

void RequestJobStop() {
  if (IsJobBusy()) InterlockedIncrement(&g_app->cancelCounter);
}

bool JobStopRequested() { return g_app != nullptr && g_app->cancelCounter != 0; }

void ShowJobProgress(uint32_t done, uint32_t total) {
  if (done == 0) CallHookGuarded(g_jobNotices.resetProgress);
  const uint64_t percent = total == 0 ? 0 : static_cast<uint64_t>(done) * 100 / total;
  CallHookGuarded(g_jobNotices.setProgressPercent, static_cast<uint32_t>(percent));
}
