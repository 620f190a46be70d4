// The last reader: formats no earlier reader took. A first look at the head decides what is tried: a PNM
// signature tries PNM, "MNG" in bytes 1-3 tries MNG, a PDF is never tried, and other data are tried only when
// they look binary (a zero byte at an even offset of the head), against each reader below by its signature
// and last against LibRaw for raw camera files.
#include <cstring>

#include "metadata/byte_reads.h"
#include "metadata/image_readers.h"

namespace {

enum class FallbackKind { kNone, kPnm, kMng, kAny };

constexpr uint32_t kPnmMostHeaderBytes = 1024;
constexpr uint32_t kJp2MostBoxes = 64;
constexpr uint32_t kBoxHeaderBytes = 8;
constexpr uint32_t kJ2kSizBytes = 42;
constexpr uint32_t kJ2kMostComponents = 16384;

bool IsAsciiSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

char AsciiUpper(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c); }

bool IsPnmStart(const ImageSniff& sniff) {
  const uint8_t* head = sniff.head;
  return sniff.headBytes >= 3 && AsciiUpper(head[0]) == 'P' && head[1] >= '1' && head[1] <= '7' &&
         IsAsciiSpace(head[2]);
}

bool IsMngStart(const ImageSniff& sniff) {
  const uint8_t* head = sniff.head;
  return sniff.headBytes >= 4 && AsciiUpper(head[1]) == 'M' && AsciiUpper(head[2]) == 'N' && AsciiUpper(head[3]) == 'G';
}

bool IsPdfData(const ImageSniff& sniff) {
  const uint8_t* head = sniff.head;
  if (sniff.headBytes < 8) return false;
  const char kStart[] = "%PDF-";
  for (int i = 0; i < 5; ++i) {
    if (AsciiUpper(head[i]) != kStart[i]) return false;
  }
  return (head[5] == '1' || head[5] == '2') && head[6] == '.';
}

bool HasZeroAtEvenOffset(const ImageSniff& sniff) {
  for (uint32_t i = 0; i < sniff.headBytes; i += 2) {
    if (sniff.head[i] == 0) return true;
  }
  return false;
}

FallbackKind GuessFallbackKind(const ImageSniff& sniff) {
  if (IsPnmStart(sniff)) return FallbackKind::kPnm;
  if (IsMngStart(sniff)) return FallbackKind::kMng;
  if (IsPdfData(sniff)) return FallbackKind::kNone;
  return HasZeroAtEvenOffset(sniff) ? FallbackKind::kAny : FallbackKind::kNone;
}

// The words of a PNM header: blank-separated, '#' comments to the end of the line.
class PnmWords {
 public:
  explicit PnmWords(const ImageSniff& sniff)
      : at_(sniff.head), end_(sniff.head + (sniff.headBytes < kPnmMostHeaderBytes ? sniff.headBytes : kPnmMostHeaderBytes)) {}

  // The next word as a positive number below 2^31; 0 for anything else.
  uint32_t Number() {
    char word[16];
    if (!Word(word, sizeof word) || word[0] == 0) return 0;
    uint64_t value = 0;
    for (const char* c = word; *c != 0; ++c) {
      if (*c < '0' || *c > '9' || value > INT32_MAX) return 0;
      value = value * 10 + static_cast<uint32_t>(*c - '0');
    }
    return value <= INT32_MAX ? static_cast<uint32_t>(value) : 0;
  }

  // The next word, cut to the capacity; false at the end of the head.
  bool Word(char* word, size_t capacity) {
    SkipSpaceAndComments();
    if (at_ == end_) return false;
    size_t length = 0;
    for (; at_ < end_ && !IsAsciiSpace(*at_) && *at_ != '#'; ++at_) {
      if (length + 1 < capacity) word[length++] = static_cast<char>(*at_);
    }
    word[length] = 0;
    return true;
  }

 private:
  void SkipSpaceAndComments() {
    while (at_ < end_ && (IsAsciiSpace(*at_) || *at_ == '#')) {
      if (*at_ == '#') {
        while (at_ < end_ && *at_ != '\n' && *at_ != '\r') ++at_;
      } else {
        ++at_;
      }
    }
  }

  const uint8_t* at_;
  const uint8_t* end_;
};

// P7: "WIDTH", "HEIGHT", "DEPTH" and "MAXVAL" lines up to "ENDHDR".
bool ReadPamHeader(PnmWords* words, ImageSize* size) {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t depth = 0;
  uint32_t maximum = 0;
  char word[16];
  while (words->Word(word, sizeof word) && strcmp(word, "ENDHDR") != 0) {
    if (strcmp(word, "WIDTH") == 0) width = words->Number();
    if (strcmp(word, "HEIGHT") == 0) height = words->Number();
    if (strcmp(word, "DEPTH") == 0) depth = words->Number();
    if (strcmp(word, "MAXVAL") == 0) maximum = words->Number();
  }
  if (strcmp(word, "ENDHDR") != 0 || depth == 0 || depth > 16 || maximum == 0) return false;
  size->width = static_cast<int32_t>(width);
  size->height = static_cast<int32_t>(height);
  size->bits = static_cast<uint16_t>(depth * (maximum > 255 ? 16 : 8));
  return true;
}

// P1-P6: width, height and (except for the bitmaps P1 and P4) the largest sample value.
bool ReadPnmHeader(ImageSniff* sniff, ImageSize* size) {
  PnmWords words(*sniff);
  char magic[4];
  words.Word(magic, sizeof magic);
  const char kind = magic[1];
  if (kind == '7') return ReadPamHeader(&words, size);
  const uint32_t width = words.Number();
  const uint32_t height = words.Number();
  const bool bitmap = kind == '1' || kind == '4';
  const uint32_t maximum = bitmap ? 1 : words.Number();
  if (maximum == 0 || maximum > 65535) return false;
  const uint16_t sampleBits = maximum > 255 ? 16 : 8;
  const bool colour = kind == '3' || kind == '6';
  size->width = static_cast<int32_t>(width);
  size->height = static_cast<int32_t>(height);
  size->bits = bitmap ? 1 : static_cast<uint16_t>(colour ? 3 * sampleBits : sampleBits);
  return true;
}

// MNG and JNG: the header chunk right after the signature.
bool ReadMngHeader(ImageSniff* sniff, ImageSize* size) {
  if (!HeadStartsWith(*sniff, "\x8AMNG\r\n\x1A\n") || sniff->headBytes < 24 || memcmp(sniff->head + 12, "MHDR", 4) != 0)
    return false;
  size->width = static_cast<int32_t>(ReadU32Be(sniff->head + 16));
  size->height = static_cast<int32_t>(ReadU32Be(sniff->head + 20));
  size->bits = 24;
  return true;
}

bool ReadJngHeader(ImageSniff* sniff, ImageSize* size) {
  const uint8_t* head = sniff->head;
  if (!HeadStartsWith(*sniff, "\x8BJNG\r\n\x1A\n") || sniff->headBytes < 26 || memcmp(head + 12, "JHDR", 4) != 0)
    return false;
  // Colour types 8 grey, 10 colour, 12 and 14 the same with alpha.
  const uint8_t colourType = head[24];
  size->width = static_cast<int32_t>(ReadU32Be(head + 16));
  size->height = static_cast<int32_t>(ReadU32Be(head + 20));
  size->bits = static_cast<uint16_t>((colourType == 10 || colourType == 14 ? 24 : 8) + (colourType >= 12 ? 8 : 0));
  return true;
}

// A box of a JPEG 2000 file: its type and where its content lies.
struct Jp2Box {
  char type[5];
  uint64_t content;
  uint64_t end;
};

bool ReadJp2Box(ImageSniff* sniff, uint64_t at, uint64_t limit, Jp2Box* box) {
  uint8_t header[16];
  if (!RangeInside(at, kBoxHeaderBytes, limit) || !ReadSniffBytes(sniff, at, header, kBoxHeaderBytes)) return false;
  memcpy(box->type, header + 4, 4);
  box->type[4] = 0;
  uint64_t length = ReadU32Be(header);
  box->content = at + kBoxHeaderBytes;
  if (length == 1) {
    if (!RangeInside(at, 16, limit) || !ReadSniffBytes(sniff, at + 8, header + 8, 8)) return false;
    length = ReadU64Be(header + 8);
    box->content = at + 16;
  } else if (length == 0) {
    length = limit - at;
  }
  if (length < box->content - at || !RangeInside(at, length, limit)) return false;
  box->end = at + length;
  return true;
}

// The first box of `type` among the boxes of [at, limit).
bool FindJp2Box(ImageSniff* sniff, uint64_t at, uint64_t limit, const char* type, Jp2Box* box) {
  for (uint32_t i = 0; i < kJp2MostBoxes && ReadJp2Box(sniff, at, limit, box); ++i) {
    if (strcmp(box->type, type) == 0) return true;
    at = box->end;
  }
  return false;
}

// JP2: the image header box inside the header box: height, width, components and bits per component.
bool ReadJp2Header(ImageSniff* sniff, ImageSize* size) {
  Jp2Box header;
  Jp2Box image;
  uint8_t fields[11];
  if (!HeadStartsWith(*sniff, "\0\0\0\x0CjP  \r\n\x87\n") || !FindJp2Box(sniff, 0, sniff->size, "jp2h", &header) ||
      !FindJp2Box(sniff, header.content, header.end, "ihdr", &image) ||
      !RangeInside(image.content, sizeof fields, image.end) || !ReadSniffBytes(sniff, image.content, fields, sizeof fields))
    return false;
  size->height = static_cast<int32_t>(ReadU32Be(fields));
  size->width = static_cast<int32_t>(ReadU32Be(fields + 4));
  size->bits = static_cast<uint16_t>(ReadU16Be(fields + 8) * ((fields[10] & 0x7F) + 1));
  return true;
}

// A JPEG 2000 codestream: the image size in the SIZ segment, less its offset, and the components' depths.
bool ReadJ2kHeader(ImageSniff* sniff, ImageSize* size) {
  const uint8_t* head = sniff->head;
  if (!HeadStartsWith(*sniff, "\xFF\x4F\xFF\x51") || sniff->headBytes < kJ2kSizBytes) return false;
  const uint32_t width = ReadU32Be(head + 8) - ReadU32Be(head + 16);
  const uint32_t height = ReadU32Be(head + 12) - ReadU32Be(head + 20);
  const uint16_t components = ReadU16Be(head + 40);
  if (ReadU32Be(head + 8) <= ReadU32Be(head + 16) || ReadU32Be(head + 12) <= ReadU32Be(head + 20) ||
      components == 0 || components > kJ2kMostComponents)
    return false;
  uint32_t bits = 0;
  for (uint32_t i = 0; i < components; ++i) {
    uint8_t depth = 0;
    if (!ReadSniffBytes(sniff, kJ2kSizBytes + 3 * i, &depth, 1)) return false;
    bits += (depth & 0x7Fu) + 1;
  }
  size->width = static_cast<int32_t>(width);
  size->height = static_cast<int32_t>(height);
  size->bits = static_cast<uint16_t>(bits > UINT16_MAX ? UINT16_MAX : bits);
  return true;
}

bool ReadSunRasterHeader(ImageSniff* sniff, ImageSize* size) {
  const uint8_t* head = sniff->head;
  if (!HeadStartsWith(*sniff, "\x59\xA6\x6A\x95") || sniff->headBytes < 16) return false;
  size->width = static_cast<int32_t>(ReadU32Be(head + 4));
  size->height = static_cast<int32_t>(ReadU32Be(head + 8));
  size->bits = static_cast<uint16_t>(ReadU32Be(head + 12));
  return true;
}

// The BMP headers the first BMP test leaves: OS/2 1.x (12 bytes, 16-bit sizes) and the longer ones.
bool ReadOtherBmpHeader(ImageSniff* sniff, ImageSize* size) {
  const uint8_t* head = sniff->head;
  if (!HeadStartsWith(*sniff, "BM") || sniff->headBytes < 30) return false;
  const uint32_t headerBytes = ReadU32Le(head + 14);
  if (headerBytes == 12) {
    size->width = ReadU16Le(head + 18);
    size->height = ReadU16Le(head + 20);
    size->bits = ReadU16Le(head + 24);
    return true;
  }
  const bool known = headerBytes == 16 || headerBytes == 52 || headerBytes == 56 || headerBytes == 64 ||
                     headerBytes == 108 || headerBytes == 124;
  if (!known || sniff->headBytes < 14 + headerBytes) return false;
  size->width = static_cast<int32_t>(ReadU32Le(head + 18));
  size->height = static_cast<int32_t>(ReadU32Le(head + 22));
  size->bits = ReadU16Le(head + 28);
  return true;
}

// The readers tried on binary data, each by its signature; LibRaw, which knows many raw formats by their
// contents and some by their sizes alone, comes last.
bool (*const kBinaryReaders[])(ImageSniff*, ImageSize*) = {
    ReadOtherBmpHeader, ReadSunRasterHeader, ReadJp2Header, ReadJ2kHeader, ReadJngHeader, ReadMngHeader,
    ReadRawCameraHeader,
};

}  // namespace

bool ReadFallbackHeader(ImageSniff* sniff, ImageSize* size) {
  switch (GuessFallbackKind(*sniff)) {
    case FallbackKind::kPnm:
      return ReadPnmHeader(sniff, size);
    case FallbackKind::kMng:
      return ReadMngHeader(sniff, size);
    case FallbackKind::kAny:
      for (auto* read : kBinaryReaders) {
        *size = ImageSize{};
        if (read(sniff, size) && size->width != 0 && size->height != 0) return true;
      }
      return false;
    case FallbackKind::kNone:
      break;
  }
  return false;
}
