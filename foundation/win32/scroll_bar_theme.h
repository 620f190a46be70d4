// Dark scroll bars in the common controls. The common-controls library opens the visual style of its scroll
// bars through UxTheme's ordinal 49; the program points that import of comctl32 (in its import table or, where
// the library loads UxTheme late, its delay-load table) at an opener of its own, which gives the dark
// "Explorer::ScrollBar" style while the program runs dark.
#pragma once
#include <windows.h>
#include <uxtheme.h>

// Patches comctl32's import once; the theme object's hook flag is set only when a slot was patched. Whether
// the redirection is installed.
bool InstallScrollBarThemeHook();

// The opener put in place: OpenThemeData, except that for the class list "ScrollBar" (ignoring case) it opens
// "Explorer::ScrollBar" without a window while the program runs dark and the redirection is not paused.
HTHEME WINAPI OpenThemeDataScrollBarHook(HWND window, const wchar_t* classList);

// Pauses (false) or resumes (true) an installed redirection; whether it was redirecting before.
bool SetScrollBarRedirection(bool on);
