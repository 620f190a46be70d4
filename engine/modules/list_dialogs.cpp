// The CSV and Text dialogs: the list file, typed or chosen in the open dialog. The path is shown with its
// placeholders expanded and stored with them compacted again.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/modules/csv_module.h"
#include "engine/modules/text_list_module.h"
#include "foundation/files/shell_folders.h"
#include "foundation/ui/file_dialogs.h"
#include "foundation/files/paths.h"

namespace {

constexpr int kCsvHelpTopic = 17;
constexpr int kTextHelpTopic = 18;
constexpr int kCsvTextIds[] = {IDD_MODULE_CSV, IDC_LIST_FILE_LABEL, 0};
constexpr int kTextTextIds[] = {IDD_MODULE_TEXT, IDC_LIST_FILE_LABEL, 0};
constexpr ModuleDialogEdit kListEdits[] = {{IDC_LIST_FILE, kPathCapacity - 1}, {}};
// Description and pattern pairs of the open dialog's filter.
constexpr wchar_t kCsvFilter[] = L"*.csv\0*.csv\0*.*\0*.*\0";
constexpr wchar_t kTextFilter[] = L"*.txt\0*.txt\0*.*\0*.*\0";

void ShowListSettings(HWND dialog, const ModuleInstance* instance) {
  const ListStepHead* settings = reinterpret_cast<const ListStepHead*>(instance);
  SetDlgItemPathText(dialog, IDC_LIST_FILE, settings->path);
  ShowStepComment(dialog, settings->comment);
}

// The loaded entries are left alone: the next pass loads the list named here, and a list whose read was
// stopped is read again.
void ReadListSettings(HWND dialog, ModuleInstance* instance) {
  ListStepHead* settings = reinterpret_cast<ListStepHead*>(instance);
  GetDlgItemPathText(dialog, IDC_LIST_FILE, settings->path, kPathCapacity);
  ReadStepComment(dialog, settings->comment);
  if (settings->loaded.read == static_cast<uint32_t>(ListRead::kStopped)) settings->loaded = ListFileStamp{};
}

// The chosen file goes into the path edit, whose change shows the preview with the new list.
template <const wchar_t* kFilter>
void OnListButton(HWND dialog, int id) {
  if (id == IDC_LIST_FILE_BROWSE) AskFileName(dialog, IDC_LIST_FILE, kFilter, false);
}

}  // namespace

const ModuleDialog kCsvDialog = {
    .templateId = IDD_MODULE_CSV,
    .helpTopic = kCsvHelpTopic,
    .textIds = kCsvTextIds,
    .edits = kListEdits,
    .settingsSize = sizeof(CsvSettings),
    .show = ShowListSettings,
    .read = ReadListSettings,
    .command = OnListButton<kCsvFilter>,
};

const ModuleDialog kTextListDialog = {
    .templateId = IDD_MODULE_TEXT,
    .helpTopic = kTextHelpTopic,
    .textIds = kTextTextIds,
    .edits = kListEdits,
    .settingsSize = sizeof(TextListSettings),
    .show = ShowListSettings,
    .read = ReadListSettings,
    .command = OnListButton<kTextFilter>,
};
