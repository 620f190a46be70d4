#include "views/items_view_input.h"

#include <commctrl.h>

#include <algorithm>

#include "foundation/ui/command_ids.h"
#include "foundation/win32/column_layout.h"
#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "views/file_list_row.h"
#include "views/items_view_columns.h"
#include "views/items_view_edit.h"
#include "views/items_view_layout.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"
#include "views/items_view_state.h"
#include "views/items_view_tips.h"
#include "views/items_view_window.h"

namespace {

constexpr int32_t kNoPress = -1;
constexpr WPARAM kLastForwardedKey = 0x7A;
constexpr WPARAM kFirstForwardedCharacter = 123;
constexpr int kMaxKeyMargin = 3;
constexpr uint8_t kHoverCapture = 1;
constexpr uint8_t kRectangleCapture = 2;

int RowCount(const ItemListControl* control) { return static_cast<int>(ItemStoreCount(&control->rows)); }
int PerRow(const ItemListControl* control) { return std::max<int>(1, control->itemsPerRow); }
int PerPage(const ItemListControl* control) { return std::max<int>(1, control->rowsPerPage); }
bool IsMultiSelection(const ItemListControl* control) { return !(control->creation.viewWord & kViewSingleSelection); }
bool SameSpot(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

bool RefusesRow(const ItemListControl* control, int index) {
  SelectionVetoCallback veto = control->creation.vetoSelection;
  const uint8_t* row = GetItemRecord(control, index);
  if (!veto || !row) return !row;
  return GuardedCall(0, [&] { return veto(row, index); }) == 0;
}

uint32_t SelectingBits(const ItemListControl* control) {
  return (control->creation.styleFlags & kListFocusDoesNotSelect) ? kRowFocused : kRowFocused | kRowSelected;
}

void ArmDrag(ItemListControl* control, int code, LPARAM position) {
  control->pendingDragCode = code;
  control->pressPosition = static_cast<int32_t>(position);
  SetCapture(control->window);
}

void EndSelectionRectangle(ItemListControl* control) {
  if (control->captureState != kRectangleCapture) return;
  control->captureState = 0;
  control->selectionAnchorRow = -1;
  InvalidateRect(control->window, nullptr, FALSE);
  if (GetCapture() == control->window) ReleaseCapture();
}

void SetHotRow(ItemListControl* control, int index) {
  if (index == control->hotIndex) return;
  ItemsViewRedrawItem(control, control->hotIndex);
  control->hotIndex = index;
  ItemsViewRedrawItem(control, index);
  ItemsViewRefreshTooltip(control);
}

// The tip shows one cell's text: moving to another cell of the same row asks for the tip again.
void TrackTipCell(ItemListControl* control, POINT point) {
  int column = -1;
  const int32_t cell = ItemsViewHitTest(control, point, &column, nullptr) < 0 ? -1 : column;
  if (cell == control->tipColumn) return;
  control->tipColumn = cell;
  ItemsViewRefreshTooltip(control);
}

void EndHover(ItemListControl* control) {
  control->tipColumn = -1;
  SetHotRow(control, -1);
  if (control->captureState == kHoverCapture) control->captureState = 0;
  ItemsViewActivateTooltip(control, false);
}

// The row a selection rectangle reaches at a point; past the last row it is the last row.
int RowForRectangle(const ItemListControl* control, POINT point) {
  int count = RowCount(control);
  if (count == 0) return -1;
  RECT area = RowsArea(control);
  point.y = std::clamp<LONG>(point.y, area.top, std::max(area.top, area.bottom - 1));
  int right =
      area.left + ColumnLayoutTotalWidth(control->creation.columns) - static_cast<int>(control->horizontalOffset);
  if (ViewMode(control) != kViewReport) right = area.right;
  point.x = std::clamp<LONG>(point.x, area.left, std::max<LONG>(area.left, right - 1));
  int index = ItemsViewItemFromPoint(control, point);
  return index >= 0 ? index : count - 1;
}

void SelectRange(ItemListControl* control, int first, int last, bool select) {
  for (int i = first; i <= last; ++i) ItemsViewSetItemState(control, i, select ? kRowSelected : 0, kRowSelected);
}

void UpdateSelectionRectangle(ItemListControl* control, POINT point) {
  int previous = RowForRectangle(control, control->selectionCurrent);
  control->selectionCurrent = point;
  int reached = RowForRectangle(control, point);
  if (control->selectionAnchorRow < 0) control->selectionAnchorRow = reached;
  int anchor = control->selectionAnchorRow;
  if (anchor >= 0 && reached >= 0) {
    int low = std::min(anchor, reached);
    int high = std::max(anchor, reached);
    if (previous >= 0) {
      for (int i = std::min(anchor, previous); i <= std::max(anchor, previous); ++i) {
        if (i < low || i > high) ItemsViewSetItemState(control, i, 0, kRowSelected);
      }
    }
    SelectRange(control, low, high, true);
  }
  InvalidateRect(control->window, nullptr, FALSE);
}

void StartSelectionRectangle(ItemListControl* control, POINT point) {
  control->captureState = kRectangleCapture;
  control->selectionAnchor = point;
  control->selectionCurrent = point;
  control->selectionAnchorRow = RowForRectangle(control, point);
  SetCapture(control->window);
}

void FocusByKey(ItemListControl* control, int target, bool extend) {
  int count = RowCount(control);
  if (count == 0) return;
  ItemsViewFocusItem(control, std::clamp(target, 0, count - 1), extend);
}

// Up and Down in report mode scroll one row once the focus comes within the margin of an edge.
void ScrollForStep(ItemListControl* control, int target, int direction) {
  if (ViewMode(control) != kViewReport) return;
  int page = PerPage(control);
  int margin = std::min(kMaxKeyMargin, page / 4);
  int top = control->topIndex;
  if (direction < 0 && target < top + margin && top > 0) ItemsViewScrollToTop(control, top - 1);
  if (direction > 0 && target > top + page - 1 - margin) ItemsViewScrollToTop(control, top + 1);
}

void StepVertically(ItemListControl* control, int direction, bool extend) {
  int focus = control->focusedIndex;
  bool rowWise = ViewMode(control) == kViewReport || ViewMode(control) == kViewColumnMajor;
  int target = focus < 0 ? 0 : focus + direction * (rowWise ? 1 : PerRow(control));
  if (target < 0 || target >= RowCount(control)) return;
  ScrollForStep(control, target, direction);
  FocusByKey(control, target, extend);
}

void StepHorizontally(ItemListControl* control, int direction, bool extend) {
  int focus = std::max(0, control->focusedIndex);
  switch (ViewMode(control)) {
    case kViewReport:
      ItemsViewHScroll(control, direction < 0 ? SB_LINELEFT : SB_LINERIGHT, 0);
      return;
    case kViewColumnMajor: {
      int target = focus + direction * PerPage(control);
      if (target < 0) return;
      FocusByKey(control, std::min(target, RowCount(control) - 1), extend);
      return;
    }
    default:
      FocusByKey(control, focus + direction, extend);
      return;
  }
}

int ItemsPerPage(const ItemListControl* control) {
  uint32_t mode = ViewMode(control);
  return mode == kViewReport || mode == kViewColumnMajor ? PerPage(control) : PerPage(control) * PerRow(control);
}

void ForwardKey(const ItemListControl* control, WPARAM key, LPARAM keyData) {
  PaneKeyRecord record = {control->creation.controlId, static_cast<uint16_t>(key), keyData};
  SendPaneNotify(control, kPaneKey, &record);
}

void ClickOnRow(ItemListControl* control, int index, WPARAM keys, int focusedBefore, bool hadFocus) {
  bool shift = (keys & MK_SHIFT) != 0;
  bool ctrl = (keys & MK_CONTROL) != 0;
  if (shift && IsMultiSelection(control)) {
    ItemsViewFocusItem(control, index, true);
  } else if (ctrl) {
    if (IsMultiSelection(control)) {
      ItemsViewSetItemState(control, index, -1, kRowSelected);
      ItemsViewSetItemState(control, index, kRowFocused, kRowFocused);
    } else {
      ItemsViewSetItemState(control, index, kRowFocused | kRowSelected, kRowFocused | kRowSelected);
    }
  } else if (index != focusedBefore) {
    ItemsViewFocusItem(control, index, false);
  } else if (!(GetItemState(control, index, kRowSelected) & kRowSelected) || !hadFocus) {
    ItemsViewDeselectOthers(control, index);
    uint32_t bits = SelectingBits(control);
    ItemsViewSetItemState(control, index, static_cast<int>(bits), bits);
  }
}

void ClickOnEmptySpace(ItemListControl* control, WPARAM keys, POINT point) {
  if (keys & (MK_SHIFT | MK_CONTROL)) return;
  if (IsMultiSelection(control)) StartSelectionRectangle(control, point);
  if (!(control->creation.styleFlags & kListFocusDoesNotSelect)) ItemsViewSelectItems(control, -1, 0);
}

bool InCheckBox(const ItemListControl* control, int index, int column, POINT point) {
  RECT box;
  return column == 0 && GetItemPartRect(control, index, kPartCheckBox, &box) && PtInRect(&box, point);
}

bool InLabel(const ItemListControl* control, int index, POINT point) {
  RECT label;
  return GetItemPartRect(control, index, kPartLabel, &label) && PtInRect(&label, point);
}

// One-click activation; true when the parent's answer ends the click.
bool ActivateByClick(ItemListControl* control, int index, int column, POINT point, WPARAM keys) {
  if (index != control->focusedIndex) ItemsViewFocusItem(control, index, false);
  UINT flags = static_cast<UINT>(keys);
  NotifyItemAction(control, NM_CLICK, index, column, point, flags);
  return NotifyItemAction(control, LVN_ITEMACTIVATE, index, column, point, flags) != 0;
}

void StartDrag(ItemListControl* control) {
  KillTimer(control->window, kDragStartTimer);
  int code = control->pendingDragCode;
  if (!code || control->editor) return;
  POINT press = PointFromParam(control->pressPosition);
  control->pendingDragCode = 0;
  control->pressPosition = kNoPress;
  SetHotRow(control, -1);
  control->pendingRenameIndex = -1;
  if (GetCapture() == control->window) ReleaseCapture();
  int column = 0;
  int index = ItemsViewHitTest(control, press, &column, nullptr);
  NotifyItemAction(control, code, index, column, press, 0);
}

void RenameAfterDelay(ItemListControl* control) {
  KillTimer(control->window, kRenameTimer);
  int pending = control->pendingRenameIndex;
  if (pending >= 0 && pending == control->focusedIndex && !control->editor && !control->pendingDragCode) {
    ItemsViewBeginEdit(control, pending);
  }
}

}  // namespace

void ItemsViewKeyDown(ItemListControl* control, WPARAM key, LPARAM keyData) {
  bool extend = GetKeyState(VK_SHIFT) < 0 && IsMultiSelection(control);
  int focus = control->focusedIndex;
  switch (key) {
    case VK_ESCAPE:
      if (control->captureState == kRectangleCapture) {
        EndSelectionRectangle(control);
      } else {
        PostMessageW(control->creation.parent, WM_COMMAND, IDM_CANCEL, 0);
      }
      return;
    case VK_SPACE:
      ItemsViewSetItemCheck(control, focus, -1);
      return;
    case VK_PRIOR:
      FocusByKey(control, focus - ItemsPerPage(control), extend);
      return;
    case VK_NEXT:
      FocusByKey(control, focus < 0 ? 0 : focus + ItemsPerPage(control), extend);
      return;
    case VK_HOME:
      FocusByKey(control, 0, extend);
      return;
    case VK_END:
      FocusByKey(control, RowCount(control) - 1, extend);
      return;
    case VK_LEFT:
      StepHorizontally(control, -1, extend);
      return;
    case VK_RIGHT:
      StepHorizontally(control, 1, extend);
      return;
    case VK_UP:
      StepVertically(control, -1, extend);
      return;
    case VK_DOWN:
      StepVertically(control, 1, extend);
      return;
    default:
      if (key <= kLastForwardedKey) ForwardKey(control, key, keyData);
      return;
  }
}

void ItemsViewChar(ItemListControl* control, WPARAM character, LPARAM keyData) {
  if (character >= kFirstForwardedCharacter) ForwardKey(control, character, keyData);
}

void ItemsViewMouseDown(ItemListControl* control, WPARAM keys, LPARAM position) {
  bool hadFocus = control->hasFocus != 0;
  int focusedBefore = control->focusedIndex;
  SetFocus(control->window);
  POINT point = PointFromParam(position);
  int column = 0;
  int index = ItemsViewHitTest(control, point, &column, nullptr);
  if (index >= 0 && InCheckBox(control, index, column, point)) {
    ItemsViewSetItemCheck(control, index, -1);
    return;
  }
  if (index >= 0 && (control->creation.styleFlags & kListOneClickActivate) &&
      ActivateByClick(control, index, column, point, keys)) {
    return;
  }
  if (index >= 0 && !control->editor && !RefusesRow(control, index)) ArmDrag(control, LVN_BEGINDRAG, position);
  if (control->editor) {
    ItemsViewEndEdit(control, true);
  } else if ((control->creation.viewWord & kViewSlowClickRename) && index >= 0 && index == focusedBefore &&
             control->pendingRenameIndex < 0 && InLabel(control, index, point)) {
    control->pendingRenameIndex = index;
  }
  if (index >= 0) {
    ClickOnRow(control, index, keys, focusedBefore, hadFocus);
  } else {
    ClickOnEmptySpace(control, keys, point);
  }
  PostPaneNotify(control, kPaneLeftDown);
}

void ItemsViewMouseUp(ItemListControl* control, WPARAM keys, LPARAM position) {
  bool dragMoved = KillTimer(control->window, kDragStartTimer) != 0;
  control->pendingDragCode = 0;
  bool rectangle = control->captureState == kRectangleCapture;
  EndSelectionRectangle(control);
  if (GetCapture() == control->window) ReleaseCapture();
  POINT press = PointFromParam(control->pressPosition);
  bool pressed = control->pressPosition != kNoPress;
  control->pressPosition = kNoPress;
  if (dragMoved || rectangle || control->pendingRenameIndex < 0 ||
      !(control->creation.viewWord & kViewSlowClickRename)) {
    return;
  }
  if ((keys & (MK_SHIFT | MK_CONTROL)) || !pressed || !SameSpot(press, PointFromParam(position))) {
    control->pendingRenameIndex = -1;
  } else {
    SetTimer(control->window, kRenameTimer, kRenameDelay, nullptr);
  }
}

void ItemsViewDoubleClick(ItemListControl* control, WPARAM keys, LPARAM position) {
  KillTimer(control->window, kRenameTimer);
  control->pendingRenameIndex = -1;
  ItemsViewEndEdit(control, true);
  SetFocus(control->window);
  POINT point = PointFromParam(position);
  int column = 0;
  int index = ItemsViewHitTest(control, point, &column, nullptr);
  NotifyItemAction(control, NM_DBLCLK, index, column, point, static_cast<UINT>(keys));
}

void ItemsViewRightDown(ItemListControl* control, WPARAM keys, LPARAM position) {
  SetFocus(control->window);
  PaneMouseRecord record = {control->window, keys, position};
  if (SendPaneNotify(control, kPaneRightDown, &record) != 0) return;
  int index = ItemsViewItemFromPoint(control, PointFromParam(position));
  if (index < 0) return;
  uint32_t bits = SelectingBits(control);
  ItemsViewSetItemState(control, index, static_cast<int>(bits), bits);
  if (!RefusesRow(control, index)) ArmDrag(control, LVN_BEGINRDRAG, position);
}

bool ItemsViewRightUp(ItemListControl* control, WPARAM keys, LPARAM position) {
  SetFocus(control->window);
  EndSelectionRectangle(control);
  KillTimer(control->window, kDragStartTimer);
  control->pendingDragCode = 0;
  control->pressPosition = kNoPress;
  if (GetCapture() == control->window) ReleaseCapture();
  PaneMouseRecord record = {control->window, keys, position};
  if (SendPaneNotify(control, kPaneRightUp, &record) != 0) return true;
  control->rightButtonPending = 1;
  return false;
}

void ItemsViewMouseMove(ItemListControl* control, WPARAM, LPARAM position) {
  POINT point = PointFromParam(position);
  if (control->pressPosition != kNoPress && !control->editor &&
      !SameSpot(point, PointFromParam(control->pressPosition))) {
    if (control->pendingDragCode) SetTimer(control->window, kDragStartTimer, kDragStartDelay, nullptr);
    return;
  }
  if (control->captureState == kRectangleCapture) UpdateSelectionRectangle(control, point);
  POINT screen = point;
  ClientToScreen(control->window, &screen);
  if (WindowFromPoint(screen) != control->window && control->captureState != kRectangleCapture) {
    EndHover(control);
  } else {
    SetHotRow(control, ItemsViewItemFromPoint(control, point));
    TrackTipCell(control, point);
    if (control->captureState == 0) {
      TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, control->window, 0};
      TrackMouseEvent(&track);
      control->captureState = kHoverCapture;
      ItemsViewActivateTooltip(control, true);
    }
  }
  PaneMouseRecord record = {control->window, 0, position};
  SendPaneNotify(control, kPaneMouseMove, &record);
}

void ItemsViewMouseLeave(ItemListControl* control) {
  if (control->captureState == kHoverCapture) EndHover(control);
}

bool ItemsViewContextMenu(ItemListControl* control, HWND source, LPARAM screenPoint) {
  if (source && source == control->header) return ItemsViewHeaderContextMenu(control, screenPoint);
  control->pendingDragCode = 0;
  bool fromMouse = screenPoint != -1;
  bool swallow = fromMouse && !control->rightButtonPending;
  control->rightButtonPending = 0;
  return swallow;
}

void ItemsViewCaptureLost(ItemListControl* control) {
  if (control->captureState != kRectangleCapture) return;
  control->captureState = 0;
  control->selectionAnchorRow = -1;
  InvalidateRect(control->window, nullptr, FALSE);
}

void ItemsViewTimer(ItemListControl* control, UINT_PTR timerId) {
  switch (timerId) {
    case kRenameTimer:
      RenameAfterDelay(control);
      return;
    case kHeaderRereadTimer:
      ItemsViewRereadHeader(control);
      return;
    case kDragStartTimer:
      StartDrag(control);
      return;
    case kLayoutRestTimer:
      ItemsViewLayoutRested(control);
      return;
    default: {
      PaneTimerRecord record = {control->window, timerId};
      SendPaneNotify(control, kPaneTimer, &record);
      return;
    }
  }
}
