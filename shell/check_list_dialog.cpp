#include "shell/check_list_dialog.h"

#include <commctrl.h>

#include <initializer_list>

#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/dialog_list_views.h"
#include "foundation/ui/help_topics.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/icons.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/toolbar_descriptor.h"
#include "shell/profile_notices.h"
#include "shell/settings_values.h"

const CheckListDescription kToolbarCheckList = {
    IDD_CHECK_LIST,  IDC_CHECK_LIST_OK, IDCANCEL,          IDC_CHECK_AVAILABLE_LABEL, IDC_CHECK_CHOSEN_LABEL,
    IDC_CHECK_AVAILABLE, IDC_CHECK_CHOSEN, IDC_ENTRY_REMOVE, IDC_ENTRY_ADD,          IDC_ENTRY_UP,
    IDC_ENTRY_DOWN,  IDC_ICON_SIZE_LABEL, IDC_ICON_SIZE,
};

namespace {

constexpr int kNoImage = -1;

struct CheckListRun {
  ToolbarDescriptor* descriptor;
  const CheckListDescription* description;
};

CheckListRun* RunOf(HWND dialog) { return reinterpret_cast<CheckListRun*>(GetWindowUserData16(dialog)); }

HWND Available(HWND dialog) { return GetDialogItem(dialog, RunOf(dialog)->description->availableListId); }
HWND Chosen(HWND dialog) { return GetDialogItem(dialog, RunOf(dialog)->description->chosenListId); }

bool InChoice(const uint16_t* choice, int command) {
  for (int i = 0; choice && choice[i] != 0; ++i) {
    if (choice[i] == command) return true;
  }
  return false;
}

// The table's icons by command at the dialog's icon size; `images` receives each row's image index.
void BuildButtonImages(ToolbarDescriptor* descriptor, HINSTANCE instance, ImageTableRow* images) {
  int count = 0;
  for (const ToolbarButtonRow* row = descriptor->buttons; row->commandId != 0; ++row, ++count) {
    images[count] = {static_cast<uint16_t>(row->commandId), row->imageNumber, row->style};
  }
  images[count] = {};
  IconImageList holder = {nullptr, descriptor->iconSize};
  BuildImageListFromTable(&holder, instance, 0, images);
  descriptor->dialogImages = holder.list;
}

int ImageOfCommand(const ImageTableRow* images, int command) {
  for (const ImageTableRow* row = images; row->resourceId != 0; ++row) {
    if (row->resourceId == command) return row->imageIndex;
  }
  return kNoImage;
}

void AddEntry(HWND list, int command, const ImageTableRow* images) {
  wchar_t text[kTooltipCapacity];
  GetUiTooltipText(command, text, kTooltipCapacity);
  ListViewInsertItem(list, text, -1, ImageOfCommand(images, command), reinterpret_cast<const void*>(command), 0);
}

void FillLists(HWND dialog, const ImageTableRow* images) {
  const ToolbarDescriptor* descriptor = RunOf(dialog)->descriptor;
  for (const ToolbarButtonRow* row = descriptor->buttons; row->commandId != 0; ++row) {
    const bool separator = row->commandId == descriptor->separatorId;
    if (separator || !InChoice(descriptor->choice, row->commandId)) AddEntry(Available(dialog), row->commandId, images);
  }
  for (int i = 0; descriptor->choice && descriptor->choice[i] != 0; ++i) {
    if (FindToolbarButton(descriptor, descriptor->choice[i])) AddEntry(Chosen(dialog), descriptor->choice[i], images);
  }
  for (HWND list : {Available(dialog), Chosen(dialog)}) {
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(descriptor->dialogImages));
    ListViewAutoSizeColumn(list, 0);
  }
}

void ApplyLook(HWND dialog, const CheckListDescription* d) {
  ApplyWindowTheme(dialog);
  for (int id : {d->okId, d->cancelId, d->removeId, d->addId, d->upId, d->downId}) ApplyDarkModeToDlgItem(dialog, id);
  if (d->sizeListId != 0) ApplyDarkModeToComboById(dialog, d->sizeListId, kComboPaintPlain, false);
  CenterWindowOnParent(dialog);
  for (int id : {d->availableListId, d->chosenListId}) SetupDialogListViewById(dialog, id, nullptr, nullptr, 0);
}

void ApplyTexts(HWND dialog, const CheckListDescription* d) {
  const int textIds[] = {d->templateId,       d->okId,          d->cancelId,     d->upId, d->downId,
                         d->availableLabelId, d->chosenLabelId, d->sizeLabelId, 0};
  ApplyDialogTexts(dialog, textIds);
}

void OnInit(HWND dialog, CheckListRun* run) {
  SetDialogUserData(dialog, reinterpret_cast<LONG_PTR>(run));
  const CheckListDescription* d = run->description;
  ApplyLook(dialog, d);
  if (d->sizeListId != 0) {
    FillIconSizeCombo(GetDialogItem(dialog, d->sizeListId), nullptr, run->descriptor->iconSize);
  }
  ApplyTexts(dialog, d);
  int rows = 0;
  while (run->descriptor->buttons[rows].commandId != 0) ++rows;
  auto* images = static_cast<ImageTableRow*>(AllocZeroed(static_cast<uint32_t>(rows + 1) * sizeof(ImageTableRow)));
  if (images) {
    BuildButtonImages(run->descriptor, InstanceOfWindow(dialog), images);
    FillLists(dialog, images);
  }
  FreeAndNull(&images);
  SetFocusSafe(GetDialogItem(dialog, d->cancelId));
}

// The focused entry goes after the focused entry of the other list and is selected there. The separator
// stays available when it is chosen, and is only dropped when it leaves the chosen list.
void MoveFocusedEntry(HWND dialog, HWND from, HWND to, bool toChosen) {
  const int item = ListViewFocusedItem(from);
  if (item < 0) return;
  const LPARAM command = ListViewItemParam(from, item);
  const bool separator = command == RunOf(dialog)->descriptor->separatorId;
  if (!separator || toChosen) {
    wchar_t text[kTooltipCapacity];
    ListViewGetItemText(from, item, 0, text, kTooltipCapacity);
    ListViewInsertItemAndSelect(to, text, -1, ListViewItemImage(from, item), reinterpret_cast<const void*>(command), 0);
    ListViewAutoSizeColumn(to, 0);
  }
  if (!separator || !toChosen) ListViewDeleteItem(from, item);
}

uint16_t* ReadChosenCommands(HWND list) {
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  auto* choice = static_cast<uint16_t*>(AllocZeroed(static_cast<uint32_t>(count + 1) * sizeof(uint16_t)));
  for (int i = 0; choice && i < count; ++i) choice[i] = static_cast<uint16_t>(ListViewItemParam(list, i));
  return choice;
}

void OnOk(HWND dialog) {
  CheckListRun* run = RunOf(dialog);
  int result = 1;
  if (run->description->sizeListId != 0) {
    const LRESULT size = ComboGetSelectedDataById(dialog, run->description->sizeListId);
    result = size > 0 ? static_cast<int>(size) : run->descriptor->iconSize;
  }
  uint16_t* choice = ReadChosenCommands(Chosen(dialog));
  if (choice) {
    ToolbarDescriptor* descriptor = run->descriptor;
    RebuildToolbar(descriptor, descriptor->instance, descriptor->parent, result > 1 ? result : 0, choice);
  }
  EndDialog(dialog, result);
}

void OnCommand(HWND dialog, int id) {
  const CheckListDescription* d = RunOf(dialog)->description;
  if (id == d->okId || id == IDOK) {
    OnOk(dialog);
  } else if (id == d->cancelId) {
    EndDialog(dialog, 0);
  } else if (id == d->addId) {
    MoveFocusedEntry(dialog, Available(dialog), Chosen(dialog), true);
  } else if (id == d->removeId) {
    MoveFocusedEntry(dialog, Chosen(dialog), Available(dialog), false);
  } else if (id == d->upId) {
    ListViewMoveFocusedUp(Chosen(dialog));
  } else if (id == d->downId) {
    ListViewMoveFocusedDown(Chosen(dialog));
  }
}

// A double click moves the entry as the arrow buttons do.
void OnNotify(HWND dialog, const NMHDR* header) {
  if (header->code != NM_DBLCLK) return;
  const CheckListDescription* d = RunOf(dialog)->description;
  if (header->idFrom == d->availableListId) OnCommand(dialog, d->addId);
  if (header->idFrom == d->chosenListId) OnCommand(dialog, d->removeId);
}

INT_PTR CALLBACK CheckListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    OnInit(dialog, reinterpret_cast<CheckListRun*>(lParam));
    return FALSE;
  }
  INT_PTR answer = 0;
  if (!RunOf(dialog)) return FALSE;
  if (AnswerDarkDialogMessage(message, wParam, lParam, &answer)) return answer;
  switch (message) {
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    case WM_HELP:
      return ShowCheckListHelp(dialog);
    case WM_DESTROY:
      DestroyHeldImageList(&RunOf(dialog)->descriptor->dialogImages);
      return FALSE;
    default:
      return FALSE;
  }
}

void ShowToolbarByOptions(HWND toolbar) {
  SendWindowMessage(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  g_mainToolbar.shown = (g_app->options & kOptionToolbarHidden) ? 0 : 1;
  ShowWindowCmd(toolbar, g_mainToolbar.shown ? SW_SHOW : SW_HIDE);
}

}  // namespace

int RunCheckListDialog(ToolbarDescriptor* descriptor, HINSTANCE instance, HWND parent,
                       const CheckListDescription* description) {
  CheckListRun run = {descriptor, description};
  const INT_PTR result = ShowModalDialog(instance, description->templateId, parent, CheckListDialogProc,
                                         reinterpret_cast<LPARAM>(&run));
  if (result > 0) SaveToolbarChoice(descriptor);
  return result > 0 ? static_cast<int>(result) : 0;
}

void ChooseToolbarIconSize(HWND window) {
  const int size = RunCheckListDialog(&g_mainToolbar, g_app->instance, window, &kToolbarCheckList);
  if (size == 0) return;
  if (size != g_app->toolbarIconSize) {
    g_app->toolbarIconSize = static_cast<uint16_t>(size);
    StoreIconSizeSetting(IconSizeSetting::kToolbar, g_app->toolbarIconSize);
    SaveSettings(&g_settingsStore, window);
  }
  ShowToolbarByOptions(g_mainToolbar.toolbar);
  ApplyViewOptions(window);
  UpdateMenuStates(window, true);
  PostSizeToSelf(window);
}

void CreateMainToolbar(HWND window) {
  RebuildToolbarWithoutIcons(&g_mainToolbar, g_app->instance, window, g_app->toolbarIconSize, nullptr);
  ShowToolbarByOptions(g_mainToolbar.toolbar);
  ApplyViewOptions(window);
  UpdateMenuStates(window, true);
}
