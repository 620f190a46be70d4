#include "engine/modules/text_list_module.h"

#include "engine/module_dialog_frame.h"
#include "foundation/core/memory.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

TextListSettings* AsText(ModuleInstance* settings) { return reinterpret_cast<TextListSettings*>(settings); }

// The first `now.wanted` lines of the file, or none when memory could not hold them all.
ListRead LoadTextList(ModuleInstance* instance, const ListFileStamp& now) {
  const uint32_t wanted = now.wanted;
  TextListSettings* settings = AsText(instance);
  FreeEntryBlock(&settings->lines);
  settings->list.entryCount = 0;
  ListFile file;
  if (!OpenListFile(settings->list.path, &file)) return ListRead::kNotRead;
  EntryBlockBuilder lines;
  InitEntryBlockBuilder(&lines);
  wchar_t line[kListEntryCapacity];
  uint32_t count = 0;
  bool kept = true;
  while (kept && count < wanted && NextListLine(&file, ListLineEnds::kRunOfBreaks, line, kListEntryCapacity)) {
    kept = AppendEntry(&lines, line);
    ++count;
  }
  CloseListFile(&file);
  if (kept && FinishEntryBlock(&lines, &settings->lines)) settings->list.entryCount = count;
  FreeEntryBlockBuilder(&lines);
  if (!kept) return ListRead::kNotRead;
  return count < wanted ? ListRead::kWhole : ListRead::kPart;
}

void PrepareTextModule(ModuleInstance* instance) { PrepareListStep(LoadTextList, instance); }

int ApplyTextModule(ModuleApplyRecord* record) {
  TextListSettings* settings = AsText(record->settings);
  if (settings == nullptr) return -1;
  ListStepHead& list = settings->list;
  if (settings->lines.text != nullptr && list.counter < list.entryCount)
    TakeListEntry(EntryAt(&settings->lines, list.counter), record);
  ++list.counter;
  return 0;
}

ModuleInstance* CreateTextSettings(const wchar_t* text) { return CreateListStep(text, sizeof(TextListSettings)); }

int SerializeTextSettings(const ModuleInstance* settings, wchar_t* text, int capacity) {
  return WriteListStep(L"Text", settings, text, capacity);
}

void DescribeTextSettings(const ModuleInstance* settings, wchar_t* text, int capacity) {
  DescribeListStep(kTextModuleTextList, settings, text, capacity);
}

void GetTextTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleTextList, text, capacity); }

void FreeTextSettings(ModuleInstance* instance) {
  FreeEntryBlock(&AsText(instance)->lines);
  FreeModuleInstanceMemory(instance);
}

}  // namespace

const ModuleDescriptor kTextListModule = {
    .serialize = SerializeTextSettings,
    .describe = DescribeTextSettings,
    .comment = GetListStepComment,
    .title = GetTextTitle,
    .createSettings = CreateTextSettings,
    .showDialog = ShowModuleDialogOf<kTextListDialog>,
    .prepare = PrepareTextModule,
    .apply = ApplyTextModule,
    .freeSettings = FreeTextSettings,
    .keyName = L"Text",
};
