// The Date and Time dialogs: the part, which time stamp of the file, the insert position and the format
// picture, with a menu of preset pictures. The twins differ only in their controls' numbers and presets.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/date_time_modules.h"
#include "engine/modules/step_values.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kDateHelpTopic = 24;
constexpr int kTimeHelpTopic = 25;
// The time stamps in list order: last write, creation, last access.
constexpr int kSourceTextIds[] = {kTextTimeModified, kTextTimeCreated, kTextTimeAccessed, 0};
constexpr LPARAM kSourceLetters[] = {L'm', L'c', L'a'};

struct DateTimeControls {
  int source;
  int format;
  int position;
  int presets;
  const wchar_t* const* presetList;
};

constexpr DateTimeControls kDateControls = {IDC_DATE_SOURCE, IDC_DATE_FORMAT, IDC_DATE_POSITION, IDC_DATE_PRESETS,
                                            kDatePatternPresets};
constexpr DateTimeControls kTimeControls = {IDC_TIME_SOURCE, IDC_TIME_FORMAT, IDC_TIME_POSITION, IDC_TIME_PRESETS,
                                            kTimePatternPresets};

constexpr int kDateTextIds[] = {IDD_MODULE_DATE,       IDC_MODULE_PART_LABEL,     IDC_MODULE_FILE_TIME_LABEL,
                                IDC_DATE_FORMAT_LABEL, IDC_MODULE_POSITION_LABEL, 0};
constexpr int kTimeTextIds[] = {IDD_MODULE_TIME,       IDC_MODULE_PART_LABEL,     IDC_MODULE_FILE_TIME_LABEL,
                                IDC_TIME_FORMAT_LABEL, IDC_MODULE_POSITION_LABEL, 0};
constexpr ModuleDialogEdit kDateEdits[] = {
    {IDC_DATE_POSITION, 3, IDC_DATE_POSITION_SPIN, 1, kMostPosition + 1},
    {IDC_DATE_FORMAT, kApplyPartCapacity - 1},
    {},
};
constexpr ModuleDialogEdit kTimeEdits[] = {
    {IDC_TIME_POSITION, 3, IDC_TIME_POSITION_SPIN, 1, kMostPosition + 1},
    {IDC_TIME_FORMAT, kApplyPartCapacity - 1},
    {},
};

template <const DateTimeControls& kControls>
void FillDateTimeControls(HWND dialog) {
  FillComboWithTexts(dialog, kControls.source, kSourceTextIds, kSourceLetters);
}

template <const DateTimeControls& kControls>
void ShowDateTimeSettings(HWND dialog, const ModuleInstance* instance) {
  const DateTimeSettings* settings = reinterpret_cast<const DateTimeSettings*>(instance);
  ShowNamePart(dialog, settings->part);
  SelectComboItemByData(dialog, kControls.source, settings->source);
  ShowPositionEdit(dialog, kControls.position, settings->position);
  SetDialogItemText(dialog, kControls.format, settings->pattern);
  ShowStepComment(dialog, settings->comment);
}

template <const DateTimeControls& kControls>
void ReadDateTimeSettings(HWND dialog, ModuleInstance* instance) {
  DateTimeSettings* settings = reinterpret_cast<DateTimeSettings*>(instance);
  settings->part = ReadNamePart(dialog);
  settings->source = static_cast<wchar_t>(ReadComboItemData(dialog, kControls.source, L'm'));
  settings->position = ReadPositionEdit(dialog, kControls.position);
  GetDialogItemText(dialog, kControls.format, settings->pattern, kApplyPartCapacity);
  ReadStepComment(dialog, settings->comment);
}

template <const DateTimeControls& kControls>
void OnDateTimeButton(HWND dialog, int id) {
  if (id == kControls.presets) ShowPresetMenu(dialog, kControls.presets, kControls.format, kControls.presetList);
}

}  // namespace

const ModuleDialog kDateDialog = {
    .templateId = IDD_MODULE_DATE,
    .helpTopic = kDateHelpTopic,
    .textIds = kDateTextIds,
    .edits = kDateEdits,
    .settingsSize = sizeof(DateTimeSettings),
    .fill = FillDateTimeControls<kDateControls>,
    .show = ShowDateTimeSettings<kDateControls>,
    .read = ReadDateTimeSettings<kDateControls>,
    .command = OnDateTimeButton<kDateControls>,
};

const ModuleDialog kTimeDialog = {
    .templateId = IDD_MODULE_TIME,
    .helpTopic = kTimeHelpTopic,
    .textIds = kTimeTextIds,
    .edits = kTimeEdits,
    .settingsSize = sizeof(DateTimeSettings),
    .fill = FillDateTimeControls<kTimeControls>,
    .show = ShowDateTimeSettings<kTimeControls>,
    .read = ReadDateTimeSettings<kTimeControls>,
    .command = OnDateTimeButton<kTimeControls>,
};
