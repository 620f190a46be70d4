// Small operations of the user interface: the error box with the system's text, attribute letters, icon sizes,
// showing and hiding panes and bars, the display-mode commands, the selection debounce and the helpers of the
// language dialog.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

class OptionWord;

// Shows the system's text of `code` (0: the last error, normalised) with `path` below it after an empty line,
// the program title as caption, an error icon and an OK button. 0 without showing anything when there is no
// error, 2 when the system has no text for the code, else the box's answer.
int ShowLastErrorMessage(HWND owner, DWORD code, const wchar_t* path);

// One letter per set attribute, in this order: R read-only, A archive, H hidden, S system, E encrypted,
// C compressed. The result is the number of letters written.
int FormatAttributeLetters(DWORD attributes, wchar_t* buffer, int capacity);

// Gives each icon size of the application state (lists, toolbar, menus) that is below 16 the default: 16 on a
// work area narrower than 2000 pixels, else 32.
void SetDefaultIconSizes();

// Appends the module's icon resource `iconId` at the size to the list: its index + 1, 0 on failure.
int AddIconToImageList(HINSTANCE instance, int iconId, int size, HIMAGELIST list);

// A shown pane is hidden and `bit` set in the option word; a hidden one is shown and the bit cleared. Then the
// main window is laid out anew (WM_SIZE with its client size) and repainted.
void TogglePaneVisibility(HWND mainWindow, HWND pane, OptionWord* options, uint32_t bit);

// For the status and address bars, whose set bit means hidden: a set bit is cleared and the bar shown,
// otherwise the bit is set and the bar hidden; the bar's shown flag follows. Then layout and repaint as above.
void ToggleBarVisibility(HWND mainWindow, HWND bar, int32_t* shownFlag, OptionWord* options, uint32_t bit);

// Whether the display-mode command (IDM_DISPLAY_LIGHT, IDM_DISPLAY_SYSTEM, IDM_DISPLAY_DARK) names the current
// display mode.
bool IsDisplayModeCommandActive(int commandId);

// The main window's timer that consumes pending selection changes, and its period.
constexpr UINT_PTR kSelectionTimerId = 7;
constexpr UINT kSelectionTimerMs = 52;

// Counts a change of the file list's selection; the first one starts the selection timer of the main window.
void ScheduleSelectionUpdate(HWND mainWindow);

// Detaches and destroys the window's menu, if it has one.
void DestroyWindowMenu(HWND window);

// What IconOnlyDialogProc ends its dialog with.
constexpr INT_PTR kIconOnlyDialogResult = 11;

// The procedure of an invisible use of the language dialog's template: at WM_INITDIALOG it makes the icon in
// lParam the class icon of dialog windows, so that every dialog shows the program icon, and ends the dialog
// with kIconOnlyDialogResult before it is shown.
INT_PTR CALLBACK IconOnlyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Ends the language dialog with the item data of the selected entry of its list, or 0 when none is selected.
void EndDialogWithSelectedItem(HWND dialog);
