#include "metadata/id3_tags.h"

#include <windows.h>

#include <cstring>

#include "foundation/text/numbers.h"
#include "foundation/text/text_encoding.h"
#include "metadata/audio_genres.h"
#include "metadata/audio_tags.h"
#include "metadata/audio_text.h"
#include "metadata/byte_reads.h"
#include "metadata/file_ranges.h"
#include "metadata/id3_text.h"

const Id3FrameEntry Id3FrameTable[] = {
    {"COMM", "COM", Id3Target::Comment, false},
    {"TALB", "TAL", Id3Target::Album, false},
    {"TBPM", "TBP", Id3Target::Bpm, true},
    {"TCON", "TCO", Id3Target::Genre, false},
    {"TIT2", "TT2", Id3Target::Title, false},
    {"TIT3", "TT3", Id3Target::Subtitle, false},
    {"TOAL", "TOT", Id3Target::Album, false},
    {"TOPE", "TOA", Id3Target::Artist, false},
    {"TORY", "TOR", Id3Target::Year, true},
    {"TPE1", "TP1", Id3Target::Artist, false},
    {"TPE4", "TP4", Id3Target::Artist, false},
    {"TRCK", "TRK", Id3Target::Track, true},
    {"TYER", "TYE", Id3Target::Year, true},
    // Version 2.4 replaced the year frame by the recording time ("2001-05-01"), whose first four
    // characters are the year.
    {"TDRC", "", Id3Target::Year, true},
};
const int kId3FrameTableSize = static_cast<int>(sizeof(Id3FrameTable) / sizeof(Id3FrameTable[0]));

namespace {

constexpr uint32_t kId3HeaderBytes = 10;
constexpr uint8_t kTagUnsynchronised = 0x80;
constexpr uint8_t kTagExtendedHeader = 0x40;
constexpr int kVersion22 = 0, kVersion221 = 1, kVersion23 = 2, kVersion24 = 3;
// Body bytes read from a text frame: enough for the longest field in any encoding after a comment's
// language and description.
constexpr uint32_t kFrameBodyBytes = 2048;
// A grouping byte and a data length may come before a version 2.4 frame's text.
constexpr uint32_t kFramePrefixLimit = 5;

struct Id3Version {
  uint8_t major;
  uint8_t revision;
  int32_t idLength;
  int32_t sizeLength;
  int32_t flagsLength;
};
constexpr Id3Version kId3Versions[] = {{2, 0, 3, 3, 0}, {2, 1, 3, 3, 0}, {3, 0, 4, 4, 2}, {4, 0, 4, 4, 2}};

// How a frame's body is stored.
struct FrameLayout {
  uint32_t prefixBytes;  // grouping byte and data length before the text
  bool unreadable;       // compressed or encrypted
  bool unsynchronised;   // a version 2.4 frame with its own unsynchronisation
};

struct Id3WalkState {
  AudioTagInfo* info;
  wchar_t subtitle[kAudioTextCapacity];
  wchar_t genre[kAudioTextCapacity];
  bool commentDescribed;  // the comment came from a comment frame with a description
};

uint32_t SyncsafeValue(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0] & 0x7F) << 21 | static_cast<uint32_t>(bytes[1] & 0x7F) << 14 |
         static_cast<uint32_t>(bytes[2] & 0x7F) << 7 | (bytes[3] & 0x7F);
}

bool IsFrameIdChar(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// True when a frame of version 2.4 ending at `offset` is followed by the tag end, padding or a frame id.
bool LandsOnFrame(RangeFile* file, uint64_t offset, uint64_t tagEnd) {
  if (offset == tagEnd) return true;
  uint8_t id[4];
  if (!RangeInside(offset, 4, tagEnd) || ReadFileRange(file, offset, id, 4) != 0) return false;
  return id[0] == 0 || (IsFrameIdChar(id[0]) && IsFrameIdChar(id[1]) && IsFrameIdChar(id[2]) && IsFrameIdChar(id[3]));
}

// Version 2.4 stores frame sizes syncsafe; some writers stored them plainly, as in 2.3. The plain reading
// is taken when only it lands on the next frame.
uint64_t Version24FrameSize(RangeFile* file, uint64_t bodyStart, uint64_t tagEnd, const uint8_t* sizeBytes) {
  const uint32_t plain = ReadU32Be(sizeBytes);
  const bool syncsafe = (plain & 0x80808080) == 0;
  const uint32_t safe = SyncsafeValue(sizeBytes);
  if (syncsafe && (safe == plain || LandsOnFrame(file, bodyStart + safe, tagEnd))) return safe;
  if (!syncsafe || LandsOnFrame(file, bodyStart + plain, tagEnd)) return plain;
  return safe;
}

uint64_t FrameSize(RangeFile* file, const Id3v2TagHeader& header, const Id3Stream& stream, const uint8_t* sizeBytes) {
  if (header.versionIndex == kVersion24) return Version24FrameSize(file, stream.position, header.tagEnd, sizeBytes);
  return ReadBigEndianUInt(sizeBytes, header.sizeLength);
}

FrameLayout LayoutOf(const Id3v2TagHeader& header, const uint8_t* flags) {
  if (header.versionIndex == kVersion23) {
    return FrameLayout{flags[1] & 0x20 ? 1u : 0u, (flags[1] & 0xC0) != 0, false};
  }
  if (header.versionIndex == kVersion24) {
    const uint32_t prefix = (flags[1] & 0x40 ? 1u : 0u) + (flags[1] & 0x01 ? 4u : 0u);
    const bool unsynchronised = (flags[1] & 0x02) != 0 || (header.flags & kTagUnsynchronised) != 0;
    return FrameLayout{prefix, (flags[1] & 0x0C) != 0, unsynchronised};
  }
  return FrameLayout{0, false, false};
}

// Moves the stream past an extended header; false when it does not fit in the tag.
bool SkipExtendedHeader(const Id3v2TagHeader& header, Id3Stream* stream) {
  if (header.versionIndex < kVersion23 || !(header.flags & kTagExtendedHeader)) return true;
  uint8_t sizeBytes[4];
  if (!Id3StreamRead(stream, sizeBytes, 4)) return false;
  if (header.versionIndex == kVersion23) return Id3StreamSkip(stream, ReadU32Be(sizeBytes));
  const uint32_t size = SyncsafeValue(sizeBytes);
  return size >= 4 && Id3StreamSkip(stream, size - 4);
}

// The text field a frame fills (all of kAudioTextCapacity); null for the numbers and the comment.
wchar_t* TextTarget(Id3WalkState* state, Id3Target target) {
  AudioTagInfo* info = state->info;
  switch (target) {
    case Id3Target::Title:
      return info->title;
    case Id3Target::Artist:
      return info->artist;
    case Id3Target::Album:
      return info->album;
    case Id3Target::Subtitle:
      return state->subtitle;
    case Id3Target::Genre:
      return state->genre;
    default:
      return nullptr;
  }
}

bool WantsFrame(Id3WalkState* state, const Id3FrameEntry& entry) {
  if (entry.lastWins) return true;
  if (entry.target == Id3Target::Comment) return state->info->comment[0] == 0 || state->commentDescribed;
  return TextTarget(state, entry.target)[0] == 0;
}

// A comment frame: encoding, language, description, text. A comment without description is the one players
// show; one with a description (often a player's private data) fills the comment only while there is none.
void StoreComment(const uint8_t* body, size_t length, Id3WalkState* state) {
  if (length < 4) return;
  wchar_t description[2];
  const size_t taken = DecodeId3String(body[0], body + 4, length - 4, description, 2);
  const bool described = description[0] != 0;
  if (described && state->info->comment[0] != 0) return;
  DecodeId3String(body[0], body + 4 + taken, length - 4 - taken, state->info->comment, kAudioTextCapacity);
  state->commentDescribed = described;
}

void StoreNumber(Id3Target target, const wchar_t* text, AudioTagInfo* info) {
  if (target == Id3Target::Bpm) info->bpm = ParseSmallNumber(text);
  if (target == Id3Target::Year) info->year = ParseYear(text, 4);
  if (target == Id3Target::Track) ParseTrackNumber(text, &info->track, &info->trackTotal);
}

void StoreFrameText(const Id3FrameEntry& entry, const uint8_t* body, size_t length, Id3WalkState* state) {
  if (length == 0) return;
  if (entry.target == Id3Target::Comment) return StoreComment(body, length, state);
  wchar_t* target = TextTarget(state, entry.target);
  if (target != nullptr) {
    DecodeId3String(body[0], body + 1, length - 1, target, kAudioTextCapacity);
    return;
  }
  wchar_t text[kAudioTextCapacity];
  DecodeId3String(body[0], body + 1, length - 1, text, kAudioTextCapacity);
  StoreNumber(entry.target, text, state->info);
}

// Reads the start of a frame's body from a copy of the stream, so that the walk skips the body by its size.
void ReadFrameBody(const Id3Stream& stream, const FrameLayout& layout, uint64_t size, const Id3FrameEntry& entry,
                   Id3WalkState* state) {
  if (layout.unreadable) return;
  Id3Stream reader = stream;
  uint8_t body[kFramePrefixLimit + kFrameBodyBytes];
  const uint64_t want = size < layout.prefixBytes + kFrameBodyBytes ? size : layout.prefixBytes + kFrameBodyBytes;
  const uint64_t got = Id3StreamTake(&reader, body, want);
  if (got <= layout.prefixBytes) return;
  uint8_t* text = body + layout.prefixBytes;
  size_t length = static_cast<size_t>(got - layout.prefixBytes);
  if (layout.unsynchronised) length = RemoveUnsynchronisation(text, length);
  StoreFrameText(entry, text, length, state);
}

void FinishId3Walk(Id3WalkState* state) {
  AudioTagInfo* info = state->info;
  if (info->title[0] == 0) SetTagText(info->title, state->subtitle);
  if (state->genre[0] == 0) return;
  NormaliseId3Genre(state->genre, kAudioTextCapacity);
  SetTagText(info->genre, state->genre);
}

// "n", or "(n)" when parenthesised; the length.
size_t RenderGenreNumber(int32_t value, bool parenthesised, wchar_t* text) {
  wchar_t digits[13];
  IntToWideDecimal(value, digits, 13);
  CopyWideBounded(parenthesised ? L"(" : L"", text, 16);
  AppendWideBounded(digits, text, 16);
  if (parenthesised) AppendWideBounded(L")", text, 16);
  return wcslen(text);
}

void SetGenreByNumber(int32_t number, wchar_t* genre, int capacity) {
  const wchar_t* name = GenreNameAt(number);
  CopyWideString(name != nullptr ? name : L"", genre, capacity);
}

// Id3v1 text fields: up to the first zero byte, trailing blanks removed, in the active code page.
void Id3v1FieldToWide(const uint8_t* field, int length, wchar_t* target, int capacity) {
  char text[31];
  memcpy(text, field, static_cast<size_t>(length));
  text[length] = 0;
  TrimTrailingSpacesNarrow(text);
  MultiByteToWideBounded(text, target, capacity, CP_ACP);
}

template <int N>
void FillIfEmpty(wchar_t (&field)[N], const uint8_t* bytes, int length) {
  if (field[0] == 0) Id3v1FieldToWide(bytes, length, field, N);
}

}  // namespace

int FindId3FrameIndex(const uint8_t* id, int idLength) {
  for (int i = 0; i < kId3FrameTableSize; ++i) {
    const char* form = idLength == 3 ? Id3FrameTable[i].shortId : Id3FrameTable[i].id;
    if (strlen(form) == static_cast<size_t>(idLength) && memcmp(form, id, static_cast<size_t>(idLength)) == 0) return i;
  }
  return -1;
}

bool ReadId3v2Header(RangeFile* file, Id3v2TagHeader* header) {
  uint8_t bytes[kId3HeaderBytes];
  if (ReadFileRange(file, 0, bytes, kId3HeaderBytes) != 0 || memcmp(bytes, "ID3", 3) != 0) return false;
  for (int index = 0; index < 4; ++index) {
    const Id3Version& version = kId3Versions[index];
    if (bytes[3] != version.major || bytes[4] != version.revision) continue;
    *header = Id3v2TagHeader{index,
                             version.idLength,
                             version.sizeLength,
                             version.flagsLength,
                             bytes[5],
                             kId3HeaderBytes + static_cast<uint64_t>(SyncsafeValue(bytes + 6))};
    return true;
  }
  return false;
}

void ReadId3v2Frames(RangeFile* file, const Id3v2TagHeader& header, AudioTagInfo* info) {
  Id3WalkState state{info, {}, {}, false};
  // Versions 2.2 and 2.3 unsynchronise the whole tag, 2.4 each frame on its own.
  const bool wholeTag = header.versionIndex <= kVersion23 && (header.flags & kTagUnsynchronised) != 0;
  Id3Stream stream{file, kId3HeaderBytes, header.tagEnd, wholeTag, false};
  const uint32_t headLength = static_cast<uint32_t>(header.idLength + header.sizeLength + header.flagsLength);
  uint8_t head[10];
  bool more = SkipExtendedHeader(header, &stream);
  while (more && Id3StreamRead(&stream, head, headLength) && head[0] != 0) {
    const uint64_t size = FrameSize(file, header, stream, head + header.idLength);
    const int index = FindId3FrameIndex(head, header.idLength);
    if (index >= 0 && WantsFrame(&state, Id3FrameTable[index])) {
      ReadFrameBody(stream, LayoutOf(header, head + header.idLength + header.sizeLength), size, Id3FrameTable[index],
                    &state);
    }
    // A frame that reaches past the tag ends the walk.
    more = Id3StreamSkip(&stream, size);
  }
  FinishId3Walk(&state);
}

void NormaliseId3Genre(wchar_t* genre, int capacity) {
  const bool parenthesised = genre[0] == L'(';
  if (!parenthesised && (genre[0] < L'0' || genre[0] > L'9')) return;
  const int32_t value = WideToLong(genre + (parenthesised ? 1 : 0));
  wchar_t number[16];
  const size_t length = RenderGenreNumber(value, parenthesised, number);
  if (wcsncmp(genre, number, length) != 0) return;
  if (genre[length] == 0) return SetGenreByNumber(value, genre, capacity);
  if (parenthesised) memmove(genre, genre + length, (wcslen(genre + length) + 1) * sizeof(wchar_t));
}

bool IsId3v1Tag(const uint8_t* bytes) { return memcmp(bytes, "TAG", 3) == 0; }

void ParseId3v1Tag(const uint8_t* tag, AudioTagInfo* info) {
  FillIfEmpty(info->title, tag + 3, 30);
  FillIfEmpty(info->artist, tag + 33, 30);
  FillIfEmpty(info->album, tag + 63, 30);
  wchar_t year[5];
  Id3v1FieldToWide(tag + 93, 4, year, 5);
  info->year = ParseYear(year, 4);
  const bool hasTrack = tag[125] == 0;
  FillIfEmpty(info->comment, tag + 97, hasTrack ? 28 : 30);
  if (hasTrack && info->track == 0) info->track = tag[126];
  const wchar_t* genre = GenreNameAt(tag[127]);
  if (info->genre[0] == 0 && genre != nullptr) SetTagText(info->genre, genre);
}
