#include "metadata/plugin_host.h"

#include <cstring>
#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/pattern_list.h"
#include "foundation/text/text_encoding.h"
#include "foundation/files/system_errors.h"
#include "metadata/plugin_list.h"
#include "metadata/published_plugins.h"

namespace {

constexpr int kDetectTextCapacity = 1024;
constexpr int kPathCapacity = 1024;
constexpr int kErrorBadLibrary = 193;

// The slots never move, so a reader on another thread may index them while the GUI thread appends.
struct LoadedPlugins {
  PluginRecord* records[kMostLoadedPlugins];
  volatile LONG count;
};

LoadedPlugins* g_loadedPlugins = nullptr;
volatile LONG g_restartPending = 0;

INT_PTR CallPlugin(const PluginRecord* record, int command, void* parameter, INT_PTR failure) {
  if (record->dispatch == nullptr) return failure;
  return GuardedCall(failure, [&] { return record->dispatch(command, record->handle, parameter); },
                     {"plug-in", record->name});
}

// An ended plug-in whose record stays in its slot with its name, so that its index still names it.
bool IsDormant(const PluginRecord* record) { return record->dispatch == nullptr; }

bool IsPublished(const PluginRecord* record) { return record->dispatch == PublishedPluginDispatch; }

void FreeDetectInformation(PluginRecord* record) {
  FreeAndNull(&record->detectProgram);
  FreeAndNull(&record->detectText);
}

// Ends a plug-in (unload command, library, detect information); its record keeps only the name.
void EndPlugin(PluginRecord* record) {
  CallPlugin(record, kPluginUnload, nullptr, 0);
  if (record->module != nullptr) FreeLibrary(record->module);
  FreeDetectInformation(record);
  record->module = nullptr;
  record->dispatch = nullptr;
  record->handle = 0;
}

void ReleasePlugin(PluginRecord** slot) {
  if (*slot == nullptr) return;
  EndPlugin(*slot);
  FreeAndNull(slot);
}

void AskText(const PluginRecord* record, int command, wchar_t* text, int capacity) {
  text[0] = 0;
  PluginTextRequest request{text, capacity};
  CallPlugin(record, command, &request, -1);
  text[capacity - 1] = 0;
}

void CompileDetectText(PluginRecord* record, const wchar_t* detectText) {
  char narrow[kDetectTextCapacity];
  WideToMultiByteBounded(detectText, narrow, kDetectTextCapacity, CP_ACP);
  uint8_t program[kDetectTextCapacity];
  const int length = CompileDetectString(narrow, program, kDetectTextCapacity);
  if (length <= 0) return;
  record->detectProgram = static_cast<uint8_t*>(AllocZeroed(static_cast<uint32_t>(length) + 1));
  if (record->detectProgram != nullptr) memcpy(record->detectProgram, program, static_cast<size_t>(length));
}

void KeepDetectText(PluginRecord* record, const wchar_t* detectText) {
  const uint32_t length = static_cast<uint32_t>(WideLength(detectText));
  record->detectText = AllocZeroedWide(length + 1);
  if (record->detectText != nullptr) CopyWideString(detectText, record->detectText, static_cast<int>(length) + 1);
}

void SetUpDetectInformation(PluginRecord* record, const wchar_t* detectOverride) {
  wchar_t detectText[kDetectTextCapacity] = {};
  if (detectOverride != nullptr && detectOverride[0] != 0) {
    CopyWideString(detectOverride, detectText, kDetectTextCapacity);
  } else {
    AskText(record, kPluginDetectString, detectText, kDetectTextCapacity);
  }
  if (detectText[0] == 0) return;
  if (IsPublished(record)) {
    CompileDetectText(record, detectText);
  } else {
    KeepDetectText(record, detectText);
  }
}

// The library's dispatch function and handle: its own "pgnCont", or the adapter over its published exports.
bool FindDispatch(PluginRecord* record) {
  record->dispatch =
      reinterpret_cast<PluginDispatch>(reinterpret_cast<void*>(GetProcAddress(record->module, kOwnPluginExport)));
  if (record->dispatch != nullptr) return true;
  PublishedPluginExports* exports = LoadContentPluginExports(record->module);
  if (exports == nullptr) return false;
  record->dispatch = PublishedPluginDispatch;
  record->handle = reinterpret_cast<INT_PTR>(exports);
  return true;
}

// A new record for the library, started and with its detect information; null when it is no plug-in. The last
// error tells why a library could not be loaded.
PluginRecord* LoadContentPlugin(const wchar_t* name, const wchar_t* libraryPath, const wchar_t* detectOverride,
                                const wchar_t* initParameter) {
  if (libraryPath == nullptr || libraryPath[0] == 0) return nullptr;
  PluginRecord* record = static_cast<PluginRecord*>(AllocZeroed(sizeof(PluginRecord)));
  if (record == nullptr) return nullptr;
  wchar_t path[kPathCapacity];
  ExpandPathPlaceholders(libraryPath, path, kPathCapacity);
  record->module = LoadLibraryW(path);
  const DWORD error = record->module == nullptr ? GetLastError() : kErrorBadLibrary;
  if (record->module == nullptr || !FindDispatch(record)) {
    ReleasePlugin(&record);
    SetLastError(error);
    return nullptr;
  }
  const INT_PTR handle = CallPlugin(record, kPluginStart, const_cast<wchar_t*>(initParameter), 0);
  record->handle = handle;
  CopyWideString(name != nullptr ? name : L"", record->name, kPluginNameCapacity);
  SetUpDetectInformation(record, detectOverride);
  return record;
}

// A plug-in loaded again takes the slot its name had; a reader on another thread may still hold the ended
// record, which therefore goes later.
bool TakeDormantSlot(PluginRecord* record) {
  for (int i = 0; i < LoadedPluginCount(); ++i) {
    PluginRecord* dormant = g_loadedPlugins->records[i];
    if (!IsDormant(dormant) || wcscmp(dormant->name, record->name) != 0) continue;
    InterlockedExchangePointer(reinterpret_cast<void**>(&g_loadedPlugins->records[i]), record);
    FreeLater(dormant);
    return true;
  }
  return false;
}

bool AppendPlugin(PluginRecord* record) {
  if (g_loadedPlugins == nullptr) {
    g_loadedPlugins = static_cast<LoadedPlugins*>(AllocZeroed(sizeof(LoadedPlugins)));
  }
  if (g_loadedPlugins != nullptr && TakeDormantSlot(record)) return true;
  if (g_loadedPlugins == nullptr || g_loadedPlugins->count >= kMostLoadedPlugins) return false;
  g_loadedPlugins->records[g_loadedPlugins->count] = record;
  InterlockedIncrement(&g_loadedPlugins->count);
  return true;
}

// Every plug-in ended, then those still configured loaded again into their slots.
void RestartLoadedPlugins() {
  for (int i = 0; i < LoadedPluginCount(); ++i) EndPlugin(g_loadedPlugins->records[i]);
  for (int i = 0; i < LoadedPluginCount(); ++i) LoadConfiguredPlugins(g_loadedPlugins->records[i]->name);
}

void RunPendingRestart() {
  // Any job (a listing with its field values and preview, a rename run) may be inside a plug-in.
  if (g_restartPending != 0 && !IsJobBusy()) {
    InterlockedExchange(&g_restartPending, 0);
    RestartLoadedPlugins();
  }
}

struct ConfiguredLoad {
  const wchar_t* name;
};

int LoadConfiguredEntry(const PluginListEntry* entry, void* userData) {
  const ConfiguredLoad* load = static_cast<const ConfiguredLoad*>(userData);
  if (load->name != nullptr && !EqualsIgnoreCaseWide(entry->name, load->name)) return 0;
  if (FindPluginByName(entry->name, nullptr) == nullptr) {
    EnsureContentPluginLoaded(entry->name, entry->libraryPath, entry->detectString, entry->initParameter);
  }
  return load->name != nullptr ? 1 : 0;
}

void ReadFileStart(PluginFileDetails* details) {
  details->read = true;
  HANDLE file = INVALID_HANDLE_VALUE;
  if (OpenFileLong(details->path, &file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                   OPEN_EXISTING, 0) != 0) {
    return;
  }
  LARGE_INTEGER size = {};
  if (GetFileSizeEx(file, &size)) {
    details->fileSize = static_cast<uint64_t>(size.QuadPart);
    const uint32_t wanted = details->fileSize < kDetectDataBytes ? static_cast<uint32_t>(details->fileSize)
                                                                 : kDetectDataBytes;
    if (FileReadExactHandle(file, details->data, wanted) == 0) details->dataLength = wanted;
  }
  CloseHandle(file);
}

// A temporary load: started, asked, and always ended again.
template <typename Use>
bool WithTemporaryPlugin(const wchar_t* libraryPath, const wchar_t* initParameter, Use use) {
  PluginRecord* record = LoadContentPlugin(L"", libraryPath, L"", initParameter);
  if (record == nullptr) return false;
  use(record);
  ReleasePlugin(&record);
  return true;
}

}  // namespace

void PreparePluginFileDetails(PluginFileDetails* details, const wchar_t* path) {
  details->path = path;
  details->read = false;
  details->dataLength = 0;
  details->fileSize = 0;
  WideToMultiByteBounded(ExtensionPointer(path), details->extension, MAX_PATH, CP_ACP);
}

PluginRecord* FindPluginByName(const wchar_t* name, int* index) {
  const int count = LoadedPluginCount();
  for (int i = 0; name != nullptr && i < count; ++i) {
    PluginRecord* record = g_loadedPlugins->records[i];
    if (IsDormant(record) || wcscmp(record->name, name) != 0) continue;
    if (index != nullptr) *index = i;
    return record;
  }
  return nullptr;
}

PluginRecord* PluginAt(int index) {
  return index >= 0 && index < LoadedPluginCount() ? g_loadedPlugins->records[index] : nullptr;
}

int LoadedPluginCount() { return g_loadedPlugins != nullptr ? static_cast<int>(g_loadedPlugins->count) : 0; }

PluginRecord* EnsureContentPluginLoaded(const wchar_t* name, const wchar_t* libraryPath, const wchar_t* detectOverride,
                                        const wchar_t* initParameter) {
  RunPendingRestart();
  PluginRecord* record = FindPluginByName(name, nullptr);
  if (record != nullptr) return record;
  record = LoadContentPlugin(name, libraryPath, detectOverride, initParameter);
  if (record != nullptr && !AppendPlugin(record)) ReleasePlugin(&record);
  return record;
}

void LoadConfiguredPlugins(const wchar_t* name) {
  RunPendingRestart();
  ConfiguredLoad load{name};
  EnumeratePluginSection(LoadConfiguredEntry, &load);
}

PluginRecord* FindOrLoadPlugin(const wchar_t* name, int* index) {
  RunPendingRestart();
  PluginRecord* record = FindPluginByName(name, index);
  if (record != nullptr || name == nullptr || name[0] == 0) return record;
  LoadConfiguredPlugins(name);
  return FindPluginByName(name, index);
}

void UnloadAllPlugins() {
  if (g_loadedPlugins == nullptr) return;
  for (int i = 0; i < LoadedPluginCount(); ++i) ReleasePlugin(&g_loadedPlugins->records[i]);
  FreeAndNull(&g_loadedPlugins);
}

void RequestPluginRestart() {
  InterlockedExchange(&g_restartPending, 1);
  RunPendingRestart();
}

bool PluginAppliesToFile(const PluginRecord* record, PluginFileDetails* details) {
  if (record->detectText != nullptr) return MatchesPatternList(details->path, record->detectText) != 0;
  if (record->detectProgram == nullptr) return true;
  if (!details->read && DetectProgramReadsFile(record->detectProgram)) ReadFileStart(details);
  const DetectSubject subject{details->extension, details->data, details->dataLength, details->fileSize};
  return EvaluateDetectProgram(record->detectProgram, subject) != 0;
}

INT_PTR RequestPluginValue(const PluginRecord* record, const wchar_t* path, int fieldIndex, int unitIndex,
                           void* value, int valueSize) {
  PluginValueRequest request{path, fieldIndex, unitIndex, value, valueSize};
  return CallPlugin(record, kPluginValue, &request, -1);
}

INT_PTR QueryPluginField(const PluginRecord* record, PluginFieldQuery* query) {
  return CallPlugin(record, kPluginFindField, query, 0);
}

INT_PTR RequestPluginFields(const PluginRecord* record, PluginFieldCallback callback, void* userData) {
  PluginFieldEnumRequest request = {};
  CopyWideString(record->name, request.pluginName, kPluginNameCapacity);
  request.callback = callback;
  request.userData = userData;
  return CallPlugin(record, kPluginEnumFields, &request, -1);
}

int EnumeratePluginFields(const wchar_t* name, PluginFieldCallback callback, void* userData) {
  return GuardedCall(-1, [&] {
    const PluginRecord* record = FindOrLoadPlugin(name, nullptr);
    return record != nullptr ? static_cast<int>(RequestPluginFields(record, callback, userData)) : -1;
  });
}

int ProbePluginLibrary(const wchar_t* libraryPath, const wchar_t* initParameter, PluginProbe* probe) {
  probe->detectString[0] = 0;
  probe->nameSuggestion[0] = 0;
  SetLastError(0);
  const bool loaded = WithTemporaryPlugin(libraryPath, initParameter, [&](const PluginRecord* record) {
    AskText(record, kPluginDetectString, probe->detectString, kPluginParameterCapacity);
    AskText(record, kPluginNameSuggestion, probe->nameSuggestion, 128);
  });
  return loaded ? 0 : static_cast<int>(MapLastError(kErrorBadLibrary));
}

int GetPluginHasSettings(const wchar_t* libraryPath, const wchar_t* initParameter) {
  int answer = 0;
  WithTemporaryPlugin(libraryPath, initParameter, [&](const PluginRecord* record) {
    answer = static_cast<int>(CallPlugin(record, kPluginHasSettings, nullptr, 0));
  });
  return answer;
}

void ShowPluginSettings(const wchar_t* libraryPath, HWND parent, wchar_t* initParameter, int capacity) {
  WithTemporaryPlugin(libraryPath, initParameter, [&](const PluginRecord* record) {
    PluginSettingsRequest request{parent, initParameter, capacity};
    CallPlugin(record, kPluginSettings, &request, -1);
    initParameter[capacity - 1] = 0;
  });
}
