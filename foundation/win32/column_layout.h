// Column tables of lists: which columns a list shows, how wide, in what order and aligned how.
//
// A table is an array of packed 12-byte entries ended by an entry whose id is 0. A static table ends with
// width 0, a heap table (one the program built at run time) with width 1. Every query tolerates a null table.
#pragma once
#include <windows.h>

#include <cstdint>

#pragma pack(push, 1)
struct ColumnLayout {
  int16_t id;      // UI text id of the caption; negative ids are field columns
  int32_t width;   // pixels; kColumnWidthHalf, or another negative value for the rest of the client width
  int32_t order;   // display order, 0 first; negative: hidden
  uint16_t flags;  // bits 0-1 alignment; further bits carried along
};
#pragma pack(pop)
static_assert(sizeof(ColumnLayout) == 12, "a column layout entry is 12 bytes");

constexpr uint16_t kColumnAlignMask = 0x3;
constexpr uint16_t kColumnAlignLeft = 0;
constexpr uint16_t kColumnAlignRight = 1;
constexpr uint16_t kColumnAlignCentre = 2;

// Half the client width less a vertical scroll bar; any other negative width takes the rest of the client
// width after the positive widths. Both give at least kColumnMinResolvedWidth.
constexpr int32_t kColumnWidthHalf = -2;
constexpr int32_t kColumnMinResolvedWidth = 100;

inline bool IsColumnVisible(const ColumnLayout& entry) { return entry.order >= 0; }

// Entries before the terminator.
int ColumnLayoutCount(const ColumnLayout* table);
// Entries whose order is not negative.
int ColumnLayoutVisibleCount(const ColumnLayout* table);

// The n-th visible column in table order, null when there are fewer.
ColumnLayout* ColumnLayoutNthVisible(ColumnLayout* table, int n);
const ColumnLayout* ColumnLayoutNthVisible(const ColumnLayout* table, int n);
// Its id, -1 when there are fewer.
int ColumnLayoutNthVisibleId(const ColumnLayout* table, int n);
// The column with that display order and its position in the table (-1 when none).
ColumnLayout* ColumnLayoutFindByOrder(ColumnLayout* table, int order, int* index);
// The column with that id, null when absent.
ColumnLayout* ColumnLayoutFindById(ColumnLayout* table, int id);
// How many visible columns are displayed before the column with that id; -1 when absent or hidden.
int ColumnLayoutDisplayPosition(const ColumnLayout* table, int id);
// True when the terminator's width is non-zero: the owner frees the table.
bool ColumnLayoutIsHeapOwned(const ColumnLayout* table);
// Sum of the positive widths of the visible columns.
int ColumnLayoutTotalWidth(const ColumnLayout* table);
// Sum of the positive widths of the columns displayed before the table's first entry.
int ColumnLayoutFirstColumnOffset(const ColumnLayout* table);
// True when some order 0 .. n-1 (n visible columns) belongs to no entry.
bool HasColumnOrderGap(const ColumnLayout* table);
// How many visible columns stand before table position `position` (its header item); -1 when that column is
// hidden or there is none.
int ColumnLayoutVisibleIndexOf(const ColumnLayout* table, int position);
// The order array of a header or list view showing the table's visible columns in table order: entry k is the
// item displayed at position k. Ties in the orders go by table position, so a table whose orders have a gap
// still gives a complete array. Fills at most `count` entries; returns how many it filled.
int ColumnLayoutOrderArray(const ColumnLayout* table, int* order, int count);
// Gives the visible columns the orders 0, 1, 2 ... in table order.
void RenumberColumnOrders(ColumnLayout* table);

// Whether two layouts show the same: 0 when they do; 1 when a table is missing or the numbers of visible
// columns differ; then, for each display order in turn, 2 when `a` has no column with it, 3 when `b` lacks
// that column, 4 when its order or flags differ in `b`.
int CompareColumnLayouts(const ColumnLayout* a, const ColumnLayout* b);

// Gives every visible column with a negative width its pixel width for a list of that client width and
// writes it back into the table.
void ResolveColumnWidths(ColumnLayout* table, int clientWidth);
