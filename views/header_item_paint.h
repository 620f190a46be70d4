// A list's header items drawn by the list: the system's header draws every item's visual-style background
// straight onto its window at every paint, which under Wine costs over a millisecond an item; here each
// background is drawn once per size and state into a bitmap and copied, and the item's bitmap and caption go
// over it as the header would place them.
#pragma once
#include <windows.h>
#include <commctrl.h>

struct HeaderBackgrounds;

// The item stage of a header's NM_CUSTOMDRAW: draws the item whole in `text` colour and answers
// CDRF_SKIPDEFAULT, or answers CDRF_DODEFAULT and leaves the item to the header (a header without a visual
// style, an empty rectangle, an item with an image, an owner-drawn item or the header's own sort mark).
// `backgrounds` is made on first use and belongs to the header it was made for.
LRESULT DrawHeaderItem(HeaderBackgrounds** backgrounds, const NMCUSTOMDRAW* draw, COLORREF text);
// The header paints through a 32-bit bitmap of its own: what it still draws itself, the visual-style background
// after its last item above all, Wine draws several times faster into such a bitmap than onto the window.
void PaintHeaderThroughColourBitmap(HWND header);
// How many backgrounds were drawn since the cache was made.
int HeaderBackgroundsDrawn(const HeaderBackgrounds* backgrounds);
// Frees the cache (after a change of theme, or with its header); null is allowed.
void FreeHeaderBackgrounds(HeaderBackgrounds** backgrounds);
