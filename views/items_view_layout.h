// The list control's geometry: view modes and the header, measured metrics, how many rows and items fit, the
// scroll bars and every way of scrolling, keeping a row in view, and the operations that change sizes.
// Every operation that changes the view, the columns or the sizes first cancels an open in-place editor. The
// list's own header: what the rest of the program uses of it is in views/items_view.h.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "views/items_view.h"

// Default icon-grid cell.
constexpr int kIconCellWidth = 103;
constexpr int kIconCellHeight = 54;

// Applies the view mode bits of the view word: report mode (unless the view word has kViewNoHeader) gets the
// header with the visible columns and the sort mark; other modes lose it.
void ItemsViewSetViewMode(ItemListControl* control, uint32_t viewWord);
// Recomputes the layout (items per row, rows per page), the scroll bars and keeps the focused row in view;
// with fresh metrics it measures first.
void ItemsViewLayout(ItemListControl* control, bool freshMetrics);
// The rows changed: on the control's thread the list is laid out at once. A worker's change is laid out on the
// control's thread through a notice; notices coalesce, at most one waits in the window's queue and they come
// at most every kLayoutRestDelay ms, so a worker that changes the rows thousands of times a second leaves the
// queue to the user's commands and input, and its last change is still laid out.
void ItemsViewLayoutFromAnyThread(ItemListControl* control);
// The control's thread: a worker's notice arrived (kLayoutNoticeMessage); the rest after one ended
// (kLayoutRestTimer).
void ItemsViewLayoutNoticed(ItemListControl* control);
void ItemsViewLayoutRested(ItemListControl* control);
// Gap, text margin, row height (from a hidden system list view with the list's font and image list) and the
// header's height and position.
void ItemsViewMeasureMetrics(ItemListControl* control);
// The font a list has until one is set: its parent's, else the system's GUI font.
HFONT ItemsViewDefaultFont(const ItemListControl* control);
void ItemsViewUpdateScrollBars(ItemListControl* control);

// Scroll-bar requests: an SB_ code and, for the thumb codes, the position (pixels in report mode, else item
// rows or columns). Tracking the thumb horizontally in report mode moves only by at least 50 pixels.
void ItemsViewHScroll(ItemListControl* control, int code, int position);
void ItemsViewVScroll(ItemListControl* control, int code, int position);
// Three lines per notch in the wheel's direction; one column in column-major mode.
void ItemsViewWheel(ItemListControl* control, int delta);
// Scrolls so that the row is shown with a small margin; a negative index keeps the top index within range.
void ItemsViewEnsureVisible(ItemListControl* control, int index);
// Makes the row the top one (report and the list modes; clamped), moving the window content.
void ItemsViewScrollToTop(ItemListControl* control, int top);
// Sets the vertical bar's position and announces it to the parent (code 277) until the parent declines.
void ItemsViewSetVScrollPos(ItemListControl* control, int position);

// Column n of the visible ones: -2 fits its header caption, -1 its widest measured content; widths below 8,
// and -1 without measured content, are refused (result 0). Report mode only.
int ItemsViewSetColumnWidth(ItemListControl* control, int column, int width);
// Width of visible column n in report mode, 0 otherwise and for a negative column.
int GetColumnWidth(const ItemListControl* control, int column);
// The icon-grid cell; returns the old one (height in the high word).
LRESULT ItemsViewSetIconSpacing(ItemListControl* control, int cx, int cy);
// Installs the image list of the rows' icons; returns the previous list, null when it was destroyed.
HIMAGELIST ItemsViewSetImageList(ItemListControl* control, HIMAGELIST list);
// The list's font: null takes the parent's, else the default GUI font. Nothing when unchanged.
void ItemsViewSetFont(ItemListControl* control, HFONT font);
// The same with the new layout's own widths.
void ItemsViewReplaceColumns(ItemListControl* control, ColumnLayout* columns);
