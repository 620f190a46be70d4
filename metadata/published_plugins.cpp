#include "metadata/published_plugins.h"

#include <cstring>

#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

constexpr int kFieldTextBytes = 1024;
constexpr INT_PTR kAdapterFailed = -2;
constexpr INT_PTR kNotOffered = -1;

template <typename Function>
Function Export(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

void CallSetDefaultParams(ContentSetDefaultParamsFunction setDefaultParams) {
  ContentDefaultParams params = {};
  params.size = sizeof params;
  params.versionLow = 10;
  params.versionHigh = 2;
  wchar_t path[kPathCapacity];
  GetUserDataFolder(nullptr, path, kPathCapacity);
  AppendPathComponent(L"wdx.ini", path, kPathCapacity);
  WideToAnsiOrShortPath(path, params.settingsFile, MAX_PATH);
  GuardedCall(0, [&] {
    setDefaultParams(&params);
    return 0;
  });
}

// One field of the library: its type (0 at the end of the list) with its name and units, both terminated.
struct SupportedField {
  int type;
  char name[kFieldTextBytes];
  char units[kFieldTextBytes];
};

bool ReadSupportedField(const PublishedPluginExports* exports, int index, SupportedField* field) {
  field->name[0] = 0;
  field->units[0] = 0;
  field->type = exports->getSupportedField(index, field->name, field->units, kFieldTextBytes - 1);
  field->name[kFieldTextBytes - 1] = 0;
  field->units[kFieldTextBytes - 1] = 0;
  return field->type != 0 && field->name[0] != 0;
}

INT_PTR FindPluginField(const PublishedPluginExports* exports, PluginFieldQuery* query) {
  char wanted[kFieldTextBytes];
  WideToMultiByteBounded(query->fieldName, wanted, kFieldTextBytes, CP_ACP);
  SupportedField field;
  for (int index = 0; index < kMostPublishedFields && ReadSupportedField(exports, index, &field); ++index) {
    if (!EqualsIgnoreCaseNarrow(field.name, wanted)) continue;
    query->fieldIndex = index;
    query->fieldType = field.type;
    MultiByteToWideBounded(field.units, query->units, kPluginUnitsCapacity, CP_ACP);
    return index + 1;
  }
  return 0;
}

INT_PTR EnumPluginFields(const PublishedPluginExports* exports, const PluginFieldEnumRequest* request) {
  GuardedCall(0, [&] {
    SupportedField field;
    wchar_t name[kFieldTextBytes];
    for (int index = 0; index < kMostPublishedFields && ReadSupportedField(exports, index, &field); ++index) {
      MultiByteToWideBounded(field.name, name, kFieldTextBytes, CP_ACP);
      const char* units = field.units[0] != 0 ? field.units : nullptr;
      if (request->callback(field.type & 0xFF, request, name, name, units, request->userData) != 0) break;
    }
    return 0;
  });
  return 0;
}

// Dates and times come as 16-bit words (year, month, day or hour, minute, second) and leave packed.
void PackDateOrTime(int type, void* value) {
  uint16_t words[3];
  memcpy(words, value, sizeof words);
  uint32_t packed = 0;
  if (type == kFieldDate) packed = words[2] | words[1] << 5 | static_cast<uint32_t>(words[0]) << 9;
  if (type == kFieldTime) packed = static_cast<uint32_t>(words[0]) << 12 | words[1] << 6 | words[2];
  memcpy(value, &packed, sizeof packed);
}

INT_PTR CallContentGetValue(const PublishedPluginExports* exports, const PluginValueRequest* request) {
  const int type = GuardedCall(-1, [&] {
    if (exports->getValueW != nullptr) {
      wchar_t path[kPathCapacity];
      CopyWideString(request->path, path, kPathCapacity);
      return exports->getValueW(path, request->fieldIndex, request->unitIndex, request->value, request->valueSize, 0);
    }
    char path[kPathCapacity];
    WideToAnsiOrShortPath(request->path, path, kPathCapacity);
    return exports->getValue(path, request->fieldIndex, request->unitIndex, request->value, request->valueSize, 0);
  });
  if ((type == kFieldDate || type == kFieldTime) && request->valueSize >= 6) PackDateOrTime(type, request->value);
  return type;
}

INT_PTR ReadDetectString(const PublishedPluginExports* exports, const PluginTextRequest* request) {
  if (exports->getDetectString == nullptr || request->capacity <= 0) return 0;
  char* text = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(request->capacity) + 1));
  if (text == nullptr) return 0;
  exports->getDetectString(text, request->capacity);
  text[request->capacity] = 0;
  MultiByteToWideBounded(text, request->text, request->capacity, CP_ACP);
  FreeAndNull(&text);
  return 0;
}

INT_PTR Unload(PublishedPluginExports* exports) {
  if (exports->unloading != nullptr) {
    GuardedCall(0, [&] {
      exports->unloading();
      return 0;
    });
  }
  FreeAndNull(&exports);
  return 0;
}

INT_PTR Dispatch(int command, PublishedPluginExports* exports, void* parameter) {
  switch (command) {
    case kPluginStart:
      return reinterpret_cast<INT_PTR>(exports);
    case kPluginUnload:
      return Unload(exports);
    case kPluginDetectString:
      return ReadDetectString(exports, static_cast<PluginTextRequest*>(parameter));
    case kPluginFindField:
      return FindPluginField(exports, static_cast<PluginFieldQuery*>(parameter));
    case kPluginEnumFields:
      return EnumPluginFields(exports, static_cast<PluginFieldEnumRequest*>(parameter));
    case kPluginValue:
      return CallContentGetValue(exports, static_cast<PluginValueRequest*>(parameter));
    case kPluginHasSettings:
      return 0;
    case kPluginDescription: {
      const PluginTextRequest* request = static_cast<PluginTextRequest*>(parameter);
      GetUiText(kTextContentPlugins, request->text, request->capacity);
      return 0;
    }
    default:
      return kNotOffered;
  }
}

}  // namespace

PublishedPluginExports* LoadContentPluginExports(HMODULE library) {
  PublishedPluginExports found = {
      Export<ContentSetDefaultParamsFunction>(library, "ContentSetDefaultParams"),
      Export<ContentGetDetectStringFunction>(library, "ContentGetDetectString"),
      Export<ContentGetSupportedFieldFunction>(library, "ContentGetSupportedField"),
      Export<ContentGetValueFunction>(library, "ContentGetValue"),
      Export<ContentGetValueWFunction>(library, "ContentGetValueW"),
      Export<ContentPluginUnloadingFunction>(library, "ContentPluginUnloading"),
  };
  if (found.getSupportedField == nullptr || (found.getValue == nullptr && found.getValueW == nullptr)) return nullptr;
  PublishedPluginExports* exports = static_cast<PublishedPluginExports*>(AllocZeroed(sizeof found));
  if (exports == nullptr) return nullptr;
  *exports = found;
  if (exports->setDefaultParams != nullptr) CallSetDefaultParams(exports->setDefaultParams);
  return exports;
}

INT_PTR WINAPI PublishedPluginDispatch(int command, INT_PTR handle, void* parameter) {
  PublishedPluginExports* exports = reinterpret_cast<PublishedPluginExports*>(handle);
  if (exports == nullptr) return kAdapterFailed;
  return GuardedCall(kAdapterFailed, [&] { return Dispatch(command, exports, parameter); });
}
