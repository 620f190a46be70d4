#include "shell/chain_drag.h"

#include "engine/chain_list.h"
#include "engine/engine_hooks.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "shell/chain_commands.h"
#include "views/items_view.h"

namespace {

bool g_dragging = false;

// The row the step goes to: the one under the point, the last one below the rows, the first one above them.
int DropRow(const ItemListControl* chain, POINT point) {
  const int row = ItemsViewItemFromPoint(chain, point);
  if (row >= 0) return row;
  const int steps = static_cast<int>(CountSteps());
  const RECT rows = RowsArea(chain);
  return point.y < rows.top ? 0 : steps - 1;
}

void MoveStep(ItemListControl* chain, int to) {
  const int from = chain->focusedIndex;
  if (from < 0 || to < 0 || to == from || ChainChangesRefused()) return;
  const int direction = to > from ? 1 : -1;
  for (int at = from; at != to;) {
    const int moved = ItemsViewMoveFocus(chain, direction);
    if (moved < 0 || moved == at) break;
    at = moved;
  }
  UpdateMenuStatesHook();
  MarkSettingsChanged(1);
}

bool EndsDrag(const MSG& message) {
  switch (message.message) {
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_CANCELMODE:
      return true;
    case WM_KEYDOWN:
      return message.wParam == VK_ESCAPE;
  }
  return false;
}

}  // namespace

void DragChainStep(HWND) {
  ItemListControl* chain = g_app->chainList;
  if (!chain || g_dragging || SelectedStepIndex() < 0) return;
  g_dragging = true;
  SetCapture(chain->window);
  MSG message;
  while (GetCapture() == chain->window) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (EndsDrag(message)) {
      if (message.message == WM_LBUTTONUP && message.hwnd == chain->window) {
        MoveStep(chain, DropRow(chain, PointFromParam(message.lParam)));
      }
      break;
    }
    // The list itself must not see the mouse while the step is carried.
    if (message.hwnd == chain->window && message.message == WM_MOUSEMOVE) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (GetCapture() == chain->window) ReleaseCapture();
  g_dragging = false;
}

bool ChainStepDragActive() { return g_dragging; }
