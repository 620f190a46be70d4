#include "metadata/image_header.h"

#include <cstring>

#include "foundation/core/guard.h"
#include "metadata/byte_reads.h"
#include "metadata/image_readers.h"

namespace {

struct SniffStep {
  bool (*read)(ImageSniff* sniff, ImageSize* size);
  ImageFormatCode code;
};

// The order settles files that more than one reader could take: a TGA has no signature and comes late, the
// fallback takes anything with binary bytes and comes last.
const SniffStep kSniffOrder[] = {
    {ReadBmpHeader, kImageBmp},   {ReadIcoHeader, kImageIco},     {ReadJpegHeader, kImageJpeg},
    {ReadGifHeader, kImageGif},   {ReadXpmHeader, kImageXpm},     {ReadWebpHeader, kImageWebp},
    {ReadPsdHeader, kImagePsd},   {ReadPcxHeader, kImagePcx},     {ReadXbmImage, kImageXpm},
    {ReadPngHeader, kImagePng},   {ReadTiffHeader, kImageTiff},   {ReadTgaHeader, kImageTga},
    {ReadFallbackHeader, kImageOther},
};

bool Recognised(const SniffStep& step, ImageSniff* sniff, ImageHeaderInfo* info) {
  ImageSize size{};
  // A reader that faults or throws on a hostile file (inside a library, say) fails only its own test.
  if (!GuardedCall(false, [&] { return step.read(sniff, &size); })) return false;
  if (size.width == 0 || size.height == 0) return false;
  *info = ImageHeaderInfo{size.width, size.height, size.bits, step.code};
  return true;
}

}  // namespace

uint32_t ReadSniffBytesUpTo(ImageSniff* sniff, uint64_t offset, void* target, uint32_t count) {
  if (RangeInside(offset, count, sniff->headBytes)) {
    memcpy(target, sniff->head + offset, count);
    return count;
  }
  return sniff->file != nullptr ? ReadFileRangeUpTo(sniff->file, offset, target, count) : 0;
}

bool ReadSniffBytes(ImageSniff* sniff, uint64_t offset, void* target, uint32_t count) {
  return RangeInside(offset, count, sniff->size) && ReadSniffBytesUpTo(sniff, offset, target, count) == count;
}

bool HeadStartsWithBytes(const ImageSniff& sniff, const void* signature, size_t length) {
  return length <= sniff.headBytes && memcmp(sniff.head, signature, length) == 0;
}

int SniffImageHeader(const wchar_t* path, ImageHeaderInfo* info) {
  if (info == nullptr) return 0;
  *info = ImageHeaderInfo{};
  RangeFile file;
  if (path == nullptr || OpenRangeFile(&file, path) != 0) return 0;
  ImageSniff sniff;
  sniff.path = path;
  sniff.file = &file;
  sniff.size = file.size;
  const uint32_t wanted = file.size < kSniffHeadBytes ? static_cast<uint32_t>(file.size) : kSniffHeadBytes;
  sniff.headBytes = ReadFileRangeUpTo(&file, 0, sniff.head, wanted);
  if (sniff.headBytes != wanted) sniff.headBytes = 0;
  sniff.head[sniff.headBytes] = 0;
  for (const SniffStep& step : kSniffOrder) {
    if (Recognised(step, &sniff, info)) break;
  }
  CloseRangeFile(&file);
  return 0;
}
