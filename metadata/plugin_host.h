// The content-plug-in host: the list of loaded plug-ins and every call into them. A plug-in is a library of the
// program's own interface (export "pgnCont") or of the published content-plug-in interface (served through the
// adapter of metadata/published_plugins.h); either way the host speaks to it through one dispatch function.
//
// Plug-ins are loaded by name when a field reference, a field menu or the PgnCont module needs them, and stay
// loaded until the configuration changes or the program ends. A plug-in's position in the loaded list is its
// index, the source number of the field references to its fields; a name keeps its index for the whole run.
//
// Every call into a plug-in runs inside the guard: a value request that fails gives -1, an enumeration ends,
// a load gives no record. Every call (a load included) runs on a thread of the host for that plug-in. A call
// is waited for at most kPluginAnswerMs (metadata/plugin_worker.h), a batch of values that long for each value:
// a plug-in that does not answer in that time, or whose thread ends inside a call (a stack overflow), is not
// called, loaded or freed again in this process; its fields give no value, and the user is told once, with the
// library's path. The window's thread waits for values only kWindowValueWaitMs: a value that takes longer is
// passed over (the step goes on without it) while the host waits out the bound on another thread; a plug-in
// that then answers after all is waited for in full from then on, and the shell hears of it (PluginNotices) so
// that the preview can ask again.
//
// A load (or free) of a library may take much longer than a call, since it happens once:
// metadata/plugin_loads.h says how it is waited for, and when it ends the program run.
//
// A load of a configured plug-in is marked in the profile store while it is under way; a plug-in whose mark
// is still set at the next start (that run crashed or hung in it) is loaded again only when the user agrees.
//
// Threads and what they share:
// - The loaded list (its slots and count) belongs to the main window's thread, or to the calling thread while
//   there is no main window: only this owner loads, appends, ends, replaces and frees plug-ins, and the
//   functions below that may load or end one are sent to it from other threads. Other threads (a busy job's
//   worker asking for values) read the list without a lock: its slots never move, and a record is in its slot
//   before the count shows it.
// - A record's fields are written by the owner before the record is listed, and cleared again (an ended
//   plug-in) only while no job is busy. An ended record replaced in its slot (its plug-in loaded again) may
//   still be read by a job that was busy then; the owner frees it once no job is busy.
// - The copies a call works on belong to the call under way: one call at a time per plug-in, given back by its
//   caller when the call has answered, or by the host when a call the window's thread passed over has.
// - A batch of values is filled by its caller while the plug-in's thread works through it: the count filled is
//   an interlocked word the caller raises after each value and the plug-in's thread waits on; the thread reads
//   a value only below it and the caller reads the answers only once the batch has answered.
// - Whether a plug-in answered late on the window's thread is set by the host's decision and read and cleared by
//   the window's thread, as one interlocked word.
// - The list of plug-ins that stopped answering is under its own lock; its blocks are never freed.
// - The plug-ins held back at start-up are the owner's; a restart is asked for on any thread (an interlocked
//   word) and run by the owner; the notices are filled by the shell before the first run and only read after.
#pragma once
#include <windows.h>

#include <cstdint>

#include "metadata/detect_strings.h"
#include "metadata/plugin_interface.h"

// Plug-in indexes go up to 2550 (larger source numbers belong to module fields).
constexpr int kMostLoadedPlugins = 2551;
// How long the window's thread waits for the values it asked a plug-in for before it passes over them.
constexpr DWORD kWindowValueWaitMs = 200;

// What the host tells the shell. The shell fills the table once; an entry left empty does nothing.
struct PluginNotices {
  // A load or free of the library of plug-in `name` runs past kPluginAnswerMs; on the loading thread.
  void (*loadRunsLong)(const wchar_t* name);
  // That load or free has ended; on the loading thread.
  void (*longLoadEnded)();
  // Values the window's thread passed over can now be had; on the main window's thread.
  void (*passedOverAnswered)();
};
extern PluginNotices g_pluginNotices;

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
// slot without serving). While a job that may be inside a plug-in runs, this waits until the owner next asks
// for a plug-in with no such job running.
void RequestPluginRestart();

// Whether the plug-in serves the file: a detect text (own interface) is a mask list for the path; a compiled
// detect program is run on the extension, first bytes and size; a plug-in without either serves every file.
bool PluginAppliesToFile(const PluginRecord* record, PluginFileDetails* details);
constexpr int kMostBatchValues = 128;
// One value of a batch: the file, field and unit in; command 7's answer (the field type, or a negative code:
// -1 when the plug-in failed, did not answer or was passed over) and the value (`valueSize` bytes of the
// caller's zeroed buffer) out.
struct PluginValueItem {
  const wchar_t* path;
  int fieldIndex;
  int unitIndex;
  void* value;
  int valueSize;
  INT_PTR answer;
};
// Command 7 for each item, in order, handed to the plug-in's thread in one crossing (for larger batches, one
// per kMostBatchValues items); the bound applies to each value.
void RequestPluginValues(const PluginRecord* record, PluginValueItem* items, int count);
// Command 7 for one value: the field type, or a negative code.
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
