// The metadata modules over files made here: names built from audio tags, image sizes, EXIF data and message
// headers by their patterns, the fail flag, invalid and control characters, their text forms and descriptions, and the fields they offer
// to the columns with their typed values.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "engine/module_table.h"
#include "engine/modules/pattern_modules.h"
#include "metadata/field_types.h"
#include "module_steps.h"
#include "support/temp_folder.h"
#include "tests/metadata/image_samples.h"
#include "ui_text_scope.h"

using namespace audio_samples;
using namespace image_samples;

namespace {

std::string Id3Text(const std::string& id, const std::string& text) { return Id3v2Frame(3, id, '\0' + text); }

// An MP3 with an ID3v2 tag of the frames given (empty texts are left out).
std::string Mp3(const std::string& title, const std::string& artist, const std::string& track = "",
                const std::string& year = "") {
  std::string frames;
  const std::pair<const char*, const std::string*> texts[] = {
      {"TIT2", &title}, {"TPE1", &artist}, {"TRCK", &track}, {"TYER", &year}};
  for (const auto& [id, text] : texts) {
    if (!text->empty()) frames += Id3Text(id, *text);
  }
  return Id3v2Tag(3, frames) + MpegFrame(400);
}

class MetadataModules : public testing::Test {
 protected:
  void SetUp() override { InitModuleDescriptors(); }

  // The file's new name after the step, the step applied to the file's own name with its full path.
  std::wstring Renamed(const wchar_t* step, const std::wstring& name, const std::string& bytes) const {
    const std::wstring path = folder_.WriteFile(name, bytes);
    return ::Renamed(step, name.c_str(), path.c_str());
  }

  // The step fails for the file and leaves its name alone: a failure for that file alone, after which the next
  // steps go on and which marks nothing (only a fault does).
  void ExpectFails(const wchar_t* step, const std::wstring& name, const std::string& bytes) const {
    const std::wstring path = folder_.WriteFile(name, bytes);
    ModuleInstance* settings = CreateModuleFromText(step);
    ASSERT_NE(settings, nullptr) << Narrow(step);
    wchar_t buffer[260];
    CopyWideBounded(name.c_str(), buffer, 260);
    EXPECT_EQ(ApplyModuleToFileName(settings, path.c_str(), buffer, 260), kStepLeftAlone) << Narrow(step);
    EXPECT_EQ(name, buffer);
    FreeModuleInstance(settings);
  }

  TempFolder folder_;
};

struct FileRenameCase {
  const wchar_t* step;
  const wchar_t* name;
  std::string bytes;
  std::wstring renamed;
};

struct ListedField {
  std::wstring name;
  std::wstring display;
  int number;
  int type;
};

std::vector<ListedField> ListFields(uint32_t module) {
  std::vector<ListedField> fields;
  EXPECT_EQ(EnumerateModuleFields(
                module,
                [](const wchar_t* name, const wchar_t* display, int number, int type, void* user) {
                  static_cast<std::vector<ListedField>*>(user)->push_back({name, display, number, type});
                  return 0;
                },
                &fields),
            1);
  return fields;
}

struct FieldValue {
  int type = 0;
  int32_t integer = 0;
  std::wstring text;
};

FieldValue ValueOf(uint32_t module, const std::wstring& path, int number) {
  alignas(8) unsigned char out[2048] = {};
  FieldValue value;
  value.type = GetModuleFieldValue(module, path.c_str(), number, out, sizeof out);
  memcpy(&value.integer, out, sizeof value.integer);
  if (value.type == kFieldTypeModuleText) value.text = reinterpret_cast<const wchar_t*>(out);
  return value;
}

// The number of the field of that name, as the enumeration lists it.
int FieldNumber(uint32_t module, const std::wstring& name) {
  for (const ListedField& field : ListFields(module)) {
    if (field.name == name) return field.number;
  }
  return 0;
}

}  // namespace

TEST_F(MetadataModules, AudioBuildsTheNamePartFromTags) {
  const std::string song = Mp3("Song", "Band", "3/12", "1999");
  std::vector<FileRenameCase> cases = {
      {L"<Audio,0,\"Track\". \"Title\">", L"song.mp3", song, L"03. Song.mp3"},
      {L"<Audio,0,\"Track\". \"Title\">", L"untracked.mp3", Mp3("Song", "Band"), L". Song.mp3"},
      // Without the fail flag the references of fields without a value vanish, also when none has one: the
      // literal text remains.
      {L"<Audio,0,\"Artist\" - \"Title\">", L"untagged.mp3", MpegFrame(400) + MpegFrame(400), L" - .mp3"},
      {L"<Audio,0,\"Track\". \"Title\">", L"empty tag.mp3", Id3v2Tag(3, "", 0, 64) + MpegFrame(400), L". .mp3"},
      {L"<Audio,1,\"artist\" - \"TITLE\">", L"any.mp3", song, L"Band - Song.mp3"},
      {L"<Audio,0,\"Year\" \"OFN\">", L"old name.mp3", song, L"1999 old name.mp3"},
      {L"<Audio,0,\"Title\">", L"marks.mp3", Mp3("a:b?", "x"), L"a_b_.mp3"},
      {L"<Audio,0,\"Title\" \"Artist\">", L"lines.mp3", Mp3("Line\r\n", "Tab\tBand"), L"Line__ Tab_Band.mp3"},
      {L"<Audio,0,\"Lens\">", L"unknown.mp3", song, L"Lens.mp3"},
      {L"<Audio,0,\"Title>", L"unclosed.mp3", song, L"Title.mp3"},
      {L"<Audio,0,\"Album\">", L"no album.mp3", song, L"no album.mp3"},
      {L"<Audio,0,>", L"empty pattern.mp3", song, L"empty pattern.mp3"},
  };
  for (const FileRenameCase& c : cases) EXPECT_EQ(Renamed(c.step, c.name, c.bytes), c.renamed) << Narrow(c.step);
}

TEST_F(MetadataModules, AudioReadsEveryContainerAndFailsAsTheFlagSays) {
  ASSERT_TRUE(EncodeFlac(folder_ / L"track.flac", {{"TITLE", "Flac title"}, {"ARTIST", "Flac band"}}));
  EXPECT_EQ(::Renamed(L"<Audio,1,\"Artist\" - \"Title\">", L"track.flac", (folder_ / L"track.flac").c_str()),
            L"Flac band - Flac title.flac");
  ExpectFails(L"<Audio,1,\"Track\". \"Title\">", L"untracked.mp3", Mp3("Song", "Band"));
  ExpectFails(L"<Audio,1,\"Title\">", L"photo.jpg", std::string(300, '\x11'));
  // A file that is not what its name promises fails whatever the flag says.
  ExpectFails(L"<Audio,0,\"Title\">", L"fake.ogg", "not an ogg stream");
}

TEST_F(MetadataModules, ImageBuildsTheNamePartFromTheHeader) {
  const std::string png = EncodePng(640, 480, PNG_COLOR_TYPE_RGB, 8);
  std::vector<FileRenameCase> cases = {
      {L"<Image,0,\"Width\"x\"Height\">", L"photo.png", png, L"640x480.png"},
      {L"<Image,1,\"OFN\" (\"bpp\" bit)>", L"photo.png", png, L"photo (24 bit).png"},
      // No named field has a value: the references vanish and the literal text remains.
      {L"<Image,0,\"Width\"x\"Height\">", L"notes.txt", "plain words", L"x.txt"},
      {L"<Image,0,\"Width\"\"Height\">", L"notes.txt", "plain words", L"notes.txt"},
      {L"<Image,0,\"Height\"-\"Width\">", L"down.bmp", BmpFile(40, 3, -2, 24), L"-3.bmp"},
  };
  for (const FileRenameCase& c : cases) EXPECT_EQ(Renamed(c.step, c.name, c.bytes), c.renamed) << Narrow(c.step);
  ExpectFails(L"<Image,1,\"Width\"x\"Height\">", L"notes.txt", "plain words");
  ExpectFails(L"<Image,1,\"Height\">", L"down.bmp", BmpFile(40, 3, -2, 24));
}

TEST_F(MetadataModules, TextFormsComeBackAndRefuseWhatIsMalformed) {
  ExpectTextForms({
      {L"<Audio,0,\"Artist\" - \"Title\">", L"<Audio,0,\"Artist\" - \"Title\">"},
      {L"<audio,1,\"Track\";\"first\r\nsecond\">", L"<Audio,1,\"Track\";\"first\\nsecond\">"},
      {L"<Image,7,\"Width\"x\"Height\">", L"<Image,7,\"Width\"x\"Height\">"},
      {L"<Image,0,>", L"<Image,0,>"},
      // A pattern cannot hold ';': what follows it is read as the comment.
      {L"<Audio,0,\"Track\";x\"Title\">", L"<Audio,0,\"Track\";\"x\\\"Title\\\"\">"},
      {L"<Audio,0\"Title\">", nullptr},
      {L"<Audio,\"Title\">", nullptr},
      {L"<Image>", nullptr},
      {L"<Image,0,\"Width\"", nullptr},
  });
  for (const wchar_t* comment : kStepComments) {
    PatternSettings settings{};
    settings.header.moduleIndex = kModuleImage;
    settings.header.flags = kApplyNeedsPath;
    settings.failOnEmpty = 1;
    CopyWideBounded(L"\"Width\" by \"Height\", \"BPP\" bits", settings.pattern, kApplyPartCapacity);
    CopyWideBounded(comment, settings.comment, kStepCommentCapacity);
    ExpectRoundTrip(settings);
  }
}

TEST_F(MetadataModules, DescriptionsShowTheTitleAndThePattern) {
  static const UiStringRecord kTexts[] = {{-1, L"US"}, {13254, L"Audio tags"}, {14020, L"Image properties"}, {0, nullptr}};
  const UiTextScope texts(kTexts);
  ExpectDescriptions({
      {L"<Audio,0,\"Artist\" - \"Title\">", L"Audio tags, \"Artist\" - \"Title\""},
      {L"<Audio,1,>", L"Audio tags"},
      {L"<Image,0,\"Width\"x\"Height\";\"note\">", L"Image properties, \"Width\"x\"Height\""},
  });
}

TEST_F(MetadataModules, FieldsAreListedWithTheirDisplayNamesAndTypes) {
  static const UiStringRecord kTexts[] = {{-1, L"US"}, {8001, L"Song title"}, {8071, L"Bits per pixel"}, {0, nullptr}};
  const UiTextScope texts(kTexts);
  const std::vector<ListedField> audio = ListFields(kModuleAudio), image = ListFields(kModuleImage);
  ASSERT_EQ(audio.size(), 7u);
  ASSERT_EQ(image.size(), 3u);
  EXPECT_EQ(audio[0].display, L"Song title");
  EXPECT_EQ(audio[1].display, L"Artist");  // no UI text: the field's name
  EXPECT_EQ(image[2].display, L"Bits per pixel");
  for (const ListedField& field : audio) {
    EXPECT_NE(field.name, L"OFN");
    EXPECT_EQ(field.type, field.name == L"Track" || field.name == L"Year" ? kFieldTypeInteger : kFieldTypeModuleText);
  }
  for (const ListedField& field : image) EXPECT_EQ(field.type, kFieldTypeInteger) << Narrow(field.name);
}

TEST_F(MetadataModules, FieldValuesComeTypedForTheColumns) {
  const std::wstring song = folder_.WriteFile(L"song.mp3", Mp3("Song", "Band", "3/12"));
  const std::wstring photo = folder_.WriteFile(L"photo.png", EncodePng(37, 21, PNG_COLOR_TYPE_GRAY_ALPHA, 8));
  const std::wstring missing = folder_ / L"missing.ogg";
  struct ValueCase {
    uint32_t module;
    std::wstring path;
    const wchar_t* field;
    int type;
    int32_t integer;
    const wchar_t* text;
  } cases[] = {
      {kModuleAudio, song, L"Title", kFieldTypeModuleText, 0, L"Song"},
      {kModuleAudio, song, L"Album", kFieldTypeModuleText, 0, L""},
      {kModuleAudio, song, L"Track", kFieldTypeInteger, 3, nullptr},
      {kModuleAudio, song, L"Year", 0, 0, nullptr},
      {kModuleAudio, missing, L"Title", 0, 0, nullptr},
      {kModuleImage, photo, L"Width", kFieldTypeInteger, 37, nullptr},
      {kModuleImage, photo, L"Height", kFieldTypeInteger, 21, nullptr},
      {kModuleImage, photo, L"BPP", kFieldTypeInteger, 16, nullptr},
      {kModuleImage, song, L"Width", 0, 0, nullptr},
  };
  for (const ValueCase& c : cases) {
    const int number = FieldNumber(c.module, c.field);
    ASSERT_NE(number, 0) << Narrow(c.field);
    const FieldValue value = ValueOf(c.module, c.path, number);
    EXPECT_EQ(value.type, c.type) << Narrow(c.field);
    if (c.type == kFieldTypeInteger) {
      EXPECT_EQ(value.integer, c.integer) << Narrow(c.field);
    }
    if (c.text != nullptr) {
      EXPECT_EQ(value.text, c.text) << Narrow(c.field);
    }
  }
  // The original name is no field of the columns, and numbers beyond the table name none.
  EXPECT_EQ(ValueOf(kModuleAudio, song, 8).type, 0);
  EXPECT_EQ(ValueOf(kModuleImage, photo, 9).type, 0);
}

namespace {

// The message's date, 5 Feb 2024 13:03:09 UTC, as the local clock of the machine shows it.
SYSTEMTIME MessageLocalTime() {
  const SYSTEMTIME utc = {2024, 2, 0, 5, 13, 3, 9, 0};
  SYSTEMTIME local{};
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  return local;
}

// Three numbers by a format: a date's year, month and day, or a time's hour, minute and second.
std::wstring Formatted(const wchar_t* format, unsigned first, unsigned second, unsigned third) {
  wchar_t text[64];
  swprintf(text, 64, format, first, second, third);
  return text;
}

const char kMessage[] =
    "Subject: Hello: World\r\nFrom: \"Doe, John\" <jd@x.org>\r\nDate: Mon, 5 Feb 2024 14:03:09 +0100\r\n\r\nbody\r\n";

FILETIME FileTimeOf(const SYSTEMTIME& utc) {
  FILETIME time{};
  SystemTimeToFileTime(&utc, &time);
  return time;
}

FILETIME LocalCaptureInUtc(const SYSTEMTIME& local) {
  SYSTEMTIME utc{};
  TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
  return FileTimeOf(utc);
}

int64_t Stamp(const FILETIME& time) { return static_cast<int64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime; }

// A field's value as the columns read it: its type and its first 8 bytes as a number.
std::pair<int, int64_t> NumberOf(uint32_t module, const std::wstring& path, const wchar_t* field) {
  alignas(8) unsigned char out[2048] = {};
  const int type = GetModuleFieldValue(module, path.c_str(), FieldNumber(module, field), out, sizeof out);
  int64_t number = 0;
  memcpy(&number, out, type == kFieldTypeDateTime || type == kFieldTypeDecimal ? 8 : 4);
  return {type, number};
}

}  // namespace

TEST_F(MetadataModules, ExifBuildsTheNamePartFromTheCapture) {
  const std::string photo = ExifSampleJpeg({});
  std::vector<FileRenameCase> cases = {
      {L"<EXIF,1,\"Date,yyyy-MM-dd\">", L"photo.jpg", photo, L"2021-06-01.jpg"},
      {L"<EXIF,0,\"Date\"_\"Time\">", L"photo.jpg", photo, L"20210601_102030.jpg"},
      {L"<EXIF,0,\"camera model\" \"Width\"x\"Height\" \"OFN\">", L"photo.jpg", photo, L"PowerShot S95 640x480 photo.jpg"},
      {L"<EXIF,0,\"Lens\"_\"ISO Speed Ratings\">", L"photo.jpg", photo, L"Lens_800.jpg"},
      // No EXIF data to read: the name stays, and the step fails for the file when the fail flag is set.
      {L"<EXIF,0,\"Date\">", L"notes.txt", "plain words", L"notes.txt"},
      // EXIF data without the field: its reference vanishes and the literal text remains.
      {L"<EXIF,0,\"Date Digitized\"_x>", L"photo.jpg", photo, L"_x.jpg"},
  };
  for (const FileRenameCase& c : cases) EXPECT_EQ(Renamed(c.step, c.name, c.bytes), c.renamed) << Narrow(c.step);
  ExpectFails(L"<EXIF,1,\"Date\" \"Camera Make\">", L"plain.jpg", CompressJpeg(16, 16));
  ExpectFails(L"<EXIF,1,\"Date\">", L"notes.txt", "plain words");
  ExpectFails(L"<EXIF,1,\"Date Digitized\"_x>", L"photo.jpg", photo);
}

TEST_F(MetadataModules, EMailBuildsTheNamePartFromTheHeaders) {
  const SYSTEMTIME local = MessageLocalTime();
  const auto date = [&](const wchar_t* format) { return Formatted(format, local.wYear, local.wMonth, local.wDay); };
  const auto time = [&](const wchar_t* format) { return Formatted(format, local.wHour, local.wMinute, local.wSecond); };
  std::vector<FileRenameCase> cases = {
      {L"<eMail,1,\"Date,yyyy-MM-dd\" \"Subject\">", L"message.eml", kMessage,
       date(L"%04u-%02u-%02u") + L" Hello_ World.eml"},
      {L"<eMail,0,\"Date\">", L"message.eml", kMessage,
       date(L"%04u.%02u.%02u") + L"  " + time(L"%02u.%02u.%02u") + L".eml"},
      {L"<eMail,0,\"Date.\"_\"Time\">", L"message.eml", kMessage,
       date(L"%04u%02u%02u") + L"_" + time(L"%02u%02u%02u") + L".eml"},
      {L"<eMail,0,\"From\" (\"OFN\")>", L"message.eml", kMessage, L"Doe, John (message).eml"},
      {L"<eMail,0,\"Cc\"x>", L"message.eml", kMessage, L"x.eml"},
      {L"<eMail,0,\"Cc\">", L"message.eml", kMessage, L"message.eml"},
      {L"<eMail,0,\"Cc\"x\"OFN\">", L"message.eml", kMessage, L"xmessage.eml"},
  };
  for (const FileRenameCase& c : cases) EXPECT_EQ(Renamed(c.step, c.name, c.bytes), c.renamed) << Narrow(c.step);
  ExpectFails(L"<eMail,1,\"Subject\" \"Cc\">", L"message.eml", kMessage);
  // A message that cannot be read fails with the reader's error.
  ExpectStepFails(L"<eMail,0,\"Subject\">", L"gone.eml", (folder_ / L"gone.eml").c_str());
}

TEST_F(MetadataModules, ExifAndEMailFieldsComeTypedForTheColumns) {
  const std::wstring photo = folder_.WriteFile(L"photo.jpg", ExifSampleJpeg({}));
  const std::wstring message = folder_.WriteFile(L"message.eml", kMessage);
  EXPECT_EQ(ListFields(kModuleExif).size(), 35u);
  EXPECT_EQ(ListFields(kModuleEMail).size(), 7u);
  const SYSTEMTIME capture = {2021, 6, 0, 1, 10, 20, 30, 0};
  const std::pair<int, int64_t> expected[] = {
      {kFieldTypeDate, 1 + 6 * 32 + 2021 * 512},
      {kFieldTypeTime, 30 + 20 * 64 + 10 * 4096},
      {kFieldTypeDateTime, Stamp(LocalCaptureInUtc(capture))},
      {kFieldTypeInteger, 640},
      {kFieldTypeYesNo, 0},
      {0, 0},
      {kFieldTypeDateTime, Stamp(FileTimeOf({2024, 2, 0, 5, 13, 3, 9, 0}))},
  };
  const std::pair<int, int64_t> read[] = {
      NumberOf(kModuleExif, photo, L"Date"),   NumberOf(kModuleExif, photo, L"Time"),
      NumberOf(kModuleExif, photo, L"Date/Time Original"), NumberOf(kModuleExif, photo, L"Width"),
      NumberOf(kModuleExif, photo, L"Flash"),  NumberOf(kModuleExif, photo, L"X Resolution"),
      NumberOf(kModuleEMail, message, L"Date"),
  };
  for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(read[i], expected[i]) << "row " << i;
  EXPECT_EQ(ValueOf(kModuleExif, photo, FieldNumber(kModuleExif, L"Camera Make")).text, L"Canon");
  EXPECT_EQ(ValueOf(kModuleEMail, message, FieldNumber(kModuleEMail, L"From")).text, L"Doe, John");
  EXPECT_EQ(ValueOf(kModuleEMail, message, FieldNumber(kModuleEMail, L"Cc")).type, 0);
  EXPECT_EQ(ValueOf(kModuleExif, message, FieldNumber(kModuleExif, L"Width")).type, 0);
}
