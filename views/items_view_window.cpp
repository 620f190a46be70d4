#include "views/items_view_window.h"

#include <commctrl.h>

#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/core/jobs.h"
#include "foundation/ui/owner_drawn_menus.h"
#include "foundation/win32/column_layout.h"
#include "foundation/core/memory.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "views/header_item_paint.h"
#include "views/items_view.h"
#include "views/items_view_columns.h"
#include "views/items_view_edit.h"
#include "views/items_view_input.h"
#include "views/items_view_layout.h"
#include "views/items_view_notify.h"
#include "views/items_view_paint.h"
#include "views/items_view_rows.h"
#include "views/items_view_sort.h"
#include "views/items_view_state.h"
#include "views/items_view_theme.h"
#include "views/items_view_tips.h"
#include "views/shell_context_menu.h"

namespace {

constexpr DWORD kListWindowStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;

// The style flags the option word's kOptionItemActivation gives.
constexpr uint32_t kOneClickStyle = 0x848;

ItemListControl* ControlOf(HWND window) {
  return reinterpret_cast<ItemListControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool InitialiseStores(ItemListControl* control) {
  return ItemStoreInit(&control->rows) == 0 && ItemStoreInit(&control->pathPool) == 0 && SizeWidestText(control);
}

void ApplyInitialColours(ItemListControl* control) {
  control->textColour = GetThemeColorByIndex(kSlotWindowText);
  control->backgroundColour = GetThemeColorByIndex(kSlotWindow);
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
  control->tipColumn = -1;
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
  // Before the control is attached: the WM_THEMECHANGED this sends would otherwise theme the list and its
  // header a second time.
  SetExplorerTheme(window);
  SetWindowUserData(window, reinterpret_cast<LONG_PTR>(control));
  control->splitColumn = FindSplitColumn(creation->sortTable);
  control->font = ItemsViewDefaultFont(control);
  ApplyInitialColours(control);
  control->idle = 1;
  // The theme first: the header the view mode makes then takes its look once.
  ItemsViewFollowTheme(control);
  ItemsViewSetViewMode(control, creation->viewWord);
  return control;
}

void FreeDestroyedItemsView(void* block) {
  auto* control = static_cast<ItemListControl*>(block);
  DestroyItemsView(control);
  FreeAndNull(&control);
}

// Workers find the lists through the application's slots.
void LeaveApplicationSlot(const ItemListControl* control) {
  if (g_app == nullptr) return;
  if (g_app->fileList == control) g_app->fileList = nullptr;
  if (g_app->chainList == control) g_app->chainList = nullptr;
}

void OnDestroy(ItemListControl* control) {
  SetWindowUserData(control->window, 0);
  KillTimer(control->window, kRenameTimer);
  KillTimer(control->window, kHeaderRereadTimer);
  KillTimer(control->window, kDragStartTimer);
  KillTimer(control->window, kLayoutRestTimer);
  DestroyWindowIfAlive(control->tooltip);
  control->tooltip = nullptr;
  FreeHeaderBackgrounds(&control->headerBackgrounds);
  control->header = nullptr;
  control->editor = nullptr;
  control->window = nullptr;
  LeaveApplicationSlot(control);
  ReleaseAfterJobThreads(FreeDestroyedItemsView, control);
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

// As a list view answers: entry k is the header item displayed at position k.
LRESULT ColumnOrderArray(const ItemListControl* control, int count, int* orders) {
  return ColumnLayoutOrderArray(control->creation.columns, orders, count) == count && count > 0;
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

// A message the control answers: the control, wParam and lParam; the message's result.
using MessageHandler = LRESULT (*)(ItemListControl* control, WPARAM wParam, LPARAM lParam);

struct MessageRow {
  UINT message;
  MessageHandler handler;
};

int Index(WPARAM wParam) { return static_cast<int>(wParam); }

// The list's background is also its text background.
LRESULT GetBackground(ItemListControl* control, WPARAM, LPARAM) { return control->backgroundColour; }

LRESULT SetBackground(ItemListControl* control, WPARAM, LPARAM colour) {
  SetColours(control, &control->backgroundColour, static_cast<COLORREF>(colour));
  return TRUE;
}

// The list-view messages, answered as a list view would.
const MessageRow kListViewMessages[] = {
    {LVM_GETBKCOLOR, GetBackground},
    {LVM_GETTEXTBKCOLOR, GetBackground},
    {LVM_SETBKCOLOR, SetBackground},
    {LVM_SETTEXTBKCOLOR, SetBackground},
    {LVM_GETTEXTCOLOR, [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return c->textColour; }},
    {LVM_SETTEXTCOLOR,
     [](ItemListControl* c, WPARAM, LPARAM l) -> LRESULT {
       SetColours(c, &c->textColour, static_cast<COLORREF>(l));
       return TRUE;
     }},
    {LVM_GETIMAGELIST,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return reinterpret_cast<LRESULT>(c->imageList); }},
    {LVM_SETIMAGELIST,
     [](ItemListControl* c, WPARAM, LPARAM l) -> LRESULT {
       return reinterpret_cast<LRESULT>(ItemsViewSetImageList(c, reinterpret_cast<HIMAGELIST>(l)));
     }},
    {LVM_GETITEMCOUNT, [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return ItemStoreCount(&c->rows); }},
    {LVM_DELETEITEM,
     [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT { return ItemsViewDeleteItem(c, Index(w), false) == 0; }},
    {LVM_DELETEALLITEMS,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return ItemsViewDeleteItem(c, -1, false) == 0; }},
    {LVM_GETITEMRECT,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       auto* rect = reinterpret_cast<RECT*>(l);
       return rect ? GetItemPartRect(c, Index(w), rect->left, rect) : 0;
     }},
    {LVM_HITTEST,
     [](ItemListControl* c, WPARAM, LPARAM l) -> LRESULT {
       return HitTestMessage(c, reinterpret_cast<LVHITTESTINFO*>(l));
     }},
    {LVM_ENSUREVISIBLE,
     [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT {
       ItemsViewEnsureVisible(c, Index(w));
       return TRUE;
     }},
    {LVM_REDRAWITEMS,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       ItemsViewRedrawRange(c, Index(w), static_cast<int>(l));
       return TRUE;
     }},
    {LVM_GETEDITCONTROL,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return reinterpret_cast<LRESULT>(c->editor); }},
    {LVM_GETCOLUMNWIDTH, [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT { return GetColumnWidth(c, Index(w)); }},
    {LVM_SETCOLUMNWIDTH,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       return ItemsViewSetColumnWidth(c, Index(w), static_cast<int16_t>(LOWORD(l)));
     }},
    {LVM_GETHEADER, [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return reinterpret_cast<LRESULT>(c->header); }},
    {LVM_GETTOPINDEX, [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return c->topIndex; }},
    {LVM_GETCOUNTPERPAGE,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       return static_cast<LRESULT>(c->itemsPerRow) * c->rowsPerPage;
     }},
    {LVM_SETITEMSTATE,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       return SetStateFromItem(c, Index(w), reinterpret_cast<const LVITEMW*>(l));
     }},
    {LVM_GETITEMSTATE,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT { return GetItemState(c, Index(w), static_cast<UINT>(l)); }},
    {LVM_GETSELECTEDCOUNT, [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return CountSelectedRows(c); }},
    {LVM_SETICONSPACING,
     [](ItemListControl* c, WPARAM, LPARAM l) -> LRESULT {
       return ItemsViewSetIconSpacing(c, static_cast<int16_t>(LOWORD(l)), static_cast<int16_t>(HIWORD(l)));
     }},
    {LVM_SETEXTENDEDLISTVIEWSTYLE, ExtendedStyle},
    {LVM_GETEXTENDEDLISTVIEWSTYLE,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return c->creation.styleFlags; }},
    {LVM_GETCOLUMNORDERARRAY,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       return ColumnOrderArray(c, Index(w), reinterpret_cast<int*>(l));
     }},
    {LVM_GETSELECTIONMARK, [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return c->focusedIndex; }},
    {LVM_SETSELECTIONMARK,
     [](ItemListControl* c, WPARAM, LPARAM l) -> LRESULT { return ItemsViewSetSelectionMark(c, static_cast<int>(l)); }},
    {LVM_GETCOLUMNW,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       return ColumnInfo(c, Index(w), reinterpret_cast<LVCOLUMNW*>(l));
     }},
    {LVM_GETITEMTEXTW,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       return ItemText(c, Index(w), reinterpret_cast<LVITEMW*>(l));
     }},
    {LVM_EDITLABELW,
     [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT {
       const int index = Index(w);
       return reinterpret_cast<LRESULT>(ItemsViewBeginEdit(c, index < 0 ? index - 2 : index));
     }},
};

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

// WM_HSCROLL and WM_VSCROLL with the thumb's position in full 32 bits: the message carries only 16.
void OnScroll(ItemListControl* control, int bar, WPARAM wParam) {
  SCROLLINFO info = {sizeof info, SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(control->window, bar, &info);
  const int code = LOWORD(wParam);
  if (bar == SB_HORZ) {
    ItemsViewHScroll(control, code, info.nTrackPos);
  } else {
    ItemsViewVScroll(control, code, info.nTrackPos);
  }
}

// Adapts an action on (control, wParam, lParam) to a handler that answers 0.
template <void (*Action)(ItemListControl*, WPARAM, LPARAM)>
LRESULT Handled(ItemListControl* control, WPARAM wParam, LPARAM lParam) {
  Action(control, wParam, lParam);
  return 0;
}

LRESULT PassOn(ItemListControl* control, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(control->window, message, wParam, lParam);
}

// The menus the list owns are the program's owner-drawn ones; an open shell menu's messages are the shell's.
template <UINT Message>
LRESULT MenuMessage(ItemListControl* control, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  if (RelayShellMenuMessage(control->window, Message, wParam, lParam, &answer)) return answer;
  if (AnswerOwnerDrawnMenuMessage(&g_menuIcons, Message, wParam, lParam, nullptr, &answer)) return answer;
  return PassOn(control, Message, wParam, lParam);
}

// The window messages the control handles; any other goes to the default procedure.
const MessageRow kWindowMessages[] = {
    {WM_SIZE,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       ItemsViewLayout(c, true);
       return 0;
     }},
    {WM_SETFOCUS,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       OnFocus(c, true);
       return 0;
     }},
    {WM_KILLFOCUS,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       OnFocus(c, false);
       return 0;
     }},
    {WM_PAINT,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       ItemsViewPaint(c, nullptr);
       return 0;
     }},
    {WM_PRINTCLIENT,
     [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT {
       ItemsViewPaint(c, reinterpret_cast<HDC>(w));
       return 0;
     }},
    {WM_ERASEBKGND, [](ItemListControl*, WPARAM, LPARAM) -> LRESULT { return 1; }},
    {WM_SETFONT,
     [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT {
       ItemsViewSetFont(c, reinterpret_cast<HFONT>(w));
       return 0;
     }},
    {WM_GETFONT, [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT { return reinterpret_cast<LRESULT>(c->font); }},
    {WM_SETREDRAW, [](ItemListControl*, WPARAM, LPARAM) -> LRESULT { return 0; }},
    {WM_GETDLGCODE, [](ItemListControl*, WPARAM, LPARAM) -> LRESULT { return DLGC_WANTARROWS | DLGC_WANTCHARS; }},
    {WM_DROPFILES,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       return SendWindowMessage(c->creation.parent, WM_DROPFILES, w, l);
     }},
    {WM_DRAWITEM, MenuMessage<WM_DRAWITEM>},
    {WM_MEASUREITEM, MenuMessage<WM_MEASUREITEM>},
    {WM_INITMENUPOPUP, MenuMessage<WM_INITMENUPOPUP>},
    {WM_MENUCHAR, MenuMessage<WM_MENUCHAR>},
    {WM_THEMECHANGED,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       ItemsViewFollowTheme(c);
       return 0;
     }},
    {WM_KEYDOWN, Handled<ItemsViewKeyDown>},
    {WM_CHAR, Handled<ItemsViewChar>},
    {WM_LBUTTONDOWN, Handled<ItemsViewMouseDown>},
    {WM_LBUTTONUP, Handled<ItemsViewMouseUp>},
    {WM_LBUTTONDBLCLK, Handled<ItemsViewDoubleClick>},
    {WM_RBUTTONDOWN, Handled<ItemsViewRightDown>},
    {WM_RBUTTONUP,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       return ItemsViewRightUp(c, w, l) ? 0 : PassOn(c, WM_RBUTTONUP, w, l);
     }},
    {WM_MOUSEMOVE, Handled<ItemsViewMouseMove>},
    {WM_MOUSELEAVE,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       ItemsViewMouseLeave(c);
       return 0;
     }},
    {WM_MOUSEWHEEL,
     [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT {
       ItemsViewWheel(c, GET_WHEEL_DELTA_WPARAM(w));
       return 0;
     }},
    {WM_CAPTURECHANGED,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       ItemsViewCaptureLost(c);
       return 0;
     }},
    {WM_CONTEXTMENU,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       return ItemsViewContextMenu(c, reinterpret_cast<HWND>(w), l) ? 0 : PassOn(c, WM_CONTEXTMENU, w, l);
     }},
    {WM_TIMER,
     [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT {
       ItemsViewTimer(c, w);
       return 0;
     }},
    {WM_HSCROLL,
     [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT {
       OnScroll(c, SB_HORZ, w);
       return 0;
     }},
    {WM_VSCROLL,
     [](ItemListControl* c, WPARAM w, LPARAM) -> LRESULT {
       OnScroll(c, SB_VERT, w);
       return 0;
     }},
    {WM_NOTIFY, HandleNotify},
    {kLayoutNoticeMessage,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       ItemsViewLayoutNoticed(c);
       return 0;
     }},
    {kEndEditMessage,
     [](ItemListControl* c, WPARAM w, LPARAM l) -> LRESULT {
       ItemsViewEndEditRequest(c, w != 0, reinterpret_cast<HWND>(l));
       return 0;
     }},
    {WM_DESTROY,
     [](ItemListControl* c, WPARAM, LPARAM) -> LRESULT {
       OnDestroy(c);
       return 0;
     }},
};

template <size_t N>
MessageHandler FindHandler(const MessageRow (&rows)[N], UINT message) {
  for (const MessageRow& row : rows) {
    if (row.message == message) return row.handler;
  }
  return nullptr;
}

LRESULT CALLBACK ItemsViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    return ItemsViewCreate(window, static_cast<const ItemListCreation*>(create->lpCreateParams)) ? 0 : -1;
  }
  ItemListControl* control = ControlOf(window);
  if (!control) return DefWindowProcW(window, message, wParam, lParam);
  const bool listView = message >= LVM_FIRST && message < LVM_FIRST + 0x100;
  const MessageHandler handler =
      listView ? FindHandler(kListViewMessages, message) : FindHandler(kWindowMessages, message);
  return handler ? handler(control, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

ItemListControl* CreateItemsViewWindow(HWND parent, uint32_t viewWord, uint32_t styleFlags, uint16_t controlId,
                                       ColumnLayout* columns, const uint16_t* sortTable, SortKeyFunction sortKey,
                                       ItemDeletionCallback deleteItem, SelectionVetoCallback vetoSelection) {
  ItemListCreation creation = {parent,    controlId, viewWord,   styleFlags,   columns,
                               sortTable, sortKey,   deleteItem, vetoSelection};
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WindowClassFields windowClass = {
      ItemsViewWindowProc, CS_DBLCLKS, nullptr, nullptr, nullptr, GetThemeBrushByIndex(kSlotWindow),
      kItemListClassName,  instance};
  WindowFields fields = {0,        nullptr,  kListWindowStyle | viewWord,
                         nullptr,  parent,   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                         instance, &creation};
  HWND window = CreateWindowRegistered(windowClass, fields);
  if (!window) return nullptr;
  // A hidden parent lays itself out when it is sized and shown; only a list added to a shown one asks for it.
  if (IsWindowVisible(parent)) PostWindowMessage(parent, WM_SIZE, 0, 0);
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

uint32_t GetListControlStyle(uint32_t options) {
  uint32_t style = kListReorderColumns;
  if (!(options & kOptionNoInfoTips)) style |= kListInfoTips;
  if (options & kOptionColumnLines) style |= kListColumnLines;
  if (options & kOptionGridLines) style |= kListGridLines;
  if (options & kOptionNoHoverColour) style |= kListNoHoverColour;
  if (options & kOptionFullRowSelect) style |= kListFullRowSelect;
  if (options & kOptionItemActivation) style |= kOneClickStyle;
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
