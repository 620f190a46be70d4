// The content-plug-in host: the list of loaded plug-ins and every call into them. A plug-in is a library of the
// program's own interface (export "pgnCont") or of the published content-plug-in interface (served through the
// adapter of metadata/published_plugins.h); either way the host speaks to it through one dispatch function.
//
// Plug-ins are loaded by name when a field reference, a field menu or the PgnCont module needs them, and stay
// loaded until the configuration changes or the program ends. A plug-in's position in the loaded list is its
// index, the source number of the field references to its fields; a name keeps its index for the whole run. The list never moves: value requests from the folder-listing thread read
// it while the GUI thread may append to it. Loading and unloading run on the GUI thread only, and unloading
// waits until no job that may be inside a plug-in is running.
//
// Every call into a plug-in runs inside the guard: a value request that fails gives -1, an enumeration ends,
// a load gives no record. Every call (a load included) runs on a thread of the host for that plug-in and is
// waited for at most kPluginAnswerMs (metadata/plugin_worker.h): a plug-in that does not answer in that time,
// or whose thread ends inside a call (a stack overflow), is not called, loaded or freed again in this process;
// its fields give no value, and the user is told once, with the library's path. A load that does not answer
// ends a program run at once (the system's loader may stay blocked by it); the user hears of it at the next
// start.
//
// A load of a configured plug-in is marked in the profile store while it is under way; a plug-in whose mark
// is still set at the next start (that run crashed or hung in it) is loaded again only when the user agrees.
#pragma once
#include <windows.h>

#include <cstdint>

#include "metadata/detect_strings.h"
#include "metadata/plugin_interface.h"

// Plug-in indexes go up to 2550 (larger source numbers belong to module fields).
constexpr int kMostLoadedPlugins = 2551;

#pragma pack(push, 1)
// One loaded plug-in.
struct PluginRecord {
  HMODULE module;
  PluginDispatch dispatch;
  INT_PTR handle;          // what the start command returned; for the adapter the library's exports
  uint8_t* detectProgram;  // published interface: the compiled detect string with its zero, or null
  wchar_t* detectText;     // own interface: the detect text (';'-separated masks), or null
  wchar_t name[kPluginNameCapacity];
};
#pragma pack(pop)
static_assert(sizeof(PluginRecord) == 168, "a plug-in record is 168 bytes");

// A file as a detect test sees it; its first bytes are read on the first test that needs them.
struct PluginFileDetails {
  const wchar_t* path;
  char extension[MAX_PATH];
  bool read;
  uint32_t dataLength;
  uint64_t fileSize;
  uint8_t data[kDetectDataBytes];
};

// Sets a details record up for a file.
void PreparePluginFileDetails(PluginFileDetails* details, const wchar_t* path);

// The loaded plug-in with that name (compared exactly) and its index; null when none is loaded.
PluginRecord* FindPluginByName(const wchar_t* name, int* index);
// The plug-in at an index; null for an index that holds none (an ended plug-in answers every request with its
// failure result).
PluginRecord* PluginAt(int index);
int LoadedPluginCount();

// The plug-in of that name when loaded, else the library loaded and appended under that name; null when it
// cannot be loaded.
PluginRecord* EnsureContentPluginLoaded(const wchar_t* name, const wchar_t* libraryPath, const wchar_t* detectOverride,
                                        const wchar_t* initParameter);
// Loads every enabled entry of section "pgnCont" that is not loaded yet; with a name only the entry whose name
// equals it ignoring case.
void LoadConfiguredPlugins(const wchar_t* name);
// The loaded plug-in of that name, loading the configured one first when needed.
PluginRecord* FindOrLoadPlugin(const wchar_t* name, int* index);

// Ends every plug-in (unload command, library freed); the list is empty afterwards.
void UnloadAllPlugins();
// After the configuration changed: ends every loaded plug-in and loads those still configured again into their
// old slots, so that field references keep naming the same plug-ins (a plug-in no longer configured keeps its
// slot without serving). While a job that may be inside a plug-in runs, this waits until the GUI thread next
// asks for a plug-in with no such job running.
void RequestPluginRestart();

// Whether the plug-in serves the file: a detect text (own interface) is a mask list for the path; a compiled
// detect program is run on the extension, first bytes and size; a plug-in without either serves every file.
bool PluginAppliesToFile(const PluginRecord* record, PluginFileDetails* details);
// Command 7: the field type, or a negative code (-1 when the plug-in failed).
INT_PTR RequestPluginValue(const PluginRecord* record, const wchar_t* path, int fieldIndex, int unitIndex,
                           void* value, int valueSize);
// Command 5: the 1-based field index, 0 when the plug-in has no such field.
INT_PTR QueryPluginField(const PluginRecord* record, PluginFieldQuery* query);
// Command 6 with the callback and user data.
INT_PTR RequestPluginFields(const PluginRecord* record, PluginFieldCallback callback, void* userData);
// The fields of the plug-in of that name (loaded when needed); -1 when there is no such plug-in.
int EnumeratePluginFields(const wchar_t* name, PluginFieldCallback callback, void* userData);

// At start-up, once per process, before anything may load a plug-in: every plug-in whose load did not finish
// in an earlier run is held back (not loaded).
void HoldBackUnfinishedPluginLoads();
// Then, once per process, the user is asked about each of them: one the user agrees to loses its mark and loads
// as usual; the others stay unloaded in this run and are asked about again at the next start.
void AskAboutHeldBackPlugins(HWND owner);
// True while a load (or free) of a library that did not answer has not come back: the system's loader may be
// blocked by it, so no library is loaded or freed meanwhile, and the process must end without waiting for the
// loader.
bool PluginLoaderBlocked();

// What a temporary load of a library tells: its detect string and name suggestion.
struct PluginProbe {
  wchar_t detectString[kPluginParameterCapacity];
  wchar_t nameSuggestion[128];
};
// Loads the library for a moment (start command with the init parameter, detect string, name suggestion,
// unload command). 0, or the load's error (193 when the library is no plug-in).
int ProbePluginLibrary(const wchar_t* libraryPath, const wchar_t* initParameter, PluginProbe* probe);
// The answer to command 10 of a temporary load; 0 when the library cannot be loaded.
int GetPluginHasSettings(const wchar_t* libraryPath, const wchar_t* initParameter);
// Shows the plug-in's settings dialog (command 11) during a temporary load; the init parameter may change.
void ShowPluginSettings(const wchar_t* libraryPath, HWND parent, wchar_t* initParameter, int capacity);
