// The main window: its class, its creation sequence and what it saves when it goes.
#pragma once
#include <windows.h>

#include "foundation/profile/profile_store.h"
#include "foundation/profile/program_registrations.h"

constexpr wchar_t kMainWindowClass[] = L"QVRX";
inline constexpr auto& kProgramTitle = kProgramDisplayName;
// The profile section of the main window's settings.
inline constexpr auto& kMainSection = kMainProfileSection;
constexpr int kMainWindowDefaultWidth = 900;
constexpr int kMainWindowDefaultHeight = 600;
constexpr int kMainWindowMinWidth = 400;
constexpr int kMainWindowMinHeight = 300;

// The lParam of the chain's restore the main window posts to itself while it is created.
constexpr LPARAM kRestoreChainAtStart = 2;

// The main window's duty timer: every two seconds.
constexpr UINT_PTR kDutyTimerId = 1;
constexpr UINT kDutyTimerMs = 2000;

// Registers the class and creates and shows the main window at its stored placement ("Pos", default
// 900 x 600): a stored maximised state is kept, any other gives way to `showCommand`. Null when the window
// could not be created.
HWND CreateMainWindow(HINSTANCE instance, int showCommand);

// Loads the header's sort-arrow bitmaps anew (in the system's current 3-D colours).
void LoadSortArrows();

// The menus' icons at the menu icon size, in place of those the menus had.
void LoadMenuIcons();

// WM_CREATE: the sort arrows, InitMainWindow, the menu icons and the duty timer.
void OnMainWindowCreate(HWND window);
// The creation sequence: settings, module table, panes, bars, start-up commands, COM, filter and language.
void InitMainWindow(HWND window);
// WM_DESTROY: stores the window's state, saves the profile store and ends the message loop, also after a
// failure on the way.
void SaveStateOnExit(HWND window);

// Stores the placement as "Pos", the current folder as "LastFolder" and the option word as "Opt", and saves
// the profile store (the session is ending).
void SaveSessionState(HWND window);

// Ends the COM use of the run that InitMainWindow began, when it began one.
void EndMainWindowOle();
