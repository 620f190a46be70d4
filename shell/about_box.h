// The About box: the program's title and version, a notice, the language line, and the folders the program
// uses (its own, the per-user data, the temporary folder and the settings file). At start-up it runs silently
// once, which only gives every dialog of the program its icon.
#pragma once
#include <windows.h>

// Command IDM_ABOUT, and the silent run of the start-up commands IDM_STARTUP and IDM_RESTORE_CHAIN.
void ShowAboutBox(HWND owner, bool silent);

// The box's text: the lines above, each folder only when its path is known.
void BuildAboutText(wchar_t* text, int capacity);
