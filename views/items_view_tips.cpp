#include "views/items_view_tips.h"

#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/tooltips.h"
#include "foundation/win32/window_wrappers.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"

namespace {

constexpr int kMultiLineExtraWidth = 1024;

int TextWidth(const ItemListControl* control, const wchar_t* text, int length) {
  HDC dc = GetDC(control->window);
  HGDIOBJ previous = SelectObject(dc, control->font);
  int width = MeasureTextWidth(dc, text, length);
  SelectObject(dc, previous);
  ReleaseDC(control->window, dc);
  return width;
}

// The parent's tip for the main column; true when it answered (the tip may then run over several lines).
bool AskParentForTip(ItemListControl* control, int index) {
  NMTTDISPINFOW request = {};
  request.lpszText = control->tipText;
  request.lParam = reinterpret_cast<LPARAM>(GetItemRecord(control, index));
  LRESULT answer = SendListNotify(control, &request.hdr, TTN_GETDISPINFOW);
  if (request.lpszText && request.lpszText != control->tipText && !IS_INTRESOURCE(request.lpszText)) {
    CopyWideBounded(request.lpszText, control->tipText, kCellTextCapacity);
  } else if (request.szText[0]) {
    CopyWideBounded(request.szText, control->tipText, kCellTextCapacity);
  }
  return answer != 0;
}

bool InfoTipsWanted(const ItemListControl* control) { return (control->creation.styleFlags & kListInfoTips) != 0; }

}  // namespace

void ItemsViewUpdateTooltip(ItemListControl* control) {
  if (InfoTipsWanted(control) || !control->tooltip) return;
  DestroyWindowIfAlive(control->tooltip);
  control->tooltip = nullptr;
  control->tooltipActive = 0;
}

const wchar_t* ItemsViewTipAt(ItemListControl* control, POINT point) {
  control->tipText[0] = 0;
  int column = 0;
  int cellWidth = 0;
  int index = ItemsViewHitTest(control, point, &column, &cellWidth);
  if (index < 0) return control->tipText;
  int length = RequestCellDisplay(control, index, column, LVIF_TEXT, control->tipText, kCellTextCapacity, nullptr);
  bool main = column == 0;
  if (main && control->imageList) cellWidth -= control->iconWidth + control->gap;
  if (TextWidth(control, control->tipText, length) + control->textMargin < cellWidth) control->tipText[0] = 0;
  bool multiLine = main && AskParentForTip(control, index);
  SendWindowMessage(control->tooltip, TTM_SETMAXTIPWIDTH, 0, multiLine ? cellWidth + kMultiLineExtraWidth : -1);
  return control->tipText;
}

void ItemsViewTipText(ItemListControl* control, NMTTDISPINFOW* request) {
  POINT cursor = {};
  GetCursorPos(&cursor);
  ScreenToClient(control->window, &cursor);
  request->lpszText = const_cast<wchar_t*>(ItemsViewTipAt(control, cursor));
}

void ItemsViewActivateTooltip(ItemListControl* control, bool active) {
  if (active && !control->tooltip && InfoTipsWanted(control)) {
    control->tooltip = CreateTooltipControl(control->window, nullptr, false);
    TooltipAddWindowTool(control->tooltip, control->window, control->window);
  }
  if (!control->tooltip || (control->tooltipActive != 0) == active) return;
  control->tooltipActive = active ? 1 : 0;
  SendMessageW(control->tooltip, TTM_ACTIVATE, active, 0);
}

void ItemsViewRefreshTooltip(ItemListControl* control) {
  if (!control->tooltip) return;
  SendMessageW(control->tooltip, TTM_POP, 0, 0);
  TooltipUpdateWindowTool(control->tooltip, control->window, control->window);
}
