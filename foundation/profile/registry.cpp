#include "foundation/profile/registry.h"

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/core/system_seams.h"
#include "foundation/text/text_encoding.h"

namespace {

constexpr int kNarrowNameCapacity = 1024;
constexpr int kNarrowTextCapacity = 2048;

// The text in the active code page, when converting it back gives exactly the same text.
bool LosslessNarrowForm(const wchar_t* text, char* narrow, int capacity) {
  wchar_t back[kNarrowTextCapacity];
  WideToMultiByteBounded(text, narrow, capacity, CP_ACP);
  MultiByteToWideBounded(narrow, back, kNarrowTextCapacity, CP_ACP);
  return wcscmp(back, text) == 0;
}

// A stored text need not end with a terminator; one is added when there is room for it.
LSTATUS TerminateStoredText(wchar_t* text, DWORD characters, int capacity) {
  if (characters > 0 && text[characters - 1] == 0) return ERROR_SUCCESS;
  if (characters >= static_cast<DWORD>(capacity)) return ERROR_MORE_DATA;
  text[characters] = 0;
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS ReadRegistryString(HKEY root, const wchar_t* subkey, const wchar_t* valueName, wchar_t* buffer,
                           int capacity) {
  if (!buffer || capacity <= 0) return ERROR_INVALID_PARAMETER;
  buffer[0] = 0;
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(root, subkey, 0, KEY_READ, &key);
  if (status != ERROR_SUCCESS) return status;
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>(capacity) * sizeof(wchar_t);
  status = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  RegCloseKey(key);
  if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) status = ERROR_INVALID_DATA;
  if (status == ERROR_SUCCESS) status = TerminateStoredText(buffer, bytes / sizeof(wchar_t), capacity);
  if (status != ERROR_SUCCESS) buffer[0] = 0;
  return status;
}

LSTATUS RegistrySetText(HKEY key, const wchar_t* valueName, const wchar_t* text) {
  if (!text) text = L"";
  const DWORD type = text[0] == L'%' ? REG_EXPAND_SZ : REG_SZ;
  const DWORD bytes = static_cast<DWORD>((WideLength(text) + 1) * sizeof(wchar_t));
  const LSTATUS status =
      g_systemSeams.regSetValueExW(key, valueName, 0, type, reinterpret_cast<const BYTE*>(text), bytes);
  if (status == ERROR_SUCCESS) return status;
  char name[kNarrowNameCapacity];
  char narrowText[kNarrowTextCapacity];
  if (valueName && !LosslessNarrowForm(valueName, name, kNarrowNameCapacity)) return status;
  if (!LosslessNarrowForm(text, narrowText, kNarrowTextCapacity)) return status;
  return g_systemSeams.regSetValueExA(key, valueName ? name : nullptr, 0, type,
                                      reinterpret_cast<const BYTE*>(narrowText),
                                      static_cast<DWORD>(NarrowLength(narrowText) + 1));
}

LSTATUS RegistryCreateKeyWithText(HKEY root, const wchar_t* subkey, const wchar_t* valueName, const wchar_t* text) {
  HKEY key = nullptr;
  LSTATUS status = g_systemSeams.regCreateKeyExW(root, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegistrySetText(key, valueName, text);
  RegCloseKey(key);
  return status;
}

LSTATUS RegistryDeleteKey(HKEY root, const wchar_t* subkey) { return g_systemSeams.regDeleteKeyW(root, subkey); }

LSTATUS RegistryDeleteValue(HKEY root, const wchar_t* subkey, const wchar_t* valueName) {
  HKEY key = nullptr;
  LSTATUS status = g_systemSeams.regOpenKeyExW(root, subkey, 0, KEY_WRITE, &key);
  if (status != ERROR_SUCCESS) return status;
  const wchar_t* name = valueName && valueName[0] ? valueName : nullptr;
  status = RegDeleteValueW(key, name);
  if (status != ERROR_SUCCESS) {
    char narrow[kNarrowNameCapacity];
    WideToMultiByteBounded(name ? name : L"", narrow, kNarrowNameCapacity, CP_ACP);
    if (RegDeleteValueA(key, name ? narrow : nullptr) == ERROR_SUCCESS) status = ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return status;
}
