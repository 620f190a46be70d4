// The FLAC reader: libFLAC reads the file's metadata blocks into a chain through our own I/O callbacks over
// the bounded file ranges; STREAMINFO gives the stream properties, VORBIS_COMMENT the texts. Every libFLAC
// call runs inside the guard.
#include <FLAC/metadata.h>

#include <cmath>
#include <cstdio>

#include "foundation/core/guard.h"
#include "metadata/audio_readers.h"
#include "metadata/audio_tags.h"
#include "metadata/audio_text.h"
#include "metadata/file_ranges.h"
#include "metadata/vorbis_comments.h"

namespace {

// The stream position libFLAC reads from.
struct FlacSource {
  RangeFile* file;
  uint64_t position;
};

size_t ReadFlacBytes(void* target, size_t size, size_t count, FLAC__IOHandle handle) {
  FlacSource* source = static_cast<FlacSource*>(handle);
  if (size == 0 || count == 0) return 0;
  const uint64_t wanted = count > UINT32_MAX / size ? UINT32_MAX : size * count;
  const uint32_t got = ReadFileRangeUpTo(source->file, source->position, target, static_cast<uint32_t>(wanted));
  source->position += got;
  return got / size;
}

int SeekFlacBytes(FLAC__IOHandle handle, FLAC__int64 offset, int whence) {
  FlacSource* source = static_cast<FlacSource*>(handle);
  const FLAC__int64 base = whence == SEEK_SET   ? 0
                           : whence == SEEK_CUR ? static_cast<FLAC__int64>(source->position)
                                                : static_cast<FLAC__int64>(source->file->size);
  if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset)) return -1;
  source->position = static_cast<uint64_t>(base + offset);
  return 0;
}

FLAC__int64 TellFlacBytes(FLAC__IOHandle handle) {
  return static_cast<FLAC__int64>(static_cast<FlacSource*>(handle)->position);
}

int FlacBytesAtEnd(FLAC__IOHandle handle) {
  const FlacSource* source = static_cast<FlacSource*>(handle);
  return source->position >= source->file->size;
}

int32_t ClampToInt32(double value) { return value >= 2147483647.0 ? 0x7FFFFFFF : static_cast<int32_t>(value); }

void CopyStreamInfo(const FLAC__StreamMetadata_StreamInfo& stream, uint64_t fileSize, AudioTagInfo* info) {
  if (stream.sample_rate != 0) {
    const double milliseconds = static_cast<double>(stream.total_samples) * 1000.0 / stream.sample_rate;
    // A total of 0 samples means an unknown length: no duration and no bitrate.
    if (milliseconds > 0) {
      info->duration = ClampToInt32(std::floor((milliseconds + 500) / 1000));
      if (fileSize > 0)
        info->bitrate = ClampToInt32(std::floor(static_cast<double>(fileSize) * 8 / milliseconds + 0.5));
    }
  }
  info->channels = static_cast<uint16_t>(stream.channels);
  info->sampleRate = static_cast<int32_t>(stream.sample_rate);
}

void CopyVorbisComments(const FLAC__StreamMetadata_VorbisComment& comments, AudioTagInfo* info) {
  for (FLAC__uint32 i = 0; i < comments.num_comments; ++i) {
    const FLAC__StreamMetadata_VorbisComment_Entry& entry = comments.comments[i];
    if (entry.entry != nullptr) StoreVorbisComment(reinterpret_cast<const char*>(entry.entry), entry.length, info);
  }
}

// False when a block is missing.
bool CopyFlacMetadata(FLAC__Metadata_Chain* chain, uint64_t fileSize, AudioTagInfo* info) {
  FLAC__Metadata_Iterator* iterator = FLAC__metadata_iterator_new();
  if (iterator == nullptr) return false;
  FLAC__metadata_iterator_init(iterator, chain);
  bool complete = true;
  do {
    const FLAC__StreamMetadata* block = FLAC__metadata_iterator_get_block(iterator);
    if (block == nullptr) {
      complete = false;
      break;
    }
    if (block->type == FLAC__METADATA_TYPE_STREAMINFO) CopyStreamInfo(block->data.stream_info, fileSize, info);
    if (block->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) CopyVorbisComments(block->data.vorbis_comment, info);
  } while (FLAC__metadata_iterator_next(iterator));
  FLAC__metadata_iterator_delete(iterator);
  return complete;
}

bool ReadFlacMetadataChain(RangeFile* file, AudioTagInfo* info) {
  FLAC__Metadata_Chain* chain = FLAC__metadata_chain_new();
  if (chain == nullptr) return false;
  FlacSource source{file, 0};
  const FLAC__IOCallbacks callbacks{ReadFlacBytes, nullptr, SeekFlacBytes, TellFlacBytes, FlacBytesAtEnd, nullptr};
  const bool read =
      FLAC__metadata_chain_read_with_callbacks(chain, &source, callbacks) && CopyFlacMetadata(chain, file->size, info);
  FLAC__metadata_chain_delete(chain);
  return read;
}

}  // namespace

int ReadFlacInfo(const wchar_t* path, AudioTagInfo* info) {
  RangeFile file;
  bool read = OpenRangeFile(&file, path) == 0;
  if (read) {
    read = GuardedCall(false, [&] { return ReadFlacMetadataChain(&file, info); });
    CloseRangeFile(&file);
  }
  if (!read) {
    *info = AudioTagInfo{};
    return -1;
  }
  SetTagText(info->format, L"FLAC");
  FinishAudioTagRecord(info);
  return 0;
}
