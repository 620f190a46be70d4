// The Ogg Vorbis, FLAC, WMA and M4A readers: encoder output made here, files built byte by byte, and the
// structures built to make a reader hang or run out of memory or stack.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <string>
#include <vector>

#include "audio_checks.h"
#include "audio_samples.h"
#include "support/temp_folder.h"

using namespace audio_samples;

namespace {

struct VorbisEncoder {
  const wchar_t* name;
  bool (*encode)(const std::wstring& path, const Comments& comments, const EncoderSettings& settings);
  const wchar_t* format;
};

constexpr VorbisEncoder kEncoders[] = {{L"tone.ogg", EncodeOggVorbis, L"Ogg Vorbis"},
                                       {L"tone.flac", EncodeFlac, L"FLAC"}};

TEST(VorbisComments, EncoderOutputReadsBackToTheSameTexts) {
  const std::wstring title = L"Caf\u00e9 \u00e0 la cr\u00e8me\t", artist = L"\u0421\u0435\u0440\u0433\u0435\u0439",
                     album = L"\u4ea4\u97ff\u66f2 \U0001D11E", comment = L"\u30b3\u30e1\u30f3\u30c8\r\n";
  const Comments comments = {{"TITLE", Utf8(title)},     {"artist", Utf8(artist)}, {"Album", Utf8(album)},
                             {"TRACKNUMBER", "3/12"},    {"DATE", "2001-05-01"},   {"GENRE", "Jazz"},
                             {"COMMENT", Utf8(comment)}, {"TITLEX", "not a title"}};
  TempFolder folder;
  for (const VorbisEncoder& encoder : kEncoders) {
    const std::wstring path = folder / encoder.name;
    ASSERT_TRUE(encoder.encode(path, comments, EncoderSettings()));
    const AudioReadResult read = ReadTags(path);
    EXPECT_EQ(read.result, 0) << encoder.format;
    EXPECT_STREQ(read.info.format, encoder.format);
    ExpectTexts(read.info, {title, artist, album, comment, L"Jazz"});
    ExpectTrackAndYear(read.info, 3, 12, 2001);
    ExpectStream(read.info, 2, 44100, 1);
  }
}

TEST(VorbisComments, OggSkipsMalformedKeysAndValues) {
  TempFolder folder;
  const std::wstring path = folder / L"checks.ogg";
  ASSERT_TRUE(EncodeOggVorbis(path, {{"title", "lower"},
                                     {"ARTIST", "\xC0\x80"},           // overlong
                                     {"ALBUM", "\xED\xA0\x80"},        // surrogate
                                     {"COMMENT", "\xF4\x90\x80\x80"},  // above U+10FFFF
                                     {"GENRE~", "tilde in the key"},
                                     {"GENRE", "Jazz"},
                                     {"DATE", "\xE2\x82"}}));  // cut short
  const AudioReadResult read = ReadTags(path);
  EXPECT_EQ(read.result, 0);
  ExpectTexts(read.info, {L"lower", L"", L"", L"", L"Jazz"});
}

TEST(OggStreams, OnlyVorbisStreamsCount) {
  TempFolder folder;
  const AudioReadResult other = ReadTags(folder.WriteFile(L"other.ogg", OggPage(7, "\x80theora and more", true, true)));
  EXPECT_EQ(other.result, -1);
  EXPECT_STREQ(other.info.format, L"");
  const AudioReadResult empty = ReadTags(folder.WriteFile(L"empty.ogm", ""));
  EXPECT_EQ(empty.result, -1);
}

// The peak of memory in use: under Wine heap blocks count in the working set as their pages are touched, but
// not in the page-file usage.
SIZE_T PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PeakWorkingSetSize;
}

// Thousands of Vorbis streams begun together, each of which would keep a stream state and decoder records.
TEST(OggStreams, ManySerialNumbersTakeLittleMemory) {
  const std::string identification =
      "\x01vorbis" + std::string(4, '\0') + '\x02' + LittleEndian(44100, 4) + std::string(12, '\0') + "\xB8\x01";
  std::string bytes;
  for (int serial = 1; serial <= 30000; ++serial) bytes += OggPage(serial, identification, true, false);
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"streams.ogg", bytes);
  const SIZE_T before = PeakWorkingSet();
  const AudioReadResult read = ReadTags(path);
  EXPECT_LE(PeakWorkingSet() - before, 64u << 20);
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.info.channels, 0);  // no stream got past its first header
}

TEST(FlacFiles, StreamInfoAndCommentsWithKnownAndUnknownLength) {
  const std::vector<std::string> comments = {"TITLE=Hi", "tracknumber=3/12", "DATE=2001-05-01", "GENRE=Jazz",
                                             "no equals"};
  const struct {
    uint64_t samples;
    int32_t duration;
    bool bitrate;
  } cases[] = {{441000, 10, true}, {0, 0, false}};
  TempFolder folder;
  for (const auto& c : cases) {
    const std::string bytes = FlacFile(44100, 2, c.samples, comments);
    const AudioReadResult read = ReadTags(folder.WriteFile(L"blocks.flac", bytes));
    EXPECT_EQ(read.result, 0);
    EXPECT_STREQ(read.info.format, L"FLAC");
    ExpectTexts(read.info, {L"Hi", L"", L"", L"", L"Jazz"});
    ExpectTrackAndYear(read.info, 3, 12, 2001);
    ExpectStream(read.info, 2, 44100, c.duration);
    // kbit/s: bits of the whole file over the milliseconds of sound.
    EXPECT_EQ(read.info.bitrate, c.bitrate ? static_cast<int32_t>(bytes.size() * 8 / 10000.0 + 0.5) : 0);
  }
}

TEST(FlacFiles, AnyOtherFileGivesAnEmptyRecord) {
  TempFolder folder;
  const AudioTagInfo empty{};
  for (const std::string& bytes :
       {std::string("not a FLAC file at all"), std::string("fLaC") + std::string(40, '\xFF')}) {
    const AudioReadResult read = ReadTags(folder.WriteFile(L"x.flac", bytes));
    EXPECT_EQ(read.result, -1);
    EXPECT_EQ(memcmp(&read.info, &empty, sizeof(AudioTagInfo)), 0);
  }
}

std::string FileProperties(uint32_t maxBitrate) {
  return AsfObject(AsfGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365),
                   std::string(76, '\0') + LittleEndian(maxBitrate, 4));
}

TEST(WmaFiles, HeaderObjectsGiveTagsAndProperties) {
  const std::vector<std::string> objects = {
      FileProperties(160000),
      AsfStreamProperties(2, 44100, 16000),
      // The title is stored without its terminator: the author must still be read from its own bytes.
      AsfContentDescription(Utf16(L"  T", false), AsfText(L"A "), AsfText(L"Comment")),
      AsfExtendedContent(
          {AsfDescriptor(L"WM/Track", 3, LittleEndian(4, 4)), AsfDescriptor(L"WM/TrackNumber", 0, AsfText(L"9")),
           AsfDescriptor(L"wm/genre", 0, AsfText(L"Jazz")),
           AsfDescriptor(L"WM/AlbumTitle", 0, AsfText(L"\u4ea4\u97ff\u66f2")),
           AsfDescriptor(L"WM/Year", 0, AsfText(L"2003")), AsfDescriptor(L"WM/Picture", 1, std::string(5000, '\xFF'))}),
  };
  TempFolder folder;
  const AudioReadResult read = ReadTags(folder.WriteFile(L"song.wma", AsfFile(objects, std::string(40000, '\0'))));
  EXPECT_EQ(read.result, 0);
  EXPECT_STREQ(read.info.format, L"WMA");
  ExpectTexts(read.info, {L"T", L"A", L"\u4ea4\u97ff\u66f2", L"Comment", L"Jazz"});
  ExpectTrackAndYear(read.info, 5, 0, 2003);
  ExpectStream(read.info, 2, 44100, 2);  // 40000 bytes after the header at 160 kbit/s
  EXPECT_EQ(read.info.bitrate, 128);
}

TEST(WmaFiles, BrokenHeadersFail) {
  const std::string zeroSized = AsfGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6C) + LittleEndian(0, 8);
  std::string endless = AsfFile({zeroSized});
  endless.replace(24, 4, LittleEndian(0xFFFFFFFF, 4));
  const std::string cut = AsfFile({AsfContentDescription(AsfText(L"Title"), "", "")}, "");
  TempFolder folder;
  for (const std::string& bytes : {endless, cut.substr(0, cut.size() - 4), std::string("ASF? no")}) {
    EXPECT_EQ(ReadTags(folder.WriteFile(L"broken.wma", bytes)).result, -1);
  }
}

TEST(M4aFiles, BrandNamesTheFormat) {
  const struct {
    std::string brand;
    const wchar_t* format;
  } cases[] = {{"M4A ", L"M4A"}, {"isom", L"M4A"}, {"mp42", L"MP4"}, {"M4V ", L"M4V"}};
  TempFolder folder;
  for (const auto& c : cases) {
    const AudioReadResult read = ReadTags(folder.WriteFile(L"brand.m4a", Mp4File(c.brand, "")));
    EXPECT_EQ(read.result, 0);
    EXPECT_STREQ(read.info.format, c.format);
  }
}

TEST(M4aFiles, ItemsAndTrackGiveTagsAndProperties) {
  const std::string trkn = Mp4Item("trkn", std::string("\0\0\0\x03\0\x0C\0\0", 8), 0);
  const struct {
    std::string items;
    const wchar_t* artist;
  } cases[] = {
      {Mp4Item("aART", "X") + Mp4Item("\251ART", "Y") + Mp4Item("\251nam", "N") + trkn, L"Y"},
      {Mp4Item("aART", "X") + Mp4Item("\251nam", "N") + trkn, L"X"},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    const std::string extra = Mp4Item("\251day", "2009-02-03") + Mp4Item("gnre", std::string("\0\x0A", 2), 0) +
                              Mp4Item("tmpo", std::string("\0\x78", 2), 21) + Mp4Item("\251cmt", "\xE2\x82");
    const AudioReadResult read =
        ReadTags(folder.WriteFile(L"song.m4a", Mp4File("M4A ", c.items + extra, Mp4AudioTrack(10, 128000))));
    EXPECT_EQ(read.result, 0);
    EXPECT_STREQ(read.info.format, L"M4A");
    ExpectTexts(read.info, {L"N", c.artist, L"", L"", L"Metal"});
    ExpectTrackAndYear(read.info, 3, 12, 2009);
    ExpectStream(read.info, 2, 44100, 10);
    EXPECT_EQ(read.info.bpm, 120);
    EXPECT_EQ(read.info.bitrate, 128);
  }
}

TEST(M4aFiles, DeepNestingAndShortItemsAreHarmless) {
  const std::string inner = Mp4Item("\251nam", "too deep");
  constexpr int kLevels = 100000;
  std::string nested;
  for (int level = 0; level < kLevels; ++level)
    nested += BigEndian(inner.size() + 8ull * (kLevels - level), 4) + "udta";
  nested += inner;
  const std::string shortData = Mp4Atom("\251nam", Mp4Atom("data", "ab"));
  TempFolder folder;
  for (const std::string& bytes : {Mp4File("M4A ", "") + nested, Mp4File("M4A ", shortData)}) {
    const AudioReadResult read = ReadTags(folder.WriteFile(L"nested.m4a", bytes));
    EXPECT_EQ(read.result, 0);
    EXPECT_STREQ(read.info.title, L"");
  }
}

}  // namespace
