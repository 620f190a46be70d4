#include "shell/main_window_proc.h"

#include <commctrl.h>

#include <initializer_list>

#include "engine/chain_list.h"
#include "engine/engine_hooks.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/jobs.h"
#include "foundation/core/threads.h"
#include "foundation/text/locale_separators.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/owner_drawn_menus.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/menu_icons.h"
#include "foundation/win32/menus.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_list.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/chain_drag.h"
#include "shell/closing.h"
#include "shell/command_trees.h"
#include "shell/file_commands.h"
#include "shell/file_drop.h"
#include "shell/file_list_notifications.h"
#include "shell/folder_history.h"
#include "shell/folder_navigation.h"
#include "shell/help_requests.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/menu_help.h"
#include "shell/pane_layout.h"
#include "shell/selection_debounce.h"
#include "shell/splitters.h"
#include "views/address_bar.h"
#include "views/file_list_row.h"
#include "views/folder_listing.h"
#include "views/folder_tree.h"
#include "views/items_view.h"
#include "views/shell_context_menu.h"
#include "views/status_bar.h"

namespace {

constexpr UINT kCheckBoxStateBits = 0xF000;
constexpr COLORREF kUnusableNameBackground = 0x8080FF;

bool OptionSet(uint32_t bit) { return (g_app->options & bit) != 0; }

void CloseInlineEditor() {
  if (g_app->inlineEditor) PostWindowMessage(g_app->inlineEditor, WM_CLOSE, 0, 0);
}

// A hidden pane cannot take the focus: the file list takes it instead.
void FocusActivePane() {
  constexpr int kFileListPane = 2;
  int pane = g_app->activePane;
  if (pane < 0 || pane > kFileListPane || !IsWindowShown(g_app->paneWindows[pane])) pane = kFileListPane;
  SetFocusSafe(g_app->paneWindows[pane]);
  UpdateMenuStatesHook();
}

void RedrawFileListRows() {
  const ItemListControl* files = g_app->fileList;
  if (!files || !IsWindowSafe(files->window)) return;
  int width = 0;
  int height = 0;
  GetClientSizeOrParam(files->window, 0, &width, &height);
  const RECT rows = {0, files->headerHeight, width, height};
  InvalidateWindowRect(files->window, &rows, false);
}

// Rows whose new name is marked unusable are painted on red.
LRESULT FileListCustomDraw(NMLVCUSTOMDRAW* draw) {
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  const auto* row = reinterpret_cast<const FileListRow*>(draw->nmcd.lItemlParam);
  if (!row || row->newName[0] != L'<') return CDRF_DODEFAULT;
  draw->clrTextBk = kUnusableNameBackground;
  return CDRF_NEWFONT;
}

LRESULT OnEndFileRename(HWND window, NMLVDISPINFOW* request) {
  if (!g_app->fileList || !g_app->fileList->editor) return 0;
  const LRESULT result = EndFileRename(request);
  if (result == 1) {
    MarkSettingsChanged(0);
    PostWindowMessage(window, WM_COMMAND, IDM_SORT_AGAIN, 0);
  }
  return result;
}

void OnChainItemChanged(const NMLISTVIEW* change) {
  if (g_app->recomputationSuspended == 0 && ((change->uOldState ^ change->uNewState) & kCheckBoxStateBits) != 0) {
    MarkSettingsChanged(1);
  }
  UpdateMenuStatesHook();
}

LRESULT OnChainListNotify(HWND window, NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOW:
      ChainListGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header));
      break;
    case LVN_ODSTATECHANGED:
      UpdateMenuStatesHook();
      break;
    case LVN_ITEMACTIVATE:
      if (OptionSet(kOptionItemActivation)) EditSelectedStep(window);
      break;
    case LVN_ITEMCHANGED:
      OnChainItemChanged(reinterpret_cast<NMLISTVIEW*>(header));
      break;
    case NM_DBLCLK:
      EditSelectedStep(window);
      break;
    case LVN_BEGINDRAG:
      DragChainStep(window);
      break;
  }
  return 0;
}

LRESULT OnFileListNotify(HWND window, NMHDR* header) {
  auto* request = reinterpret_cast<NMLVDISPINFOW*>(header);
  switch (header->code) {
    case LVN_GETDISPINFOW:
      FileListGetItemText(request);
      break;
    case LVN_BEGINLABELEDITW:
      return BeginFileRename(request);
    case LVN_ENDLABELEDITW:
      return OnEndFileRename(window, request);
    case LVN_ODSTATECHANGED:
    case LVN_ITEMCHANGED:
      ScheduleSelectionUpdate(window);
      break;
    case LVN_ITEMACTIVATE:
      if (OptionSet(kOptionItemActivation)) OpenFocusedFileOrFolder(window);
      break;
    case LVN_COLUMNCLICK: {
      const auto* click = reinterpret_cast<NMLISTVIEW*>(header);
      SortFileListByColumn(click->iSubItem, click->ptAction.x);
      break;
    }
    case NM_CUSTOMDRAW:
      return FileListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case NM_DBLCLK:
      OpenFocusedFileOrFolder(window);
      break;
  }
  return 0;
}

// A tooltip asks for its text: the file list's info tip of a row, or a toolbar button's command text.
LRESULT OnTooltipText(NMHDR* header) {
  auto* request = reinterpret_cast<NMTTDISPINFOW*>(header);
  if (header->idFrom == kFileListId) return OptionSet(kOptionNoInfoTips) ? 0 : BuildItemInfoTip(request);
  GetUiTooltipText(static_cast<int>(header->idFrom), request->szText, kTooltipCapacity);
  request->lpszText = request->szText;
  return 0;
}

// The drop-downs of the toolbar's back and forward buttons.
LRESULT OnToolbarDropDown(HWND window, const NMTOOLBARW* button) {
  if (button->iItem == IDM_FOLDER_BACK) ShowForwardHistoryMenu(window);
  if (button->iItem == IDM_FOLDER_FORWARD) ShowBackHistoryMenu(window);
  return TBDDRET_DEFAULT;
}

LRESULT OnNotify(HWND window, NMHDR* header) {
  if (header->code == LVN_ODFINDITEMW) return -1;
  if (header->code == TBN_DROPDOWN) return OnToolbarDropDown(window, reinterpret_cast<NMTOOLBARW*>(header));
  if (header->code == TTN_GETDISPINFOW) return OnTooltipText(header);
  if (header->idFrom == kChainListId) return OnChainListNotify(window, header);
  if (header->idFrom == kFileListId) return OnFileListNotify(window, header);
  if (header->idFrom == kFolderTreeId && header->code == TVN_SELCHANGEDW) {
    OnFolderTreeSelChanged(reinterpret_cast<NMTREEVIEWW*>(header));
    return 0;
  }
  if (header->idFrom == kFolderTreeId) return HandleFolderTreeNotify(header);
  return 0;
}

void OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  if (!IsCommandDisabled(static_cast<int>(LOWORD(wParam)))) OnMainCommand(window, wParam, lParam);
}

LRESULT OnPaneActivated(LPARAM controlId) {
  const int pane = static_cast<int>(controlId) - kFolderTreeId;
  if (pane < 0 || pane > 2 || pane == g_app->activePane) return 0;
  g_app->activePane = static_cast<int16_t>(pane);
  UpdateMenuStatesHook();
  CloseInlineEditor();
  return 0;
}

LRESULT OnPaneNotify(HWND window, WPARAM code, LPARAM data) {
  if (code == kPaneGotFocus) return OnPaneActivated(data);
  if (code == kPaneHeaderMenu && data) {
    const auto* menu = reinterpret_cast<const PaneHeaderMenuRecord*>(data);
    return ShowColumnHeaderMenu(window, menu->window, nullptr, nullptr, menu->column);
  }
  if (code == kPaneKey && data) {
    const auto* key = reinterpret_cast<const PaneKeyRecord*>(data);
    if (key->controlId == kFileListId && key->keyCode == VK_RETURN) OpenFocusedFileOrFolder(window);
    // F2 renames the focused file in place, as the command does.
    if (key->controlId == kFileListId && key->keyCode == VK_F2) OnCommand(window, IDM_RENAME_IN_PLACE, 0);
  }
  return 0;
}

void OnDutyTimer() {
  if (!IsJobBusy() && !IsCommandDisabled(IDM_STOP)) RefreshAllMenuStates();
  RunDeferredListing();
}

// A new system colour or visual style: the slots are read again and the lists take their colours anew, the
// user's own where they are on.
void OnColoursChanged() {
  ClearThemeColorCache();
  LoadSortArrows();
  ApplyListColours(g_app->paneWindows[0]);
}

// A menu opens: a rename by click that is still waiting is dropped, and an open editor is committed.
void EndPendingFileRename() {
  ItemListControl* files = g_app->fileList;
  if (!files) return;
  KillTimer(files->window, kRenameTimer);
  ItemsViewEndEdit(files, true);
}

// A menu definition a pane asks for: the choice becomes a command of the main window.
void ShowMenuDefinition(HWND window, WPARAM definition) {
  const int chosen =
      ShowPopupMenuFromTable(window, nullptr, reinterpret_cast<const MenuDefinitionEntry*>(definition), nullptr, 0);
  if (chosen != 0) PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
}

// What the procedure answers itself instead of passing a message on to the default procedure.
struct Answer {
  bool given;
  LRESULT value;
};

constexpr Answer kPassOn = {false, 0};

constexpr Answer Given(LRESULT value) { return {true, value}; }

// A mouse message's point; negative beyond the left or top edge while the mouse is captured.
POINT PointOf(LPARAM lParam) { return {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))}; }

// A close asked for while a folder listing runs stops the listing, and the window closes once it has ended: a
// listing only reads, and nobody should wait for a large tree to be walked to its end. Other jobs change files
// and keep the window open until they end.
volatile LONG g_closeAfterListing = 0;

Answer OnClose(HWND window) {
  if (IsJobBusy()) {
    if (IsFolderListingRunning()) {
      InterlockedExchange(&g_closeAfterListing, 1);
      RequestJobStop();
    }
    return Given(0);
  }
  InterlockedExchange(&g_closeAfterListing, 0);
  OnMainWindowClose(window);
  return kPassOn;
}

Answer OnQueryEndSession(HWND window) {
  // A rename run cut off by the end of the session would leave no way back.
  if (IsJobBusy()) return Given(FALSE);
  SaveSessionState(window);
  return kPassOn;
}

// The program's owner-drawn menus answer their messages; what they leave goes to the default procedure.
template <UINT Message>
Answer OnMenuMessage(WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  const bool taken = AnswerOwnerDrawnMenuMessage(&g_menuIcons, Message, wParam, lParam, WindowListItemIcon, &answer);
  return taken ? Given(answer) : kPassOn;
}

void OnInitMenuPopup(HMENU popup, LPARAM lParam) {
  EndPendingFileRename();
  SetViewMenuChecks(popup, static_cast<int>(LOWORD(lParam)));
  OnMenuMessage<WM_INITMENUPOPUP>(reinterpret_cast<WPARAM>(popup), lParam);
}

void SetMinimumTrackSize(MINMAXINFO* info) {
  info->ptMinTrackSize.x = kMainWindowMinWidth;
  info->ptMinTrackSize.y = kMainWindowMinHeight;
}

// What the main window does with a message: its own answer, or kPassOn when the default procedure runs after.
using MessageHandler = Answer (*)(HWND window, WPARAM wParam, LPARAM lParam);

struct MessageRow {
  UINT message;
  MessageHandler handler;
};

const MessageRow kMessages[] = {
    {WM_CREATE,
     [](HWND window, WPARAM, LPARAM) {
       OnMainWindowCreate(window);
       return kPassOn;
     }},
    {WM_DESTROY,
     [](HWND window, WPARAM, LPARAM) {
       SaveStateOnExit(window);
       return kPassOn;
     }},
    {WM_SIZE,
     [](HWND window, WPARAM wParam, LPARAM) {
       if (wParam != SIZE_MINIMIZED) LayoutMainWindow(window);
       return kPassOn;
     }},
    {WM_ACTIVATE,
     [](HWND, WPARAM, LPARAM) {
       CloseInlineEditor();
       return kPassOn;
     }},
    {WM_SETFOCUS,
     [](HWND, WPARAM, LPARAM) {
       FocusActivePane();
       return kPassOn;
     }},
    {WM_CLOSE, [](HWND window, WPARAM, LPARAM) { return OnClose(window); }},
    {WM_QUERYENDSESSION, [](HWND window, WPARAM, LPARAM) { return OnQueryEndSession(window); }},
    {WM_SYSCOLORCHANGE,
     [](HWND, WPARAM, LPARAM) {
       OnColoursChanged();
       return kPassOn;
     }},
    {WM_THEMECHANGED,
     [](HWND, WPARAM, LPARAM) {
       OnColoursChanged();
       return kPassOn;
     }},
    {WM_SETTINGCHANGE,
     [](HWND, WPARAM, LPARAM) {
       InitLocaleNumberSeparators();
       ClearThemeColorCache();
       RedrawFileListRows();
       return kPassOn;
     }},
    {WM_GETMINMAXINFO,
     [](HWND, WPARAM, LPARAM lParam) {
       SetMinimumTrackSize(reinterpret_cast<MINMAXINFO*>(lParam));
       return kPassOn;
     }},
    {WM_MEASUREITEM, [](HWND, WPARAM wParam, LPARAM lParam) { return OnMenuMessage<WM_MEASUREITEM>(wParam, lParam); }},
    {WM_DRAWITEM, [](HWND, WPARAM wParam, LPARAM lParam) { return OnMenuMessage<WM_DRAWITEM>(wParam, lParam); }},
    {WM_MENUCHAR, [](HWND, WPARAM wParam, LPARAM lParam) { return OnMenuMessage<WM_MENUCHAR>(wParam, lParam); }},
    {WM_NOTIFY,
     [](HWND window, WPARAM, LPARAM lParam) { return Given(OnNotify(window, reinterpret_cast<NMHDR*>(lParam))); }},
    {WM_HELP,
     [](HWND window, WPARAM, LPARAM lParam) {
       ShowHelpForRequest(window, reinterpret_cast<const HELPINFO*>(lParam));
       return kPassOn;
     }},
    {WM_COMMAND,
     [](HWND window, WPARAM wParam, LPARAM lParam) {
       OnCommand(window, wParam, lParam);
       return kPassOn;
     }},
    {WM_TIMER,
     [](HWND window, WPARAM wParam, LPARAM) {
       if (wParam == kSelectionTimerId) {
         OnSelectionTimer(window);
       } else {
         OnDutyTimer();
       }
       return kPassOn;
     }},
    {WM_INITMENUPOPUP,
     [](HWND, WPARAM wParam, LPARAM lParam) {
       OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), lParam);
       return kPassOn;
     }},
    {WM_CONTEXTMENU,
     [](HWND window, WPARAM wParam, LPARAM lParam) {
       const auto source = reinterpret_cast<HWND>(wParam);
       if (source && source == g_app->paneWindows[0]) {
         ShowFolderContextMenu(window, source, lParam);
         return Given(0);
       }
       const ItemListControl* files = g_app->fileList;
       if (!files || source != files->window) return kPassOn;
       // The shell's menu is its own: the menu code that ends a pending rename does not see it open.
       EndPendingFileRename();
       ShowFileContextMenu(window, lParam);
       return Given(0);
     }},
    {WM_DROPFILES,
     [](HWND window, WPARAM wParam, LPARAM) {
       OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
       return kPassOn;
     }},
    {kIgnoredMessage, [](HWND, WPARAM, LPARAM) { return Given(0); }},
    {kRunOnGuiThreadMessage,
     [](HWND, WPARAM wParam, LPARAM lParam) { return Given(HandleRunOnGuiThreadMessage(wParam, lParam)); }},
    {kAddressBarMenuMessage,
     [](HWND window, WPARAM wParam, LPARAM) {
       ShowMenuDefinition(window, wParam);
       return kPassOn;
     }},
    {kPaneNotifyMessage,
     [](HWND window, WPARAM wParam, LPARAM lParam) { return Given(OnPaneNotify(window, wParam, lParam)); }},
    {kNavigateToPathMessage,
     [](HWND window, WPARAM, LPARAM lParam) {
       NavigateToFolder(window, reinterpret_cast<const wchar_t*>(lParam));
       return Given(1);
     }},
    {WM_MENUSELECT,
     [](HWND, WPARAM wParam, LPARAM lParam) {
       MenuHelpToStatusBar(&g_statusBar, reinterpret_cast<HMENU>(lParam), wParam);
       return kPassOn;
     }},
    {WM_EXITMENULOOP,
     [](HWND, WPARAM, LPARAM) {
       if (StatusBarHasHint(&g_statusBar)) StatusBarSetHintText(&g_statusBar, nullptr);
       return kPassOn;
     }},
    // The window's own client area is the splitters' gaps.
    {WM_LBUTTONDOWN,
     [](HWND window, WPARAM, LPARAM lParam) {
       SplitterButtonDown(window, PointOf(lParam));
       return Given(0);
     }},
    {WM_MOUSEMOVE,
     [](HWND window, WPARAM, LPARAM lParam) {
       SplitterMouseMove(window, PointOf(lParam));
       return Given(0);
     }},
    {WM_LBUTTONUP,
     [](HWND window, WPARAM, LPARAM) {
       SplitterButtonUp(window);
       return Given(0);
     }},
    // A drag that loses the mouse to another window ends where it is.
    {WM_CAPTURECHANGED,
     [](HWND window, WPARAM, LPARAM) {
       SplitterButtonUp(window);
       return kPassOn;
     }},
    // Over a gap the mouse move shows the splitter's cursor, not the class's arrow first.
    {WM_SETCURSOR,
     [](HWND window, WPARAM wParam, LPARAM lParam) {
       return reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT ? Given(TRUE) : kPassOn;
     }},
};

MessageHandler FindHandler(UINT message) {
  for (const MessageRow& row : kMessages) {
    if (row.message == message) return row.handler;
  }
  return nullptr;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // An open shell context menu draws and fills its own items.
  LRESULT relayed = 0;
  if (RelayShellMenuMessage(window, message, wParam, lParam, &relayed)) return relayed;
  const MessageHandler handler = g_app ? FindHandler(message) : nullptr;
  // A handler that fails leaves the window as the default procedure would.
  const Answer answer = handler ? GuardedCall(kPassOn, [&] { return handler(window, wParam, lParam); }) : kPassOn;
  return answer.given ? answer.value : DefWindowProcW(window, message, wParam, lParam);
}

void CloseIfAskedDuringListing() {
  if (InterlockedExchange(&g_closeAfterListing, 0) != 0) PostWindowMessage(g_mainWindow, WM_CLOSE, 0, 0);
}
