// Worker threads, late freeing, brief mutex waits and work sent to the GUI thread.
//
// Workers are started and never joined. Blocks that lock-free readers may still hold are freed half a
// minute late. Mutex waits never last more than 50 ms, so the GUI thread never blocks long on a list.
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

// Frees a heap block (from AllocZeroed) 32 x 997 ms from now on a thread of its own; null does nothing.
void FreeLater(void* block);

// The late-freeing thread: 32 sleeps of 997 ms, then FreeAndNull of the block.
DWORD WINAPI FreeLaterThreadProc(void* block);

// Replaces what FreeLater does with a block (never called with null); null restores the late free.
// Returns the previous handler. Tests use it to see the blocks without waiting half a minute.
using FreeLaterHandler = void (*)(void* block);
FreeLaterHandler SetFreeLaterHandler(FreeLaterHandler handler);

// Waits at most 50 ms for a mutex. Only a timeout fails: a null handle, an abandoned mutex and a failed
// wait all count as acquired.
bool WaitMutexBriefly(HANDLE mutex);
void ReleaseMutexSafe(HANDLE mutex);

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

// The main window procedure's answer to kRunOnGuiThreadMessage: runs the function inside the guard
// (0 when it throws or faults).
LRESULT HandleRunOnGuiThreadMessage(WPARAM wParam, LPARAM lParam);
