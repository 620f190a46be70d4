#include "views/address_bar.h"

#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/files/paths.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/menus.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/tooltips.h"
#include "foundation/win32/window_wrappers.h"
#include "views/address_bar_paint.h"
#include "views/path_edit.h"
#include "views/subfolder_menu.h"

AddressBar g_addressBar;

const MenuDefinitionEntry kAddressBarMenu[] = {
    {IDM_PATH_EDIT, 0, nullptr}, {IDM_PATH_COPY, 0, nullptr}, {IDM_PATH_PASTE, 0, nullptr}, {0, 0, nullptr}};

namespace {

constexpr UINT_PTR kClickTimer = 1;
constexpr UINT kClickDelayMs = 300;
constexpr UINT_PTR kTrackingTimer = 2;
constexpr UINT kTrackingPeriodMs = 700;
constexpr int kRowPadding = 4;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Appends a segment of `length` characters that ends at `end` in the path; false when the text is full.
bool AddSegment(AddressBar* bar, const wchar_t* text, size_t length, size_t end, size_t* used) {
  if (*used + length + 1 > static_cast<size_t>(kAddressBarSegmentTextCapacity)) return false;
  wmemcpy(bar->segments + *used, text, length);
  bar->segments[*used + length] = 0;
  *used += length + 1;
  if (bar->segmentCount < kAddressBarSegmentLimit) {
    bar->table[bar->segmentCount].pathLength = static_cast<uint16_t>(end);
  }
  ++bar->segmentCount;
  return true;
}

// The root without one trailing separator, then one segment per component.
void SplitFileSystemPath(AddressBar* bar, size_t* used) {
  const wchar_t* path = bar->path;
  const size_t length = wcslen(path);
  wchar_t root[kPathCapacity];
  size_t position = static_cast<size_t>(GetPathRoot(path, root, kPathCapacity));
  if (position > length) position = length;
  size_t rootLength = position;
  if (rootLength > 0 && IsSeparator(path[rootLength - 1])) --rootLength;
  if (rootLength > 0 && !AddSegment(bar, path, rootLength, rootLength, used)) return;
  for (;;) {
    while (position < length && IsSeparator(path[position])) ++position;
    if (position >= length) return;
    const size_t start = position;
    while (position < length && !IsSeparator(path[position])) ++position;
    if (!AddSegment(bar, path + start, position - start, position, used)) return;
  }
}

void SplitSegments(AddressBar* bar, bool fileSystem) {
  bar->segmentCount = 0;
  bar->segments[0] = 0;
  size_t used = 0;
  if (fileSystem && !bar->singleSegment) {
    SplitFileSystemPath(bar, &used);
  } else if (bar->path[0] != 0) {
    AddSegment(bar, bar->path, wcslen(bar->path), wcslen(bar->path), &used);
  }
}

void ForgetFolderIcon(AddressBar* bar) {
  if (bar->folderIcon) DestroyIcon(bar->folderIcon);
  bar->folderIcon = nullptr;
  bar->folderIconLoaded = 0;
}

HCURSOR HandCursor(AddressBar* bar) {
  if (!bar->handCursor) {
    HINSTANCE instance = g_app && g_app->instance ? g_app->instance : GetModuleHandleW(nullptr);
    bar->handCursor = static_cast<HCURSOR>(CopyIcon(LoadCursorW(instance, MAKEINTRESOURCEW(IDCUR_HAND))));
  }
  return bar->handCursor ? bar->handCursor : LoadCursorW(nullptr, IDC_HAND);
}

void Redraw(const AddressBar* bar) { InvalidateWindowRect(bar->window, nullptr, false); }

void ReleaseMouse(const AddressBar* bar) {
  if (bar->window && GetCapture() == bar->window) ReleaseCapture();
}

void StopTracking(AddressBar* bar) {
  KillTimer(bar->window, kTrackingTimer);
  bar->tracking = nullptr;
  ReleaseMouse(bar);
  if (bar->hotSegment != kTrackingOff) bar->hotSegment = kNoHotSegment;
  bar->hotDrop = 0;
  Redraw(bar);
}

int ClientWidth(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return client.right;
}

// The segments are measured at the next paint; a hit test or a question that comes before it measures them.
void EnsureMeasured(AddressBar* bar) {
  if (bar->measured || !bar->window) return;
  HDC dc = GetDC(bar->window);
  HGDIOBJ previous = SelectObject(dc, bar->font ? bar->font : GetStockObject(DEFAULT_GUI_FONT));
  MeasureAddressBar(bar, dc, ClientWidth(bar->window));
  SelectObject(dc, previous);
  ReleaseDC(bar->window, dc);
}

void HitTest(AddressBar* bar, POINT point) {
  KillTimer(bar->window, kClickTimer);
  if (bar->hotSegment == kTrackingOff) return;
  EnsureMeasured(bar);
  bool drop = false;
  int hot = kNoHotSegment;
  bar->iconArea = 0;
  if (point.y >= 0 && point.y < bar->rowHeight && point.x >= 0 && point.x < ClientWidth(bar->window)) {
    if (point.x <= kAddressBarIconSlot) {
      bar->iconArea = 1;
    } else {
      hot = SegmentAt(bar, point.x, &drop);
    }
  }
  if (hot == bar->hotSegment && (drop ? 1 : 0) == bar->hotDrop) return;
  bar->hotSegment = hot;
  bar->hotDrop = drop ? 1 : 0;
  Redraw(bar);
  if (hot < 0) {
    ReleaseMouse(bar);
    return;
  }
  SetCapture(bar->window);
  if (!bar->tracking) {
    bar->tracking = bar->window;
    SetTimer(bar->window, kTrackingTimer, kTrackingPeriodMs, nullptr);
  }
}

void OnTrackingTimer(AddressBar* bar) {
  if (bar->popupCounter != 0) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  if (WindowFromPoint(cursor) != bar->window) StopTracking(bar);
}

// The left edge of a drawn segment.
int SegmentLeft(const AddressBar* bar, int segment) {
  int left = kAddressBarIconSlot;
  for (int i = 0; i < segment && i < DrawnSegmentCount(bar); ++i) left += bar->table[i].width;
  return left;
}

POINT DropMenuPosition(const AddressBar* bar, int segment) {
  POINT at = {SegmentLeft(bar, segment), bar->rowHeight};
  ClientToScreen(bar->window, &at);
  return at;
}

void ClickAction(AddressBar* bar) {
  HWND main = GetAncestor(bar->window, GA_ROOT);
  if (main && GetActiveWindow() != main) BringWindowToFront(main);
  const int hot = bar->hotSegment;
  if (hot < 0) {
    PostWindowMessage(GetParent(bar->window), kAddressBarPressMessage, bar->iconArea ? 1 : 0,
                      reinterpret_cast<LPARAM>(bar->window));
    return;
  }
  wchar_t path[kPathCapacity];
  BuildSegmentPath(bar, hot, path, kPathCapacity);
  if (bar->hotDrop) {
    InterlockedIncrement(&bar->popupCounter);
    const int chosen = ShowSubfolderPopupMenu(bar->provider, bar->window, DropMenuPosition(bar, hot), path,
                                              kPathCapacity);
    InterlockedDecrement(&bar->popupCounter);
    if (chosen != 0) return;
  }
  NavigateFromAddressBar(bar, path);
}

void OnLeftButtonDown(AddressBar* bar, LPARAM position) {
  PostWindowMessage(GetParent(bar->window), kAddressBarPressMessage, 0, 0);
  HitTest(bar, POINT{static_cast<int16_t>(LOWORD(position)), static_cast<int16_t>(HIWORD(position))});
  if (bar->hotSegment >= 0) {
    ClickAction(bar);
  } else {
    SetTimer(bar->window, kClickTimer, kClickDelayMs, nullptr);
  }
}

void OnTimer(AddressBar* bar, UINT_PTR timer) {
  if (timer == kTrackingTimer) {
    OnTrackingTimer(bar);
    return;
  }
  KillTimer(bar->window, timer);
  if (timer == kClickTimer) ClickAction(bar);
}

void OnCommand(AddressBar* bar, HWND window, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (id == kPathEditId) {
    OnPathEditNotification(bar, HIWORD(wParam), reinterpret_cast<HWND>(lParam));
  } else if (id >= IDM_PATH_EDIT && id <= IDM_PATH_PASTE) {
    BeginPathBarEdit(bar, window, id);
  } else {
    PostWindowMessage(GetParent(window), WM_COMMAND, wParam, lParam);
  }
}

LRESULT OnTooltipText(AddressBar* bar, NMHDR* header) {
  if (header->code != TTN_GETDISPINFOW) return 0;
  auto* request = reinterpret_cast<NMTTDISPINFOW*>(header);
  request->szText[0] = 0;
  HWND main = GetAncestor(bar->window, GA_ROOT);
  if (bar->overflow && GetActiveWindow() == main) CopyWideBounded(bar->path, request->szText, kTooltipCapacity);
  request->lpszText = request->szText;
  return 0;
}

void OnSize(AddressBar* bar) {
  bar->measured = 0;
  MovePathEditToBar(bar);
  Redraw(bar);
}

// The tooltip comes with the pointer's first move over the bar: a tooltip is a window of its own, whose
// creation under Wine costs about as much as the rest of the bar's.
void EnsureTooltip(AddressBar* bar) {
  if (bar->tooltip) return;
  bar->tooltip = CreateTooltipControl(bar->window, nullptr, false);
  TooltipAddWindowTool(bar->tooltip, bar->window, bar->window);
}

bool SetHandCursor(AddressBar* bar) {
  if (bar->hotSegment < 0) return false;
  SetCursor(HandCursor(bar));
  return true;
}

LRESULT SegmentExtent(AddressBar* bar, WPARAM index) {
  EnsureMeasured(bar);
  if (bar->overflowMode || index >= static_cast<WPARAM>(DrawnSegmentCount(bar))) return 0;
  const int left = SegmentLeft(bar, static_cast<int>(index));
  return MAKELRESULT(left, left + bar->table[index].width);
}

AddressBar* BarOf(HWND window) { return reinterpret_cast<AddressBar*>(GetWindowUserData(window)); }

// Messages the bar hands to its parent as they came.
bool IsPassedOn(UINT message) {
  return message == WM_MENUSELECT || message == WM_EXITMENULOOP || message == WM_DROPFILES;
}

LRESULT HandleMessage(AddressBar* bar, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT menuAnswer = 0;
  if (HandleSubfolderMenuMessage(message, wParam, lParam, &menuAnswer)) return menuAnswer;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      PaintAddressBar(bar, window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintAddressBar(bar, window, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SIZE:
      OnSize(bar);
      return 0;
    case WM_MOUSEMOVE:
      EnsureTooltip(bar);
      HitTest(bar, POINT{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))});
      SetHandCursor(bar);
      return 0;
    case WM_SETCURSOR:
      if (SetHandCursor(bar)) return TRUE;
      break;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown(bar, lParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      KillTimer(window, kClickTimer);
      PostWindowMessage(GetParent(window), kAddressBarDoubleClickMessage, 0, reinterpret_cast<LPARAM>(window));
      return 0;
    case WM_RBUTTONDOWN:
      SendWindowMessage(GetParent(window), kAddressBarRightPressMessage, 0, reinterpret_cast<LPARAM>(window));
      return 0;
    case WM_CONTEXTMENU:
      SendWindowMessage(GetParent(window), kAddressBarMenuMessage, reinterpret_cast<WPARAM>(kAddressBarMenu),
                        reinterpret_cast<LPARAM>(window));
      return 0;
    case WM_TIMER:
      OnTimer(bar, wParam);
      return 0;
    case WM_COMMAND:
      OnCommand(bar, window, wParam, lParam);
      return 0;
    case WM_NOTIFY:
      return OnTooltipText(bar, reinterpret_cast<NMHDR*>(lParam));
    case kAddressBarSegmentExtentMessage:
      return SegmentExtent(bar, wParam);
    case WM_MENUCHAR:
      return FindMenuAccelerator(static_cast<wchar_t>(LOWORD(wParam)), HIWORD(wParam),
                                 reinterpret_cast<HMENU>(lParam));
  }
  if (IsPassedOn(message)) return SendWindowMessage(GetParent(window), message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void InitAddressBar(AddressBar* bar) {
  if (!bar) return;
  *bar = AddressBar{};
  bar->rowHeight = kAddressBarInitialRowHeight;
  bar->provider = -1;
  bar->hotSegment = kNoHotSegment;
}

void DestroyAddressBar(AddressBar* bar) {
  if (!bar) return;
  DestroyWindowIfAlive(bar->window);
  bar->window = nullptr;
  if (bar->handCursor) DestroyCursor(bar->handCursor);
  bar->handCursor = nullptr;
  ForgetFolderIcon(bar);
}

HWND CreateAddressBar(AddressBar* bar, HWND parent, HINSTANCE instance) {
  if (!bar) return nullptr;
  const WindowClassFields windowClass = {AddressBarWndProc, CS_DBLCLKS, nullptr, nullptr, nullptr,
                                         GetDialogBackgroundBrush(), kAddressBarClass, instance};
  const WindowFields fields = {0, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, nullptr, parent, nullptr,
                               instance, bar};
  bar->window = CreateWindowRegistered(windowClass, fields);
  if (!bar->window) return nullptr;
  if (IsDarkModeOn()) {
    ApplyDarkModeToWindow(bar->window);
    SetWindowThemeIfSupported(bar->window, L"ItemsView");
  }
  return bar->window;
}

void SetAddressBarFont(AddressBar* bar, HFONT font) {
  if (!bar) return;
  bar->font = font;
  const int height = static_cast<int>(LOWORD(GetFontCellSize(bar->window, font))) + kRowPadding;
  bar->rowHeight = height > kAddressBarInitialRowHeight ? height : kAddressBarInitialRowHeight;
  bar->measured = 0;
  Redraw(bar);
}

void PathBarSetPath(AddressBar* bar, int32_t provider, const wchar_t* path, bool singleSegment) {
  if (!bar || !path) return;
  const int32_t flag = singleSegment ? 1 : 0;
  if (flag == bar->singleSegment && provider == bar->provider && wcscmp(path, bar->path) == 0) {
    Redraw(bar);
    return;
  }
  bar->provider = provider;
  bar->singleSegment = flag;
  CopyWideBounded(path, bar->path, kPathCapacity);
  const bool fileSystem = provider == kLocalDiskIndex;
  SplitSegments(bar, fileSystem);
  bar->hotSegment = fileSystem ? kNoHotSegment : kTrackingOff;
  bar->hotDrop = 0;
  bar->measured = 0;
  ForgetFolderIcon(bar);
  Redraw(bar);
}

int DrawnSegmentCount(const AddressBar* bar) {
  return bar->segmentCount < kAddressBarSegmentLimit ? bar->segmentCount : kAddressBarSegmentLimit;
}

const wchar_t* SegmentText(const AddressBar* bar, int index) {
  if (index < 0 || index >= bar->segmentCount) return L"";
  const wchar_t* text = bar->segments;
  for (int i = 0; i < index; ++i) text += wcslen(text) + 1;
  return text;
}

int BuildSegmentPath(const AddressBar* bar, int index, wchar_t* out, int capacity) {
  if (!out || capacity <= 0) return 0;
  out[0] = 0;
  int result = 0;
  for (int i = 0; i <= index && i < bar->segmentCount; ++i) {
    if (i > 0) result = AppendWideBounded(L"\\", out, capacity);
    if (result == 0) result = AppendWideBounded(SegmentText(bar, i), out, capacity);
  }
  // A drive alone is its root.
  if (index == 0 && out[0] != 0 && out[1] == L':' && out[2] == 0) result = AppendWideBounded(L"\\", out, capacity);
  return result;
}

int SegmentAt(const AddressBar* bar, int x, bool* onDropPart) {
  *onDropPart = false;
  const int count = DrawnSegmentCount(bar);
  if (bar->overflowMode) {
    for (int i = 0; i < count; ++i) {
      if (bar->table[i].prefixRight >= x) return i;
    }
    return kNoHotSegmentOverflowing;
  }
  int left = kAddressBarIconSlot;
  for (int i = 0; i < count; ++i) {
    const int right = left + bar->table[i].width;
    if (x >= left && x < right) {
      *onDropPart = x >= right - kSegmentDropWidth;
      return i;
    }
    left = right;
  }
  return kNoHotSegment;
}

void NavigateFromAddressBar(AddressBar* bar, const wchar_t* path) {
  if (!path || !path[0] || VfsGetAttributes(nullptr, path, nullptr) < 0) {
    BeepError();
    return;
  }
  ReleaseMouse(bar);
  SendWindowMessage(GetParent(bar->window), kNavigateToPathMessage, static_cast<WPARAM>(bar->provider),
                    reinterpret_cast<LPARAM>(path));
}

LRESULT CALLBACK AddressBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    SetWindowUserData(window, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    return 0;
  }
  AddressBar* bar = BarOf(window);
  if (!bar) return DefWindowProcW(window, message, wParam, lParam);
  return HandleMessage(bar, window, message, wParam, lParam);
}
