// A stand-in for the rename modules' fields while a test runs: fifteen modules, of which module 14 ("EXIF")
// offers Width (integer 640), Size (an integer it never has) and Text (the wide text "module text").
#pragma once
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "metadata/module_field_source.h"

constexpr uint32_t kFakeModule = 14;

class ModuleFieldFake {
 public:
  ModuleFieldFake() : previous_(g_moduleFieldSource) {
    g_moduleFieldSource = {EnumerateFields, CopyKeyName, FieldValue};
  }
  ~ModuleFieldFake() { g_moduleFieldSource = previous_; }
  ModuleFieldFake(const ModuleFieldFake&) = delete;
  ModuleFieldFake& operator=(const ModuleFieldFake&) = delete;

 private:
  static int EnumerateFields(uint32_t module, ModuleFieldVisitor visitor, void* userData) {
    if (module != kFakeModule) return 0;
    if (visitor(L"Width", L"Picture width", 0, 1, userData) == 0 && visitor(L"Size", L"Size", 1, 1, userData) == 0) {
      visitor(L"Text", L"Text", 2, 15, userData);
    }
    return 1;
  }
  static int CopyKeyName(uint32_t module, wchar_t* text, int capacity) {
    if (module > kFakeModule) return 0;
    wcsncat(text, module == kFakeModule ? L"EXIF" : L"Other", static_cast<size_t>(capacity) - wcslen(text) - 1);
    return 1;
  }
  static int FieldValue(uint32_t module, const void*, int field, void* out, int outSize) {
    if (module != kFakeModule || outSize < 32) return 0;
    if (field == 0) {
      const int32_t width = 640;
      memcpy(out, &width, sizeof width);
      return 1;
    }
    if (field == 2) {
      wcscpy(static_cast<wchar_t*>(out), L"module text");
      return 15;
    }
    return 0;
  }

  ModuleFieldSource previous_;
};
