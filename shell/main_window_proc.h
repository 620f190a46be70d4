// The main window's procedure: what each message does, the notifications of the panes and the duty timer.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The messages the panes send their parent.
constexpr UINT kPaneNotificationMessage = WM_USER + 16;
constexpr UINT kIgnoredMessage = WM_USER + 7;
constexpr UINT kShowMenuDefinitionMessage = WM_USER + 10;
constexpr UINT kNavigateToFolderMessage = WM_USER + 14;
