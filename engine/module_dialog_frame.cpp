#include "engine/module_dialog_frame.h"

#include <commctrl.h>

#include "engine/chain_files.h"
#include "engine/module_dialog_helpers.h"
#include "engine/module_dialog_ids.h"
#include "engine/module_table.h"
#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"
#include "foundation/win32/system_functions.h"
#include "foundation/files/paths.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/help_topics.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_position.h"
#include "foundation/win32/window_wrappers.h"

namespace {

// The texts of the controls every module dialog has; 0 first leaves the caption to the module's list.
constexpr int kFrameTextIds[] = {0, IDC_MODULE_OK, IDC_MODULE_CANCEL, IDC_MODULE_SAMPLE_LABEL, IDC_MODULE_PREVIEW_LABEL,
                                 0};

// One run of a module dialog: what it edits and how far it has come.
struct DialogRun {
  ModuleDialogParam* param;
  const ModuleDialog* dialog;
  // Set once the controls show the settings: changes before that are the dialog filling itself.
  bool ready;
  // Set while a preview reads the controls: a correction it writes back is no new change.
  bool previewing;
};

DialogRun* RunOf(HWND dialog) { return reinterpret_cast<DialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

bool HasSample(const DialogRun& run) { return run.param->sampleName != nullptr && run.param->sampleName[0] != 0; }

// A temporary record with the edited record's head and the controls' values, to be freed as its module frees
// it; null without memory. A correction the reading writes back into a control is no new change.
ModuleInstance* ReadControlsIntoTemporary(HWND dialog, DialogRun* run) {
  ModuleInstance* temporary = static_cast<ModuleInstance*>(AllocZeroed(run->dialog->settingsSize));
  if (temporary == nullptr) return nullptr;
  *temporary = *run->param->settings;
  run->previewing = true;
  run->dialog->read(dialog, temporary);
  run->previewing = false;
  return temporary;
}

void PreviewControls(HWND dialog, DialogRun* run) {
  if (!run->ready || run->previewing || !HasSample(*run)) return;
  ModuleInstance* preview = ReadControlsIntoTemporary(dialog, run);
  if (preview == nullptr) return;
  run->previewing = true;
  UpdateModulePreview(dialog, preview, run->param->sampleContext, run->param->sampleName);
  run->previewing = false;
  FreeModuleInstance(preview);
}

// A step the chain could not save, or that would come back changed, is not taken: the user is told why and
// the dialog stays open.
bool ControlsCanBeKept(HWND dialog, DialogRun* run) {
  ModuleInstance* edited = ReadControlsIntoTemporary(dialog, run);
  if (edited == nullptr) return false;
  const int problem = StepStorageProblem(edited);
  FreeModuleInstance(edited);
  if (problem != 0) ShowMessageWithPath(dialog, problem, nullptr, nullptr, nullptr, MB_OK | MB_ICONWARNING);
  return problem == 0;
}

void SetEditLimitsAndSpins(HWND dialog, const ModuleDialogEdit* edits) {
  for (const ModuleDialogEdit* entry = edits; entry->edit != 0; ++entry) {
    LimitDlgItemText(dialog, entry->edit, entry->limit);
    if (entry->spin == 0) continue;
    SendDialogItemMessage(dialog, entry->spin, UDM_SETBUDDY,
                          reinterpret_cast<WPARAM>(GetDialogItem(dialog, entry->edit)), 0);
    SendDialogItemMessage(dialog, entry->spin, UDM_SETRANGE32, static_cast<WPARAM>(entry->lowest),
                          static_cast<LPARAM>(entry->highest));
  }
}

LONG_PTR ButtonType(HWND control) { return GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK; }

bool IsChoiceButton(HWND control) {
  const LONG_PTR type = ButtonType(control);
  return type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON || type == BS_AUTOCHECKBOX || type == BS_CHECKBOX;
}

bool HasClass(HWND control, const wchar_t* name) {
  wchar_t found[16] = {};
  GetClassNameW(control, found, 16);
  return EqualsIgnoreCaseWide(found, name);
}

// The system draws buttons, check boxes, radio buttons and lists light; in dark mode the program draws them.
void ApplyDarkModeToControls(HWND dialog) {
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(control);
    const LONG_PTR type = ButtonType(control);
    if (HasClass(control, WC_COMBOBOXW)) {
      ApplyDarkModeToCombo(control, kComboPaintPlain, true);
    } else if (!HasClass(control, WC_BUTTONW) || type == BS_GROUPBOX) {
      continue;
    } else if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) {
      SubclassButtonForHover(dialog, id);
    } else if (IsChoiceButton(control)) {
      SubclassDlgItemForPaint(dialog, id);
    } else {
      ApplyDarkModeToControl(control);
    }
  }
}

void OnInitDialog(HWND dialog, DialogRun* run) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(run));
  const ModuleDialog& described = *run->dialog;
  ApplyWindowTheme(dialog);
  CenterWindow(run->param->owner, dialog, kAlignCentre, kAlignCentre);
  ApplyDialogTexts(dialog, described.textIds);
  ApplyDialogTexts(dialog, kFrameTextIds);
  SetFocusSafe(GetDialogItem(dialog, IDC_MODULE_OK));
  FillNamePartCombo(GetDialogItem(dialog, IDC_MODULE_PART));
  if (described.fill != nullptr) described.fill(dialog);
  SetEditLimitsAndSpins(dialog, described.edits);
  described.show(dialog, run->param->settings);
  ApplyDarkModeToControls(dialog);
  run->ready = true;
  if (!HasSample(*run)) return;
  SetDialogItemText(dialog, IDC_MODULE_SAMPLE, run->param->sampleName);
  PreviewControls(dialog, run);
}

// Controls of the frame, whose changes are no change of the settings.
bool IsFrameControl(int id) {
  return id == IDOK || id == IDC_MODULE_OK || id == IDC_MODULE_CANCEL || id == IDC_MODULE_COMMENT ||
         id == IDC_MODULE_SAMPLE || id == IDC_MODULE_PREVIEW;
}

void OnModuleControl(HWND dialog, DialogRun* run, int id, int code, HWND control) {
  if (code == EN_CHANGE || code == CBN_SELCHANGE) {
    PreviewControls(dialog, run);
  } else if (code == BN_CLICKED && IsChoiceButton(control)) {
    PreviewControls(dialog, run);
  } else if (code == BN_CLICKED && run->dialog->command != nullptr) {
    run->dialog->command(dialog, id);
  }
}

void OnCommand(HWND dialog, int id, int code, HWND control) {
  DialogRun* run = RunOf(dialog);
  if (run == nullptr) return;
  if (id == IDOK || id == IDC_MODULE_OK) {
    if (!ControlsCanBeKept(dialog, run)) return;
    run->ready = false;
    run->dialog->read(dialog, run->param->settings);
    EndDialog(dialog, 1);
  } else if (id == IDC_MODULE_CANCEL) {
    EndDialog(dialog, 0);
  } else if (!IsFrameControl(id)) {
    OnModuleControl(dialog, run, id, code, control);
  }
}

const ModuleDialogEdit* SpinEntry(const ModuleDialog& described, UINT_PTR spin) {
  for (const ModuleDialogEdit* entry = described.edits; entry->edit != 0; ++entry) {
    if (entry->spin != 0 && static_cast<UINT_PTR>(entry->spin) == spin) return entry;
  }
  return nullptr;
}

// A step spin that skips 0 lets a click that would reach 0 go one further.
void OnSpinDelta(HWND dialog, NMUPDOWN* change) {
  const DialogRun* run = RunOf(dialog);
  const ModuleDialogEdit* entry = run != nullptr ? SpinEntry(*run->dialog, change->hdr.idFrom) : nullptr;
  if (entry == nullptr || !entry->skipsZero || change->iPos + change->iDelta != 0) return;
  change->iDelta += change->iDelta > 0 ? 1 : -1;
}

// Push buttons with a caption (OK, Cancel, and in dark mode a module's browse button) are painted as text
// buttons, the caption-less menu buttons with their triangle.
void OnDrawItem(const DRAWITEMSTRUCT* item) {
  if (GetWindowTextLengthSafe(item->hwndItem) > 0) {
    RedrawOwnerDrawnButton(item);
  } else {
    DrawArrowButton(item);
  }
}

void OnHelp(HWND dialog) {
  const DialogRun* run = RunOf(dialog);
  if (run == nullptr || run->dialog->helpTopic == 0) return;
  ShowHelpTopic(dialog, g_app != nullptr ? g_app->languageCode : "", run->dialog->helpTopic);
}

INT_PTR CALLBACK ModuleDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<DialogRun*>(lParam));
      return FALSE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lParam)->code == UDN_DELTAPOS)
        OnSpinDelta(dialog, reinterpret_cast<NMUPDOWN*>(lParam));
      return FALSE;
    case WM_DRAWITEM:
      if (reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType != ODT_BUTTON) return FALSE;
      OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<INT_PTR>(HandleCtlColorDark(reinterpret_cast<HDC>(wParam)));
    case WM_HELP:
      OnHelp(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int ShowModuleDialog(ModuleDialogParam* param, const ModuleDialog& dialog) {
  if (param == nullptr || param->settings == nullptr) return 0;
  InitCommonControlClasses();
  DialogRun run = {param, &dialog, false, false};
  const INT_PTR result = ShowModalDialog(param->instance, dialog.templateId, param->owner, ModuleDialogProc,
                                         reinterpret_cast<LPARAM>(&run));
  return result == 1 ? 1 : 0;
}

void UpdateModulePreview(HWND dialog, ModuleInstance* settings, const void* context, const wchar_t* sampleName) {
  if (settings == nullptr || sampleName == nullptr || sampleName[0] == 0) return;
  wchar_t name[kApplyPartCapacity];
  CopyWideBounded(sampleName + FileNameOffset(sampleName), name, kApplyPartCapacity);
  PrepareModuleInstance(settings);
  ApplyModuleToFileName(settings, context, name, kApplyPartCapacity);
  SetDialogItemText(dialog, IDC_MODULE_PREVIEW, name);
}
