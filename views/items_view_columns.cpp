#include "views/items_view_columns.h"

#include <algorithm>

#include "foundation/win32/column_layout.h"
#include "foundation/ui/header_columns.h"
#include "foundation/core/memory.h"
#include "views/items_view_layout.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"
#include "views/items_view_theme.h"
#include "views/items_view_window.h"

namespace {

constexpr uint32_t kWidestTextMinimum = 2;

bool IsReport(const ItemListControl* control) { return (control->creation.viewWord & kViewModeMask) == 1; }

// Report mode shows the layout's columns when there is a header, or when the list asked for none.
bool ShowsAllColumns(const ItemListControl* control) {
  return IsReport(control) && (control->header || (control->creation.viewWord & kViewNoHeader));
}

// The visible entry that comes next in display order after (order, position); ties go by table position.
int NextInDisplayOrder(const ColumnLayout* table, int order, int position) {
  int best = -1;
  for (int i = 0; table[i].id != 0; ++i) {
    if (!IsColumnVisible(table[i])) continue;
    bool after = table[i].order > order || (table[i].order == order && i > position);
    if (!after) continue;
    if (best < 0 || table[i].order < table[best].order) best = i;
  }
  return best;
}

DisplayColumn ColumnAt(const ColumnLayout* table, int position, int left) {
  const ColumnLayout& entry = table[position];
  return DisplayColumn{entry.id, position, left, std::max(0, entry.width), entry.flags};
}

}  // namespace

int CountDisplayColumns(const ItemListControl* control) {
  if (!ShowsAllColumns(control)) return 1;
  return std::max(1, ColumnLayoutVisibleCount(control->creation.columns));
}

int CollectDisplayColumns(const ItemListControl* control, DisplayColumn* columns, int capacity) {
  const ColumnLayout* table = control->creation.columns;
  if (capacity <= 0) return 0;
  if (!ShowsAllColumns(control) || !table) {
    int width = 0;
    int height = 0;
    GetItemCellSize(control, &width, &height);
    if (IsReport(control)) width = MainColumnWidth(control);
    int16_t id = table ? table[0].id : 0;
    uint16_t flags = table ? table[0].flags : 0;
    columns[0] = DisplayColumn{id, 0, 0, width, flags};
    return 1;
  }
  int count = 0;
  int left = 0;
  for (int i = NextInDisplayOrder(table, -1, -1); i >= 0 && count < capacity;
       i = NextInDisplayOrder(table, table[i].order, i)) {
    columns[count] = ColumnAt(table, i, left);
    left += columns[count++].width;
  }
  return count;
}

bool FindDisplayColumnAt(const ItemListControl* control, int x, DisplayColumn* column) {
  const ColumnLayout* table = control->creation.columns;
  if (x < 0) return false;
  if (!ShowsAllColumns(control) || !table) {
    CollectDisplayColumns(control, column, 1);
    return x < column->width;
  }
  int left = 0;
  for (int i = NextInDisplayOrder(table, -1, -1); i >= 0; i = NextInDisplayOrder(table, table[i].order, i)) {
    *column = ColumnAt(table, i, left);
    if (x < left + column->width) return true;
    left += column->width;
  }
  return false;
}

int MainColumnWidth(const ItemListControl* control) {
  const ColumnLayout* table = control->creation.columns;
  return table && table[0].id != 0 ? std::max(0, table[0].width) : 0;
}

int TablePositionOfVisible(const ItemListControl* control, int n) {
  const ColumnLayout* table = control->creation.columns;
  const ColumnLayout* entry = ColumnLayoutNthVisible(table, n);
  return entry ? static_cast<int>(entry - table) : -1;
}

bool SizeWidestText(ItemListControl* control) {
  uint32_t count = std::max<uint32_t>(kWidestTextMinimum, ColumnLayoutCount(control->creation.columns));
  if (control->widestText && control->widestTextCount == count) return true;
  auto* sized = static_cast<uint16_t*>(AllocZeroed(count * sizeof(uint16_t)));
  if (!sized) return false;
  FreeAndNull(&control->widestText);
  control->widestText = sized;
  control->widestTextCount = count;
  return true;
}

void ClearWidestText(ItemListControl* control) {
  for (uint32_t i = 0; control->widestText && i < control->widestTextCount; ++i) control->widestText[i] = 0;
}

uint16_t WidestText(const ItemListControl* control, int tablePosition) {
  if (!control->widestText || tablePosition < 0 || static_cast<uint32_t>(tablePosition) >= control->widestTextCount) {
    return 0;
  }
  return control->widestText[tablePosition];
}

bool WidenWidestText(ItemListControl* control, int tablePosition, int width) {
  if (!control->widestText || tablePosition < 0 || static_cast<uint32_t>(tablePosition) >= control->widestTextCount ||
      !IsControlThread(control)) {
    return false;
  }
  uint16_t clamped = static_cast<uint16_t>(std::clamp(width, 0, 0xFFFF));
  if (clamped <= control->widestText[tablePosition]) return false;
  control->widestText[tablePosition] = clamped;
  return true;
}

LRESULT ItemsViewHeaderNotify(ItemListControl* control, NMHDR* header) {
  auto* event = reinterpret_cast<NMHEADERW*>(header);
  switch (header->code) {
    case HDN_ITEMCLICKW: {
      NMLISTVIEW click = {};
      click.iItem = -1;
      click.iSubItem = TablePositionOfVisible(control, event->iItem);
      click.ptAction = PointFromParam(static_cast<LPARAM>(GetMessagePos()));
      ScreenToClient(control->window, &click.ptAction);
      SendListNotify(control, &click.hdr, LVN_COLUMNCLICK);
      return 0;
    }
    case HDN_DIVIDERDBLCLICKW:
      ItemsViewAutoSizeColumn(control, event->iItem);
      return SendMessageW(control->creation.parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
    case HDN_ENDTRACKW:
      return SendMessageW(control->creation.parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
    case HDN_ITEMCHANGEDW: {
      ColumnLayout* entry = ColumnLayoutNthVisible(control->creation.columns, event->iItem);
      if (entry && event->pitem && (event->pitem->mask & HDI_WIDTH) && entry->width != event->pitem->cxy) {
        entry->width = event->pitem->cxy;
        ItemsViewLayout(control, false);
      }
      return 0;
    }
    case NM_CUSTOMDRAW:
      return ItemsViewHeaderCustomDraw(control, reinterpret_cast<NMCUSTOMDRAW*>(header));
    case HDN_ENDDRAG:
      SetTimer(control->window, kHeaderRereadTimer, kHeaderRereadDelay, nullptr);
      return FALSE;
    default:
      return 0;
  }
}

void ItemsViewRereadHeader(ItemListControl* control) {
  KillTimer(control->window, kHeaderRereadTimer);
  ReadHeaderColumnLayout(control->header, control->creation.columns);
  ItemsViewLayout(control, false);
}

bool ItemsViewHeaderContextMenu(ItemListControl* control, LPARAM screenPoint) {
  HDHITTESTINFO hit = {};
  hit.pt = PointFromParam(screenPoint);
  ScreenToClient(control->header, &hit.pt);
  int item = static_cast<int>(SendMessageW(control->header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  PaneHeaderMenuRecord record = {control->window, (hit.flags & HHT_ONHEADER) ? item : -1};
  return SendPaneNotify(control, kPaneHeaderMenu, &record) != 0;
}
