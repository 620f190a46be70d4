// The Case dialog: the part of the name and one radio button per conversion.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/case_module.h"

namespace {

constexpr int kCaseHelpTopic = 7;
constexpr int kCaseTextIds[] = {IDD_MODULE_CASE, IDC_MODULE_PART_LABEL, IDC_CASE_LAST_CONVERSION, 0};
constexpr ModuleDialogEdit kCaseEdits[] = {{}};

void ShowCaseSettings(HWND dialog, const ModuleInstance* instance) {
  const CaseSettings* settings = reinterpret_cast<const CaseSettings*>(instance);
  ShowNamePart(dialog, static_cast<wchar_t>(settings->part));
  // A conversion the module does not know shows the first one.
  const bool known = settings->conversion >= kCaseLower && settings->conversion <= kCaseInvert;
  const int conversion = known ? int{settings->conversion} : int{kCaseLower};
  CheckRadioButton(dialog, IDC_CASE_FIRST_CONVERSION, IDC_CASE_LAST_CONVERSION,
                   IDC_CASE_FIRST_CONVERSION + conversion - kCaseLower);
  ShowStepComment(dialog, settings->comment);
}

void ReadCaseSettings(HWND dialog, ModuleInstance* instance) {
  CaseSettings* settings = reinterpret_cast<CaseSettings*>(instance);
  settings->part = ReadNamePart(dialog);
  settings->conversion = kCaseLower;
  for (int id = IDC_CASE_FIRST_CONVERSION; id <= IDC_CASE_LAST_CONVERSION; ++id) {
    if (ReadFlagBox(dialog, id))
      settings->conversion = static_cast<uint16_t>(kCaseLower + id - IDC_CASE_FIRST_CONVERSION);
  }
  ReadStepComment(dialog, settings->comment);
}

}  // namespace

const ModuleDialog kCaseDialog = {
    .templateId = IDD_MODULE_CASE,
    .helpTopic = kCaseHelpTopic,
    .textIds = kCaseTextIds,
    .edits = kCaseEdits,
    .settingsSize = sizeof(CaseSettings),
    .show = ShowCaseSettings,
    .read = ReadCaseSettings,
};
