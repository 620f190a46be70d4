// The Enum dialog: the part and the position of the counter, its start, step, width and fill character. The
// step's spin control passes over 0, which the module does not take.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/enum_module.h"
#include "engine/modules/step_values.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kEnumHelpTopic = 9;
constexpr int kEnumTextIds[] = {IDD_MODULE_ENUM,        IDC_MODULE_PART_LABEL,     IDC_ENUM_START_LABEL,
                                IDC_ENUM_STEP_LABEL,    IDC_ENUM_WIDTH_LABEL,      IDC_ENUM_FILL_LABEL,
                                IDC_ENUM_COUNTER_GROUP, IDC_MODULE_POSITION_LABEL, 0};
constexpr int kNumberLimit = 30;
constexpr int kShortNumberLimit = 3;
constexpr int32_t kMostSpinValue = 32767;
constexpr ModuleDialogEdit kEnumEdits[] = {
    {IDC_ENUM_START, kNumberLimit, IDC_ENUM_START_SPIN, 0, kMostSpinValue},
    {IDC_ENUM_STEP, kNumberLimit, IDC_ENUM_STEP_SPIN, -kMostSpinValue, kMostSpinValue, true},
    {IDC_ENUM_WIDTH, kShortNumberLimit, IDC_ENUM_WIDTH_SPIN, 0, kMostCounterWidth},
    {IDC_ENUM_FILL, 1},
    {IDC_ENUM_POSITION, kShortNumberLimit, IDC_ENUM_POSITION_SPIN, 1, kMostPosition + 1},
    {},
};
// Offered while a step has no fill character, so that a width alone gives numbers with leading zeros.
constexpr wchar_t kDefaultFill = L'0';

void ShowEnumSettings(HWND dialog, const ModuleInstance* instance) {
  const EnumSettings* settings = reinterpret_cast<const EnumSettings*>(instance);
  ShowNamePart(dialog, static_cast<wchar_t>(settings->part));
  ShowPositionEdit(dialog, IDC_ENUM_POSITION, settings->position);
  ShowNumberEdit(dialog, IDC_ENUM_START, settings->start);
  ShowNumberEdit(dialog, IDC_ENUM_STEP, settings->step);
  ShowNumberEdit(dialog, IDC_ENUM_WIDTH, settings->width);
  const wchar_t fill[] = {settings->fill != 0 ? static_cast<wchar_t>(settings->fill) : kDefaultFill, 0};
  SetDialogItemText(dialog, IDC_ENUM_FILL, fill);
  ShowStepComment(dialog, settings->comment);
}

void ReadEnumSettings(HWND dialog, ModuleInstance* instance) {
  EnumSettings* settings = reinterpret_cast<EnumSettings*>(instance);
  settings->part = ReadNamePart(dialog);
  settings->position = ReadPositionEdit(dialog, IDC_ENUM_POSITION);
  settings->start = ReadSignedEdit(dialog, IDC_ENUM_START);
  const int32_t step = ReadSignedEdit(dialog, IDC_ENUM_STEP);
  settings->step = step != 0 ? step : 1;
  settings->width = ReadBoundedEdit(dialog, IDC_ENUM_WIDTH, 0, kMostCounterWidth);
  wchar_t fill[2];
  GetDialogItemText(dialog, IDC_ENUM_FILL, fill, 2);
  settings->fill = fill[0];
  ReadStepComment(dialog, settings->comment);
}

}  // namespace

const ModuleDialog kEnumDialog = {
    .templateId = IDD_MODULE_ENUM,
    .helpTopic = kEnumHelpTopic,
    .textIds = kEnumTextIds,
    .edits = kEnumEdits,
    .settingsSize = sizeof(EnumSettings),
    .show = ShowEnumSettings,
    .read = ReadEnumSettings,
};
