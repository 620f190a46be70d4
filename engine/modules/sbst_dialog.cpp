// The Sbst dialog: the part, the search text and its replacement, whether case matters and whether every
// occurrence is replaced.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/sbst_module.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kSbstHelpTopic = 10;
constexpr int kSbstTextIds[] = {IDD_MODULE_SBST,
                                IDC_MODULE_PART_LABEL,
                                IDC_MODULE_REPLACE_LABEL,
                                IDC_MODULE_WITH_LABEL,
                                IDC_MODULE_CASE_SENSITIVE,
                                IDC_SBST_EVERY_OCCURRENCE,
                                0};
constexpr ModuleDialogEdit kSbstEdits[] = {
    {IDC_MODULE_SEARCH, kApplyPartCapacity - 1},
    {IDC_MODULE_REPLACEMENT, kApplyPartCapacity - 1},
    {},
};

void ShowSbstSettings(HWND dialog, const ModuleInstance* instance) {
  const SbstSettings* settings = reinterpret_cast<const SbstSettings*>(instance);
  ShowNamePart(dialog, static_cast<wchar_t>(settings->part));
  SetDialogItemText(dialog, IDC_MODULE_SEARCH, settings->search);
  SetDialogItemText(dialog, IDC_MODULE_REPLACEMENT, settings->replacement);
  ShowFlagBox(dialog, IDC_MODULE_CASE_SENSITIVE, settings->matchCase == 'c');
  ShowFlagBox(dialog, IDC_SBST_EVERY_OCCURRENCE, settings->everyOccurrence == 'a');
  ShowStepComment(dialog, settings->comment);
}

void ReadSbstSettings(HWND dialog, ModuleInstance* instance) {
  SbstSettings* settings = reinterpret_cast<SbstSettings*>(instance);
  settings->part = ReadNamePart(dialog);
  GetDialogItemText(dialog, IDC_MODULE_SEARCH, settings->search, kApplyPartCapacity);
  GetDialogItemText(dialog, IDC_MODULE_REPLACEMENT, settings->replacement, kApplyPartCapacity);
  settings->matchCase = ReadFlagBox(dialog, IDC_MODULE_CASE_SENSITIVE) ? 'c' : 0;
  settings->everyOccurrence = ReadFlagBox(dialog, IDC_SBST_EVERY_OCCURRENCE) ? 'a' : 0;
  ReadStepComment(dialog, settings->comment);
}

}  // namespace

const ModuleDialog kSbstDialog = {
    .templateId = IDD_MODULE_SBST,
    .helpTopic = kSbstHelpTopic,
    .textIds = kSbstTextIds,
    .edits = kSbstEdits,
    .settingsSize = sizeof(SbstSettings),
    .show = ShowSbstSettings,
    .read = ReadSbstSettings,
};
