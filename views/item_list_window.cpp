#include "views/item_list_window.h"

#include <commctrl.h>

#include <cwchar>

#include "foundation/column_layout.h"
#include "foundation/memory.h"
#include "foundation/theme.h"
#include "foundation/threads.h"
#include "foundation/window_wrappers.h"
#include "views/item_list_changes.h"
#include "views/item_list_columns.h"
#include "views/item_list_edit.h"
#include "views/item_list_input.h"
#include "views/item_list_layout.h"
#include "views/item_list_notify.h"
#include "views/item_list_paint.h"
#include "views/item_list_rows.h"
#include "views/item_list_sort.h"
#include "views/item_list_state.h"
#include "views/item_list_tips.h"

namespace {

constexpr DWORD kListWindowStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;

// Option bits of the program's option word and the style flags they give.
constexpr uint32_t kOptionNoInfoTips = 0x80000;
constexpr uint32_t kOptionColumnLines = 0x100000;
constexpr uint32_t kOptionGridLines = 0x40;
constexpr uint32_t kOptionNoHover = 0x200000;
constexpr uint32_t kOptionFullRowSelect = 0x20;
constexpr uint32_t kOptionOneClick = 0x80;
constexpr uint32_t kOneClickStyle = 0x848;

ItemListControl* ControlOf(HWND window) {
  return reinterpret_cast<ItemListControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool InitialiseStores(ItemListControl* control) {
  return ItemStoreInit(&control->rows) == 0 && ItemStoreInit(&control->pathPool) == 0 && SizeWidestText(control);
}

void ApplyInitialColours(ItemListControl* control) {
  control->textColour = GetThemeColorByIndex(COLOR_WINDOWTEXT);
  control->backgroundColour = GetThemeColorByIndex(COLOR_WINDOW);
  UpdateDerivedColour(control);
  InvalidateRect(control->window, nullptr, FALSE);
}

ItemListControl* ItemsViewCreate(HWND window, const ItemListCreation* creation) {
  auto* control = static_cast<ItemListControl*>(AllocZeroed(sizeof(ItemListControl)));
  if (!control) return nullptr;
  control->creation = *creation;
  control->window = window;
  control->creationColumns = creation->columns;
  control->focusedIndex = -1;
  control->hotIndex = -1;
  control->pendingRenameIndex = -1;
  control->selectionAnchorRow = -1;
  control->pressPosition = -1;
  control->iconCellWidth = kIconCellWidth;
  control->iconCellHeight = kIconCellHeight;
  if (!InitialiseStores(control)) {
    DestroyItemsView(control);
    FreeAndNull(&control);
    return nullptr;
  }
  ShowScrollBar(window, SB_BOTH, FALSE);
  SetWindowUserData(window, reinterpret_cast<LONG_PTR>(control));
  control->splitColumn = FindSplitColumn(creation->sortTable);
  control->font = reinterpret_cast<HFONT>(SendWindowMessage(creation->parent, WM_GETFONT, 0, 0));
  if (!control->font) control->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  ApplyInitialColours(control);
  control->idle = 1;
  ItemsViewUpdateTooltip(control);
  ItemsViewSetViewMode(control, creation->viewWord);
  if (IsDarkModeOn()) ApplyDarkModeToWindow(window);
  SetWindowThemeIfSupported(window, L"Explorer");
  return control;
}

DWORD WINAPI DelayedDestroyItemsViewThread(void* parameter) {
  auto* control = static_cast<ItemListControl*>(parameter);
  for (int step = 0; step < kDelayedDestroySteps; ++step) Sleep(kDelayedDestroyStepMs);
  DestroyItemsView(control);
  FreeAndNull(&control);
  return 0;
}

void OnDestroy(ItemListControl* control) {
  SetWindowUserData(control->window, 0);
  KillTimer(control->window, kRenameTimer);
  KillTimer(control->window, kHeaderRereadTimer);
  KillTimer(control->window, kDragStartTimer);
  DestroyWindowIfAlive(control->tooltip);
  control->tooltip = nullptr;
  control->header = nullptr;
  control->editor = nullptr;
  control->window = nullptr;
  HANDLE thread = StartThread(DelayedDestroyItemsViewThread, control);
  if (thread == nullptr) {
    DestroyItemsView(control);
    FreeAndNull(&control);
    return;
  }
  CloseHandleSafe(thread);
}

void SetColours(ItemListControl* control, COLORREF* slot, COLORREF colour) {
  *slot = colour;
  UpdateDerivedColour(control);
  if (control->imageList) ImageList_SetBkColor(control->imageList, control->backgroundColour);
  InvalidateRect(control->window, nullptr, FALSE);
}

LRESULT ItemText(ItemListControl* control, int index, LVITEMW* item) {
  if (!item || !item->pszText || item->cchTextMax <= 0) return 0;
  return RequestCellDisplay(control, index, item->iSubItem, LVIF_TEXT, item->pszText, item->cchTextMax, nullptr);
}

LRESULT ColumnOrderArray(const ItemListControl* control, int count, int* orders) {
  if (!orders) return FALSE;
  for (int i = 0; i < count; ++i) {
    const ColumnLayout* entry = ColumnLayoutNthVisible(control->creation.columns, i);
    if (!entry) return FALSE;
    orders[i] = entry->order;
  }
  return TRUE;
}

LRESULT ColumnInfo(const ItemListControl* control, int column, LVCOLUMNW* info) {
  const ColumnLayout* entry = ColumnLayoutNthVisible(control->creation.columns, column);
  if (!entry || !info) return FALSE;
  if (info->mask & LVCF_FMT) info->fmt = entry->flags & kColumnAlignMask;
  if (info->mask & LVCF_WIDTH) info->cx = entry->width;
  if (info->mask & LVCF_ORDER) info->iOrder = entry->order;
  if (info->mask & LVCF_SUBITEM) info->iSubItem = TablePositionOfVisible(control, column);
  if ((info->mask & LVCF_TEXT) && info->pszText && info->cchTextMax > 0) {
    info->pszText[0] = 0;
    HDITEMW item = {};
    item.mask = HDI_TEXT;
    item.pszText = info->pszText;
    item.cchTextMax = info->cchTextMax;
    SendWindowMessage(control->header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
  }
  return TRUE;
}

LRESULT SetStateFromItem(ItemListControl* control, int index, const LVITEMW* item) {
  if (!item) return FALSE;
  if ((item->stateMask & LVIS_STATEIMAGEMASK) && index >= 0) {
    ItemsViewSetItemCheck(control, index, ((item->state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? 1 : 0);
  }
  if (item->stateMask & (LVIS_FOCUSED | LVIS_SELECTED)) {
    return ItemsViewSetItemState(control, index, static_cast<int>(item->state & (LVIS_FOCUSED | LVIS_SELECTED)),
                                 item->stateMask);
  }
  return TRUE;
}

LRESULT HitTestMessage(const ItemListControl* control, LVHITTESTINFO* info) {
  if (!info) return -1;
  int column = 0;
  info->iItem = ItemsViewHitTest(control, info->pt, &column, nullptr);
  info->iSubItem = column;
  info->flags = info->iItem >= 0 ? LVHT_ONITEM : LVHT_NOWHERE;
  return info->iItem;
}

LRESULT ExtendedStyle(ItemListControl* control, WPARAM mask, LPARAM value) {
  uint32_t old = control->creation.styleFlags;
  uint32_t bits = mask ? static_cast<uint32_t>(mask) : ~0u;
  ItemsViewApplyStyle(control, (old & ~bits) | (static_cast<uint32_t>(value) & bits));
  return old;
}

LRESULT HandleListViewMessage(ItemListControl* control, UINT message, WPARAM wParam, LPARAM lParam) {
  int index = static_cast<int>(wParam);
  switch (message) {
    case LVM_GETBKCOLOR:
    case LVM_GETTEXTBKCOLOR:
      return control->backgroundColour;
    case LVM_SETBKCOLOR:
    case LVM_SETTEXTBKCOLOR:
      SetColours(control, &control->backgroundColour, static_cast<COLORREF>(lParam));
      return TRUE;
    case LVM_GETTEXTCOLOR:
      return control->textColour;
    case LVM_SETTEXTCOLOR:
      SetColours(control, &control->textColour, static_cast<COLORREF>(lParam));
      return TRUE;
    case LVM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(control->imageList);
    case LVM_SETIMAGELIST:
      return reinterpret_cast<LRESULT>(ItemsViewSetImageList(control, reinterpret_cast<HIMAGELIST>(lParam)));
    case LVM_GETITEMCOUNT:
      return ItemStoreCount(&control->rows);
    case LVM_DELETEITEM:
      return ItemsViewDeleteItem(control, index, false) == 0;
    case LVM_DELETEALLITEMS:
      return ItemsViewDeleteItem(control, -1, false) == 0;
    case LVM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      return rect ? GetItemPartRect(control, index, rect->left, rect) : 0;
    }
    case LVM_HITTEST:
      return HitTestMessage(control, reinterpret_cast<LVHITTESTINFO*>(lParam));
    case LVM_ENSUREVISIBLE:
      ItemsViewEnsureVisible(control, index);
      return TRUE;
    case LVM_REDRAWITEMS:
      ItemsViewRedrawRange(control, index, static_cast<int>(lParam));
      return TRUE;
    case LVM_GETEDITCONTROL:
      return reinterpret_cast<LRESULT>(control->editor);
    case LVM_GETCOLUMNWIDTH:
      return GetColumnWidth(control, index);
    case LVM_SETCOLUMNWIDTH:
      return ItemsViewSetColumnWidth(control, index, static_cast<int16_t>(LOWORD(lParam)));
    case LVM_GETHEADER:
      return reinterpret_cast<LRESULT>(control->header);
    case LVM_GETTOPINDEX:
      return control->topIndex;
    case LVM_GETCOUNTPERPAGE:
      return static_cast<LRESULT>(control->itemsPerRow) * control->rowsPerPage;
    case LVM_SETITEMSTATE:
      return SetStateFromItem(control, index, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMSTATE:
      return GetItemState(control, index, static_cast<UINT>(lParam));
    case LVM_GETSELECTEDCOUNT:
      return CountSelectedRows(control);
    case LVM_SETICONSPACING:
      return ItemsViewSetIconSpacing(control, static_cast<int16_t>(LOWORD(lParam)),
                                     static_cast<int16_t>(HIWORD(lParam)));
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
      return ExtendedStyle(control, wParam, lParam);
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
      return control->creation.styleFlags;
    case LVM_GETCOLUMNORDERARRAY:
      return ColumnOrderArray(control, index, reinterpret_cast<int*>(lParam));
    case LVM_GETSELECTIONMARK:
      return control->focusedIndex;
    case LVM_SETSELECTIONMARK:
      return ItemsViewSetSelectionMark(control, static_cast<int>(lParam));
    case LVM_GETCOLUMNW:
      return ColumnInfo(control, index, reinterpret_cast<LVCOLUMNW*>(lParam));
    case LVM_GETITEMTEXTW:
      return ItemText(control, index, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_EDITLABELW:
      return reinterpret_cast<LRESULT>(ItemsViewBeginEdit(control, index < 0 ? index - 2 : index));
    default:
      return DefWindowProcW(control->window, message, wParam, lParam);
  }
}

LRESULT HandleNotify(ItemListControl* control, WPARAM wParam, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->hwndFrom == control->header) return ItemsViewHeaderNotify(control, header);
  if (header->hwndFrom == control->tooltip && header->code == TTN_GETDISPINFOW) {
    ItemsViewTipText(control, reinterpret_cast<NMTTDISPINFOW*>(lParam));
    return 0;
  }
  return DefWindowProcW(control->window, WM_NOTIFY, wParam, lParam);
}

void OnFocus(ItemListControl* control, bool gained) {
  control->hasFocus = gained ? 1 : 0;
  ItemsViewRedrawItem(control, -1);
  if (!gained) return;
  NMHDR header = {};
  SendListNotify(control, &header, NM_SETFOCUS);
  PostPaneNotify(control, kPaneGotFocus);
}

LRESULT HandleWindowMessage(ItemListControl* control, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = control->window;
  switch (message) {
    case WM_SIZE:
      ItemsViewLayout(control, true);
      return 0;
    case WM_SETFOCUS:
      OnFocus(control, true);
      return 0;
    case WM_KILLFOCUS:
      OnFocus(control, false);
      return 0;
    case WM_PAINT:
      ItemsViewPaint(control, nullptr);
      return 0;
    case WM_PRINTCLIENT:
      ItemsViewPaint(control, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      ItemsViewSetFont(control, reinterpret_cast<HFONT>(wParam));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(control->font);
    case WM_SETREDRAW:
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_DROPFILES:
      return SendWindowMessage(control->creation.parent, WM_DROPFILES, wParam, lParam);
    case WM_KEYDOWN:
      ItemsViewKeyDown(control, wParam, lParam);
      return 0;
    case WM_CHAR:
      ItemsViewChar(control, wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
      ItemsViewMouseDown(control, wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
      ItemsViewMouseUp(control, wParam, lParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      ItemsViewDoubleClick(control, wParam, lParam);
      return 0;
    case WM_RBUTTONDOWN:
      ItemsViewRightDown(control, wParam, lParam);
      return 0;
    case WM_RBUTTONUP:
      if (ItemsViewRightUp(control, wParam, lParam)) return 0;
      break;
    case WM_MOUSEMOVE:
      ItemsViewMouseMove(control, wParam, lParam);
      return 0;
    case WM_MOUSELEAVE:
      ItemsViewMouseLeave(control);
      return 0;
    case WM_MOUSEWHEEL:
      ItemsViewWheel(control, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_CAPTURECHANGED:
      ItemsViewCaptureLost(control);
      return 0;
    case WM_CONTEXTMENU:
      if (ItemsViewContextMenu(control, reinterpret_cast<HWND>(wParam), lParam)) return 0;
      break;
    case WM_TIMER:
      ItemsViewTimer(control, wParam);
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
      SCROLLINFO info = {sizeof info, SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
      GetScrollInfo(window, bar, &info);
      // The thumb's position in full 32 bits: the message carries only 16.
      int code = LOWORD(wParam);
      if (bar == SB_HORZ)
        ItemsViewHScroll(control, code, info.nTrackPos);
      else
        ItemsViewVScroll(control, code, info.nTrackPos);
      return 0;
    }
    case WM_NOTIFY:
      return HandleNotify(control, wParam, lParam);
    case kEndEditMessage:
      ItemsViewEndEditRequest(control, wParam != 0, reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_DESTROY:
      OnDestroy(control);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ItemsViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    return ItemsViewCreate(window, static_cast<const ItemListCreation*>(create->lpCreateParams)) ? 0 : -1;
  }
  ItemListControl* control = ControlOf(window);
  if (!control) return DefWindowProcW(window, message, wParam, lParam);
  if (message >= LVM_FIRST && message < LVM_FIRST + 0x100)
    return HandleListViewMessage(control, message, wParam, lParam);
  return HandleWindowMessage(control, message, wParam, lParam);
}

}  // namespace

ItemListControl* CreateItemsViewWindow(HWND parent, uint32_t viewWord, uint32_t styleFlags, uint16_t controlId,
                                       ColumnLayout* columns, const uint16_t* sortTable, SortKeyFunction sortKey,
                                       ItemDeletionCallback deleteItem, SelectionVetoCallback vetoSelection) {
  ItemListCreation creation = {parent,    controlId, viewWord,   styleFlags,   columns,
                               sortTable, sortKey,   deleteItem, vetoSelection};
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WindowClassFields windowClass = {
      ItemsViewWindowProc, CS_DBLCLKS, nullptr, nullptr, nullptr, GetSysColorBrush(COLOR_WINDOW),
      kItemListClassName,  instance};
  WindowFields fields = {0,        nullptr,  kListWindowStyle | viewWord,
                         nullptr,  parent,   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                         instance, &creation};
  HWND window = CreateWindowRegistered(windowClass, fields);
  if (!window) return nullptr;
  PostWindowMessage(parent, WM_SIZE, 0, 0);
  return ControlOf(window);
}

ItemListControl* ItemListFromWindow(HWND window) {
  wchar_t className[8] = L"";
  if (!window || !GetClassNameW(window, className, 8) || wcscmp(className, kItemListClassName) != 0) return nullptr;
  return ControlOf(window);
}

void ItemsViewApplyStyle(ItemListControl* control, uint32_t flags) {
  if (flags == control->creation.styleFlags) return;
  control->creation.styleFlags = flags;
  ItemsViewUpdateTooltip(control);
  UpdateDerivedColour(control);
  InvalidateRect(control->window, nullptr, FALSE);
}

void ItemsViewSetStyle(ItemListControl* control, int32_t flags) {
  uint32_t style = control->creation.styleFlags;
  ItemsViewApplyStyle(control, flags < 0 ? style & static_cast<uint32_t>(flags) : style | static_cast<uint32_t>(flags));
}

uint32_t GetListControlStyle(uint32_t options) {
  uint32_t style = kListReorderColumns;
  if (!(options & kOptionNoInfoTips)) style |= kListInfoTips;
  if (options & kOptionColumnLines) style |= kListColumnLines;
  if (options & kOptionGridLines) style |= kListGridLines;
  if (options & kOptionNoHover) style |= kListNoHoverColour;
  if (options & kOptionFullRowSelect) style |= kListFullRowSelect;
  if (options & kOptionOneClick) style |= kOneClickStyle;
  return style;
}

bool IsControlThread(const ItemListControl* control) {
  return control->window && GetWindowThreadProcessId(control->window, nullptr) == GetCurrentThreadId();
}

void DestroyItemsView(ItemListControl* control) {
  if (!control) return;
  if (control->window) SetWindowUserData(control->window, 0);
  if (ColumnLayoutIsHeapOwned(control->creation.columns) && control->creation.columns != control->creationColumns) {
    FreeAndNull(&control->creation.columns);
  }
  if (control->imageList && !(control->creation.viewWord & kViewSharedImageList)) ImageList_Destroy(control->imageList);
  control->imageList = nullptr;
  if (control->rows.mutex) ItemsViewDeleteItem(control, -1, true);
  ItemStoreDestroy(&control->pathPool);
  ItemStoreDestroy(&control->rows);
  FreeAndNull(&control->widestText);
  control->widestTextCount = 0;
}
