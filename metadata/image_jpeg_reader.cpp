// The JPEG header through libjpeg. The library reports errors through an exit that must not return: ours
// jumps back to the reader, which destroys the decompression object and reports no image. The bytes come
// from the sniff's head and file, so a header read opens nothing more.
#include <windows.h>

#include <cstdio>

// After windows.h: both define `boolean` as unsigned char.
#include <jerror.h>
#include <jpeglib.h>

#include "metadata/image_readers.h"

namespace {

constexpr uint32_t kJpegBlockBytes = 4096;

struct JpegSource {
  jpeg_source_mgr manager;  // first: libjpeg hands this pointer back
  ImageSniff* sniff;
  uint64_t position;
  JOCTET block[kJpegBlockBytes];
};

struct JpegErrors {
  jpeg_error_mgr manager;  // first: libjpeg hands this pointer back
  void* jump[5];
};

void LeaveOnError(j_common_ptr info) { __builtin_longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }

void IgnoreMessage(j_common_ptr) {}

void StartSource(j_decompress_ptr) {}

void EndSource(j_decompress_ptr) {}

// At the end of the file an end-of-image marker is inserted, as libjpeg's own sources do.
boolean FillSource(j_decompress_ptr info) {
  JpegSource* source = reinterpret_cast<JpegSource*>(info->src);
  uint32_t got = ReadSniffBytesUpTo(source->sniff, source->position, source->block, kJpegBlockBytes);
  source->position += got;
  if (got == 0) {
    WARNMS(info, JWRN_JPEG_EOF);
    source->block[0] = 0xFF;
    source->block[1] = JPEG_EOI;
    got = 2;
  }
  source->manager.next_input_byte = source->block;
  source->manager.bytes_in_buffer = got;
  return TRUE;
}

void SkipSource(j_decompress_ptr info, long count) {
  JpegSource* source = reinterpret_cast<JpegSource*>(info->src);
  if (count <= 0) return;
  const size_t skip = static_cast<size_t>(count);
  if (skip <= source->manager.bytes_in_buffer) {
    source->manager.next_input_byte += skip;
    source->manager.bytes_in_buffer -= skip;
    return;
  }
  source->position += skip - source->manager.bytes_in_buffer;
  source->manager.bytes_in_buffer = 0;
}

void AttachSource(j_decompress_ptr info, JpegSource* source, ImageSniff* sniff) {
  source->sniff = sniff;
  source->position = 0;
  source->manager.init_source = StartSource;
  source->manager.fill_input_buffer = FillSource;
  source->manager.skip_input_data = SkipSource;
  source->manager.resync_to_restart = jpeg_resync_to_restart;
  source->manager.term_source = EndSource;
  source->manager.next_input_byte = nullptr;
  source->manager.bytes_in_buffer = 0;
  info->src = &source->manager;
}

bool IsJpegStart(const ImageSniff& sniff) {
  const uint8_t* head = sniff.head;
  return sniff.headBytes > 4 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF && head[3] >= 0xD0;
}

}  // namespace

bool ReadJpegHeader(ImageSniff* sniff, ImageSize* size) {
  if (!IsJpegStart(*sniff)) return false;
  jpeg_decompress_struct info{};
  JpegErrors errors;
  JpegSource source;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = LeaveOnError;
  errors.manager.output_message = IgnoreMessage;
  if (__builtin_setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  AttachSource(&info, &source, sniff);
  jpeg_read_header(&info, TRUE);
  size->width = static_cast<int32_t>(info.image_width);
  size->height = static_cast<int32_t>(info.image_height);
  size->bits = info.num_components == 1 ? 8 : 24;
  jpeg_destroy_decompress(&info);
  return true;
}
