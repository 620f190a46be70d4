// The EXIF reader on JPEG files built byte by byte in both byte orders, and on a JPEG written by libjpeg.
#include "metadata/exif_info.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "exif_samples.h"
#include "foundation/date_checks.h"
#include "foundation/text/locale_separators.h"
#include "hostile_input.h"
#include "metadata/exif_directories.h"
#include "metadata/name_patterns.h"
#include "page_end.h"
#include "support/temp_folder.h"
#include "written_jpeg.h"

namespace {

struct ReadResult {
  int result;
  std::unique_ptr<ExifInfo> info;
};

ReadResult ReadBytes(const std::string& bytes) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"photo.jpg", bytes);
  ReadResult read{0, std::make_unique<ExifInfo>()};
  read.result = ReadExifInfo(path.c_str(), read.info.get());
  return read;
}

std::wstring Expand(const ExifInfo& info, const wchar_t* pattern, bool failOnEmpty = false, int* result = nullptr) {
  wchar_t out[1024] = L"(untouched)";
  const int expanded = ExpandExifPattern(info.path, &info, failOnEmpty, out, 1024, pattern);
  if (result != nullptr) *result = expanded;
  return out;
}

std::wstring Value(const ExifInfo& info, int tag, const wchar_t* pattern = nullptr) {
  wchar_t out[256] = L"(untouched)";
  FormatExifValue(&info, tag, pattern, out, 256);
  return out;
}

std::wstring Decimal(const wchar_t* whole, const wchar_t* fraction, const wchar_t* suffix = L"") {
  return std::wstring(whole) + GetDecimalSeparator() + fraction + suffix;
}

// A TIFF structure of one directory made by `fill`, as a whole JPEG file with a 640 x 480 frame.
template <typename Fill>
std::string OneDirectoryJpeg(bool bigEndian, Fill fill) {
  TiffBuilder tiff(bigEndian);
  fill(tiff, tiff.Directory());
  return JpegFile(ExifSegment(tiff.Build()) + FrameHeader(640, 480));
}

bool TextsTerminated(const ExifInfo& info) {
  auto ends = [](const auto& text) { return strnlen(text, sizeof(text)) < sizeof(text); };
  return ends(info.exifVersion) && ends(info.cameraMake) && ends(info.cameraModel) && ends(info.gpsLatitude) &&
         ends(info.gpsLongitude) && ends(info.gpsAltitude) && ends(info.gpsDirection);
}

}  // namespace

TEST(ExifReader, ReadsTheSampleInEitherByteOrder) {
  for (bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "MM" : "II");
    const ReadResult read = ReadBytes(ExifSampleJpeg({.bigEndian = bigEndian}));
    ASSERT_EQ(read.result, 0);
    const ExifInfo& info = *read.info;
    EXPECT_EQ(info.width, 640);
    EXPECT_EQ(info.height, 480);
    EXPECT_STREQ(info.cameraModel, "PowerShot S95");
    EXPECT_EQ(Expand(info, L"\"Date\"_\"Time\""), L"20210601_102030");
    EXPECT_EQ(Expand(info, L"\"Exposure Time\""), L"1 per 250");
    EXPECT_EQ(Expand(info, L"\"ISO Speed Ratings\""), L"800");
    EXPECT_EQ(Expand(info, L"\"GPS Latitude\""), L"N 48d  8m 23.45s");
    EXPECT_EQ(Expand(info, L"\"GPS Longitude\""), L"E 11d 34m  5s");
    EXPECT_EQ(Expand(info, L"\"GPS Altitude\""), L" 100m");
    EXPECT_EQ(Expand(info, L"\"GPS Direction\""), L"T 270");
    EXPECT_EQ(Expand(info, L"\"GPS Date/Time\""), L"20210601140309");
  }
}

TEST(ExifReader, IsoSpeedFromTheTagOrACanonMakerNote) {
  struct Case {
    const char* make;
    bool makerNote;
    const wchar_t* iso;
  } cases[] = {{"Canon", true, L"800"}, {"Canon", false, L"400"}, {"CANON", true, L"400"}};
  for (const Case& c : cases) {
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(std::string(c.make) + (c.makerNote ? " with note" : " without note") + (bigEndian ? " MM" : " II"));
      const ReadResult read = ReadBytes(ExifSampleJpeg({bigEndian, c.make, c.makerNote}));
      EXPECT_EQ(Value(*read.info, 0x8827), c.iso);
    }
  }
}

TEST(ExifReader, ScanResultsOfBrokenSegmentStructures) {
  const std::string start("\xFF\xD8", 2);
  const std::string frame = FrameHeader(320, 200);
  std::string comments;
  for (int i = 0; i < 100; ++i) comments += JpegSegment(0xFE, "c");
  std::string appSegments;
  for (int i = 0; i < 150; ++i) appSegments += JpegSegment(0xE0, "JFIF") + JpegSegment(0xE1, "http://ns");
  struct Case {
    const char* what;
    std::string bytes;
    int result;
    int width;
  } cases[] = {
      {"not a JPEG", "AB", kExifNotJpeg, 0},
      {"end of image", start + frame + "\xFF\xD9", kExifEndOfImage, 320},
      {"six fill bytes", start + std::string(6, '\xFF') + "\xFE" + std::string("\x00\x03x", 3) + frame + "\xFF\xD9",
       kExifEndOfImage, 320},
      {"seven fill bytes", start + std::string(7, '\xFF') + "\xFE", kExifBadMarker, 0},
      {"length below 2", start + std::string("\xFF\xE0\x00\x01", 4), kExifBadLength, 0},
      {"segment cut", start + frame + std::string("\xFF\xE0\x00\x10JF", 6), kExifSegmentCut, 320},
      {"100 segments", start + comments + frame, kExifTooManySegments, 0},
      {"98 segments and a frame", JpegFile(comments.substr(10) + frame), 0, 320},
      {"99 segments and a frame", JpegFile(comments.substr(5) + frame), kExifTooManySegments, 320},
      {"application segments do not count", JpegFile(appSegments + frame), 0, 320},
      {"short frame header", JpegFile(JpegSegment(0xFE, std::string(8, '\x7F')) + JpegSegment(0xC0, "\x08\x01")), 0, 0},
      {"no EXIF", JpegFile(frame), 0, 320},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ReadResult read = ReadBytes(c.bytes);
    EXPECT_EQ(read.result, c.result);
    EXPECT_EQ(read.info->width, c.width);
    EXPECT_EQ(Value(*read.info, 0x0132), L"");
    ExifInfo pathOnly = {};
    memcpy(pathOnly.path, read.info->path, sizeof(pathOnly.path));
    EXPECT_EQ(memcmp(read.info.get(), &pathOnly, sizeof(ExifInfo)) == 0, c.width == 0);
  }
  TempFolder folder;
  ExifInfo missing;
  EXPECT_EQ(ReadExifInfo((folder / L"missing.jpg").c_str(), &missing), ERROR_FILE_NOT_FOUND);
}

TEST(ExifReader, DateTimeFallsBackToTheOriginalAndBadDatesStoreNothing) {
  struct Case {
    const char* dateTime;
    const char* original;
    const wchar_t* expected;
  } cases[] = {
      {nullptr, "2021:06:01 10:20:30", L"20210601102030"},
      {"2020:01:02 03:04:05", "2021:06:01 10:20:30", L"20200102030405"},
      {"2020:01:02 03 04:05", nullptr, L""},
      {"0000:00:00 00:00:00", "2021:06:01 10:20:30", L"20210601102030"},
      {"2020:01:02 03:04", nullptr, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dateTime != nullptr ? c.dateTime : "none");
    const ReadResult read = ReadBytes(OneDirectoryJpeg(true, [&](TiffBuilder& tiff, int first) {
      if (c.dateTime != nullptr) tiff.AddText(first, 0x0132, c.dateTime);
      if (c.original != nullptr) tiff.AddText(first, 0x9003, c.original);
    }));
    EXPECT_EQ(Value(*read.info, 0x0132), c.expected);
  }
}

TEST(ExifReader, ResolutionIsShownInPixelsPerInch) {
  struct Case {
    uint32_t numerator;
    uint32_t denominator;
    uint16_t unit;
    std::wstring expected;
  } cases[] = {{72, 1, 2, Decimal(L"72", L"0")}, {2835, 100, 3, Decimal(L"72", L"0")},
               {300, 1, 1, Decimal(L"300", L"0")}, {300, 1, 7, L""}};
  for (const Case& c : cases) {
    for (bool bigEndian : {false, true}) {
      const ReadResult read = ReadBytes(OneDirectoryJpeg(bigEndian, [&](TiffBuilder& tiff, int first) {
        tiff.AddRationals(first, 0x011A, {{c.numerator, c.denominator}});
        tiff.AddShort(first, 0x0128, c.unit);
      }));
      EXPECT_EQ(Value(*read.info, 0x011A), c.expected) << c.numerator << "/" << c.denominator << " unit " << c.unit;
    }
  }
}

TEST(ExifReader, DerivedExposureApertureAndIso) {
  const ReadResult read = ReadBytes(OneDirectoryJpeg(false, [](TiffBuilder& tiff, int first) {
    tiff.Add(first, 0x9201, kTiffSRational, 1, tiff.U32(8) + tiff.U32(1));  // 1/256 s
    tiff.AddRationals(first, 0x9202, {{3, 1}});                              // f 2.8
    tiff.AddShort(first, 0xA215, 160);
    tiff.Add(first, 0x920A, kTiffFloat, 1, tiff.U32(0x40C33333));            // 6.1 mm
    tiff.AddShort(first, 0x9209, 0x19);
  }));
  const ExifInfo& info = *read.info;
  EXPECT_EQ(Value(info, 0x829A), L"1 per 256");
  EXPECT_EQ(Value(info, 0x9202), L"f per " + Decimal(L"2", L"8"));
  EXPECT_EQ(Value(info, 0x8827), L"160");
  EXPECT_EQ(Value(info, 0x920A), Decimal(L"6", L"1", L"mm"));
  EXPECT_EQ(info.flashUsed, 1);
}

TEST(ExifReader, FirstDirectoryMayLieAnywhereInsideTheTiffData) {
  // Offsets seen in cameras' files, and header offsets that point into the header or past the data.
  struct Case {
    uint32_t placed;                  // where the directory is written
    std::optional<uint32_t> pointed;  // what the header says, when not that
    bool read;
  } cases[] = {{8, {}, true}, {138, {}, true}, {142, {}, true}, {6342, {}, true},
               {8, 4, false}, {8, 0x10000, false}, {8, 0xFFFFFFF8, false}};
  for (const Case& c : cases) {
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.placed << " " << c.pointed.value_or(c.placed) << (bigEndian ? " MM" : " II"));
      TiffBuilder tiff(bigEndian);
      tiff.PlaceFirstDirectoryAt(c.placed);
      const int first = tiff.Directory();
      tiff.AddText(first, 0x010F, "Maker");
      tiff.AddText(first, 0x0132, "2019:03:04 05:06:07");
      std::string bytes = tiff.Build();
      if (c.pointed) bytes.replace(4, 4, tiff.U32(*c.pointed));
      const ReadResult read = ReadBytes(JpegFile(ExifSegment(bytes) + FrameHeader(640, 480)));
      EXPECT_EQ(read.result, 0);
      EXPECT_STREQ(read.info->cameraMake, c.read ? "Maker" : "");
      EXPECT_EQ(Expand(*read.info, L"\"Date/Time\""), c.read ? L"20190304050607" : L"(untouched)");
    }
  }
}

TEST(ExifReader, DirectoriesNestedFiveLevelsDeepAreNotRead) {
  const ReadResult read = ReadBytes(OneDirectoryJpeg(false, [](TiffBuilder& tiff, int first) {
    int parent = first;
    for (int level = 1; level <= 5; ++level) {
      const int child = tiff.Directory();
      tiff.Link(parent, 0x8769, child);
      parent = child;
    }
    tiff.AddText(parent - 1, 0x010F, "Level four");
    tiff.AddText(parent, 0x0110, "Level five");
  }));
  EXPECT_STREQ(read.info->cameraMake, "Level four");
  EXPECT_STREQ(read.info->cameraModel, "");
}

TEST(ExifReader, ValuesOutsideTheSegmentAreNotRead) {
  struct Case {
    const char* what;
    uint32_t count;
    uint32_t offset;
    const char* make;
    const char* model;
  } cases[] = {
      {"offset that wraps", 32, 0xFFFFFFF0, "", ""},
      {"offset past the end", 8, 0x7FFFFFFF, "", ""},
      {"count above the limit", 0x10001, 8, "", "Model"},
      {"no count", 0, 8, "", "Model"},
  };
  for (const Case& c : cases) {
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(c.what);
      const ReadResult read = ReadBytes(OneDirectoryJpeg(bigEndian, [&](TiffBuilder& tiff, int first) {
        tiff.AddRaw(first, 0x010F, kTiffAscii, c.count, c.offset);
        tiff.AddText(first, 0x0110, "Model");
      }));
      EXPECT_EQ(read.result, 0);
      EXPECT_STREQ(read.info->cameraMake, c.make);
      EXPECT_STREQ(read.info->cameraModel, c.model);
    }
  }
}

TEST(ExifReader, DirectoriesThatPointAtEachOtherAreReadOnce) {
  const ReadResult read = ReadBytes(OneDirectoryJpeg(false, [](TiffBuilder& tiff, int first) {
    for (int i = 0; i < 4000; ++i) tiff.Link(first, 0x8769, first);
    tiff.Chain(first, first);
  }));
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.info->width, 640);
}

TEST(ExifReader, GpsValuesAreBoundedByTheirEntries) {
  const ReadResult read = ReadBytes(OneDirectoryJpeg(true, [](TiffBuilder& tiff, int first) {
    const int gps = tiff.Directory();
    tiff.Link(first, 0x8825, gps);
    tiff.AddText(gps, 1, "S");
    tiff.AddRationals(gps, 2, {{48, 1}});
    tiff.AddRationals(gps, 4, {{0xFFFFFFFF, 1}, {0x7FFFFFFF, 3}, {1, 1000}});
    tiff.Add(gps, 5, kTiffByte, 1, std::string(1, '\1'));
    tiff.AddRationals(gps, 6, {{1234, 10}});
    tiff.AddRationals(gps, 7, {{99, 1}, {3, 1}, {9, 1}});
    tiff.AddText(gps, 29, "2021:06:01");
  }));
  const ExifInfo& info = *read.info;
  EXPECT_EQ(info.gpsPresent, 1);
  EXPECT_STREQ(info.gpsLatitude, "S ?");
  EXPECT_STREQ(info.gpsLongitude, "? -1d 715827882.3m  0.001s");
  EXPECT_STREQ(info.gpsAltitude, "-123m");
  EXPECT_EQ(Value(info, kExifTagGpsDate), L"20210601");
  EXPECT_EQ(Value(info, kExifTagGpsTime), L"000000");
  EXPECT_EQ(Value(info, kExifTagGpsDirection), L"");
}

TEST(ExifReader, DateTimesAreTheLocalClockAndTheGpsClockIsUtc) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  ExifInfo info = {};
  info.dateTime = PackDateTime(DateTime(2021, 1, 15, 10, 0, 0));
  info.dateTimeOriginal = PackDateTime(DateTime(2021, 6, 1, 10, 20, 30));
  info.gpsDateTime = PackDateTime(DateTime(2021, 6, 1, 14, 3, 9));
  struct Case {
    int tag;
    SYSTEMTIME utc;  // all zero: no time
  } cases[] = {{0x0132, DateTime(2021, 1, 15, 9, 0, 0)},    {0x9003, DateTime(2021, 6, 1, 8, 20, 30)},
               {kExifTagGpsDateTime, DateTime(2021, 6, 1, 14, 3, 9)}, {0x9004, {}}, {kExifTagDate, {}}};
  for (const Case& c : cases) {
    FILETIME utc = {};
    const bool converted = ExifDateTimeToUtc(&info, c.tag, &utc);
    EXPECT_EQ(converted, c.utc.wYear != 0) << c.tag;
    EXPECT_EQ(converted ? FileTimeToUInt64(utc) : 0, FileTimeToUInt64(UtcFileTime(c.utc))) << c.tag;
  }
}

TEST(ExifFormat, DisplayTextsOfRecordValues) {
  ExifInfo info = {};
  struct Case {
    void (*set)(ExifInfo*);
    int tag;
    std::wstring expected;
  } cases[] = {
      {[](ExifInfo* i) { i->exposureTime = 2; }, 0x829A, Decimal(L"2", L"000", L" s")},
      {[](ExifInfo* i) { i->exposureTime = 0.5f; }, 0x829A, L"1 per 2"},
      {[](ExifInfo* i) { i->subjectDistance = -1; }, 0x9206, L"Infinite"},
      {[](ExifInfo* i) { i->compressionLevel = 4; }, 0x9102, L"Fine"},
      {[](ExifInfo* i) { i->compressionLevel = 3; }, 0x9102, L""},
      {[](ExifInfo* i) { i->whiteBalance = 9; }, 0xA403, L"Cloudy"},
      {[](ExifInfo* i) { i->isoSpeed = 5; }, 0x8827, L" 5"},
      {[](ExifInfo* i) { i->brightness = -1.25f; }, 0x9203, L"-" + Decimal(L"1", L"250")},
      {[](ExifInfo* i) { i->exposureBias = 0.333f; }, 0x9204, Decimal(L"0", L"33")},
      {[](ExifInfo* i) { i->resolutionUnitFactor = 0.3937008f; }, 0x0128, Decimal(L"0", L"4")},
      {[](ExifInfo* i) { strcpy(i->gpsAltitude, " 5m"); }, kExifTagGpsAltitude, L""},
      {[](ExifInfo* i) { i->gpsPresent = 1; }, kExifTagGpsAltitude, L" 5m"},
      {[](ExifInfo* i) { i->width = 17; }, kExifTagWidth, L"17"},
      {[](ExifInfo*) {}, 0x1234, L""},
  };
  for (const Case& c : cases) {
    c.set(&info);
    EXPECT_EQ(Value(info, c.tag), c.expected) << "tag " << c.tag;
  }
}

TEST(ExifFormat, PatternsOfQuotedFieldNames) {
  const ReadResult read = ReadBytes(ExifSampleJpeg({}));
  ExifInfo& info = *read.info;
  wcscpy(info.path, L"C:\\photos\\holiday.01.jpg");
  struct Case {
    const wchar_t* pattern;
    const wchar_t* expected;
  } cases[] = {
      {L"\"Camera Model\"_\"Date,yyyy-MM-dd\"", L"PowerShot S95_2021-06-01"},
      {L"\"camera model\" \"Time Original,HH'h'mm\"", L"PowerShot S95 10h20"},
      {L"\"OFN\" \"Width\"x\"Height\"", L"holiday.01 640x480"},
      {L"\"Lens\"", L"Lens"},
      {L"\"Lens\"\"Width\"", L"Lens640"},
      {L"a\"Width", L"aWidth"},
      {L"\"Date,\"", L"20210601"},
      // A field without a value vanishes, also when no field has one: the literal text remains.
      {L"\"Date Digitized\"x", L"x"},
      {L"<\"GPS Date/Time\">", L"_20210601140309_"},
      {L"\"Date Digitized\"", L"(untouched)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(info, c.pattern), c.expected) << c.pattern;
  int result = 0;
  EXPECT_EQ(Expand(info, L"\"Camera Model\"_\"Date Digitized\"", true, &result), L"(untouched)");
  EXPECT_EQ(result, -1);
  EXPECT_EQ(Expand(info, L"\"Date Digitized\" - \"Time Digitized\"", false, &result), L" - ");
  EXPECT_EQ(result, 0) << "named fields without a value leave their pattern's literal text";
  EXPECT_EQ(Expand(info, L"\"Camera Model\"", true, &result), L"PowerShot S95");
  EXPECT_EQ(result, 0);
}

TEST(ExifReader, AJpegWrittenByTheImageLibraryReadsTheSame) {
  const std::string app1 = ExifSegment(ExifSampleTiff({.bigEndian = true})).substr(4);
  const std::string written = CompressJpegWithApp1(96, 64, app1);

  const ReadResult fromLibrary = ReadBytes(written);
  const ReadResult byHand = ReadBytes(ExifSampleJpeg({.bigEndian = true}));
  ASSERT_EQ(fromLibrary.result, 0);
  EXPECT_EQ(fromLibrary.info->width, 96);
  EXPECT_EQ(fromLibrary.info->height, 64);
  for (const ExifFieldRow* row = ExifFieldTable; row->name != nullptr; ++row) {
    if (row->tag == kExifTagWidth || row->tag == kExifTagHeight) continue;
    EXPECT_EQ(Value(*fromLibrary.info, row->tag), Value(*byHand.info, row->tag)) << row->tag;
  }
}

// Every truncation and thousands of mutations of the segment, placed at the end of readable memory.
TEST(ExifReader, SegmentParsingStaysInsideTheSegment) {
  PageEndBuffer buffer;
  ASSERT_TRUE(buffer.Ready());
  auto parseAtPageEnd = [&](const std::string& data) {
    ExifInfo info = {};
    ParseExifApp1(buffer.Place(data), static_cast<uint32_t>(data.size()), &info);
    EXPECT_TRUE(TextsTerminated(info));
  };
  std::mt19937 random(7);
  for (bool bigEndian : {false, true}) {
    const std::string data = ExifSegment(ExifSampleTiff({.bigEndian = bigEndian})).substr(4);
    ASSERT_LE(data.size(), buffer.Capacity());
    for (size_t length = 0; length <= data.size(); ++length) parseAtPageEnd(data.substr(0, length));
    for (int i = 0; i < 3000; ++i) {
      std::string variant = data;
      for (int change = 0; change < 4; ++change) variant[random() % variant.size()] = static_cast<char>(random());
      parseAtPageEnd(variant);
    }
  }
}

TEST(ExifReader, HostileFilesNeitherCrashNorHang) {
  for (bool bigEndian : {false, true}) {
    RunHostileInputLoop(ExifSampleJpeg({.bigEndian = bigEndian}), L".jpg", [](const std::wstring& path) {
      auto info = std::make_unique<ExifInfo>();
      const int result = ReadExifInfo(path.c_str(), info.get());
      wchar_t text[1024];
      for (const ExifFieldRow* row = ExifFieldTable; row->name != nullptr; ++row)
        FormatExifValue(info.get(), row->tag, L"yyyy", text, 1024);
      return result >= 0 && result <= kExifEndOfImage && TextsTerminated(*info);
    });
  }
}
