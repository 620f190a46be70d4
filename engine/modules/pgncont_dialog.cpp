// The PgnCont dialog: the name pattern with the menu of the configured plug-ins' fields beside it, and the fail
// flag. Reading the controls resolves the pattern's references again, so a preview and the confirmed step use
// the references as typed.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/pgncont_module.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kPgnContHelpTopic = 16;
constexpr int kPgnContTextIds[] = {IDD_MODULE_PGNCONT, IDC_MODULE_PATTERN_LABEL, IDC_MODULE_FAIL_WITHOUT_VALUES, 0};
constexpr ModuleDialogEdit kPgnContEdits[] = {{IDC_PGNCONT_PATTERN, kApplyPartCapacity - 1}, {}};

void ShowPgnContDialogSettings(HWND dialog, const ModuleInstance* instance) {
  const PgnContSettings* settings = reinterpret_cast<const PgnContSettings*>(instance);
  SetDialogItemText(dialog, IDC_PGNCONT_PATTERN, settings->pattern);
  ShowFlagBox(dialog, IDC_MODULE_FAIL_WITHOUT_VALUES, settings->failFlag != 0);
  ShowStepComment(dialog, settings->comment);
}

void ReadPgnContDialogControls(HWND dialog, ModuleInstance* instance) {
  PgnContSettings* settings = reinterpret_cast<PgnContSettings*>(instance);
  GetDialogItemText(dialog, IDC_PGNCONT_PATTERN, settings->pattern, kApplyPartCapacity);
  settings->failFlag = ReadFlagBox(dialog, IDC_MODULE_FAIL_WITHOUT_VALUES) ? 1 : 0;
  ReadStepComment(dialog, settings->comment);
  ParsePluginFieldTemplate(settings);
}

void OnPluginFieldButton(HWND dialog, int id) {
  if (id == IDC_PGNCONT_FIELDS) ShowPluginFieldMenu(dialog, id, GetDialogItem(dialog, IDC_PGNCONT_PATTERN));
}

}  // namespace

const ModuleDialog kPgnContDialog = {
    .templateId = IDD_MODULE_PGNCONT,
    .helpTopic = kPgnContHelpTopic,
    .textIds = kPgnContTextIds,
    .edits = kPgnContEdits,
    .settingsSize = sizeof(PgnContSettings),
    .show = ShowPgnContDialogSettings,
    .read = ReadPgnContDialogControls,
    .command = OnPluginFieldButton,
};
