// What the user hears of the profile file: that it cannot be read (the program runs on default settings and
// saves none into it), that the settings could not be saved into it, or that they went to the per-user file
// because the file beside the program could not be written. Each is told once for a file, with the file's path
// and the system's words for the error.
#pragma once
#include <windows.h>

#include "foundation/profile/profile_store.h"

// Tells the store's trouble that the user has not heard of yet, in a box owned by `owner` (null: a box of its
// own, as while the main window is being destroyed). True when there was one.
bool TellProfileProblem(SettingsStore* store, HWND owner);

// Saves the store (ProfileSave) and tells what went wrong; the save's result.
int SaveSettings(SettingsStore* store, HWND owner);
