// QVRX.exe renaming a folder of audio files, photos, messages and pictures on disk by a chain of metadata steps
// restored from the last run's chain, each with its fail flag ticked: each file takes the name its own metadata
// gives, keeps its extension, has the characters a file name cannot hold (control characters included)
// replaced, and every step whose values a file lacks fails for that file alone, which keeps the name the other
// steps gave it (a file without any of the metadata keeps its own); undo brings every name back.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chain_run.h"
#include "support/temp_folder.h"
#include "tests/metadata/image_samples.h"

using namespace audio_samples;
using namespace image_samples;

namespace {

std::string Mp3(const std::string& artist, const std::string& title) {
  return Id3v2Tag(3, Id3v2Frame(3, "TPE1", '\0' + artist) + Id3v2Frame(3, "TIT2", '\0' + title)) + MpegFrame(400);
}

struct MetadataFile {
  const wchar_t* name;
  std::string bytes;
  const wchar_t* renamed;
};

using MetadataStepsProgram = ProgramOnFolder;

}  // namespace

TEST_F(MetadataStepsProgram, RenamesEachFileByItsOwnMetadataAndUndoesIt) {
  const TempFolder& folder = copy_.Folder();
  const std::wstring files = folder.MakeFolder(L"files");
  const MetadataFile kFiles[] = {
      {L"song.mp3", Mp3("Band", "Song\r\n"), L"Band - Song__.mp3"},
      {L"untagged.mp3", Id3v2Tag(3, "", 0, 64) + MpegFrame(400), L"untagged.mp3"},
      {L"picture.png", EncodePng(640, 480, PNG_COLOR_TYPE_RGB, 8), L"640x480.png"},
      {L"photo.jpg", ExifSampleJpeg({}), L"2021-06-01.jpg"},
      {L"message.eml", "Subject: Hello: World\r\nDate: Mon, 5 Feb 2024 14:03:09 +0100\r\n\r\nbody\r\n",
       L"2024-02-05 Hello_ World.eml"},
      {L"notes.txt", "no metadata at all", L"notes.txt"},
  };
  for (const MetadataFile& file : kFiles) folder.WriteFile(L"files\\" + std::wstring(file.name), file.bytes);
  ASSERT_TRUE(EncodeFlac(files + L"\\track.flac", {{"ARTIST", "Flac Band"}, {"TITLE", "Part: One?"}}));
  folder.WriteFile(L"QVRX.INI",
                   "[QVRX]\r\nLanguage=US\r\n[QK]\r\n"
                   "R1=<Image,1,\"Width\"x\"Height\">\r\n"
                   "R2=<Audio,1,\"Artist\" - \"Title\">\r\n"
                   "R3=<EXIF,1,\"Date,yyyy-MM-dd\">\r\n"
                   "R4=<eMail,1,\"Date,yyyy-MM-dd\" \"Subject\">\r\n");
  Names renamed = {L"Flac Band - Part_ One_.flac"};
  for (const MetadataFile& file : kFiles) renamed.push_back(file.renamed);
  std::sort(renamed.begin(), renamed.end());

  ExpectRenamedAndUndone(copy_, files, renamed, "metadata steps");
}
