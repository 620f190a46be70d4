// Every audio reader on hostile input: each sample cut at every length and changed by seeded random bytes.
// No read may hang, crash or take much memory; each gives a failure code or a record with terminated texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "audio_checks.h"
#include "audio_samples.h"
#include "hostile_input.h"
#include "support/temp_folder.h"

using namespace audio_samples;

namespace {

bool ReadKeepsTheRules(const std::wstring& path, bool failureClearsRecord) {
  const AudioReadResult read = ReadTags(path);
  const AudioTagInfo empty{};
  if (failureClearsRecord && read.result != 0 && memcmp(&read.info, &empty, sizeof(empty)) != 0) return false;
  return TextsTerminated(read.info);
}

void RunAudioHostileLoop(const std::string& sample, const std::wstring& extension, uint32_t seed) {
  ASSERT_FALSE(sample.empty());
  HostileInputOptions options;
  options.seed = seed;
  const bool flac = extension == L".flac";
  RunHostileInputLoop(
      sample, extension, [flac](const std::wstring& path) { return ReadKeepsTheRules(path, flac); }, options);
}

std::string TextFrame(int version, const std::string& id, const std::string& text) {
  return Id3v2Frame(
      version, id,
      '\x01' + std::string("\xFF\xFE") + Utf16(std::wstring(text.begin(), text.end()), false) + std::string(2, '\0'));
}

std::string Mp3Sample(int version) {
  const std::string frames = TextFrame(version, "TIT2", "A title") + TextFrame(version, "TPE1", "An artist") +
                             Id3v2Frame(version, "COMM", std::string("\0eng\0A comment", 14)) +
                             Id3v2Frame(version, "TRCK",
                                        std::string("\0"
                                                    "3/12",
                                                    5)) +
                             Id3v2Frame(version, "TCON", std::string("\0(17)Rock", 9));
  const std::string extended = version == 3 ? BigEndian(6, 4) + std::string(6, '\0') : Syncsafe(6) + "\x01" + '\0';
  const std::string xing =
      "Xing" + BigEndian(15, 4) + BigEndian(100, 4) + BigEndian(41700, 4) + std::string(104, '\x10');
  std::string frame = MpegFrame(260);
  frame.replace(36, xing.size(), xing);
  // Version 2.3 unsynchronises the whole tag; 2.4 would do it frame by frame.
  const std::string tag =
      version == 3 ? Id3v2Tag(3, Unsynchronise(extended + frames), 0xC0, 16) : Id3v2Tag(4, extended + frames, 0x40, 16);
  return tag + frame + Id3v1Tag("T1", "A1", "1999", 7, 17);
}

std::string WmaSample() {
  return AsfFile({AsfStreamProperties(2, 44100, 16000),
                  AsfContentDescription(AsfText(L"Title"), AsfText(L"Author"), AsfText(L"Words")),
                  AsfExtendedContent({AsfDescriptor(L"WM/Track", 3, LittleEndian(4, 4)),
                                      AsfDescriptor(L"WM/Genre", 0, AsfText(L"Jazz")),
                                      AsfDescriptor(L"WM/Year", 0, AsfText(L"2003"))})},
                 std::string(16, '\0'));
}

std::string M4aSample() {
  return Mp4File("M4A ",
                 Mp4Item("\251nam", "Title") + Mp4Item("aART", "Artist") +
                     Mp4Item("trkn", std::string("\0\0\0\x03\0\x0C\0\0", 8), 0) +
                     Mp4Item("gnre", std::string("\0\x0A", 2), 0),
                 Mp4AudioTrack(10, 128000));
}

TEST(AudioHostileInput, Mp3WithId3v23) { RunAudioHostileLoop(Mp3Sample(3), L".mp3", 31); }

TEST(AudioHostileInput, Mp3WithId3v24) { RunAudioHostileLoop(Mp3Sample(4), L".mp3", 32); }

TEST(AudioHostileInput, Wma) { RunAudioHostileLoop(WmaSample(), L".wma", 33); }

TEST(AudioHostileInput, M4a) { RunAudioHostileLoop(M4aSample(), L".m4a", 34); }

TEST(AudioHostileInput, Flac) {
  RunAudioHostileLoop(FlacFile(44100, 2, 441000, {"TITLE=Hi", "TRACKNUMBER=3/12", "DATE=2001", "GENRE=Jazz"}), L".flac",
                      35);
}

// The headers alone, of a small encoder setup (mono, 8 kHz): their bytes are what the reader decodes.
TEST(AudioHostileInput, OggVorbis) {
  TempFolder folder;
  const std::wstring path = folder / L"short.ogg";
  ASSERT_TRUE(EncodeOggVorbis(path, {{"TITLE", "Hi"}, {"ARTIST", "Someone"}, {"TRACKNUMBER", "3"}}, {0, 1, 8000}));
  RunAudioHostileLoop(ReadWholeFile(path), L".ogg", 36);
}

}  // namespace
