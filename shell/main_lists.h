// The main window's two lists, both the program's own list control: the chain of rename steps (with check
// boxes; each row owns its step) and the file list.
#pragma once
#include <windows.h>

struct ItemListControl;

// Creates the chain list and then the file list in the main window and stores them in the application state;
// the chain list accepts dropped files, and the file list takes its sort key and direction from "Sort". A
// list that could not be created stays null.
void CreateMainLists(HWND window);
// Both lists take the style bits of the option word again (the chain list its own on top).
void ApplyMainListStyles();

// What follows every folder listing of `folder` into the file list, once its rows are stored (on the listing's
// worker, also after a Stop): the rows are sorted, then previewed in their new order, the problem notice shown
// and the field columns' values loaded.
void RunListingFollowUps(ItemListControl* list, const wchar_t* folder);
