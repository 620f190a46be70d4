#include "foundation/win32/window_wrappers.h"

#include "foundation/core/record_buffer.h"
#include "foundation/text/text_encoding.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_placement.h"
#include "foundation/win32/window_position.h"
#include "foundation/core/windows_version.h"

static_assert(DWLP_USER == 16, "the dialog's user value sits at index 16");

namespace {

constexpr int kLastNineXVersionCode = 4;

bool IsRectEmptyOrInverted(const RECT& rect) { return rect.top >= rect.bottom || rect.left >= rect.right; }

void ClearText(wchar_t* buffer, int capacity) {
  if (buffer && capacity > 0) buffer[0] = L'\0';
}

}  // namespace

LRESULT SendWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return window ? SendMessageW(window, message, wParam, lParam) : 0;
}

BOOL PostWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return window ? PostMessageW(window, message, wParam, lParam) : FALSE;
}

LRESULT SendDialogItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendWindowMessage(GetDialogItem(dialog, id), message, wParam, lParam);
}

HWND GetDialogItem(HWND dialog, int id) { return dialog ? GetDlgItem(dialog, id) : nullptr; }

void SetWindowTextSafe(HWND window, const wchar_t* text) {
  if (window) SetWindowTextW(window, text);
}

void SetDialogItemText(HWND dialog, int id, const wchar_t* text) { SetWindowTextSafe(GetDialogItem(dialog, id), text); }

int GetWindowTextSafe(HWND window, wchar_t* buffer, int capacity) {
  ClearText(buffer, capacity);
  if (!window || !buffer || capacity <= 0) return 0;
  return GetWindowTextW(window, buffer, capacity);
}

int GetDialogItemText(HWND dialog, int id, wchar_t* buffer, int capacity) {
  return GetWindowTextSafe(GetDialogItem(dialog, id), buffer, capacity);
}

int GetWindowTextLengthSafe(HWND window) { return window ? GetWindowTextLengthW(window) : 0; }

void SubclassWindow(HWND window, WNDPROC procedure, WNDPROC* previous) {
  if (!window) return;
  WNDPROC replaced =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  if (previous && !*previous) *previous = replaced;
}

LRESULT CallPreviousWindowProc(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return previous ? CallWindowProcW(previous, window, message, wParam, lParam) : 0;
}

void SetDialogUserData(HWND dialog, LONG_PTR value) {
  if (dialog) SetWindowLongPtrW(dialog, DWLP_USER, value);
}

LONG_PTR GetWindowUserData16(HWND dialog) { return IsWindowSafe(dialog) ? GetWindowLongPtrW(dialog, DWLP_USER) : 0; }

void SetWindowUserData(HWND window, LONG_PTR value) {
  if (window) SetWindowLongPtrW(window, GWLP_USERDATA, value);
}

LONG_PTR GetWindowUserData(HWND window) { return IsWindowSafe(window) ? GetWindowLongPtrW(window, GWLP_USERDATA) : 0; }

void SetClassIcon(HWND window, HICON icon) {
  if (window) SetClassLongPtrW(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
}

void AddWindowStyle(HWND window, LONG bits) {
  if (!window) return;
  LONG style = GetWindowLongW(window, GWL_STYLE);
  if ((style | bits) != style) SetWindowLongW(window, GWL_STYLE, style | bits);
}

BOOL InvalidateWindowRect(HWND window, const RECT* rect, bool erase) {
  if (!window || (rect && IsRectEmptyOrInverted(*rect))) return FALSE;
  return InvalidateRect(window, rect, erase);
}

bool IsWindowSafe(HWND window) { return window && IsWindow(window); }

bool IsWindowShown(HWND window) { return IsWindowSafe(window) && IsWindowVisible(window); }

bool HasVisibleStyle(HWND window) {
  return IsWindowSafe(window) && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE);
}

void SetFocusSafe(HWND window) {
  if (IsWindowSafe(window)) SetFocus(window);
}

void DestroyWindowIfAlive(HWND window) {
  if (IsWindowSafe(window)) DestroyWindow(window);
}

void ShowWindowCmd(HWND window, int command) {
  if (IsWindowSafe(window)) ShowWindow(window, command);
}

void ShowWindowIfAlive(HWND window) { ShowWindowCmd(window, SW_SHOW); }

void HideWindowIfAlive(HWND window) { ShowWindowCmd(window, SW_HIDE); }

void HideDlgItem(HWND dialog, int id) { ShowWindowCmd(GetDialogItem(dialog, id), SW_HIDE); }

void EnableDlgItem(HWND dialog, int id, bool enable) {
  HWND item = GetDialogItem(dialog, id);
  if (item) EnableWindow(item, enable);
}

void EnableDlgItemList(HWND dialog, const int* ids, bool enable) {
  if (!dialog || !ids) return;
  for (; *ids; ++ids) EnableDlgItem(dialog, *ids, enable);
}

void HideDlgItemLists(HWND dialog, const int* const* lists) {
  if (!dialog || !lists) return;
  for (; *lists; ++lists) {
    for (const int* id = *lists; *id; ++id) HideDlgItem(dialog, *id);
  }
}

void BringWindowToFront(HWND window) {
  if (!IsWindowSafe(window)) return;
  if (IsIconic(window) || !IsWindowVisible(window)) ShowWindow(window, SW_RESTORE);
  SetActiveWindow(window);
  SetForegroundWindow(window);
  BringWindowToTop(window);
}

void PostSizeToSelf(HWND window) {
  RECT client;
  if (!window || !GetClientRect(window, &client)) return;
  PostMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
}

int GetVisibleWindowHeight(HWND window) {
  RECT rect;
  if (!HasVisibleStyle(window) || !GetWindowRect(window, &rect)) return 0;
  return rect.bottom - rect.top;
}

void GetClientSizeOrParam(HWND window, LPARAM sizeParam, int* width, int* height) {
  int w = 0;
  int h = 0;
  RECT client;
  if (window && sizeParam) {
    w = LOWORD(sizeParam);
    h = HIWORD(sizeParam);
  } else if (window && GetClientRect(window, &client)) {
    w = client.right - client.left;
    h = client.bottom - client.top;
  }
  if (width) *width = w;
  if (height) *height = h;
}

void CenterWindowOnParent(HWND window) {
  if (!window) return;
  HWND parent = GetParent(window);
  CenterWindow(parent ? parent : GetDesktopWindow(), window, kAlignCentre, kAlignCentre);
}

DWORD RegisterWindowClass(const WindowClassFields& fields) {
  if (!fields.className) return ERROR_INVALID_PARAMETER;
  HBRUSH background = fields.background ? fields.background : GetDialogBackgroundBrush();
  // Asked with a null instance the system looks only at its own classes, so the program's module stands in.
  HINSTANCE instance = fields.instance ? fields.instance : GetModuleHandleW(nullptr);
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, fields.className, &existing)) {
    if (existing.hbrBackground == background) return 0;
    // Changing a class's brush takes a new registration; this fails while windows of the class exist.
    if (!UnregisterClassW(fields.className, instance)) return GetLastError();
  }
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = fields.style;
  windowClass.lpfnWndProc = fields.procedure;
  windowClass.cbWndExtra = kWindowClassExtraBytes;
  windowClass.hInstance = instance;
  windowClass.hIcon = fields.icon;
  windowClass.hCursor = fields.cursor ? fields.cursor : LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = fields.className;
  windowClass.hIconSm = fields.smallIcon;
  return RegisterClassExW(&windowClass) ? 0 : GetLastError();
}

HWND CreateWindowWithRect(const wchar_t* className, const WindowFields& window) {
  int x = 0, y = 0, width = 0, height = 0;
  if (window.rect) {
    x = window.rect->x;
    y = window.rect->y;
    width = window.rect->width;
    height = window.rect->height;
  }
  HINSTANCE instance = window.instance ? window.instance : InstanceOfWindow(window.parent);
  return CreateWindowExW(window.exStyle, className, window.text ? window.text : L"", window.style, x, y, width,
                         height, window.parent, window.menuOrId, instance, window.parameter);
}

HWND CreateWindowRegistered(const WindowClassFields& windowClass, const WindowFields& window) {
  RegisterWindowClass(windowClass);
  WindowFields withInstance = window;
  if (!withInstance.instance) withInstance.instance = windowClass.instance;
  return CreateWindowWithRect(windowClass.className, withInstance);
}

HWND FindWindowByClassNarrow(const char* className) { return FindWindowA(className, nullptr); }

INT_PTR ShowModalDialog(HINSTANCE instance, int templateId, HWND parent, DLGPROC procedure, LPARAM parameter) {
  if (!instance) instance = InstanceOfWindow(parent);
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), parent, procedure, parameter);
}

HINSTANCE InstanceOfWindow(HWND window) {
  HINSTANCE instance = window ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)) : nullptr;
  return instance ? instance : GetModuleHandleW(nullptr);
}
