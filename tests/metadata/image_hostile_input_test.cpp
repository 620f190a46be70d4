// The image header reader on hostile input: a sample of every format it reads, cut at every length and
// changed by seeded random bytes. No sniff may hang, crash or take much memory, and what it reports is either
// nothing or a size with a known format.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "hostile_input.h"
#include "image_samples.h"
#include "metadata/image_header.h"
#include "support/temp_folder.h"

using namespace image_samples;

namespace {

struct HostileSample {
  const char* name;
  const wchar_t* extension;
  std::function<std::string()> make;
};

// The sample's name stands for it in the test's name.
void PrintTo(const HostileSample& sample, std::ostream* out) { *out << sample.name; }

bool KnownFormat(uint16_t format) {
  switch (format) {
    case kImageBmp: case kImageOther: case kImageGif: case kImageIco: case kImageJpeg: case kImagePcx:
    case kImagePng: case kImagePsd: case kImageTga: case kImageTiff: case kImageWebp: case kImageXpm:
      return true;
    default:
      return false;
  }
}

bool SniffKeepsTheRules(const std::wstring& path) {
  ImageHeaderInfo info;
  SniffImageHeader(path.c_str(), &info);
  if (info.format == kImageNone) return info.width == 0 && info.height == 0 && info.bitsPerPixel == 0;
  return KnownFormat(info.format) && info.width != 0 && info.height != 0;
}

std::string TiffSample() {
  TempFolder folder;
  const std::wstring path = folder / L"sample.tif";
  return WriteTiff(path, 6, 4, 8, 3) ? ReadWholeFile(path) : std::string();
}

const HostileSample kSamples[] = {
    {"Bmp", L".bmp", [] { return BmpFile(40, 3, 2, 24); }},
    {"Ico", L".ico",
     [] { return IcoFile({{16, 16, 4, IconBitmap(16, 16, 4, 64)}, {0, 0, 0, EncodePng(4, 4, PNG_COLOR_TYPE_RGB, 8)}}); }},
    {"Gif", L".gif", [] { return GifFile(10, 20, 2); }},
    {"Psd", L".psd", [] { return PsdFile(7, 5, 8, 3); }},
    {"Pcx", L".pcx", [] { return PcxFile(9, 4, 8, 3); }},
    {"Tga", L".tga", [] { return TgaFile(2, 2, 24, true); }},
    {"Xbm", L".xbm", [] { return XbmBitmap("a", 8, 2) + XbmBitmap("b", 12, 2, true); }},
    {"Xpm", L".xpm", [] { return XpmFile(8, 8, 2); }},
    {"Jpeg", L".jpg", [] { return CompressJpeg(8, 8, 3); }},
    {"Png", L".png", [] { return EncodePng(5, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8); }},
    {"Tiff", L".tif", TiffSample},
    {"Webp", L".webp", [] { return EncodeWebp(6, 6, true); }},
    {"Pnm", L".ppm", [] { return PnmFile("P6\n# c\n4 3\n255\n", 36); }},
    {"Pam", L".pam", [] { return PnmFile("P7\nWIDTH 2\nHEIGHT 2\nDEPTH 1\nMAXVAL 255\nENDHDR\n", 4); }},
    {"Mng", L".mng", [] { return MngFile(12, 8); }},
    {"Jng", L".jng", [] { return JngFile(12, 8, 14); }},
    {"Jp2", L".jp2", [] { return Jp2File(5, 4, 3); }},
    {"J2k", L".j2k", [] { return J2kCodestream(5, 4, 3); }},
    {"SunRaster", L".ras", [] { return SunRasterFile(4, 2, 8); }},
    {"BmpOs2", L".bmp", [] { return BmpFile(12, 3, 2, 24); }},
    {"Dng", L".dng", [] { return DngFile(24, 24); }},
};

class ImageHostileInput : public testing::TestWithParam<HostileSample> {};

TEST_P(ImageHostileInput, NoHangCrashOrLargeAllocation) {
  const std::string sample = GetParam().make();
  ASSERT_FALSE(sample.empty());
  HostileInputOptions options;
  options.seed = static_cast<uint32_t>(sample.size());
  // Twenty-one formats: a full sweep gives each fewer random variants than a single reader's loop, every
  // truncation still.
  options.mutations = 800;
  RunHostileInputLoop(sample, GetParam().extension, SniffKeepsTheRules, options);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, ImageHostileInput, testing::ValuesIn(kSamples),
                         [](const testing::TestParamInfo<HostileSample>& info) { return info.param.name; });

}  // namespace
