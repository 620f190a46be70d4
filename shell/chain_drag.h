// Dragging a step of the chain to another place: the list reports the start of a drag (LVN_BEGINDRAG), the
// main window follows the mouse until the button goes up and moves the step to the row under it; the preview
// follows the new order. Esc or another button ends the drag without a move.
#pragma once
#include <windows.h>

// Runs the drag of the focused step until it is dropped or abandoned.
void DragChainStep(HWND window);

// True while a drag runs (on the GUI thread).
bool ChainStepDragActive();
