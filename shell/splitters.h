// The main window's two splitters: the vertical one at the tree width, between the folder tree and the lists,
// and the horizontal one at the chain height, between the chain list and the file list. The panes cover the
// client area except the 4-pixel gaps around these places, so the main window's own mouse messages are the
// splitters'. A drag moves its splitter with the mouse and lays the panes out anew; letting go stores both
// places as "Sep" of section "QVRX" ("tree width,chain height"); Esc during a drag puts the splitter back
// (CancelOrEscape).
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int16_t kSplitterVertical = 1;
constexpr int16_t kSplitterHorizontal = 2;
// The least tree width a drag leaves (the vertical splitter's place).
constexpr int kSmallestTreeWidth = 4;

// The least height of the chain pane, and of the file list below it: the chain's header and about two rows.
int SmallestChainHeight();

// Which splitter a point of the client area is on: the vertical one within 2 pixels of the tree width (where
// the last layout put it) while the tree is shown, else the horizontal one.
int SplitterHitTest(POINT position);

// WM_LBUTTONDOWN: unless a drag runs, the splitter under the pointer starts one (its cursor, its place
// remembered, the mouse captured).
void SplitterButtonDown(HWND window, POINT position);
// WM_MOUSEMOVE: the dragged splitter follows the pointer within the room the panes leave each other; without
// a drag the cursor shows the splitter under the pointer.
void SplitterMouseMove(HWND window, POINT position);
// WM_LBUTTONUP: the drag ends and the places are stored.
void SplitterButtonUp(HWND window);

// The places from and into "Sep" of the profile store; without a usable value the first layout gives the panes
// their default shares.
void LoadSplitterPosition();
void SaveSplitterPosition();
