// Libraries of the published content-plug-in interface. Such a library exports ContentGetSupportedField and
// ContentGetValueW or ContentGetValue, optionally ContentSetDefaultParams, ContentGetDetectString and
// ContentPluginUnloading. The host puts an adapter in front of it that answers the commands of the program's
// own interface (metadata/plugin_interface.h); the adapter's handle is the record of the library's exports.
//
// Every call into the library runs inside the guard: a value request that fails gives -1, an enumeration that
// fails ends, and any other failure inside the adapter gives -2.
#pragma once
#include <windows.h>

#include <cstdint>

#include "metadata/plugin_interface.h"

// The published entry points, as the interface describes them.
using ContentSetDefaultParamsFunction = void(WINAPI*)(struct ContentDefaultParams* params);
using ContentGetDetectStringFunction = void(WINAPI*)(char* text, int capacity);
using ContentGetSupportedFieldFunction = int(WINAPI*)(int fieldIndex, char* fieldName, char* units, int capacity);
using ContentGetValueFunction = int(WINAPI*)(char* path, int fieldIndex, int unitIndex, void* value, int size,
                                             int flags);
using ContentGetValueWFunction = int(WINAPI*)(wchar_t* path, int fieldIndex, int unitIndex, void* value, int size,
                                              int flags);
using ContentPluginUnloadingFunction = void(WINAPI*)();

// Fields a published library is asked for at most.
constexpr int kMostPublishedFields = 1000;

#pragma pack(push, 1)
// Handed once to ContentSetDefaultParams: the interface version 2.10 and the settings file "wdx.ini" in the
// maker's folder under the per-user application data.
struct ContentDefaultParams {
  int32_t size;
  int32_t versionLow;
  int32_t versionHigh;
  char settingsFile[MAX_PATH];
};

struct PublishedPluginExports {
  ContentSetDefaultParamsFunction setDefaultParams;
  ContentGetDetectStringFunction getDetectString;
  ContentGetSupportedFieldFunction getSupportedField;
  ContentGetValueFunction getValue;
  ContentGetValueWFunction getValueW;
  ContentPluginUnloadingFunction unloading;
};
#pragma pack(pop)
static_assert(sizeof(ContentDefaultParams) == 272, "the default parameters are 272 bytes");
static_assert(sizeof(PublishedPluginExports) == 48, "six entry points");

// The exports of a loaded library, with ContentSetDefaultParams already called; null when the library is no
// content plug-in (no ContentGetSupportedField, or neither value function).
PublishedPluginExports* LoadContentPluginExports(HMODULE library);

// The adapter: the dispatch function of every published library.
INT_PTR WINAPI PublishedPluginDispatch(int command, INT_PTR handle, void* parameter);
