// The main window's procedure: what each message does, the notifications of the panes and the duty timer.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A job ended (any thread): a close asked for while it was a folder listing comes now.
void CloseIfAskedDuringListing();

// A message of the main window besides those of the panes (views/item_list.h, views/address_bar.h).
constexpr UINT kIgnoredMessage = WM_USER + 7;
