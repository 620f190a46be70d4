#include "metadata/module_field_source.h"

#include "foundation/core/guard.h"

ModuleFieldSource g_moduleFieldSource;

int EnumerateModuleFieldsGuarded(uint32_t module, ModuleFieldVisitor visitor, void* userData) {
  if (g_moduleFieldSource.enumerateFields == nullptr) return 0;
  return GuardedCall(0, [&] { return g_moduleFieldSource.enumerateFields(module, visitor, userData); });
}

bool GetModuleKeyName(uint32_t module, wchar_t* text, int capacity) {
  if (capacity <= 0) return false;
  text[0] = 0;
  if (g_moduleFieldSource.copyKeyName == nullptr) return false;
  return GuardedCall(0, [&] { return g_moduleFieldSource.copyKeyName(module, text, capacity); }) != 0;
}

int GetModuleFieldValueGuarded(uint32_t module, const void* context, int fieldNumber, void* out, int outSize) {
  if (g_moduleFieldSource.fieldValue == nullptr) return 0;
  return GuardedCall(-1, [&] { return g_moduleFieldSource.fieldValue(module, context, fieldNumber, out, outSize); });
}
