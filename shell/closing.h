// What the main window does before it closes: the offer to save a changed chain into the current settings
// file, and the close handler itself.
#pragma once
#include <windows.h>

// Nothing when the chain is unchanged. A changed chain goes to section "QK", so that the next start restores
// it; when it came from a settings file (the first recent file), the user is asked whether to save it there
// too, and Yes writes it into that file.
void SaveChangedSettingsOnClose(HWND window);

// WM_CLOSE while nothing is busy: raises the closing count, offers to save a changed chain into its settings
// file, stores the file list's column layout, ends an open menu and hides the window; the default handling then
// destroys it.
void OnMainWindowClose(HWND window);
