// Moving windows: only when the position changes, and aligned on an owner within the work area.
#pragma once
#include <windows.h>

// Moves and sizes a window with repaint. An x or y of 0x80000000 (CW_USEDEFAULT) becomes 0. With a counter,
// the move is skipped when the window's normal rectangle already is the wanted one, and the counter is raised
// when a move happened.
void MoveWindowIfChanged(HWND window, int x, int y, int width, int height, int* moves);

// Horizontal alignment modes of CenterWindow; any other value centres.
constexpr int kAlignRight = 1;
constexpr int kAlignLeft = 2;
constexpr int kAlignFiveSixthsAcross = 3;
constexpr int kAlignOneSixthAcross = 4;
// Vertical alignment modes; any other value centres.
constexpr int kAlignTop = 6;
constexpr int kAlignBottom = 7;
constexpr int kAlignOneSixthDown = 8;
constexpr int kAlignFiveSixthsDown = 9;
// A value that centres in both directions.
constexpr int kAlignCentre = 5;

// Places a window on its owner's window rectangle (the desktop's without owner) by the two modes, kept
// inside the work area of the owner's screen; the size and z-order stay, the window is not activated.
void CenterWindow(HWND owner, HWND window, int horizontalMode, int verticalMode);
