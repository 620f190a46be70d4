// The audio libraries the tag readers stand on: Vorbis comments through Ogg packets, FLAC metadata blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include "support/temp_folder.h"

TEST(AudioLibraries, VorbisCommentHeaderRoundTrip) {
  vorbis_info info;
  vorbis_info_init(&info);
  ASSERT_EQ(vorbis_encode_init_vbr(&info, 2, 44100, 0.4f), 0);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "ARTIST", "Some Band");
  vorbis_comment_add_tag(&comment, "TITLE", "Caf\xC3\xA9");
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  ogg_packet identification, comments, codebooks;
  ASSERT_EQ(vorbis_analysis_headerout(&dsp, &comment, &identification, &comments, &codebooks), 0);

  vorbis_info readInfo;
  vorbis_comment readComment;
  vorbis_info_init(&readInfo);
  vorbis_comment_init(&readComment);
  ASSERT_EQ(vorbis_synthesis_headerin(&readInfo, &readComment, &identification), 0);
  ASSERT_EQ(vorbis_synthesis_headerin(&readInfo, &readComment, &comments), 0);
  EXPECT_EQ(readInfo.channels, 2);
  EXPECT_EQ(readInfo.rate, 44100);
  EXPECT_STREQ(vorbis_comment_query(&readComment, "title", 0), "Caf\xC3\xA9");
  EXPECT_STREQ(vorbis_comment_query(&readComment, "artist", 0), "Some Band");

  vorbis_comment_clear(&readComment);
  vorbis_info_clear(&readInfo);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
}

TEST(AudioLibraries, FlacTagsOfAnEncodedFile) {
  TempFolder folder;
  std::wstring path = folder / L"tone.flac";
  FILE* file = _wfopen(path.c_str(), L"w+b");
  ASSERT_NE(file, nullptr);
  FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
  FLAC__stream_encoder_set_channels(encoder, 1);
  FLAC__stream_encoder_set_bits_per_sample(encoder, 16);
  FLAC__stream_encoder_set_sample_rate(encoder, 8000);
  FLAC__StreamMetadata* tags = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
  FLAC__StreamMetadata_VorbisComment_Entry entry;
  ASSERT_TRUE(FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, "ALBUM", "Demo"));
  FLAC__metadata_object_vorbiscomment_append_comment(tags, entry, false);
  FLAC__stream_encoder_set_metadata(encoder, &tags, 1);
  ASSERT_EQ(FLAC__stream_encoder_init_FILE(encoder, file, nullptr, nullptr), FLAC__STREAM_ENCODER_INIT_STATUS_OK);
  std::vector<FLAC__int32> samples(8000, 0);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<FLAC__int32>((i % 40) * 500);
  ASSERT_TRUE(FLAC__stream_encoder_process_interleaved(encoder, samples.data(), 8000));
  ASSERT_TRUE(FLAC__stream_encoder_finish(encoder));  // closes the file
  FLAC__stream_encoder_delete(encoder);
  FLAC__metadata_object_delete(tags);

  std::string bytes = ReadWholeFile(path);
  ASSERT_GT(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), "fLaC");

  FLAC__Metadata_Chain* chain = FLAC__metadata_chain_new();
  FILE* in = _wfopen(path.c_str(), L"rb");
  ASSERT_NE(in, nullptr);
  FLAC__IOCallbacks callbacks = {
      [](void* ptr, size_t size, size_t count, FLAC__IOHandle handle) {
        return fread(ptr, size, count, static_cast<FILE*>(handle));
      },
      nullptr,
      [](FLAC__IOHandle handle, FLAC__int64 offset, int whence) {
        return _fseeki64(static_cast<FILE*>(handle), offset, whence);
      },
      [](FLAC__IOHandle handle) -> FLAC__int64 { return _ftelli64(static_cast<FILE*>(handle)); },
      [](FLAC__IOHandle handle) { return feof(static_cast<FILE*>(handle)); },
      nullptr};
  ASSERT_TRUE(FLAC__metadata_chain_read_with_callbacks(chain, in, callbacks));
  fclose(in);
  FLAC__Metadata_Iterator* iterator = FLAC__metadata_iterator_new();
  FLAC__metadata_iterator_init(iterator, chain);
  unsigned sampleRate = 0;
  std::string album;
  do {
    FLAC__StreamMetadata* block = FLAC__metadata_iterator_get_block(iterator);
    if (block->type == FLAC__METADATA_TYPE_STREAMINFO) sampleRate = block->data.stream_info.sample_rate;
    if (block->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
      int at = FLAC__metadata_object_vorbiscomment_find_entry_from(block, 0, "ALBUM");
      if (at >= 0) album = reinterpret_cast<const char*>(block->data.vorbis_comment.comments[at].entry);
    }
  } while (FLAC__metadata_iterator_next(iterator));
  FLAC__metadata_iterator_delete(iterator);
  FLAC__metadata_chain_delete(chain);
  EXPECT_EQ(sampleRate, 8000u);
  EXPECT_EQ(album, "ALBUM=Demo");
}
