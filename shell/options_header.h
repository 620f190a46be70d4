// The options dialog's header: a static control painted by the program with a gradient from the inactive
// caption colour to the dialog's face colour and the chosen page's name on it.
#pragma once
#include <windows.h>

// One vertical strip of the gradient, from `left` up to `right`.
struct GradientStrip {
  int left;
  int right;
  COLORREF colour;
};

// The strips of a gradient over `width` pixels: strips as wide as the width over the red difference (at least
// one pixel), each in the colour blended at its left edge, the first in the start colour, and the rest up to
// the right edge in the end colour. How many were written (at most `capacity`).
int ComputeGradientStrips(COLORREF start, COLORREF end, int width, GradientStrip* strips, int capacity);
// In dark mode the start colour lies half way towards the end colour.
COLORREF DarkGradientStart(COLORREF start, COLORREF end);

// Subclasses the header control of the dialog; its text comes from the page list's selected item.
void SubclassOptionsHeader(HWND dialog, int headerId, int pageListId);
