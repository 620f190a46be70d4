// Windows, dialog items and window classes made safe against missing handles.
//
// Every function here checks its window (or dialog, or dialog item) first: a null or dead handle never
// reaches the system, and the function returns 0, null, an empty text or does nothing instead. Functions
// ending in ById, and those taking a dialog and an id, work on the dialog item found with GetDlgItem.
#pragma once
#include <windows.h>

#include <cstdint>

struct WindowPlacementRecord;

LRESULT SendWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendDialogItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

HWND GetDialogItem(HWND dialog, int id);

void SetWindowTextSafe(HWND window, const wchar_t* text);
void SetDialogItemText(HWND dialog, int id, const wchar_t* text);

// The window text into `buffer` (cut to the capacity, always terminated); the length. Empty text and 0 when
// the window is missing.
int GetWindowTextSafe(HWND window, wchar_t* buffer, int capacity);
int GetDialogItemText(HWND dialog, int id, wchar_t* buffer, int capacity);
int GetWindowTextLengthSafe(HWND window);

// Sets a new window procedure; the one it replaces goes into `previous` only while that slot is still empty,
// so a procedure shared by several windows keeps the first original.
void SubclassWindow(HWND window, WNDPROC procedure, WNDPROC* previous);
// CallWindowProcW to the previous procedure; 0 when none is known.
LRESULT CallPreviousWindowProc(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog's user value (DWLP_USER) and the window's user data (GWLP_USERDATA); the getters give 0 for a
// handle that is not a window.
void SetDialogUserData(HWND dialog, LONG_PTR value);
LONG_PTR GetWindowUserData16(HWND dialog);
void SetWindowUserData(HWND window, LONG_PTR value);
LONG_PTR GetWindowUserData(HWND window);

void SetClassIcon(HWND window, HICON icon);
// ORs bits into the window style; writes only when that changes the style.
void AddWindowStyle(HWND window, LONG bits);
// InvalidateRect; a given rectangle that is empty invalidates nothing (result 0).
BOOL InvalidateWindowRect(HWND window, const RECT* rect, bool erase);

bool IsWindowSafe(HWND window);
bool IsWindowShown(HWND window);
// The window's own show state; a pane of a main window that is not on screen yet still counts as shown.
bool HasVisibleStyle(HWND window);
void SetFocusSafe(HWND window);
void DestroyWindowIfAlive(HWND window);
void ShowWindowCmd(HWND window, int command);
void ShowWindowIfAlive(HWND window);
void HideWindowIfAlive(HWND window);

void HideDlgItem(HWND dialog, int id);
void EnableDlgItem(HWND dialog, int id, bool enable);
// The same over a zero-terminated id list, and hiding over a null-terminated array of such lists.
void EnableDlgItemList(HWND dialog, const int* ids, bool enable);
void HideDlgItemLists(HWND dialog, const int* const* lists);

// Restores a minimised or hidden window, then activates it and brings it to the foreground and the top.
void BringWindowToFront(HWND window);
// Posts WM_SIZE with the current client width and height to the window itself.
void PostSizeToSelf(HWND window);
// Height of the window rectangle of an existing window shown by its own state (see HasVisibleStyle); else 0.
int GetVisibleWindowHeight(HWND window);
// Width and height from a WM_SIZE parameter when it is non-zero, else from the client rectangle.
void GetClientSizeOrParam(HWND window, LPARAM sizeParam, int* width, int* height);

// Centres a window on its parent (the desktop without one).
void CenterWindowOnParent(HWND window);

// What RegisterWindowClass needs. A null background is the dialog background brush, a null cursor the arrow.
struct WindowClassFields {
  WNDPROC procedure;
  UINT style;
  HCURSOR cursor;
  HICON icon;
  HICON smallIcon;
  HBRUSH background;
  const wchar_t* className;
  HINSTANCE instance;
};

// Every window class of the program has this much window extra memory.
constexpr int kWindowClassExtraBytes = 8;

// Registers the class. A class of that name registered with the same background is kept; one with another
// background is registered again. 0, or the system error.
DWORD RegisterWindowClass(const WindowClassFields& fields);

// What CreateWindowWithRect needs besides the class. Without a rectangle the window is created at 0, 0 with
// size 0; without a text its text is empty; without an instance it takes the parent's.
struct WindowFields {
  DWORD exStyle;
  const wchar_t* text;
  DWORD style;
  const WindowPlacementRecord* rect;
  HWND parent;
  HMENU menuOrId;
  HINSTANCE instance;
  void* parameter;
};

HWND CreateWindowWithRect(const wchar_t* className, const WindowFields& window);
// RegisterWindowClass, then CreateWindowWithRect with the class's name and, when the window has none, its
// instance.
HWND CreateWindowRegistered(const WindowClassFields& windowClass, const WindowFields& window);

HWND FindWindowByClassNarrow(const char* className);

// DialogBoxParamW of a template by id. Without an instance the parent's is taken (the program's own
// without a parent).
INT_PTR ShowModalDialog(HINSTANCE instance, int templateId, HWND parent, DLGPROC procedure, LPARAM parameter);

// The instance a window belongs to; the program's own module without a window.
HINSTANCE InstanceOfWindow(HWND window);
