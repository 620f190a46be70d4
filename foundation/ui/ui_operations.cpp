#include "foundation/ui/ui_operations.h"

#include "foundation/core/app_state.h"
#include "foundation/text/text_sizes.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/icons.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/files/system_errors.h"
#include "foundation/win32/window_placement.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kNoErrorText = 2;
constexpr int kSmallestIconSize = 16;
constexpr int kWideScreenIconSize = 32;
constexpr int kWideWorkArea = 2000;

struct AttributeLetter {
  DWORD bit;
  wchar_t letter;
};

const AttributeLetter kAttributeLetters[] = {
    {FILE_ATTRIBUTE_READONLY, L'R'}, {FILE_ATTRIBUTE_ARCHIVE, L'A'},   {FILE_ATTRIBUTE_HIDDEN, L'H'},
    {FILE_ATTRIBUTE_SYSTEM, L'S'},   {FILE_ATTRIBUTE_ENCRYPTED, L'E'}, {FILE_ATTRIBUTE_COMPRESSED, L'C'},
};

struct DisplayModeCommand {
  int commandId;
  int32_t mode;
};

const DisplayModeCommand kDisplayModeCommands[] = {{IDM_DISPLAY_SYSTEM, 1}, {IDM_DISPLAY_DARK, 2}};

void RaiseIconSize(uint16_t* size, uint16_t defaultSize) {
  if (*size < kSmallestIconSize) *size = defaultSize;
}

void LayOutAndRepaint(HWND mainWindow) {
  RECT client = {};
  if (!GetClientRect(mainWindow, &client)) return;
  SendWindowMessage(mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

int ShowLastErrorMessage(HWND owner, DWORD code, const wchar_t* path) {
  if (code == 0) code = MapLastError(0);
  if (code == 0) return 0;
  wchar_t text[kErrorTextCapacity];
  if (FormatSystemErrorText(code, text, kErrorTextCapacity, false) == 0) return kNoErrorText;
  return ShowMessageWithPath(owner, 0, text, path, nullptr, MB_OK | MB_ICONERROR);
}

int FormatAttributeLetters(DWORD attributes, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  int count = 0;
  for (const AttributeLetter& letter : kAttributeLetters)
    if ((attributes & letter.bit) && count < capacity - 1) buffer[count++] = letter.letter;
  buffer[count] = 0;
  return count;
}

void SetDefaultIconSizes() {
  if (!g_app) return;
  const uint16_t defaultSize = GetWorkAreaSize(true).cx < kWideWorkArea ? kSmallestIconSize : kWideScreenIconSize;
  RaiseIconSize(&g_app->listIconSize, defaultSize);
  RaiseIconSize(&g_app->toolbarIconSize, defaultSize);
  RaiseIconSize(&g_app->menuIconSize, defaultSize);
}

int AddIconToImageList(HINSTANCE instance, int iconId, int size, HIMAGELIST list) {
  return ImageListAppendLoadedIcon(list, instance, MAKEINTRESOURCEW(iconId), size, 0);
}

void TogglePaneVisibility(HWND mainWindow, HWND pane, OptionWord* options, uint32_t bit) {
  if (!options) return;
  const bool hide = HasVisibleStyle(pane);
  if (hide) {
    HideWindowIfAlive(pane);
  } else {
    ShowWindowIfAlive(pane);
  }
  options->Change(bit, hide ? bit : 0);
  LayOutAndRepaint(mainWindow);
}

void ToggleBarVisibility(HWND mainWindow, HWND bar, int32_t* shownFlag, OptionWord* options, uint32_t bit) {
  if (!options) return;
  const bool show = (options->Change(0, bit) & bit) == 0;
  ShowWindowCmd(bar, show ? SW_SHOW : SW_HIDE);
  if (shownFlag) *shownFlag = show ? 1 : 0;
  LayOutAndRepaint(mainWindow);
}

bool IsDisplayModeCommandActive(int commandId) {
  int32_t mode = 0;
  for (const DisplayModeCommand& command : kDisplayModeCommands)
    if (command.commandId == commandId) mode = command.mode;
  return g_app && g_app->displayMode == mode;
}

void ScheduleSelectionUpdate(HWND mainWindow) {
  if (!g_app) return;
  if (g_app->selectionChangeCount++ == 0) SetTimer(mainWindow, kSelectionTimerId, kSelectionTimerMs, nullptr);
}

void DestroyWindowMenu(HWND window) {
  if (!IsWindowSafe(window)) return;
  HMENU menu = GetMenu(window);
  if (!menu) return;
  SetMenu(window, nullptr);
  DestroyMenu(menu);
}

INT_PTR CALLBACK IconOnlyDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  SetClassIcon(dialog, reinterpret_cast<HICON>(lParam));
  EndDialog(dialog, kIconOnlyDialogResult);
  // No default focus: focusing a control of the hidden dialog would take the activation from its owner.
  return FALSE;
}

void EndDialogWithSelectedItem(HWND dialog) {
  HWND list = GetDialogItem(dialog, IDC_LANGUAGE_LIST);
  const int selected = ListBoxGetCurSel(list);
  EndDialog(dialog, selected < 0 ? 0 : ListBoxGetItemData(list, selected));
}
