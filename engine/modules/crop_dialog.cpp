// The Crop dialog: the part, how many characters go, and from which position counted from either side.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/crop_module.h"
#include "engine/modules/step_values.h"

namespace {

constexpr int kCropHelpTopic = 12;
constexpr int kCropTextIds[] = {IDD_MODULE_CROP,
                                IDC_MODULE_PART_LABEL,
                                IDC_CROP_LABEL,
                                IDC_MODULE_CHARACTERS_FROM,
                                IDC_MODULE_FROM_LEFT,
                                IDC_MODULE_FROM_RIGHT,
                                0};
constexpr ModuleDialogEdit kCropEdits[] = {
    {IDC_MODULE_COUNT, 3, IDC_MODULE_COUNT_SPIN, 1, kMostSpanLength},
    {IDC_MODULE_FROM, 3, IDC_MODULE_FROM_SPIN, 1, kMostPosition + 1},
    {},
};

void ShowCropSettings(HWND dialog, const ModuleInstance* instance) {
  const CropSettings* settings = reinterpret_cast<const CropSettings*>(instance);
  ShowNamePart(dialog, static_cast<wchar_t>(settings->part));
  ShowNumberEdit(dialog, IDC_MODULE_COUNT, settings->count);
  ShowPositionEdit(dialog, IDC_MODULE_FROM, settings->position);
  ShowSide(dialog, static_cast<wchar_t>(settings->side));
  ShowStepComment(dialog, settings->comment);
}

void ReadCropSettings(HWND dialog, ModuleInstance* instance) {
  CropSettings* settings = reinterpret_cast<CropSettings*>(instance);
  settings->part = ReadNamePart(dialog);
  settings->count = ReadBoundedEdit(dialog, IDC_MODULE_COUNT, 1, kMostSpanLength);
  settings->position = ReadPositionEdit(dialog, IDC_MODULE_FROM);
  settings->side = ReadSide(dialog);
  ReadStepComment(dialog, settings->comment);
}

}  // namespace

const ModuleDialog kCropDialog = {
    .templateId = IDD_MODULE_CROP,
    .helpTopic = kCropHelpTopic,
    .textIds = kCropTextIds,
    .edits = kCropEdits,
    .settingsSize = sizeof(CropSettings),
    .show = ShowCropSettings,
    .read = ReadCropSettings,
};
