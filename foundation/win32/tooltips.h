// Tooltip controls: creating one and registering, updating and relaying to its tools.
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
