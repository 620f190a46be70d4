// The byte level of ID3v2 tags: reading tag data through the unsynchronisation scheme (a zero byte stuffed
// after every FF, so that no false MPEG sync appears inside the tag) and decoding the strings of text frames.
#pragma once
#include <cstddef>
#include <cstdint>

struct RangeFile;

// Tag data from `position` up to `end` (file offsets). When `unsynchronised`, the zero byte after each FF is
// not part of the data, so sizes count data bytes, not stored ones.
struct Id3Stream {
  RangeFile* file;
  uint64_t position;
  uint64_t end;
  bool unsynchronised;
  bool afterFF;  // the last stored byte taken was FF
};

// Takes up to `count` bytes of data into `target` (null: only moves on); the number taken, fewer when the tag
// or the file ends first.
uint64_t Id3StreamTake(Id3Stream* stream, uint8_t* target, uint64_t count);
// Exactly `count` bytes; false when the tag or the file ends first.
bool Id3StreamRead(Id3Stream* stream, uint8_t* target, uint32_t count);
bool Id3StreamSkip(Id3Stream* stream, uint64_t count);

// Removes the zero byte after each FF in place; the new length.
size_t RemoveUnsynchronisation(uint8_t* bytes, size_t length);

// Text encodings of ID3v2 frames.
constexpr uint8_t kId3Latin1 = 0, kId3Utf16 = 1, kId3Utf16Be = 2, kId3Utf8 = 3;

// Decodes one string of `length` bytes in `encoding` into `target` (cut to the capacity, surrogate pairs kept
// whole). The string ends at its terminator (a zero byte, or a zero unit in UTF-16) or at the end of the bytes.
// Encoding 1 takes its byte order from its mark (little-endian without one), encoding 2 is big-endian unless
// a mark says otherwise; Latin-1 and unknown encodings that begin with the mark FF FE are read as UTF-16LE, as older
// writers left them. The result is the number of bytes the string took, its terminator included.
size_t DecodeId3String(uint8_t encoding, const uint8_t* bytes, size_t length, wchar_t* target, int capacity);
