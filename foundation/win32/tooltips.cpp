#include "foundation/win32/tooltips.h"

#include "foundation/win32/window_wrappers.h"

static_assert(sizeof(TOOLINFOW) == 72, "the tool record is 72 bytes");

namespace {

TOOLINFOW WindowTool(HWND owner, HWND control) {
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  return tool;
}

}  // namespace

HWND CreateTooltipControl(HWND owner, HINSTANCE instance, bool balloon) {
  DWORD style = WS_POPUP | TTS_NOPREFIX | (balloon ? TTS_ALWAYSTIP | TTS_BALLOON : 0);
  if (!instance) instance = InstanceOfWindow(owner);
  return CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, owner, nullptr, instance, nullptr);
}

void TooltipAddWindowTool(HWND tooltip, HWND owner, HWND control) {
  if (!tooltip || !owner || !control) return;
  TOOLINFOW tool = WindowTool(owner, control);
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TooltipUpdateWindowTool(HWND tooltip, HWND owner, HWND control) {
  if (!tooltip || !owner || !control) return;
  TOOLINFOW tool = WindowTool(owner, control);
  SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}
