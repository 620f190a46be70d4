// Text on the clipboard. The owner is the window the clipboard's content belongs to; null means the main
// window (the system refuses content that belongs to no window).
#pragma once
#include <windows.h>

// Puts a wide text on the clipboard as CF_UNICODETEXT and, in the active code page, as CF_TEXT, replacing
// what it held. An empty or null text leaves the clipboard alone. 0 on success, else the error.
DWORD SetClipboardText(HWND owner, const wchar_t* text);

// Empties the clipboard: it holds no format afterwards. 0 on success, else the error.
DWORD EmptyClipboardOf(HWND owner);

// Puts an 8-bit text on the clipboard as CF_TEXT. 0 on success, else the error.
DWORD SetClipboardTextAnsi(HWND owner, const char* text);

// A new zero-filled copy (free it with FreeAndNull) of the clipboard's CF_UNICODETEXT, else of its CF_TEXT
// read in the active code page; null when it holds no text or cannot be opened.
wchar_t* GetClipboardTextAlloc(HWND owner);
