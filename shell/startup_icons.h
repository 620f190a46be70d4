// The toolbar's and the menus' icons of a new main window. Loading them one by one takes longer than the rest of
// the window's creation, and neither the first paint, nor the window's answers, nor the first listing and its
// preview need them: each set loads on a worker thread of its own into an image list that nothing shows
// meanwhile, and the window's thread takes the list once it is full. A list whose toolbar or menus were given
// other icons in the meantime (a toolbar rebuilt, a new icon size) is thrown away.
#pragma once
#include <windows.h>

// Starts both loads; called on the window's thread once the window shows.
void StartStartupIconLoads();
