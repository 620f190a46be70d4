// Byte ranges of a file, read by 64-bit offsets, for readers of untrusted file structures. The file is opened
// by its wide path (long paths included) and every read is checked against the file's size with the bounds
// rule of byte_reads.h, so no offset or count taken from the file can make a read wrap or pass the end.
// Small reads are served from a window of the file's bytes: a reader that walks headers and skips bodies
// touches the disk about once per window instead of once per field. A cursor adds the end of the structure
// being read (an atom, an object, a tag), which its reads may not pass either.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr uint32_t kRangeFileWindowBytes = 16384;

struct RangeFile {
  HANDLE handle;
  uint64_t size;
  uint64_t windowStart;
  uint32_t windowBytes;
  uint8_t window[kRangeFileWindowBytes];
};

// Opens `path` for reading (others may read and write it): 0, or the file layer's error with the record
// closed.
int OpenRangeFile(RangeFile* file, const wchar_t* path);
void CloseRangeFile(RangeFile* file);

// Exactly `count` bytes at `offset`: 0; ERROR_HANDLE_EOF when the range passes the end of the file; else the
// read's error.
int ReadFileRange(RangeFile* file, uint64_t offset, void* target, uint32_t count);

// Up to `count` bytes at `offset`, as many as the file holds there: the number copied (0 at or past the end
// and on a read error).
uint32_t ReadFileRangeUpTo(RangeFile* file, uint64_t offset, void* target, uint32_t count);

// A read position inside [position, end) of a file.
struct RangeCursor {
  RangeFile* file;
  uint64_t position;
  uint64_t end;
};

// A cursor over the whole file.
RangeCursor WholeFileCursor(RangeFile* file);
// A cursor over the next `count` bytes of `cursor` (cut at its end); `cursor` does not move.
RangeCursor SubCursor(const RangeCursor& cursor, uint64_t count);
// Bytes left before the cursor's end.
uint64_t CursorLeft(const RangeCursor& cursor);

// Exactly `count` bytes, moving on past them; false (the cursor unmoved) when they pass the cursor's end or
// the file's, or the read fails.
bool CursorRead(RangeCursor* cursor, void* target, uint32_t count);
// Moves on by `count` bytes; false (the cursor unmoved) when that passes the cursor's end.
bool CursorSkip(RangeCursor* cursor, uint64_t count);
