// The Ext and DOS dialogs: one text each, the new extension or the mask, and the comment. Their records have
// one layout (they share a comment operation too), so one pair of functions shows and reads both.
#include <cstddef>

#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/dos_module.h"
#include "engine/modules/ext_module.h"
#include "foundation/win32/window_wrappers.h"

static_assert(sizeof(DosSettings) == sizeof(ExtSettings) &&
                  offsetof(DosSettings, mask) == offsetof(ExtSettings, extension),
              "Ext and DOS records have one layout");

namespace {

constexpr int kExtHelpTopic = 8;
constexpr int kDosHelpTopic = 26;
constexpr int kExtTextIds[] = {IDD_MODULE_EXT, IDC_EXT_LABEL, 0};
constexpr int kDosTextIds[] = {IDD_MODULE_DOS, IDC_DOS_LABEL, 0};
constexpr ModuleDialogEdit kExtEdits[] = {{IDC_EXT_EXTENSION, kApplyPartCapacity - 1}, {}};
constexpr ModuleDialogEdit kDosEdits[] = {{IDC_DOS_MASK, kApplyPartCapacity - 1}, {}};

template <int kEdit>
void ShowOneTextSettings(HWND dialog, const ModuleInstance* instance) {
  const ExtSettings* settings = reinterpret_cast<const ExtSettings*>(instance);
  SetDialogItemText(dialog, kEdit, settings->extension);
  ShowStepComment(dialog, settings->comment);
}

template <int kEdit>
void ReadOneTextSettings(HWND dialog, ModuleInstance* instance) {
  ExtSettings* settings = reinterpret_cast<ExtSettings*>(instance);
  GetDialogItemText(dialog, kEdit, settings->extension, kApplyPartCapacity);
  ReadStepComment(dialog, settings->comment);
}

}  // namespace

const ModuleDialog kExtDialog = {
    .templateId = IDD_MODULE_EXT,
    .helpTopic = kExtHelpTopic,
    .textIds = kExtTextIds,
    .edits = kExtEdits,
    .settingsSize = sizeof(ExtSettings),
    .show = ShowOneTextSettings<IDC_EXT_EXTENSION>,
    .read = ReadOneTextSettings<IDC_EXT_EXTENSION>,
};

const ModuleDialog kDosDialog = {
    .templateId = IDD_MODULE_DOS,
    .helpTopic = kDosHelpTopic,
    .textIds = kDosTextIds,
    .edits = kDosEdits,
    .settingsSize = sizeof(DosSettings),
    .show = ShowOneTextSettings<IDC_DOS_MASK>,
    .read = ReadOneTextSettings<IDC_DOS_MASK>,
};
