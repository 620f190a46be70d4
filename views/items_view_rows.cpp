#include "views/items_view_rows.h"

#include <algorithm>
#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/gdi.h"
#include "foundation/core/item_store.h"
#include "foundation/core/threads.h"
#include "views/file_list_row.h"
#include "views/items_view_columns.h"

namespace {

constexpr int kMinimumLineDistance = 60;
constexpr int kGridLineBlend = 12;
constexpr int kColumnLineBlend = 4;
constexpr uint16_t kFolderAttribute = 0x10;

int CountRows(const ItemListControl* control) { return static_cast<int>(ItemStoreCount(&control->rows)); }

int ItemsPerRow(const ItemListControl* control) { return std::max<int>(1, control->itemsPerRow); }
int RowsPerColumn(const ItemListControl* control) { return std::max<int>(1, control->rowsPerPage); }
int RowHeight(const ItemListControl* control) { return std::max<int>(1, control->rowHeight); }

int CellWidth(const ItemListControl* control) {
  int width = 0;
  int height = 0;
  GetItemCellSize(control, &width, &height);
  return std::max(1, width);
}

RECT Box(int64_t left, int64_t top, int64_t width, int64_t height) {
  auto clip = [](int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
  return RECT{clip(left), clip(top), clip(left + width), clip(top + height)};
}

// The item's cell (report: the row) and how it is shown: 0 not at all, 1 cut by the bottom, 2 whole.
int CellOfItem(const ItemListControl* control, int index, RECT* cell) {
  if (index < control->topIndex || index >= CountRows(control)) return 0;
  int64_t k = index - control->topIndex;
  RECT area = RowsArea(control);
  int rowHeight = RowHeight(control);
  switch (ViewMode(control)) {
    case kViewReport:
      *cell = Box(area.left - static_cast<int64_t>(control->horizontalOffset), area.top + k * rowHeight,
                  ColumnLayoutTotalWidth(control->creation.columns), rowHeight);
      break;
    case kViewListRows: {
      int perRow = ItemsPerRow(control);
      int width = CellWidth(control);
      *cell = Box(area.left + (k % perRow) * width, area.top + (k / perRow) * rowHeight, width, rowHeight);
      break;
    }
    case kViewColumnMajor: {
      int perColumn = RowsPerColumn(control);
      int width = CellWidth(control);
      *cell = Box(area.left + (k / perColumn) * width - static_cast<int64_t>(control->horizontalOffset),
                  area.top + (k % perColumn) * rowHeight, width, rowHeight);
      return cell->left < area.right ? 2 : 0;
    }
    default: {
      int gap = control->gap;
      int perRow = ItemsPerRow(control);
      *cell = Box(area.left + gap + (k % perRow) * (control->iconCellWidth + gap),
                  area.top + gap + (k / perRow) * (control->iconCellHeight + gap), control->iconCellWidth,
                  control->iconCellHeight);
      break;
    }
  }
  if (cell->top >= area.bottom) return 0;
  return cell->bottom <= area.bottom ? 2 : 1;
}

int CentredTop(int top, int bandHeight, int height) {
  return height < bandHeight ? top + (bandHeight - height) / 2 : top;
}

bool HasIcons(const ItemListControl* control) { return control->imageList && control->iconWidth > 0; }
bool HasCheckBoxes(const ItemListControl* control) { return (control->creation.styleFlags & kListCheckBoxes) != 0; }

// Where the main column's content begins and ends inside the cell.
void MainContentSpan(const ItemListControl* control, const RECT& cell, int* left, int* right) {
  if (ViewMode(control) == kViewReport) {
    *left = cell.left + ColumnLayoutFirstColumnOffset(control->creation.columns);
    *right = *left + MainColumnWidth(control);
  } else {
    *left = cell.left;
    *right = cell.right;
  }
}

bool GridPart(const ItemListControl* control, const RECT& cell, int part, RECT* rect) {
  int labelTop = cell.bottom - RowHeight(control);
  switch (part) {
    case kPartIcon: {
      if (!HasIcons(control)) return false;
      int left = cell.left + (cell.right - cell.left - control->iconWidth) / 2;
      int top = CentredTop(cell.top, labelTop - cell.top, control->iconHeight);
      *rect = RECT{left, top, left + control->iconWidth, top + control->iconHeight};
      return true;
    }
    case kPartLabel:
      *rect = RECT{cell.left, labelTop, cell.right, cell.bottom};
      return true;
    case kPartCheckBox:
      if (!HasCheckBoxes(control)) return false;
      *rect = RECT{cell.left + control->gap, cell.top + control->gap, cell.left + control->gap + kCheckBoxSize,
                   cell.top + control->gap + kCheckBoxSize};
      return true;
    default:
      *rect = cell;
      return true;
  }
}

bool RowPart(const ItemListControl* control, const RECT& cell, int part, RECT* rect) {
  int left = 0;
  int right = 0;
  MainContentSpan(control, cell, &left, &right);
  int gap = control->gap;
  int checkSpace = HasCheckBoxes(control) ? gap + kCheckBoxSize : 0;
  int height = cell.bottom - cell.top;
  switch (part) {
    case kPartIcon: {
      if (!HasIcons(control)) return false;
      int x = left + gap + checkSpace;
      int top = CentredTop(cell.top, height, control->iconHeight);
      *rect = RECT{x, top, x + control->iconWidth, top + control->iconHeight};
      return true;
    }
    case kPartCheckBox: {
      if (!HasCheckBoxes(control)) return false;
      int top = CentredTop(cell.top, height, kCheckBoxSize);
      *rect = RECT{left + gap, top, left + gap + kCheckBoxSize, top + kCheckBoxSize};
      return true;
    }
    case kPartLabel:
      *rect =
          RECT{left + checkSpace + (HasIcons(control) ? control->iconWidth + gap : 0), cell.top, right, cell.bottom};
      return true;
    default:
      *rect = cell;
      return true;
  }
}

int RowAt(const ItemListControl* control, const RECT& area, POINT point) {
  int rowHeight = RowHeight(control);
  int64_t x = point.x - area.left;
  int64_t y = point.y - area.top;
  switch (ViewMode(control)) {
    case kViewReport:
      x += control->horizontalOffset;
      if (x >= ColumnLayoutTotalWidth(control->creation.columns)) return -1;
      return static_cast<int>(std::min<int64_t>(INT32_MAX, control->topIndex + y / rowHeight));
    case kViewListRows: {
      int64_t column = x / CellWidth(control);
      if (column >= ItemsPerRow(control)) return -1;
      return static_cast<int>(
          std::min<int64_t>(INT32_MAX, control->topIndex + (y / rowHeight) * ItemsPerRow(control) + column));
    }
    case kViewColumnMajor: {
      x += control->horizontalOffset;
      int64_t row = y / rowHeight;
      if (row >= RowsPerColumn(control)) return -1;
      return static_cast<int>(
          std::min<int64_t>(INT32_MAX, control->topIndex + (x / CellWidth(control)) * RowsPerColumn(control) + row));
    }
    default: {
      int64_t stepX = control->iconCellWidth + control->gap;
      int64_t stepY = control->iconCellHeight + control->gap;
      x -= control->gap;
      y -= control->gap;
      if (x < 0 || y < 0 || stepX <= 0 || stepY <= 0) return -1;
      if (x % stepX >= control->iconCellWidth || y % stepY >= control->iconCellHeight) return -1;
      if (x / stepX >= ItemsPerRow(control)) return -1;
      return static_cast<int>(
          std::min<int64_t>(INT32_MAX, control->topIndex + (y / stepY) * ItemsPerRow(control) + x / stepX));
    }
  }
}

bool IsFileRow(const uint8_t* row) {
  uint16_t length;
  memcpy(&length, row, sizeof length);
  return length >= FileListRowSize(0);
}

void CountRowsInto(const ItemListControl* control, ListStatistics* statistics, bool selectedOnly) {
  *statistics = ListStatistics{};
  uint32_t count = ItemStoreCount(&control->rows);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* row = ItemStoreGet(&control->rows, i);
    if (!row || !IsFileRow(row) || (selectedOnly && !(row[2] & kRowSelected))) continue;
    FileInfo info;
    memcpy(&info, row + offsetof(FileListRow, info), sizeof info);
    if (info.attributes & kFolderAttribute) {
      ++statistics->folders;
    } else {
      ++statistics->files;
      if (info.size != kUnknownFileSize) statistics->bytes += info.size;
    }
  }
}

COLORREF LineColourFromBlend(COLORREF text, COLORREF background, int steps) {
  COLORREF line = BlendColors(text, background, steps);
  while (ColorDistance(line, background) < kMinimumLineDistance && steps - 1 > 0) {
    --steps;
    line = BlendColors(text, background, steps);
  }
  return line;
}

}  // namespace

RECT RowsArea(const ItemListControl* control) {
  RECT area = {};
  GetClientRect(control->window, &area);
  if (control->header) area.top = std::min<LONG>(area.bottom, area.top + control->headerHeight);
  return area;
}

int GetItemPartRect(const ItemListControl* control, int index, int part, RECT* rect) {
  RECT cell;
  int shown = CellOfItem(control, index, &cell);
  if (!shown || !rect) return 0;
  uint32_t mode = ViewMode(control);
  if (mode == kViewIconGrid) {
    if (shown == 1) return 0;
    return GridPart(control, cell, part, rect) ? 1 : 0;
  }
  if (!RowPart(control, cell, part, rect)) return 0;
  if (mode == kViewListRows) {
    if (part == kPartIcon || part == kPartLabel) return shown;
    return shown == 2 ? 1 : 0;
  }
  return 1;
}

void GetItemCellSize(const ItemListControl* control, int* width, int* height) {
  switch (ViewMode(control)) {
    case kViewIconGrid:
      *width = control->iconCellWidth;
      *height = control->iconCellHeight;
      return;
    case kViewReport:
      *width = ColumnLayoutTotalWidth(control->creation.columns);
      *height = control->rowHeight;
      return;
    default: {
      int measured = WidestText(control, 0);
      *width = measured > 0 ? measured : std::max(1, MainColumnWidth(control));
      *height = control->rowHeight;
    }
  }
}

uint8_t* GetItemRecord(const ItemListControl* control, int index) {
  return index < 0 ? nullptr : ItemStoreGet(&control->rows, static_cast<uint32_t>(index));
}

int CopyItemRecord(const ItemListControl* control, int index, void* buffer, uint32_t capacity) {
  if (!buffer || capacity == 0) return 0;
  const uint8_t* row = GetItemRecord(control, index);
  if (!row) {
    memset(buffer, 0, capacity);
    return 0;
  }
  uint16_t length;
  memcpy(&length, row, sizeof length);
  memcpy(buffer, row, std::min<uint32_t>(length, capacity));
  return length > capacity ? 1 : 0;
}

uint8_t* GetSelectedRecord(const ItemListControl* control, int index) {
  uint8_t* row = GetItemRecord(control, index);
  return row && (row[2] & kRowSelected) ? row : nullptr;
}

uint32_t CountSelectedRows(const ItemListControl* control) {
  uint32_t selected = 0;
  uint32_t count = ItemStoreCount(&control->rows);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* row = ItemStoreGet(&control->rows, i);
    if (row && (row[2] & kRowSelected)) ++selected;
  }
  return selected;
}

UINT GetItemState(const ItemListControl* control, int index, UINT mask) {
  const uint8_t* row = GetItemRecord(control, index);
  if (!row) return 0;
  UINT state = row[2] & ~kRowChecked & mask;
  if (mask & LVIS_STATEIMAGEMASK) state |= (row[2] & kRowChecked) ? kStateImageSet : kStateImageClear;
  return state;
}

void ItemsViewRedrawItem(const ItemListControl* control, int index) {
  if (!control->window) return;
  RECT rect;
  if (index < 0) {
    rect = RowsArea(control);
  } else if (!CellOfItem(control, index, &rect)) {
    return;
  }
  InvalidateRect(control->window, &rect, FALSE);
}

void ItemsViewRedrawRange(const ItemListControl* control, int first, int last) {
  for (int i = std::max(first, control->topIndex); i <= last; ++i) {
    RECT rect;
    if (!CellOfItem(control, i, &rect)) break;
    InvalidateRect(control->window, &rect, FALSE);
  }
}

void UpdateDerivedColour(ItemListControl* control) {
  uint32_t style = control->creation.styleFlags;
  if (style & kListGridLines) {
    control->lineColour = LineColourFromBlend(control->textColour, control->backgroundColour, kGridLineBlend);
  } else if (style & kListColumnLines) {
    control->lineColour = LineColourFromBlend(control->textColour, control->backgroundColour, kColumnLineBlend);
  } else {
    control->lineColour = 0;
  }
}

int ItemsViewItemFromPoint(const ItemListControl* control, POINT point) {
  RECT area = RowsArea(control);
  if (!PtInRect(&area, point)) return -1;
  int index = RowAt(control, area, point);
  return index >= 0 && index < CountRows(control) ? index : -1;
}

int ItemsViewHitTest(const ItemListControl* control, POINT point, int* column, int* columnWidth) {
  int index = ItemsViewItemFromPoint(control, point);
  DisplayColumn hit = {};
  int x = point.x - RowsArea(control).left;
  if (ViewMode(control) == kViewReport) x += control->horizontalOffset;
  bool found = index >= 0 && FindDisplayColumnAt(control, ViewMode(control) == kViewReport ? x : 0, &hit);
  if (column) *column = found ? hit.tablePosition : 0;
  if (columnWidth) *columnWidth = found ? hit.width : 0;
  return index;
}

LRESULT CountSelectedHere(void* control) {
  CountRowsInto(static_cast<const ItemListControl*>(control), &g_app->selectionStatistics, true);
  return 1;
}

void CountSelectedItems(const ItemListControl* control) {
  if (g_app) RunOnGuiThread(CountSelectedHere, const_cast<ItemListControl*>(control));
}

void CountListedItems(const ItemListControl* control) {
  if (g_app) CountRowsInto(control, &g_app->listingStatistics, false);
}

void ClearItemIcons(ItemListControl* control) {
  uint32_t count = ItemStoreCount(&control->rows);
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* row = ItemStoreGet(&control->rows, i);
    if (!row || !IsFileRow(row)) continue;
    int32_t none = 0;
    memcpy(row + offsetof(FileListRow, icon), &none, sizeof none);
  }
}

int FindFocusedRow(const ItemListControl* control) {
  const uint32_t count = ItemStoreCount(&control->rows);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* row = ItemStoreGet(&control->rows, i);
    if (row && (row[2] & kRowFocused)) return static_cast<int>(i);
  }
  return -1;
}
