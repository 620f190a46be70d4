// Keys and mouse clicks through the system's input queue (SendInput), as a user gives them: they reach the
// window under the cursor or the one with the keyboard focus, so tests that use them carry "Interactive" in
// their names and run alone.
#pragma once
#include <windows.h>

#include <string>

// Moves the cursor to the middle of the window and clicks its left button.
void ClickWindow(HWND window);
// Moves the cursor to a point of the window's client area and clicks the left (or the right) button there.
void ClickAt(HWND window, POINT client, bool rightButton = false);
// Presses the left button at one point of the window's client area, moves the mouse to another in a few steps
// and lets the button go there; returns once the window's thread has let the mouse go (a message posted
// before that would overtake the button's release).
void DragAt(HWND window, POINT from, POINT to);
// Presses and releases a key with the modifier keys of `modifiers` (MOD_SHIFT, MOD_CONTROL, MOD_ALT) held.
void PressKey(WORD key, UINT modifiers = 0);
// Types the text character by character as Unicode input.
void TypeText(const std::wstring& text);
// Clicks into the edit, waits until it has the keyboard focus, selects all its text and types `text` in its
// place. False when the edit never took the focus (nothing is typed then).
bool TypeOver(HWND edit, const std::wstring& text);
// Waits up to two seconds until the thread of `window` has given it the keyboard focus: keys sent before that
// reach whichever window had the focus when the system took them, which under load is not yet this one.
bool WaitForFocus(HWND window);
// Clicks the window until its thread has given it the keyboard focus, three times at most: a window that has only
// just appeared may still be placing itself or setting its first focus, and a click then misses.
bool ClickIntoFocus(HWND window);
// Until the window's thread holds the mouse no more: a click or drag it took has ended there.
void WaitForMouseLetGo(HWND window);
// Waits up to two seconds until the thread of `window` shows a menu (a pop-up menu or a combo box's list).
bool WaitForMenuMode(HWND window);
