// The CSV and Text modules over list files as people make them: lookup and sequence lists, quoted fields as
// spreadsheet programs write them, every encoding and line end, blank lines, lists longer and shorter than the
// file list; the list read by the pass's prepare and never by an apply; their text forms and descriptions.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/module_table.h"
#include "engine/modules/csv_module.h"
#include "engine/preview.h"
#include "foundation/core/jobs.h"
#include "foundation/text/bounded_text.h"
#include "main_window_stand_in.h"
#include "preview_fixture.h"
#include "module_steps.h"
#include "support/temp_folder.h"
#include "ui_text_scope.h"

namespace {

using Names = std::vector<std::wstring>;

std::string Encoded(const std::wstring& text, UINT codePage) {
  std::string bytes(4 * text.size() + 1, '\0');
  const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(static_cast<size_t>(length));
  return bytes;
}

std::string Utf16(const std::wstring& text, bool bigEndian) {
  std::string bytes;
  for (wchar_t c : text) {
    const char low = static_cast<char>(c & 0xFF);
    const char high = static_cast<char>(c >> 8);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

class ListModules : public testing::Test {
 protected:
  void SetUp() override { InitModuleDescriptors(); }

  ModuleInstance* Step(const wchar_t* key, const std::string& bytes) const {
    const std::wstring path = folder_.WriteFile(L"names.lst", bytes);
    ModuleInstance* step = CreateModuleFromText((L"<" + std::wstring(key) + L"," + path + L">").c_str());
    EXPECT_NE(step, nullptr);
    return step;
  }

  static Names Apply(ModuleInstance* step, const Names& names) {
    Names renamed;
    for (const std::wstring& name : names) {
      wchar_t buffer[260];
      CopyWideBounded(name.c_str(), buffer, 260);
      EXPECT_EQ(ApplyModuleToFileName(step, nullptr, buffer, 260), 0);
      renamed.push_back(buffer);
    }
    return renamed;
  }

  // The new names one pass of a step over a list file holding `bytes` gives.
  Names Pass(const wchar_t* key, const std::string& bytes, const Names& names) const {
    ModuleInstance* step = Step(key, bytes);
    PrepareModuleInstance(step);
    const Names renamed = Apply(step, names);
    FreeModuleInstance(step);
    return renamed;
  }

  TempFolder folder_;
};

class ListPreview : public PreviewFixture {
 protected:
  ~ListPreview() override { g_jobNotices = notices_; }

  // A lookup list of `lines` lines "f<n>.txt;<prefix><n>.txt".
  std::wstring WriteLookupList(const wchar_t* name, int lines, const std::string& prefix) const {
    std::string text;
    for (int i = 0; i < lines; ++i) text += "f" + std::to_string(i) + ".txt;" + prefix + std::to_string(i) + ".txt\r\n";
    return folder_.WriteFile(name, text);
  }

  // The preview pass of a job, as a listing runs it at its end on its worker.
  static void PassOfJob() {
    ASSERT_TRUE(BeginExclusiveJob());
    ComputeNewNames();
    EndExclusiveJob();
  }

  TempFolder folder_;
  const JobNotices notices_ = g_jobNotices;
};

// While it lives, every lookup list counts as one that takes long to read.
struct EveryLookupListLong {
  EveryLookupListLong() : before(SetLongLookupListBytes(0)) {}
  ~EveryLookupListLong() { SetLongLookupListBytes(before); }
  uint64_t before;
};

struct ListCase {
  const char* list;
  Names names;
  Names renamed;
};

}  // namespace

TEST_F(ListModules, CsvLooksUpNamesOrHandsThemOutInSequence) {
  const ListCase cases[] = {
      {"a.txt;b.txt\r\n", {L"A.TXT", L"c.txt"}, {L"b.txt", L"c.txt"}},
      {"readme;info.md", {L"README", L"readme.txt"}, {L"info.md", L"readme.txt"}},
      {"a.txt;one\r\nA.TXT;two\r\n", {L"a.txt"}, {L"one"}},
      {"a.txt;\r\nb.txt;x\r\n", {L"p", L"q"}, {L"a.txt", L"b.txt"}},
      {"x.txt\r\ny.txt;z\r\n", {L"a", L"b"}, {L"x.txt", L"y.txt"}},
      {"x.txt\r\ny.txt\r\nz.txt\r\n", {L"a", L"b"}, {L"x.txt", L"y.txt"}},
      {"x.txt\r\ny.txt\r\nz.txt\r\n", {L"a", L"b", L"c", L"d"}, {L"x.txt", L"y.txt", L"z.txt", L"d"}},
      {"x.txt\r\n\r\nz.txt\r\n", {L"a.1", L"b.2", L"c.3"}, {L"x.txt", L"", L"z.txt"}},
      {";\r\nx;y\r\n", {L"x", L"a"}, {L"x", L"a"}},
      {"\r\nx.txt\r\n", {L"a"}, {L"a"}},
      {"\"p;q.txt\";\"r;s.txt\"\r\n", {L"P;Q.TXT"}, {L"r;s.txt"}},
      {"'a;b.txt';c.txt\r\n", {L"a;b.txt"}, {L"c.txt"}},
      {"\"say \"\"hi\"\".txt\";\"x\"\";y.txt\"\r\n", {L"say \"hi\".txt"}, {L"x_;y.txt"}},
      {"'til.mp3;tuesday.mp3\r\n", {L"'til.mp3"}, {L"tuesday.mp3"}},
      {"\"open.txt\r\n", {L"a"}, {L"_open.txt"}},
      {"a;x:y?.txt\r\nb;t\tab.txt\r\n", {L"a", L"b"}, {L"x_y_.txt", L"t_ab.txt"}},
      {"a;b;c;d\r\n", {L"a"}, {L"b"}},
      {"a.txt;b.txt\rc.txt;d.txt\ne.txt;f.txt", {L"e.txt", L"c.txt", L"a.txt"}, {L"f.txt", L"d.txt", L"b.txt"}},
  };
  for (const ListCase& c : cases) EXPECT_EQ(Pass(L"CSV", c.list, c.names), c.renamed) << c.list;
}

TEST_F(ListModules, TextHandsOutLinesInOrderAndSkipsBlankLines) {
  const ListCase cases[] = {
      {"one.txt\r\n\r\n\r\ntwo.txt\r\n", {L"a.1", L"b.2", L"c.3"}, {L"one.txt", L"two.txt", L"c.3"}},
      {"\r\nx.txt\r\n", {L"a.1", L"b.2"}, {L"", L"x.txt"}},
      {"one\ntwo\rthree", {L"a.txt", L"b.txt", L"c.txt"}, {L"one", L"two", L"three"}},
      {"x:y?.txt\r\n a;b \r\n", {L"a", L"b"}, {L"x_y_.txt", L" a;b "}},
      {"one\r\ntwo\r\nthree\r\n", {L"a"}, {L"one"}},
      {"", {L"a.txt"}, {L"a.txt"}},
  };
  for (const ListCase& c : cases) EXPECT_EQ(Pass(L"Text", c.list, c.names), c.renamed) << c.list;
}

TEST_F(ListModules, ReadEveryEncodingAListFileComesIn) {
  const std::wstring csv = L"caf\u00e9.txt;\u00e9t\u00e9.txt\r\nplain.txt;\"x;y.txt\"\r\n";
  const std::wstring text = L"\u00e9t\u00e9.txt\r\n\r\nx;y.txt\r\n";
  const Names names = {L"CAF\u00c9.TXT", L"plain.txt"};
  const Names renamed = {L"\u00e9t\u00e9.txt", L"x;y.txt"};
  const std::string bom8 = "\xEF\xBB\xBF";
  const struct {
    const char* what;
    std::string (*encode)(const std::wstring& text);
  } encodings[] = {
      {"UTF-16LE with mark", [](const std::wstring& t) { return "\xFF\xFE" + Utf16(t, false); }},
      {"UTF-16BE with mark", [](const std::wstring& t) { return "\xFE\xFF" + Utf16(t, true); }},
      {"UTF-8 with mark", [](const std::wstring& t) { return "\xEF\xBB\xBF" + Encoded(t, CP_UTF8); }},
      {"UTF-8 without mark", [](const std::wstring& t) { return Encoded(t, CP_UTF8); }},
      {"code page", [](const std::wstring& t) { return Encoded(t, CP_ACP); }},
  };
  ASSERT_EQ(Encoded(L"\u00e9", CP_ACP).size(), 1u) << "the active code page must be a single-byte one with \u00e9";
  for (const auto& encoding : encodings) {
    EXPECT_EQ(Pass(L"CSV", encoding.encode(csv), names), renamed) << encoding.what;
    EXPECT_EQ(Pass(L"Text", encoding.encode(text), {L"a", L"b"}), renamed) << encoding.what;
  }
  // UTF-16 without a mark: every second byte zero.
  EXPECT_EQ(Pass(L"CSV", Utf16(L"a.txt;b.txt\r\n", false), {L"a.txt"}), Names{L"b.txt"});
}

TEST_F(ListModules, TheListIsReadByPrepareOnceForEveryPass) {
  std::string list;
  for (int i = 0; i < 100000; ++i) list += "file" + std::to_string(i) + ".txt;new" + std::to_string(i) + ".txt\r\n";
  ModuleInstance* step = Step(L"CSV", list);
  const Names before = Apply(step, {L"file7.txt"});
  EXPECT_EQ(before, Names{L"file7.txt"}) << "an apply before the first prepare reads nothing";
  PrepareModuleInstance(step);
  const CsvSettings* settings = reinterpret_cast<const CsvSettings*>(step);
  EXPECT_EQ(settings->list.entryCount, 100000u);
  // Once prepared, the step no longer needs the file.
  ASSERT_TRUE(DeleteFileW((folder_ / L"names.lst").c_str()));
  EXPECT_EQ(Apply(step, {L"FILE99999.TXT", L"file0.txt", L"file50000.txt", L"file100000.txt"}),
            (Names{L"new99999.txt", L"new0.txt", L"new50000.txt", L"file100000.txt"}));
  // The next pass reads the list again: now missing, so nothing changes.
  PrepareModuleInstance(step);
  EXPECT_EQ(Apply(step, {L"file1.txt"}), Names{L"file1.txt"});
  FreeModuleInstance(step);

  // Each pass counts its files from the first entry again.
  step = Step(L"Text", "one\r\ntwo\r\nthree\r\n");
  PrepareModuleInstance(step);
  EXPECT_EQ(Apply(step, {L"a", L"b"}), (Names{L"one", L"two"}));
  PrepareModuleInstance(step);
  EXPECT_EQ(Apply(step, {L"a", L"b", L"c", L"d"}), (Names{L"one", L"two", L"three", L"d"}));
  FreeModuleInstance(step);
}

TEST_F(ListModules, ReadAndWriteTheirTextForms) {
  const StepTextCase cases[] = {
      {L"<CSV,C:\\lists\\names.csv>", L"<CSV,C:\\lists\\names.csv>"},
      {L"<csv,%MY_PATH%\\n.csv;\"two\\nlines\">", L"<CSV,%MY_PATH%\\n.csv;\"two\\nlines\">"},
      {L"<CSV,>", L"<CSV,>"},
      {L"<Text,..\\names, sorted.txt>", L"<Text,..\\names, sorted.txt>"},
      {L"<Text,\"C:\\a;b.txt\";\"c\">", L"<Text,\"C:\\a;b.txt\";\"c\">"},
      {L"<CSV,C:\\a;b.csv>", L"<CSV,C:\\a;\"b.csv\">"},
      {L"<CSV>", nullptr},
      {L"<CSV;\"c\">", nullptr},
      {L"<CSV,C:\\n.csv", nullptr},
      {L"<Text,\"C:\\n.txt>", nullptr},
  };
  ExpectTextForms(cases);
}

TEST_F(ListModules, DescriptionsAndTitlesComeFromUiTexts) {
  static const UiStringRecord kTexts[] = {
      {-1, L"US"}, {13271, L"Names from a CSV list"}, {13275, L"Names from a text list"}, {0, nullptr}};
  const UiTextScope texts(kTexts);
  const StepDescriptionCase cases[] = {
      {L"<CSV,C:\\n.csv>", L"Names from a CSV list  \"C:\\n.csv\""},
      {L"<CSV,>", L"Names from a CSV list"},
      {L"<Text,n.txt;\"note\">", L"Names from a text list  \"n.txt\""},
  };
  ExpectDescriptions(cases);
}

TEST_F(ListPreview, AnEmptyNameIsMarkedAndEveryPassReadsTheListAgain) {
  const uint32_t folder = AddFolder(L"C:\\one");
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) AddFile(folder, name);
  const std::wstring path = folder_.WriteFile(L"names.csv", "x.txt\r\n\r\ny\tz.txt\r\n");
  AddStep((L"<CSV," + path + L">").c_str());
  ComputeNewNames();
  EXPECT_EQ(NewName(0), L"x.txt");
  EXPECT_EQ(NewName(1), Marked(L"empty"));
  EXPECT_EQ(NewName(2), L"y_z.txt");
  EXPECT_EQ(g_app->problemCount, 1);

  folder_.WriteFile(L"names.csv", "p.txt\r\nq.txt\r\n");
  ComputeNewNames();
  EXPECT_EQ(NewName(0), L"p.txt");
  EXPECT_EQ(NewName(1), L"q.txt");
  EXPECT_EQ(NewName(2), L"c.txt");
  EXPECT_EQ(g_app->problemCount, 0);
}

TEST_F(ListPreview, ALookupSeesTheNameThePrecedingStepsMade) {
  const uint32_t folder = AddFolder(L"C:\\one");
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c"}) AddFile(folder, name);
  const std::wstring path = folder_.WriteFile(L"names.csv", "a.old;new.txt\r\nc;no extension.txt\r\n");
  AddStep(L"<Ext,\"old\">");
  AddStep((L"<CSV," + path + L">").c_str());
  ComputeNewNames();
  EXPECT_EQ(NewName(0), L"new.txt");
  EXPECT_EQ(NewName(1), L"b.old");
  EXPECT_EQ(NewName(2), L"c.old");
}

TEST_F(ListPreview, AListIsReadOnlyWhenItsFileChangesAndASequenceOnlyAsFarAsTheFilesGo) {
  const uint32_t folder = AddFolder(L"C:\\one");
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) AddFile(folder, name);
  std::string lines;
  for (int i = 0; i < 5000; ++i) lines += "n" + std::to_string(i) + ".txt\r\n";
  const std::wstring path = folder_.WriteFile(L"names.txt", lines);
  const auto* text = reinterpret_cast<const ListStepHead*>(AddStep((L"<Text," + path + L">").c_str()));
  ComputeNewNames();
  EXPECT_EQ(NewName(2), L"n2.txt");
  EXPECT_EQ(text->entryCount, 3u) << "a sequence keeps only a line for each listed file";

  // Held open without sharing, the unchanged list cannot be read again, and need not be.
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ComputeNewNames();
  EXPECT_EQ(NewName(0), L"n0.txt");
  CloseHandle(held);

  // One more file wants one more line; a changed file is read again.
  AddFile(folder, L"d.txt");
  ComputeNewNames();
  EXPECT_EQ(NewName(3), L"n3.txt");
  folder_.WriteFile(L"names.txt", "x.txt\r\n");
  ComputeNewNames();
  EXPECT_EQ(NewName(0), L"x.txt");
  EXPECT_EQ(NewName(1), L"b.txt");
}

TEST_F(ListPreview, OnTheGuiThreadALongLookupListIsReadByAJobWithProgressAndStop) {
  const EveryLookupListLong everyListLong;
  MainWindowStandIn window;
  static int progressShown = 0;
  g_jobNotices.setProgressPercent = [](uint32_t) { ++progressShown; };
  const uint32_t folder = AddFolder(L"C:\\one");
  for (const wchar_t* name : {L"f1.txt", L"F4999.TXT"}) AddFile(folder, name);
  const std::wstring path = WriteLookupList(L"names.csv", 5000, "n");
  AddStep((L"<CSV," + path + L">").c_str());
  ComputeNewNames();
  EXPECT_TRUE(IsJobBusy()) << "the list is read by a job";
  EXPECT_EQ(NewName(0), L"f1.txt") << "the names wait for the list";
  ASSERT_TRUE(window.PumpUntil([] { return !IsJobBusy(); }));
  EXPECT_EQ(g_app->previewDeferred, 1) << "the job's end shows the preview anew";
  EXPECT_GT(progressShown, 0);
  ComputeNewNames();
  EXPECT_FALSE(IsJobBusy()) << "the list read is held";
  EXPECT_EQ(NewName(0), L"n1.txt");
  EXPECT_EQ(NewName(1), L"n4999.txt");

  // Stop, pressed as the changed list's read begins: no names from it, and no read begun again by the GUI
  // thread; a listing's pass reads it again.
  g_jobNotices.resetProgress = [] { RequestJobStop(); };
  WriteLookupList(L"names.csv", 5000, "new");
  ComputeNewNames();
  ASSERT_TRUE(window.PumpUntil([] { return !IsJobBusy(); }));
  ComputeNewNames();
  EXPECT_FALSE(IsJobBusy());
  EXPECT_EQ(NewName(0), L"f1.txt");
  g_jobNotices.resetProgress = nullptr;
  WorkerThread listing(PassOfJob);
  ASSERT_TRUE(window.PumpUntil([&] { return listing.Finished(); }));
  EXPECT_EQ(NewName(0), L"new1.txt");
}

TEST_F(ListPreview, ALookupTableHeldOverPassesIsLentToOtherStepsOfTheSameFile) {
  const EveryLookupListLong everyListLong;
  const uint32_t folder = AddFolder(L"C:\\one");
  AddFile(folder, L"f7.txt");
  const std::wstring path = WriteLookupList(L"names.csv", 100, "n");
  const auto* first = reinterpret_cast<const CsvSettings*>(AddStep((L"<CSV," + path + L">").c_str()));
  PassOfJob();
  const LookupTable* table = first->lookup;
  ASSERT_NE(table, nullptr);
  // Listed anew, the files meet the table already read.
  ItemStoreReset(&files_->rows);
  AddFile(folder, L"F7.TXT");
  PassOfJob();
  EXPECT_EQ(first->lookup, table);
  EXPECT_EQ(NewName(0), L"n7.txt");

  // A second step of the file, and a step outside the chain (a dialog's preview), borrow the table; outside
  // the chain no long list is read.
  const auto* second = reinterpret_cast<const CsvSettings*>(AddStep((L"<CSV," + path + L">").c_str()));
  ComputeNewNames();
  EXPECT_EQ(second->lookup, table);
  for (const std::wstring& list : {path, WriteLookupList(L"other.csv", 100, "o")}) {
    ModuleInstance* outside = CreateModuleFromText((L"<CSV," + list + L">").c_str());
    PrepareModuleInstance(outside);
    EXPECT_FALSE(IsJobBusy());
    EXPECT_EQ(reinterpret_cast<const CsvSettings*>(outside)->lookup, list == path ? table : nullptr);
    FreeModuleInstance(outside);
  }
}
