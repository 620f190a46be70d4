// The configured content plug-ins: section "pgnCont" of the profile store, one value per plug-in named "1",
// "2", ... in list order. A value is 8-bit text of four ';'-separated items (quoted when they hold ';' or a
// double quote): the name; '+' (enabled) or '-' (disabled) directly followed by the library path, which may
// begin with a placeholder; the detect-string override; the init parameter. An entry without '+' or '-' is
// enabled.
#pragma once
#include <cstdint>
#include "foundation/files/paths.h"

constexpr char kPluginSection[] = "pgnCont";
constexpr int kPluginEntryNameCapacity = 64;
constexpr int kPluginTextCapacity = 512;
// Longest value text of one entry.
constexpr int kPluginValueCapacity = 8192;

#pragma pack(push, 1)
struct PluginListEntry {
  int32_t enabled;
  // The name in the first 64 characters; the second 64 get a copy when the section's entries are handed on.
  wchar_t name[2 * kPluginEntryNameCapacity];
  wchar_t libraryPath[kPathCapacity];
  wchar_t detectString[kPluginTextCapacity];
  wchar_t initParameter[kPluginTextCapacity];
};
#pragma pack(pop)
static_assert(sizeof(PluginListEntry) == 4356, "a plug-in list entry is 4356 bytes");

// Reads one value into a zeroed entry; false for a value without a name.
bool ParsePluginListValue(const char* value, PluginListEntry* entry);
// The value text of an entry; 0, or non-zero when it did not fit.
int FormatPluginListValue(const PluginListEntry* entry, char* text, int capacity);

// Gets each enabled entry of the section; a non-zero result stops the walk.
using PluginEntryCallback = int (*)(const PluginListEntry* entry, void* userData);
// Walks the section: the number of entries handed on, -1 when the walk failed.
int EnumeratePluginSection(PluginEntryCallback callback, void* userData);
