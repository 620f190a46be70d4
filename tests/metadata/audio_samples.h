// Audio files for the tag readers' tests and benchmark, built byte by byte (ID3, MPEG frames, ASF objects,
// MP4 atoms, FLAC metadata blocks, Ogg pages) or encoded on the spot by libvorbisenc and libFLAC.
#pragma once
#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>
#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace audio_samples {

inline std::string BigEndian(uint64_t value, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>(value >> (8 * i)));
  return out;
}

inline std::string LittleEndian(uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
  return out;
}

inline std::string Syncsafe(uint32_t value) {
  return std::string{static_cast<char>(value >> 21 & 0x7F), static_cast<char>(value >> 14 & 0x7F),
                     static_cast<char>(value >> 7 & 0x7F), static_cast<char>(value & 0x7F)};
}

inline std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 4 + 1, '\0');
  out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                                     out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

inline std::string Latin1(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(static_cast<char>(c));
  return out;
}

inline std::string Utf16(const std::wstring& text, bool bigEndian) {
  std::string out;
  for (wchar_t c : text) out += bigEndian ? BigEndian(c, 2) : LittleEndian(c, 2);
  return out;
}

// ID3v2 (major version 2, 3 or 4). A frame's size counts its body as stored.
inline std::string Id3v2Frame(int version, const std::string& id, const std::string& body, uint16_t flags = 0) {
  if (version == 2) return id + BigEndian(body.size(), 3) + body;
  const std::string size = version == 4 ? Syncsafe(static_cast<uint32_t>(body.size())) : BigEndian(body.size(), 4);
  return id + size + BigEndian(flags, 2) + body;
}

inline std::string Id3v2Tag(int version, const std::string& content, uint8_t flags = 0, size_t padding = 0) {
  return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
         Syncsafe(static_cast<uint32_t>(content.size() + padding)) + content + std::string(padding, '\0');
}

// A zero byte after every FF.
inline std::string Unsynchronise(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    out.push_back(c);
    if (static_cast<uint8_t>(c) == 0xFF) out.push_back('\0');
  }
  return out;
}

inline std::string Id3v1Field(const std::string& text, size_t width) {
  std::string field = text.substr(0, width);
  return field + std::string(width - field.size(), ' ');
}

// The 128-byte ID3v1 tag; a track above 0 takes the last two bytes of the comment field.
inline std::string Id3v1Tag(const std::string& title, const std::string& artist, const std::string& year, int track,
                            uint8_t genre) {
  std::string comment =
      track > 0 ? Id3v1Field("v1 comment", 28) + '\0' + static_cast<char>(track) : Id3v1Field("v1 comment", 30);
  return "TAG" + Id3v1Field(title, 30) + Id3v1Field(artist, 30) + Id3v1Field("", 30) + Id3v1Field(year, 4) + comment +
         static_cast<char>(genre);
}

// An MPEG-1 Layer III frame header (128 kbit/s, 44.1 kHz, joint stereo) and zero bytes up to `length`.
inline std::string MpegFrame(size_t length) {
  std::string frame = "\xFF\xFB\x90\x64";
  return frame + std::string(length - frame.size(), '\0');
}

// ASF: a GUID in its stored form, objects, descriptors.
inline std::string AsfGuid(uint32_t first, uint16_t second, uint16_t third, uint64_t last) {
  return LittleEndian(first, 4) + LittleEndian(second, 2) + LittleEndian(third, 2) + BigEndian(last, 8);
}

inline std::string AsfObject(const std::string& guid, const std::string& body) {
  return guid + LittleEndian(24 + body.size(), 8) + body;
}

inline std::string AsfFile(const std::vector<std::string>& objects, const std::string& tail = std::string(200, '\0')) {
  std::string body;
  for (const std::string& object : objects) body += object;
  return AsfGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C) + LittleEndian(30 + body.size(), 8) +
         LittleEndian(objects.size(), 4) + "\x01\x02" + body + tail;
}

// A string with its terminating zero character.
inline std::string AsfText(const std::wstring& text) { return Utf16(text, false) + std::string(2, '\0'); }

inline std::string AsfContentDescription(const std::string& title, const std::string& author,
                                         const std::string& description) {
  return AsfObject(AsfGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6C),
                   LittleEndian(title.size(), 2) + LittleEndian(author.size(), 2) + LittleEndian(0, 2) +
                       LittleEndian(description.size(), 2) + LittleEndian(0, 2) + title + author + description);
}

inline std::string AsfDescriptor(const std::wstring& name, uint16_t type, const std::string& value) {
  const std::string stored = AsfText(name);
  return LittleEndian(stored.size(), 2) + stored + LittleEndian(type, 2) + LittleEndian(value.size(), 2) + value;
}

inline std::string AsfExtendedContent(const std::vector<std::string>& descriptors) {
  std::string body = LittleEndian(descriptors.size(), 2);
  for (const std::string& descriptor : descriptors) body += descriptor;
  return AsfObject(AsfGuid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850), body);
}

inline std::string AsfStreamProperties(uint16_t channels, uint32_t rate, uint32_t bytesPerSecond) {
  return AsfObject(AsfGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365),
                   std::string(54, '\0') + LittleEndian(0x161, 2) + LittleEndian(channels, 2) + LittleEndian(rate, 4) +
                       LittleEndian(bytesPerSecond, 4) + std::string(8, '\0'));
}

// MP4 atoms and items.
inline std::string Mp4Atom(const std::string& type, const std::string& payload) {
  return BigEndian(8 + payload.size(), 4) + type + payload;
}

inline std::string Mp4Item(const std::string& type, const std::string& value, uint32_t dataType = 1) {
  return Mp4Atom(type, Mp4Atom("data", BigEndian(dataType, 4) + BigEndian(0, 4) + value));
}

inline std::string Mp4File(const std::string& brand, const std::string& items, const std::string& tracks = "") {
  const std::string ftyp = Mp4Atom("ftyp", brand + BigEndian(0, 4) + brand + "mp42isom");
  const std::string meta = Mp4Atom("meta", BigEndian(0, 4) + Mp4Atom("ilst", items));
  return ftyp + Mp4Atom("moov", tracks + Mp4Atom("udta", meta)) + Mp4Atom("mdat", std::string(100, '\x11'));
}

// A track of `seconds` at 44.1 kHz, stereo, with an AAC sample entry of the given average bitrate.
inline std::string Mp4AudioTrack(uint32_t seconds, uint32_t averageBitrate) {
  const std::string mdhd =
      Mp4Atom("mdhd", BigEndian(0, 12) + BigEndian(44100, 4) + BigEndian(44100ull * seconds, 4) + BigEndian(0, 4));
  const std::string esds =
      Mp4Atom("esds", BigEndian(0, 4) + "\x03\x19" + BigEndian(1, 2) + '\0' + "\x04\x11\x40\x15" + BigEndian(0, 3) +
                          BigEndian(averageBitrate, 4) + BigEndian(averageBitrate, 4) + "\x05\x02\x12\x10");
  const std::string mp4a =
      Mp4Atom("mp4a", std::string(6, '\0') + BigEndian(1, 2) + BigEndian(0, 8) + BigEndian(2, 2) + BigEndian(16, 2) +
                          BigEndian(0, 4) + BigEndian(44100, 2) + BigEndian(0, 2) + esds);
  const std::string stsd = Mp4Atom("stsd", BigEndian(0, 4) + BigEndian(1, 4) + mp4a);
  return Mp4Atom("trak", Mp4Atom("mdia", mdhd + Mp4Atom("minf", Mp4Atom("stbl", stsd))));
}

// FLAC: "fLaC", STREAMINFO and a last VORBIS_COMMENT block.
inline std::string FlacStreamInfo(uint32_t rate, uint32_t channels, uint64_t samples) {
  const uint64_t packed = static_cast<uint64_t>(rate) << 44 | static_cast<uint64_t>(channels - 1) << 41 |
                          static_cast<uint64_t>(15) << 36 | samples;
  return BigEndian(4096, 2) + BigEndian(4096, 2) + BigEndian(0, 3) + BigEndian(0, 3) + BigEndian(packed, 8) +
         std::string(16, '\0');
}

inline std::string FlacFile(uint32_t rate, uint32_t channels, uint64_t samples,
                            const std::vector<std::string>& comments) {
  std::string block = LittleEndian(6, 4) + "vendor" + LittleEndian(comments.size(), 4);
  for (const std::string& comment : comments) block += LittleEndian(comment.size(), 4) + comment;
  const std::string info = FlacStreamInfo(rate, channels, samples);
  return "fLaC" + BigEndian(info.size(), 4) + info + static_cast<char>(0x84) + BigEndian(block.size(), 3) + block +
         std::string(64, '\0');
}

// One Ogg page holding one packet.
inline std::string OggPage(int serial, const std::string& packet, bool first, bool last) {
  ogg_stream_state stream;
  ogg_stream_init(&stream, serial);
  ogg_packet data{reinterpret_cast<unsigned char*>(const_cast<char*>(packet.data())),
                  static_cast<long>(packet.size()),
                  first ? 1 : 0,
                  last ? 1 : 0,
                  0,
                  0};
  ogg_stream_packetin(&stream, &data);
  ogg_page page;
  std::string bytes;
  while (ogg_stream_flush(&stream, &page) != 0) {
    bytes.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
    bytes.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
  }
  ogg_stream_clear(&stream);
  return bytes;
}

using Comments = std::vector<std::pair<std::string, std::string>>;

// What the encoders make: one second of stereo sound at 44.1 kHz unless told.
struct EncoderSettings {
  int frames = 44100;
  int channels = 2;
  int rate = 44100;
};

inline void WriteOggPages(ogg_stream_state* stream, FILE* file, bool flush) {
  ogg_page page;
  while (flush ? ogg_stream_flush(stream, &page) : ogg_stream_pageout(stream, &page)) {
    fwrite(page.header, 1, static_cast<size_t>(page.header_len), file);
    fwrite(page.body, 1, static_cast<size_t>(page.body_len), file);
  }
}

inline void EncodeVorbisPackets(vorbis_dsp_state* dsp, vorbis_block* block, ogg_stream_state* stream, FILE* file) {
  while (vorbis_analysis_blockout(dsp, block) == 1) {
    vorbis_analysis(block, nullptr);
    vorbis_bitrate_addblock(block);
    ogg_packet packet;
    while (vorbis_bitrate_flushpacket(dsp, &packet)) {
      ogg_stream_packetin(stream, &packet);
      WriteOggPages(stream, file, false);
    }
  }
}

// Quiet sound with the given comments; false when it could not be written.
inline bool EncodeOggVorbis(const std::wstring& path, const Comments& comments,
                            const EncoderSettings& settings = EncoderSettings()) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) return false;
  vorbis_info info;
  vorbis_info_init(&info);
  vorbis_encode_init_vbr(&info, settings.channels, settings.rate, 0.1f);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  for (const auto& [key, value] : comments) vorbis_comment_add_tag(&comment, key.c_str(), value.c_str());
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1234);
  ogg_packet headers[3];
  vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
  for (ogg_packet& header : headers) ogg_stream_packetin(&stream, &header);
  WriteOggPages(&stream, file, true);
  for (int done = 0; done < settings.frames;) {
    const int count = settings.frames - done < 1024 ? settings.frames - done : 1024;
    float** buffer = vorbis_analysis_buffer(&dsp, count);
    for (int channel = 0; channel < settings.channels; ++channel) {
      for (int i = 0; i < count; ++i) buffer[channel][i] = static_cast<float>((i % 100) - 50) / 5000.0f;
    }
    vorbis_analysis_wrote(&dsp, count);
    EncodeVorbisPackets(&dsp, &block, &stream, file);
    done += count;
  }
  vorbis_analysis_wrote(&dsp, 0);
  EncodeVorbisPackets(&dsp, &block, &stream, file);
  WriteOggPages(&stream, file, true);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return fclose(file) == 0;
}

// 16-bit sound with the given comments; false when it could not be written.
inline bool EncodeFlac(const std::wstring& path, const Comments& comments,
                       const EncoderSettings& settings = EncoderSettings()) {
  FILE* file = _wfopen(path.c_str(), L"w+b");
  if (file == nullptr) return false;
  FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
  FLAC__stream_encoder_set_channels(encoder, static_cast<unsigned>(settings.channels));
  FLAC__stream_encoder_set_bits_per_sample(encoder, 16);
  FLAC__stream_encoder_set_sample_rate(encoder, static_cast<unsigned>(settings.rate));
  FLAC__StreamMetadata* tags = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
  for (const auto& [key, value] : comments) {
    FLAC__StreamMetadata_VorbisComment_Entry entry;
    FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, key.c_str(), value.c_str());
    FLAC__metadata_object_vorbiscomment_append_comment(tags, entry, false);
  }
  FLAC__stream_encoder_set_metadata(encoder, &tags, 1);
  bool written = FLAC__stream_encoder_init_FILE(encoder, file, nullptr, nullptr) == FLAC__STREAM_ENCODER_INIT_STATUS_OK;
  std::vector<FLAC__int32> samples(static_cast<size_t>(settings.channels) * static_cast<size_t>(settings.frames));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<FLAC__int32>((i % 200) * 100) - 10000;
  written = written && FLAC__stream_encoder_process_interleaved(encoder, samples.data(), static_cast<unsigned>(settings.frames));
  written = FLAC__stream_encoder_finish(encoder) && written;  // closes the file
  FLAC__stream_encoder_delete(encoder);
  FLAC__metadata_object_delete(tags);
  return written;
}

}  // namespace audio_samples
