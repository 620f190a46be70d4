// The address bar above the file list: the current folder as a row of segments, one per path component, drawn
// like header items. A segment opens its folder; its right end (the drop part) opens a menu of that folder's
// subfolders. On request the bar turns into an edit field with completion (views/path_edit.h). One bar object
// lives for the whole process; its window lives with the main window and tells it of presses and navigation
// through the messages below.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/ui/resource_library.h"
#include "foundation/files/paths.h"

constexpr wchar_t kAddressBarClass[] = L"ab";
constexpr int kAddressBarSegmentTextCapacity = 1152;
// Segments beyond this many are not drawn (the path itself stays whole).
constexpr int kAddressBarSegmentLimit = 128;
// The bar's height before it has a font.
constexpr int32_t kAddressBarInitialRowHeight = 16;

// The folder icon's slot at the left; segments begin right of it.
constexpr int kAddressBarIconSlot = 18;
// A segment is its text's width plus this; its last pixels are the drop part.
constexpr int kSegmentExtraWidth = 15;
constexpr int kSegmentDropWidth = 11;

// Messages to the parent. wParam and lParam as noted.
constexpr UINT kAddressBarMenuMessage = WM_USER + 10;       // sent: menu definition, bar window
constexpr UINT kAddressBarPressMessage = WM_USER + 11;      // posted: 0, 0 at each press; icon-area flag, bar
                                                            // window for a click on no segment
constexpr UINT kAddressBarRightPressMessage = WM_USER + 12;  // sent: 0, bar window
constexpr UINT kAddressBarDoubleClickMessage = WM_USER + 13; // posted: 0, bar window
constexpr UINT kNavigateToPathMessage = WM_USER + 14;       // sent: provider index, path; answer 1
// Asked of the bar: where drawn segment wParam lies, MAKELRESULT(left, right) in client x; 0 when it is not
// drawn as a segment. For tools that read the bar.
constexpr UINT kAddressBarSegmentExtentMessage = WM_USER + 20;

// Hot segment values besides a segment index.
constexpr int32_t kNoHotSegment = -1;
constexpr int32_t kNoHotSegmentOverflowing = -2;
constexpr int32_t kTrackingOff = -3;

#pragma pack(push, 1)
struct SegmentEntry {
  uint16_t width;        // text width + kSegmentExtraWidth; 0 until measured
  uint16_t pathLength;   // characters of the path up to and with this segment
  uint16_t prefixRight;  // right edge of that part of the path when the path is drawn as one text
};
#pragma pack(pop)
static_assert(sizeof(SegmentEntry) == 6, "segment entries are three u16");

struct AddressBar {
  HWND window;          // class "ab", or null
  HWND tooltip;
  int32_t rowHeight;    // height of the bar, also the limit for hot tracking
  HFONT font;
  HCURSOR handCursor;   // loaded on first hover
  int32_t provider;     // provider index of the shown folder; -1 none
  wchar_t path[kPathCapacity];
  wchar_t segments[kAddressBarSegmentTextCapacity];  // zero-separated
  int32_t singleSegment;
  volatile LONG popupCounter;  // non-zero while a subfolder menu is open
  int32_t overflow;            // the path is wider than the bar
  int32_t overflowMode;        // the segments do not fit; the path is drawn as text
  HWND tracking;               // the bar while hot tracking runs
  int32_t iconArea;            // the last hit test fell on the folder icon
  int32_t segmentCount;        // all segments of the path, also those beyond the table
  int32_t hotSegment;
  int32_t hotDrop;
  int32_t measured;            // the table's widths belong to the path and the bar's width
  HICON folderIcon;            // the shown folder's icon, loaded at the first paint
  int32_t folderIconLoaded;
  SegmentEntry table[kAddressBarSegmentLimit];
  int32_t shown;               // the layout gives the bar room only while it is shown
};

extern AddressBar g_addressBar;

// The bar's context menu: edit, copy and paste the path.
extern const MenuDefinitionEntry kAddressBarMenu[];

// Sets the object up without a window.
void InitAddressBar(AddressBar* bar);
// Destroys the bar's window when it is still alive, its cursor and icon.
void DestroyAddressBar(AddressBar* bar);

// Registers the class and creates the bar in the parent (its tooltip comes with the pointer). The bar, or null.
HWND CreateAddressBar(AddressBar* bar, HWND parent, HINSTANCE instance);
// Gives the bar a font; its row height becomes the font's cell height + 4, at least 16.
void SetAddressBarFont(AddressBar* bar, HFONT font);

// Shows a folder of a provider (a file system's path is split into segments: its root, then one per
// component; any other provider's path is one segment without hot tracking; so is any path with
// `singleSegment`). The same folder again only redraws.
void PathBarSetPath(AddressBar* bar, int32_t provider, const wchar_t* path, bool singleSegment);

// The number of segments drawn (the table's part of the segments).
int DrawnSegmentCount(const AddressBar* bar);
// The text of segment i; an empty text for an index out of range.
const wchar_t* SegmentText(const AddressBar* bar, int index);
// The folder that segment i opens: the segments up to it joined with '\' (a drive gets its '\'). 0, or the
// negative result of a cut text.
int BuildSegmentPath(const AddressBar* bar, int index, wchar_t* out, int capacity);
// The segment under client x (segments measured), and whether x lies on its drop part; kNoHotSegment left
// of the segments or beyond them; in overflow mode the first prefix whose right edge is at or beyond x, else
// kNoHotSegmentOverflowing.
int SegmentAt(const AddressBar* bar, int x, bool* onDropPart);

// The provider knows the path: the mouse is let go and the parent is sent kNavigateToPathMessage; otherwise
// a beep.
void NavigateFromAddressBar(AddressBar* bar, const wchar_t* path);

LRESULT CALLBACK AddressBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
