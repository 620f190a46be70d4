#include "metadata/mpeg_audio.h"

#include <cstring>

#include "metadata/byte_reads.h"

namespace {

constexpr int kMpeg1 = 3;
constexpr int kLayer1 = 3;
constexpr int kLayer3 = 1;
constexpr int kSingleChannel = 3;

// kbit/s by bitrate index; index 15 is invalid.
constexpr int16_t kBitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 Layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2/2.5 Layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2/2.5 Layers II, III
};

// By version code (0 MPEG-2.5, 2 MPEG-2, 3 MPEG-1) and sample-rate index; index 3 is invalid.
constexpr int32_t kSampleRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

constexpr uint8_t kXingFrames = 1, kXingBytes = 2, kXingToc = 4, kXingQuality = 8;

int BitrateRow(int version, int layer) {
  if (version == kMpeg1) return kLayer1 - layer;
  return layer == kLayer1 ? 3 : 4;
}

int32_t ClampToInt32(unsigned __int128 value) { return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(value); }

// Integer part plus one when the fraction is one half or more.
int32_t RoundHalfUp(uint64_t numerator, uint64_t denominator) {
  return ClampToInt32((static_cast<unsigned __int128>(numerator) * 2 + denominator) /
                      (2 * static_cast<unsigned __int128>(denominator)));
}

int32_t FrameLength(const MpegFrameInfo& info, int padding) {
  if (info.bitrate == 0 || info.sampleRate == 0) return 0;
  if (info.layer == kLayer1) return (12 * info.bitrate / info.sampleRate + padding) * 4;
  const int32_t factor = info.layer == kLayer3 && info.version != kMpeg1 ? 72 : 144;
  return factor * info.bitrate / info.sampleRate + padding;
}

// Bytes from the frame start to the end of the side information.
uint32_t SideInfoEnd(const MpegFrameInfo& info) {
  const bool single = info.channelMode == kSingleChannel;
  if (info.version == kMpeg1) return single ? 21 : 36;
  return single ? 13 : 21;
}

// False when the header's fields are invalid.
bool DecodeHeaderBytes(const uint8_t* bytes, MpegFrameInfo* info, int* padding, bool* crcPresent) {
  info->version = bytes[1] >> 3 & 3;
  info->layer = bytes[1] >> 1 & 3;
  if (info->version == 1 || info->layer == 0) return false;
  *crcPresent = (bytes[1] & 1) == 0;
  const int bitrateIndex = bytes[2] >> 4;
  const int rateIndex = bytes[2] >> 2 & 3;
  if (bitrateIndex == 15 || rateIndex == 3) return false;
  info->bitrate = kBitrates[BitrateRow(info->version, info->layer)][bitrateIndex] * 1000;
  info->sampleRate = kSampleRates[info->version][rateIndex];
  *padding = bytes[2] >> 1 & 1;
  info->channelMode = bytes[3] >> 6;
  info->modeExtension = info->channelMode == 1 ? bytes[3] >> 4 & 3 : -1;
  info->emphasis = bytes[3] & 3;
  return true;
}

bool CheckCrc(const uint8_t* bytes, uint32_t count, uint64_t audioLength, uint32_t sideEnd, MpegFrameInfo* info) {
  if (audioLength < sideEnd + 2) {
    info->crcState = -2;
    return true;
  }
  if (count <= sideEnd + 2) return false;
  info->crcState = ComputeMp3FrameCrc16(bytes, sideEnd + 2) == ReadU16Be(bytes + 4) ? 1 : -1;
  return true;
}

uint32_t XingFieldsSize(uint8_t flags) {
  return (flags & kXingFrames ? 4 : 0) + (flags & kXingBytes ? 4 : 0) + (flags & kXingToc ? 100 : 0) +
         (flags & kXingQuality ? 4 : 0);
}

// Reads the Xing frame count and average bitrate when the header is there: false when its fields were
// promised by the audio length but are not in the bytes.
bool ReadXingHeader(const uint8_t* bytes, uint32_t count, uint64_t audioLength, uint32_t at, uint32_t* frames,
                    MpegFrameInfo* info) {
  if (audioLength < at + 8) return true;
  if (count <= at + 8) return false;
  if (memcmp(bytes + at, "Xing", 4) != 0) return true;
  const uint8_t flags = bytes[at + 7];
  const uint32_t fieldsEnd = at + 8 + XingFieldsSize(flags);
  if (audioLength < fieldsEnd) return true;
  if (fieldsEnd > count) return false;
  *frames = flags & kXingFrames ? ReadU32Be(bytes + at + 8) : 0;
  const uint64_t byteCount =
      flags & kXingBytes ? ReadU32Be(bytes + at + 8 + (flags & kXingFrames ? 4 : 0)) : audioLength;
  if (*frames != 0) {
    const int32_t average = ClampToInt32(static_cast<unsigned __int128>(byteCount / *frames) * info->sampleRate / 144);
    info->xingAverageBitrate = average - average % 1000;
  }
  return true;
}

void SetFrameCountAndDuration(uint64_t audioLength, uint32_t xingFrames, MpegFrameInfo* info) {
  if (info->frameLength == 0 || audioLength < static_cast<uint64_t>(info->frameLength)) return;
  info->frameCount = xingFrames != 0 ? ClampToInt32(xingFrames) : RoundHalfUp(audioLength, info->frameLength);
  const int32_t bitrate = info->xingAverageBitrate != 0 ? info->xingAverageBitrate : info->bitrate;
  if (bitrate / 8 != 0) info->duration = RoundHalfUp(audioLength, static_cast<uint64_t>(bitrate / 8));
}

}  // namespace

int ParseMpegAudioHeader(const uint8_t* bytes, uint32_t count, uint64_t audioLength, MpegFrameInfo* info) {
  *info = MpegFrameInfo{-1, -1, -1, -1, -1, -1, -1, 0, 0, 0, 0, 0};
  if (count <= 4 || bytes[0] != 0xFF || bytes[1] < 0xE0) return 0;
  int padding = 0;
  bool crcPresent = false;
  if (!DecodeHeaderBytes(bytes, info, &padding, &crcPresent)) return 0;
  info->frameLength = FrameLength(*info, padding);
  const uint32_t sideEnd = SideInfoEnd(*info);
  info->crcState = 0;
  if (crcPresent && !CheckCrc(bytes, count, audioLength, sideEnd, info)) return 0;
  uint32_t xingFrames = 0;
  if (!ReadXingHeader(bytes, count, audioLength, sideEnd, &xingFrames, info)) return 0;
  SetFrameCountAndDuration(audioLength, xingFrames, info);
  return 1;
}

uint16_t ComputeMp3FrameCrc16(const uint8_t* bytes, uint32_t count) {
  uint16_t crc = 0xFFFF;
  for (uint32_t i = 2; i < count; ++i) {
    if (i == 4 || i == 5) continue;
    crc ^= static_cast<uint16_t>(bytes[i] << 8);
    for (int bit = 0; bit < 8; ++bit)
      crc = crc & 0x8000 ? static_cast<uint16_t>(crc << 1 ^ 0x8005) : static_cast<uint16_t>(crc << 1);
  }
  return crc;
}
