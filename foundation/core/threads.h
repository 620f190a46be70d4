// Worker threads, late freeing, brief mutex waits and work sent to the GUI thread.
//
// Workers are started and never joined. Blocks that lock-free readers may still hold are freed half a
// minute late. Waits for a list's mutex never last more than 50 ms, so the GUI thread never blocks long on a
// list. A lock held for a scope is released on every way out of it, a caught fault included.
// Work that must run on the GUI thread (moving a list's bytes while it may be painted) is sent to the
// main window as kRunOnGuiThreadMessage and runs there synchronously.
#pragma once
#include <windows.h>

#include <cstdint>

// Sent to the main window: wParam is a GuiThreadFunction, lParam its argument; the result is the function's.
constexpr UINT kRunOnGuiThreadMessage = WM_USER + 8;

using GuiThreadFunction = LRESULT (*)(void* argument);

// Starts a worker thread with the default stack; the handle is returned and nobody closes or waits on it.
HANDLE StartThread(LPTHREAD_START_ROUTINE routine, void* parameter);

// Waits at most 50 ms for a mutex. Only a timeout fails: a null handle, an abandoned mutex and a failed
// wait all count as acquired.
constexpr DWORD kBriefMutexWaitMs = 50;
bool WaitMutexBriefly(HANDLE mutex);
void ReleaseMutexSafe(HANDLE mutex);

// Holds a mutex for a scope: waits for it at most `waitMs` (INFINITE: until it is had; as WaitMutexBriefly, only
// a timeout fails) and releases it at the end of the scope, or, when a fault ends the scope early, in the guard
// that caught the fault (foundation/core/guard.h).
class MutexHold {
 public:
  MutexHold(HANDLE mutex, DWORD waitMs);
  ~MutexHold() { Release(); }
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;
  bool Held() const { return held_; }
  void Release();

 private:
  HANDLE mutex_;
  bool held_;
  bool owned_;
};

// CloseHandle unless the handle is null or INVALID_HANDLE_VALUE.
void CloseHandleSafe(HANDLE handle);

// Runs function(argument) on the main window's thread and returns its result. It runs on the calling
// thread when there is no main window (also when it is gone) or when the caller is the main window's thread.
// While the GUI thread holds back sent work, the caller waits and sends it again.
LRESULT RunOnGuiThread(GuiThreadFunction function, void* argument);
// Said by the GUI thread around a wait in which it handles the messages sent to it but must not run other
// threads' work (which may need what it waits for, such as the system's loader): work sent meanwhile is
// refused and sent again once every hold has ended. Holds nest.
void HoldGuiThreadWork(bool hold);

// Posts function(argument) to the main window's thread, where it runs when that thread next takes its messages
// (also inside a modal dialog); its result goes nowhere. False, and nothing runs, without a main window.
bool PostToGuiThread(GuiThreadFunction function, void* argument);
// True on the main window's thread (false without a main window).
bool OnGuiThread();

// The main window procedure's answer to kRunOnGuiThreadMessage: runs the function inside the guard
// (0 when it throws or faults).
LRESULT HandleRunOnGuiThreadMessage(WPARAM wParam, LPARAM lParam);
