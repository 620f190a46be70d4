// Width, height, bits per pixel and kind of an image file, read from its header without decoding the image.
// `SniffImageHeader` reads the start of the file once and tries a fixed list of readers in a fixed order: its
// own readers for BMP, ICO, GIF, XPM, PSD, PCX, XBM and TGA, libjpeg, libpng, libtiff and libwebp for their
// formats (headers only), and last a fallback for PNM, MNG and JNG, JPEG 2000, Sun raster, the rarer BMP
// headers and raw camera files (LibRaw, headers only). The first reader that finds a width and a height wins.
//
// Any file may be handed over: a damaged, truncated or hostile one gives the zero record, never a crash, a
// hang or a large allocation. Every reader keeps to the file's size; no reader reads the whole of a large file.
#pragma once
#include <cstdint>

// The kind of image a record describes; the numbers are part of the stored field values.
enum ImageFormatCode : uint16_t {
  kImageNone = 0,
  kImageBmp = 6,
  kImageOther = 9,  // read by the fallback: PNM, MNG, JNG, JPEG 2000, Sun raster, other BMP headers, raw files
  kImageGif = 12,
  kImageIco = 16,
  kImageJpeg = 17,
  kImagePcx = 21,
  kImagePng = 23,
  kImagePsd = 24,
  kImageTga = 26,
  kImageTiff = 27,
  kImageWebp = 28,
  kImageXpm = 30,  // XPM and XBM
};

#pragma pack(push, 1)
struct ImageHeaderInfo {
  // As the file gives them: a BMP stored top-down keeps its negative height.
  int32_t width;
  int32_t height;
  uint16_t bitsPerPixel;  // 0 when the format does not tell
  uint16_t format;        // ImageFormatCode
};
#pragma pack(pop)
static_assert(sizeof(ImageHeaderInfo) == 12, "the image header record is 12 bytes");

// Zeroes `info`, then fills it when some reader recognised the file at `path`; it stays zero otherwise (also
// for a file that cannot be opened). Always 0.
int SniffImageHeader(const wchar_t* path, ImageHeaderInfo* info);
