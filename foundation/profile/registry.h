// Reading and writing text values of the registry.
#pragma once
#include <windows.h>

// Reads a text value (REG_SZ or REG_EXPAND_SZ, unexpanded) of `subkey` under `root` into `buffer`, which is
// cleared first and always ends terminated. The result is the system's error: 0, 2 for a missing key or
// value, 234 when the text does not fit, 13 for a value that is not text (the buffer stays empty on
// failure).
LSTATUS ReadRegistryString(HKEY root, const wchar_t* subkey, const wchar_t* valueName, wchar_t* buffer,
                           int capacity);

// Writes a text value of an open key: REG_EXPAND_SZ when the text begins with '%', else REG_SZ. When the
// system refuses the text, it is written once more in the active code page, but only when name and text
// survive that conversion unchanged; otherwise the first error is the result. 0 on success.
LSTATUS RegistrySetText(HKEY key, const wchar_t* valueName, const wchar_t* text);

// Creates (or opens) `subkey` under `root` for writing and sets one text value of it as RegistrySetText does
// (the default value when `valueName` is null). 0 or the system's error.
LSTATUS RegistryCreateKeyWithText(HKEY root, const wchar_t* subkey, const wchar_t* valueName, const wchar_t* text);

// Deletes a key that has no subkeys. 0 or the system's error.
LSTATUS RegistryDeleteKey(HKEY root, const wchar_t* subkey);

// Deletes one value (the default value when `valueName` is null or empty); when the wide call fails, once
// more with the name in the active code page (at most 1023 bytes). 0 or the system's first error.
LSTATUS RegistryDeleteValue(HKEY root, const wchar_t* subkey, const wchar_t* valueName);
