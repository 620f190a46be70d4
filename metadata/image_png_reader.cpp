// The PNG header through libpng. libpng reports errors through a function that must not return: ours jumps
// back to the reader. The reader needs only IHDR: once libpng asks for the bytes after it, the reading stops,
// so neither a PNG file nor a PNG inside an icon is read further than its header.
#include <png.h>

#include "metadata/byte_reads.h"
#include "metadata/image_readers.h"

namespace {

constexpr uint32_t kPngSignatureBytes = 8;

struct PngStream {
  ImageSniff* sniff;
  uint64_t position;
  uint64_t end;
  png_infop info;
  bool headerRead;
  void* jump[5];
};

PngStream* StreamOf(png_structp png) { return static_cast<PngStream*>(png_get_io_ptr(png)); }

[[noreturn]] void LeaveOnError(png_structp png, png_const_charp) {
  __builtin_longjmp(static_cast<PngStream*>(png_get_error_ptr(png))->jump, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

void ReadPngBytes(png_structp png, png_bytep data, size_t length) {
  PngStream* stream = StreamOf(png);
  // IHDR comes first and was checked when it was stored: the bytes after it are not needed.
  if (png_get_image_width(png, stream->info) != 0) {
    stream->headerRead = true;
    png_error(png, "header read");
  }
  if (length > UINT32_MAX || !RangeInside(stream->position, length, stream->end) ||
      !ReadSniffBytes(stream->sniff, stream->position, data, static_cast<uint32_t>(length))) {
    png_error(png, "read past the image");
  }
  stream->position += length;
}

// Runs libpng up to IHDR; true when IHDR was read whole and valid.
bool ReadUpToHeader(png_structp png, PngStream* stream) {
  if (__builtin_setjmp(stream->jump) != 0) return stream->headerRead;
  png_set_read_fn(png, stream, ReadPngBytes);
  png_set_sig_bytes(png, kPngSignatureBytes);
  // The image is never decoded, so no size is too large to report.
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_read_info(png, stream->info);
  return true;
}

}  // namespace

bool ReadPngHeaderAt(ImageSniff* sniff, uint64_t offset, uint64_t end, ImageSize* size) {
  uint8_t signature[kPngSignatureBytes];
  if (!RangeInside(offset, kPngSignatureBytes, end) || !ReadSniffBytes(sniff, offset, signature, sizeof signature) ||
      png_sig_cmp(signature, 0, kPngSignatureBytes) != 0) {
    return false;
  }
  PngStream stream{sniff, offset + kPngSignatureBytes, end, nullptr, false, {}};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &stream, LeaveOnError, IgnoreWarning);
  if (png == nullptr) return false;
  stream.info = png_create_info_struct(png);
  const bool read = stream.info != nullptr && ReadUpToHeader(png, &stream);
  if (read) {
    size->width = static_cast<int32_t>(png_get_image_width(png, stream.info));
    size->height = static_cast<int32_t>(png_get_image_height(png, stream.info));
    size->bits = static_cast<uint16_t>(png_get_bit_depth(png, stream.info) * png_get_channels(png, stream.info));
  }
  png_destroy_read_struct(&png, stream.info != nullptr ? &stream.info : nullptr, nullptr);
  return read;
}

bool ReadPngHeader(ImageSniff* sniff, ImageSize* size) {
  return sniff->headBytes >= kPngSignatureBytes && png_sig_cmp(sniff->head, 0, kPngSignatureBytes) == 0 &&
         ReadPngHeaderAt(sniff, 0, sniff->size, size);
}
