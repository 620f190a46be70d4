// The address bar above the file list: the current folder as a row of segments, or an edit field for a typed
// path. One bar object lives for the whole process; its window lives with the main window.
#pragma once
#include <windows.h>

#include <cstdint>

struct AddressBar {
  HWND window;          // class "ab", or null
  HWND tooltip;
  int32_t rowHeight;    // height of the bar, also the limit for hot tracking
  HFONT font;
  HCURSOR handCursor;   // loaded on first hover
  int32_t shown;        // the layout gives the bar room only while it is shown
};

// The bar's height before the bar has measured itself.
constexpr int32_t kAddressBarInitialRowHeight = 16;

extern AddressBar g_addressBar;

// Sets the object up without a window.
void InitAddressBar(AddressBar* bar);
// Destroys the bar's window when it is still alive, and its cursor.
void DestroyAddressBar(AddressBar* bar);
