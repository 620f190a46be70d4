// The RegEx dialog: the part, the pattern and its replacement, and whether case matters.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/regex_module.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kRegExHelpTopic = 10;
constexpr int kRegExTextIds[] = {IDD_MODULE_REGEX,          IDC_MODULE_PART_LABEL, IDC_MODULE_REPLACE_LABEL,
                                 IDC_MODULE_WITH_LABEL,     IDC_MODULE_CASE_SENSITIVE, IDC_REGEX_TOO_COSTLY,
                                 0};
constexpr ModuleDialogEdit kRegExEdits[] = {
    {IDC_MODULE_SEARCH, kApplyPartCapacity - 1},
    {IDC_MODULE_REPLACEMENT, kApplyPartCapacity - 1},
    {},
};

void ShowCostNote(HWND dialog, bool costly) {
  ShowWindowCmd(GetDialogItem(dialog, IDC_REGEX_TOO_COSTLY), costly ? SW_SHOW : SW_HIDE);
}

// The note says the pattern is too costly when its search gave up on a listed name in the last pass (as long
// as the pattern is not edited) or gives up on the sample name.
void UpdateCostNote(HWND dialog, const ModuleInstance* settings) {
  const bool patternEdited = SendDialogItemMessage(dialog, IDC_MODULE_SEARCH, EM_GETMODIFY, 0, 0) != 0;
  const bool gaveUpInPass =
      !patternEdited && GetWindowLongPtrW(GetDialogItem(dialog, IDC_REGEX_TOO_COSTLY), GWLP_USERDATA) != 0;
  wchar_t sample[kApplyPartCapacity];
  GetDialogItemText(dialog, IDC_MODULE_SAMPLE, sample, kApplyPartCapacity);
  ShowCostNote(dialog, gaveUpInPass || (sample[0] != 0 && RegExGivesUpOn(settings, sample)));
}

void ShowRegExSettings(HWND dialog, const ModuleInstance* instance) {
  const RegExSettings* settings = reinterpret_cast<const RegExSettings*>(instance);
  const bool gaveUpInPass = RegExGaveUpInLastPass(instance);
  SetWindowLongPtrW(GetDialogItem(dialog, IDC_REGEX_TOO_COSTLY), GWLP_USERDATA, gaveUpInPass ? 1 : 0);
  ShowCostNote(dialog, gaveUpInPass);
  ShowNamePart(dialog, settings->part);
  SetDialogItemText(dialog, IDC_MODULE_SEARCH, settings->pattern);
  SetDialogItemText(dialog, IDC_MODULE_REPLACEMENT, settings->replacement);
  ShowFlagBox(dialog, IDC_MODULE_CASE_SENSITIVE, settings->caseFlag == 'c');
  ShowStepComment(dialog, settings->comment);
}

// The compiled pattern is left alone: the next pass compiles the pattern read here.
void ReadRegExSettings(HWND dialog, ModuleInstance* instance) {
  RegExSettings* settings = reinterpret_cast<RegExSettings*>(instance);
  settings->part = ReadNamePart(dialog);
  GetDialogItemText(dialog, IDC_MODULE_SEARCH, settings->pattern, kApplyPartCapacity);
  GetDialogItemText(dialog, IDC_MODULE_REPLACEMENT, settings->replacement, kApplyPartCapacity);
  settings->caseFlag = ReadFlagBox(dialog, IDC_MODULE_CASE_SENSITIVE) ? 'c' : 0;
  ReadStepComment(dialog, settings->comment);
  UpdateCostNote(dialog, instance);
}

}  // namespace

const ModuleDialog kRegExDialog = {
    .templateId = IDD_MODULE_REGEX,
    .helpTopic = kRegExHelpTopic,
    .textIds = kRegExTextIds,
    .edits = kRegExEdits,
    .settingsSize = sizeof(RegExSettings),
    .show = ShowRegExSettings,
    .read = ReadRegExSettings,
};
