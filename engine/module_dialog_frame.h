// The frame every rename module's settings dialog shares. A module describes its dialog as one ModuleDialog
// constant (template, help topic, texts, edits with their limits and spin controls, and the functions that
// show settings in its controls and read them back); the frame runs it:
// - on opening: the dialog's texts, the owner-relative place, the name-part list, the edit limits and spin
//   ranges, the settings shown, the comment with its placeholder, and with a sample name the sample and its
//   first preview;
// - on every change of a module control (an edit's text, a list's selection, a radio button or check box):
//   a temporary record of the module's size gets the edited record's head and the controls' values, the
//   preview shows the sample as that record renames it, and the record is freed through the module's free
//   operation (it may hold a compiled pattern or a loaded list);
// - OK reads the controls into the edited record and ends with 1; Cancel ends with 0 and leaves the record
//   untouched; F1 opens the dialog's help topic; arrow buttons (owner-drawn push buttons) are painted here with
//   their triangle, and in dark mode the buttons, check boxes, radio buttons and lists and the colours too.
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/module_contract.h"

// An edit of a module dialog: its character limit and, when `spin` is not 0, the spin control on it with its
// range. A step spin that skips 0 lands on -1 or 1 when a click would reach 0.
struct ModuleDialogEdit {
  int edit = 0;
  int limit = 0;
  int spin = 0;
  int32_t lowest = 0;
  int32_t highest = 0;
  bool skipsZero = false;
};

struct ModuleDialog {
  int templateId = 0;
  // 0: the dialog has no help topic.
  int helpTopic = 0;
  // The caption's text id, then the controls that show the UI text of their own id; zero-terminated.
  const int* textIds = nullptr;
  // Ended by an entry whose edit is 0.
  const ModuleDialogEdit* edits = nullptr;
  // Bytes of the module's settings record.
  uint32_t settingsSize = 0;
  // Optional: fills lists and sets texts the text list cannot give.
  void (*fill)(HWND dialog) = nullptr;
  // The settings into the controls (the comment included).
  void (*show)(HWND dialog, const ModuleInstance* settings) = nullptr;
  // The controls into a settings record whose head is set; fields the controls do not hold stay as they are.
  void (*read)(HWND dialog, ModuleInstance* settings) = nullptr;
  // Optional: a push button of the module (a browse or a menu button) was pressed.
  void (*command)(HWND dialog, int id) = nullptr;
};

// Runs the module's dialog on the settings in `param`, owned by param->owner, from the template in
// param->instance (the program's own module without one). 1 when the user confirmed (the record in `param`
// then holds the edited settings), 0 when the user cancelled or the dialog could not be shown.
int ShowModuleDialog(ModuleDialogParam* param, const ModuleDialog& dialog);

// The show-dialog operation of a module whose dialog is `kDialog`.
template <const ModuleDialog& kDialog>
int ShowModuleDialogOf(ModuleDialogParam* param, ModuleInstance*, const void*, const wchar_t*) {
  return ShowModuleDialog(param, kDialog);
}

// Shows in the preview control the file-name part of `sampleName` as the prepared `settings` rename it with
// `context`; nothing without settings or without a sample name.
void UpdateModulePreview(HWND dialog, ModuleInstance* settings, const void* context, const wchar_t* sampleName);
