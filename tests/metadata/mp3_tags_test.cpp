// The MP3 reader on files built byte by byte: ID3v2 tags of every version and text encoding with their
// options, ID3v1 tags, MPEG frame headers with CRC and Xing, and the genre and track texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio_checks.h"
#include "audio_samples.h"
#include "metadata/audio_text.h"
#include "metadata/id3_tags.h"
#include "metadata/mpeg_audio.h"
#include "support/temp_folder.h"

using namespace audio_samples;

namespace {

struct Id3Layout {
  const char* name;
  int version;
  uint8_t encoding;    // 0 Latin-1, 1 UTF-16 with mark, 2 UTF-16BE, 3 UTF-8
  bool bigEndianMark;  // for encoding 1
  bool extendedHeader;
  bool unsynchronise;    // the whole tag in 2.2 and 2.3, each frame (with a data length) in 2.4
  bool plainSizedFrame;  // a large 2.4 frame whose size was stored without the syncsafe scheme
  size_t padding;
};

// What players show; the Latin-1 title holds FF, which unsynchronisation stuffs.
const ExpectedTexts kLatinTexts{L"Caf\u00e9 \u00ff\t", L"Bj\u00f6rk", L"\u00c0 la carte", L"Tr\u00e8s bien\r\n",
                                L"Rock"};
const ExpectedTexts kUnicodeTexts{
    L"\u041f\u0440\u0438\u0432\u0435\u0442 \u4e16\u754c \U0001D11E\t",
    L"\u0421\u0435\u0440\u0433\u0435\u0439 \u041f\u0440\u043e\u043a\u043e\u0444\u044c\u0435\u0432",
    L"\u4ea4\u97ff\u66f2\u7b2c1\u756a", L"\u30b3\u30e1\u30f3\u30c8\r\n", L"Rock"};

std::string EncodeText(const Id3Layout& layout, const std::wstring& text) {
  switch (layout.encoding) {
    case 0:
      return Latin1(text) + '\0';
    case 1:
      return (layout.bigEndianMark ? "\xFE\xFF" : "\xFF\xFE") + Utf16(text, layout.bigEndianMark) +
             std::string(2, '\0');
    case 2:
      return Utf16(text, true) + std::string(2, '\0');
    default:
      return Utf8(text) + '\0';
  }
}

std::string Frame(const Id3Layout& layout, const std::string& id, const std::string& body) {
  if (layout.version != 4 || !layout.unsynchronise) return Id3v2Frame(layout.version, id, body);
  // Unsynchronised on its own, after a data length indicator of the original size.
  return Id3v2Frame(4, id, Syncsafe(static_cast<uint32_t>(body.size())) + Unsynchronise(body), 0x0003);
}

std::string TextFrame(const Id3Layout& layout, const std::string& id, const std::wstring& text) {
  return Frame(layout, id, static_cast<char>(layout.encoding) + EncodeText(layout, text));
}

std::string CommentFrame(const Id3Layout& layout, const std::wstring& description, const std::wstring& text) {
  return Frame(layout, layout.version == 2 ? "COM" : "COMM",
               static_cast<char>(layout.encoding) + std::string("eng") + EncodeText(layout, description) +
                   EncodeText(layout, text));
}

std::string ExtendedHeader(int version) {
  if (version == 3) return BigEndian(6, 4) + BigEndian(0, 2) + BigEndian(0, 4);
  return Syncsafe(6) + "\x01" + std::string(1, '\0');
}

std::string Id3File(const Id3Layout& layout, const ExpectedTexts& texts) {
  const bool v2 = layout.version == 2;
  std::string frames;
  if (layout.plainSizedFrame) frames += "TXXX" + BigEndian(256, 4) + BigEndian(0, 2) + std::string(256, 'x');
  if (!v2) frames += CommentFrame(layout, L"iTunNORM", L" 0000021D 00000213");
  frames += TextFrame(layout, v2 ? "TT2" : "TIT2", texts.title) + TextFrame(layout, v2 ? "TP1" : "TPE1", texts.artist) +
            TextFrame(layout, v2 ? "TAL" : "TALB", texts.album) + CommentFrame(layout, L"", texts.comment) +
            TextFrame(layout, v2 ? "TRK" : "TRCK", L"7/9") + TextFrame(layout, v2 ? "TCO" : "TCON", L"(17)") +
            TextFrame(layout,
                      v2                    ? "TYE"
                      : layout.version == 3 ? "TYER"
                                            : "TDRC",
                      L"2004-05-06");
  std::string content = (layout.extendedHeader ? ExtendedHeader(layout.version) : "") + frames;
  uint8_t flags = layout.extendedHeader ? 0x40 : 0;
  if (layout.unsynchronise && layout.version < 4) {
    content = Unsynchronise(content);
    flags |= 0x80;
  }
  return Id3v2Tag(layout.version, content, flags, layout.padding) + MpegFrame(300) +
         Id3v1Tag("v1 title", "v1 artist", "2004", 0, 255);
}

class Id3Layouts : public testing::TestWithParam<Id3Layout> {};

TEST_P(Id3Layouts, GiveTheTextsPlayersShow) {
  const Id3Layout& layout = GetParam();
  const ExpectedTexts& texts = layout.encoding == 0 ? kLatinTexts : kUnicodeTexts;
  TempFolder folder;
  const AudioReadResult read = ReadTags(folder.WriteFile(L"song.mp3", Id3File(layout, texts)));
  EXPECT_EQ(read.result, 0);
  ExpectTexts(read.info, texts);
  ExpectTrackAndYear(read.info, 7, 9, 2004);
  EXPECT_STREQ(read.info.format, L"MP3");
  ExpectStream(read.info, 2, 44100, 0);
  EXPECT_EQ(read.info.bitrate, 128);
}

INSTANTIATE_TEST_SUITE_P(
    VersionsAndEncodings, Id3Layouts,
    testing::Values(Id3Layout{"v22_latin1_padding", 2, 0, false, false, false, false, 50},
                    Id3Layout{"v22_utf16_unsynchronised", 2, 1, false, false, true, false, 0},
                    Id3Layout{"v23_latin1_extended_unsynchronised", 3, 0, false, true, true, false, 0},
                    Id3Layout{"v23_utf16_big_endian_mark_padding", 3, 1, true, false, false, false, 300},
                    Id3Layout{"v23_utf16_everything", 3, 1, false, true, true, false, 64},
                    Id3Layout{"v24_utf16be_extended", 4, 2, false, true, false, false, 0},
                    Id3Layout{"v24_utf8_padding", 4, 3, false, false, false, false, 100},
                    Id3Layout{"v24_utf16_unsynchronised_frames", 4, 1, false, false, true, false, 0},
                    Id3Layout{"v24_utf16_plain_sized_frame", 4, 1, false, false, false, true, 0},
                    Id3Layout{"v24_latin1_unsynchronised_frames", 4, 0, false, false, true, false, 0}),
    [](const testing::TestParamInfo<Id3Layout>& info) { return std::string(info.param.name); });

TEST(Id3Genres, NumbersBecomeNames) {
  const struct {
    const wchar_t* stored;
    const wchar_t* shown;
  } cases[] = {{L"(17)", L"Rock"},
               {L"(17)Rock and Roll", L"Rock and Roll"},
               {L"17", L"Rock"},
               {L"017", L"017"},
               {L"17x", L"17x"},
               {L"(200)", L""},
               {L"(-1)", L""},
               {L"(147)", L"Synthpop"},
               {L"(RX)", L"(RX)"},
               {L"Jazz", L"Jazz"},
               {L"141", L"Christian Rock "}};
  for (const auto& c : cases) {
    wchar_t genre[kAudioTextCapacity];
    wcscpy(genre, c.stored);
    NormaliseId3Genre(genre, kAudioTextCapacity);
    EXPECT_STREQ(genre, c.shown) << "stored as " << testing::PrintToString(std::wstring(c.stored));
  }
}

TEST(AudioTrackTexts, GiveTrackAndTotal) {
  const struct {
    const wchar_t* text;
    uint16_t track, total;
  } cases[] = {{L"3/12", 3, 12}, {L"3 of 12", 3, 12},    {L"  7", 7, 0}, {L"", 0, 0},
               {L"x", 0, 0},     {L"99999/1", 65535, 1}, {L"4/", 4, 0}};
  for (const auto& c : cases) {
    uint16_t track = 1, total = 1;
    ParseTrackNumber(c.text, &track, &total);
    EXPECT_EQ(track, c.track) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(total, c.total) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(Id3v1Tags, FillWhatTheNewerTagLeftEmptyExceptTheYear) {
  const struct {
    std::string tag2;
    std::string year1;
    const wchar_t* title;
    uint16_t year, track;
  } cases[] = {
      {"", "1999", L"T1", 1999, 7},
      {Id3v2Tag(3, Id3v2Frame(3, "TIT2", std::string("\0V2", 3)) +
                       Id3v2Frame(3, "TYER",
                                  std::string("\0"
                                              "2001",
                                              5)) +
                       Id3v2Frame(3, "TRCK",
                                  std::string("\0"
                                              "3",
                                              2))),
       "", L"V2", 0, 3},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    const std::string bytes = c.tag2 + std::string(300, '\0') + Id3v1Tag("T1", "A1", c.year1, 7, 17);
    const AudioReadResult read = ReadTags(folder.WriteFile(L"old.mp3", bytes));
    EXPECT_EQ(read.result, 0);
    ExpectTexts(read.info, {c.title, L"A1", L"", L"v1 comment", L"Rock"});
    ExpectTrackAndYear(read.info, c.track, 0, c.year);
    EXPECT_STREQ(read.info.format, L"");
  }
}

// Frame walks that must end: sizes that point back, past the tag or nowhere.
TEST(Id3v2Frames, WalkEndsOnEveryFrameSize) {
  const struct {
    std::string frames;
    uint32_t tagSize;
    const wchar_t* title;
  } cases[] = {
      {"TXXX" + BigEndian(0xFFFFFFF6, 4) + BigEndian(0, 2), 100, L""},
      {"TXXX" + BigEndian(0, 4) + BigEndian(0, 2) + Id3v2Frame(3, "TIT2", std::string("\0Hello", 6)), 27, L"Hello"},
      {Id3v2Frame(3, "TIT2", std::string("\0Cut", 4)) + "TALB" + BigEndian(0x7FFFFFFF, 4) + BigEndian(0, 2) + "x", 26,
       L"Cut"},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    const std::string bytes = "ID3" + std::string("\x03\0\0", 3) + Syncsafe(c.tagSize) + c.frames;
    const AudioReadResult read = ReadTags(folder.WriteFile(L"walk.mp3", bytes));
    EXPECT_EQ(read.result, 0);
    EXPECT_STREQ(read.info.title, c.title);
  }
}

TEST(Mp3Frames, HeaderAndXingGiveTheStreamProperties) {
  const std::string xing = "Xing" + BigEndian(3, 4) + BigEndian(1000, 4) + BigEndian(417000, 4);
  const struct {
    std::string header;
    std::string afterSideInfo;  // at byte 36 (MPEG-1 stereo) or 13 (MPEG-2 mono)
    int32_t bitrate, sampleRate;
    uint16_t channels;
    int32_t duration;
  } cases[] = {
      {std::string("\xFF\xFB\x90\x64", 4), xing, -127, 44100, 2, 3},  // Xing average
      {std::string("\xFF\xFB\x90\x64", 4), "Xing" + BigEndian(1, 4) + BigEndian(0, 4), 128, 44100, 2,
       3},                                                        // no frame count
      {std::string("\xFF\xF3\x80\xC0", 4), "", 64, 22050, 1, 6},  // MPEG-2, mono
      {std::string("\xFF\xFB\x00\x00", 4), "", 0, 44100, 2, 0},   // free format
      {std::string("\xFF\xFB\xF0\x00", 4), "", 0, 0, 0, 0},       // invalid bitrate
  };
  TempFolder folder;
  for (const auto& c : cases) {
    std::string bytes = c.header + std::string(48000 - 4, '\0');
    bytes.replace(static_cast<uint8_t>(c.header[3]) == 0xC0 ? 13 : 36, c.afterSideInfo.size(), c.afterSideInfo);
    const AudioReadResult read = ReadTags(folder.WriteFile(L"x.xyz", bytes));
    EXPECT_EQ(read.result, 0);
    EXPECT_STREQ(read.info.format, c.sampleRate != 0 ? L"MP3" : L"");
    EXPECT_EQ(read.info.bitrate, c.bitrate);
    ExpectStream(read.info, c.channels, c.sampleRate, c.duration);
  }
}

TEST(Mp3Frames, CrcCoversTheHeaderEndAndSideInformation) {
  // The standard check value of this CRC over "123456789", placed around the stored CRC's bytes.
  const std::string check = "--12--3456789";
  EXPECT_EQ(ComputeMp3FrameCrc16(reinterpret_cast<const uint8_t*>(check.data()), 13), 0xAEE7);

  std::string frame = "\xFF\xFA\x90\x64" + std::string(500, '\x5A');
  const uint16_t crc = ComputeMp3FrameCrc16(reinterpret_cast<const uint8_t*>(frame.data()), 38);
  frame.replace(4, 2, BigEndian(crc, 2));
  const struct {
    std::string bytes;
    uint64_t audioLength;
    int crcState;
  } cases[] = {
      {frame, frame.size(), 1}, {frame.substr(0, 10) + '!' + frame.substr(11), frame.size(), -1}, {frame, 30, -2}};
  for (const auto& c : cases) {
    MpegFrameInfo info;
    ASSERT_EQ(ParseMpegAudioHeader(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                   static_cast<uint32_t>(c.bytes.size()), c.audioLength, &info),
              1);
    EXPECT_EQ(info.crcState, c.crcState);
  }
}

}  // namespace
