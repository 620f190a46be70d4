// The preview over real files with the five steps that build names from a file's values (Audio, EXIF, eMail,
// Image, PgnCont): with the fail flag set the step fails for a file without the value, which keeps the name the
// earlier steps gave while the later steps still run, and nothing is marked or refused; without the flag the
// references without a value vanish and the pattern's literal text remains. Only a step that faults marks its
// file, whatever the flag.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/preview.h"
#include "preview_fixture.h"
#include "support/caught_faults.h"
#include "tests/metadata/audio_samples.h"
#include "tests/metadata/exif_samples.h"
#include "tests/metadata/image_samples.h"
#include "tests/metadata/plugin_scope.h"

namespace {

using SetFault = int(WINAPI*)(int);

struct ValueStep {
  const wchar_t* pattern;  // the step's text after its fail flag
  const wchar_t* file;     // a file that has the value
  std::string bytes;
  const wchar_t* renamed;  // that file's new name
};

class PreviewStepFailures : public PreviewFixture {
 protected:
  PreviewStepFailures() {
    // The plug-in scope brings its own program state: the lists and texts move into it.
    g_app->fileList = files_;
    g_app->chainList = chain_;
    g_app->uiStrings = reinterpret_cast<const UiStringTable*>(kPreviewTexts);
  }

  // Lists the file with the value and a file without any value, between a step that makes names upper case
  // and one that appends "_".
  void Preview(const ValueStep& step, int failFlag) {
    PreviewFiles({{step.file, step.bytes}, {L"b.bin", "plain words"}},
                 {L"<Case,n,2>", StepText(step.pattern, failFlag), L"<Ins,n,r,0,\"_\">"});
  }

  struct File {
    std::wstring name;
    std::string bytes;
  };

  // Writes and lists the files, in this order, and previews the chain of these steps.
  void PreviewFiles(const std::vector<File>& files, const std::vector<std::wstring>& steps) {
    ItemStoreReset(&files_->rows);
    ItemStoreReset(&files_->pathPool);
    ItemStoreReset(&chain_->rows);
    const uint32_t folder = AddFolder(plugins_.temp_.Path().c_str());
    for (const File& file : files) {
      plugins_.File(file.name, file.bytes);
      AddFile(folder, file.name.c_str());
    }
    for (const std::wstring& step : steps) AddStep(step.c_str());
    ComputeNewNames();
  }

  std::vector<std::wstring> NewNames() const {
    std::vector<std::wstring> names;
    for (uint32_t i = 0; i < ItemStoreCount(&files_->rows); ++i) names.push_back(NewName(i));
    return names;
  }

  // "<Key,flag,pattern>" from "Key,pattern".
  static std::wstring StepText(const std::wstring& pattern, int failFlag) {
    const size_t comma = pattern.find(L',');
    return L"<" + pattern.substr(0, comma) + L"," + std::to_wstring(failFlag) + pattern.substr(comma) + L">";
  }

  PluginScope plugins_{{PluginValue("Test", kPublishedPlugin)}};
};

std::vector<ValueStep> ValueSteps() {
  using namespace audio_samples;
  const std::string song = Id3v2Tag(3, Id3v2Frame(3, "TIT2", std::string(1, '\0') + "Song")) + MpegFrame(400);
  return {
      {L"Audio,\"Title\"", L"a.mp3", song, L"Song.mp3"},
      {L"EXIF,\"Camera Model\"", L"a.jpg", ExifSampleJpeg({}), L"PowerShot S95.jpg"},
      {L"eMail,\"Subject\"", L"a.eml", "Subject: Hello\r\nFrom: x@y.org\r\n\r\nbody\r\n", L"Hello.eml"},
      {L"Image,\"Width\"", L"a.png", image_samples::EncodePng(64, 48, PNG_COLOR_TYPE_RGB, 8), L"64.png"},
      {L"PgnCont,\"Test=Size\"", L"a.txt", "12345", L"5.txt"},
  };
}

}  // namespace

TEST_F(PreviewStepFailures, AFileWithoutTheValueKeepsTheNameTheEarlierStepsGave) {
  for (const ValueStep& step : ValueSteps()) {
    SCOPED_TRACE(testing::Message() << std::string(step.pattern, step.pattern + wcslen(step.pattern)));
    const std::wstring renamed = std::wstring(step.renamed).insert(std::wstring(step.renamed).rfind(L'.'), L"_");
    Preview(step, 1);
    EXPECT_EQ(NewName(0), renamed);
    EXPECT_EQ(NewName(1), L"B_.bin") << "the step fails for the file, the next step still runs, nothing is marked";
    EXPECT_EQ(g_app->problemCount, 0);
    Preview(step, 0);
    EXPECT_EQ(NewName(0), renamed);
    EXPECT_EQ(NewName(1), L"B_.bin") << "a pattern without literal text leaves the name";
    EXPECT_EQ(g_app->problemCount, 0);
  }
}

TEST_F(PreviewStepFailures, AStepThatFaultsMarksItsFileWhateverTheFlag) {
  TestLibrary library(kPublishedPlugin);
  const SetFault setFault = library.Export<SetFault>("TestPluginSetFault");
  ASSERT_NE(setFault, nullptr);
  ExpectCaughtFaults();
  for (int fault : {1, 2, 3}) {
    for (int failFlag : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "fault " << fault << " flag " << failFlag);
      setFault(fault);
      Preview({L"PgnCont,\"Test=Size\"", L"a.txt", "12345", nullptr}, failFlag);
      setFault(0);
      EXPECT_EQ(NewName(0), Marked(L"step failed"));
      EXPECT_EQ(NewName(1), L"B_.bin");
      EXPECT_EQ(g_app->problemCount, 1);
    }
  }
}

// The examples of the fail flag over a batch: the files with the value are renamed, those without keep their
// names, and the rename stays open to all of them.
TEST_F(PreviewStepFailures, TheFailFlagHoldsBackOnlyTheFilesWithoutTheValue) {
  std::vector<File> photos;
  std::vector<std::wstring> dated;
  for (int day = 1; day <= 5; ++day) {
    const std::wstring name = L"IMG_0" + std::to_wstring(day) + L".jpg";
    photos.push_back({name, ExifSampleJpeg({.dateOriginal = "2021:06:0" + std::to_string(day) + " 10:20:30"})});
    dated.push_back(L"2021-06-0" + std::to_wstring(day) + L".jpg");
  }
  photos.insert(photos.begin() + 2, {L"IMG_scan.jpg", JpegFile(FrameHeader(640, 480))});
  dated.insert(dated.begin() + 2, L"IMG_scan.jpg");
  PreviewFiles(photos, {L"<EXIF,1,\"Date Original,yyyy-MM-dd\">"});
  EXPECT_EQ(NewNames(), dated);
  EXPECT_EQ(g_app->problemCount, 0);

  using namespace audio_samples;
  const auto mp3 = [](const std::string& track, const std::string& artist, const std::string& title) {
    const std::pair<const char*, std::string> texts[] = {{"TRCK", track}, {"TPE1", artist}, {"TIT2", title}};
    std::string frames;
    for (const auto& [id, text] : texts) {
      if (!text.empty()) frames += Id3v2Frame(3, id, '\0' + text);
    }
    return Id3v2Tag(3, frames) + MpegFrame(400);
  };
  std::vector<File> songs;
  std::vector<std::wstring> named;
  for (int track = 1; track <= 9; ++track) {
    const bool lacking = track % 3 == 0;
    const std::string title = "Song " + std::to_string(track);
    songs.push_back({L"track" + std::to_wstring(track) + L".mp3",
                     mp3(track == 3 ? "" : std::to_string(track), "Band", track == 6 || track == 9 ? "" : title)});
    named.push_back(lacking ? L"track" + std::to_wstring(track) + L".mp3"
                            : L"0" + std::to_wstring(track) + L". Band - Song " + std::to_wstring(track) + L".mp3");
  }
  PreviewFiles(songs, {L"<Audio,1,\"Track\". \"Artist\" - \"Title\">"});
  EXPECT_EQ(NewNames(), named);
  EXPECT_EQ(g_app->problemCount, 0);

  PreviewFiles({{L"a.txt", "12345"}, {L"b.bin", "plain words"}}, {L"<PgnCont,1,\"Test=Size\">"});
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"5.txt", L"b.bin"})) << "the plug-in detects text files only";
  EXPECT_EQ(g_app->problemCount, 0);
}

// Without the flag a pattern none of whose fields has a value for the file gives its literal text, and equal
// names are numbered as any are.
TEST_F(PreviewStepFailures, WithoutTheFlagFieldsWithoutValueLeaveTheLiteralText) {
  using namespace audio_samples;
  const std::string untagged = MpegFrame(400) + MpegFrame(400);
  const std::string tagged = Id3v2Tag(3, Id3v2Frame(3, "TPE1", std::string(1, '\0') + "Band") +
                                             Id3v2Frame(3, "TIT2", std::string(1, '\0') + "Song")) +
                             MpegFrame(400);
  PreviewFiles({{L"a.mp3", tagged}, {L"b.mp3", untagged}, {L"c.mp3", untagged}},
               {L"<Audio,0,\"Artist\" - \"Title\">"});
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"Band - Song.mp3", L" - .mp3", L" -  (2).mp3"}));
  EXPECT_EQ(g_app->problemCount, 0);
  PreviewFiles({{L"a.txt", "12345"}, {L"b.bin", "plain words"}}, {L"<PgnCont,0,\"Test=Size\" bytes>"});
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"5 bytes.txt", L" bytes.bin"}));
}
