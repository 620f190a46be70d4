#include "support/dialog_action.h"

#include <string>

namespace {

constexpr UINT kPollMs = 20;

std::function<void(HWND)> g_action;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t name[16];
  GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK ActOnDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindShownDialog(GetCurrentThreadId());
  if (dialog == nullptr) return;
  KillTimer(nullptr, timer);
  g_action(dialog);
}

}  // namespace

HWND FindShownDialog(DWORD threadId) {
  HWND dialog = nullptr;
  EnumThreadWindows(threadId, FindDialog, reinterpret_cast<LPARAM>(&dialog));
  return dialog;
}

DialogAction::DialogAction(std::function<void(HWND)> action) {
  g_action = std::move(action);
  timer_ = SetTimer(nullptr, 0, kPollMs, ActOnDialog);
}

DialogAction::~DialogAction() { KillTimer(nullptr, timer_); }

void PressDialogButton(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void ClickDialogBox(HWND dialog, int id, UINT state) {
  CheckDlgButton(dialog, id, state);
  PressDialogButton(dialog, id);
}

void SelectDialogComboItem(HWND dialog, int id, int item) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, item, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool IsDialogItemShown(HWND dialog, int id) {
  return (GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::wstring DialogItemText(HWND dialog, int id) {
  wchar_t text[256] = L"";
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}
