// Tooltips whose texts come from their owner.
#include "foundation/win32/tooltips.h"

#include <gtest/gtest.h>

#include "foundation/win32/window_wrappers.h"
#include "support/test_window.h"

namespace {

constexpr DWORD kUntouchedError = 0x2468;

LRESULT CALLBACK OwnerAnsweringTips(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TTN_GETDISPINFOW) {
    reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = const_cast<wchar_t*>(L"from owner");
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateTipOwner() {
  WindowClassFields fields = {OwnerAnsweringTips, 0, nullptr, nullptr, nullptr, nullptr, L"QvrxTipOwner",
                          GetModuleHandleW(nullptr)};
  WindowFields create = {0, nullptr, WS_POPUP, nullptr, nullptr, nullptr, nullptr, nullptr};
  return CreateWindowRegistered(fields, create);
}

TOOLINFOW ToolOf(HWND owner, HWND control, wchar_t* text) {
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  return tool;
}

std::wstring TipText(HWND tooltip, HWND owner, HWND control) {
  wchar_t text[80] = L"";
  TOOLINFOW tool = ToolOf(owner, control, text);
  SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  return text;
}

}  // namespace

TEST(Tooltips, ControlIsAPopupOfItsOwner) {
  OwnedWindow owner(CreateTipOwner());
  OwnedWindow plain(CreateTooltipControl(owner, nullptr, false));
  ASSERT_NE(plain.get(), nullptr);
  wchar_t className[32];
  GetClassNameW(plain, className, 32);
  EXPECT_STREQ(className, TOOLTIPS_CLASSW);
  LONG style = GetWindowLongW(plain, GWL_STYLE);
  EXPECT_NE(style & WS_POPUP, 0);
  EXPECT_NE(style & TTS_NOPREFIX, 0);
  EXPECT_EQ(style & TTS_BALLOON, 0);
  EXPECT_EQ(GetWindow(plain, GW_OWNER), owner.get());
  EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_HINSTANCE), GetWindowLongPtrW(owner, GWLP_HINSTANCE));

  OwnedWindow balloon(CreateTooltipControl(owner, nullptr, true));
  style = GetWindowLongW(balloon, GWL_STYLE);
  EXPECT_NE(style & TTS_BALLOON, 0);
  EXPECT_NE(style & TTS_ALWAYSTIP, 0);
}

TEST(Tooltips, ToolTextIsAskedOfTheOwner) {
  OwnedWindow owner(CreateTipOwner());
  HWND control = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD, 0, 0, 20, 20, owner, nullptr, nullptr, nullptr);
  OwnedWindow tooltip(CreateTooltipControl(owner, nullptr, false));
  TooltipAddWindowTool(tooltip, owner, control);
  ASSERT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);

  TOOLINFOW tool = ToolOf(nullptr, nullptr, nullptr);
  ASSERT_TRUE(SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS));
  EXPECT_EQ(tool.hwnd, owner.get());
  EXPECT_EQ(tool.uId, reinterpret_cast<UINT_PTR>(control));
  EXPECT_EQ(TipText(tooltip, owner, control), L"from owner");

  TOOLINFOW fixed = ToolOf(owner, control, const_cast<wchar_t*>(L"fixed"));
  SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&fixed));
  EXPECT_EQ(TipText(tooltip, owner, control), L"fixed");
  TooltipUpdateWindowTool(tooltip, owner, control);
  EXPECT_EQ(TipText(tooltip, owner, control), L"from owner");
}

TEST(Tooltips, MissingHandlesAddNoTool) {
  OwnedWindow owner(CreateTipOwner());
  OwnedWindow tooltip(CreateTooltipControl(owner, nullptr, false));
  SetLastError(kUntouchedError);
  TooltipAddWindowTool(tooltip, owner, nullptr);
  TooltipAddWindowTool(tooltip, nullptr, owner);
  TooltipAddWindowTool(nullptr, owner, owner);
  TooltipUpdateWindowTool(nullptr, owner, owner);
  EXPECT_EQ(GetLastError(), kUntouchedError);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 0);
}
