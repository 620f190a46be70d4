#include "metadata/plugin_loads.h"

#include "foundation/core/app_state.h"
#include "foundation/core/threads.h"
#include "foundation/profile/profile_store.h"
#include "metadata/plugin_host.h"

namespace {

// How often a thread that waits for a load looks at it (and the window's thread at its messages).
constexpr DWORD kLoadLookMs = 50;
// Small system libraries a loader probe loads; the first one the process has not loaded yet is taken, so that
// the probe goes through the whole loader.
constexpr const wchar_t* kProbeLibraries[] = {L"msimg32.dll", L"version.dll", L"mpr.dll", L"wtsapi32.dll"};

enum LoadVerdict { kLoadGoesOn, kLoaderHeld, kLoadLeftBehind };

// A load or free under way, as the watch sees it; on the stack of the thread that waits for it.
struct PendingLoad {
  PendingLoad* next;
  ULONGLONG postedAt;
  volatile LONG verdict;  // a LoadVerdict, set by the watch
};

// The watch starts before the first load, while the loader is free, and stays for the rest of the process.
struct LoadWatch {
  SRWLOCK lock;
  PendingLoad* loads;
  HANDLE wake;
  bool watching;  // its thread runs; without it the waiting thread judges
};
LoadWatch g_loadWatch = {SRWLOCK_INIT, nullptr, nullptr, false};

// The probe under way: started by the watch, its mark cleared by the probe's thread.
struct LoaderProbe {
  volatile LONG running;
  ULONGLONG startedAt;
};
LoaderProbe g_loaderProbe;

DWORD WINAPI ProbeLoader(void*) {
  const wchar_t* name = kProbeLibraries[0];
  for (const wchar_t* candidate : kProbeLibraries) {
    if (GetModuleHandleW(candidate) != nullptr) continue;
    name = candidate;
    break;
  }
  HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library != nullptr) FreeLibrary(library);
  InterlockedExchange(&g_loaderProbe.running, 0);
  return 0;
}

// How long the loader has been seen held: how long the probe under way has waited, or 0 when none was under
// way (one starts now).
ULONGLONG LoaderHeldFor(ULONGLONG now) {
  if (g_loaderProbe.running != 0) return now > g_loaderProbe.startedAt ? now - g_loaderProbe.startedAt : 0;
  g_loaderProbe.startedAt = now;
  InterlockedExchange(&g_loaderProbe.running, 1);
  HANDLE thread = CreateThread(nullptr, 0, ProbeLoader, nullptr, 0, nullptr);
  if (thread == nullptr) {
    InterlockedExchange(&g_loaderProbe.running, 0);
  } else {
    CloseHandle(thread);
  }
  return 0;
}

// What a load that has run for `elapsed` has come to: once past the bound, the loader is probed; a load still
// under way that long again while probes come back is left behind.
LoadVerdict JudgeLoad(ULONGLONG elapsed, ULONGLONG now) {
  if (elapsed < kPluginAnswerMs) return kLoadGoesOn;
  const ULONGLONG held = LoaderHeldFor(now);
  if (held >= kLoaderHeldMs) return kLoaderHeld;
  return elapsed >= kPluginAnswerMs + kLoaderHeldMs && held < kPluginAnswerMs ? kLoadLeftBehind : kLoadGoesOn;
}

// Judges every load under way; a load that holds the loader ends the run at once.
void JudgePendingLoads() {
  AcquireSRWLockShared(&g_loadWatch.lock);
  const ULONGLONG now = PluginClockNow();
  for (PendingLoad* load = g_loadWatch.loads; load != nullptr; load = load->next) {
    if (load->verdict != kLoadGoesOn) continue;
    const LoadVerdict verdict = JudgeLoad(now > load->postedAt ? now - load->postedAt : 0, now);
    if (verdict == kLoaderHeld) EndRunAfterBlockedLoad();
    InterlockedExchange(&load->verdict, verdict);
  }
  ReleaseSRWLockShared(&g_loadWatch.lock);
}

DWORD WINAPI WatchLoads(void* started) {
  SetEvent(started);
  for (;;) {
    WaitForSingleObject(g_loadWatch.wake, g_loadWatch.loads != nullptr ? kLoadLookMs : INFINITE);
    JudgePendingLoads();
  }
}

BOOL CALLBACK StartLoadWatch(INIT_ONCE*, void*, void**) {
  g_loadWatch.wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  // A new thread runs only once it is through the loader, which the load to be watched may hold for good: the
  // watch must be running before that load starts.
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = g_loadWatch.wake != nullptr && started != nullptr
                      ? CreateThread(nullptr, 0, WatchLoads, started, 0, nullptr)
                      : nullptr;
  g_loadWatch.watching = thread != nullptr && WaitForSingleObject(started, INFINITE) == WAIT_OBJECT_0;
  if (thread != nullptr) CloseHandle(thread);
  if (started != nullptr) CloseHandle(started);
  return TRUE;
}

void WatchLoad(PendingLoad* load) {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  InitOnceExecuteOnce(&once, StartLoadWatch, nullptr, nullptr);
  AcquireSRWLockExclusive(&g_loadWatch.lock);
  load->next = g_loadWatch.loads;
  g_loadWatch.loads = load;
  ReleaseSRWLockExclusive(&g_loadWatch.lock);
  if (g_loadWatch.wake != nullptr) SetEvent(g_loadWatch.wake);
}

void EndWatchingLoad(const PendingLoad* load) {
  AcquireSRWLockExclusive(&g_loadWatch.lock);
  PendingLoad** link = &g_loadWatch.loads;
  while (*link != nullptr && *link != load) link = &(*link)->next;
  if (*link != nullptr) *link = load->next;
  ReleaseSRWLockExclusive(&g_loadWatch.lock);
}

// The window's thread answers the messages sent to it; input is dropped, as a modal box refuses it. Painting and
// posted messages wait for the load's end, and so does work this program's other threads send (HoldGuiThreadWork):
// any of them may need the loader, which the load holds while the library's entry point runs.
void KeepWindowAnswering() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
  }
}

LoadOutcome Outcome(PluginCallOutcome call, LONG verdict) {
  if (call == kPluginAnswered) return kLoadAnswered;
  if (call == kPluginThreadEnded) return kLoadThreadEnded;
  return verdict == kLoadLeftBehind ? kLoadNotAnswering : kLoadHoldsLoader;
}

}  // namespace

LoadOutcome RunLoadOnPluginWorker(PluginWorker* worker, void (*task)(void* context), void* context,
                                  const wchar_t* name) {
  PendingLoad load = {nullptr, PluginClockNow(), kLoadGoesOn};
  WatchLoad(&load);
  PostPluginTask(worker, task, context);
  const bool window = OnGuiThread();
  // Work other threads send the window's thread may need the loader, which the load may hold for long.
  if (window) HoldGuiThreadWork(true);
  bool told = false;
  PluginCallOutcome call = kPluginStillBusy;
  for (;;) {
    call = WaitForPluginTask(worker, kLoadLookMs, window);
    if (call != kPluginStillBusy || load.verdict != kLoadGoesOn) break;
    if (!g_loadWatch.watching) JudgePendingLoads();
    const ULONGLONG now = PluginClockNow();
    if (!told && now > load.postedAt && now - load.postedAt >= kPluginAnswerMs) {
      if (g_pluginNotices.loadRunsLong != nullptr) g_pluginNotices.loadRunsLong(name);
      told = true;
    }
    if (window) KeepWindowAnswering();
  }
  EndWatchingLoad(&load);
  if (window) HoldGuiThreadWork(false);
  if (told && g_pluginNotices.longLoadEnded != nullptr) g_pluginNotices.longLoadEnded();
  return Outcome(call, load.verdict);
}

void EndRunAfterBlockedLoad() {
  if (g_mainWindow == nullptr) return;
  ProfileSave(&g_settingsStore);
  TerminateProcess(GetCurrentProcess(), ERROR_TIMEOUT);
}
