// The TIFF header through libtiff: the first directory's size, samples and colour model. libtiff reads
// through the sniff (no second open of the file), reports its errors to a handler that keeps them quiet, and
// may allocate at most a few megabytes at a time, whatever the directory claims.
#include <tiffio.h>

#include <cstdio>

#include "metadata/image_readers.h"

namespace {

constexpr tmsize_t kTiffMostAllocation = 16 * 1024 * 1024;

struct TiffStream {
  ImageSniff* sniff;
  uint64_t position;
};

TiffStream* StreamOf(thandle_t handle) { return static_cast<TiffStream*>(handle); }

tmsize_t ReadTiffBytes(thandle_t handle, void* data, tmsize_t count) {
  TiffStream* stream = StreamOf(handle);
  if (count <= 0) return 0;
  const uint32_t wanted = count > INT32_MAX ? INT32_MAX : static_cast<uint32_t>(count);
  const uint32_t got = ReadSniffBytesUpTo(stream->sniff, stream->position, data, wanted);
  stream->position += got;
  return got;
}

tmsize_t RefuseWrite(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekTiff(thandle_t handle, toff_t offset, int whence) {
  TiffStream* stream = StreamOf(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = stream->position;
  if (whence == SEEK_END) base = stream->sniff->size;
  if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
  stream->position = base + offset;
  return stream->position;
}

int CloseTiff(thandle_t) { return 0; }

toff_t TiffSize(thandle_t handle) { return StreamOf(handle)->sniff->size; }

int MapNothing(thandle_t, void**, toff_t*) { return 0; }

void UnmapNothing(thandle_t, void*, toff_t) {}

int KeepQuiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

bool IsTiffStart(const ImageSniff& sniff) {
  return HeadStartsWith(sniff, "II*") || HeadStartsWith(sniff, "MM\0*") || HeadStartsWith(sniff, "II+") ||
         HeadStartsWith(sniff, "MM\0+");
}

TIFF* OpenTiff(TiffStream* stream) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kTiffMostAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options, KeepQuiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, KeepQuiet, nullptr);
  TIFF* tiff = TIFFClientOpenExt("image", "rm", stream, ReadTiffBytes, RefuseWrite, SeekTiff, CloseTiff, TiffSize,
                                 MapNothing, UnmapNothing, options);
  TIFFOpenOptionsFree(options);
  return tiff;
}

// The colour model: stored, or guessed as libtiff's readers guess it. Only the four plain models are taken.
bool PlainColourModel(TIFF* tiff, uint16_t bitsPerSample, uint16_t samplesPerPixel) {
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric)) {
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (samplesPerPixel > 1) {
      photometric = PHOTOMETRIC_RGB;
    } else if (bitsPerSample != 1 && TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue)) {
      photometric = PHOTOMETRIC_PALETTE;
    }
  }
  return photometric <= PHOTOMETRIC_PALETTE;
}

}  // namespace

bool ReadTiffHeader(ImageSniff* sniff, ImageSize* size) {
  if (!IsTiffStart(*sniff)) return false;
  TiffStream stream{sniff, 0};
  TIFF* tiff = OpenTiff(&stream);
  if (tiff == nullptr) return false;
  uint32_t width = 0;
  uint32_t length = 0;
  uint16_t bitsPerSample = 1;
  uint16_t samplesPerPixel = 1;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &length);
  TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
  TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
  const bool plain = PlainColourModel(tiff, bitsPerSample, samplesPerPixel);
  TIFFClose(tiff);
  if (!plain) return false;
  size->width = static_cast<int32_t>(width);
  size->height = static_cast<int32_t>(length);
  size->bits = static_cast<uint16_t>(bitsPerSample * samplesPerPixel);
  return true;
}
