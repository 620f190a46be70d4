// The dialogs of the metadata modules Audio, EXIF, eMail and Image: the name pattern with the menu of the
// module's fields beside it, and the fail flag. The four differ in their controls' numbers and their fields.
#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/module_table.h"
#include "engine/modules/date_time_modules.h"
#include "engine/modules/pattern_modules.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kAudioHelpTopic = 13;
constexpr int kExifHelpTopic = 14;
constexpr int kEMailHelpTopic = 15;
constexpr int kImageHelpTopic = 13;
// A picture item's id is its field's id times this, plus the picture's number.
constexpr int kPictureIdFactor = 256;
constexpr wchar_t kOriginalName[] = L"OFN";

// The fields whose item opens a submenu of the Date or Time module's pictures.
struct PictureField {
  uint32_t module;
  const wchar_t* name;
  const wchar_t* const* pictures;
};

const PictureField kPictureFields[] = {
    {kModuleExif, L"Date", kDatePatternPresets},           {kModuleExif, L"Date Original", kDatePatternPresets},
    {kModuleExif, L"Date Digitized", kDatePatternPresets}, {kModuleExif, L"GPS Date", kDatePatternPresets},
    {kModuleExif, L"Time", kTimePatternPresets},           {kModuleExif, L"Time Original", kTimePatternPresets},
    {kModuleExif, L"Time Digitized", kTimePatternPresets}, {kModuleExif, L"GPS Time", kTimePatternPresets},
    {kModuleEMail, L"Date", kDatePatternPresets},          {kModuleEMail, L"Time", kTimePatternPresets},
};

const wchar_t* const* PicturesOf(uint32_t module, const wchar_t* field) {
  for (const PictureField& entry : kPictureFields) {
    if (entry.module == module && wcscmp(entry.name, field) == 0) return entry.pictures;
  }
  return nullptr;
}

int CountTexts(const wchar_t* const* texts) {
  int count = 0;
  while (texts[count] != nullptr) ++count;
  return count;
}

int AddFieldItem(const wchar_t* fieldName, const wchar_t*, int fieldNumber, int, void* userData) {
  PatternFieldMenu* menu = static_cast<PatternFieldMenu*>(userData);
  if (fieldNumber < 1 || fieldNumber > kMostPatternFields) return 0;
  CopyWideString(fieldName, menu->names[fieldNumber - 1], kPatternFieldNameCapacity);
  if (fieldNumber > menu->fieldCount) menu->fieldCount = fieldNumber;
  const wchar_t* const* pictures = PicturesOf(menu->module, fieldName);
  if (pictures == nullptr) {
    AppendMenuW(menu->menu, MF_STRING, static_cast<UINT_PTR>(fieldNumber), fieldName);
    return 0;
  }
  HMENU submenu = CreatePopupMenu();
  for (int picture = 0; pictures[picture] != nullptr; ++picture) {
    AppendMenuW(submenu, MF_STRING, static_cast<UINT_PTR>(fieldNumber * kPictureIdFactor + picture + 1),
                pictures[picture]);
  }
  AppendMenuW(menu->menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), fieldName);
  return 0;
}

struct PatternControls {
  uint32_t module;
  int pattern;
  int fields;
  int failFlag;
};

constexpr PatternControls kAudioControls = {kModuleAudio, IDC_AUDIO_PATTERN, IDC_AUDIO_FIELDS,
                                            IDC_MODULE_FAIL_WITHOUT_FIELDS};
constexpr PatternControls kExifControls = {kModuleExif, IDC_EXIF_PATTERN, IDC_EXIF_FIELDS,
                                           IDC_MODULE_FAIL_WITHOUT_VALUES};
constexpr PatternControls kEMailControls = {kModuleEMail, IDC_EMAIL_PATTERN, IDC_EMAIL_FIELDS,
                                            IDC_MODULE_FAIL_WITHOUT_FIELDS};
constexpr PatternControls kImageControls = {kModuleImage, IDC_IMAGE_PATTERN, IDC_IMAGE_FIELDS,
                                            IDC_MODULE_FAIL_WITHOUT_VALUES};

template <const PatternControls& kControls>
void ShowPatternDialogSettings(HWND dialog, const ModuleInstance* instance) {
  const PatternSettings* settings = reinterpret_cast<const PatternSettings*>(instance);
  SetDialogItemText(dialog, kControls.pattern, settings->pattern);
  ShowFlagBox(dialog, kControls.failFlag, settings->failOnEmpty != 0);
  ShowStepComment(dialog, settings->comment);
}

template <const PatternControls& kControls>
void ReadPatternDialogSettings(HWND dialog, ModuleInstance* instance) {
  PatternSettings* settings = reinterpret_cast<PatternSettings*>(instance);
  GetDialogItemText(dialog, kControls.pattern, settings->pattern, kApplyPartCapacity);
  settings->failOnEmpty = ReadFlagBox(dialog, kControls.failFlag) ? 1 : 0;
  ReadStepComment(dialog, settings->comment);
}

// The field chosen from the menu goes into the pattern at the caret, whose change shows the preview with it.
template <const PatternControls& kControls>
void OnFieldMenuButton(HWND dialog, int id) {
  PatternFieldMenu menu;
  if (id != kControls.fields || !BuildPatternFieldMenu(kControls.module, &menu)) return;
  const int chosen = TrackMenuBesideButton(dialog, kControls.fields, menu.menu);
  wchar_t reference[kApplyPartCapacity];
  if (GetPatternFieldReference(menu, chosen, reference, kApplyPartCapacity))
    InsertPatternReference(GetDialogItem(dialog, kControls.pattern), reference);
  FreePatternFieldMenu(&menu);
}

constexpr int kAudioTextIds[] = {IDD_MODULE_AUDIO, IDC_MODULE_PATTERN_LABEL, IDC_MODULE_FAIL_WITHOUT_FIELDS, 0};
constexpr int kExifTextIds[] = {IDD_MODULE_EXIF, IDC_MODULE_PATTERN_LABEL, IDC_MODULE_FAIL_WITHOUT_VALUES, 0};
constexpr int kEMailTextIds[] = {IDD_MODULE_EMAIL, IDC_MODULE_PATTERN_LABEL, IDC_MODULE_FAIL_WITHOUT_FIELDS, 0};
constexpr int kImageTextIds[] = {IDD_MODULE_IMAGE, IDC_MODULE_PATTERN_LABEL, IDC_MODULE_FAIL_WITHOUT_VALUES, 0};
constexpr ModuleDialogEdit kAudioEdits[] = {{IDC_AUDIO_PATTERN, kApplyPartCapacity - 1}, {}};
constexpr ModuleDialogEdit kExifEdits[] = {{IDC_EXIF_PATTERN, kApplyPartCapacity - 1}, {}};
constexpr ModuleDialogEdit kEMailEdits[] = {{IDC_EMAIL_PATTERN, kApplyPartCapacity - 1}, {}};
constexpr ModuleDialogEdit kImageEdits[] = {{IDC_IMAGE_PATTERN, kApplyPartCapacity - 1}, {}};

template <const PatternControls& kControls>
constexpr ModuleDialog PatternDialog(int templateId, int helpTopic, const int* textIds, const ModuleDialogEdit* edits) {
  return {
      .templateId = templateId,
      .helpTopic = helpTopic,
      .textIds = textIds,
      .edits = edits,
      .settingsSize = sizeof(PatternSettings),
      .show = ShowPatternDialogSettings<kControls>,
      .read = ReadPatternDialogSettings<kControls>,
      .command = OnFieldMenuButton<kControls>,
  };
}

}  // namespace

bool BuildPatternFieldMenu(uint32_t module, PatternFieldMenu* out) {
  *out = PatternFieldMenu{};
  out->module = module;
  out->menu = CreatePopupMenu();
  if (out->menu == nullptr) return false;
  EnumerateModuleFields(module, AddFieldItem, out);
  wchar_t label[kUiTextCapacity];
  GetUiText(kTextOriginalFileName, label, kUiTextCapacity);
  AppendMenuW(out->menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(out->menu, MF_STRING, static_cast<UINT_PTR>(out->fieldCount + 1), label);
  return true;
}

bool GetPatternFieldReference(const PatternFieldMenu& menu, int id, wchar_t* out, int capacity) {
  if (capacity <= 0) return false;
  out[0] = 0;
  const int field = id < kPictureIdFactor ? id : id / kPictureIdFactor;
  const int picture = id < kPictureIdFactor ? 0 : id % kPictureIdFactor;
  if (field == menu.fieldCount + 1 && picture == 0) {
    CopyWideString(kOriginalName, out, capacity);
    return true;
  }
  if (field < 1 || field > menu.fieldCount || menu.names[field - 1][0] == 0) return false;
  const wchar_t* name = menu.names[field - 1];
  const wchar_t* const* pictures = PicturesOf(menu.module, name);
  if ((pictures == nullptr) != (picture == 0)) return false;
  if (pictures != nullptr && picture > CountTexts(pictures)) return false;
  CopyWideString(name, out, capacity);
  if (picture == 0) return true;
  AppendWideBounded(L",", out, capacity);
  AppendWideBounded(pictures[picture - 1], out, capacity);
  return true;
}

void FreePatternFieldMenu(PatternFieldMenu* menu) {
  if (menu->menu != nullptr) DestroyMenu(menu->menu);
  menu->menu = nullptr;
}

const ModuleDialog kAudioDialog =
    PatternDialog<kAudioControls>(IDD_MODULE_AUDIO, kAudioHelpTopic, kAudioTextIds, kAudioEdits);
const ModuleDialog kExifDialog =
    PatternDialog<kExifControls>(IDD_MODULE_EXIF, kExifHelpTopic, kExifTextIds, kExifEdits);
const ModuleDialog kEMailDialog =
    PatternDialog<kEMailControls>(IDD_MODULE_EMAIL, kEMailHelpTopic, kEMailTextIds, kEMailEdits);
const ModuleDialog kImageDialog =
    PatternDialog<kImageControls>(IDD_MODULE_IMAGE, kImageHelpTopic, kImageTextIds, kImageEdits);
