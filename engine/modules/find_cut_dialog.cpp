// The FaC dialog: the part, the search text, which side of the match goes, and whether case matters.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/find_cut_module.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kFindCutHelpTopic = 10;
constexpr int kFindCutTextIds[] = {IDD_MODULE_FAC,       IDC_MODULE_PART_LABEL,     IDC_FAC_FIND_LABEL,
                                   IDC_FAC_REMOVE_LABEL, IDC_MODULE_CASE_SENSITIVE, 0};
constexpr ModuleDialogEdit kFindCutEdits[] = {{IDC_MODULE_SEARCH, kApplyPartCapacity - 1}, {}};
// The list's items: everything after the match goes (the text before it stays), or everything before it.
constexpr int kSideTextIds[] = {kTextEverythingAfter, kTextEverythingBefore, 0};
constexpr LPARAM kSideOptions[] = {0, 'b'};

void FillFindCutControls(HWND dialog) { FillComboWithTexts(dialog, IDC_FAC_SIDE, kSideTextIds, kSideOptions); }

void ShowFindCutSettings(HWND dialog, const ModuleInstance* instance) {
  const FindCutSettings* settings = reinterpret_cast<const FindCutSettings*>(instance);
  ShowNamePart(dialog, settings->part);
  SetDialogItemText(dialog, IDC_MODULE_SEARCH, settings->search);
  SelectComboItemByData(dialog, IDC_FAC_SIDE, settings->side == 'b' ? 'b' : 0);
  ShowFlagBox(dialog, IDC_MODULE_CASE_SENSITIVE, settings->caseFlag == 'c');
  ShowStepComment(dialog, settings->comment);
}

void ReadFindCutSettings(HWND dialog, ModuleInstance* instance) {
  FindCutSettings* settings = reinterpret_cast<FindCutSettings*>(instance);
  settings->part = ReadNamePart(dialog);
  GetDialogItemText(dialog, IDC_MODULE_SEARCH, settings->search, kApplyPartCapacity);
  settings->side = ReadComboItemData(dialog, IDC_FAC_SIDE, 0) == 'b' ? 'b' : 0;
  settings->caseFlag = ReadFlagBox(dialog, IDC_MODULE_CASE_SENSITIVE) ? 'c' : 0;
  ReadStepComment(dialog, settings->comment);
}

}  // namespace

const ModuleDialog kFindCutDialog = {
    .templateId = IDD_MODULE_FAC,
    .helpTopic = kFindCutHelpTopic,
    .textIds = kFindCutTextIds,
    .edits = kFindCutEdits,
    .settingsSize = sizeof(FindCutSettings),
    .fill = FillFindCutControls,
    .show = ShowFindCutSettings,
    .read = ReadFindCutSettings,
};
