// The Ins dialog: the part, the text, and its position counted from the left or from the right.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/ins_module.h"
#include "engine/modules/step_values.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kInsHelpTopic = 11;
constexpr int kInsTextIds[] = {IDD_MODULE_INS,
                               IDC_MODULE_PART_LABEL,
                               IDC_INS_TEXT_LABEL,
                               IDC_INS_POSITION_LABEL,
                               IDC_MODULE_FROM_LEFT,
                               IDC_MODULE_FROM_RIGHT,
                               0};
constexpr ModuleDialogEdit kInsEdits[] = {
    {IDC_INS_TEXT, kApplyPartCapacity - 1},
    {IDC_MODULE_POSITION, 3, IDC_MODULE_POSITION_SPIN, 1, kMostPosition + 1},
    {},
};

void ShowInsSettings(HWND dialog, const ModuleInstance* instance) {
  const InsSettings* settings = reinterpret_cast<const InsSettings*>(instance);
  ShowNamePart(dialog, static_cast<wchar_t>(settings->part));
  SetDialogItemText(dialog, IDC_INS_TEXT, settings->text);
  ShowPositionEdit(dialog, IDC_MODULE_POSITION, settings->position);
  ShowSide(dialog, static_cast<wchar_t>(settings->side));
  ShowStepComment(dialog, settings->comment);
}

void ReadInsSettings(HWND dialog, ModuleInstance* instance) {
  InsSettings* settings = reinterpret_cast<InsSettings*>(instance);
  settings->part = ReadNamePart(dialog);
  GetDialogItemText(dialog, IDC_INS_TEXT, settings->text, kApplyPartCapacity);
  settings->position = ReadPositionEdit(dialog, IDC_MODULE_POSITION);
  settings->side = ReadSide(dialog);
  ReadStepComment(dialog, settings->comment);
}

}  // namespace

const ModuleDialog kInsDialog = {
    .templateId = IDD_MODULE_INS,
    .helpTopic = kInsHelpTopic,
    .textIds = kInsTextIds,
    .edits = kInsEdits,
    .settingsSize = sizeof(InsSettings),
    .show = ShowInsSettings,
    .read = ReadInsSettings,
};
