// The fields of the rename modules, as field references reach them. The modules live above this folder: the
// program installs their field functions here at start; until then, and in programs without modules, no
// module offers fields. Each call runs inside the guard.
#pragma once
#include <cstdint>

// Gets each field of a module: its name, display name, number within the module and type; non-zero stops.
using ModuleFieldVisitor = int (*)(const wchar_t* fieldName, const wchar_t* displayName, int fieldNumber,
                                   int fieldType, void* userData);

struct ModuleFieldSource {
  // 1 when the module has fields to list (and listed them), else 0.
  int (*enumerateFields)(uint32_t module, ModuleFieldVisitor visitor, void* userData);
  // Appends the module's key name: 1, or 0 past the last module.
  int (*copyKeyName)(uint32_t module, wchar_t* text, int capacity);
  // A field value of a file (context: its full path); the low byte of the result is the value's type, 0 none.
  int (*fieldValue)(uint32_t module, const void* context, int fieldNumber, void* out, int outSize);
};

extern ModuleFieldSource g_moduleFieldSource;

// Module indexes with fields start here, so a module field's source number (module x 256) is above every
// plug-in index.
constexpr int kFirstModuleSource = 2551;
inline bool IsModuleSource(int source) { return source >= kFirstModuleSource; }

int EnumerateModuleFieldsGuarded(uint32_t module, ModuleFieldVisitor visitor, void* userData);
// A module's key name ("Case", "PgnCont"), terminator included.
constexpr int kModuleKeyCapacity = 64;
// The key name of a module into `text`; false past the last module.
bool GetModuleKeyName(uint32_t module, wchar_t* text, int capacity);
// -1 when the module failed.
int GetModuleFieldValueGuarded(uint32_t module, const void* context, int fieldNumber, void* out, int outSize);
