// The readers of BMP, ICO, GIF, PSD, PCX and TGA headers: fixed fields at fixed places.
#include <cstring>

#include "foundation/files/paths.h"
#include "metadata/byte_reads.h"
#include "metadata/image_readers.h"

namespace {

constexpr uint32_t kBmpFileHeaderBytes = 14;
constexpr uint32_t kBitmapInfoHeaderBytes = 40;

constexpr uint32_t kIcoDirectoryStart = 6;
constexpr uint32_t kIcoEntryBytes = 16;
constexpr uint16_t kIcoMostEntries = 999;
// Icon images of this size or less hold no image header worth measuring; the first one ends the walk.
constexpr uint32_t kIcoSmallestImage = 44;

constexpr uint32_t kGifScreenStart = 6;
constexpr uint32_t kGifScreenBytes = 7;

constexpr uint32_t kPsdHeaderBytes = 26;
constexpr uint32_t kPcxHeaderBytes = 128;
constexpr uint32_t kTgaHeaderBytes = 18;
constexpr uint32_t kTgaFooterBytes = 26;
constexpr char kTgaSignature[] = "TRUEVISION-XFILE.";  // with its zero byte: 18 bytes

struct IconEntry {
  uint16_t bitCount;
  uint32_t dataBytes;
  uint32_t dataOffset;
};

// An icon image's size: a BITMAPINFOHEADER (its height counts the image and its mask) or a PNG image.
// Only the header is read, never the image.
void MeasureIconImage(ImageSniff* sniff, const IconEntry& entry, ImageSize* image) {
  uint8_t header[kBitmapInfoHeaderBytes];
  if (!ReadSniffBytes(sniff, entry.dataOffset, header, sizeof header)) return;
  if (ReadU32Le(header) != kBitmapInfoHeaderBytes) {
    ReadPngHeaderAt(sniff, entry.dataOffset, uint64_t{entry.dataOffset} + entry.dataBytes, image);
    return;
  }
  image->width = static_cast<int32_t>(ReadU32Le(header + 4));
  image->height = static_cast<int32_t>(ReadU32Le(header + 8)) / 2;
  image->bits = ReadU16Le(header + 14);
}

bool TgaImageTypeKnown(uint8_t type) { return (type >= 1 && type <= 3) || (type >= 9 && type <= 11); }

bool HasTgaFooter(ImageSniff* sniff) {
  uint8_t footer[kTgaFooterBytes];
  if (sniff->size < kTgaFooterBytes || !ReadSniffBytes(sniff, sniff->size - kTgaFooterBytes, footer, sizeof footer))
    return false;
  return memcmp(footer + 8, kTgaSignature, sizeof kTgaSignature) == 0;
}

}  // namespace

bool ReadBmpHeader(ImageSniff* sniff, ImageSize* size) {
  const uint8_t* head = sniff->head;
  if (sniff->headBytes < kBmpFileHeaderBytes + kBitmapInfoHeaderBytes || !HeadStartsWith(*sniff, "BM")) return false;
  const int32_t storedSize = static_cast<int32_t>(ReadU32Le(head + 2));
  const uint32_t pixelOffset = ReadU32Le(head + 10);
  // A file shorter than it says it is was cut, unless the stored size cannot be right anyway.
  if (static_cast<int64_t>(sniff->size) < storedSize && static_cast<uint32_t>(storedSize) >= pixelOffset) return false;
  if (ReadU32Le(head + kBmpFileHeaderBytes) != kBitmapInfoHeaderBytes) return false;
  size->width = static_cast<int32_t>(ReadU32Le(head + 18));
  size->height = static_cast<int32_t>(ReadU32Le(head + 22));
  size->bits = ReadU16Le(head + 28);
  return true;
}

bool ReadIcoHeader(ImageSniff* sniff, ImageSize* size) {
  const uint8_t* head = sniff->head;
  if (sniff->headBytes < kIcoDirectoryStart || ReadU16Le(head) != 0 || ReadU16Le(head + 2) != 1) return false;
  const uint16_t count = ReadU16Le(head + 4);
  if (count == 0 || count > kIcoMostEntries) return false;
  uint8_t directory[kIcoMostEntries * kIcoEntryBytes];
  if (!ReadSniffBytes(sniff, kIcoDirectoryStart, directory, count * kIcoEntryBytes)) return false;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* at = directory + i * kIcoEntryBytes;
    IconEntry entry{ReadU16Le(at + 6), ReadU32Le(at + 8), ReadU32Le(at + 12)};
    if (entry.dataBytes <= kIcoSmallestImage) break;
    // An image that does not lie inside the file is no image of it.
    if (!RangeInside(entry.dataOffset, entry.dataBytes, sniff->size)) continue;
    ImageSize image{};
    MeasureIconImage(sniff, entry, &image);
    if (entry.bitCount == 0) entry.bitCount = image.bits;
    if (image.width > size->width && image.height > size->height) {
      size->width = image.width;
      size->height = image.height;
    }
    if (entry.bitCount > size->bits) size->bits = entry.bitCount;
  }
  return true;
}

bool ReadGifHeader(ImageSniff* sniff, ImageSize* size) {
  if (sniff->headBytes <= kGifScreenStart || (!HeadStartsWith(*sniff, "GIF87a") && !HeadStartsWith(*sniff, "GIF89a")))
    return false;
  uint8_t screen[kGifScreenBytes];
  if (!ReadSniffBytes(sniff, kGifScreenStart, screen, sizeof screen)) return false;
  // A global colour table must be there in full.
  const uint8_t packed = screen[4];
  const uint32_t tableBytes = (packed & 0x80) != 0 ? 3u << ((packed & 7) + 1) : 0;
  if (!RangeInside(kGifScreenStart + kGifScreenBytes, tableBytes, sniff->size)) return false;
  size->width = ReadU16Le(screen);
  size->height = ReadU16Le(screen + 2);
  size->bits = 8;
  return true;
}

bool ReadPsdHeader(ImageSniff* sniff, ImageSize* size) {
  const uint8_t* head = sniff->head;
  if (sniff->headBytes < kPsdHeaderBytes || !HeadStartsWith(*sniff, "8BPS") || ReadU16Be(head + 4) != 1) return false;
  for (int i = 6; i < 12; ++i) {
    if (head[i] != 0) return false;
  }
  size->height = static_cast<int32_t>(ReadU32Be(head + 14));
  size->width = static_cast<int32_t>(ReadU32Be(head + 18));
  const uint16_t colourMode = ReadU16Be(head + 24);
  size->bits = colourMode == 3 || colourMode == 4 ? 24 : ReadU16Be(head + 22);
  return true;
}

bool ReadPcxHeader(ImageSniff* sniff, ImageSize* size) {
  const uint8_t* head = sniff->head;
  if (sniff->headBytes < kPcxHeaderBytes || head[0] != 0x0A) return false;
  const uint8_t bits = head[3];
  const uint16_t xMin = ReadU16Le(head + 4);
  const uint16_t yMin = ReadU16Le(head + 6);
  const uint16_t xMax = ReadU16Le(head + 8);
  const uint16_t yMax = ReadU16Le(head + 10);
  const uint8_t planes = head[65];
  if (xMax < xMin || yMax < yMin || planes > 20 || bits > 8) return false;
  size->width = xMax - xMin + 1;
  size->height = yMax - yMin + 1;
  size->bits = static_cast<uint16_t>(bits * planes);
  return true;
}

// A TGA has no signature: only files named so are read as one.
bool ReadTgaHeader(ImageSniff* sniff, ImageSize* size) {
  char extension[8];
  GetUpperExtensionAnsi(sniff->path, extension, sizeof extension);
  const uint8_t* head = sniff->head;
  if (strcmp(extension, "TGA") != 0 || sniff->headBytes < kTgaHeaderBytes) return false;
  const uint8_t colourMapType = head[1];
  const uint8_t imageType = head[2];
  const uint8_t depth = head[16];
  if (colourMapType >= 2 || !TgaImageTypeKnown(imageType) || depth > 32) return false;
  // The image ID and the colour map must be there.
  const uint32_t mapBytes = colourMapType == 1 ? ReadU16Le(head + 5) * ((head[7] + 7u) / 8) : 0;
  if (!RangeInside(kTgaHeaderBytes, uint64_t{head[0]} + mapBytes, sniff->size)) return false;
  // Without the footer of the newer form only an even depth is believed.
  if (!HasTgaFooter(sniff) && depth % 2 != 0) return false;
  size->width = ReadU16Le(head + 12);
  size->height = ReadU16Le(head + 14);
  size->bits = depth;
  return true;
}
