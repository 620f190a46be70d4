#include "metadata/plugin_list.h"

#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/string_list.h"
#include "foundation/files/paths.h"

namespace {

enum PluginItem { kItemName, kItemPath, kItemDetect, kItemParameter };

struct SectionWalk {
  PluginEntryCallback callback;
  void* userData;
  int handedOn;
};

int VisitPluginValue(const char*, const char* value, void* userData) {
  SectionWalk* walk = static_cast<SectionWalk*>(userData);
  PluginListEntry* entry = static_cast<PluginListEntry*>(AllocZeroed(sizeof(PluginListEntry)));
  if (entry == nullptr) return 1;
  int stop = 0;
  if (ParsePluginListValue(value, entry) && entry->enabled) {
    CopyWideString(entry->name, entry->name + kPluginEntryNameCapacity, kPluginEntryNameCapacity);
    ++walk->handedOn;
    stop = walk->callback(entry, walk->userData);
  }
  FreeAndNull(&entry);
  return stop;
}

}  // namespace

bool ParsePluginListValue(const char* value, PluginListEntry* entry) {
  StringList items;
  if (value == nullptr || StringListSplit(&items, value, 1, L';') != 0) return false;
  StringListGetItem(&items, kItemName, entry->name, kPluginEntryNameCapacity);
  wchar_t path[kPathCapacity + 1] = {};
  StringListGetItem(&items, kItemPath, path, kPathCapacity + 1);
  const bool signed_ = path[0] == L'+' || path[0] == L'-';
  entry->enabled = path[0] == L'-' ? 0 : 1;
  CopyWideString(path + (signed_ ? 1 : 0), entry->libraryPath, kPathCapacity);
  StringListGetItem(&items, kItemDetect, entry->detectString, kPluginTextCapacity);
  StringListGetItem(&items, kItemParameter, entry->initParameter, kPluginTextCapacity);
  return entry->name[0] != 0;
}

int FormatPluginListValue(const PluginListEntry* entry, char* text, int capacity) {
  if (capacity <= 0) return 1;
  text[0] = 0;
  wchar_t path[kPathCapacity + 1];
  CopyWideString(entry->enabled ? L"+" : L"-", path, kPathCapacity + 1);
  AppendWideBounded(entry->libraryPath, path, kPathCapacity + 1);
  const wchar_t* items[] = {entry->name, path, entry->detectString, entry->initParameter};
  int cut = 0;
  for (const wchar_t* item : items) {
    if (cut == 0) cut = AppendListItemQuoted(item, text, capacity);
  }
  return cut;
}

int EnumeratePluginSection(PluginEntryCallback callback, void* userData) {
  if (callback == nullptr) return -1;
  SectionWalk walk{callback, userData, 0};
  return GuardedCall(-1, [&] {
    ProfileEnumSection(&g_settingsStore, kPluginSection, VisitPluginValue, &walk);
    return walk.handedOn;
  });
}
