// The preview over real files with the five steps that build names from a file's values (Audio, EXIF, eMail,
// Image, PgnCont): a file without the value is marked and refused when the step is set to mark such files, and
// keeps the name the earlier steps gave otherwise; a step that faults marks its file. Nothing else is blocked.
#include <gtest/gtest.h>

#include <string>
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

  // Lists the file with the value and a file without any value, behind a step that makes names upper case.
  void Preview(const ValueStep& step, int failFlag) {
    ItemStoreReset(&files_->rows);
    ItemStoreReset(&files_->pathPool);
    ItemStoreReset(&chain_->rows);
    plugins_.File(step.file, step.bytes);
    plugins_.File(L"b.bin", "plain words");
    const uint32_t folder = AddFolder(plugins_.temp_.Path().c_str());
    AddFile(folder, step.file);
    AddFile(folder, L"b.bin");
    AddStep(L"<Case,n,2>");
    AddStep(StepText(step.pattern, failFlag).c_str());
    ComputeNewNames();
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

TEST_F(PreviewStepFailures, AFileWithoutTheValueIsMarkedOnlyWhenTheStepSaysSo) {
  for (const ValueStep& step : ValueSteps()) {
    SCOPED_TRACE(testing::Message() << std::string(step.pattern, step.pattern + wcslen(step.pattern)));
    Preview(step, 1);
    EXPECT_EQ(NewName(0), step.renamed);
    EXPECT_EQ(NewName(1), Marked(L"no value"));
    EXPECT_EQ(g_app->problemCount, 1);
    Preview(step, 0);
    EXPECT_EQ(NewName(0), step.renamed);
    EXPECT_EQ(NewName(1), L"B.bin");
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
      EXPECT_EQ(NewName(1), failFlag != 0 ? Marked(L"no value") : L"B.bin");
      EXPECT_EQ(g_app->problemCount, failFlag != 0 ? 2 : 1);
    }
  }
}
