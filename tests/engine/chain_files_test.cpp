// The chain in settings files and in section "QK": written byte for byte, read back with every step and its
// check state, and a failed write never taken for a saved chain.
#include "engine/chain_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "boxes_over_dialog.h"
#include "engine/chain_list.h"
#include "engine/engine_hooks.h"
#include "engine/module_table.h"
#include "foundation/core/jobs.h"
#include "foundation/core/threads.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/module_dialog_ids.h"
#include "main_window_stand_in.h"
#include "module_steps.h"
#include "preview_fixture.h"
#include "support/dialog_action.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

namespace {

using Lines = std::vector<std::wstring>;

std::wstring g_recent;  // "+path" added, "-path" removed

std::string Utf16File(const std::wstring& text) {
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// The chain with a profile store of its own.
class ChainStorage : public PreviewFixture {
 protected:
  ChainStorage() {
    ProfileStoreConstruct(&g_settingsStore, (temp_ / L"QVRX.INI").c_str(), kProfileNoAutoLocation);
    g_recent.clear();
    g_engineHooks.addRecentFile = [](const wchar_t* path) { g_recent = L"+" + std::wstring(path); };
    g_engineHooks.removeRecentFile = [](const wchar_t* path) { g_recent = L"-" + std::wstring(path); };
  }
  ~ChainStorage() override {
    g_engineHooks = EngineHooks{};
    ProfileStoreDestroy(&g_settingsStore);
  }

  // Each step as its line: '-' when unchecked, then its text form.
  Lines Chain() const {
    Lines lines;
    for (uint32_t n = 0; n < CountSteps(); ++n) {
      wchar_t text[2048];
      SerializeModuleInstance(GetStepInstance(static_cast<int>(n)), text, 2048);
      lines.push_back((IsStepChecked(static_cast<int>(n)) ? L"" : L"-") + std::wstring(text));
    }
    return lines;
  }

  Lines Section() const {
    Lines values;
    wchar_t value[2048];
    for (int n = 1; n < 10; ++n) {
      ProfileGetPath(&g_settingsStore, "QK", ("R" + std::to_string(n)).c_str(), L"", value, 2048);
      if (value[0] != 0) values.push_back(value);
    }
    return values;
  }

  int Load(const std::string& bytes) {
    const std::wstring path = temp_.WriteFile(L"load.zqr", bytes);
    const int result = LoadSettingsFile(nullptr, path.c_str());
    EXPECT_EQ(g_recent, (result == 0 ? L"+" : L"-") + path);
    return result;
  }

  TempFolder temp_;
};

// Message boxes are answered from another thread.
class ChainFiles : public ChainStorage {
 protected:
  DialogWatcher boxes_{GetCurrentProcessId(), IDOK};
};

}  // namespace

TEST_F(ChainFiles, SettingsFileHoldsOneLinePerStepAndLoadsBack) {
  const Lines steps = {L"<Case,n,1>", L"-<Ext,\"jpg\">", L"<Case,e,2;\"from a -> to b\">"};
  for (const std::wstring& line : steps) AddStep(line.c_str() + (line[0] == L'-'), line[0] != L'-');
  g_app->settingsChanged = 1;
  const std::wstring path = temp_ / L"chain.zqr";
  ASSERT_EQ(WriteModuleChainFile(path.c_str()), 0);
  EXPECT_EQ(ReadWholeFile(path), Utf16File(steps[0] + L"\r\n" + steps[1] + L"\r\n" + steps[2] + L"\r\n"));
  EXPECT_EQ(g_app->settingsChanged, 0);
  DeleteAllSteps();
  AddStep(L"<Case,n,5>");
  g_app->settingsChanged = 1;
  ASSERT_EQ(Load(ReadWholeFile(path)), 0);
  EXPECT_EQ(Chain(), steps) << "a '>' inside a quoted text stays in its step";
  EXPECT_EQ(Section(), steps);
  EXPECT_EQ(g_app->settingsChanged, 0);
  EXPECT_NE(g_app->settingsFileCurrent, 0);
}

TEST_F(ChainFiles, WritesThatDoNotHappenLeaveTheChainUnsaved) {
  const std::wstring path = temp_ / L"empty.zqr";
  g_app->settingsChanged = 1;
  EXPECT_EQ(WriteModuleChainFile(path.c_str()), 0);
  EXPECT_FALSE(PathExists(path)) << "an empty chain writes no file";
  AddStep(L"<Case,n,1>");
  EXPECT_NE(WriteModuleChainFile(temp_.Path().c_str()), 0) << "a folder is no file";
  EXPECT_EQ(boxes_.Answered(), 1);
  EXPECT_EQ(g_app->settingsChanged, 1);
  EXPECT_EQ(SaveModuleChainToSettings(), 0);
  EXPECT_EQ(Section(), Lines{L"<Case,n,1>"});
  EXPECT_EQ(g_app->settingsChanged, 0);
}

TEST_F(ChainFiles, LoadingTakesWhatTheContentHoldsAndSaysWhyAFileIsNotLoaded) {
  const struct {
    const char* what;
    std::string bytes;
    int result;
    Lines chain;
    const wchar_t* warning = L"";  // a file read only in part, or not at all, says so
  } cases[] = {
      {"8-bit", "<Case,n,2>", 0, {L"<Case,n,2>"}},
      {"UTF-16", Utf16File(L"-<Case,n,2>\r\n"), 0, {L"-<Case,n,2>"}},
      {"text between entries", "<Case,n,1>junk-<Ext,\"a\"> - <Case,e,2>", 0,
       {L"<Case,n,1>", L"-<Ext,\"a\">", L"<Case,e,2>"}},
      {"last entry refused", "<Case,n,1><Nope,1>", -1, {L"<Case,n,1>"}, L"steps not read"},
      {"first entry refused", "<Nope,1>\r\n<Case,n,3>", -1, {L"<Case,n,3>"}, L"steps not read"},
      {"a blank first", " <Case,n,2>", -1, {L"<Case,n,4>"}, L"not a settings file"},
      {"UTF-8 mark", "\xEF\xBB\xBF<Case,n,2>", -1, {L"<Case,n,4>"}, L"not a settings file"},
      {"six bytes", "<Case>", -1, {L"<Case,n,4>"}, L"not a settings file"},
      {"no entry made", "<Nope,1>", -1, {L"<Case,n,4>"}, L"no steps read"},
  };
  int warnings = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteAllSteps();
    AddStep(L"<Case,n,4>");
    g_app->settingsFileCurrent = 1;
    const int answered = boxes_.Answered();
    EXPECT_EQ(Load(c.bytes), c.result);
    EXPECT_EQ(Chain(), c.chain);
    EXPECT_EQ(g_app->settingsFileCurrent != 0, c.result == 0);
    const bool warned = c.warning[0] != 0;
    warnings += warned;
    EXPECT_EQ(boxes_.Answered() - answered, warned ? 1 : 0);
    if (warned) {
      EXPECT_EQ(boxes_.LastText().substr(0, wcslen(c.warning)), c.warning);
    }
  }
  EXPECT_EQ(boxes_.Answered(), warnings);
  EXPECT_NE(LoadSettingsFile(nullptr, (temp_ / L"missing.zqr").c_str()), 0);
  EXPECT_EQ(boxes_.Answered(), warnings + 1);
  InterlockedIncrement(&g_app->busyCounter);
  EXPECT_EQ(LoadSettingsFile(nullptr, (temp_ / L"load.zqr").c_str()), ERROR_BUSY);
  InterlockedDecrement(&g_app->busyCounter);
}

TEST_F(ChainFiles, SectionIsRewrittenWholeAndRestoredUpToItsFirstGap) {
  ProfileSetPath(&g_settingsStore, "QK", "R1", L"<Case,n,1>");
  ProfileSetPath(&g_settingsStore, "QK", "R2", L"-<Case,e,2;\"a>b\">");
  ProfileSetPath(&g_settingsStore, "QK", "R4", L"<Case,n,3>");
  RestoreModuleChain();
  EXPECT_EQ(Chain(), (Lines{L"<Case,n,1>", L"-<Case,e,2;\"a>b\">"}));
  EXPECT_EQ(SaveModuleChainToSettings(), 0) << "an unchanged chain is not written";
  EXPECT_EQ(Section().size(), 3u);
  g_app->settingsChanged = 1;
  EXPECT_EQ(SaveModuleChainToSettings(), 0);
  EXPECT_EQ(Section(), Chain());
}

TEST_F(ChainFiles, TheLongestStepThatLoadsIsWrittenBackAndAChainThatCannotBeWrittenKeepsTheSection) {
  const std::wstring longest = L"<Ext,\"" + std::wstring(1015, L'e') + L"\">";
  ASSERT_EQ(longest.size(), 1023u);
  for (const std::wstring& line : {longest, L"-" + longest}) {
    SCOPED_TRACE(line.substr(0, 8));
    EXPECT_EQ(Load(Utf16File(line + L"\r\n")), 0);
    EXPECT_EQ(Chain(), Lines{line});
    EXPECT_EQ(Section(), Lines{line}) << "written to the section at once";
    EXPECT_EQ(g_app->settingsChanged, 0) << "so that closing has nothing to ask";
    const std::wstring path = temp_ / L"again.zqr";
    EXPECT_EQ(WriteModuleChainFile(path.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path), Utf16File(line + L"\r\n"));
    RestoreModuleChain();
    EXPECT_EQ(Chain(), Lines{line});
  }
  EXPECT_EQ(boxes_.Answered(), 0);
  const std::wstring tooLong = L"<Ext,\"" + std::wstring(1016, L'e') + L"\">";
  EXPECT_EQ(Load(Utf16File(tooLong + L"\r\n")), -1) << "one character more is not read";
  // A step without a text form: the chain cannot be written back, and the section keeps the chain it held.
  AddProbe();
  g_app->settingsChanged = 1;
  EXPECT_NE(SaveModuleChainToSettings(), 0);
  EXPECT_EQ(Section(), Lines{L"-" + longest});
  EXPECT_EQ(g_app->settingsChanged, 1);
}

TEST_F(ChainFiles, ManyStepsAreStoredInTheChainListAtOnceAndPreviewedOnce) {
  static int previews;
  previews = 0;
  g_engineHooks.updateProblemCountNotice = [] { ++previews; };
  Lines steps;
  std::wstring file;
  for (int i = 0; i < 200; ++i) {
    steps.push_back(i % 2 ? L"<Case,n," + std::to_wstring(1 + i % 5) + L">"
                          : L"-<Ext,\"e" + std::to_wstring(i) + L"\">");
    ProfileSetPath(&g_settingsStore, "QK", ("R" + std::to_string(i + 1)).c_str(), steps.back().c_str());
    file += steps.back() + L"\r\n";
  }
  AddStep(L"<Case,n,4>");
  LONG changes = chain_->rows.changes;
  RestoreModuleChain();
  EXPECT_EQ(Chain(), steps);
  EXPECT_LE(chain_->rows.changes - changes, 2) << "emptied, then the steps stored together";
  EXPECT_EQ(previews, 1);
  changes = chain_->rows.changes;
  EXPECT_EQ(Load(Utf16File(file)), 0);
  EXPECT_EQ(Chain(), steps);
  EXPECT_LE(chain_->rows.changes - changes, 2);
  EXPECT_EQ(previews, 2);
}

namespace {

// A text typed into a module dialog's edit (with any other control the text needs set first).
struct TypedField {
  const char* name;
  int kept;  // of the eight texts below
  uint32_t module;
  int edit;
  std::vector<std::pair<int, std::wstring>> alongside = {};
};

// The text the edit shows when the step's dialog opens.
std::wstring ShownText(ModuleInstance* step, int edit) {
  std::wstring shown;
  DialogAction reading([&](HWND dialog) {
    shown = DialogItemText(dialog, edit);
    PressDialogButton(dialog, IDC_MODULE_CANCEL);
  });
  EditModuleInstance(nullptr, step, nullptr, L"");
  return shown;
}

// The step with `text` typed into the field and confirmed; null when the dialog refused it, told why and stayed
// open.
ModuleInstance* Typed(const TypedField& field, const std::wstring& text) {
  ModuleInstance* step = CreateDefaultModule(field.module);
  size_t told = 0;
  bool stayedOpen = false;
  DialogAction typing([&](HWND dialog) {
    BoxesOverDialog answering(dialog);
    for (const auto& [edit, value] : field.alongside) SetDlgItemTextW(dialog, edit, value.c_str());
    SetDlgItemTextW(dialog, field.edit, text.c_str());
    PressDialogButton(dialog, IDC_MODULE_OK);
    told = answering.Texts().size();
    stayedOpen = IsWindowVisible(dialog) != 0;
    if (stayedOpen) PressDialogButton(dialog, IDC_MODULE_CANCEL);
  });
  if (EditModuleInstance(nullptr, step, nullptr, L"") != nullptr) return step;
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(told, 1u);
  FreeModuleInstance(step);
  return nullptr;
}

const TypedField kTypedFields[] = {
    {"ExtExtension", 6, kModuleExt, IDC_EXT_EXTENSION, {}},
    {"InsText", 6, kModuleIns, IDC_INS_TEXT, {}},
    {"SbstSearch", 6, kModuleSbst, IDC_MODULE_SEARCH, {}},
    {"SbstReplacement", 6, kModuleSbst, IDC_MODULE_REPLACEMENT, {}},
    {"RegExSearch", 6, kModuleRegEx, IDC_MODULE_SEARCH, {}},
    {"RegExReplacement", 6, kModuleRegEx, IDC_MODULE_REPLACEMENT, {}},
    {"FaCSearch", 6, kModuleFaC, IDC_MODULE_SEARCH, {}},
    {"DateFormat", 6, kModuleDate, IDC_DATE_FORMAT, {}},
    {"TimeFormat", 6, kModuleTime, IDC_TIME_FORMAT, {}},
    {"DosMask", 6, kModuleDos, IDC_DOS_MASK, {}},
    {"CsvListFile", 5, kModuleCsv, IDC_LIST_FILE, {}},
    {"TextListFile", 5, kModuleText, IDC_LIST_FILE, {}},
    {"AudioPattern", 3, kModuleAudio, IDC_AUDIO_PATTERN, {}},
    {"ExifPattern", 3, kModuleExif, IDC_EXIF_PATTERN, {}},
    {"EMailPattern", 3, kModuleEMail, IDC_EMAIL_PATTERN, {}},
    {"ImagePattern", 3, kModuleImage, IDC_IMAGE_PATTERN, {}},
    {"PgnContPattern", 3, kModulePgnCont, IDC_PGNCONT_PATTERN, {}},
    {"EnumFill", 8, kModuleEnum, IDC_ENUM_FILL, {{IDC_ENUM_WIDTH, L"3"}}},
    {"CaseComment", 8, kModuleCase, IDC_MODULE_COMMENT, {}},
    {"AudioComment", 8, kModuleAudio, IDC_MODULE_COMMENT, {}},
};

void PrintTo(const TypedField& field, std::ostream* out) { *out << field.name; }

// One field per test: each opens a few dozen dialogs.
class ChainStorageOfField : public ChainStorage, public testing::WithParamInterface<TypedField> {};

TEST_P(ChainStorageOfField, EveryTextTheDialogTakesComesBackAfterARestartAndFromASettingsFile) {
  const TypedField& field = GetParam();
  const std::wstring texts[] = {L"a;b",      L"a>b",   L"\"Title\";\"Artist\"", L"q\"u\\\"o\\",
                                L"a,b",      L" a b ", L"a\r\nb",                std::wstring(1023, L'x')};
  const std::wstring path = temp_ / L"kept.zqr";
  int kept = 0;
  for (const std::wstring& text : texts) {
    SCOPED_TRACE(testing::Message() << Narrow(text.substr(0, 20)));
    ModuleInstance* step = Typed(field, text);
    if (step == nullptr) continue;
    ++kept;
    const std::wstring shown = ShownText(step, field.edit);
    DeleteAllSteps();
    ASSERT_GE(InsertStepIntoList(step, -1, true), 0);
    g_app->settingsChanged = 1;
    ASSERT_EQ(SaveModuleChainToSettings(), 0);
    ASSERT_EQ(WriteModuleChainFile(path.c_str()), 0);
    DeleteAllSteps();
    RestoreModuleChain();
    ASSERT_EQ(CountSteps(), 1u) << "restarted";
    EXPECT_EQ(ShownText(GetStepInstance(0), field.edit), shown) << "restarted";
    ASSERT_EQ(Load(ReadWholeFile(path)), 0);
    EXPECT_EQ(ShownText(GetStepInstance(0), field.edit), shown) << "loaded";
  }
  EXPECT_EQ(kept, field.kept) << "texts the dialog takes";
}

INSTANTIATE_TEST_SUITE_P(EveryField, ChainStorageOfField, testing::ValuesIn(kTypedFields),
                         [](const testing::TestParamInfo<TypedField>& info) { return info.param.name; });

}  // namespace

// A long chain loads in slices, between which the window's thread answers what other threads send it.
TEST_F(ChainFiles, BetweenTheSlicesOfALongLoadTheThreadAnswersSentMessages) {
  static LONG suspendedWhenAnswered = -1;
  MainWindowStandIn window;
  std::wstring text;
  for (int i = 0; i < 5000; ++i) text += L"<Case,n,1>\r\n";
  const std::wstring path = temp_.WriteFile(L"long.zqr", Utf16File(text));
  WorkerThread sender([] {
    RunOnGuiThread(
        [](void*) -> LRESULT {
          suspendedWhenAnswered = g_app->recomputationSuspended;
          return 0;
        },
        nullptr);
  });
  while ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0) Sleep(1);
  ASSERT_EQ(LoadSettingsFile(nullptr, path.c_str()), 0);
  EXPECT_EQ(CountSteps(), 5000u);
  EXPECT_GT(suspendedWhenAnswered, 0) << "answered while the steps were made";
  sender.Join();
}

// A job begun by a message answered between the slices may be applying the chain: the load leaves it alone.
TEST_F(ChainFiles, AJobBegunDuringALongLoadKeepsTheChainItApplies) {
  MainWindowStandIn window;
  const ModuleInstance* kept = AddStep(L"<Case,n,1>");
  std::wstring text;
  for (int i = 0; i < 5000; ++i) text += L"<Case,n,2>\r\n";
  const std::wstring path = temp_.WriteFile(L"long.zqr", Utf16File(text));
  WorkerThread sender([] { RunOnGuiThread([](void*) -> LRESULT { return BeginExclusiveJob(); }, nullptr); });
  while ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0) Sleep(1);
  EXPECT_NE(LoadSettingsFile(nullptr, path.c_str()), 0);
  sender.Join();
  EXPECT_EQ(CountSteps(), 1u);
  EXPECT_EQ(GetStepInstance(0), kept);
  EndExclusiveJob();
}
