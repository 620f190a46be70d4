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

// The address of `length` bytes at `offset` of the view; null when there is no view or the bytes would
// reach past the end of the file.
const uint8_t* MappedFilePointer(const MappedFile* file, uint64_t offset, uint64_t length);

// The size, 0xFFFFFFFF for files of 4 GB and more.
uint32_t MappedFileSize32(const MappedFile* file);

// Unmaps a view of named shared memory and closes its mapping; both slots are cleared.
void CloseMappedFileView(void** view, HANDLE* mapping);

void InitBufferedFile(BufferedFile* file);

// Frees the whole-file copy and closes the file; the record is closed afterwards.
void CloseBufferedFile(BufferedFile* file);

// Ends the file at the current position. 0, or -1 on failure or for a closed record.
int BufferedFileSetEnd(BufferedFile* file);

// Sets those of the three times that are given (nothing when none is). 0, or -1 on failure or for a closed
// record.
int BufferedFileSetTimes(BufferedFile* file, const FILETIME* creation, const FILETIME* lastAccess,
                         const FILETIME* lastWrite);
