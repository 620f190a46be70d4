// The WebP header through libwebp: its feature query needs only the first bytes of the file, which the sniff
// holds, so a large file is never read whole.
#include <webp/decode.h>

#include "metadata/image_readers.h"

namespace {

// Files this short are not taken for WebP images even when their first bytes look like one.
constexpr uint64_t kWebpSmallestFile = 31;

}  // namespace

bool ReadWebpHeader(ImageSniff* sniff, ImageSize* size) {
  WebPBitstreamFeatures features;
  if (sniff->size < kWebpSmallestFile || WebPGetFeatures(sniff->head, sniff->headBytes, &features) != VP8_STATUS_OK)
    return false;
  size->width = features.width;
  size->height = features.height;
  size->bits = 24;
  return true;
}
