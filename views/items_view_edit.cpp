#include "views/items_view_edit.h"

#include <algorithm>
#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/window_wrappers.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"
#include "views/items_view_window.h"

namespace {

constexpr int kEditorExtraHeight = 4;
constexpr int kEditorBorders = 8;
constexpr int kEditorInitialWidth = 2;

WNDPROC g_previousEditProc = nullptr;
// The editor whose text the parent is being asked to take: its losing the focus to the parent's message box
// commits nothing.
HWND g_askedEditor = nullptr;

ItemListControl* ControlOfEditor(HWND editor) { return ItemListFromWindow(GetParent(editor)); }

bool MouseLeftPress(const ItemListControl* control) {
  if (control->pressPosition == -1) return false;
  POINT cursor = PointFromParam(static_cast<LPARAM>(GetMessagePos()));
  ScreenToClient(control->window, &cursor);
  POINT press = PointFromParam(control->pressPosition);
  return cursor.x != press.x || cursor.y != press.y;
}

// Wide enough for the text and the caret, no wider than the rest of the client area.
void SizeEditorFor(const ItemListControl* control, HWND editor, const wchar_t* text, int length) {
  HDC dc = GetDC(editor);
  HGDIOBJ previous = SelectObject(dc, control->font);
  int width = MeasureTextWidth(dc, text, length) + static_cast<int>(GetFontCellSize(editor, control->font) >> 16);
  SelectObject(dc, previous);
  ReleaseDC(editor, dc);
  RECT frame = {};
  GetWindowRect(editor, &frame);
  MapWindowPoints(nullptr, control->window, reinterpret_cast<POINT*>(&frame), 2);
  RECT client = {};
  GetClientRect(control->window, &client);
  width = std::clamp(width + kEditorBorders, kEditorInitialWidth,
                     std::max<int>(kEditorInitialWidth, client.right - frame.left));
  SetWindowPos(editor, nullptr, 0, 0, width, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SizeEditorToText(const ItemListControl* control, HWND editor) {
  wchar_t text[kFileNameCapacity + 1];
  const int length = GetWindowTextSafe(editor, text, kFileNameCapacity + 1);
  SizeEditorFor(control, editor, text, length);
}

void CloseEditor(ItemListControl* control, int row) {
  HWND editor = control->editor;
  if (!editor) return;
  control->editor = nullptr;
  control->editStartText[0] = 0;
  if (GetFocus() == editor) SetFocus(control->window);
  DestroyWindowIfAlive(editor);
  ItemsViewRedrawItem(control, row);
}

// Tells the parent the committed text; its answer. While the parent answers, the editor is no open editor: a
// message box the parent shows takes the focus and the keys (Enter, Esc) from it without ending it.
LRESULT AskParentToTake(ItemListControl* control, int row, wchar_t* text) {
  HWND editor = control->editor;
  const bool wasInline = g_app && g_app->inlineEditor == editor;
  if (wasInline) g_app->inlineEditor = nullptr;
  g_askedEditor = editor;
  NMLVDISPINFOW info = {};
  info.item.mask = LVIF_TEXT;
  info.item.iItem = row;
  info.item.pszText = text;
  info.item.cchTextMax = kFileNameCapacity + 1;
  info.item.lParam = reinterpret_cast<LPARAM>(GetItemRecord(control, row));
  const LRESULT answer = SendListNotify(control, &info.hdr, LVN_ENDLABELEDITW);
  g_askedEditor = nullptr;
  if (wasInline && IsWindow(editor)) g_app->inlineEditor = editor;
  return answer;
}

// With `mayStayOpen` (the user confirmed the text in the editor) a parent that refuses the text can keep the
// editor open on it.
void CommitEditor(ItemListControl* control, bool mayStayOpen) {
  HWND editor = control->editor;
  if (!editor) return;
  wchar_t text[kFileNameCapacity + 1];
  GetWindowTextSafe(editor, text, kFileNameCapacity + 1);
  int row = control->pendingRenameIndex;
  bool changed = row >= 0 && control->editStartText[0] && text[0] && wcscmp(text, control->editStartText) != 0;
  control->pendingRenameIndex = -1;
  const LRESULT answer = changed ? AskParentToTake(control, row, text) : 0;
  if (mayStayOpen && answer == kEndEditKeepOpen && control->editor == editor) {
    control->pendingRenameIndex = row;
    SetFocus(editor);
    return;
  }
  CloseEditor(control, row);
}

LRESULT CALLBACK EditorProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam) {
  // Also when the list goes first and takes the editor with it.
  if (message == WM_DESTROY && g_app && g_app->inlineEditor == editor) g_app->inlineEditor = nullptr;
  ItemListControl* control = ControlOfEditor(editor);
  if (control) {
    switch (message) {
      case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
      case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
          CommitEditor(control, true);
          return 0;
        }
        if (wParam == VK_ESCAPE) {
          ItemsViewEndEdit(control, false);
          return 0;
        }
        if (wParam == VK_TAB) return 0;
        break;
      case WM_CHAR:
        if (wParam == L'\r' || wParam == 27 || wParam == L'\t') return 0;
        [[fallthrough]];
      case WM_PASTE: {
        LRESULT result = CallPreviousWindowProc(g_previousEditProc, editor, message, wParam, lParam);
        SizeEditorToText(control, editor);
        return result;
      }
      case WM_KILLFOCUS:
        if (editor != g_askedEditor) {
          PostMessageW(control->window, kEndEditMessage, TRUE, reinterpret_cast<LPARAM>(editor));
        }
        break;
      case kEditorCommitMessage:
        CommitEditor(control, true);
        return 0;
      case WM_CLOSE:
        ItemsViewEndEdit(control, false);
        return 0;
      case WM_DESTROY:
        control->pendingRenameIndex = -1;
        if (control->editor == editor) control->editor = nullptr;
        break;
      default:
        break;
    }
  }
  return CallPreviousWindowProc(g_previousEditProc, editor, message, wParam, lParam);
}

HWND CreateEditor(ItemListControl* control, const RECT& label, const wchar_t* text) {
  int height = static_cast<int>(GetFontCellSize(control->window, control->font) & 0xFFFF) + kEditorExtraHeight;
  int top = label.top + (label.bottom - label.top - height) / 2;
  HWND editor = CreateWindowExW(0, L"EDIT", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, label.left,
                                top, kEditorInitialWidth, height, control->window,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(control->creation.controlId)),
                                InstanceOfWindow(control->window), nullptr);
  if (!editor) return nullptr;
  SubclassWindow(editor, EditorProc, &g_previousEditProc);
  SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(control->font), FALSE);
  SendMessageW(editor, EM_LIMITTEXT, kFileNameCapacity, 0);
  // Sized before it takes the text: an editor that grows afterwards keeps the text scrolled to its end.
  SizeEditorFor(control, editor, text, static_cast<int>(WideLength(text)));
  SetWindowTextSafe(editor, text);
  SendMessageW(editor, EM_SETSEL, 0, -1);
  return editor;
}

}  // namespace

HWND ItemsViewBeginEdit(ItemListControl* control, int index) {
  if (index < 0) {
    ItemsViewEndEdit(control, index == -1);
    return nullptr;
  }
  RECT label;
  if (MouseLeftPress(control) || !(control->creation.viewWord & kViewSlowClickRename) ||
      !GetItemPartRect(control, index, kPartLabel, &label)) {
    return nullptr;
  }
  wchar_t text[kFileNameCapacity];
  if (RequestCellDisplay(control, index, 0, LVIF_TEXT, text, kFileNameCapacity, nullptr) == 0) return nullptr;
  ItemsViewEndEdit(control, true);
  HWND editor = CreateEditor(control, label, text);
  if (!editor) return nullptr;
  control->editor = editor;
  CopyWideBounded(text, control->editStartText, kFileNameCapacity);
  NMLVDISPINFOW info = {};
  info.item.mask = LVIF_TEXT;
  info.item.iItem = index;
  info.item.pszText = control->editStartText;
  info.item.cchTextMax = kFileNameCapacity;
  info.item.lParam = reinterpret_cast<LPARAM>(GetItemRecord(control, index));
  if (SendListNotify(control, &info.hdr, LVN_BEGINLABELEDITW) != 0) {
    CloseEditor(control, index);
    return nullptr;
  }
  if (control->editor != editor) return nullptr;
  control->pendingRenameIndex = index;
  if (g_app) g_app->inlineEditor = editor;
  SizeEditorToText(control, editor);
  SetFocus(editor);
  return editor;
}

void ItemsViewEndEdit(ItemListControl* control, bool commit) {
  if (!control->editor) return;
  if (!IsControlThread(control)) {
    PostMessageW(control->window, kEndEditMessage, commit, reinterpret_cast<LPARAM>(control->editor));
    return;
  }
  if (commit) {
    CommitEditor(control, false);
  } else {
    int row = control->pendingRenameIndex;
    control->pendingRenameIndex = -1;
    CloseEditor(control, row);
  }
}

void ItemsViewEndEditRequest(ItemListControl* control, bool commit, HWND editor) {
  if (editor && control->editor == editor) ItemsViewEndEdit(control, commit);
}
