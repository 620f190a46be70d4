// MPEG audio frame headers (ISO/IEC 11172-3 and 13818-3, with MPEG-2.5): the four header bytes, the CRC that
// may follow them, and the Xing header of variable-bitrate files, which gives the frame count and the average
// bitrate. The MP3 reader takes its stream properties from the first frame.
#pragma once
#include <cstdint>

// The header's own codes are kept: layer 1 is Layer III, 3 Layer I; version 0 is MPEG-2.5, 2 MPEG-2, 3 MPEG-1.
struct MpegFrameInfo {
  int32_t layer;
  int32_t version;
  int32_t bitrate;        // bit/s; 0 for the free format
  int32_t channelMode;    // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
  int32_t modeExtension;  // -1 unless joint stereo
  int32_t emphasis;
  int32_t crcState;            // 0 none, 1 correct, -1 wrong, -2 too few audio bytes to check
  int32_t xingAverageBitrate;  // bit/s, rounded down to whole kbit/s; 0 without a Xing frame count
  int32_t sampleRate;
  int32_t frameLength;  // bytes; 0 for the free format
  int32_t frameCount;
  int32_t duration;  // seconds
};

// Decodes the frame header at the start of `bytes` (`count` of them, read from the first frame on);
// `audioLength` is the number of bytes from the first frame to the end of the audio data. 1 when the bytes
// begin with a valid header (and hold whatever CRC and Xing fields the audio length promises), else 0.
int ParseMpegAudioHeader(const uint8_t* bytes, uint32_t count, uint64_t audioLength, MpegFrameInfo* info);

// CRC-16 (polynomial 0x8005, start 0xFFFF, most significant bit first) over bytes 2 to count - 1, without
// bytes 4 and 5 where the stored CRC stands.
uint16_t ComputeMp3FrameCrc16(const uint8_t* bytes, uint32_t count);
