// The Dir dialog: the part and the position, counted from either side, where the folder name goes.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/dir_module.h"
#include "engine/modules/step_values.h"

namespace {

constexpr int kDirHelpTopic = 27;
constexpr int kDirTextIds[] = {IDD_MODULE_DIR,       IDC_MODULE_PART_LABEL, IDC_DIR_LABEL,
                               IDC_MODULE_FROM_LEFT, IDC_MODULE_FROM_RIGHT, 0};
constexpr ModuleDialogEdit kDirEdits[] = {
    {IDC_MODULE_POSITION, 3, IDC_MODULE_POSITION_SPIN, 1, kMostPosition + 1},
    {},
};

void ShowDirSettings(HWND dialog, const ModuleInstance* instance) {
  const DirSettings* settings = reinterpret_cast<const DirSettings*>(instance);
  ShowNamePart(dialog, settings->part);
  ShowPositionEdit(dialog, IDC_MODULE_POSITION, settings->position);
  ShowSide(dialog, settings->side);
  ShowStepComment(dialog, settings->comment);
}

void ReadDirSettings(HWND dialog, ModuleInstance* instance) {
  DirSettings* settings = reinterpret_cast<DirSettings*>(instance);
  settings->part = ReadNamePart(dialog);
  settings->position = ReadPositionEdit(dialog, IDC_MODULE_POSITION);
  settings->side = ReadSide(dialog);
  ReadStepComment(dialog, settings->comment);
}

}  // namespace

const ModuleDialog kDirDialog = {
    .templateId = IDD_MODULE_DIR,
    .helpTopic = kDirHelpTopic,
    .textIds = kDirTextIds,
    .edits = kDirEdits,
    .settingsSize = sizeof(DirSettings),
    .show = ShowDirSettings,
    .read = ReadDirSettings,
};
