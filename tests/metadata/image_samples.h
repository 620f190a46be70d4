// Image files for the image-header tests and benchmark: headers built byte by byte for the formats read by the
// program's own readers and by the fallback, and whole images written by the libraries' own encoders (PNG,
// TIFF, WebP here; JPEG in written_jpeg.h, JPEG segments in exif_samples.h).
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <zlib.h>

#include "audio_samples.h"
#include "exif_samples.h"
#include "written_jpeg.h"

namespace image_samples {

using audio_samples::BigEndian;
using audio_samples::LittleEndian;

// A BMP with a header of `headerBytes` (40 the common one, 12 the OS/2 one, 124 the newest) and its pixels.
inline std::string BmpFile(uint32_t headerBytes, int32_t width, int32_t height, uint16_t bits) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width < 0 ? -width : width) * bits + 31) / 32 * 4;
  const uint32_t pixels = rowBytes * static_cast<uint32_t>(height < 0 ? -height : height);
  const uint32_t offset = 14 + headerBytes;
  std::string header = LittleEndian(headerBytes, 4);
  if (headerBytes == 12) {
    header += LittleEndian(static_cast<uint32_t>(width), 2) + LittleEndian(static_cast<uint32_t>(height), 2) +
              LittleEndian(1, 2) + LittleEndian(bits, 2);
  } else {
    header += LittleEndian(static_cast<uint32_t>(width), 4) + LittleEndian(static_cast<uint32_t>(height), 4) +
              LittleEndian(1, 2) + LittleEndian(bits, 2);
    header += std::string(headerBytes - header.size(), '\0');
  }
  return "BM" + LittleEndian(offset + pixels, 4) + std::string(4, '\0') + LittleEndian(offset, 4) + header +
         std::string(pixels, '\x40');
}

struct IconImage {
  uint8_t width;
  uint8_t height;
  uint16_t bitCount;     // as the directory states it; 0 for "see the image"
  std::string data;      // a BITMAPINFOHEADER and its pixels, or a PNG file
};

// The BITMAPINFOHEADER of an icon image: its height counts the image and its mask.
inline std::string IconBitmap(int32_t width, int32_t height, uint16_t bits, size_t pixelBytes) {
  return LittleEndian(40, 4) + LittleEndian(static_cast<uint32_t>(width), 4) +
         LittleEndian(static_cast<uint32_t>(2 * height), 4) + LittleEndian(1, 2) + LittleEndian(bits, 2) +
         std::string(24, '\0') + std::string(pixelBytes, '\x11');
}

// An icon file; `sizeOverride` replaces the data size of the entry of that index when given.
inline std::string IcoFile(const std::vector<IconImage>& images, int overrideIndex = -1, uint32_t sizeOverride = 0) {
  std::string directory, data;
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    const uint32_t size = static_cast<int>(i) == overrideIndex ? sizeOverride : static_cast<uint32_t>(image.data.size());
    directory += std::string{static_cast<char>(image.width), static_cast<char>(image.height), '\0', '\0'} +
                 LittleEndian(1, 2) + LittleEndian(image.bitCount, 2) + LittleEndian(size, 4) + LittleEndian(offset, 4);
    offset += static_cast<uint32_t>(image.data.size());
    data += image.data;
  }
  return std::string("\0\0\x01\0", 4) + LittleEndian(images.size(), 2) + directory + data;
}

// A GIF with a global colour table of 2^tableBits entries, cut to `tableBytesKept` of them when given.
inline std::string GifFile(uint16_t width, uint16_t height, int tableBits, size_t tableBytesKept = std::string::npos) {
  std::string table(3u << tableBits, '\x22');
  if (tableBytesKept != std::string::npos) table.resize(tableBytesKept);
  const char packed = static_cast<char>(0x80 | 0x70 | (tableBits - 1));
  std::string file = "GIF89a" + LittleEndian(width, 2) + LittleEndian(height, 2) + packed + std::string(2, '\0') + table;
  // An image descriptor and a tiny image, so that the whole file is a GIF.
  if (tableBytesKept == std::string::npos) file += "," + std::string(9, '\0') + std::string("\x02\x02\x44\x01\0;", 6);
  return file;
}

inline std::string PsdFile(uint32_t width, uint32_t height, uint16_t depth, uint16_t colourMode) {
  return "8BPS" + BigEndian(1, 2) + std::string(6, '\0') + BigEndian(3, 2) + BigEndian(height, 4) +
         BigEndian(width, 4) + BigEndian(depth, 2) + BigEndian(colourMode, 2) + std::string(32, '\0');
}

inline std::string PcxFile(uint16_t xMax, uint16_t yMax, uint8_t bits, uint8_t planes) {
  std::string header = std::string("\x0A\x05\x01", 3) + static_cast<char>(bits) + LittleEndian(0, 4) +
                       LittleEndian(xMax, 2) + LittleEndian(yMax, 2) + LittleEndian(72, 2) + LittleEndian(72, 2) +
                       std::string(48, '\0') + '\0' + static_cast<char>(planes) + LittleEndian(xMax + 1, 2) +
                       LittleEndian(1, 2);
  return header + std::string(128 - header.size(), '\0') + std::string(64, '\x55');
}

// A true-colour TGA, with the footer of the newer form when asked.
inline std::string TgaFile(uint16_t width, uint16_t height, uint8_t depth, bool footer) {
  std::string file = std::string("\0\0\x02", 3) + std::string(5, '\0') + LittleEndian(0, 4) + LittleEndian(width, 2) +
                     LittleEndian(height, 2) + static_cast<char>(depth) + '\0' +
                     std::string(static_cast<size_t>(width) * height * ((depth + 7) / 8), '\x66');
  if (footer) file += std::string(8, '\0') + std::string("TRUEVISION-XFILE.\0", 18);
  return file;
}

// One bitmap of an XBM: its #define lines and its array of 8-bit (or 16-bit) values.
inline std::string XbmBitmap(const std::string& name, int width, int height, bool shortValues = false) {
  const int rowBytes = (width + 7) / 8;
  const int values = (shortValues ? (rowBytes + 1) / 2 : rowBytes) * height;
  std::string text = "#define " + name + "_width " + std::to_string(width) + "\n#define " + name + "_height " +
                     std::to_string(height) + "\n#define " + name + "_x_hot 1\n";
  text += std::string("static ") + (shortValues ? "short " : "unsigned char ") + name + "_bits[] = {\n";
  for (int i = 0; i < values; ++i) text += (shortValues ? "0x1234" : "0x3c") + std::string(i + 1 < values ? ", " : "};\n");
  return text;
}

// An XPM 3 image; the colour lines are left out, which a header reader never reaches.
inline std::string XpmFile(int width, int height, int colours) {
  return "/* XPM */\n// a comment line\nstatic const char * sample_xpm[] = {\n/* width height ncolors cpp */\n\"" +
         std::to_string(width) + " " + std::to_string(height) + " " + std::to_string(colours) + " 1\",\n\"a c #FF0000\",\n};\n";
}

// Whole images written by the libraries' own encoders.
inline void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

inline std::string EncodePng(uint32_t width, uint32_t height, int colourType, int bitDepth) {
  std::string bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &bytes, AppendPngBytes, [](png_structp) {});
  png_set_IHDR(png, info, width, height, bitDepth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_color palette[2] = {{0, 0, 0}, {255, 255, 255}};
    png_set_PLTE(png, info, palette, 2);
  }
  png_write_info(png, info);
  std::vector<png_byte> row(png_get_rowbytes(png, info), 0x3C);
  for (uint32_t y = 0; y < height; ++y) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

// Writes a TIFF at `path` (libtiff writes only to files); false when it could not.
inline bool WriteTiff(const std::wstring& path, uint32_t width, uint32_t height, uint16_t bitsPerSample,
                      uint16_t samplesPerPixel) {
  TIFF* out = TIFFOpenW(path.c_str(), "w");
  if (out == nullptr) return false;
  TIFFSetField(out, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(out, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, bitsPerSample);
  TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, samplesPerPixel);
  TIFFSetField(out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(out, TIFFTAG_PHOTOMETRIC, samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  if (samplesPerPixel == 4) {
    const uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(out, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  std::vector<unsigned char> row((static_cast<size_t>(width) * bitsPerSample * samplesPerPixel + 7) / 8, 0x5A);
  bool written = true;
  for (uint32_t y = 0; y < height && written; ++y) written = TIFFWriteScanline(out, row.data(), y, 0) == 1;
  TIFFClose(out);
  return written;
}

inline std::string EncodeWebp(int width, int height, bool lossless) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3, 90);
  uint8_t* encoded = nullptr;
  const size_t size = lossless ? WebPEncodeLosslessRGB(pixels.data(), width, height, width * 3, &encoded)
                               : WebPEncodeRGB(pixels.data(), width, height, width * 3, 80, &encoded);
  std::string bytes(reinterpret_cast<const char*>(encoded), size);
  WebPFree(encoded);
  return bytes;
}

// The formats of the fallback.
inline std::string PnmFile(const std::string& header, size_t pixelBytes) { return header + std::string(pixelBytes, '\0'); }

inline std::string PngChunk(const std::string& type, const std::string& body) {
  std::string crcInput = type + body;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(crcInput.data()), static_cast<uInt>(crcInput.size()));
  return BigEndian(body.size(), 4) + crcInput + BigEndian(crc, 4);
}

inline std::string MngFile(uint32_t width, uint32_t height) {
  return "\x8AMNG\r\n\x1A\n" + PngChunk("MHDR", BigEndian(width, 4) + BigEndian(height, 4) + BigEndian(1000, 4) +
                                                    std::string(16, '\0')) +
         PngChunk("MEND", "");
}

inline std::string JngFile(uint32_t width, uint32_t height, uint8_t colourType) {
  return "\x8BJNG\r\n\x1A\n" +
         PngChunk("JHDR", BigEndian(width, 4) + BigEndian(height, 4) + static_cast<char>(colourType) +
                              std::string("\x08\x08\0\0\0\0\0", 7)) +
         PngChunk("IEND", "");
}

inline std::string Jp2Box(const std::string& type, const std::string& body) {
  return BigEndian(body.size() + 8, 4) + type + body;
}

inline std::string J2kCodestream(uint32_t width, uint32_t height, int components) {
  std::string siz = BigEndian(0, 2) + BigEndian(width + 5, 4) + BigEndian(height + 7, 4) + BigEndian(5, 4) +
                    BigEndian(7, 4) + BigEndian(width, 4) + BigEndian(height, 4) + BigEndian(0, 4) + BigEndian(0, 4) +
                    BigEndian(components, 2);
  for (int i = 0; i < components; ++i) siz += std::string("\x07\x01\x01", 3);
  return "\xFF\x4F\xFF\x51" + BigEndian(siz.size() + 2, 2) + siz + "\xFF\xD9";
}

inline std::string Jp2File(uint32_t width, uint32_t height, uint16_t components) {
  const std::string header = Jp2Box("ihdr", BigEndian(height, 4) + BigEndian(width, 4) + BigEndian(components, 2) +
                                                std::string("\x07\x07\0\0", 4)) +
                             Jp2Box("colr", std::string("\x01\0\0\0\0\0\x10", 7));
  return Jp2Box("jP  ", "\r\n\x87\n") + Jp2Box("ftyp", "jp2 " + BigEndian(0, 4) + "jp2 ") + Jp2Box("jp2h", header) +
         Jp2Box("jp2c", J2kCodestream(width, height, components));
}

inline std::string SunRasterFile(uint32_t width, uint32_t height, uint32_t depth) {
  return "\x59\xA6\x6A\x95" + BigEndian(width, 4) + BigEndian(height, 4) + BigEndian(depth, 4) +
         BigEndian(width * height * depth / 8, 4) + BigEndian(1, 4) + BigEndian(0, 4) + BigEndian(0, 4) +
         std::string(width * height * depth / 8, '\x10');
}

// A DNG whose first directory is the raw sensor image (a colour filter array), which the TIFF reader leaves to
// the raw reader.
inline std::string DngFile(uint16_t width, uint16_t height) {
  struct Entry {
    uint16_t tag, type;
    uint32_t count;
    std::string value;  // inline when at most 4 bytes, else stored after the directory
  };
  const std::string make = std::string("Canon\0", 6), model = std::string("Test DNG\0", 9);
  const uint32_t pixels = static_cast<uint32_t>(width) * height * 2;
  std::vector<Entry> entries = {
      {254, 4, 1, LittleEndian(0, 4)},          {256, 4, 1, LittleEndian(width, 4)},
      {257, 4, 1, LittleEndian(height, 4)},     {258, 3, 1, LittleEndian(16, 2)},
      {259, 3, 1, LittleEndian(1, 2)},          {262, 3, 1, LittleEndian(32803, 2)},
      {271, 2, 6, make},                        {272, 2, 9, model},
      {273, 4, 1, ""},                          {277, 3, 1, LittleEndian(1, 2)},
      {278, 4, 1, LittleEndian(height, 4)},     {279, 4, 1, LittleEndian(pixels, 4)},
      {33421, 3, 2, LittleEndian(2, 2) + LittleEndian(2, 2)}, {33422, 1, 4, std::string("\0\x01\x01\x02", 4)},
      {50706, 1, 4, std::string("\x01\x04\0\0", 4)},          {50708, 2, 9, model},
  };
  const uint32_t directoryBytes = 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
  uint32_t extraAt = 8 + directoryBytes;
  std::string directory = LittleEndian(entries.size(), 2), extra;
  for (const Entry& entry : entries) {
    if (entry.value.size() > 4) extra += entry.value;
  }
  const uint32_t pixelsAt = extraAt + static_cast<uint32_t>(extra.size());
  for (const Entry& entry : entries) {
    std::string value = entry.tag == 273 ? LittleEndian(pixelsAt, 4) : entry.value;
    if (value.size() > 4) {
      directory += LittleEndian(entry.tag, 2) + LittleEndian(entry.type, 2) + LittleEndian(entry.count, 4) +
                   LittleEndian(extraAt, 4);
      extraAt += static_cast<uint32_t>(value.size());
    } else {
      directory += LittleEndian(entry.tag, 2) + LittleEndian(entry.type, 2) + LittleEndian(entry.count, 4) + value +
                   std::string(4 - value.size(), '\0');
    }
  }
  return std::string("II*\0", 4) + LittleEndian(8, 4) + directory + LittleEndian(0, 4) + extra + std::string(pixels, '\x20');
}

}  // namespace image_samples
