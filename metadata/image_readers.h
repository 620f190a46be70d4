// The readers behind SniffImageHeader (metadata/image_header.h) and what they share: the file opened once,
// with its first bytes at hand, and the size each reader finds. A reader looks at the first bytes for its
// signature and reads anything further through ReadSniffBytes, which keeps to the file's size. It returns
// true with a width and a height (and the bits per pixel when the format tells them) when the file is of its
// kind; anything else means "not mine", and the next reader runs.
#pragma once
#include <cstddef>
#include <cstdint>

#include "metadata/file_ranges.h"

// The bytes every reader may look at without reading again.
constexpr uint32_t kSniffHeadBytes = 8192;

struct ImageSniff {
  const wchar_t* path;
  RangeFile* file;  // null when the file could not be opened
  uint64_t size;
  uint32_t headBytes;                 // min(size, kSniffHeadBytes), 0 when unreadable
  uint8_t head[kSniffHeadBytes + 1];  // a zero byte after the bytes read
};

struct ImageSize {
  int32_t width;
  int32_t height;
  uint16_t bits;
};

// `count` bytes at `offset`, from the head when they lie there, else from the file: false when they pass the
// end of the file or cannot be read.
bool ReadSniffBytes(ImageSniff* sniff, uint64_t offset, void* target, uint32_t count);
// Up to `count` bytes at `offset`, as many as the file holds there: the number copied.
uint32_t ReadSniffBytesUpTo(ImageSniff* sniff, uint64_t offset, void* target, uint32_t count);

// True when the head begins with the `length` bytes of `signature`.
bool HeadStartsWithBytes(const ImageSniff& sniff, const void* signature, size_t length);
// The same for a literal, whose zero bytes count but not its terminator.
template <size_t N>
bool HeadStartsWith(const ImageSniff& sniff, const char (&signature)[N]) {
  return HeadStartsWithBytes(sniff, signature, N - 1);
}

// A line as fgets reads it from a stream of characters (`next` gives one, or -1 at the end): at most
// capacity - 1 of them, the line feed included. The result is the line's length, 0 at the end.
template <typename NextCharacter>
int ReadTextLine(NextCharacter&& next, char* line, int capacity) {
  int length = 0;
  while (length < capacity - 1) {
    const int c = next();
    if (c < 0) break;
    line[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  line[length] = 0;
  return length;
}

// Own readers of binary headers.
bool ReadBmpHeader(ImageSniff* sniff, ImageSize* size);
bool ReadIcoHeader(ImageSniff* sniff, ImageSize* size);
bool ReadGifHeader(ImageSniff* sniff, ImageSize* size);
bool ReadPsdHeader(ImageSniff* sniff, ImageSize* size);
bool ReadPcxHeader(ImageSniff* sniff, ImageSize* size);
bool ReadTgaHeader(ImageSniff* sniff, ImageSize* size);

// Own readers of the C-source image formats.
bool ReadXpmHeader(ImageSniff* sniff, ImageSize* size);
bool ReadXbmImage(ImageSniff* sniff, ImageSize* size);

// Headers read by the image libraries.
bool ReadJpegHeader(ImageSniff* sniff, ImageSize* size);
bool ReadPngHeader(ImageSniff* sniff, ImageSize* size);
// The PNG header of the bytes [offset, end) of the file (an icon's image): libpng reads only up to its IHDR.
bool ReadPngHeaderAt(ImageSniff* sniff, uint64_t offset, uint64_t end, ImageSize* size);
bool ReadTiffHeader(ImageSniff* sniff, ImageSize* size);
bool ReadWebpHeader(ImageSniff* sniff, ImageSize* size);

// The fallback for everything else, and the raw camera files it hands to LibRaw.
bool ReadFallbackHeader(ImageSniff* sniff, ImageSize* size);
bool ReadRawCameraHeader(ImageSniff* sniff, ImageSize* size);
