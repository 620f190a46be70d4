// The runs of the program: WinMain's loop around RunApplication, one run with its message loop, and the
// restart that ends a run so that the main window is built again in the same process.
#pragma once
#include <windows.h>

// WinMain's work: allocates the zero-filled application state, runs the program, and runs it again while a
// run ended for a restart (the profile store may then reach its file again and the state starts from zero).
// After each run the jobs still running are asked to stop and waited for (at most 10 s) before the state is
// cleared or freed. The last run's exit code; 0 when the state could not be allocated.
int RunWithRestarts(HINSTANCE instance, int showCommand);

// One run: the file-system providers, the main window, the keyboard hook and the message loop, then the
// teardown. The wParam of WM_QUIT; 1 when the main window could not be created.
int RunApplication(HINSTANCE instance, int showCommand);

// Ends the run for a restart: raises the restart counter, suspends the profile store's file access (so that
// the closing window's settings do not reach the file) and destroys the main window. Whatever must survive
// the restart is saved before. 0; ERROR_BUSY (nothing happens) while a worker is busy, as a worker would
// otherwise run on into the next run's state.
int RestartMainWindow(HWND window);
