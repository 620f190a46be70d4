// The interface between the program and a content plug-in, as the program's own plug-ins implement it: one
// exported function "pgnCont" that takes a command number, the plug-in handle and a parameter record. Libraries
// of the published content-plug-in interface are served through an adapter with the same signature
// (metadata/published_plugins.h), so the host talks to every plug-in in this one way.
//
// Handles and results are pointer-sized: the handle a plug-in returns from its start command may be a pointer
// anywhere in the 64-bit address space.
#pragma once
#include <windows.h>

#include <cstdint>

// The dispatch function: the own interface's export "pgnCont", or the adapter of a published library.
using PluginDispatch = INT_PTR(WINAPI*)(int command, INT_PTR handle, void* parameter);
constexpr char kOwnPluginExport[] = "pgnCont";

// Commands and their parameter records.
enum PluginCommand : int {
  kPluginStart = 1,         // const wchar_t* init parameter; the result is the handle to keep
  kPluginUnload = 2,        // no parameter
  kPluginDetectString = 3,  // PluginTextRequest
  kPluginNameSuggestion = 4,  // PluginTextRequest
  kPluginFindField = 5,     // PluginFieldQuery; 1-based field index, 0 when not found
  kPluginEnumFields = 6,    // PluginFieldEnumRequest
  kPluginValue = 7,         // PluginValueRequest; the field type, or a negative code
  kPluginHasSettings = 10,  // no parameter; above 0 when the plug-in has a settings dialog
  kPluginSettings = 11,     // PluginSettingsRequest
  kPluginDescription = 15,  // PluginTextRequest
};

// Field types: the numbering of the published interface, plus the wide text of a module field.
enum FieldType : int {
  kFieldNone = 0,
  kFieldInteger = 1,
  kFieldInteger64 = 2,
  kFieldFloating = 3,
  kFieldDate = 4,  // packed day | month << 5 | year << 9
  kFieldTime = 5,  // packed second | minute << 6 | hour << 12
  kFieldBoolean = 6,
  kFieldMultipleChoice = 7,
  kFieldText = 8,
  kFieldFullText = 9,
  kFieldFileTime = 10,
  kFieldWideText = 11,
  kFieldModuleText = 15,
  kFieldHidden = 100,
};

constexpr int kPluginFieldNameCapacity = 81;
constexpr int kPluginUnitsCapacity = 41;
// The units of one field as the plug-in lists them, separated by '|'.
constexpr int kPluginUnitsListCapacity = 1024;
constexpr int kPluginNameCapacity = 64;
constexpr int kPluginParameterCapacity = 512;

#pragma pack(push, 1)
struct PluginTextRequest {
  wchar_t* text;
  int32_t capacity;  // characters
};

struct PluginFieldQuery {
  int32_t fieldIndex;                         // out: the plug-in's 0-based index
  int32_t fieldType;                          // out
  wchar_t fieldName[kPluginFieldNameCapacity];  // in
  wchar_t units[kPluginUnitsCapacity];        // out: '|'-separated
};

struct PluginFieldEnumRequest;
// Gets each field: its type, the request, the field name twice (name and display name), the units
// ('|'-separated 8-bit text, null when there are none) and the user data. Non-zero ends the enumeration.
using PluginFieldCallback = int (*)(int fieldType, const PluginFieldEnumRequest* request, const wchar_t* name,
                                    const wchar_t* displayName, const char* units, void* userData);
struct PluginFieldEnumRequest {
  wchar_t pluginName[82];
  PluginFieldCallback callback;
  void* userData;
};

struct PluginValueRequest {
  const wchar_t* path;
  int32_t fieldIndex;
  int32_t unitIndex;
  void* value;
  int32_t valueSize;  // bytes
};

struct PluginSettingsRequest {
  HWND parent;
  wchar_t* parameter;
  int32_t capacity;  // characters
};
#pragma pack(pop)

static_assert(sizeof(PluginFieldQuery) == 252, "a field query is 252 bytes");
