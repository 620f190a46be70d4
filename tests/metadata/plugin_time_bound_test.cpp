// Content plug-ins that do not answer, and slow ones: a value call that hangs and a stack overflow inside a
// plug-in each cost one bounded wait, are told once with the library's path, and the plug-in is not called or
// loaded again; the window's thread passes over a value that does not come while the host decides; a batch is
// bound for each value; a load that runs long is waited for while the window answers, and only a load that holds
// the system's loader ends the run, leaving a mark that keeps the plug-in unloaded at the next start unless the
// user agrees. A clock the test moves by hand stands in for the host's, and plug-ins held at a gate for slow ones.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "foundation/core/threads.h"
#include "foundation/ui/ui_text_ids.h"
#include "main_window_stand_in.h"
#include "metadata/field_values.h"
#include "metadata/plugin_host.h"
#include "metadata/plugin_loads.h"
#include "support/dialog_action.h"
#include "support/temp_folder.h"
#include "tests/metadata/plugin_scope.h"

namespace {

constexpr wchar_t kHangingValuePlugin[] = L"HangingValueTestPlugin.wdx64";
constexpr wchar_t kHangingLoadPlugin[] = L"HangingLoadTestPlugin.wdx64";
constexpr wchar_t kOverflowPlugin[] = L"OverflowTestPlugin.wdx64";
constexpr char kLoadingSection[] = "pgnContLoading";
constexpr DWORD kAnswerWaitMs = 20000;
const UiStringRecord kTexts[] = {{-1, L"US"},
                                 {kTextPluginNotAnswering, L"Not answering:"},
                                 {kTextPluginLoadUnfinished, L"Load again?"},
                                 {0, nullptr}};

// The event the hostile plug-ins wait for; set when the test ends, so that their threads can go on and the
// process can end.
class ReleaseHostilePlugins {
 public:
  ReleaseHostilePlugins() {
    wchar_t name[64];
    swprintf(name, 64, L"QVRXHostilePluginRelease%lu", GetCurrentProcessId());
    event_ = CreateEventW(nullptr, TRUE, FALSE, name);
    ResetEvent(event_);
  }
  // The handle stays open: a plug-in thread that has not opened the event yet must still find it set.
  ~ReleaseHostilePlugins() { Release(); }
  void Release() { SetEvent(event_); }

 private:
  HANDLE event_;
};

BOOL CALLBACK AppendChildText(HWND child, LPARAM text) {
  wchar_t part[1024] = L"";
  GetWindowTextW(child, part, 1024);
  *reinterpret_cast<std::wstring*>(text) += part;
  return TRUE;
}

std::wstring BoxText(HWND box) {
  std::wstring text;
  EnumChildWindows(box, AppendChildText, reinterpret_cast<LPARAM>(&text));
  return text;
}

// Runs `call` and answers the message boxes it shows with `button`; the texts of the boxes, one line each.
template <typename Call>
std::wstring AnswerBoxes(int button, Call call) {
  std::wstring told;
  DialogAction answer([&](HWND box) {
    told += BoxText(box) + L"\n";
    PressDialogButton(box, button);
  });
  call();
  return told;
}

int ValueOf(const std::wstring& path) {
  uint8_t buffer[kFieldValueBufferBytes] = {};
  return GetFieldValueForFile(0, path.c_str(), 0, 0, buffer, kFieldValueBytes);
}

bool HasLoadMark(const char* name) {
  char value[16];
  return ProfileGetString(&g_settingsStore, kLoadingSection, name, "", value, sizeof value) == 0;
}

std::string SavedProfile(const PluginScope& scope) { return ReadWholeFile(scope.temp_ / L"QVRX.INI"); }

template <typename Condition>
bool WaitFor(Condition condition) {
  for (int i = 0; i < 20000 && !condition(); ++i) Sleep(1);
  return condition();
}

// The host's clock, standing until the test moves it; it counts the looks of the thread that made it and of the
// others (the load watch, the host's decisions).
class HandClock {
 public:
  HandClock() {
    now_ = 0;
    owner_ = GetCurrentThreadId();
    SetPluginClock(Read);
  }
  ~HandClock() { SetPluginClock(nullptr); }
  HandClock(const HandClock&) = delete;
  HandClock& operator=(const HandClock&) = delete;

  static void Set(ULONGLONG now) { now_ = now; }
  static void Advance(ULONGLONG by) { now_ += by; }
  // True once the owner (or another thread) has looked at the clock twice more.
  static bool WaitForLooks(bool owner) {
    const std::atomic<long>& looks = owner ? ownerLooks_ : otherLooks_;
    const long seen = looks;
    return WaitFor([&] { return looks >= seen + 2; });
  }

 private:
  static ULONGLONG Read() {
    ++(GetCurrentThreadId() == owner_ ? ownerLooks_ : otherLooks_);
    return now_;
  }
  static inline std::atomic<ULONGLONG> now_{0};
  static inline std::atomic<long> ownerLooks_{0};
  static inline std::atomic<long> otherLooks_{0};
  static inline DWORD owner_ = 0;
};

// What the host tells the shell while the object lives.
class ToldNotices {
 public:
  ToldNotices() {
    name_[0] = 0;
    told_ = false;
    ended_ = 0;
    answered_ = 0;
    g_pluginNotices = {Loading, [] { ++ended_; }, [] { ++answered_; }};
  }
  ~ToldNotices() { g_pluginNotices = {}; }
  ToldNotices(const ToldNotices&) = delete;
  ToldNotices& operator=(const ToldNotices&) = delete;

  static bool Told() { return told_; }
  static std::wstring Name() { return told_ ? name_ : L""; }
  static int Ended() { return ended_; }
  static int Answered() { return answered_; }

 private:
  static void Loading(const wchar_t* name) {
    lstrcpynW(name_, name, 64);
    told_ = true;
  }
  static inline wchar_t name_[64];
  static inline std::atomic<bool> told_{false};
  static inline std::atomic<int> ended_{0};
  static inline std::atomic<int> answered_{0};
};

}  // namespace

TEST(PluginTimeBound, APluginThatStopsAnsweringIsToldOnceAndNeverCalledAgain) {
  ReleaseHostilePlugins release;
  const wchar_t* libraries[] = {kHangingValuePlugin, kOverflowPlugin};
  for (const wchar_t* library : libraries) {
    SCOPED_TRACE(NarrowText(library));
    PluginScope scope({PluginValue("Hostile", library)});
    scope.state_.UseTexts(kTexts);
    const std::wstring file = scope.File(L"a.txt");
    LoadConfiguredPlugins(L"Hostile");
    ASSERT_NE(FindPluginByName(L"Hostile", nullptr), nullptr);

    int value = 0;
    const std::wstring told = AnswerBoxes(IDOK, [&] { value = ValueOf(file); });
    EXPECT_EQ(value, -1) << "no value, as from a failing plug-in";
    EXPECT_NE(told.find(library), std::wstring::npos) << "the user is told which plug-in: " << NarrowText(told);

    const std::wstring toldAgain = AnswerBoxes(IDOK, [&] { value = ValueOf(file); });
    EXPECT_EQ(value, -1);
    EXPECT_EQ(toldAgain, L"") << "told once; the plug-in is not called again";

    UnloadAllPlugins();
    LoadConfiguredPlugins(L"Hostile");
    EXPECT_EQ(FindPluginByName(L"Hostile", nullptr), nullptr) << "not loaded again in this process";
  }
}

TEST(PluginTimeBound, TheWindowsThreadPassesOverAValueThatDoesNotComeWhileTheHostDecides) {
  for (const bool answers : {true, false}) {
    SCOPED_TRACE(answers ? "answers after all" : "does not answer");
    PluginScope scope({PluginValue("Hostile", kHangingValuePlugin)});
    scope.state_.UseTexts(kTexts);
    const std::wstring file = scope.File(L"a.txt");
    ReleaseHostilePlugins release;
    HandClock clock;
    ToldNotices notices;
    MainWindowStandIn window;
    LoadConfiguredPlugins(L"Hostile");
    ASSERT_NE(FindPluginByName(L"Hostile", nullptr), nullptr);
    std::wstring told;
    DialogAction answer([&](HWND box) {
      told += BoxText(box);
      PressDialogButton(box, IDOK);
    });
    // The clock stands: the bound cannot run out while the window's thread waits. Should the thread wait for the
    // bound after all, the clock runs out later, so that the test fails instead of hanging.
    std::atomic<bool> passedOver{false};
    WorkerThread guard([&] {
      if (!WaitFor([&] { return passedOver.load(); })) clock.Set(kPluginAnswerMs);
    });
    EXPECT_EQ(ValueOf(file), -1) << "passed over";
    EXPECT_EQ(ValueOf(file), -1) << "passed over while the host decides";
    passedOver = true;
    guard.Join();
    if (answers) {
      release.Release();
    } else {
      clock.Set(kPluginAnswerMs);
    }
    ASSERT_TRUE(window.PumpUntil([&] { return answers ? notices.Answered() > 0 : !told.empty(); }));
    EXPECT_EQ(told.find(kHangingValuePlugin) != std::wstring::npos, !answers) << NarrowText(told);
    EXPECT_EQ(ValueOf(file), answers ? kFieldInteger : -1) << "asked again, a plug-in that answered gives its value";
  }
}

TEST(PluginTimeBound, ABatchIsBoundForEachValueNotForTheWhole) {
  TestLibrary library(kPublishedPlugin);
  using SetValueHook = void(WINAPI*)(void (*)());
  const SetValueHook setHook = library.Export<SetValueHook>("TestPluginSetValueHook");
  ASSERT_NE(setHook, nullptr);
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ASSERT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr);
  std::vector<std::wstring> files;
  for (int i = 0; i < 5; ++i) files.push_back(scope.File(L"f" + std::to_wstring(i) + L".txt", std::string(i, 'x')));
  std::vector<FieldValueWant> wants(files.size());
  std::vector<std::vector<uint8_t>> values(files.size(), std::vector<uint8_t>(kFieldValueBufferBytes));
  for (size_t i = 0; i < files.size(); ++i) {
    wants[i] = {0, 0, 0, files[i].c_str(), values[i].data(), kFieldValueBytes, -1};
  }
  HandClock clock;
  // Each value takes two thirds of the bound by the host's clock, seen by the waiting thread before it ends.
  setHook([] {
    HandClock::Advance(kPluginAnswerMs * 2 / 3);
    HandClock::WaitForLooks(true);
  });
  GetFieldValuesForFiles(wants.data(), static_cast<int>(wants.size()));
  setHook(nullptr);
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(wants[i].answer, kFieldInteger64) << i;
    EXPECT_EQ(values[i][0], i) << "the size of file " << i;
  }
}

TEST(PluginTimeBound, ALoadThatRunsLongIsWaitedForWhileTheWindowAnswersAndItsValuesArrive) {
  for (const ULONGLONG length : {2500ull, 20000ull}) {
    SCOPED_TRACE(length);
    PluginScope scope({PluginValue("Slow", kHangingLoadPlugin)});
    const std::wstring file = scope.File(L"a.txt");
    ReleaseHostilePlugins release;
    HandClock clock;
    ToldNotices notices;
    MainWindowStandIn window;
    std::atomic<bool> loaded{false};
    std::atomic<bool> sending{false};
    std::atomic<int> workRan{0};  // 1: during the load, 2: after it
    bool answered = false;
    bool stillLoading = false;
    // Work another thread sends the window's thread; it needs the loader, as much of the window's work does.
    WorkerThread sender([&] {
      WaitFor([&] { return sending.load(); });
      RunOnGuiThread(
          [](void* ran) -> LRESULT {
            *static_cast<std::atomic<int>*>(ran) = ToldNotices::Ended() > 0 ? 2 : 1;
            FreeLibrary(LoadLibraryW(L"version.dll"));
            return 0;
          },
          &workRan);
    });
    // The plug-in's entry point holds the loader, as a slow one does, until the clock has run `length`.
    WorkerThread mover([&] {
      HandClock::WaitForLooks(true);  // the load is under way
      clock.Set(kPluginAnswerMs);
      if (WaitFor([] { return ToldNotices::Told(); }) && HandClock::WaitForLooks(false)) {
        clock.Set(length);
        HandClock::WaitForLooks(false);
        sending = true;
        HandClock::WaitForLooks(true);  // the window's thread has looked at its messages since
        HandClock::WaitForLooks(true);
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(window.Window(), WM_NULL, 0, 0, SMTO_NORMAL, kAnswerWaitMs, &result) != 0;
        stillLoading = !loaded;
      }
      release.Release();
    });
    LoadConfiguredPlugins(L"Slow");
    loaded = true;
    mover.Join();
    ASSERT_TRUE(window.PumpUntil([&] { return workRan != 0; }));
    sender.Join();
    EXPECT_EQ(ToldNotices::Name(), L"Slow") << "the shell hears which plug-in loads";
    EXPECT_TRUE(answered && stillLoading) << "the window answers while the load runs";
    EXPECT_EQ(workRan, 2) << "work sent meanwhile runs once the load has ended";
    EXPECT_EQ(ToldNotices::Ended(), 1);
    ASSERT_NE(FindPluginByName(L"Slow", nullptr), nullptr) << "the load is waited for";
    EXPECT_EQ(ValueOf(file), kFieldInteger) << "its values arrive";
    EXPECT_FALSE(HasLoadMark("Slow"));
    EXPECT_FALSE(PluginLoaderBlocked());
  }
}

TEST(PluginTimeBound, ALoadThatHoldsTheLoaderEndsTheRunAndKeepsItsMarkOnDiskForTheNextStart) {
  PluginScope scope({PluginValue("Hangs", kHangingLoadPlugin)});
  ReleaseHostilePlugins release;
  HandClock clock;
  WorkerThread mover([&] {
    HandClock::WaitForLooks(true);  // the load is under way
    clock.Set(kPluginAnswerMs);
    // The watch has started its probe, which waits for the loader from then on.
    HandClock::WaitForLooks(false);
    clock.Set(kPluginAnswerMs + kLoaderHeldMs);
  });
  LoadConfiguredPlugins(L"Hangs");
  EXPECT_EQ(FindPluginByName(L"Hangs", nullptr), nullptr);
  EXPECT_TRUE(PluginLoaderBlocked()) << "the run ends (without a main window it cannot)";
  EXPECT_NE(SavedProfile(scope).find("[pgnContLoading]\r\nHangs="), std::string::npos)
      << "the mark reached the file before the load:\n" << SavedProfile(scope);
  // Released, the load comes back late (and the threads that wait for the loader can end): the loader is free
  // again, the plug-in stays refused and marked.
  release.Release();
  mover.Join();
  for (int i = 0; i < 3000 && PluginLoaderBlocked(); ++i) Sleep(10);
  ASSERT_FALSE(PluginLoaderBlocked());
  EXPECT_TRUE(HasLoadMark("Hangs"));
  LoadConfiguredPlugins(L"Hangs");
  EXPECT_EQ(FindPluginByName(L"Hangs", nullptr), nullptr);
}

TEST(PluginTimeBound, APluginWhoseLastLoadDidNotFinishLoadsOnlyWithConsent) {
  const struct {
    bool marked;
    int answer;
    bool loads;
  } cases[] = {{true, IDNO, false}, {true, IDYES, true}, {false, IDNO, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.marked) + " " + std::to_string(c.answer));
    PluginScope scope({PluginValue("Test", kPublishedPlugin)});
    scope.state_.UseTexts(kTexts);
    if (c.marked) ProfileSetString(&g_settingsStore, kLoadingSection, "Test", NarrowText(TestPluginPath(kPublishedPlugin)).c_str());
    HoldBackUnfinishedPluginLoads();
    LoadConfiguredPlugins(L"Test");
    EXPECT_EQ(FindPluginByName(L"Test", nullptr) != nullptr, !c.marked) << "held back until the user is asked";
    const std::wstring asked = AnswerBoxes(c.answer, [] { AskAboutHeldBackPlugins(nullptr); });
    EXPECT_EQ(asked.find(kPublishedPlugin) != std::wstring::npos, c.marked) << NarrowText(asked);
    EXPECT_EQ(AnswerBoxes(IDYES, [] { AskAboutHeldBackPlugins(nullptr); }), L"") << "asked once";

    LoadConfiguredPlugins(L"Test");
    EXPECT_EQ(FindPluginByName(L"Test", nullptr) != nullptr, c.loads);
    EXPECT_EQ(HasLoadMark("Test"), !c.loads) << "a finished load leaves no mark; a refused one keeps it";
  }
}
