// The image libraries the image-header reader stands on: each reads the header of an image its own encoder
// wrote.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <openjpeg.h>
#include <webp/decode.h>

#include "image_samples.h"
#include "support/temp_folder.h"

using namespace image_samples;

namespace {

struct MemoryStream {
  std::string bytes;
  size_t readAt = 0;
};

void PngRead(png_structp png, png_bytep data, png_size_t length) {
  auto* stream = static_cast<MemoryStream*>(png_get_io_ptr(png));
  if (stream->readAt + length > stream->bytes.size()) png_error(png, "read past the end");
  std::memcpy(data, stream->bytes.data() + stream->readAt, length);
  stream->readAt += length;
}

}  // namespace

TEST(ImageLibraries, PngHeaderOfAWrittenImage) {
  MemoryStream stream{EncodePng(37, 21, PNG_COLOR_TYPE_RGB_ALPHA, 8)};
  ASSERT_EQ(png_sig_cmp(reinterpret_cast<png_const_bytep>(stream.bytes.data()), 0, 8), 0);
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
  const std::string jpeg = CompressJpeg(64, 48, 3);
  jpeg_error_mgr errors;
  jpeg_decompress_struct decompress;
  decompress.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&decompress);
  jpeg_mem_src(&decompress, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  ASSERT_EQ(jpeg_read_header(&decompress, TRUE), JPEG_HEADER_OK);
  EXPECT_EQ(decompress.image_width, 64u);
  EXPECT_EQ(decompress.image_height, 48u);
  EXPECT_EQ(decompress.num_components, 3);
  jpeg_destroy_decompress(&decompress);
}

TEST(ImageLibraries, TiffDirectoryOfAWrittenFile) {
  TempFolder folder;
  const std::wstring path = folder / L"sample.tif";
  ASSERT_TRUE(WriteTiff(path, 10, 6, 8, 1));
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
  const std::string webp = EncodeWebp(16, 9, true);
  ASSERT_FALSE(webp.empty());
  int width = 0, height = 0;
  EXPECT_TRUE(WebPGetInfo(reinterpret_cast<const uint8_t*>(webp.data()), webp.size(), &width, &height));
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 9);
}

TEST(ImageLibraries, OpenJpegDecoderCanBeCreated) {
  opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_JP2);
  ASSERT_NE(codec, nullptr);
  opj_destroy_codec(codec);
  EXPECT_STRNE(opj_version(), "");
}
