// ID3 tags of MP3 files: the ID3v2 tag at the start (versions 2.2, 2.3 and 2.4, with extended header,
// unsynchronisation and padding) and the 128-byte ID3v1 tag at the end. The frames that carry the record's
// texts are listed in `Id3FrameTable`; each says which field it fills and whether the first or the last such
// frame in the tag wins. Texts are decoded by each frame's encoding byte (Latin-1, UTF-16 with either byte
// order mark, UTF-16BE, UTF-8).
#pragma once
#include <cstdint>

struct AudioTagInfo;
struct RangeFile;

constexpr uint32_t kId3v1TagBytes = 128;

// Where a frame's text goes.
enum class Id3Target : uint8_t { Comment, Album, Bpm, Genre, Title, Subtitle, Artist, Year, Track };

struct Id3FrameEntry {
  char id[5];       // versions 2.3 and 2.4
  char shortId[4];  // version 2.2; empty when the frame has none
  Id3Target target;
  bool lastWins;  // false: only the first such frame fills the field
};

extern const Id3FrameEntry Id3FrameTable[];
extern const int kId3FrameTableSize;

// The table row of a frame id of `idLength` (3 or 4) bytes; -1 when the reader does not use it.
int FindId3FrameIndex(const uint8_t* id, int idLength);

struct Id3v2TagHeader {
  int32_t versionIndex;  // 0 for 2.2.0, 1 for 2.2.1, 2 for 2.3.0, 3 for 2.4.0
  int32_t idLength;      // frame header: id, size and flags lengths
  int32_t sizeLength;
  int32_t flagsLength;
  uint8_t flags;    // the tag header's flags byte
  uint64_t tagEnd;  // file offset after the tag: 10 + the tag size; the frames (after any extended
                    // header) begin at 10
};

// Reads the tag header at the start of the file: false when there is none of a known version.
bool ReadId3v2Header(RangeFile* file, Id3v2TagHeader* header);

// Walks the frames of the tag and fills the record's texts, track, year and BPM; a title-less tag takes its
// subtitle as title, and the genre is given its name when it is a genre number.
void ReadId3v2Frames(RangeFile* file, const Id3v2TagHeader& header, AudioTagInfo* info);

// Gives a genre number its name: "(17)" and "17" become "Rock", "(17)Rock and Roll" keeps its text only, a
// number outside the table gives an empty genre; any other text stays.
void NormaliseId3Genre(wchar_t* genre, int capacity);

// True when the 128 bytes are an ID3v1 tag.
bool IsId3v1Tag(const uint8_t* bytes);
// Fills the fields that are still empty from an ID3v1 tag; its year always replaces the record's.
void ParseId3v1Tag(const uint8_t* tag, AudioTagInfo* info);
