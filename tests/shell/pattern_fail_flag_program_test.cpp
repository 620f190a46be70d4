// QVRX.exe renaming a batch of files by a step that builds names from the files' values (EXIF, audio tags, a
// content plug-in's field), where some files lack the value: with the fail flag ticked the step fails for those
// files alone, which keep their names unmarked while the others are renamed; unticked, the references without
// a value vanish and the pattern's literal text remains, numbered like any equal names. The names shown are the
// names that land on disk, and undo brings them back.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "chain_run.h"
#include "support/temp_folder.h"
#include "tests/metadata/image_samples.h"

using namespace audio_samples;

namespace {

struct BatchFile {
  std::wstring name;
  std::string bytes;
  std::wstring renamed;
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void RenameBatch(const char* what, const std::vector<BatchFile>& batch, const std::string& step,
                 const std::string& moreProfile = "") {
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const TempFolder& folder = copy.Folder();
  const std::wstring files = folder.MakeFolder(L"files");
  Names renamed;
  for (const BatchFile& file : batch) {
    folder.WriteFile(L"files\\" + file.name, file.bytes);
    renamed.push_back(file.renamed);
  }
  std::sort(renamed.begin(), renamed.end());
  folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=" + step + "\r\n" + moreProfile);
  ExpectRenamedAndUndone(copy, files, renamed, what);
}

std::string Mp3(const std::string& track, const std::string& artist, const std::string& title) {
  const std::pair<const char*, std::string> texts[] = {{"TRCK", track}, {"TPE1", artist}, {"TIT2", title}};
  std::string frames;
  for (const auto& [id, text] : texts) {
    if (!text.empty()) frames += Id3v2Frame(3, id, '\0' + text);
  }
  return Id3v2Tag(3, frames) + MpegFrame(400);
}

}  // namespace

TEST(PatternFailFlagProgram, TickedTheFilesWithoutTheValueKeepTheirNamesAndTheOthersAreRenamed) {
  SKIP_WITH_PER_USER_PROFILE();
  std::vector<BatchFile> photos;
  for (int day = 1; day <= 5; ++day) {
    photos.push_back({L"IMG_0" + std::to_wstring(day) + L".jpg",
                      ExifSampleJpeg({.dateOriginal = "2021:06:0" + std::to_string(day) + " 10:20:30"}),
                      L"2021-06-0" + std::to_wstring(day) + L".jpg"});
  }
  photos.push_back({L"IMG_scan.jpg", JpegFile(FrameHeader(640, 480)), L"IMG_scan.jpg"});
  RenameBatch("six photos, one without EXIF", photos, "<EXIF,1,\"Date Original,yyyy-MM-dd\">");

  std::vector<BatchFile> songs;
  for (int track = 1; track <= 9; ++track) {
    const std::wstring name = L"track" + std::to_wstring(track) + L".mp3";
    const bool lacking = track % 3 == 0;
    const std::wstring named = L"0" + std::to_wstring(track) + L". Band - Song " + std::to_wstring(track) + L".mp3";
    songs.push_back({name,
                     Mp3(track == 3 ? "" : std::to_string(track), "Band",
                         track == 6 || track == 9 ? "" : "Song " + std::to_string(track)),
                     lacking ? name : named});
  }
  RenameBatch("nine songs, three without track or title", songs, "<Audio,1,\"Track\". \"Artist\" - \"Title\">");

  // The test plug-in detects text files only.
  const std::string plugins =
      "[pgnCont]\r\n1=Test;+" + Narrow(ExecutableFolder() + L"\\PublishedTestPlugin.wdx64") + ";;\r\n";
  RenameBatch("a plug-in field of a text file and of another",
              {{L"a.txt", "12345", L"5.txt"}, {L"b.bin", "x", L"b.bin"}}, "<PgnCont,1,\"Test=Size\">", plugins);
}

TEST(PatternFailFlagProgram, UntickedAPatternWithoutValuesLeavesItsLiteralText) {
  SKIP_WITH_PER_USER_PROFILE();
  const std::string untagged = MpegFrame(400) + MpegFrame(400);
  RenameBatch("untagged songs",
              {{L"a.mp3", Mp3("", "Band", "Song"), L"Band - Song.mp3"},
               {L"b.mp3", untagged, L" - .mp3"},
               {L"c.mp3", untagged, L" -  (2).mp3"}},
              "<Audio,0,\"Artist\" - \"Title\">");
}
