// The image header reader on files made here: headers built byte by byte for the program's own readers and
// for the fallback, whole images written by the PNG, JPEG, TIFF and WebP encoders, and the damaged and
// borderline files each reader must refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_samples.h"
#include "metadata/image_header.h"
#include "support/temp_folder.h"

using namespace image_samples;

namespace {

struct SniffCase {
  const char* what;
  const wchar_t* name;
  std::string bytes;
  ImageHeaderInfo expected;
};

ImageHeaderInfo Sniff(const TempFolder& folder, const std::wstring& name, const std::string& bytes) {
  ImageHeaderInfo info{1, 1, 1, 1};
  EXPECT_EQ(SniffImageHeader(folder.WriteFile(name, bytes).c_str(), &info), 0);
  return info;
}

void ExpectSniffs(const std::vector<SniffCase>& cases) {
  TempFolder folder;
  for (const SniffCase& c : cases) {
    const ImageHeaderInfo info = Sniff(folder, c.name, c.bytes);
    EXPECT_EQ(info.width, c.expected.width) << c.what;
    EXPECT_EQ(info.height, c.expected.height) << c.what;
    EXPECT_EQ(info.bitsPerPixel, c.expected.bitsPerPixel) << c.what;
    EXPECT_EQ(info.format, c.expected.format) << c.what;
  }
}

const ImageHeaderInfo kNothing{0, 0, 0, kImageNone};

std::string Xbm(const std::string& bitmaps) { return "/* two bitmaps */\n" + bitmaps; }

}  // namespace

TEST(ImageHeader, OwnReadersTakeTheirFormats) {
  const std::string small = IconBitmap(16, 16, 4, 64), large = IconBitmap(32, 48, 8, 1536);
  ExpectSniffs({
      {"BMP stored top-down", L"a.bmp", BmpFile(40, 3, -2, 24), {3, -2, 24, kImageBmp}},
      {"icon of two images: the larger", L"a.ico", IcoFile({{16, 16, 4, small}, {32, 48, 8, large}}),
       {32, 48, 8, kImageIco}},
      {"icon whose bit count stands in its image", L"b.ico", IcoFile({{32, 48, 0, large}}), {32, 48, 8, kImageIco}},
      {"icon holding a PNG image", L"c.ico", IcoFile({{0, 0, 0, EncodePng(300, 200, PNG_COLOR_TYPE_RGB_ALPHA, 8)}}),
       {300, 200, 32, kImageIco}},
      {"GIF with a global colour table", L"a.gif", GifFile(10, 20, 3), {10, 20, 8, kImageGif}},
      {"PSD in RGB", L"a.psd", PsdFile(7, 5, 8, 3), {7, 5, 24, kImagePsd}},
      {"PSD in grey at 16 bits", L"b.psd", PsdFile(9, 4, 16, 1), {9, 4, 16, kImagePsd}},
      {"PCX of three planes", L"a.pcx", PcxFile(9, 4, 8, 3), {10, 5, 24, kImagePcx}},
      {"TGA named so", L"a.tga", TgaFile(4, 3, 24, false), {4, 3, 24, kImageTga}},
      {"TGA of odd depth with the newer footer", L"b.TGA", TgaFile(4, 3, 15, true), {4, 3, 15, kImageTga}},
      {"XBM of two bitmaps: widest width, summed heights", L"a.xbm",
       Xbm(XbmBitmap("first", 8, 8) + XbmBitmap("second", 16, 4)), {16, 12, 1, kImageXpm}},
      {"XBM of 16-bit values and a padded row", L"b.xbm", XbmBitmap("old", 12, 3, true), {12, 3, 1, kImageXpm}},
      {"XPM 3 of few colours", L"a.xpm", XpmFile(48, 32, 4), {48, 32, 8, kImageXpm}},
      {"XPM 3 of many colours", L"b.xpm", XpmFile(5, 6, 300), {5, 6, 24, kImageXpm}},
      {"XPM 1 described by #define lines", L"c.xpm",
       "#define old_format 1\n#define old_width 7\n#define old_height 9\n#define old_ncolors 2\n"
       "#define old_chars_per_pixel 1\nstatic char * old_colors[] = {\n",
       {7, 9, 8, kImageXpm}},
      {"JPEG of its headers alone", L"a.jpg", JpegFile(JpegSegment(0xDB, std::string(65, '\x01')) + FrameHeader(640, 480)),
       {640, 480, 24, kImageJpeg}},
  });
}

TEST(ImageHeader, RefusesWhatIsNotItsFormat) {
  const std::string large = IconBitmap(32, 48, 8, 1536);
  std::string bigXbmName(250, 'n');
  std::string pdf = "%PDF-1.4\n" + std::string(40, '\0') + "binary";
  std::string mixedCasePdf = "%pdf-2.0\n" + std::string(40, '\0');
  ExpectSniffs({
      {"icon whose first image is too small", L"a.ico", IcoFile({{16, 16, 4, IconBitmap(16, 16, 4, 0)}, {32, 48, 8, large}}),
       kNothing},
      {"icon entry beyond the file", L"b.ico", IcoFile({{32, 48, 8, large}}, 0, 0xFFFFFFF0u), kNothing},
      {"GIF whose colour table is cut short", L"a.gif", GifFile(10, 20, 3, 10), kNothing},
      {"TGA named otherwise", L"a.bin", TgaFile(4, 3, 24, false), kNothing},
      {"TGA of odd depth without footer", L"b.tga", TgaFile(4, 3, 15, false), kNothing},
      {"PDF", L"a.pdf", pdf, kNothing},
      {"PDF 2 in other case", L"b.pdf", mixedCasePdf, kNothing},
      {"JPEG cut inside its frame header", L"a.jpg", std::string("\xFF\xD8\xFF\xC0\x00\x11\x08", 7), kNothing},
      {"JPEG whose frame header claims no components", L"b.jpg",
       JpegFile(JpegSegment(0xC0, std::string("\x08\x01\xE0\x02\x80\x00", 6))), kNothing},
      {"PNG whose header chunk is damaged", L"a.png",
       [] {
         std::string png = EncodePng(8, 8, PNG_COLOR_TYPE_GRAY, 8);
         png[20] = '\x7F';  // the height's high byte: the chunk's checksum no longer fits
         return png;
       }(),
       kNothing},
      {"XBM with a very long name", L"a.xbm", "#define " + bigXbmName + "_width 8\n", kNothing},
      {"text", L"a.txt", "just some words\n", kNothing},
      {"empty file", L"a.bmp", "", kNothing},
  });
}

TEST(ImageHeader, LibraryEncodedImagesGiveTheirTrueSizes) {
  TempFolder folder;
  const std::wstring tiffRgb = folder / L"rgb.tif", tiffBits = folder / L"bits.tif", tiffRgba = folder / L"rgba.tif";
  ASSERT_TRUE(WriteTiff(tiffRgb, 37, 21, 8, 3));
  ASSERT_TRUE(WriteTiff(tiffBits, 70, 9, 1, 1));
  ASSERT_TRUE(WriteTiff(tiffRgba, 5, 300, 16, 4));
  ExpectSniffs({
      {"PNG grey", L"g.png", EncodePng(37, 21, PNG_COLOR_TYPE_GRAY, 8), {37, 21, 8, kImagePng}},
      {"PNG palette of 1 bit", L"p.png", EncodePng(64, 3, PNG_COLOR_TYPE_PALETTE, 1), {64, 3, 1, kImagePng}},
      {"PNG RGB at 16 bits", L"c.png", EncodePng(3, 640, PNG_COLOR_TYPE_RGB, 16), {3, 640, 48, kImagePng}},
      {"PNG RGBA", L"a.png", EncodePng(1000, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8), {1000, 2, 32, kImagePng}},
      {"JPEG grey", L"g.jpg", CompressJpeg(33, 17, 1), {33, 17, 8, kImageJpeg}},
      {"JPEG colour", L"c.jpg", CompressJpeg(640, 480, 3), {640, 480, 24, kImageJpeg}},
      {"TIFF RGB", L"rgb.tif", ReadWholeFile(tiffRgb), {37, 21, 24, kImageTiff}},
      {"TIFF of 1 bit", L"bits.tif", ReadWholeFile(tiffBits), {70, 9, 1, kImageTiff}},
      {"TIFF RGBA at 16 bits", L"rgba.tif", ReadWholeFile(tiffRgba), {5, 300, 64, kImageTiff}},
      {"WebP lossy", L"a.webp", EncodeWebp(96, 40, false), {96, 40, 24, kImageWebp}},
      {"WebP lossless", L"b.webp", EncodeWebp(15, 31, true), {15, 31, 24, kImageWebp}},
  });
}

TEST(ImageHeader, FallbackReadsTheOtherFormats) {
  ExpectSniffs({
      {"PNM P1", L"a.pbm", PnmFile("P1\n# comment\n5 3\n", 0), {5, 3, 1, kImageOther}},
      {"PNM P2 at 16 bits", L"a.pgm", PnmFile("P2 4 2 65535\n", 0), {4, 2, 16, kImageOther}},
      {"PNM P3", L"a.ppm", PnmFile("P3\n2 2\n255\n", 0), {2, 2, 24, kImageOther}},
      {"PNM P4", L"b.pbm", PnmFile("P4\n16 2\n", 4), {16, 2, 1, kImageOther}},
      {"PNM P5", L"b.pgm", PnmFile("P5\n6 7\n255\n", 42), {6, 7, 8, kImageOther}},
      {"PNM P6", L"b.ppm", PnmFile("P6\n4 3\n255\n", 36), {4, 3, 24, kImageOther}},
      {"PNM P6 at 16 bits", L"c.ppm", PnmFile("p6\n4 3\n1023\n", 72), {4, 3, 48, kImageOther}},
      {"PAM", L"a.pam", PnmFile("P7\nWIDTH 3\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", 24),
       {3, 2, 32, kImageOther}},
      {"MNG", L"a.mng", MngFile(120, 80), {120, 80, 24, kImageOther}},
      {"JNG in colour", L"a.jng", JngFile(64, 32, 10), {64, 32, 24, kImageOther}},
      {"JPEG 2000 file", L"a.jp2", Jp2File(50, 40, 3), {50, 40, 24, kImageOther}},
      {"JPEG 2000 codestream", L"a.j2k", J2kCodestream(33, 22, 1), {33, 22, 8, kImageOther}},
      {"Sun raster", L"a.ras", SunRasterFile(6, 5, 8), {6, 5, 8, kImageOther}},
      {"BMP of the OS/2 header", L"a.bmp", BmpFile(12, 9, 7, 8), {9, 7, 8, kImageOther}},
      {"BMP of the newest header", L"b.bmp", BmpFile(124, 3, -2, 32), {3, -2, 32, kImageOther}},
      {"raw camera file (DNG)", L"a.dng", DngFile(64, 48), {64, 48, 24, kImageOther}},
  });
}

TEST(ImageHeader, MissingFileAndNullArguments) {
  TempFolder folder;
  ImageHeaderInfo info{5, 5, 5, 5};
  EXPECT_EQ(SniffImageHeader((folder / L"none.png").c_str(), &info), 0);
  EXPECT_EQ(info.width, 0);
  EXPECT_EQ(info.format, kImageNone);
  info = ImageHeaderInfo{5, 5, 5, 5};
  EXPECT_EQ(SniffImageHeader(nullptr, &info), 0);
  EXPECT_EQ(info.height, 0);
  EXPECT_EQ(SniffImageHeader((folder / L"none.png").c_str(), nullptr), 0);
}
