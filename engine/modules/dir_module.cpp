#include "engine/modules/dir_module.h"

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "engine/modules/name_part_edits.h"
#include "engine/modules/step_values.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

const DirSettings* AsDir(const ModuleInstance* settings) { return reinterpret_cast<const DirSettings*>(settings); }

bool ReadDirText(const wchar_t* text, DirSettings* settings) {
  StepTextReader reader(text);
  settings->part = reader.Letter();
  settings->side = reader.Letter();
  settings->position = reader.Unsigned(kMostPosition);
  return reader.Finish(settings->comment) && IsNamePart(settings->part) && IsSide(settings->side);
}

ModuleInstance* CreateDirSettings(const wchar_t* text) {
  DirSettings* settings = static_cast<DirSettings*>(AllocZeroed(sizeof(DirSettings)));
  if (settings == nullptr) return nullptr;
  settings->side = kFromLeft;
  settings->part = kNamePart;
  if (text != nullptr && !ReadDirText(text, settings)) FreeAndNull(&settings);
  if (settings != nullptr) settings->header.flags = kApplyNeedsPath;
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializeDirSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const DirSettings* settings = AsDir(instance);
  StepTextWriter writer(L"Dir", text, capacity);
  writer.Letter(settings->part);
  writer.Letter(settings->side);
  writer.Number(settings->position);
  return writer.Finish(settings->comment);
}

void DescribeDirSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const DirSettings* settings = AsDir(instance);
  AppendPartDescription(settings->part, text, capacity);
  AppendDescriptionPiece(kTextFolderNameAt, text, capacity);
  AppendBlankAndNumber(int64_t{settings->position} + 1, text, capacity);
  AppendSideDescription(settings->side, text, capacity);
}

void GetDirComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsDir(instance)->comment, text, capacity);
}

void GetDirTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleFolders, text, capacity); }

// The last component of the file's folder; empty for a file in a root folder. The path is a listed file's and
// may be as long as the system allows: a cut copy would name a folder higher up.
void FolderNameOf(const wchar_t* path, wchar_t* folder) {
  wchar_t parent[kLongPathCapacity];
  CopyWideString(path, parent, kLongPathCapacity);
  CutToParentFolder(parent);
  CopyWideString(parent + FileNameOffset(parent), folder, kApplyPartCapacity);
}

int ApplyDirModule(ModuleApplyRecord* record) {
  if (record->settings == nullptr || record->context == nullptr) return -1;
  const DirSettings* settings = AsDir(record->settings);
  wchar_t folder[kApplyPartCapacity];
  FolderNameOf(static_cast<const wchar_t*>(record->context), folder);
  wchar_t* target = NamePartOf(record, settings->part, false);
  if (target != nullptr) InsertTextAt(target, kApplyPartCapacity, settings->side, folder, settings->position);
  return 0;
}

}  // namespace

const ModuleDescriptor kDirModule = {
    .serialize = SerializeDirSettings,
    .describe = DescribeDirSettings,
    .comment = GetDirComment,
    .title = GetDirTitle,
    .createSettings = CreateDirSettings,
    .showDialog = ShowModuleDialogOf<kDirDialog>,
    .apply = ApplyDirModule,
    .freeSettings = FreeModuleInstanceMemory,
    .keyName = L"Dir",
};
