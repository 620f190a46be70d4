// The program's own list control: the chain of rename steps and the file list. Its rows are packed records
// in an ItemStore that worker threads fill while the GUI thread paints straight from it; every row begins with
// a u16 record length and a state byte (bit 0 focused, bit 1 selected, bit 6 check box set).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "foundation/core/item_store.h"
#include "foundation/text/text_sizes.h"

struct ColumnLayout;

constexpr uint16_t kChainListId = 61;
constexpr uint16_t kFileListId = 62;

// View word bits.
constexpr uint32_t kViewModeMask = 0x3;  // 0 icon grid, 1 report with header, 2 list rows, 3 column-major list
constexpr uint32_t kViewSingleSelection = 0x4;
constexpr uint32_t kViewSharedImageList = 0x40;
constexpr uint32_t kViewSlowClickRename = 0x200;
constexpr uint32_t kViewNoHeader = 0x4000;

// Style flag bits.
constexpr uint32_t kListGridLines = 0x1;
constexpr uint32_t kListColumnLines = 0x2;
constexpr uint32_t kListCheckBoxes = 0x4;
constexpr uint32_t kListReorderColumns = 0x10;
constexpr uint32_t kListFullRowSelect = 0x20;
constexpr uint32_t kListOneClickActivate = 0x40;
constexpr uint32_t kListNoSelectionColour = 0x100;
constexpr uint32_t kListFocusDoesNotSelect = 0x200;
constexpr uint32_t kListInfoTips = 0x400;
constexpr uint32_t kListNoFocusRectangle = 0x1000;
constexpr uint32_t kListNoHoverColour = 0x4000000;

// Called with each row before it is removed.
using ItemDeletionCallback = void (*)(uint8_t* row);
// Called with a row and its index before it is selected or dragged; 0 refuses.
using SelectionVetoCallback = int (*)(const uint8_t* row, int index);

// The creation record the creator hands over; the control keeps a copy as its first part.
struct ItemListCreation {
  HWND parent;
  uint16_t controlId;
  uint32_t viewWord;
  uint32_t styleFlags;
  ColumnLayout* columns;
  const uint16_t* sortTable;  // pairs (column id, sort key) ended by a 0 column id; null: no sorting
  SortKeyFunction sortKey;
  ItemDeletionCallback deleteItem;
  SelectionVetoCallback vetoSelection;
};
static_assert(sizeof(ItemListCreation) == 64, "the creation record is 64 bytes");

// Threads. The control's window thread (the GUI thread) alone writes the control's own state: the focus, hot and
// pending-rename indexes, the scroll position, rowCount, widestText (which it alone reads too), the editor, the
// sort key and direction, and the rows' state bytes; it alone sends the notifications to the parent. A worker that
// sorts, empties, removes a row or selects one hands that part to the GUI thread (RunOnGuiThread), and has rowCount
// taken anew by posting WM_SIZE. Workers change `rows` and `pathPool` only through the ItemStore's rules (its mutex
// for writes, the bytes moved on the GUI thread), and `idle` and `layoutNotice` with interlocked writes. Job
// threads find a control through the application's slot, and a destroyed control is freed only once no job
// thread can hold it (views/items_view_window.h).
struct HeaderBackgrounds;

struct ItemListControl {
  ItemListCreation creation;
  HWND window;
  HWND header;
  HWND editor;
  HWND tooltip;
  HFONT font;
  COLORREF textColour;
  COLORREF backgroundColour;
  COLORREF lineColour;
  HIMAGELIST imageList;
  uint16_t gap;
  uint16_t textMargin;
  uint16_t widthExtra;
  uint16_t headerHeight;
  uint16_t rowHeight;
  int32_t iconWidth;
  int32_t iconHeight;
  int32_t iconCellWidth;
  int32_t iconCellHeight;
  uint32_t rowsPerPage;
  uint32_t itemsPerRow;
  uint32_t visibleColumns;
  uint32_t horizontalOffset;
  int32_t topIndex;
  int32_t lastAnnouncedScroll;
  uint16_t* widestText;       // content width per column, one entry per column of the layout
  uint32_t widestTextCount;
  uint32_t rowCount;
  int32_t focusedIndex;
  int32_t hotIndex;
  int32_t tipColumn;          // the column of the cell under the pointer whose tip is shown; -1 none
  int32_t pendingRenameIndex;
  uint8_t tooltipActive;
  uint8_t hasFocus;
  uint8_t captureState;       // 1 hover capture, 2 selection rectangle
  uint8_t rightButtonPending;
  uint16_t splitColumn;
  uint16_t sortKey;
  int16_t sortDirection;
  ColumnLayout* creationColumns;
  volatile LONG idle;         // 1 normally; 0 while a folder enumeration fills the list
  volatile LONG layoutNotice;  // where the coalesced layout notices of worker threads stand (views/items_view_layout.cpp)
  int32_t pendingDragCode;
  int32_t pressPosition;
  POINT selectionAnchor;
  POINT selectionCurrent;
  int32_t selectionAnchorRow;
  int32_t dark;
  wchar_t editStartText[kFileNameCapacity];
  wchar_t tipText[kCellTextCapacity];
  ItemStore rows;
  ItemStore pathPool;
  HeaderBackgrounds* headerBackgrounds;  // the header items' drawn backgrounds (views/header_item_paint.h)
};
