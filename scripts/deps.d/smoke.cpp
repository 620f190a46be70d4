// Smoke test for the cross-built dependency prefix: links every library
// statically and round-trips a little real data through each of them.
// <windows.h> comes first on purpose, as in the program itself: it defines
// `boolean` (rpcndr.h) before jpeglib.h does; smoke_plain.c takes the other path.
// libraw.h includes <winsock2.h>, which must precede <windows.h>.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csetjmp>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <turbojpeg.h>
#include <png.h>
#include <tiffio.h>
#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>
#include <FLAC/stream_decoder.h>
#include <FLAC/stream_encoder.h>
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <openjpeg.h>
#include <libraw.h>
#include <libmng.h>
#include <zlib.h>

#include "smoke_plain.h"

#define STRINGIFY2(x) #x
#define STRINGIFY(x) STRINGIFY2(x)

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
using Bytes = std::vector<unsigned char>;

struct Outcome {
  bool ok;
  std::string detail;
};

std::string Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

Bytes MakeImage() {
  Bytes rgb(kWidth * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      unsigned char* p = &rgb[(y * kWidth + x) * 3];
      p[0] = static_cast<unsigned char>(x * 4);
      p[1] = static_cast<unsigned char>(y * 5);
      p[2] = static_cast<unsigned char>((x + y) * 2);
    }
  }
  return rgb;
}

const Bytes kImage = MakeImage();
Bytes g_jpeg;  // made by TestJpeg, reused by the tests after it

int MaxDifference(const unsigned char* a, const unsigned char* b, size_t size) {
  int worst = 0;
  for (size_t i = 0; i < size; ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

Outcome TestZlib() {
  Bytes input(65536);
  for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<unsigned char>((i * 7) % 251 / 16);
  uLongf packed_size = compressBound(input.size());
  Bytes packed(packed_size);
  if (compress2(packed.data(), &packed_size, input.data(), input.size(), 9) != Z_OK) return {false, "compress2"};
  Bytes output(input.size());
  uLongf output_size = output.size();
  if (uncompress(output.data(), &output_size, packed.data(), packed_size) != Z_OK) return {false, "uncompress"};
  return {output == input, Format("%s: 65536 -> %lu bytes and back", zlibVersion(), packed_size)};
}

Outcome TestPng() {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kWidth;
  image.height = kHeight;
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, kImage.data(), 0, nullptr)) return {false, image.message};
  Bytes png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, kImage.data(), 0, nullptr)) return {false, image.message};
  png_image back{};
  back.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&back, png.data(), size)) return {false, back.message};
  back.format = PNG_FORMAT_RGB;
  Bytes pixels(PNG_IMAGE_SIZE(back));
  if (!png_image_finish_read(&back, nullptr, pixels.data(), 0, nullptr)) return {false, back.message};
  return {pixels == kImage, Format("%s (library %u): %dx%d RGB, %zu bytes, lossless round trip",
                                   PNG_LIBPNG_VER_STRING, png_access_version_number(), kWidth, kHeight,
                                   size_t(size))};
}

struct JpegFailure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegFail(j_common_ptr info) {
  auto* failure = reinterpret_cast<JpegFailure*>(info->err);
  info->err->format_message(info, failure->message);
  std::longjmp(failure->jump, 1);
}

bool JpegEncode(Bytes& out, std::string& error) {
  jpeg_compress_struct info;
  JpegFailure failure{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = JpegFail;
  if (setjmp(failure.jump)) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    error = failure.message;
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(&kImage[info.next_scanline * kWidth * 3]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  out.assign(buffer, buffer + size);
  std::free(buffer);
  return true;
}

Outcome TestJpeg() {
  std::string error;
  if (sizeof(jpeg_decompress_struct) != plain_jpeg_decompress_struct_size())
    return {false, Format("struct size differs with <windows.h> (%zu) and without (%zu)",
                          sizeof(jpeg_decompress_struct), plain_jpeg_decompress_struct_size())};
  if (!JpegEncode(g_jpeg, error)) return {false, error};
  Bytes pixels(kImage.size());
  char message[256] = "";
  if (plain_jpeg_decode(g_jpeg.data(), g_jpeg.size(), pixels.data(), kWidth, kHeight, message, sizeof message) != 0)
    return {false, message};
  int difference = MaxDifference(pixels.data(), kImage.data(), kImage.size());
  return {difference <= 8,
          Format("JPEG_LIB_VERSION %d, libjpeg-turbo %s, boolean %zu byte: q95 %zu bytes, max error %d",
                 JPEG_LIB_VERSION, STRINGIFY(LIBJPEG_TURBO_VERSION), sizeof(boolean), g_jpeg.size(),
                 difference)};
}

Outcome TestTurboJpeg() {
  if (g_jpeg.empty()) return {false, "no JPEG to decode"};
  tjhandle handle = tjInitDecompress();
  if (!handle) return {false, tjGetErrorStr()};
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  Bytes pixels(kImage.size());
  bool ok = tjDecompressHeader3(handle, g_jpeg.data(), g_jpeg.size(), &width, &height, &subsampling, &colorspace) == 0 &&
            width == kWidth && height == kHeight &&
            tjDecompress2(handle, g_jpeg.data(), g_jpeg.size(), pixels.data(), kWidth, 0, kHeight, TJPF_RGB, 0) == 0;
  std::string detail = ok ? "" : tjGetErrorStr2(handle);
  tjDestroy(handle);
  if (!ok) return {false, detail};
  int difference = MaxDifference(pixels.data(), kImage.data(), kImage.size());
  return {difference <= 8, Format("tjDecompress2 %dx%d, max error %d", width, height, difference)};
}

std::string g_tiff_error;

void TiffError(const char* module, const char* format, va_list args) {
  char text[256];
  std::vsnprintf(text, sizeof text, format, args);
  g_tiff_error = std::string(module ? module : "libtiff") + ": " + text;
}

// Writes the test image with the given compression to a temporary file and reads it back.
bool TiffRoundTrip(uint16_t compression, int& difference) {
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"qvt", 0, path)) {
    g_tiff_error = "no temporary file";
    return false;
  }
  bool ok = false;
  if (TIFF* out = TIFFOpenW(path, "w")) {
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(out, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, 16);
    if (compression == COMPRESSION_JPEG) TIFFSetField(out, TIFFTAG_JPEGQUALITY, 95);
    ok = true;
    for (int y = 0; ok && y < kHeight; ++y)
      ok = TIFFWriteScanline(out, const_cast<unsigned char*>(&kImage[y * kWidth * 3]), y, 0) == 1;
    TIFFClose(out);
  }
  if (ok) {
    ok = false;
    if (TIFF* in = TIFFOpenW(path, "r")) {
      uint16_t stored = 0;
      Bytes pixels(kImage.size());
      ok = TIFFGetField(in, TIFFTAG_COMPRESSION, &stored) == 1 && stored == compression;
      for (int y = 0; ok && y < kHeight; ++y) ok = TIFFReadScanline(in, &pixels[y * kWidth * 3], y, 0) == 1;
      difference = MaxDifference(pixels.data(), kImage.data(), kImage.size());
      TIFFClose(in);
    }
  }
  DeleteFileW(path);
  return ok;
}

Outcome TestTiff() {
  TIFFSetErrorHandler(TiffError);
  TIFFSetWarningHandler(nullptr);
  std::string version = TIFFGetVersion();
  version = version.substr(0, version.find('\n'));
  if (!TIFFIsCODECConfigured(COMPRESSION_JPEG) || !TIFFIsCODECConfigured(COMPRESSION_ADOBE_DEFLATE))
    return {false, version + ": JPEG or Deflate codec missing"};
  int jpeg_difference = 0, deflate_difference = 0;
  if (!TiffRoundTrip(COMPRESSION_JPEG, jpeg_difference)) return {false, "JPEG: " + g_tiff_error};
  if (!TiffRoundTrip(COMPRESSION_ADOBE_DEFLATE, deflate_difference)) return {false, "Deflate: " + g_tiff_error};
  return {jpeg_difference <= 8 && deflate_difference == 0,
          Format("%s: JPEG max error %d, Deflate max error %d", version.c_str(), jpeg_difference,
                 deflate_difference)};
}

std::string VersionText(int packed) {
  return Format("%d.%d.%d", (packed >> 16) & 0xff, (packed >> 8) & 0xff, packed & 0xff);
}

Outcome TestWebp() {
  uint8_t* encoded = nullptr;
  size_t size = WebPEncodeLosslessRGB(kImage.data(), kWidth, kHeight, kWidth * 3, &encoded);
  if (size == 0) return {false, "WebPEncodeLosslessRGB failed"};
  int width = 0, height = 0;
  uint8_t* decoded = WebPDecodeRGB(encoded, size, &width, &height);
  bool same = decoded && width == kWidth && height == kHeight &&
              std::memcmp(decoded, kImage.data(), kImage.size()) == 0;
  WebPFree(decoded);
  WebPData data{encoded, size};
  WebPDemuxer* demuxer = WebPDemux(&data);
  bool demuxed = demuxer && WebPDemuxGetI(demuxer, WEBP_FF_CANVAS_WIDTH) == uint32_t(kWidth) &&
                 WebPDemuxGetI(demuxer, WEBP_FF_FRAME_COUNT) == 1;
  WebPDemuxDelete(demuxer);
  WebPMux* mux = WebPMuxCreate(&data, 0);
  int mux_width = 0, mux_height = 0;
  bool muxed = mux && WebPMuxGetCanvasSize(mux, &mux_width, &mux_height) == WEBP_MUX_OK && mux_height == kHeight;
  WebPMuxDelete(mux);
  WebPFree(encoded);
  return {same && demuxed && muxed,
          Format("decoder %s, encoder %s, mux %s: lossless %zu bytes (exact %d, demux %d, mux %d)",
                 VersionText(WebPGetDecoderVersion()).c_str(), VersionText(WebPGetEncoderVersion()).c_str(),
                 VersionText(WebPGetMuxVersion()).c_str(), size, same, demuxed, muxed)};
}

struct MemoryReader {
  const Bytes* data;
  size_t position = 0;
};

size_t OggRead(void* buffer, size_t size, size_t count, void* source) {
  auto* reader = static_cast<MemoryReader*>(source);
  size_t wanted = size * count, left = reader->data->size() - reader->position;
  size_t n = std::min(wanted, left);
  std::memcpy(buffer, reader->data->data() + reader->position, n);
  reader->position += n;
  return size ? n / size : 0;
}

int OggSeek(void* source, ogg_int64_t offset, int whence) {
  auto* reader = static_cast<MemoryReader*>(source);
  ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? ogg_int64_t(reader->position)
                                                                 : ogg_int64_t(reader->data->size());
  if (base + offset < 0 || base + offset > ogg_int64_t(reader->data->size())) return -1;
  reader->position = size_t(base + offset);
  return 0;
}

long OggTell(void* source) { return long(static_cast<MemoryReader*>(source)->position); }

void AppendPage(Bytes& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

Outcome TestVorbis() {
  constexpr int kRate = 44100, kFrames = 22050;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 2, kRate, 0.4f) != 0) return {false, "vorbis_encode_init_vbr"};
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1234);
  ogg_packet header, comments, codebooks, packet;
  vorbis_analysis_headerout(&dsp, &comment, &header, &comments, &codebooks);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &comments);
  ogg_stream_packetin(&stream, &codebooks);
  Bytes ogg;
  ogg_page page;
  while (ogg_stream_flush(&stream, &page)) AppendPage(ogg, page);
  float** input = vorbis_analysis_buffer(&dsp, kFrames);
  for (int i = 0; i < kFrames; ++i) input[0][i] = input[1][i] = 0.5f * std::sin(2 * 3.14159265f * 440 * i / kRate);
  vorbis_analysis_wrote(&dsp, kFrames);
  vorbis_analysis_wrote(&dsp, 0);
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, nullptr);
    vorbis_bitrate_addblock(&block);
    while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
      ogg_stream_packetin(&stream, &packet);
      while (ogg_stream_pageout(&stream, &page)) AppendPage(ogg, page);
    }
  }
  while (ogg_stream_flush(&stream, &page)) AppendPage(ogg, page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);

  MemoryReader reader{&ogg};
  OggVorbis_File file;
  ov_callbacks callbacks{OggRead, OggSeek, nullptr, OggTell};
  if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) return {false, "ov_open_callbacks"};
  ogg_int64_t total = ov_pcm_total(&file, -1);
  long frames = 0;
  double energy = 0;
  for (;;) {
    float** pcm = nullptr;
    int section = 0;
    long n = ov_read_float(&file, &pcm, 1024, &section);
    if (n <= 0) break;
    for (long i = 0; i < n; ++i) energy += double(pcm[0][i]) * pcm[0][i];
    frames += n;
  }
  ov_clear(&file);
  double rms = frames ? std::sqrt(energy / frames) : 0;
  return {total == kFrames && frames == kFrames && std::fabs(rms - 0.3536) < 0.02,
          Format("%s: %d frames -> %zu bytes Ogg -> %ld frames, RMS %.3f (0.354 expected)",
                 vorbis_version_string(), kFrames, ogg.size(), frames, rms)};
}

FLAC__StreamEncoderWriteStatus FlacWrite(const FLAC__StreamEncoder*, const FLAC__byte buffer[], size_t bytes,
                                         uint32_t, uint32_t, void* sink) {
  auto* out = static_cast<Bytes*>(sink);
  out->insert(out->end(), buffer, buffer + bytes);
  return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}

struct FlacSource {
  MemoryReader reader;
  std::vector<FLAC__int32> samples;
  bool error = false;
};

FLAC__StreamDecoderReadStatus FlacRead(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes, void* data) {
  auto* source = static_cast<FlacSource*>(data);
  *bytes = OggRead(buffer, 1, *bytes, &source->reader);
  return *bytes ? FLAC__STREAM_DECODER_READ_STATUS_CONTINUE : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
}

FLAC__StreamDecoderWriteStatus FlacDecoded(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                           const FLAC__int32* const buffer[], void* data) {
  auto* source = static_cast<FlacSource*>(data);
  for (uint32_t i = 0; i < frame->header.blocksize; ++i)
    for (uint32_t c = 0; c < frame->header.channels; ++c) source->samples.push_back(buffer[c][i]);
  return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void FlacError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* data) {
  static_cast<FlacSource*>(data)->error = true;
}

Outcome TestFlac() {
  constexpr int kFrames = 8192;
  std::vector<FLAC__int32> samples(kFrames * 2);
  for (int i = 0; i < kFrames; ++i) {
    samples[2 * i] = FLAC__int32(12000 * std::sin(i * 0.05));
    samples[2 * i + 1] = FLAC__int32((i * 7919) % 4001) - 2000;
  }
  Bytes ogg;
  FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
  FLAC__stream_encoder_set_channels(encoder, 2);
  FLAC__stream_encoder_set_bits_per_sample(encoder, 16);
  FLAC__stream_encoder_set_sample_rate(encoder, 44100);
  FLAC__stream_encoder_set_compression_level(encoder, 5);
  FLAC__stream_encoder_set_ogg_serial_number(encoder, 42);
  bool encoded = FLAC__stream_encoder_init_ogg_stream(encoder, nullptr, FlacWrite, nullptr, nullptr, nullptr, &ogg) ==
                     FLAC__STREAM_ENCODER_INIT_STATUS_OK &&
                 FLAC__stream_encoder_process_interleaved(encoder, samples.data(), kFrames) &&
                 FLAC__stream_encoder_finish(encoder);
  FLAC__stream_encoder_delete(encoder);
  if (!encoded) return {false, "Ogg FLAC encoding failed"};
  FlacSource source{{&ogg}, {}, false};
  FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
  bool decoded = FLAC__stream_decoder_init_ogg_stream(decoder, FlacRead, nullptr, nullptr, nullptr, nullptr,
                                                      FlacDecoded, nullptr, FlacError, &source) ==
                     FLAC__STREAM_DECODER_INIT_STATUS_OK &&
                 FLAC__stream_decoder_process_until_end_of_stream(decoder);
  FLAC__stream_decoder_finish(decoder);
  FLAC__stream_decoder_delete(decoder);
  return {decoded && !source.error && source.samples == samples,
          Format("%s (%s): Ogg FLAC %d stereo frames -> %zu bytes, lossless %d", FLAC__VERSION_STRING,
                 FLAC__VENDOR_STRING, kFrames, ogg.size(), int(source.samples == samples))};
}

Outcome TestPcre2() {
  uint32_t jit = 0;
  pcre2_config(PCRE2_CONFIG_JIT, &jit);
  char version[32] = "";
  pcre2_config(PCRE2_CONFIG_VERSION, version);
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(R"((\d+)-(\w+))"), PCRE2_ZERO_TERMINATED,
                                   PCRE2_UTF | PCRE2_UCP, &error, &offset, nullptr);
  if (!code) return {false, "pcre2_compile failed"};
  int jit_result = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  const char* subject = "item 42-Größe";
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(code, nullptr);
  int groups = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject), PCRE2_ZERO_TERMINATED, 0, 0, match, nullptr);
  std::string number, word;
  if (groups == 3) {
    PCRE2_SIZE* vector = pcre2_get_ovector_pointer(match);
    number.assign(subject + vector[2], vector[3] - vector[2]);
    word.assign(subject + vector[4], vector[5] - vector[4]);
  }
  pcre2_match_data_free(match);
  pcre2_code_free(code);
  return {jit == 1 && jit_result == 0 && number == "42" && word == "Größe",
          Format("%s: UTF/UCP match [%s][%s], JIT available %u, JIT compile %d", version, number.c_str(),
                 word.c_str(), jit, jit_result)};
}

struct OpjMemory {
  Bytes data;
  size_t position = 0;
};

OPJ_SIZE_T OpjWrite(void* buffer, OPJ_SIZE_T size, void* user) {
  auto* memory = static_cast<OpjMemory*>(user);
  if (memory->position + size > memory->data.size()) memory->data.resize(memory->position + size);
  std::memcpy(memory->data.data() + memory->position, buffer, size);
  memory->position += size;
  return size;
}

OPJ_SIZE_T OpjRead(void* buffer, OPJ_SIZE_T size, void* user) {
  auto* memory = static_cast<OpjMemory*>(user);
  size_t n = std::min(size, memory->data.size() - memory->position);
  if (n == 0) return OPJ_SIZE_T(-1);
  std::memcpy(buffer, memory->data.data() + memory->position, n);
  memory->position += n;
  return n;
}

OPJ_OFF_T OpjSkip(OPJ_OFF_T count, void* user) {
  auto* memory = static_cast<OpjMemory*>(user);
  memory->position += size_t(count);
  return count;
}

OPJ_BOOL OpjSeek(OPJ_OFF_T position, void* user) {
  static_cast<OpjMemory*>(user)->position = size_t(position);
  return OPJ_TRUE;
}

void OpjMessage(const char* text, void* user) { *static_cast<std::string*>(user) = text; }

opj_stream_t* OpjStream(OpjMemory& memory, bool input) {
  opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE);
  if (input) {
    opj_stream_set_read_function(stream, OpjRead);
    opj_stream_set_user_data_length(stream, memory.data.size());
  } else {
    opj_stream_set_write_function(stream, OpjWrite);
  }
  opj_stream_set_skip_function(stream, OpjSkip);
  opj_stream_set_seek_function(stream, OpjSeek);
  opj_stream_set_user_data(stream, &memory, nullptr);
  return stream;
}

Outcome TestOpenjpeg() {
  opj_image_cmptparm_t components[3]{};
  for (auto& component : components) {
    component.dx = component.dy = 1;
    component.w = kWidth;
    component.h = kHeight;
    component.prec = 8;
  }
  opj_image_t* image = opj_image_create(3, components, OPJ_CLRSPC_SRGB);
  image->x1 = kWidth;
  image->y1 = kHeight;
  for (int i = 0; i < kWidth * kHeight; ++i)
    for (int c = 0; c < 3; ++c) image->comps[c].data[i] = kImage[i * 3 + c];
  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.tcp_numlayers = 1;
  parameters.tcp_rates[0] = 0;  // lossless
  parameters.cp_disto_alloc = 1;
  parameters.numresolution = 3;
  std::string message;
  OpjMemory memory;
  opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
  opj_set_error_handler(codec, OpjMessage, &message);
  opj_stream_t* stream = OpjStream(memory, false);
  bool encoded = opj_setup_encoder(codec, &parameters, image) && opj_start_compress(codec, image, stream) &&
                 opj_encode(codec, stream) && opj_end_compress(codec, stream);
  opj_stream_destroy(stream);
  opj_destroy_codec(codec);
  opj_image_destroy(image);
  if (!encoded) return {false, "encode: " + message};

  memory.position = 0;
  opj_dparameters_t decode_parameters;
  opj_set_default_decoder_parameters(&decode_parameters);
  codec = opj_create_decompress(OPJ_CODEC_J2K);
  opj_set_error_handler(codec, OpjMessage, &message);
  stream = OpjStream(memory, true);
  opj_image_t* decoded = nullptr;
  bool ok = opj_setup_decoder(codec, &decode_parameters) && opj_read_header(stream, codec, &decoded) &&
            opj_decode(codec, stream, decoded) && opj_end_decompress(codec, stream);
  ok = ok && decoded->numcomps == 3 && decoded->comps[0].w == OPJ_UINT32(kWidth) &&
       decoded->comps[0].h == OPJ_UINT32(kHeight);
  for (int i = 0; ok && i < kWidth * kHeight; ++i)
    for (int c = 0; ok && c < 3; ++c) ok = decoded->comps[c].data[i] == kImage[i * 3 + c];
  opj_image_destroy(decoded);
  opj_stream_destroy(stream);
  opj_destroy_codec(codec);
  return {ok, Format("%s: lossless J2K %zu bytes and back%s%s", opj_version(), memory.data.size(),
                     message.empty() ? "" : ", ", message.c_str())};
}

Outcome TestLibraw() {
  auto raw = std::make_unique<LibRaw>(0);
  Bytes junk(4096, 0x5a);
  int result = raw->open_buffer(junk.data(), junk.size());
  return {result == LIBRAW_FILE_UNSUPPORTED,
          Format("%s, %d cameras; non-raw data: %s", LibRaw::version(), LibRaw::cameraCount(),
                 libraw_strerror(result))};
}

Outcome TestMng() {
  if (g_jpeg.empty()) return {false, "no JPEG to wrap"};
  Bytes canvas(kImage.size());
  char message[256] = "";
  if (plain_mng_display_jng(g_jpeg.data(), g_jpeg.size(), canvas.data(), kWidth, kHeight, message,
                            sizeof message) != 0)
    return {false, message};
  int difference = MaxDifference(canvas.data(), kImage.data(), kImage.size());
  return {difference <= 8, Format("%s (header %s): JNG %dx%d displayed, max error %d", plain_mng_version(),
                                  MNG_VERSION_TEXT, kWidth, kHeight, difference)};
}

}  // namespace

int main() {
  const struct {
    const char* name;
    Outcome (*run)();
  } tests[] = {
      {"zlib", TestZlib},     {"libpng", TestPng},       {"libjpeg", TestJpeg},         {"turbojpeg", TestTurboJpeg},
      {"libtiff", TestTiff},  {"libwebp", TestWebp},     {"ogg+vorbis", TestVorbis},    {"libFLAC", TestFlac},
      {"pcre2", TestPcre2},   {"openjpeg", TestOpenjpeg}, {"libraw", TestLibraw},        {"libmng", TestMng},
  };
  int passed = 0, failed = 0;
  for (const auto& test : tests) {
    Outcome outcome = test.run();
    std::printf("%-4s  %-11s %s\n", outcome.ok ? "ok" : "FAIL", test.name, outcome.detail.c_str());
    (outcome.ok ? passed : failed)++;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
