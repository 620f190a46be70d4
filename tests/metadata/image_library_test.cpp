// The image libraries the image-header reader stands on: each reads the header of an image it was given.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <png.h>
#include <jpeglib.h>
#include <tiffio.h>
#include <webp/decode.h>
#include <webp/encode.h>
#include <openjpeg.h>

#include "support/temp_folder.h"

namespace {

struct MemoryStream {
  std::vector<unsigned char> bytes;
  size_t readAt = 0;
};

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* stream = static_cast<MemoryStream*>(png_get_io_ptr(png));
  stream->bytes.insert(stream->bytes.end(), data, data + length);
}

void PngRead(png_structp png, png_bytep data, png_size_t length) {
  auto* stream = static_cast<MemoryStream*>(png_get_io_ptr(png));
  if (stream->readAt + length > stream->bytes.size()) png_error(png, "read past the end");
  std::memcpy(data, stream->bytes.data() + stream->readAt, length);
  stream->readAt += length;
}

void PngFlush(png_structp) {}

MemoryStream MakePng(unsigned width, unsigned height) {
  MemoryStream stream;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &stream, PngWrite, PngFlush);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<unsigned char> row(width * 4, 0x7F);
  for (unsigned y = 0; y < height; ++y) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return stream;
}

}  // namespace

TEST(ImageLibraries, PngHeaderOfAWrittenImage) {
  MemoryStream stream = MakePng(37, 21);
  ASSERT_EQ(png_sig_cmp(stream.bytes.data(), 0, 8), 0);
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_read_fn(png, &stream, PngRead);
  png_read_info(png, info);
  EXPECT_EQ(png_get_image_width(png, info), 37u);
  EXPECT_EQ(png_get_image_height(png, info), 21u);
  EXPECT_EQ(png_get_bit_depth(png, info) * png_get_channels(png, info), 32);
  png_destroy_read_struct(&png, &info, nullptr);
}

TEST(ImageLibraries, JpegHeaderOfACompressedImage) {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_compress_struct compress;
  jpeg_error_mgr errors;
  compress.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compress);
  jpeg_mem_dest(&compress, &buffer, &size);
  compress.image_width = 64;
  compress.image_height = 48;
  compress.input_components = 3;
  compress.in_color_space = JCS_RGB;
  jpeg_set_defaults(&compress);
  jpeg_start_compress(&compress, TRUE);
  std::vector<JSAMPLE> row(64 * 3, 200);
  JSAMPROW rows[1] = {row.data()};
  while (compress.next_scanline < compress.image_height) jpeg_write_scanlines(&compress, rows, 1);
  jpeg_finish_compress(&compress);
  jpeg_destroy_compress(&compress);

  jpeg_decompress_struct decompress;
  decompress.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&decompress);
  jpeg_mem_src(&decompress, buffer, size);
  ASSERT_EQ(jpeg_read_header(&decompress, TRUE), JPEG_HEADER_OK);
  EXPECT_EQ(decompress.image_width, 64u);
  EXPECT_EQ(decompress.image_height, 48u);
  EXPECT_EQ(decompress.num_components, 3);
  jpeg_destroy_decompress(&decompress);
  free(buffer);
}

TEST(ImageLibraries, TiffDirectoryOfAWrittenFile) {
  TempFolder folder;
  std::wstring path = folder / L"sample.tif";
  TIFF* out = TIFFOpenW(path.c_str(), "w");
  ASSERT_NE(out, nullptr);
  TIFFSetField(out, TIFFTAG_IMAGEWIDTH, 10);
  TIFFSetField(out, TIFFTAG_IMAGELENGTH, 6);
  TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  std::vector<unsigned char> row(10, 0x55);
  for (int y = 0; y < 6; ++y) TIFFWriteScanline(out, row.data(), y, 0);
  TIFFClose(out);

  TIFF* in = TIFFOpenW(path.c_str(), "r");
  ASSERT_NE(in, nullptr);
  uint32_t width = 0, height = 0;
  uint16_t bits = 0;
  TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(in, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetField(in, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFClose(in);
  EXPECT_EQ(width, 10u);
  EXPECT_EQ(height, 6u);
  EXPECT_EQ(bits, 8);
  EXPECT_TRUE(TIFFIsCODECConfigured(COMPRESSION_JPEG));
}

TEST(ImageLibraries, WebpFeaturesOfAnEncodedImage) {
  std::vector<uint8_t> pixels(16 * 9 * 3, 90);
  uint8_t* encoded = nullptr;
  size_t size = WebPEncodeLosslessRGB(pixels.data(), 16, 9, 16 * 3, &encoded);
  ASSERT_GT(size, 0u);
  int width = 0, height = 0;
  EXPECT_TRUE(WebPGetInfo(encoded, size, &width, &height));
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 9);
  WebPFree(encoded);
}

TEST(ImageLibraries, OpenJpegDecoderCanBeCreated) {
  opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_JP2);
  ASSERT_NE(codec, nullptr);
  opj_destroy_codec(codec);
  EXPECT_STRNE(opj_version(), "");
}
