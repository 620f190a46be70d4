#include "shell/options_dialog.h"

#include <commctrl.h>

#include <cstring>
#include <initializer_list>

#include "foundation/core/app_state.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "engine/file_list_fields.h"
#include "metadata/column_page.h"
#include "metadata/field_menu.h"
#include "metadata/option_pages.h"
#include "metadata/plugin_page.h"
#include "shell/command_trees.h"
#include "shell/keyboard_hook.h"
#include "shell/explorer_integration.h"
#include "shell/list_colours.h"
#include "shell/list_editor.h"
#include "shell/folder_navigation.h"
#include "shell/main_commands.h"
#include "shell/main_lists.h"
#include "shell/main_window.h"
#include "shell/options_header.h"
#include "shell/options_pages.h"
#include "shell/recent_files.h"
#include "shell/shortcut_page.h"
#include "shell/status_notices.h"
#include "views/column_layout_text.h"
#include "views/file_list_columns.h"
#include "views/items_view.h"
#include "views/status_bar.h"
#include "shell/profile_notices.h"
#include "shell/settings_values.h"

namespace {

constexpr int kOptionsTextIds[] = {IDD_OPTIONS,
                                   IDC_OPTIONS_OK,
                                   IDCANCEL,
                                   IDC_OPT_FULL_ROW,
                                   IDC_OPT_COLUMN_LINES,
                                   IDC_OPT_GRID_LINES,
                                   IDC_OPT_HOVER_ROW,
                                   IDC_OPT_ONE_CLICK,
                                   IDC_OPT_ON_TOP,
                                   IDC_OPT_MENU_ICONS,
                                   IDC_OPT_SIZE_UNITS,
                                   IDC_OPT_SECONDS,
                                   IDC_OPT_NATURAL_ORDER,
                                   IDC_OPT_FILE_TYPE,
                                   IDC_OPT_EXPLORER_VERBS,
                                   IDC_OPT_FILE_ICONS,
                                   IDC_OPT_INFO_TIPS,
                                   IDC_OPT_MENU_ICON_LABEL,
                                   IDC_ICON_SIZE_LABEL,
                                   IDC_COLUMN_AVAILABLE_LABEL,
                                   IDC_COLUMN_CHOSEN_LABEL,
                                   IDC_COLOUR_TEXT,
                                   IDC_COLOUR_BACKGROUND,
                                   IDC_COLOUR_OWN,
                                   0};
// The page titles in page order.
constexpr int kPageTitleTextIds[kOptionsPageCount] = {kTextSettingsPageGeneral, kTextSettingsPageIcons,
                                                       kTextSettingsPageColours, kTextSettingsPageColumns,
                                                       kTextSettingsPageShortcuts, kTextContentPlugins};
constexpr int kPageTitleCapacity = 255;
constexpr int kFirstPageCommand = IDC_ENTRY_ADD;
constexpr int kLastPageCommand = 7004;

// What the dialog remembers while it is open.
struct OptionsDialogState {
  bool columnsEdited;
  bool keysChanged;
};

OptionsDialogState* StateOf(HWND dialog) { return reinterpret_cast<OptionsDialogState*>(GetWindowUserData16(dialog)); }

HWND Item(HWND dialog, int id) { return GetDialogItem(dialog, id); }

OptionValues CurrentValues() { return {g_app->options, g_app->listIconSize, g_app->menuIconSize}; }

void FillPageList(HWND dialog) {
  HWND pages = Item(dialog, IDC_OPTIONS_PAGES);
  for (int page = 0; page < kOptionsPageCount; ++page) {
    wchar_t title[kPageTitleCapacity] = L" ";
    GetUiText(kPageTitleTextIds[page], title + 1, kPageTitleCapacity - 1);
    ListBoxAddStringWithData(pages, title, page);
  }
  const int height = static_cast<int>(SendWindowMessage(pages, LB_GETITEMHEIGHT, 0, 0));
  SendWindowMessage(pages, LB_SETITEMHEIGHT, 0, MAKELPARAM(height * 12 / 10, 0));
  const int page = g_app->optionsPage < kOptionsPageCount ? g_app->optionsPage : kGeneralPage;
  ListBoxSetCurSel(pages, page);
  ShowOptionsPage(dialog, page);
}

void SetupColumnsPage(HWND dialog) {
  SetupColumnPage(dialog);
  const ItemListControl* files = AppFileList();
  SetupColumnLists(dialog, g_fileListColumns, files ? files->creation.columns : g_fileListColumns);
  HWND available = Item(dialog, IDC_CHECK_AVAILABLE);
  auto* menu = static_cast<FieldMenu*>(AllocZeroed(sizeof(FieldMenu)));
  if (menu && BuildFieldMenu(dialog, available, menu)) {
    SetListEditorMenu(available, menu);
  } else if (menu) {
    FreeFieldMenu(menu);
    FreeAndNull(&menu);
  }
  for (HWND list : {available, Item(dialog, IDC_CHECK_CHOSEN)}) AutoSizeListColumns(list, 2);
}

void ApplyDarkLook(HWND dialog) {
  for (int id : {IDC_OPTIONS_OK, IDCANCEL, IDC_COLOUR_TEXT, IDC_COLOUR_BACKGROUND}) ApplyDarkModeToDlgItem(dialog, id);
  for (int i = 0; i < kOptionBoxCount; ++i) SubclassDlgItemForPaint(dialog, kOptionBoxes[i].id);
  SubclassDlgItemForPaint(dialog, IDC_COLOUR_OWN);
  for (int id : {IDC_OPT_MENU_ICON_SIZE, IDC_ICON_SIZE}) ApplyDarkModeToComboById(dialog, id, kComboPaintPlain, false);
}

void InitOptionsDialog(HWND dialog, OptionsDialogState* state) {
  SetDialogUserData(dialog, reinterpret_cast<LONG_PTR>(state));
  HideDlgItemLists(dialog, kOptionsPages);
  ApplyWindowTheme(dialog);
  CenterWindowOnParent(dialog);
  ApplyDialogTexts(dialog, kOptionsTextIds);
  SetFocusSafe(Item(dialog, IDC_OPTIONS_PAGES));
  SubclassOptionsHeader(dialog, IDC_OPTIONS_HEADER, IDC_OPTIONS_PAGES);
  wchar_t label[kUiTextCapacity];
  GetDialogItemText(dialog, IDC_ICON_SIZE_LABEL, label, kUiTextCapacity);
  SetDialogItemText(dialog, IDC_OPT_MENU_ICON_LABEL, label);
  TickOptionBoxes(dialog, g_app->options);
  FillIconSizeCombo(Item(dialog, IDC_OPT_MENU_ICON_SIZE), nullptr, g_app->menuIconSize);
  FillIconSizeCombo(Item(dialog, IDC_ICON_SIZE), nullptr, g_app->listIconSize);
  InitColourPreviewList(dialog);
  SetupPluginListPage(dialog);
  SetupColumnsPage(dialog);
  SetupShortcutListPage(dialog);
  FillPageList(dialog);
  ApplyDarkLook(dialog);
}

void OnPageSelected(HWND dialog) {
  HWND pages = Item(dialog, IDC_OPTIONS_PAGES);
  ShowOptionsPage(dialog, static_cast<int>(ListBoxGetItemData(pages, ListBoxGetCurSel(pages))));
  InvalidateWindowRect(Item(dialog, IDC_OPTIONS_HEADER), nullptr, true);
}

void OptionsPageCommand(HWND dialog, int command) {
  switch (g_app->optionsPage) {
    case kColumnsPage:
      StateOf(dialog)->columnsEdited = true;
      ListEditorCommand(dialog, command, IDC_COLUMN_TOOLBAR, IDC_CHECK_AVAILABLE, IDC_CHECK_CHOSEN);
      break;
    case kShortcutsPage:
      ShortcutPageCommand(dialog, command);
      break;
    case kPluginsPage:
      PluginsPageToolbarCommand(dialog, command);
      break;
    default:
      break;
  }
}

int SelectedIconSize(HWND dialog, int id, int current) {
  const LRESULT size = ComboGetSelectedDataById(dialog, id);
  return size > 0 ? static_cast<int>(size) : current;
}

// The chosen columns replace the file list's when they differ; the new field columns get their values.
void ApplyChosenColumns(HWND dialog) {
  ItemListControl* files = AppFileList();
  ColumnLayout* layout = files ? ReadChosenColumns(dialog) : nullptr;
  if (!layout) return;
  if (CompareColumnLayouts(layout, files->creation.columns) == 0) {
    FreeAndNull(&layout);
    return;
  }
  TakeColumnLayout(files, layout);
  LoadFileListFieldValues(g_app->currentFolder);
}

// The keys of the shortcut page become the shortcut table and section "Keys"; true when the table changed.
bool SaveKeysOfPage(HWND dialog) {
  constexpr size_t kTableBytes = sizeof g_keyHookState.shortcuts;
  auto* before = static_cast<uint16_t*>(AllocZeroed(kTableBytes));
  if (before) memcpy(before, g_keyHookState.shortcuts, kTableBytes);
  SaveShortcutKeys(dialog);
  const bool changed = !before || memcmp(before, g_keyHookState.shortcuts, kTableBytes) != 0;
  FreeAndNull(&before);
  return changed;
}

// The dialog's answers as values.
OptionValues ChosenValues(HWND dialog) {
  return {ReadOptionBoxes(dialog, g_app->options),
          static_cast<uint16_t>(SelectedIconSize(dialog, IDC_ICON_SIZE, g_app->listIconSize)),
          static_cast<uint16_t>(SelectedIconSize(dialog, IDC_OPT_MENU_ICON_SIZE, g_app->menuIconSize))};
}

// A listing or a rename run reads the field references of the columns and the rows whose icons a new icon
// option would look up again: such changes wait until it has ended.
bool WaitsForJob(HWND dialog, const OptionValues& chosen) {
  if (!IsJobBusy()) return false;
  return StateOf(dialog)->columnsEdited || (OptionEffects(CurrentValues(), chosen) & kRecreateTree) != 0;
}

void ApplyOptionsDialog(HWND dialog) {
  const OptionValues chosen = ChosenValues(dialog);
  if (WaitsForJob(dialog, chosen)) {
    ShowMessageWithPath(dialog, kTextColumnsWaitForJob, nullptr, nullptr, nullptr, MB_OK | MB_ICONINFORMATION);
    return;
  }
  ReplaceOptionWord(chosen.options);
  g_app->menuIconSize = chosen.menuIconSize;
  g_app->listIconSize = chosen.listIconSize;
  g_app->compareMode = (g_app->options & kOptionCompareModeOne) ? 1 : 2;
  if (!IsJobBusy()) ApplyChosenColumns(dialog);
  SaveListColours(dialog);
  StateOf(dialog)->keysChanged = SaveKeysOfPage(dialog);
  SavePluginList(dialog);
  EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, int id, int code) {
  if (id == IDCANCEL) {
    EndDialog(dialog, 0);
  } else if (id == IDC_OPTIONS_OK) {
    if (!SendWindowMessage(Item(dialog, IDC_CHECK_CHOSEN), LVM_GETEDITCONTROL, 0, 0)) ApplyOptionsDialog(dialog);
  } else if (id == IDC_OPTIONS_PAGES && code == LBN_SELCHANGE) {
    OnPageSelected(dialog);
  } else if (id == IDC_COLOUR_TEXT) {
    ChooseListTextColor(dialog);
  } else if (id == IDC_COLOUR_BACKGROUND) {
    ChooseListBackColor(dialog);
  } else if (id >= kFirstPageCommand && id <= kLastPageCommand) {
    OptionsPageCommand(dialog, id);
  }
}

bool HasSecondText(HWND list, int row) {
  wchar_t second[kEditorSecondCapacity];
  ListViewGetItemText(list, row, 1, second, kEditorSecondCapacity);
  return second[0] != 0;
}

// Only columns of fields take another caption.
LRESULT OnBeginLabelEdit(const NMLVDISPINFOW* edit) {
  if (HasSecondText(edit->hdr.hwndFrom, edit->item.iItem)) return FALSE;
  ResetListViewLabelEditing(edit->hdr.hwndFrom);
  return TRUE;
}

LRESULT OnEndLabelEdit(HWND dialog, const NMLVDISPINFOW* edit) {
  HWND list = edit->hdr.hwndFrom;
  if (!edit->item.pszText || !HasSecondText(list, edit->item.iItem)) return FALSE;
  ListViewSetItemText(list, edit->item.iItem, 0, edit->item.pszText);
  ListViewAutoSizeColumn(list, 0);
  StateOf(dialog)->columnsEdited = true;
  return TRUE;
}

void OnFocusedItem(HWND dialog, const NMLISTVIEW* change) {
  switch (change->hdr.idFrom) {
    case IDC_PLUGIN_LIST:
      UpdateListToolbarButtons(dialog, IDC_PLUGIN_LIST, IDC_PLUGIN_TOOLBAR, change->iItem);
      break;
    case IDC_CHECK_AVAILABLE:
      UpdateListEditorAddButton(dialog, IDC_COLUMN_TOOLBAR, change->hdr.hwndFrom, change->iItem);
      break;
    case IDC_CHECK_CHOSEN:
      UpdateListEditorButtons(dialog, IDC_COLUMN_TOOLBAR, change->hdr.hwndFrom, change->iItem);
      break;
  }
}

void OnDoubleClick(HWND dialog, UINT_PTR listId) {
  int command = 0;
  if (listId == IDC_PLUGIN_LIST) command = IDC_ENTRY_EDIT;
  if (listId == IDC_CHECK_AVAILABLE) command = IDC_ENTRY_ADD;
  if (listId == IDC_CHECK_CHOSEN) command = IDC_ENTRY_REMOVE;
  if (command != 0) PostWindowMessage(dialog, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

// A click on a row that opens a menu of fields offers the menu; plain rows stay where they are.
void OnAvailableClick(HWND dialog, HWND available) {
  if (!IsListMenuRow(available, ListViewFocusedItem(available))) return;
  OptionsPageCommand(dialog, IDC_ENTRY_ADD);
}

LRESULT OnNotify(HWND dialog, NMHDR* header) {
  if (header->idFrom == IDC_SHORTCUT_LIST) return ShortcutPageNotify(dialog, header);
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  switch (header->code) {
    case TTN_GETDISPINFOW:
      return AnswerToolbarTooltip(header);
    case LVN_BEGINLABELEDITW:
      return header->idFrom == IDC_CHECK_CHOSEN ? OnBeginLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(header)) : FALSE;
    case LVN_ENDLABELEDITW:
      return header->idFrom == IDC_CHECK_CHOSEN ? OnEndLabelEdit(dialog, reinterpret_cast<NMLVDISPINFOW*>(header))
                                                : FALSE;
    case LVN_ITEMCHANGED:
      if (change->uNewState & LVIS_FOCUSED) OnFocusedItem(dialog, change);
      return 0;
    case NM_DBLCLK:
      OnDoubleClick(dialog, header->idFrom);
      return 0;
    case NM_CLICK:
      if (header->idFrom == IDC_CHECK_AVAILABLE) OnAvailableClick(dialog, header->hwndFrom);
      return 0;
    default:
      return 0;
  }
}

INT_PTR Reply(HWND dialog, LRESULT result) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

// Sizes show in units or as plain numbers: the list's size cells and the status bar's counts are written anew.
void RefreshSizeTexts() {
  if (const ItemListControl* files = AppFileList()) InvalidateWindowRect(files->window, nullptr, false);
  UpdateStatusText(&g_app->listingStatistics, kTextStatusListed);
  ShowSelectionCounts();
}

void StoreIconSizes(uint32_t effects) {
  if (effects & kStoreListIcons) StoreIconSizeSetting(IconSizeSetting::kList, g_app->listIconSize);
  if (effects & kStoreMenuIcons) {
    StoreIconSizeSetting(IconSizeSetting::kMenu, g_app->menuIconSize);
    LoadMenuIcons();
  }
}

void ApplyOptionEffects(HWND window, uint32_t effects) {
  if (effects & kRebuildMenu) {
    RebuildMainMenu(window);
    UpdateMenuStates(window, true);
  }
  ApplyAlwaysOnTop(window);
  if (effects & kRecreateTree) {
    RecreateFolderTree(window);
  } else {
    ApplyMainListStyles();
    PostSizeToSelf(window);
  }
  if (effects & kRefreshSizeTexts) RefreshSizeTexts();
  RebuildRecentMenu(&g_recentFiles, window);
  StartRegistrationsUpdate();
  StoreIconSizes(effects);
  if (effects & kStoreOptions) StoreOptionWord();
  if (effects & kSaveStore) SaveSettings(&g_settingsStore, window);
}

}  // namespace

void RunOptionsDialog(HWND window) {
  const OptionValues before = CurrentValues();
  OptionsDialogState state = {};
  if (ShowModalDialog(g_app->instance, IDD_OPTIONS, window, OptionsDialogProc, reinterpret_cast<LPARAM>(&state)) != 1) {
    return;
  }
  // New keys show in the menus and are kept like the other settings.
  const uint32_t keys = state.keysChanged ? kRebuildMenu | kSaveStore : 0;
  ApplyOptionEffects(window, OptionEffects(before, CurrentValues()) | keys);
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    InitOptionsDialog(dialog, reinterpret_cast<OptionsDialogState*>(lParam));
    return FALSE;
  }
  INT_PTR answer = 0;
  if (!StateOf(dialog)) return FALSE;
  if (AnswerDarkDialogMessage(message, wParam, lParam, &answer)) return answer;
  switch (message) {
    case WM_NOTIFY:
      return Reply(dialog, OnNotify(dialog, reinterpret_cast<NMHDR*>(lParam)));
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != Item(dialog, IDC_PLUGIN_LIST)) return FALSE;
      ShowListSelectionMenu(dialog, reinterpret_cast<HWND>(wParam));
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DESTROY:
      FreeListEditorMenu(Item(dialog, IDC_CHECK_AVAILABLE));
      return FALSE;
    default:
      return FALSE;
  }
}
