// F1 in the main window: the help topic of the menu item or the control the request names.
#pragma once
#include <windows.h>

// The topic of a help request: for menu items by command, for controls by their id range.
int HelpTopicForRequest(const HELPINFO* info);
// Shows that topic in the help file of the language in use.
void ShowHelpForRequest(HWND window, const HELPINFO* info);
