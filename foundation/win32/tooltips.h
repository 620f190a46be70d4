// Tooltip controls and tree-view items.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "foundation/text/text_sizes.h"

// A tooltip control owned by the window (style WS_POPUP | TTS_NOPREFIX, with `balloon` also TTS_ALWAYSTIP
// and TTS_BALLOON). Without an instance it takes the owner's.
HWND CreateTooltipControl(HWND owner, HINSTANCE instance, bool balloon);
// Registers a control of the owner as a tool whose text the owner supplies on request (TTN_GETDISPINFO);
// nothing when a handle is missing.
void TooltipAddWindowTool(HWND tooltip, HWND owner, HWND control);
// Makes the tooltip ask for that tool's text again.
void TooltipUpdateWindowTool(HWND tooltip, HWND owner, HWND control);
// Hands the tooltip a mouse move over `window` with the given parameters at the current cursor position and
// message time.
void TooltipRelayMouseMove(HWND tooltip, HWND window, WPARAM wParam, LPARAM lParam);

// The fields of a new tree-view item; `mask` says which count (TVIF_...).
struct TreeItemFields {
  UINT mask;
  const wchar_t* text;
  int image;
  int selectedImage;
  UINT state;
  UINT stateMask;
  int children;
  LPARAM param;
};

// Inserts an item under `parent` after `after`; null on failure.
HTREEITEM TreeViewInsertItem(HWND tree, HTREEITEM parent, HTREEITEM after, const TreeItemFields& fields);

// An item's text in `buffer`, or without one in a buffer of the calling thread that the next call reuses; the
// text, or null (and an empty buffer) on failure.
const wchar_t* TreeViewGetItemText(HWND tree, HTREEITEM item, wchar_t* buffer, int capacity);

// The first child of `parent` whose text equals `text` ignoring case; null when none does.
HTREEITEM TreeViewFindChildByText(HWND tree, HTREEITEM parent, const wchar_t* text);
