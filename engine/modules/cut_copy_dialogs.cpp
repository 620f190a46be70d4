// The Cut and Copy dialogs, one template: the part, the span's length and start, and where it goes. The Copy
// dialog names itself and its first label differently, and each sets the copy flag of the step it edits.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/cut_copy_modules.h"
#include "engine/modules/step_values.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kCutTextIds[] = {IDD_MODULE_CUT,   IDC_MODULE_PART_LABEL,      IDC_CUT_LABEL,
                               IDC_CUT_TO_LABEL, IDC_MODULE_CHARACTERS_FROM, 0};
constexpr int kCopyTextIds[] = {kTextModuleCopy,  IDC_MODULE_PART_LABEL,      IDC_CUT_LABEL,
                                IDC_CUT_TO_LABEL, IDC_MODULE_CHARACTERS_FROM, 0};
constexpr ModuleDialogEdit kCutCopyEdits[] = {
    {IDC_MODULE_COUNT, 3, IDC_MODULE_COUNT_SPIN, 1, kMostSpanLength},
    {IDC_MODULE_FROM, 3, IDC_MODULE_FROM_SPIN, 1, kMostPosition + 1},
    {IDC_CUT_TARGET, 3, IDC_CUT_TARGET_SPIN, 1, kMostPosition + 1},
    {},
};

void FillCopyLabel(HWND dialog) {
  wchar_t label[kUiTextCapacity];
  GetUiText(kTextCopyWord, label, kUiTextCapacity);
  SetDialogItemText(dialog, IDC_CUT_LABEL, label);
}

void ShowCutCopySettings(HWND dialog, const ModuleInstance* instance) {
  const CutCopySettings* settings = reinterpret_cast<const CutCopySettings*>(instance);
  ShowNamePart(dialog, settings->part);
  const uint32_t length = settings->length == 0 ? 1 : settings->length;
  ShowNumberEdit(dialog, IDC_MODULE_COUNT, length < kMostSpanLength ? length : kMostSpanLength);
  ShowPositionEdit(dialog, IDC_MODULE_FROM, settings->start);
  ShowPositionEdit(dialog, IDC_CUT_TARGET, settings->target);
  ShowStepComment(dialog, settings->comment);
}

void ReadSpan(HWND dialog, CutCopySettings* settings) {
  settings->part = ReadNamePart(dialog);
  settings->length = ReadBoundedEdit(dialog, IDC_MODULE_COUNT, 1, kMostSpanLength);
  settings->start = ReadPositionEdit(dialog, IDC_MODULE_FROM);
  settings->target = ReadPositionEdit(dialog, IDC_CUT_TARGET);
  ReadStepComment(dialog, settings->comment);
}

template <uint8_t kCopyFlag>
void ReadCutCopySettings(HWND dialog, ModuleInstance* instance) {
  CutCopySettings* settings = reinterpret_cast<CutCopySettings*>(instance);
  ReadSpan(dialog, settings);
  settings->copy = kCopyFlag;
}

}  // namespace

const ModuleDialog kCutDialog = {
    .templateId = IDD_MODULE_CUT,
    .textIds = kCutTextIds,
    .edits = kCutCopyEdits,
    .settingsSize = sizeof(CutCopySettings),
    .show = ShowCutCopySettings,
    .read = ReadCutCopySettings<0>,
};

const ModuleDialog kCopyDialog = {
    .templateId = IDD_MODULE_CUT,
    .textIds = kCopyTextIds,
    .edits = kCutCopyEdits,
    .settingsSize = sizeof(CutCopySettings),
    .fill = FillCopyLabel,
    .show = ShowCutCopySettings,
    .read = ReadCutCopySettings<1>,
};
