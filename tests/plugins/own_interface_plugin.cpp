// A content plug-in of the program's own interface (the single export "pgnCont"), built for the tests of the
// plug-in host. Its handle is a block that VirtualAlloc places at the top of the address space, above 4 GB, so
// that a host that keeps handles in 32 bits fails; OwnPluginSeenHandle tells which handle each command got.
// It offers the fields Title (wide text) and Length (integer), the detect masks "*.txt;*.log", the name
// suggestion "OwnTest", and a settings dialog that appends "+set" to the init parameter.
#include <windows.h>

#include <cstdint>

#include "metadata/plugin_interface.h"

namespace {

struct OwnField {
  const wchar_t* name;
  int type;
};
constexpr OwnField kFields[] = {{L"Title", kFieldWideText}, {L"Length", kFieldInteger}};
constexpr int kFieldCount = 2;
constexpr int kMostCommand = 16;

INT_PTR g_seen[kMostCommand];

const wchar_t* FileName(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* at = path; *at != 0; ++at) {
    if (*at == L'\\' || *at == L'/') name = at + 1;
  }
  return name;
}

INT_PTR Start(const wchar_t* parameter) {
  void* block = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE);
  if (block != nullptr && parameter != nullptr) lstrcpynW(static_cast<wchar_t*>(block), parameter, 1024);
  return reinterpret_cast<INT_PTR>(block);
}

INT_PTR Text(void* parameter, const wchar_t* text) {
  PluginTextRequest* request = static_cast<PluginTextRequest*>(parameter);
  lstrcpynW(request->text, text, request->capacity);
  return 0;
}

INT_PTR FindField(PluginFieldQuery* query) {
  for (int i = 0; i < kFieldCount; ++i) {
    if (lstrcmpiW(query->fieldName, kFields[i].name) != 0) continue;
    query->fieldIndex = i;
    query->fieldType = kFields[i].type;
    query->units[0] = 0;
    return i + 1;
  }
  return 0;
}

INT_PTR EnumFields(const PluginFieldEnumRequest* request) {
  for (const OwnField& field : kFields) {
    if (request->callback(field.type, request, field.name, field.name, nullptr, request->userData) != 0) break;
  }
  return 0;
}

INT_PTR Value(const PluginValueRequest* request) {
  const wchar_t* name = FileName(request->path);
  if (request->fieldIndex == 0) {
    lstrcpynW(static_cast<wchar_t*>(request->value), name, request->valueSize / 2);
    return kFieldWideText;
  }
  *static_cast<int32_t*>(request->value) = lstrlenW(name);
  return kFieldInteger;
}

INT_PTR Settings(const PluginSettingsRequest* request) {
  lstrcatW(request->parameter, L"+set");
  return 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) INT_PTR WINAPI OwnPluginSeenHandle(int command) {
  return command >= 0 && command < kMostCommand ? g_seen[command] : 0;
}

__declspec(dllexport) INT_PTR WINAPI pgnCont(int command, INT_PTR handle, void* parameter) {
  if (command >= 0 && command < kMostCommand) g_seen[command] = handle;
  switch (command) {
    case kPluginStart:
      return Start(static_cast<const wchar_t*>(parameter));
    case kPluginUnload:
      VirtualFree(reinterpret_cast<void*>(handle), 0, MEM_RELEASE);
      return 0;
    case kPluginDetectString:
      return Text(parameter, L"*.txt;*.log");
    case kPluginNameSuggestion:
      return Text(parameter, L"OwnTest");
    case kPluginFindField:
      return FindField(static_cast<PluginFieldQuery*>(parameter));
    case kPluginEnumFields:
      return EnumFields(static_cast<const PluginFieldEnumRequest*>(parameter));
    case kPluginValue:
      return Value(static_cast<const PluginValueRequest*>(parameter));
    case kPluginHasSettings:
      return 1;
    case kPluginSettings:
      return Settings(static_cast<const PluginSettingsRequest*>(parameter));
    default:
      return -1;
  }
}
}
