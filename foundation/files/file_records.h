// The records of open files: a file read through a 4096-byte buffer, and a file mapped into memory. The
// file input and output layer reads and writes through them; here they are set up, sized and closed.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

constexpr uint32_t kBufferedFileBufferBytes = 4096;

// A file read through a buffer. A closed record holds INVALID_HANDLE_VALUE.
struct BufferedFile {
  HANDLE handle;
  uint8_t* wholeFile;          // whole-file copy in memory (AllocZeroed), null until loaded
  uint32_t wholeFileSize;
  uint32_t wholeFilePosition;  // read position in the copy
  int32_t textType;
  int32_t bufferPosition;      // next byte to hand out from the buffer
  int32_t bufferBytes;         // bytes the buffer holds
  uint8_t buffer[kBufferedFileBufferBytes];
};
// Everything after the handle is the record's 4128-byte read state.
static_assert(sizeof(BufferedFile) - offsetof(BufferedFile, wholeFile) == 4128,
              "the buffered file's read state is 4128 bytes");

// A file mapped into memory whole. Closed handles are INVALID_HANDLE_VALUE.
struct MappedFile {
  HANDLE file;
  HANDLE mapping;
  const uint8_t* view;
  uint64_t size;
};

void InitMappedFile(MappedFile* file);

// Unmaps the view, closes the mapping and the file, and leaves the record as InitMappedFile does.
void CloseMappedFile(MappedFile* file);

// Unmaps a view of named shared memory and closes its mapping; both slots are cleared.
void CloseMappedFileView(void** view, HANDLE* mapping);

void InitBufferedFile(BufferedFile* file);

// Frees the whole-file copy and closes the file; the record is closed afterwards.
void CloseBufferedFile(BufferedFile* file);
