// Measuring and painting the address bar: the folder icon at the left, then the segments drawn as header
// items (the hot one lit, its drop part apart while the mouse is on it, a small arrow between segments), or
// the path as one text when the segments do not fit.
#pragma once
#include <windows.h>

#include "views/address_bar.h"

// Measures the segments in the DC's font for a bar of the client width: their widths, the parts of the path
// up to each segment drawn as one text, and whether the segments or the path overflow the bar.
void MeasureAddressBar(AddressBar* bar, HDC dc, int clientWidth);

// Paints the bar into a DC (WM_PAINT's or WM_PRINTCLIENT's), double-buffered.
void PaintAddressBar(AddressBar* bar, HWND window, HDC target);
