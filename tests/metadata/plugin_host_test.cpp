// The content-plug-in host against the test plug-ins built beside the tests: which configured entries load,
// which libraries count as plug-ins, what the host hands a published library and gets back from it, handles of
// the own interface above 4 GB, failures inside a plug-in, unloading while a job runs, the loaded list's one
// owner thread, and when a replaced record is freed.
#include "metadata/plugin_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/core/memory.h"
#include "main_window_stand_in.h"
#include "metadata/field_values.h"
#include "metadata/published_plugins.h"
#include "tests/metadata/plugin_scope.h"
#include "support/caught_faults.h"
#include "support/lock_after_fault.h"

namespace {

using SetFault = int(WINAPI*)(int);
using UnloadCount = int(WINAPI*)();
using DefaultParamsOf = const ContentDefaultParams*(WINAPI*)();
using SeenHandle = INT_PTR(WINAPI*)(int);

int CountField(int, const PluginFieldEnumRequest*, const wchar_t*, const wchar_t*, const char*, void* userData) {
  ++*static_cast<int*>(userData);
  return 0;
}

// The value of a field of plug-in 0 for a file: its type, and the first bytes as a number.
int ValueOf(const std::wstring& path, int field, int unit, uint64_t* number = nullptr) {
  uint8_t buffer[kFieldValueBufferBytes] = {};
  const int type = GetFieldValueForFile(0, path.c_str(), field, unit, buffer, kFieldValueBytes);
  if (number != nullptr) memcpy(number, buffer, sizeof *number);
  return type;
}

using SetValueHook = void(WINAPI*)(void (*)());
constexpr DWORD kThreadEndWaitMs = 10000;

// The thread the test plug-in's last value call ran on.
DWORD g_valueThread = 0;
void RecordValueThread() { g_valueThread = GetCurrentThreadId(); }

int FieldIndexOf(const wchar_t* name) {
  PluginFieldQuery query = {};
  wcscpy(query.fieldName, name);
  return static_cast<int>(QueryPluginField(PluginAt(0), &query)) - 1;
}

}  // namespace

TEST(PluginHost, LoadsTheEnabledEntriesOfTheSection) {
  const struct {
    const char* sign;
    bool loads;
  } cases[] = {{"-", false}, {"+", true}, {"", true}};
  for (const auto& c : cases) {
    PluginScope scope({PluginValue("Other", kOwnPlugin), PluginValue("Test", kPublishedPlugin, c.sign)});
    LoadConfiguredPlugins(L"test");
    EXPECT_EQ(FindPluginByName(L"Test", nullptr) != nullptr, c.loads) << "sign '" << c.sign << "'";
    EXPECT_EQ(FindPluginByName(L"Other", nullptr), nullptr) << "only the entry named is loaded";
  }
}

TEST(PluginHost, TakesLibrariesWithAFieldListAndAValueFunction) {
  const struct {
    const wchar_t* library;
    bool accepted;
  } cases[] = {{kFieldlessPlugin, false}, {kNarrowPlugin, true}, {kPublishedPlugin, true}, {kOwnPlugin, true},
               {L"missing.wdx64", false}};
  for (const auto& c : cases) {
    PluginScope scope;
    const PluginRecord* record = EnsureContentPluginLoaded(L"P", TestPluginPath(c.library).c_str(), L"", L"");
    EXPECT_EQ(record != nullptr, c.accepted) << NarrowText(c.library);
    EXPECT_EQ(LoadedPluginCount(), c.accepted ? 1 : 0);
  }
}

TEST(PluginHost, HandsThePublishedLibraryItsDefaultsAndPacksDatesAndTimes) {
  TestLibrary library(kPublishedPlugin);
  ASSERT_TRUE(library.Loaded());
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ASSERT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr);
  const ContentDefaultParams* params = library.Export<DefaultParamsOf>("TestPluginDefaultParams")();
  EXPECT_EQ(params->size, 272);
  EXPECT_EQ(params->versionLow, 10);
  EXPECT_EQ(params->versionHigh, 2);
  const std::string file = params->settingsFile;
  EXPECT_EQ(file.substr(file.size() - 8), "\\wdx.ini");

  const std::wstring text = scope.File(L"note.txt");
  const std::wstring binary = scope.File(L"data.bin");
  const struct {
    const wchar_t* field;
    const std::wstring& path;
    int type;
    uint32_t value;
  } cases[] = {
      {L"Date", text, kFieldDate, 29 | 2 << 5 | 2024 << 9},
      {L"Time", text, kFieldTime, 13 << 12 | 5 << 6 | 9},
      {L"Date", binary, 0, 0},
  };
  for (const auto& c : cases) {
    uint64_t number = 0;
    EXPECT_EQ(ValueOf(c.path, FieldIndexOf(c.field), 0, &number), c.type) << NarrowText(c.path);
    EXPECT_EQ(static_cast<uint32_t>(number), c.value);
  }
}

TEST(PluginHost, AsksALibraryWithoutTheWideValueFunctionThroughTheNarrowOne) {
  PluginScope scope({PluginValue("Narrow", kNarrowPlugin)});
  ASSERT_NE(FindOrLoadPlugin(L"Narrow", nullptr), nullptr);
  uint8_t buffer[kFieldValueBufferBytes] = {};
  const std::wstring path = scope.File(L"seven.txt", "1234567");
  ASSERT_EQ(GetFieldValueForFile(0, path.c_str(), FieldIndexOf(L"Name"), 0, buffer, kFieldValueBytes), kFieldText);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "seven.txt");
}

TEST(PluginHost, KeepsTheOwnInterfacesHandleWholeAboveFourGigabytes) {
  TestLibrary library(kOwnPlugin);
  ASSERT_TRUE(library.Loaded());
  const SeenHandle seen = library.Export<SeenHandle>("OwnPluginSeenHandle");
  INT_PTR handle = 0;
  {
    PluginScope scope({PluginValue("Own", kOwnPlugin)});
    const PluginRecord* record = FindOrLoadPlugin(L"Own", nullptr);
    ASSERT_NE(record, nullptr);
    handle = record->handle;
    if (static_cast<uint64_t>(handle) <= 0xFFFFFFFFull) GTEST_SKIP() << "the system gave no block above 4 GB";
    const int length = FieldIndexOf(L"Length");
    uint64_t number = 0;
    EXPECT_EQ(ValueOf(scope.File(L"abc.txt"), length, 0, &number), kFieldInteger);
    EXPECT_EQ(static_cast<uint32_t>(number), 7u);
    EXPECT_EQ(ValueOf(scope.File(L"abc.doc"), length, 0), 0) << "the detect masks leave .doc files out";
    EXPECT_EQ(seen(kPluginFindField), handle);
    EXPECT_EQ(seen(kPluginValue), handle);
  }
  EXPECT_EQ(seen(kPluginUnload), handle);
}

TEST(PluginHost, OffersAtMostAThousandFields) {
  PluginScope scope({PluginValue("Many", kManyFieldsPlugin)});
  int fields = 0;
  EXPECT_GE(EnumeratePluginFields(L"Many", CountField, &fields), 0);
  EXPECT_EQ(fields, kMostPublishedFields);
  EXPECT_EQ(FieldIndexOf(L"F999"), 999);
  EXPECT_EQ(FieldIndexOf(L"F1000"), -1);
  EXPECT_EQ(EnumeratePluginFields(L"Absent", CountField, &fields), -1);
}

TEST(PluginHost, AFailureInsideAPluginCostsOnlyThatValue) {
  ExpectCaughtFaults();
  TestLibrary library(kPublishedPlugin);
  const SetFault setFault = library.Export<SetFault>("TestPluginSetFault");
  ASSERT_NE(setFault, nullptr);
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ASSERT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr);
  const std::wstring path = scope.File(L"a.txt", "12345");
  const int size = FieldIndexOf(L"Size");
  const struct {
    int fault;
    const char* what;
  } cases[] = {{1, "null dereference"}, {2, "division by zero"}, {3, "C++ throw"}};
  for (const auto& c : cases) {
    setFault(c.fault);
    EXPECT_EQ(ValueOf(path, size, 0), -1) << c.what;
    setFault(0);
    uint64_t number = 0;
    EXPECT_EQ(ValueOf(path, size, 0, &number), kFieldInteger64) << "after a " << c.what;
    EXPECT_EQ(number, 5u);
  }
}

// A value buffer the caller hands over that cannot be written faults inside the call, while the plug-in's call
// lock is held; the caller's guard takes the fault and lets go of the lock with it.
TEST(PluginHost, AFaultInsideACallLeavesThePluginToTheNextCall) {
  ExpectCaughtFaults();
  auto* scope = new PluginScope({PluginValue("Test", kPublishedPlugin)});
  const PluginRecord* record = FindOrLoadPlugin(L"Test", nullptr);
  ASSERT_NE(record, nullptr);
  const std::wstring path = scope->File(L"a.txt", "12345");
  const int size = FieldIndexOf(L"Size");
  const bool nextCallAnswered = NextUserAfterCaughtFault(
      [&] { RequestPluginValue(record, path.c_str(), size, 0, InaccessibleMemory(), sizeof(uint64_t)); },
      [&] {
        uint64_t number = 0;
        return RequestPluginValue(record, path.c_str(), size, 0, &number, sizeof number) == kFieldInteger64 &&
               number == 5;
      });
  // A plug-in whose lock stayed held cannot be ended: its scope is left as it is.
  ASSERT_TRUE(nextCallAnswered);
  delete scope;
}

TEST(PluginHost, ARestartWaitsForTheRunningJob) {
  TestLibrary library(kPublishedPlugin);
  const UnloadCount unloads = library.Export<UnloadCount>("TestPluginUnloadCount");
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ASSERT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr);
  const int before = unloads();
  scope.state_->busyCounter = 1;
  RequestPluginRestart();
  EXPECT_EQ(unloads(), before);
  EXPECT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr) << "still busy: the loaded plug-in serves";
  EXPECT_EQ(unloads(), before);
  scope.state_->busyCounter = 0;
  EXPECT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr) << "the next use after the job restarts it";
  EXPECT_EQ(unloads(), before + 1);
  EXPECT_EQ(LoadedPluginCount(), 1);
}

TEST(PluginHost, APluginKeepsItsIndexThroughRestarts) {
  PluginScope scope({PluginValue("Own", kOwnPlugin), PluginValue("Test", kPublishedPlugin)});
  ASSERT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr);
  ASSERT_NE(FindOrLoadPlugin(L"Own", nullptr), nullptr);
  const std::wstring path = scope.File(L"kept.txt", "abc");
  const struct {
    std::vector<std::string> section;
    int ownIndex;  // -1: not loaded
    int ownValue;  // type of Own's Length for the file at index 1
  } steps[] = {
      {{PluginValue("Own", kOwnPlugin), PluginValue("Test", kPublishedPlugin)}, 1, kFieldInteger},
      {{PluginValue("Test", kPublishedPlugin)}, -1, -1},
      {{PluginValue("Test", kPublishedPlugin), PluginValue("Own", kOwnPlugin)}, 1, kFieldInteger},
  };
  for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
    scope.Configure(steps[i].section);
    RequestPluginRestart();
    FindOrLoadPlugin(L"Own", nullptr);
    int index = -1;
    EXPECT_NE(FindPluginByName(L"Test", &index), nullptr) << "step " << i;
    EXPECT_EQ(index, 0);
    index = -1;
    FindPluginByName(L"Own", &index);
    EXPECT_EQ(index, steps[i].ownIndex) << "step " << i;
    uint8_t buffer[kFieldValueBufferBytes] = {};
    EXPECT_EQ(GetFieldValueForFile(1, path.c_str(), 1, 0, buffer, kFieldValueBytes), steps[i].ownValue) << "step " << i;
    EXPECT_EQ(LoadedPluginCount(), 2);
  }
}

TEST(PluginHost, TemporaryLoadsTellAboutALibraryAndEndIt) {
  TestLibrary own(kOwnPlugin);
  const SeenHandle seen = own.Export<SeenHandle>("OwnPluginSeenHandle");
  PluginScope scope;
  const struct {
    const wchar_t* library;
    int result;
    const wchar_t* detect;
    const wchar_t* name;
    int hasSettings;
  } cases[] = {
      {kOwnPlugin, 0, L"*.txt;*.log", L"OwnTest", 1},
      {kPublishedPlugin, 0, L"EXT=\"TXT\"", L"", 0},
      {L"missing.wdx64", ERROR_MOD_NOT_FOUND, L"", L"", 0},
      {kFieldlessPlugin, 193, L"", L"", 0},
  };
  for (const auto& c : cases) {
    PluginProbe probe;
    const std::wstring path = TestPluginPath(c.library);
    EXPECT_EQ(ProbePluginLibrary(path.c_str(), L"", &probe), c.result) << NarrowText(c.library);
    EXPECT_STREQ(probe.detectString, c.detect);
    EXPECT_STREQ(probe.nameSuggestion, c.name);
    EXPECT_EQ(GetPluginHasSettings(path.c_str(), L""), c.hasSettings);
  }
  wchar_t parameter[kPluginParameterCapacity] = L"abc";
  ShowPluginSettings(TestPluginPath(kOwnPlugin).c_str(), nullptr, parameter, kPluginParameterCapacity);
  EXPECT_STREQ(parameter, L"abc+set");
  EXPECT_EQ(LoadedPluginCount(), 0);
  EXPECT_NE(seen(kPluginUnload), 0) << "a temporary load ends with the unload command";
}

TEST(PluginHost, ALoadAskedForOffTheWindowsThreadRunsOnIt) {
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  MainWindowStandIn window;
  const PluginRecord* record = nullptr;
  WorkerThread worker([&] { record = FindOrLoadPlugin(L"Test", nullptr); });
  ASSERT_TRUE(window.PumpUntil([&] { return worker.Finished(); }));
  EXPECT_NE(record, nullptr);
  EXPECT_GE(window.CallsRun(), 1) << "the loaded list changes on its owner's thread only";
}

TEST(PluginHost, AnEndedRecordReplacedWhileAJobRunsIsFreedOnceNoneDoes) {
  TestLibrary library(kPublishedPlugin);
  const SetValueHook setHook = library.Export<SetValueHook>("TestPluginSetValueHook");
  ASSERT_NE(setHook, nullptr);
  setHook(RecordValueThread);
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ASSERT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr);
  const std::wstring path = scope.File(L"a.txt");
  ASSERT_EQ(ValueOf(path, FieldIndexOf(L"Size"), 0), kFieldInteger64);
  // A record's thread ends when the record is freed.
  HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, g_valueThread);
  ASSERT_NE(thread, nullptr);
  scope.Configure({});
  RequestPluginRestart();
  const PluginRecord* ended = PluginAt(0);
  ASSERT_NE(ended, nullptr);
  ASSERT_EQ(ended->dispatch, nullptr) << "ended, it keeps its slot";
  scope.state_->busyCounter = 1;
  scope.Configure({PluginValue("Test", kPublishedPlugin)});
  ASSERT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr);
  EXPECT_NE(PluginAt(0), ended) << "loaded again into its slot";
  EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "a job that runs may still read it";
  EXPECT_STREQ(ended->name, L"Test");
  scope.state_->busyCounter = 0;
  FindOrLoadPlugin(L"Test", nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, kThreadEndWaitMs), WAIT_OBJECT_0) << "no job runs: freed";
  CloseHandle(thread);
  setHook(nullptr);
}

TEST(PluginHost, AFaultOnTheCallersSideLeavesThePluginToTheNextCall) {
  ExpectCaughtFaults();
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ASSERT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr);
  const std::wstring path = scope.File(L"a.txt", "12345");
  const int size = FieldIndexOf(L"Size");
  void* readOnly = VirtualAlloc(nullptr, kFieldValueBufferBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY);
  void* noAccess = VirtualAlloc(nullptr, kFieldValueBufferBytes, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_TRUE(readOnly != nullptr && noAccess != nullptr);
  uint8_t value[kFieldValueBufferBytes] = {};
  // The answer cannot be written where the caller asked; the second file's path cannot be read.
  const PluginValueItem cases[][2] = {
      {{path.c_str(), size, 0, readOnly, kFieldValueBytes, 0}, {path.c_str(), size, 0, value, kFieldValueBytes, 0}},
      {{path.c_str(), size, 0, value, kFieldValueBytes, 0},
       {static_cast<const wchar_t*>(noAccess), size, 0, value, kFieldValueBytes, 0}}};
  for (const auto& items : cases) {
    PluginValueItem batch[2] = {items[0], items[1]};
    RequestPluginValues(PluginAt(0), batch, 2);
    int type = 0;
    WorkerThread next([&] { type = ValueOf(path, size, 0); });
    for (int i = 0; i < 20000 && !next.Finished(); ++i) Sleep(1);
    ASSERT_TRUE(next.Finished()) << "the plug-in is free for the next call";
    EXPECT_EQ(type, kFieldInteger64);
  }
  VirtualFree(readOnly, 0, MEM_RELEASE);
  VirtualFree(noAccess, 0, MEM_RELEASE);
}
