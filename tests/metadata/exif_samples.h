// JPEG files with EXIF data built byte by byte for the EXIF reader's tests: TIFF directories in either byte
// order with their values laid out after them, and the JPEG segments around them.
#pragma once
#include <cstdint>
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum : uint16_t { kTiffByte = 1, kTiffAscii = 2, kTiffShort = 3, kTiffLong = 4, kTiffRational = 5,
                  kTiffUndefined = 7, kTiffSRational = 10, kTiffFloat = 11 };

class TiffBuilder {
 public:
  explicit TiffBuilder(bool bigEndian) : bigEndian_(bigEndian) {}

  // A new directory; the first one made is the first directory of the file.
  int Directory() {
    directories_.emplace_back();
    return static_cast<int>(directories_.size()) - 1;
  }
  // An entry whose value bytes (in the file's order) stand inline or are placed after the directories.
  void Add(int directory, uint16_t tag, uint16_t type, uint32_t count, const std::string& value) {
    directories_[directory].entries.push_back({tag, type, count, value, -1, std::nullopt});
  }
  void AddText(int directory, uint16_t tag, const std::string& text) {
    Add(directory, tag, kTiffAscii, static_cast<uint32_t>(text.size() + 1), text + '\0');
  }
  void AddShort(int directory, uint16_t tag, uint16_t value) { Add(directory, tag, kTiffShort, 1, U16(value)); }
  void AddRationals(int directory, uint16_t tag, const std::vector<std::pair<uint32_t, uint32_t>>& values) {
    std::string bytes;
    for (const auto& [numerator, denominator] : values) bytes += U32(numerator) + U32(denominator);
    Add(directory, tag, kTiffRational, static_cast<uint32_t>(values.size()), bytes);
  }
  // An entry whose 4-byte value field is given as it is (offsets that point anywhere).
  void AddRaw(int directory, uint16_t tag, uint16_t type, uint32_t count, uint32_t field) {
    directories_[directory].entries.push_back({tag, type, count, "", -1, field});
  }
  // An entry holding the offset of another directory: a LONG, or an UNDEFINED maker note over it.
  void Link(int directory, uint16_t tag, int target, uint16_t type = kTiffLong) {
    directories_[directory].entries.push_back({tag, type, 1, "", target, std::nullopt});
  }
  void Chain(int directory, int next) { directories_[directory].next = next; }
  // Where the first directory lies; the bytes before it stand for what cameras put there (maker notes and
  // thumbnails).
  void PlaceFirstDirectoryAt(uint32_t offset) { first_ = offset; }

  std::string U16(uint16_t value) const {
    const char low = static_cast<char>(value & 0xFF), high = static_cast<char>(value >> 8);
    return bigEndian_ ? std::string{high, low} : std::string{low, high};
  }
  std::string U32(uint32_t value) const {
    const std::string low = U16(static_cast<uint16_t>(value)), high = U16(static_cast<uint16_t>(value >> 16));
    return bigEndian_ ? high + low : low + high;
  }

  std::string Build() const {
    std::vector<uint32_t> offsets;
    uint32_t at = first_;
    for (const Dir& directory : directories_) {
      offsets.push_back(at);
      at += Bytes(directory);
    }
    std::string out = (bigEndian_ ? "MM" : "II") + U16(42) + U32(first_) + std::string(first_ - 8, '\x5A'), values;
    for (const Dir& directory : directories_) {
      out += U16(static_cast<uint16_t>(directory.entries.size()));
      for (const Entry& entry : directory.entries) {
        uint32_t count = entry.count;
        std::string field = entry.value + std::string(4 - std::min<size_t>(entry.value.size(), 4), '\0');
        if (entry.field) {
          field = U32(*entry.field);
        } else if (entry.target >= 0) {
          field = U32(offsets[entry.target]);
          if (entry.type == kTiffUndefined) count = Bytes(directories_[entry.target]);
        } else if (entry.value.size() > 4) {
          field = U32(at + static_cast<uint32_t>(values.size()));
          values += entry.value;
        }
        out += U16(entry.tag) + U16(entry.type) + U32(count) + field;
      }
      out += U32(directory.next >= 0 ? offsets[directory.next] : 0);
    }
    return out + values;
  }

 private:
  struct Entry {
    uint16_t tag, type;
    uint32_t count;
    std::string value;
    int target = -1;                 // directory whose offset is the value
    std::optional<uint32_t> field;   // value field as given
  };
  struct Dir {
    std::vector<Entry> entries;
    int next = -1;
  };
  static uint32_t Bytes(const Dir& directory) { return static_cast<uint32_t>(6 + directory.entries.size() * 12); }

  bool bigEndian_;
  uint32_t first_ = 8;
  std::vector<Dir> directories_;
};

// A JPEG segment: FF, the marker, the big-endian length (counting itself) and the data.
inline std::string JpegSegment(uint8_t marker, const std::string& data) {
  const size_t length = data.size() + 2;
  return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                     static_cast<char>(length & 0xFF)} + data;
}
inline std::string ExifSegment(const std::string& tiff) { return JpegSegment(0xE1, std::string("Exif\0\0", 6) + tiff); }
// A baseline frame header of three components.
inline std::string FrameHeader(int width, int height) {
  return JpegSegment(0xC0, std::string{8, static_cast<char>(height >> 8), static_cast<char>(height & 0xFF),
                                       static_cast<char>(width >> 8), static_cast<char>(width & 0xFF), 3} +
                               std::string("\x01\x22\x00\x02\x11\x01\x03\x11\x01", 9));
}
// FF D8, the segments, a start of scan with a few bytes of image data, FF D9.
inline std::string JpegFile(const std::string& segments) {
  return std::string("\xFF\xD8", 2) + segments +
         JpegSegment(0xDA, std::string("\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 10)) +
         std::string("\x12\x34\x56\x78\xFF\xD9", 6);
}

// The reference sample: make "Canon", an EXIF directory with exposure time 1/250, ISO tag 2, the original
// date 2021:06:01 10:20:30 (or another) and a Canon maker note whose camera settings hold the ISO code 20 in element 16;
// a GPS directory; a 640 x 480 frame.
struct ExifSampleOptions {
  bool bigEndian = false;
  std::string make = "Canon";
  bool makerNote = true;
  std::string dateOriginal = "2021:06:01 10:20:30";
};

inline std::string ExifSampleTiff(const ExifSampleOptions& options) {
  TiffBuilder tiff(options.bigEndian);
  const int first = tiff.Directory(), exif = tiff.Directory(), gps = tiff.Directory();
  tiff.AddText(first, 0x010F, options.make);
  tiff.AddText(first, 0x0110, "PowerShot S95");
  tiff.Link(first, 0x8769, exif);
  tiff.Link(first, 0x8825, gps);
  tiff.AddRationals(exif, 0x829A, {{1, 250}});
  tiff.AddShort(exif, 0x8827, 2);
  tiff.AddText(exif, 0x9003, options.dateOriginal);
  if (options.makerNote) {
    const int canon = tiff.Directory();
    std::string settings;
    for (uint16_t i = 0; i < 20; ++i) settings += tiff.U16(i == 16 ? 20 : i);
    tiff.Add(canon, 1, kTiffShort, 20, settings);
    tiff.Link(exif, 0x927C, canon, kTiffUndefined);
  }
  tiff.AddText(gps, 1, "N");
  tiff.AddRationals(gps, 2, {{48, 1}, {8, 1}, {2345, 100}});
  tiff.AddText(gps, 3, "E");
  tiff.AddRationals(gps, 4, {{11, 1}, {34, 1}, {5, 1}});
  tiff.Add(gps, 5, kTiffByte, 1, std::string(1, '\0'));
  tiff.AddRationals(gps, 6, {{100, 1}});
  tiff.AddRationals(gps, 7, {{14, 1}, {3, 1}, {9, 1}});
  tiff.AddText(gps, 16, "T");
  tiff.AddRationals(gps, 17, {{27000, 100}});
  tiff.AddText(gps, 29, "2021:06:01");
  return tiff.Build();
}

inline std::string ExifSampleJpeg(const ExifSampleOptions& options) {
  return JpegFile(ExifSegment(ExifSampleTiff(options)) + FrameHeader(640, 480));
}
