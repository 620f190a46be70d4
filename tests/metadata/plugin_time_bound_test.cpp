// Content plug-ins that do not answer: a value call that hangs, a stack overflow inside a plug-in and a load
// that never returns each cost one bounded wait, are told once with the library's path, and the plug-in is not
// called or loaded again; a load that did not finish leaves a mark that keeps the plug-in unloaded at the next
// start unless the user agrees.
#include <gtest/gtest.h>

#include <string>

#include "foundation/ui/ui_text_ids.h"
#include "metadata/field_values.h"
#include "metadata/plugin_host.h"
#include "support/dialog_action.h"
#include "support/temp_folder.h"
#include "tests/metadata/plugin_scope.h"

namespace {

constexpr wchar_t kHangingValuePlugin[] = L"HangingValueTestPlugin.wdx64";
constexpr wchar_t kHangingLoadPlugin[] = L"HangingLoadTestPlugin.wdx64";
constexpr wchar_t kOverflowPlugin[] = L"OverflowTestPlugin.wdx64";
constexpr char kLoadingSection[] = "pgnContLoading";
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
  ~ReleaseHostilePlugins() { SetEvent(event_); }

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

TEST(PluginTimeBound, ALoadThatDoesNotAnswerKeepsItsMarkOnDiskForTheNextStart) {
  PluginScope scope({PluginValue("Hangs", kHangingLoadPlugin)});
  {
    ReleaseHostilePlugins release;
    LoadConfiguredPlugins(L"Hangs");
    EXPECT_EQ(FindPluginByName(L"Hangs", nullptr), nullptr);
    EXPECT_TRUE(PluginLoaderBlocked());
    EXPECT_NE(SavedProfile(scope).find("[pgnContLoading]\r\nHangs="), std::string::npos)
        << "the mark reached the file before the load:\n" << SavedProfile(scope);
  }
  // Released, the load comes back late: the loader is free again, the plug-in stays refused and marked.
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
