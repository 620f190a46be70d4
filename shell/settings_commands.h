// Commands on the settings as a whole: a copy of the profile store, restoring one, returning to the defaults,
// and the display mode. Restoring, resetting and a display-mode change that switches the dark state restart
// the main window, so that everything is built again from the new settings; none of them runs while a job is
// busy, as the job would go on into the next run's state.
#pragma once
#include <windows.h>

// Command IDM_BACK_UP_SETTINGS: the save dialog offers the store's file name; the store is saved and copied to the
// chosen file, or, where a file of that name exists, beside it as "<name> (2).<ext>" (the first number free): no file
// is ever replaced. 0, ERROR_CANCELLED, or the copy's error (shown to the user).
int ExportSettingsStore(HWND window);
// Command IDM_RESTORE_SETTINGS: the open dialog offers the store's file name; the chosen file is copied over the
// store's file and the main window restarts on it. A file that is no settings store is refused with a message, as it
// would replace every setting and the last chain with nothing. 0, ERROR_CANCELLED, ERROR_BUSY, ERROR_INVALID_DATA, or
// the copy's error.
int ImportSettingsStore(HWND window);
// True when the file has the program's main section ("[QVRX]" on a line of its own, in 8-bit or UTF-8 text),
// as every store the program saved has.
bool IsSettingsStoreFile(const wchar_t* path);
// Command IDM_RESET_SETTINGS: after the user's Yes the store's file is emptied and the main window restarts with the
// defaults. 0, ERROR_CANCELLED, ERROR_BUSY, or the error.
int ResetSettings(HWND window);

// Commands IDM_DISPLAY_LIGHT, IDM_DISPLAY_SYSTEM, IDM_DISPLAY_DARK: display mode 0 light, 1 as the system, 2 dark. A
// new mode is stored as "DM" at once and applied; when the dark state changed the main window restarts, else it is
// only repainted.
void SetDisplayMode(HWND window, int mode);
// Records the dark state in the option word, stores it and restarts the main window.
void RestartForThemeChange(HWND window, bool dark);
