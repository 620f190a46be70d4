// The main window's two lists, both the program's own list control: the chain of rename steps (with check
// boxes; each row owns its step) and the file list.
#pragma once
#include <windows.h>

// Creates the chain list and then the file list in the main window and stores them in the application state;
// the chain list accepts dropped files, and the file list takes its sort key and direction from "Sort". A
// list that could not be created stays null.
void CreateMainLists(HWND window);
// Both lists take the style bits of the option word again (the chain list its own on top).
void ApplyMainListStyles();
