// Acting on modal dialog boxes from inside their modal loop: a test shows a dialog on its own thread and the
// action it gave beforehand runs once the dialog is up.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The shown dialog box (class "#32770") among the top-level windows of the thread; null when there is none.
HWND FindShownDialog(DWORD threadId);

// While the object lives, `action` runs once with the first dialog box the calling thread shows.
class DialogAction {
 public:
  explicit DialogAction(std::function<void(HWND)> action);
  ~DialogAction();
  DialogAction(const DialogAction&) = delete;
  DialogAction& operator=(const DialogAction&) = delete;

 private:
  UINT_PTR timer_;
};

// A dialog's controls driven by their messages, without focus or input.
// WM_COMMAND with BN_CLICKED, as a click on the button sends it.
void PressDialogButton(HWND dialog, int id);
// Puts the box into the check state, then tells the dialog it was clicked.
void ClickDialogBox(HWND dialog, int id, UINT state);
// Selects the combo box's entry and tells the dialog of the change.
void SelectDialogComboItem(HWND dialog, int id, int item);
bool IsDialogItemShown(HWND dialog, int id);
std::wstring DialogItemText(HWND dialog, int id);
