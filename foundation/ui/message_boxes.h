// Message boxes: a message (a UI text or a given text) with an optional path below it, the plain system boxes,
// and the current directory asked for again while the user answers Retry.
#pragma once
#include <windows.h>

// Set in the box type of ShowMessageWithPath: show only the file-name part of the path. It is cleared before
// the type reaches the system.
constexpr UINT kMessageShowFileNameOnly = 0x80000000u;

// Shows the UI text `textId` (when not 0, at most 511 characters) or else `text`, with `path` (when given
// and not empty) after exactly one empty line. A null owner becomes the thread's active window, or the main
// window when the caller is its thread; a null caption becomes the program title. The result is the box's
// answer; 2 (IDCANCEL) without showing anything when the message is empty.
int ShowMessageWithPath(HWND owner, int textId, const wchar_t* text, const wchar_t* path, const wchar_t* caption,
                        UINT type);

// MessageBoxW and MessageBoxA as they are.
int ShowMessageBoxWide(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
int ShowMessageBoxNarrow(HWND owner, const char* text, const char* caption, UINT type);

// The system's error sound.
void BeepError();
