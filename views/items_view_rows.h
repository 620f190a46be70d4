// The list control's rows: reading them, where each row and its parts lie in the four view modes, hit tests,
// redrawing, the derived line colour and the selection and listing statistics of the file list. The list's own
// header: what the rest of the program uses of it is in views/items_view.h.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/items_view.h"

// Parts of a row for GetItemPartRect.
constexpr int kPartWhole = 0;
constexpr int kPartIcon = 1;
constexpr int kPartLabel = 2;
constexpr int kPartCheckBox = 10;

constexpr int kCheckBoxSize = 16;

// Check state as a list view reports it: state-image index 1 (clear) or 2 (set).
constexpr UINT kStateImageClear = 0x1000;
constexpr UINT kStateImageSet = 0x2000;

inline uint32_t ViewMode(const ItemListControl* control) { return control->creation.viewWord & kViewModeMask; }
constexpr uint32_t kViewIconGrid = 0;
constexpr uint32_t kViewReport = 1;
constexpr uint32_t kViewListRows = 2;
constexpr uint32_t kViewColumnMajor = 3;

// Rectangle of a row's part in client coordinates. 0 when the row is not shown: above the top index, beyond
// the rows, in report mode at or below the client bottom (a partly shown row counts), in the icon grid and
// (whole row) in the list-rows mode when the cell is cut by the bottom, in column-major mode beyond the right
// edge. For the icon and label parts the list-rows mode gives 2 for a whole cell and 1 for a cut one; otherwise
// a shown row gives 1. The icon part needs an image list and the check-box part check boxes.
int GetItemPartRect(const ItemListControl* control, int index, int part, RECT* rect);
// Cell size of the view mode: the icon cell, the report row (all visible columns), or the list cell.
void GetItemCellSize(const ItemListControl* control, int* width, int* height);

// Copies row i, cut to the capacity (result 1 when cut); a missing row zero-fills the buffer (result 0).
int CopyItemRecord(const ItemListControl* control, int index, void* buffer, uint32_t capacity);
uint32_t CountSelectedRows(const ItemListControl* control);
// The state byte under the mask, without the check bit; with LVIS_STATEIMAGEMASK in the mask also the check
// state as a state image.
UINT GetItemState(const ItemListControl* control, int index, UINT mask);

// The grid-line colour: the text colour blended into the background as far as keeps it at least 60 apart
// (12 steps for grid lines, 4 for column lines); 0 without lines.
void UpdateDerivedColour(ItemListControl* control);

// The same with the column under it (its table position; 0 outside report mode) and that column's width.
int ItemsViewHitTest(const ItemListControl* control, POINT point, int* column, int* columnWidth);

// Forgets the icon of every file row, so the parent fetches them again.
void ClearItemIcons(ItemListControl* control);

// The index of the row whose state says it has the focus, found in the store (after rows moved or went); -1 when
// none has.
int FindFocusedRow(const ItemListControl* control);
