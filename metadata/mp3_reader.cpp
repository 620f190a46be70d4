// The MP3 reader: ID3v2 tag, first MPEG frame, ID3v1 tag. Every file whose name no other reader claims
// comes here, so a file of any kind and size must pass through quickly and unharmed.
#include <cstring>

#include "metadata/audio_readers.h"
#include "metadata/audio_tags.h"
#include "metadata/audio_text.h"
#include "metadata/file_ranges.h"
#include "metadata/id3_tags.h"
#include "metadata/mpeg_audio.h"

namespace {

// Bytes read from the first frame on: room for the largest frame header, side information, CRC and Xing
// fields.
constexpr uint32_t kFrameBytes = 4323;
constexpr uint32_t kScanBlockBytes = 4096;
// How far after the ID3v2 tag the first frame is looked for: padding and junk before it are short, and a file
// of another kind (any name no other reader claims comes here) must not be scanned to its end.
constexpr uint64_t kSyncSearchBytes = 256 * 1024;

// The offset of the first byte at or after `offset` (before `limit`) for which `wanted` holds; `limit` when
// there is none.
template <typename Test>
uint64_t ScanFor(RangeFile* file, uint64_t offset, uint64_t limit, Test wanted) {
  uint8_t block[kScanBlockBytes];
  while (offset < limit) {
    const uint64_t left = limit - offset;
    const uint32_t got =
        ReadFileRangeUpTo(file, offset, block, left < kScanBlockBytes ? static_cast<uint32_t>(left) : kScanBlockBytes);
    if (got == 0) return limit;
    for (uint32_t i = 0; i < got; ++i) {
      if (wanted(block[i])) return offset + i;
    }
    offset += got;
  }
  return limit;
}

uint8_t ByteAt(RangeFile* file, uint64_t offset) {
  uint8_t byte = 0;
  ReadFileRangeUpTo(file, offset, &byte, 1);
  return byte;
}

// The first candidate sync byte: after the ID3v2 tag, past zero padding and a stray FF 00 00 00, at the next FF;
// `audioEnd` when there is none within kSyncSearchBytes of the tag's end.
uint64_t GetId3v2TagEnd(RangeFile* file, const Id3v2TagHeader* tag, uint64_t audioEnd) {
  uint64_t start = tag != nullptr ? tag->tagEnd : 0;
  if (start >= audioEnd) return audioEnd;
  const uint64_t limit = audioEnd - start > kSyncSearchBytes ? start + kSyncSearchBytes : audioEnd;
  const auto nonZero = [](uint8_t byte) { return byte != 0; };
  if (ByteAt(file, start) == 0) start = ScanFor(file, start, limit, nonZero);
  uint8_t four[4];
  if (ReadFileRange(file, start, four, 4) == 0 && memcmp(four, "\xFF\0\0\0", 4) == 0) {
    start = ScanFor(file, start + 4, limit, nonZero);
  }
  if (start < limit && ByteAt(file, start) != 0xFF) {
    start = ScanFor(file, start, limit, [](uint8_t byte) { return byte == 0xFF; });
  }
  // Nothing within the search: no frame.
  return start < limit ? start : audioEnd;
}

void StoreStreamProperties(const MpegFrameInfo& frame, AudioTagInfo* info) {
  info->sampleRate = frame.sampleRate;
  // A negative bitrate marks the average of a variable bitrate.
  info->bitrate = frame.xingAverageBitrate != 0 ? -(frame.xingAverageBitrate / 1000) : frame.bitrate / 1000;
  info->duration = frame.duration;
  info->channels = frame.channelMode == 3 ? 1 : 2;
  SetTagText(info->format, L"MP3");
}

void ReadFirstFrame(RangeFile* file, uint64_t start, uint64_t audioEnd, AudioTagInfo* info) {
  if (start >= audioEnd) return;
  uint8_t bytes[kFrameBytes];
  const uint64_t left = audioEnd - start;
  const uint32_t got =
      ReadFileRangeUpTo(file, start, bytes, left < kFrameBytes ? static_cast<uint32_t>(left) : kFrameBytes);
  MpegFrameInfo frame;
  if (ParseMpegAudioHeader(bytes, got, left, &frame)) StoreStreamProperties(frame, info);
}

}  // namespace

int ReadMp3Info(const wchar_t* path, AudioTagInfo* info) {
  RangeFile file;
  const int opened = OpenRangeFile(&file, path);
  if (opened != 0) return opened;
  uint8_t id3v1[kId3v1TagBytes];
  int result = 0;
  bool hasId3v1 = false;
  if (file.size > kId3v1TagBytes) {
    result = ReadFileRange(&file, file.size - kId3v1TagBytes, id3v1, kId3v1TagBytes);
    hasId3v1 = result == 0 && IsId3v1Tag(id3v1);
  }
  const uint64_t audioEnd = hasId3v1 ? file.size - kId3v1TagBytes : file.size;
  Id3v2TagHeader tag;
  const bool hasId3v2 = ReadId3v2Header(&file, &tag);
  ReadFirstFrame(&file, GetId3v2TagEnd(&file, hasId3v2 ? &tag : nullptr, audioEnd), audioEnd, info);
  if (hasId3v2) ReadId3v2Frames(&file, tag, info);
  if (hasId3v1) ParseId3v1Tag(id3v1, info);
  CloseRangeFile(&file);
  FinishAudioTagRecord(info);
  return result;
}
