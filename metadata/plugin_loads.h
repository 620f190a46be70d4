// Loads and frees of content-plug-in libraries. A load may take much longer than a call into a plug-in (it happens
// once: a network share, a virus scanner, a cold disk), so it is not bound by kPluginAnswerMs. The window's thread,
// when it is the one waiting, keeps answering the messages sent to it meanwhile (input is dropped, as a modal box
// refuses it); painting, posted messages and the work this program's other threads send it wait for the load's
// end, since any of them may need the loader, which the library's entry point holds while it runs. Past the bound
// the shell hears which plug-in is loading (PluginNotices), and a watch on a thread of its own probes the system's
// loader from yet another thread: a small system library loaded and freed again, which waits while any library's
// entry point runs. A probe that has waited kLoaderHeldMs shows the loader held, and it may stay held for good, and
// with it every later load, resource lookup (message boxes included) and thread start of the process: the program
// run ends at once, its settings saved, and the user hears of it at the next start (the load mark stays). The watch
// decides also when the waiting thread itself waits for the loader. A load not back kLoaderHeldMs after the bound
// while the loader is free counts as not answering.
//
// The watch's list of loads under way is under its lock; the probe belongs to the watch's thread.
#pragma once
#include <windows.h>

#include "metadata/plugin_worker.h"

// How long a probe of the system's loader may wait before the loader counts as held.
constexpr DWORD kLoaderHeldMs = 20000;

enum LoadOutcome {
  kLoadAnswered,
  kLoadHoldsLoader,   // the loader stayed held: the run has ended (when there is a main window)
  kLoadNotAnswering,  // not back kLoaderHeldMs after the bound while the loader was free
  kLoadThreadEnded,   // the worker's thread ended inside the loader, which it may have left held
};

// Runs task(context), the load or free of the library of plug-in `name` (the name shown), on the worker and
// waits for it as above. The worker is not marked.
LoadOutcome RunLoadOnPluginWorker(PluginWorker* worker, void (*task)(void* context), void* context,
                                  const wchar_t* name);

// A load that holds the system's loader: what is configured is saved and the process ends (nothing while there
// is no main window).
void EndRunAfterBlockedLoad();
