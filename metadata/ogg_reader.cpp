// The Ogg reader: the pages of the file are walked one after another and handed to a processor per logical
// stream (serial number). A Vorbis stream decodes its three header packets through libvorbis (channels,
// rate, nominal bitrate, comments) and takes its duration from the last granule position. Streams that break
// the Ogg rules (a page after the end of its stream, a stream begun in the middle of others) are ignored.
// Every call into libogg and libvorbis runs inside the guard.
#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstring>

#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "metadata/audio_readers.h"
#include "metadata/audio_tags.h"
#include "metadata/audio_text.h"
#include "metadata/file_ranges.h"
#include "metadata/vorbis_comments.h"

namespace {

constexpr uint32_t kOggReadBytes = 4500;
// Of a longer file only its head and its tail are read: the headers and comments stand at the start, the last
// granule position (the duration) in the last pages. Reading the whole of a large file would take seconds.
constexpr uint64_t kOggHeadBytes = 1024 * 1024;
constexpr uint64_t kOggTailBytes = 64 * 1024;
// Streams followed at once: each holds a libogg stream state, so a file of many one-page streams with
// distinct serial numbers must not make the reader take memory for every one of them.
constexpr int kOggStreamLimit = 32;
// Bytes a Vorbis stream may hold back before its three headers are complete.
constexpr long kVorbisHeaderBytesLimit = 16L << 20;

struct OggStreamProcessor;
using OggProcessPage = void (*)(OggStreamProcessor* stream, ogg_page* page, AudioTagInfo* info);
using OggEndStream = void (*)(OggStreamProcessor* stream, AudioTagInfo* info);

struct VorbisStreamState {
  vorbis_info info;
  vorbis_comment comment;
  int headers;  // header packets accepted, 0 to 3
  int64_t lastGranule;
};

struct OggStreamProcessor {
  OggProcessPage process;  // null: the stream's pages are not looked at
  OggEndStream end;        // null: nothing to do at the end
  bool invalid;            // breaks the rules: its pages are skipped
  bool stateLive;          // `state` holds libogg memory
  ogg_stream_state state;
  int serial;
  bool ended;  // its end-of-stream page has come
  const wchar_t* typeName;
  VorbisStreamState* vorbis;
};

struct OggStreamTable {
  int count;
  bool newGroup;  // the last page began a stream: further new streams belong to the same group
  OggStreamProcessor streams[kOggStreamLimit];
};

struct OggWalk {
  RangeFile* file;
  AudioTagInfo* info;
  ogg_sync_state sync;
  OggStreamTable* table;
};

void ClearStreamState(OggStreamProcessor* stream) {
  if (stream->stateLive) ogg_stream_clear(&stream->state);
  stream->stateLive = false;
}

void ClearVorbisState(OggStreamProcessor* stream) {
  if (stream->vorbis == nullptr) return;
  vorbis_comment_clear(&stream->vorbis->comment);
  vorbis_info_clear(&stream->vorbis->info);
  FreeAndNull(&stream->vorbis);
}

int32_t ClampToInt32(int64_t value) { return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(value); }

void FreeOggLogicalStream(OggStreamProcessor* stream, AudioTagInfo* info) {
  const VorbisStreamState* vorbis = stream->vorbis;
  if (vorbis->info.rate > 0) info->duration = ClampToInt32(vorbis->lastGranule / vorbis->info.rate);
  ClearVorbisState(stream);
  ClearStreamState(stream);
}

void TakeVorbisHeaders(const VorbisStreamState* vorbis, AudioTagInfo* info) {
  info->channels = static_cast<uint16_t>(vorbis->info.channels);
  info->sampleRate = static_cast<int32_t>(vorbis->info.rate);
  if (vorbis->info.bitrate_nominal > 0) info->bitrate = static_cast<int32_t>(vorbis->info.bitrate_nominal / 1000);
  const vorbis_comment& comment = vorbis->comment;
  for (int i = 0; i < comment.comments; ++i) {
    const size_t length = static_cast<size_t>(comment.comment_lengths[i]);
    if (IsWellFormedVorbisComment(comment.user_comments[i], length)) {
      StoreVorbisComment(comment.user_comments[i], length, info);
    }
  }
}

void ParseVorbisComments(OggStreamProcessor* stream, ogg_page* page, AudioTagInfo* info) {
  VorbisStreamState* vorbis = stream->vorbis;
  if (vorbis->headers >= 3) {
    const int64_t granule = ogg_page_granulepos(page);
    if (granule > 0) vorbis->lastGranule = granule;
    return;
  }
  ogg_stream_pagein(&stream->state, page);
  ogg_packet packet;
  int taken = 0;
  while (vorbis->headers < 3 && (taken = ogg_stream_packetout(&stream->state, &packet)) != 0) {
    if (taken < 0 || vorbis_synthesis_headerin(&vorbis->info, &vorbis->comment, &packet) != 0) continue;
    if (++vorbis->headers == 3) TakeVorbisHeaders(vorbis, info);
  }
  if (vorbis->headers < 3 && stream->state.body_fill - stream->state.body_returned > kVorbisHeaderBytesLimit) {
    stream->invalid = true;
    stream->process = nullptr;
    stream->end = nullptr;
    ClearVorbisState(stream);
    ClearStreamState(stream);
  }
}

bool IsVorbisIdentification(const ogg_packet& packet) {
  return packet.bytes > 6 && packet.packet[0] == 1 && memcmp(packet.packet + 1, "vorbis", 6) == 0;
}

// Looks at the first packet of a new stream: a Vorbis stream gets its processor and a fresh stream state, so
// that its first page is processed from the start; any other stream keeps no state.
void ClassifyOggStream(OggStreamProcessor* stream, ogg_page* page) {
  ogg_stream_init(&stream->state, stream->serial);
  ogg_stream_pagein(&stream->state, page);
  ogg_packet packet;
  const bool vorbis = ogg_stream_packetout(&stream->state, &packet) == 1 && IsVorbisIdentification(packet);
  ogg_stream_clear(&stream->state);
  if (!vorbis) return;
  stream->typeName = L"Ogg Vorbis";
  if (stream->invalid) return;
  stream->vorbis = static_cast<VorbisStreamState*>(AllocZeroed(sizeof(VorbisStreamState)));
  if (stream->vorbis == nullptr) return;
  vorbis_info_init(&stream->vorbis->info);
  vorbis_comment_init(&stream->vorbis->comment);
  ogg_stream_init(&stream->state, stream->serial);
  stream->stateLive = true;
  stream->process = ParseVorbisComments;
  stream->end = FreeOggLogicalStream;
}

bool HasUnfinishedStream(const OggStreamTable* table) {
  for (int i = 0; i < table->count; ++i) {
    if (!table->streams[i].ended) return true;
  }
  return false;
}

OggStreamProcessor* FindOggStream(OggStreamTable* table, int serial) {
  for (int i = 0; i < table->count; ++i) {
    if (table->streams[i].serial == serial) return &table->streams[i];
  }
  return nullptr;
}

// The page's stream; `created` tells a stream that this page began. Null when the table is full.
OggStreamProcessor* FindOrCreateOggStream(OggStreamTable* table, ogg_page* page, bool* created) {
  const int serial = ogg_page_serialno(page);
  OggStreamProcessor* stream = FindOggStream(table, serial);
  *created = stream == nullptr;
  if (stream != nullptr) {
    // A page after the stream's end breaks the rules.
    if (stream->ended) {
      stream->invalid = true;
    } else {
      table->newGroup = false;
      // An ignored stream still ends: it no longer keeps new streams from beginning.
      if (stream->invalid) stream->ended = ogg_page_eos(page) != 0;
    }
    return stream;
  }
  if (table->count == kOggStreamLimit) return nullptr;
  // New streams may begin only together, at the start of a group, or after all others ended.
  const bool invalid = HasUnfinishedStream(table) && !table->newGroup;
  stream = &table->streams[table->count++];
  *stream = OggStreamProcessor{};
  stream->serial = serial;
  stream->invalid = invalid;
  table->newGroup = true;
  ClassifyOggStream(stream, page);
  if (stream->invalid) stream->ended = ogg_page_eos(page) != 0;
  return stream;
}

void HandleOggPage(OggWalk* walk, ogg_page* page) {
  bool created = false;
  OggStreamProcessor* stream = FindOrCreateOggStream(walk->table, page, &created);
  if (stream == nullptr || (stream->invalid && !created)) return;
  if (stream->typeName != nullptr && walk->info->format[0] == 0) SetTagText(walk->info->format, stream->typeName);
  if (stream->invalid) return;
  if (stream->process != nullptr) stream->process(stream, page, walk->info);
  if (!ogg_page_eos(page)) return;
  if (stream->end != nullptr) stream->end(stream, walk->info);
  stream->ended = true;
}

// A Vorbis stream whose three headers have not all come yet (large comments, cover art among them, may run
// past the head).
bool AwaitsHeaders(const OggStreamTable* table) {
  for (int i = 0; i < table->count; ++i) {
    const OggStreamProcessor& stream = table->streams[i];
    if (!stream.invalid && stream.vorbis != nullptr && stream.vorbis->headers < 3) return true;
  }
  return false;
}

void WalkOggPages(OggWalk* walk) {
  uint64_t offset = 0;
  ogg_page page;
  for (;;) {
    const int found = ogg_sync_pageout(&walk->sync, &page);
    if (found > 0) HandleOggPage(walk, &page);
    if (found != 0) continue;
    const uint64_t tail = walk->file->size > kOggTailBytes ? walk->file->size - kOggTailBytes : 0;
    if (offset >= kOggHeadBytes && offset < tail && !AwaitsHeaders(walk->table)) {
      offset = tail;
      // The next page is found afresh in the tail; the part of a page read before is dropped.
      ogg_sync_reset(&walk->sync);
    }
    char* buffer = ogg_sync_buffer(&walk->sync, kOggReadBytes);
    if (buffer == nullptr) return;
    const uint32_t got = ReadFileRangeUpTo(walk->file, offset, buffer, kOggReadBytes);
    offset += got;
    ogg_sync_wrote(&walk->sync, static_cast<long>(got));
    if (got == 0) return;
  }
}

void EndOggWalk(OggWalk* walk) {
  for (int i = 0; i < walk->table->count; ++i) {
    OggStreamProcessor* stream = &walk->table->streams[i];
    if (!stream->ended && !stream->invalid && stream->end != nullptr) stream->end(stream, walk->info);
    ClearVorbisState(stream);
    ClearStreamState(stream);
  }
  ogg_sync_clear(&walk->sync);
}

}  // namespace

void ReadOggVorbisInfo(const wchar_t* path, AudioTagInfo* info) {
  RangeFile file;
  if (OpenRangeFile(&file, path) != 0) return;
  OggWalk walk{&file, info, {}, static_cast<OggStreamTable*>(AllocZeroed(sizeof(OggStreamTable)))};
  if (walk.table != nullptr) {
    GuardedCall(0, [&] {
      ogg_sync_init(&walk.sync);
      WalkOggPages(&walk);
      return 0;
    });
    GuardedCall(0, [&] {
      EndOggWalk(&walk);
      return 0;
    });
    FreeAndNull(&walk.table);
  }
  CloseRangeFile(&file);
}
