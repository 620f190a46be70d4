#include "metadata/plugin_host.h"

#include <cstring>
#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/core/threads.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/name_parts.h"
#include "foundation/text/pattern_list.h"
#include "foundation/text/text_encoding.h"
#include "foundation/files/system_errors.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_text_ids.h"
#include "metadata/plugin_list.h"
#include "metadata/plugin_loads.h"
#include "metadata/plugin_worker.h"
#include "metadata/published_plugins.h"

namespace {

constexpr int kDetectTextCapacity = 1024;
constexpr int kErrorBadLibrary = 193;
constexpr int kValuePathCapacity = 2048;
constexpr int kMostValueBytes = 4096;
constexpr int kCollectedNameCapacity = 128;
constexpr int kCollectedUnitsCapacity = 256;
constexpr int kMostHeldBack = 16;
constexpr int kMarkKeyCapacity = 256;
// How often a caller that waits for a plug-in's call slot looks whether the plug-in still answers.
constexpr DWORD kSlotLookMs = 50;
// Section of the profile store that names the plug-ins whose load is under way, so that a load that never
// came back (the program crashed or hung in it) is known at the next start.
constexpr char kLoadingSection[] = "pgnContLoading";

// One field of an enumeration, kept until the caller's callback gets it on the caller's thread.
struct CollectedField {
  int32_t type;
  bool hasUnits;
  wchar_t name[kCollectedNameCapacity];
  wchar_t displayName[kCollectedNameCapacity];
  char units[kCollectedUnitsCapacity];
};

// One value of a batch as the plug-in's thread works on it: copies of what the caller asked, and the answer.
struct BatchValue {
  int32_t fieldIndex;
  int32_t unitIndex;
  int32_t valueSize;
  uint32_t faults;  // caught by the guards on the plug-in's thread during the call
  INT_PTR answer;
  wchar_t path[kValuePathCapacity];
  uint8_t value[kMostValueBytes + 4];
};

// A plug-in as the host keeps it: the record (first, so that a record's address is the block's), the worker
// that runs its calls, and the copies a call works on. A call that is left behind writes only into this
// block, which is never freed once its worker is stuck.
struct HostedPlugin {
  PluginRecord record;
  PluginWorker* worker;
  // The call slot: taken (1) by the call under way, whose copies these are.
  volatile LONG callTaken;
  volatile LONG slotWaiters;
  HANDLE slotGiven;  // set when the slot is given back while someone waits for it
  // A call of the window's thread was passed over and answered late: the window's thread waits in full.
  volatile LONG answersLate;
  HostedPlugin* nextStuck;
  bool stuckInLoader;                  // it stopped answering while loading or freeing its library
  volatile LONG loaderLeft;            // that load or free came back after all
  wchar_t libraryPath[kPathCapacity];  // placeholders expanded
  // The pending call.
  int command;
  void* parameter;
  INT_PTR failure;
  INT_PTR result;
  uint32_t faults;  // caught by the guards on the plug-in's thread during the call
  DWORD loadError;
  wchar_t text[kDetectTextCapacity];
  PluginTextRequest textRequest;
  PluginFieldQuery query;
  PluginFieldEnumRequest enumRequest;
  RecordBuffer fields;
  // The pending batch of values.
  BatchValue* batch;
  int batchRoom;
  volatile LONG batchCount;
  volatile LONG batchFilled;  // items the caller has filled, which the plug-in's thread may work on
  ULONGLONG batchPostedAt;
};

// The slots never move, so a reader on another thread may index them while the owner appends.
struct LoadedPlugins {
  PluginRecord* records[kMostLoadedPlugins];
  volatile LONG count;
};

LoadedPlugins* g_loadedPlugins = nullptr;
volatile LONG g_restartPending = 0;

// Ended records replaced in their slots while a job was busy, which may still read them: the owner's, freed
// once no job is busy.
struct RetiredRecord {
  RetiredRecord* next;
  PluginRecord* record;
};
RetiredRecord* g_retiredRecords = nullptr;

// How a plug-in stopped answering.
enum StuckKind {
  kStuckInCall,       // a call: the user is told
  kStuckLoaderFree,   // a load or free that does not come back while the loader is free: the user is told
  kStuckLoaderHeld,   // a load or free that holds the loader: the run ends
};

// Plug-ins that did not answer: never called, loaded or freed again in this process.
SRWLOCK g_stuckLock = SRWLOCK_INIT;
HostedPlugin* g_stuckPlugins = nullptr;

// Plug-ins whose load did not finish in an earlier run: not loaded in this one unless the user agrees.
struct HeldBackPlugins {
  bool held;
  bool asked;
  int count;
  char keys[kMostHeldBack][kMarkKeyCapacity];
  wchar_t paths[kMostHeldBack][kPathCapacity];
  bool consented[kMostHeldBack];
};
HeldBackPlugins g_heldBack;

HostedPlugin* Hosted(const PluginRecord* record) {
  return reinterpret_cast<HostedPlugin*>(const_cast<PluginRecord*>(record));
}

bool IsStuck(const PluginRecord* record) {
  const HostedPlugin* hosted = Hosted(record);
  return hosted->worker == nullptr || IsPluginWorkerStuck(hosted->worker);
}

bool IsStuckLibrary(const wchar_t* path) {
  AcquireSRWLockShared(&g_stuckLock);
  const HostedPlugin* stuck = g_stuckPlugins;
  while (stuck != nullptr && !EqualsIgnoreCaseWide(stuck->libraryPath, path)) stuck = stuck->nextStuck;
  ReleaseSRWLockShared(&g_stuckLock);
  return stuck != nullptr;
}

// Runs work() on the owner of the loaded list (the main window's thread; here when there is none).
template <typename Work>
void OnListOwner(Work work) {
  RunOnGuiThread(
      [](void* argument) -> LRESULT {
        (*static_cast<Work*>(argument))();
        return 0;
      },
      &work);
}

// Posted to the main window's message loop, where no caller holds a plug-in and no worker thread waits for
// the user; without a main window it runs at once.
void RunFromWindowLoop(GuiThreadFunction function, void* argument) {
  if (!PostToGuiThread(function, argument)) function(argument);
}

LRESULT ShowNotAnswering(void* argument) {
  const HostedPlugin* hosted = static_cast<const HostedPlugin*>(argument);
  ShowMessageWithPath(nullptr, kTextPluginNotAnswering, nullptr, hosted->libraryPath, nullptr, MB_OK | MB_ICONWARNING);
  return 0;
}

LRESULT TellPassedOverAnswered(void*) {
  if (g_pluginNotices.passedOverAnswered != nullptr) g_pluginNotices.passedOverAnswered();
  return 0;
}

// The block of a plug-in that stopped answering stays for the rest of the process, and the user hears of it
// once (of a load that holds the loader, at the next start).
void MarkNotAnswering(HostedPlugin* hosted, StuckKind kind) {
  MarkPluginWorkerStuck(hosted->worker);
  AcquireSRWLockExclusive(&g_stuckLock);
  hosted->stuckInLoader = kind != kStuckInCall;
  hosted->nextStuck = g_stuckPlugins;
  g_stuckPlugins = hosted;
  ReleaseSRWLockExclusive(&g_stuckLock);
  if (kind == kStuckLoaderHeld) {
    EndRunAfterBlockedLoad();
  } else {
    RunFromWindowLoop(ShowNotAnswering, hosted);
  }
}

// Runs a task on the plug-in's worker within the bound; false when it did not answer (now or before).
bool RunBounded(HostedPlugin* hosted, void (*task)(void* context)) {
  if (IsStuck(&hosted->record)) return false;
  if (RunOnPluginWorker(hosted->worker, task, hosted) == kPluginAnswered) return true;
  MarkNotAnswering(hosted, kStuckInCall);
  return false;
}

// A load or free of the plug-in's library on its worker; false when it did not come back (now or before).
bool RunLoaderTask(HostedPlugin* hosted, void (*task)(void* context), const wchar_t* name) {
  if (IsStuck(&hosted->record)) return false;
  const LoadOutcome outcome = RunLoadOnPluginWorker(hosted->worker, task, hosted, name);
  if (outcome == kLoadAnswered) return true;
  MarkNotAnswering(hosted, outcome == kLoadNotAnswering ? kStuckLoaderFree : kStuckLoaderHeld);
  return false;
}

void DispatchTask(void* context) {
  HostedPlugin* hosted = static_cast<HostedPlugin*>(context);
  const PluginRecord& record = hosted->record;
  const uint32_t before = CaughtFaultCountOnThisThread();
  hosted->result = GuardedCall(
      hosted->failure, [&] { return record.dispatch(hosted->command, record.handle, hosted->parameter); },
      {"plug-in", record.name});
  hosted->faults = CaughtFaultCountOnThisThread() - before;
}

// A fault inside the plug-in counts on the caller's thread too: a step that called it has failed.
void PassOnFaults(const HostedPlugin* hosted, uint32_t faults) {
  if (faults != 0) RecordFaultOfCallElsewhere(std::source_location::current(), {"plug-in", hosted->record.name});
}

// Sends a command whose parameter lies in the block; the caller holds the block's call slot.
INT_PTR DispatchBounded(HostedPlugin* hosted, int command, void* parameter, INT_PTR failure) {
  if (hosted->record.dispatch == nullptr) return failure;
  hosted->command = command;
  hosted->parameter = parameter;
  hosted->failure = failure;
  if (!RunBounded(hosted, DispatchTask)) return failure;
  PassOnFaults(hosted, hosted->faults);
  return hosted->result;
}

// Takes the plug-in's call slot: false when the plug-in does not answer. Unless `waits`, false at once while
// another call holds it.
bool TakeCallSlot(HostedPlugin* hosted, bool waits) {
  for (;;) {
    if (IsStuck(&hosted->record)) return false;
    if (InterlockedCompareExchange(&hosted->callTaken, 1, 0) == 0) return true;
    if (!waits) return false;
    InterlockedIncrement(&hosted->slotWaiters);
    if (hosted->callTaken != 0) WaitForSingleObject(hosted->slotGiven, kSlotLookMs);
    InterlockedDecrement(&hosted->slotWaiters);
  }
}

void GiveCallSlot(HostedPlugin* hosted) {
  InterlockedExchange(&hosted->callTaken, 0);
  if (hosted->slotWaiters != 0) SetEvent(hosted->slotGiven);
}

// One call at a time per plug-in: the block's copies belong to the call under way. `failure` when the
// plug-in does not answer. The caller's memory is read and written inside a guard of its own, so that a fault
// there never leaves the slot taken.
template <typename Call>
INT_PTR WithCallLock(const PluginRecord* record, INT_PTR failure, Call call) {
  HostedPlugin* hosted = Hosted(record);
  if (!TakeCallSlot(hosted, true)) return failure;
  const INT_PTR result = GuardedCall(failure, [&] { return call(hosted); }, {"plug-in", record->name});
  GiveCallSlot(hosted);
  return result;
}

INT_PTR CallPlugin(const PluginRecord* record, int command, void* parameter, INT_PTR failure) {
  return WithCallLock(record, failure,
                      [&](HostedPlugin* hosted) { return DispatchBounded(hosted, command, parameter, failure); });
}
// The plug-in's thread works through the batch while the caller still fills it, so that the caller's copies
// cost a pass little time beside the plug-in's own.
void ValueBatchTask(void* context) {
  HostedPlugin* hosted = static_cast<HostedPlugin*>(context);
  const PluginRecord& record = hosted->record;
  for (int i = 0; i < hosted->batchCount; ++i) {
    while (i >= hosted->batchFilled && i < hosted->batchCount) YieldProcessor();
    if (i >= hosted->batchCount) break;
    BatchValue& value = hosted->batch[i];
    PluginValueRequest request = {value.path, value.fieldIndex, value.unitIndex, value.value, value.valueSize};
    const uint32_t before = CaughtFaultCountOnThisThread();
    value.answer = GuardedCall<INT_PTR>(
        -1, [&] { return record.dispatch(kPluginValue, record.handle, &request); }, {"plug-in", record.name});
    value.faults = CaughtFaultCountOnThisThread() - before;
    SignPluginTaskAlive(hosted->worker);
  }
}

// Room in the block for `count` values; false without memory.
bool MakeBatchRoom(HostedPlugin* hosted, int count) {
  if (count <= hosted->batchRoom) return true;
  FreeAndNull(&hosted->batch);
  hosted->batchRoom = 0;
  hosted->batch = static_cast<BatchValue*>(AllocZeroed(static_cast<uint32_t>(count * sizeof(BatchValue))));
  if (hosted->batch == nullptr) return false;
  hosted->batchRoom = count;
  return true;
}

// Copies the items into the block's batch, each handed to the plug-in's thread as soon as it is there.
bool FillBatch(HostedPlugin* hosted, const PluginValueItem* items, int count) {
  for (int i = 0; i < count; ++i) {
    BatchValue& value = hosted->batch[i];
    const int size = items[i].valueSize < kMostValueBytes ? items[i].valueSize : kMostValueBytes;
    value.fieldIndex = items[i].fieldIndex;
    value.unitIndex = items[i].unitIndex;
    value.valueSize = size > 0 ? size : 0;
    value.faults = 0;
    CopyWideString(items[i].path, value.path, kValuePathCapacity);
    memset(value.value, 0, static_cast<size_t>(value.valueSize) + 4);
    InterlockedExchange(&hosted->batchFilled, i + 1);
  }
  return true;
}

// The bytes of an answer's value the caller's zeroed buffer takes: none without a value, a number's eight, or a
// text's whole buffer.
size_t AnswerBytes(const BatchValue& value) {
  if (value.answer <= 0 || value.valueSize <= 0) return 0;
  const INT_PTR type = value.answer;
  const bool number = (type >= kFieldInteger && type <= kFieldBoolean) || type == kFieldFileTime;
  return number && value.valueSize > 8 ? 8 : static_cast<size_t>(value.valueSize);
}

void TakeBatchAnswer(const HostedPlugin* hosted, PluginValueItem* item, int i) {
  const BatchValue& value = hosted->batch[i];
  item->answer = value.answer;
  memcpy(item->value, value.value, AnswerBytes(value));
  PassOnFaults(hosted, value.faults);
}

// On a thread of the system's pool: waits out the bound of a batch the window's thread passed over. A plug-in
// that answers gets its slot back and is waited for in full on the window's thread from then on, and the shell
// hears that the values can be had.
DWORD WINAPI DecidePassedOverBatch(void* parameter) {
  HostedPlugin* hosted = static_cast<HostedPlugin*>(parameter);
  if (WaitForPluginTaskInBound(hosted->worker, hosted->batchPostedAt) != kPluginAnswered) {
    MarkNotAnswering(hosted, kStuckInCall);
    return 0;
  }
  InterlockedExchange(&hosted->answersLate, 1);
  GiveCallSlot(hosted);
  RunFromWindowLoop(TellPassedOverAnswered, nullptr);
  return 0;
}

// Hands an empty batch of `count` values to the plug-in's worker, to be filled.
void PostValueBatch(HostedPlugin* hosted, int count) {
  hosted->batchCount = count;
  hosted->batchFilled = 0;
  hosted->batchPostedAt = PluginClockNow();
  PostPluginTask(hosted->worker, ValueBatchTask, hosted);
}

// Waits for the posted batch: the window's thread waits kWindowValueWaitMs and then passes over
// (kPluginStillBusy: the slot is the host's until it has decided), unless the plug-in answered late before.
PluginCallOutcome WaitForValueBatch(HostedPlugin* hosted) {
  PluginCallOutcome outcome = kPluginStillBusy;
  if (OnGuiThread()) {
    outcome = WaitForPluginTask(hosted->worker, kWindowValueWaitMs, false);
    if (outcome == kPluginAnswered) InterlockedExchange(&hosted->answersLate, 0);
    if (outcome == kPluginStillBusy && hosted->answersLate == 0) {
      if (!QueueUserWorkItem(DecidePassedOverBatch, hosted, WT_EXECUTELONGFUNCTION)) DecidePassedOverBatch(hosted);
      return kPluginStillBusy;
    }
  }
  if (outcome == kPluginStillBusy) outcome = WaitForPluginTaskInBound(hosted->worker, hosted->batchPostedAt);
  if (outcome != kPluginAnswered) MarkNotAnswering(hosted, kStuckInCall);
  return outcome;
}

// One crossing with up to kMostBatchValues items; false when the plug-in did not answer or was passed over (the
// answers taken before stay). The caller's items are read and written inside guards of their own, as in
// WithCallLock; a fill cut short by a fault there ends the batch where the fill stopped.
bool AskValueBatch(HostedPlugin* hosted, PluginValueItem* items, int count) {
  if (hosted->record.dispatch == nullptr || !TakeCallSlot(hosted, !OnGuiThread())) return false;
  if (!MakeBatchRoom(hosted, count)) {
    GiveCallSlot(hosted);
    return false;
  }
  const GuardSubject subject{"plug-in", hosted->record.name};
  PostValueBatch(hosted, count);
  const bool filled = GuardedCall(false, [&] { return FillBatch(hosted, items, count); }, subject);
  if (!filled) InterlockedExchange(&hosted->batchCount, hosted->batchFilled);
  if (WaitForValueBatch(hosted) != kPluginAnswered) return false;
  const bool taken = GuardedCall(false, [&] {
    for (int i = 0; i < hosted->batchCount; ++i) TakeBatchAnswer(hosted, &items[i], i);
    return true;
  }, subject);
  GiveCallSlot(hosted);
  return filled && taken;
}
// An ended plug-in whose record stays in its slot with its name, so that its index still names it.
bool IsDormant(const PluginRecord* record) { return record->dispatch == nullptr; }

bool IsPublished(const PluginRecord* record) { return record->dispatch == PublishedPluginDispatch; }

void FreeDetectInformation(PluginRecord* record) {
  FreeAndNull(&record->detectProgram);
  FreeAndNull(&record->detectText);
}

void FreeLibraryTask(void* context) {
  HostedPlugin* hosted = static_cast<HostedPlugin*>(context);
  GuardedCall(0, [&] { return FreeLibrary(hosted->record.module); });
  hosted->record.module = nullptr;
  InterlockedExchange(&hosted->loaderLeft, 1);
}

// The name a load or free is shown under: the plug-in's, or for a temporary load the library's file name.
const wchar_t* ShownName(const HostedPlugin* hosted, const wchar_t* name) {
  return name != nullptr && name[0] != 0 ? name : hosted->libraryPath + FileNameOffset(hosted->libraryPath);
}

// Ends a plug-in (unload command, library, detect information); its record keeps only the name. A plug-in that
// does not answer is left as it is: its thread may still be inside the library.
void EndPlugin(PluginRecord* record) {
  if (record->module != nullptr && !IsStuck(record)) {
    CallPlugin(record, kPluginUnload, nullptr, 0);
    HostedPlugin* hosted = Hosted(record);
    if (!IsStuck(record) && !PluginLoaderBlocked()) {
      RunLoaderTask(hosted, FreeLibraryTask, ShownName(hosted, record->name));
    }
  }
  if (record->module != nullptr) return;
  FreeDetectInformation(record);
  record->dispatch = nullptr;
  record->handle = 0;
}

// Frees a record that no call holds, with its worker.
void FreeRecord(PluginRecord* record) {
  HostedPlugin* hosted = Hosted(record);
  ReleasePluginWorker(hosted->worker);
  RecordBufferDestroy(&hosted->fields);
  CloseHandle(hosted->slotGiven);
  FreeAndNull(&hosted->batch);
  FreeAndNull(&hosted);
}

// Ends and frees a record and its worker; the block of a plug-in that does not answer stays where its thread can
// reach it.
void ReleasePlugin(PluginRecord** slot) {
  if (*slot == nullptr) return;
  const HostedPlugin* hosted = Hosted(*slot);
  EndPlugin(*slot);
  const bool threadInside = hosted->worker != nullptr && IsPluginWorkerStuck(hosted->worker);
  if ((*slot)->module == nullptr && !threadInside) FreeRecord(*slot);
  *slot = nullptr;
}

void AskText(const PluginRecord* record, int command, wchar_t* text, int capacity) {
  text[0] = 0;
  WithCallLock(record, 0, [&](HostedPlugin* hosted) {
    hosted->text[0] = 0;
    hosted->textRequest = {hosted->text, capacity < kDetectTextCapacity ? capacity : kDetectTextCapacity};
    DispatchBounded(hosted, command, &hosted->textRequest, -1);
    if (IsStuck(record)) return 0;
    hosted->text[kDetectTextCapacity - 1] = 0;
    CopyWideString(hosted->text, text, capacity);
    return 0;
  });
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

void MarkKey(const wchar_t* name, char* key) { WideToMultiByteBounded(name, key, kMarkKeyCapacity, CP_UTF8); }

// The mark reaches the file before the library loads, so that it outlives a load that never comes back. A
// temporary load (without a name) is marked under the library's file name, so that the next start can say
// what ended the program.
void SetLoadMark(const wchar_t* name, const wchar_t* path, bool set) {
  char key[kMarkKeyCapacity];
  MarkKey(name != nullptr && name[0] != 0 ? name : path + FileNameOffset(path), key);
  if (set) {
    ProfileSetPath(&g_settingsStore, kLoadingSection, key, path);
  } else {
    ProfileDeleteKey(&g_settingsStore, kLoadingSection, key);
  }
  ProfileSave(&g_settingsStore);
}

bool IsHeldBack(const wchar_t* name) {
  if (name == nullptr) return false;
  char key[kMarkKeyCapacity];
  MarkKey(name, key);
  for (int i = 0; i < g_heldBack.count; ++i) {
    if (!g_heldBack.consented[i] && strcmp(g_heldBack.keys[i], key) == 0) return true;
  }
  return false;
}

HostedPlugin* NewHostedPlugin(const wchar_t* libraryPath) {
  HostedPlugin* hosted = static_cast<HostedPlugin*>(AllocZeroed(sizeof(HostedPlugin)));
  if (hosted == nullptr) return nullptr;
  hosted->slotGiven = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  RecordBufferInit(&hosted->fields, true);
  ExpandPathPlaceholders(libraryPath, hosted->libraryPath, kPathCapacity);
  if (hosted->slotGiven != nullptr) hosted->worker = CreatePluginWorker();
  return hosted;
}

void LoadLibraryTask(void* context) {
  HostedPlugin* hosted = static_cast<HostedPlugin*>(context);
  PluginRecord* record = &hosted->record;
  GuardedCall(0, [&] {
    record->module = LoadLibraryW(hosted->libraryPath);
    hosted->loadError = record->module == nullptr ? GetLastError() : kErrorBadLibrary;
    if (record->module != nullptr && !FindDispatch(record)) {
      FreeLibrary(record->module);
      record->module = nullptr;
    }
    return 0;
  });
  InterlockedExchange(&hosted->loaderLeft, 1);
}

INT_PTR StartPlugin(const PluginRecord* record, const wchar_t* initParameter) {
  return WithCallLock(record, 0, [&](HostedPlugin* hosted) {
    CopyWideString(initParameter != nullptr ? initParameter : L"", hosted->text, kDetectTextCapacity);
    return DispatchBounded(hosted, kPluginStart, initParameter != nullptr ? hosted->text : nullptr, 0);
  });
}

// A new record for the library, started and with its detect information; null when it is no plug-in or did
// not answer (a plug-in that did not answer keeps its block and is refused from then on). The last error tells
// why a library could not be loaded.
PluginRecord* LoadContentPlugin(const wchar_t* name, const wchar_t* libraryPath, const wchar_t* detectOverride,
                                const wchar_t* initParameter) {
  if (libraryPath == nullptr || libraryPath[0] == 0 || PluginLoaderBlocked()) return nullptr;
  HostedPlugin* hosted = NewHostedPlugin(libraryPath);
  if (hosted == nullptr) return nullptr;
  PluginRecord* record = &hosted->record;
  if (hosted->worker == nullptr || IsStuckLibrary(hosted->libraryPath)) {
    ReleasePlugin(&record);
    SetLastError(ERROR_TIMEOUT);
    return nullptr;
  }
  SetLoadMark(name, libraryPath, true);
  if (!RunLoaderTask(hosted, LoadLibraryTask, ShownName(hosted, name))) return nullptr;
  if (record->module == nullptr) {
    const DWORD error = hosted->loadError;
    ReleasePlugin(&record);
    SetLoadMark(name, libraryPath, false);
    SetLastError(error);
    return nullptr;
  }
  record->handle = StartPlugin(record, initParameter);
  CopyWideString(name != nullptr ? name : L"", record->name, kPluginNameCapacity);
  SetUpDetectInformation(record, detectOverride);
  if (IsStuck(record)) return nullptr;
  SetLoadMark(name, libraryPath, false);
  return record;
}

// Frees the ended records replaced in their slots once no job, which may still read them, is busy.
void FreeRetiredRecords() {
  if (IsJobBusy()) return;
  while (g_retiredRecords != nullptr) {
    RetiredRecord* retired = g_retiredRecords;
    g_retiredRecords = retired->next;
    FreeRecord(retired->record);
    FreeAndNull(&retired);
  }
}

// An ended record replaced in its slot: a busy job may still read it.
void RetireRecord(PluginRecord* record) {
  RetiredRecord* retired = static_cast<RetiredRecord*>(AllocZeroed(sizeof(RetiredRecord)));
  if (retired == nullptr) return;
  *retired = {g_retiredRecords, record};
  g_retiredRecords = retired;
  FreeRetiredRecords();
}

// A plug-in loaded again takes the slot its name had.
bool TakeDormantSlot(PluginRecord* record) {
  for (int i = 0; i < LoadedPluginCount(); ++i) {
    PluginRecord* dormant = g_loadedPlugins->records[i];
    if (!IsDormant(dormant) || wcscmp(dormant->name, record->name) != 0) continue;
    InterlockedExchangePointer(reinterpret_cast<void**>(&g_loadedPlugins->records[i]), record);
    RetireRecord(dormant);
    return true;
  }
  return false;
}

// The record is complete before its slot holds it, and in its slot before the count shows it.
bool AppendPlugin(PluginRecord* record) {
  if (g_loadedPlugins == nullptr) {
    g_loadedPlugins = static_cast<LoadedPlugins*>(AllocZeroed(sizeof(LoadedPlugins)));
  }
  if (g_loadedPlugins != nullptr && TakeDormantSlot(record)) return true;
  if (g_loadedPlugins == nullptr || g_loadedPlugins->count >= kMostLoadedPlugins) return false;
  InterlockedExchangePointer(reinterpret_cast<void**>(&g_loadedPlugins->records[g_loadedPlugins->count]), record);
  InterlockedIncrement(&g_loadedPlugins->count);
  return true;
}

// Every plug-in ended, then those still configured loaded again into their slots.
void RestartLoadedPlugins() {
  for (int i = 0; i < LoadedPluginCount(); ++i) EndPlugin(g_loadedPlugins->records[i]);
  for (int i = 0; i < LoadedPluginCount(); ++i) LoadConfiguredPlugins(g_loadedPlugins->records[i]->name);
}

void RunPendingRestart() {
  FreeRetiredRecords();
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

int CollectField(int fieldType, const PluginFieldEnumRequest*, const wchar_t* name, const wchar_t* displayName,
                 const char* units, void* userData) {
  HostedPlugin* hosted = static_cast<HostedPlugin*>(userData);
  CollectedField field = {};
  field.type = fieldType;
  CopyWideString(name != nullptr ? name : L"", field.name, kCollectedNameCapacity);
  CopyWideString(displayName != nullptr ? displayName : field.name, field.displayName, kCollectedNameCapacity);
  field.hasUnits = units != nullptr;
  if (units != nullptr) CopyNarrowBounded(units, field.units, kCollectedUnitsCapacity);
  return RecordBufferAppend(&hosted->fields, &field, sizeof field) != 0 ? 1 : 0;
}

int HoldBackUnfinishedLoad(const char* key, const char* value, void*) {
  if (g_heldBack.count >= kMostHeldBack) return 1;
  CopyNarrowBounded(key, g_heldBack.keys[g_heldBack.count], kMarkKeyCapacity);
  ProfileDecodeValue(&g_settingsStore, value, g_heldBack.paths[g_heldBack.count], kPathCapacity);
  ++g_heldBack.count;
  return 0;
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

PluginNotices g_pluginNotices;

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
  PluginRecord* record = nullptr;
  OnListOwner([&] {
    RunPendingRestart();
    record = FindPluginByName(name, nullptr);
    if (record != nullptr || IsHeldBack(name)) return;
    record = LoadContentPlugin(name, libraryPath, detectOverride, initParameter);
    // While the load ran, the owner may have handled a load of the same plug-in that another thread sent.
    PluginRecord* meanwhile = FindPluginByName(name, nullptr);
    if (record != nullptr && (meanwhile != nullptr || !AppendPlugin(record))) ReleasePlugin(&record);
    if (meanwhile != nullptr) record = meanwhile;
  });
  return record;
}

void LoadConfiguredPlugins(const wchar_t* name) {
  OnListOwner([&] {
    RunPendingRestart();
    ConfiguredLoad load{name};
    EnumeratePluginSection(LoadConfiguredEntry, &load);
  });
}

PluginRecord* FindOrLoadPlugin(const wchar_t* name, int* index) {
  PluginRecord* record = nullptr;
  OnListOwner([&] {
    RunPendingRestart();
    record = FindPluginByName(name, index);
    if (record != nullptr || name == nullptr || name[0] == 0) return;
    LoadConfiguredPlugins(name);
    record = FindPluginByName(name, index);
  });
  return record;
}

void UnloadAllPlugins() {
  OnListOwner([] {
    g_heldBack = {};
    FreeRetiredRecords();
    if (g_loadedPlugins == nullptr) return;
    for (int i = 0; i < LoadedPluginCount(); ++i) ReleasePlugin(&g_loadedPlugins->records[i]);
    FreeAndNull(&g_loadedPlugins);
  });
}

void RequestPluginRestart() {
  InterlockedExchange(&g_restartPending, 1);
  OnListOwner(RunPendingRestart);
}

bool PluginAppliesToFile(const PluginRecord* record, PluginFileDetails* details) {
  if (record->detectText != nullptr) return MatchesPatternList(details->path, record->detectText) != 0;
  if (record->detectProgram == nullptr) return true;
  if (!details->read && DetectProgramReadsFile(record->detectProgram)) ReadFileStart(details);
  const DetectSubject subject{details->extension, details->data, details->dataLength, details->fileSize};
  return EvaluateDetectProgram(record->detectProgram, subject) != 0;
}

void RequestPluginValues(const PluginRecord* record, PluginValueItem* items, int count) {
  for (int i = 0; i < count; ++i) items[i].answer = -1;
  HostedPlugin* hosted = Hosted(record);
  for (int first = 0; first < count; first += kMostBatchValues) {
    const int size = count - first < kMostBatchValues ? count - first : kMostBatchValues;
    if (!AskValueBatch(hosted, items + first, size)) return;
  }
}

INT_PTR RequestPluginValue(const PluginRecord* record, const wchar_t* path, int fieldIndex, int unitIndex,
                           void* value, int valueSize) {
  PluginValueItem item = {path, fieldIndex, unitIndex, value, valueSize, -1};
  RequestPluginValues(record, &item, 1);
  return item.answer;
}

INT_PTR QueryPluginField(const PluginRecord* record, PluginFieldQuery* query) {
  return WithCallLock(record, 0, [&](HostedPlugin* hosted) {
    hosted->query = *query;
    const INT_PTR answer = DispatchBounded(hosted, kPluginFindField, &hosted->query, 0);
    if (!IsStuck(record)) *query = hosted->query;
    return answer;
  });
}

INT_PTR RequestPluginFields(const PluginRecord* record, PluginFieldCallback callback, void* userData) {
  PluginFieldEnumRequest request = {};
  CopyWideString(record->name, request.pluginName, kPluginNameCapacity);
  request.callback = callback;
  request.userData = userData;
  uint32_t count = 0;
  CollectedField* fields = nullptr;
  const INT_PTR answer = WithCallLock(record, -1, [&](HostedPlugin* hosted) {
    RecordBufferReset(&hosted->fields);
    hosted->enumRequest = request;
    hosted->enumRequest.callback = CollectField;
    hosted->enumRequest.userData = hosted;
    const INT_PTR result = DispatchBounded(hosted, kPluginEnumFields, &hosted->enumRequest, -1);
    if (IsStuck(record)) return result;
    count = RecordBufferCount(&hosted->fields);
    fields = static_cast<CollectedField*>(RecordBufferCopyOut(&hosted->fields));
    return result;
  });
  // The caller's callback runs on the caller's thread, once the plug-in has listed its fields.
  GuardedCall(0, [&] {
    for (uint32_t i = 0; fields != nullptr && i < count; ++i) {
      const CollectedField& field = fields[i];
      if (callback(field.type, &request, field.name, field.displayName, field.hasUnits ? field.units : nullptr,
                   userData) != 0) {
        break;
      }
    }
    return 0;
  });
  FreeAndNull(&fields);
  return answer;
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
    // The plug-in's dialog waits for the user, so it runs on this thread without a bound.
    PluginSettingsRequest request{parent, initParameter, capacity};
    if (!IsStuck(record)) {
      GuardedCall<INT_PTR>(-1, [&] { return record->dispatch(kPluginSettings, record->handle, &request); });
    }
    initParameter[capacity - 1] = 0;
  });
}

void HoldBackUnfinishedPluginLoads() {
  if (g_heldBack.held) return;
  g_heldBack.held = true;
  ProfileEnumSection(&g_settingsStore, kLoadingSection, HoldBackUnfinishedLoad, nullptr);
}

void AskAboutHeldBackPlugins(HWND owner) {
  if (g_heldBack.asked) return;
  g_heldBack.asked = true;
  bool consented = false;
  for (int i = 0; i < g_heldBack.count; ++i) {
    if (ShowMessageWithPath(owner, kTextPluginLoadUnfinished, nullptr, g_heldBack.paths[i], nullptr,
                            MB_YESNO | MB_ICONWARNING) != IDYES) {
      continue;
    }
    g_heldBack.consented[i] = true;
    ProfileDeleteKey(&g_settingsStore, kLoadingSection, g_heldBack.keys[i]);
    consented = true;
  }
  if (consented) ProfileSave(&g_settingsStore);
}

bool PluginLoaderBlocked() {
  AcquireSRWLockShared(&g_stuckLock);
  const HostedPlugin* stuck = g_stuckPlugins;
  while (stuck != nullptr && !(stuck->stuckInLoader && stuck->loaderLeft == 0)) stuck = stuck->nextStuck;
  ReleaseSRWLockShared(&g_stuckLock);
  return stuck != nullptr;
}
