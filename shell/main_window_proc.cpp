#include "shell/main_window_proc.h"

#include <commctrl.h>

#include "engine/chain_list.h"
#include "engine/engine_hooks.h"
#include "engine/preview.h"
#include "foundation/app_state.h"
#include "foundation/locale_separators.h"
#include "foundation/menu_icons.h"
#include "foundation/menus.h"
#include "foundation/threads.h"
#include "foundation/ui_operations.h"
#include "foundation/ui_strings.h"
#include "foundation/window_wrappers.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/pane_layout.h"
#include "shell/selection_debounce.h"
#include "shell/shell_hooks.h"
#include "views/file_list_row.h"
#include "views/item_list_control.h"
#include "views/item_list_edit.h"
#include "views/item_list_notify.h"
#include "views/item_list_window.h"

namespace {

constexpr UINT kCheckBoxStateBits = 0xF000;
constexpr int kTooltipTextCapacity = 80;
constexpr COLORREF kUnusableNameBackground = 0x8080FF;
constexpr int kFolderPathCapacity = 1024;

bool OptionSet(uint32_t bit) { return (g_app->options & bit) != 0; }

bool IsBusy() { return g_app->busyCounter != 0; }

void CloseInlineEditor() {
  if (g_app->inlineEditor) PostWindowMessage(g_app->inlineEditor, WM_CLOSE, 0, 0);
}

void FocusActivePane() {
  const int pane = g_app->activePane;
  if (pane >= 0 && pane < 3) SetFocusSafe(g_app->paneWindows[pane]);
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

void OnFolderTreeSelChanged(const NMTREEVIEWW* change) {
  if (g_app->closingCount != 0) return;
  wchar_t path[kFolderPathCapacity] = {};
  CallShellHook(g_shellHooks.treeItemPath, change, path, kFolderPathCapacity);
  if (path[0] != 0) CallShellHook(g_shellHooks.setCurrentFolder, path);
}

LRESULT OnFolderTreeNotify(const NMHDR* header) {
  const auto* tree = reinterpret_cast<const NMTREEVIEWW*>(header);
  switch (header->code) {
    case TVN_DELETEITEMW:
      CallShellHook(g_shellHooks.freeTreeItem, tree);
      break;
    case TVN_ITEMEXPANDINGW:
      CallShellHook(g_shellHooks.expandTreeItem, tree);
      break;
    case TVN_SELCHANGEDW:
      OnFolderTreeSelChanged(tree);
      break;
  }
  return 0;
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
  const LRESULT result = CallShellHookOr(g_shellHooks.endFileRename, LRESULT{0}, request);
  if (result != 0) {
    MarkSettingsChanged(0);
    PostWindowMessage(window, WM_COMMAND, kAfterInPlaceRenameCommand, 0);
  }
  return result;
}

void OpenFocusedFile(HWND window) { CallShellHook(g_shellHooks.openFocusedFile, window); }

void OnChainItemChanged(const NMLISTVIEW* change) {
  if (g_app->recomputationSuspended == 0 && ((change->uOldState ^ change->uNewState) & kCheckBoxStateBits) != 0) {
    MarkSettingsChanged(1);
  }
  UpdateMenuStatesHook();
}

LRESULT OnChainListNotify(HWND window, NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOW:
      CallShellHook(g_shellHooks.chainRowText, reinterpret_cast<NMLVDISPINFOW*>(header));
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
      CallShellHook(g_shellHooks.dragChainStep, window);
      break;
  }
  return 0;
}

LRESULT OnFileListNotify(HWND window, NMHDR* header) {
  auto* request = reinterpret_cast<NMLVDISPINFOW*>(header);
  switch (header->code) {
    case LVN_GETDISPINFOW:
      CallShellHook(g_shellHooks.fileRowText, request);
      break;
    case LVN_BEGINLABELEDITW:
      return CallShellHookOr(g_shellHooks.beginFileRename, LRESULT{0}, request);
    case LVN_ENDLABELEDITW:
      return OnEndFileRename(window, request);
    case LVN_ODSTATECHANGED:
    case LVN_ITEMCHANGED:
      ScheduleSelectionUpdate(window);
      break;
    case LVN_ITEMACTIVATE:
      if (OptionSet(kOptionItemActivation)) OpenFocusedFile(window);
      break;
    case LVN_COLUMNCLICK:
      CallShellHook(g_shellHooks.sortFileList, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      MarkSettingsChanged(0);
      break;
    case NM_CUSTOMDRAW:
      return FileListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case NM_DBLCLK:
      OpenFocusedFile(window);
      break;
  }
  return 0;
}

// A tooltip asks for its text: the file list's info tip of a row, or a toolbar button's command text.
LRESULT OnTooltipText(NMHDR* header) {
  auto* request = reinterpret_cast<NMTTDISPINFOW*>(header);
  if (header->idFrom == kFileListId) {
    if (OptionSet(kOptionNoInfoTips)) return 0;
    return CallShellHookOr(g_shellHooks.fileRowInfoTip, LRESULT{0}, request);
  }
  GetUiTooltipText(static_cast<int>(header->idFrom), request->szText, kTooltipTextCapacity);
  request->lpszText = request->szText;
  return 0;
}

LRESULT OnNotify(HWND window, NMHDR* header) {
  if (header->code == LVN_ODFINDITEMW) return -1;
  if (header->code == TTN_GETDISPINFOW) return OnTooltipText(header);
  if (header->code == TBN_DROPDOWN) {
    const int command = reinterpret_cast<NMTOOLBARW*>(header)->iItem;
    if (command == 197 || command == 198) CallShellHook(g_shellHooks.showHistoryMenu, window, command == 197);
    return TBDDRET_DEFAULT;
  }
  switch (header->idFrom) {
    case kFolderTreeId:
      return OnFolderTreeNotify(header);
    case kChainListId:
      return OnChainListNotify(window, header);
    case kFileListId:
      return OnFileListNotify(window, header);
  }
  return 0;
}

void OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  if (CallShellHookOr(g_shellHooks.isCommandDisabled, false, static_cast<int>(LOWORD(wParam)))) return;
  CallShellHook(g_shellHooks.onCommand, window, wParam, lParam);
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
  if (code == kPaneHeaderMenu) return CallShellHookOr(g_shellHooks.showHeaderMenu, LRESULT{0}, window, data);
  if (code == kPaneKey && data) {
    const auto* key = reinterpret_cast<const PaneKeyRecord*>(data);
    if (key->controlId == kFileListId && key->keyCode == VK_RETURN) OpenFocusedFile(window);
    // F2 renames the focused file in place, as the command does.
    if (key->controlId == kFileListId && key->keyCode == VK_F2) OnCommand(window, kRenameInPlaceCommand, 0);
  }
  return 0;
}

void OnDutyTimer() {
  if (!IsBusy() && g_shellHooks.isCommandDisabled &&
      !CallShellHookOr(g_shellHooks.isCommandDisabled, true, kStopCommand)) {
    CallShellHook(g_shellHooks.refreshAllMenuStates);
  }
  if (g_app->pendingListings != 0 && !IsBusy()) CallShellHook(g_shellHooks.setCurrentFolder, g_app->currentFolder);
}

// A menu opens: a rename by click that is still waiting is dropped, and an open editor is committed.
void EndPendingFileRename() {
  ItemListControl* files = g_app->fileList;
  if (!files) return;
  KillTimer(files->window, kRenameTimer);
  ItemsViewEndEdit(files, true);
}

void OnInitMenuPopup(HWND window, HMENU popup, LPARAM lParam) {
  EndPendingFileRename();
  CallShellHook(g_shellHooks.setViewMenuChecks, popup, static_cast<int>(LOWORD(lParam)));
  if (!HIWORD(lParam) && !OptionSet(kOptionSystemMenus)) {
    CallShellHook(g_shellHooks.makePopupMenuOwnerDrawn, window, popup);
  }
}

void OnSysColorChange() {
  CallShellHook(g_shellHooks.clearThemeColorCache);
  LoadSortArrows();
  CallShellHook(g_shellHooks.refreshFileListColours);
}

void SetMinimumTrackSize(MINMAXINFO* info) {
  info->ptMinTrackSize.x = kMainWindowMinWidth;
  info->ptMinTrackSize.y = kMainWindowMinHeight;
}

// What the procedure answers itself instead of passing a message on to the default procedure.
struct Answer {
  bool given;
  LRESULT value;
};

constexpr Answer kPassOn = {false, 0};

constexpr Answer Given(LRESULT value) { return {true, value}; }

Answer OnClose(HWND window) {
  if (IsBusy()) return Given(0);
  CallShellHook(g_shellHooks.onClose, window);
  return kPassOn;
}

Answer OnQueryEndSession(HWND window) {
  // A rename run cut off by the end of the session would leave no way back.
  if (IsBusy()) return Given(FALSE);
  SaveSessionState(window);
  return kPassOn;
}

Answer OnDrawMenuItem(WPARAM wParam, DRAWITEMSTRUCT* item) {
  if (wParam != 0 || item->CtlType != ODT_MENU) return kPassOn;
  return Given(CallShellHookOr(g_shellHooks.drawMenuItem, LRESULT{0}, item));
}

Answer OnMeasureMenuItem(WPARAM wParam, MEASUREITEMSTRUCT* item) {
  if (wParam != 0 || item->CtlType != ODT_MENU) return kPassOn;
  return Given(MeasureOwnerDrawnMenuItem(&g_menuIcons, item));
}

Answer OnMenuChar(WPARAM wParam, LPARAM lParam) {
  const LRESULT found =
      FindMenuAccelerator(static_cast<wchar_t>(LOWORD(wParam)), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
  return found != 0 ? Given(found) : kPassOn;
}

Answer OnNavigateToFolder(HWND window, LPARAM path) {
  CallShellHook(g_shellHooks.navigateToFolder, window, reinterpret_cast<const wchar_t*>(path));
  return Given(1);
}

Answer AnswerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      return OnClose(window);
    case WM_QUERYENDSESSION:
      return OnQueryEndSession(window);
    case WM_DRAWITEM:
      return OnDrawMenuItem(wParam, reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM:
      return OnMeasureMenuItem(wParam, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_MENUCHAR:
      return OnMenuChar(wParam, lParam);
    case WM_NOTIFY:
      return Given(OnNotify(window, reinterpret_cast<NMHDR*>(lParam)));
    case kIgnoredMessage:
      return Given(0);
    case kRunOnGuiThreadMessage:
      return Given(HandleRunOnGuiThreadMessage(wParam, lParam));
    case kNavigateToFolderMessage:
      return OnNavigateToFolder(window, lParam);
    case kPaneNotifyMessage:
      return Given(OnPaneNotify(window, wParam, lParam));
  }
  return kPassOn;
}

// Messages after whose action the default procedure runs.
void ActOnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnMainWindowCreate(window);
      break;
    case WM_DESTROY:
      SaveStateOnExit(window);
      break;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) LayoutMainWindow(window);
      break;
    case WM_ACTIVATE:
      CloseInlineEditor();
      break;
    case WM_SETFOCUS:
      FocusActivePane();
      break;
    case WM_SYSCOLORCHANGE:
      OnSysColorChange();
      break;
    case WM_SETTINGCHANGE:
      InitLocaleNumberSeparators();
      RedrawFileListRows();
      break;
    case WM_GETMINMAXINFO:
      SetMinimumTrackSize(reinterpret_cast<MINMAXINFO*>(lParam));
      break;
    case WM_HELP:
      CallShellHook(g_shellHooks.showHelp, window, reinterpret_cast<const HELPINFO*>(lParam));
      break;
    case WM_CONTEXTMENU:
      CallShellHook(g_shellHooks.onContextMenu, window, reinterpret_cast<HWND>(wParam), lParam);
      break;
    case WM_COMMAND:
      OnCommand(window, wParam, lParam);
      break;
    case WM_TIMER:
      if (wParam == kSelectionTimerId) {
        OnSelectionTimer(window);
      } else {
        OnDutyTimer();
      }
      break;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(window, reinterpret_cast<HMENU>(wParam), lParam);
      break;
    case WM_MENUSELECT:
      CallShellHook(g_shellHooks.onMenuSelect, window, wParam, lParam);
      break;
    case WM_EXITMENULOOP:
      CallShellHook(g_shellHooks.onExitMenuLoop, window);
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      CallShellHook(g_shellHooks.onSplitterMouse, window, message, wParam, lParam);
      break;
    case WM_DROPFILES:
      CallShellHook(g_shellHooks.onDropFiles, window, reinterpret_cast<HDROP>(wParam));
      break;
    case kShowMenuDefinitionMessage:
      CallShellHook(g_shellHooks.showMenuDefinition, window, wParam);
      break;
  }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!g_app) return DefWindowProcW(window, message, wParam, lParam);
  const Answer answer = AnswerMessage(window, message, wParam, lParam);
  if (answer.given) return answer.value;
  ActOnMessage(window, message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}
