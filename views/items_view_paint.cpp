#include "views/items_view_paint.h"

#include <commctrl.h>

#include <algorithm>

#include "foundation/win32/column_layout.h"
#include "foundation/win32/gdi.h"
#include "foundation/core/memory.h"
#include "foundation/win32/theme.h"
#include "views/file_list_row.h"
#include "views/items_view_columns.h"
#include "views/items_view_layout.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"

namespace {

constexpr UINT kCellTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
constexpr UINT kIconStateBits = LVIS_OVERLAYMASK | LVIS_CUT;
constexpr int kFocusedSelectionBlend = 2;
constexpr int kSelectionBlend = 8;
constexpr int kUnfocusedSelectionBlend = 1;
constexpr int kHoverBlend = 10;

struct PaintPass {
  ItemListControl* control;
  HDC dc;
  RECT paint;
  RECT area;
  DisplayColumn* columns;
  int columnCount;
  bool announceRows;
  bool announceCells;
  bool listCellGrew;
  wchar_t text[kCellTextCapacity];
};

// What one cell is drawn with.
struct CellColours {
  COLORREF text;
  COLORREF back;
};

bool HasStyle(const ItemListControl* control, uint32_t bits) { return (control->creation.styleFlags & bits) != 0; }

LRESULT AnnounceDraw(PaintPass* pass, DWORD stage, int index, int subItem, const RECT& rect, UINT state,
                     const uint8_t* row, CellColours* colours) {
  NMLVCUSTOMDRAW draw = {};
  draw.nmcd.dwDrawStage = stage;
  draw.nmcd.hdc = pass->dc;
  draw.nmcd.rc = rect;
  draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(index);
  draw.nmcd.uItemState = state;
  draw.nmcd.lItemlParam = reinterpret_cast<LPARAM>(row);
  draw.iSubItem = subItem;
  if (colours) {
    draw.clrText = colours->text;
    draw.clrTextBk = colours->back;
  }
  LRESULT answer = SendListNotify(pass->control, &draw.nmcd.hdr, NM_CUSTOMDRAW);
  if (stage == CDDS_PREPAINT) pass->announceCells = (answer & CDRF_NOTIFYITEMDRAW) && draw.iSubItem != 0;
  if (colours && (answer & CDRF_NEWFONT)) {
    colours->text = draw.clrText;
    colours->back = draw.clrTextBk;
  }
  return answer;
}

CellColours RowColours(PaintPass* pass, int index, const uint8_t* row, const RECT& rect) {
  const ItemListControl* control = pass->control;
  CellColours colours = {control->textColour, control->backgroundColour};
  uint8_t state = row[2];
  if ((state & kRowSelected) && !HasStyle(control, kListNoSelectionColour)) {
    COLORREF highlight = GetThemeColorByIndex(kSlotHighlight);
    if (!control->hasFocus) {
      colours.back = BlendColors(GetThemeColorByIndex(kSlotButtonFace), colours.back, kUnfocusedSelectionBlend);
    } else {
      int blend = (state & kRowFocused) ? kFocusedSelectionBlend : kSelectionBlend;
      colours.back = BlendColors(highlight, colours.back, blend);
    }
  }
  if (pass->announceRows) {
    AnnounceDraw(pass, CDDS_ITEMPREPAINT, index, 0, rect, state & ~kRowChecked, row, &colours);
  }
  if (index == control->hotIndex && !HasStyle(control, kListNoHoverColour)) {
    colours.back = BlendColors(GetThemeColorByIndex(kSlotHighlight), colours.back, kHoverBlend);
  }
  return colours;
}

UINT AlignmentFormat(uint16_t flags) {
  switch (flags & kColumnAlignMask) {
    case kColumnAlignRight:
      return DT_RIGHT;
    case kColumnAlignCentre:
      return DT_CENTER;
    default:
      return DT_LEFT;
  }
}

// Text margins by alignment: after the margin on the left, before it on the right, one pixel each side centred.
void ApplyTextMargin(const ItemListControl* control, uint16_t flags, RECT* rect) {
  switch (flags & kColumnAlignMask) {
    case kColumnAlignRight:
      rect->right -= control->textMargin;
      break;
    case kColumnAlignCentre:
      InflateRect(rect, -1, 0);
      break;
    default:
      rect->left += control->textMargin;
      break;
  }
}

void RecordContentWidth(PaintPass* pass, int tablePosition, int width) {
  ItemListControl* control = pass->control;
  uint32_t mode = ViewMode(control);
  if (mode == kViewReport) {
    WidenWidestText(control, tablePosition, width);
  } else if (mode == kViewColumnMajor) {
    // Entry 0 may be shrunk to the window; the width it wants is kept in entry 1.
    pass->listCellGrew |= WidenWidestText(control, 1, width) && WidestText(control, 0) < width;
  } else if (mode == kViewListRows) {
    pass->listCellGrew |= WidenWidestText(control, 0, width);
  }
}

void DrawCellText(PaintPass* pass, const DisplayColumn& column, const RECT& cell, RECT rect, bool marginGiven,
                  UINT alignment, int length) {
  const ItemListControl* control = pass->control;
  if (!marginGiven) ApplyTextMargin(control, column.flags, &rect);
  if (length > 0) DrawTextSafe(pass->dc, pass->text, length, &rect, alignment | kCellTextFormat);
  int measured = length > 0 ? MeasureTextWidth(pass->dc, pass->text, length) : 0;
  int leading = column.tablePosition == 0 ? rect.left - cell.left - (marginGiven ? 0 : control->textMargin) : 0;
  RecordContentWidth(pass, column.tablePosition, measured + control->widthExtra + std::max(0, leading));
}

void DrawImage(const PaintPass* pass, int image, const RECT& at, CellColours colours, UINT style) {
  const ItemListControl* control = pass->control;
  if (!control->imageList || image <= 0) return;
  ImageList_DrawEx(control->imageList, image - 1, pass->dc, at.left, at.top, control->iconWidth, control->iconHeight,
                   colours.back, colours.text, ILD_NORMAL | style);
}

// Check box and icon of the main column; where its text goes and whether the margin is already in it.
RECT DrawMainContent(PaintPass* pass, int index, uint8_t state, const RECT& cell, const CellDisplay& display,
                     CellColours colours, bool* marginGiven) {
  ItemListControl* control = pass->control;
  RECT text = cell;
  *marginGiven = false;
  RECT part;
  if (GetItemPartRect(control, index, kPartCheckBox, &part)) {
    DrawCheckBox(control->window, pass->dc, part, (state & kRowChecked) != 0);
    text.left = part.right;
  }
  if (GetItemPartRect(control, index, kPartIcon, &part)) {
    DrawImage(pass, display.image, part, colours, display.stateBits & kIconStateBits);
    text.left = part.right + control->textMargin / 2;
    *marginGiven = true;
  }
  if (ViewMode(control) == kViewIconGrid && GetItemPartRect(control, index, kPartLabel, &part)) {
    text = part;
    *marginGiven = false;
  }
  return text;
}

void PaintCell(PaintPass* pass, int index, const uint8_t* row, const DisplayColumn& column, const RECT& cell,
               CellColours colours, COLORREF underneath) {
  ItemListControl* control = pass->control;
  bool main = column.tablePosition == 0;
  if (pass->announceCells && !main) {
    AnnounceDraw(pass, CDDS_ITEMPREPAINT | CDDS_SUBITEM, index, column.tablePosition, cell, row[2] & ~kRowChecked, row,
                 &colours);
  }
  if (colours.back != underneath) FillRectSolid(pass->dc, cell, colours.back);
  SetTextColor(pass->dc, colours.text);
  UINT mask = LVIF_TEXT | ((main || pass->announceCells) ? LVIF_IMAGE : 0);
  CellDisplay display = {};
  int length = RequestCellDisplay(control, index, column.tablePosition, mask, pass->text, kCellTextCapacity, &display);
  if (!main && display.image > 0 && control->imageList) {
    RECT at = {cell.left + (cell.right - cell.left - control->iconWidth) / 2,
               cell.top + (cell.bottom - cell.top - control->iconHeight) / 2, 0, 0};
    DrawImage(pass, display.image, at, colours, 0);
    return;
  }
  bool marginGiven = false;
  RECT text = main ? DrawMainContent(pass, index, row[2], cell, display, colours, &marginGiven) : cell;
  UINT alignment = ViewMode(control) == kViewIconGrid ? DT_CENTER : AlignmentFormat(column.flags);
  DrawCellText(pass, column, cell, text, marginGiven, alignment, length);
}

void DrawFocusFrame(HDC dc, RECT rect) {
  rect.bottom -= 1;
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  DrawFocusRect(dc, &rect);
}

void PaintRow(PaintPass* pass, int index, const RECT& rect) {
  ItemListControl* control = pass->control;
  const uint8_t* row = GetItemRecord(control, index);
  if (!row) return;
  CellColours colours = RowColours(pass, index, row, rect);
  bool wholeRow = HasStyle(control, kListFullRowSelect) || pass->columnCount <= 1;
  COLORREF background = control->backgroundColour;
  if (wholeRow && colours.back != background) FillRectSolid(pass->dc, rect, colours.back);
  for (int i = 0; i < pass->columnCount; ++i) {
    const DisplayColumn& column = pass->columns[i];
    RECT cell = rect;
    if (ViewMode(control) == kViewReport)
      cell = RECT{rect.left + column.left, rect.top, rect.left + column.left + column.width, rect.bottom};
    if (cell.right <= pass->paint.left || cell.left >= pass->paint.right) continue;
    bool selectionColoured = wholeRow || column.tablePosition == 0;
    CellColours cellColours = {colours.text, selectionColoured ? colours.back : background};
    PaintCell(pass, index, row, column, cell, cellColours, wholeRow ? colours.back : background);
  }
  bool noFocusFrame = HasStyle(control, kListNoSelectionColour | kListNoFocusRectangle);
  if (control->hasFocus && index == control->focusedIndex && !noFocusFrame) DrawFocusFrame(pass->dc, rect);
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void PaintLines(PaintPass* pass, const RECT& client) {
  ItemListControl* control = pass->control;
  if (!HasStyle(control, kListGridLines | kListColumnLines)) return;
  HPEN pen = CreatePen(PS_SOLID, 1, control->lineColour);
  HGDIOBJ previous = SelectObject(pass->dc, pen);
  int left = pass->area.left - static_cast<int>(control->horizontalOffset);
  int rowHeight = std::max<int>(1, control->rowHeight);
  if (ViewMode(control) == kViewReport) {
    int right = left;
    for (int i = 0; i < pass->columnCount; ++i) {
      right = left + pass->columns[i].left + pass->columns[i].width;
      DrawLine(pass->dc, right - 1, pass->area.top, right - 1, client.bottom);
    }
    if (HasStyle(control, kListGridLines)) {
      for (int y = pass->area.top + rowHeight - 1; y < client.bottom; y += rowHeight) {
        DrawLine(pass->dc, client.left, y, std::min<int>(right, client.right), y);
      }
    }
  } else if (ViewMode(control) != kViewIconGrid && HasStyle(control, kListColumnLines)) {
    int width = 0;
    int height = 0;
    GetItemCellSize(control, &width, &height);
    int start = ViewMode(control) == kViewColumnMajor ? left : pass->area.left;
    for (int x = start + width - 1; width > 0 && x < client.right; x += width) {
      DrawLine(pass->dc, x, pass->area.top, x, client.bottom);
    }
  }
  SelectObject(pass->dc, previous);
  DeleteObject(pen);
}

void PaintSelectionRectangle(const PaintPass* pass) {
  const ItemListControl* control = pass->control;
  if (control->captureState != 2) return;
  RECT rect = {std::min(control->selectionAnchor.x, control->selectionCurrent.x),
               std::min(control->selectionAnchor.y, control->selectionCurrent.y),
               std::max(control->selectionAnchor.x, control->selectionCurrent.x),
               std::max(control->selectionAnchor.y, control->selectionCurrent.y)};
  SetTextColor(pass->dc, RGB(0, 0, 0));
  SetBkColor(pass->dc, RGB(255, 255, 255));
  DrawFocusRect(pass->dc, &rect);
}

void PaintRows(PaintPass* pass) {
  ItemListControl* control = pass->control;
  for (int index = control->topIndex;; ++index) {
    RECT rect;
    if (!GetItemPartRect(control, index, kPartWhole, &rect)) break;
    RECT visible;
    if (IntersectRect(&visible, &rect, &pass->paint)) PaintRow(pass, index, rect);
  }
}

void PaintInto(ItemListControl* control, HDC dc, const RECT& paint) {
  PaintPass* pass = static_cast<PaintPass*>(AllocZeroed(sizeof(PaintPass)));
  if (!pass) return;
  pass->control = control;
  pass->dc = dc;
  pass->paint = paint;
  pass->area = RowsArea(control);
  RECT client = {};
  GetClientRect(control->window, &client);
  SelectObject(dc, control->font);
  SetBkMode(dc, TRANSPARENT);
  FillRectSolid(dc, paint, control->backgroundColour);
  pass->announceRows =
      (AnnounceDraw(pass, CDDS_PREPAINT, -1, 0, client, 0, nullptr, nullptr) & CDRF_NOTIFYITEMDRAW) != 0;
  int capacity = CountDisplayColumns(control);
  pass->columns = static_cast<DisplayColumn*>(AllocZeroed(static_cast<uint32_t>(capacity) * sizeof(DisplayColumn)));
  if (pass->columns) {
    pass->columnCount = CollectDisplayColumns(control, pass->columns, capacity);
    PaintRows(pass);
    PaintLines(pass, client);
  }
  PaintSelectionRectangle(pass);
  bool relayout = pass->listCellGrew;
  FreeAndNull(&pass->columns);
  FreeAndNull(&pass);
  // A list cell that grew while painting changes how many cells fit.
  if (relayout) ItemsViewLayout(control, false);
}

}  // namespace

void ItemsViewPaint(ItemListControl* control, HDC target) {
  PAINTSTRUCT paint = {};
  RECT rect = {};
  HDC dc = target;
  if (target) {
    GetClientRect(control->window, &rect);
  } else {
    dc = BeginPaint(control->window, &paint);
    rect = paint.rcPaint;
  }
  if (!IsRectEmpty(&rect)) {
    DoubleBuffer buffer;
    if (BeginDoubleBuffer(&buffer, dc, rect)) {
      SetViewportOrgEx(buffer.memoryDc, -rect.left, -rect.top, nullptr);
      PaintInto(control, buffer.memoryDc, rect);
      SetViewportOrgEx(buffer.memoryDc, 0, 0, nullptr);
      EndDoubleBuffer(&buffer);
    } else {
      PaintInto(control, dc, rect);
    }
  }
  if (!target) EndPaint(control->window, &paint);
}
