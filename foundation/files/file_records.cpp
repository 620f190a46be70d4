#include "foundation/files/file_records.h"

#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/core/threads.h"

namespace {

bool IsOpen(const BufferedFile* file) { return file && file->handle != INVALID_HANDLE_VALUE && file->handle; }

}  // namespace

void InitMappedFile(MappedFile* file) {
  if (!file) return;
  file->file = INVALID_HANDLE_VALUE;
  file->mapping = INVALID_HANDLE_VALUE;
  file->view = nullptr;
  file->size = 0;
}

void CloseMappedFile(MappedFile* file) {
  if (!file) return;
  if (file->view) UnmapViewOfFile(file->view);
  CloseHandleSafe(file->mapping);
  CloseHandleSafe(file->file);
  InitMappedFile(file);
}

const uint8_t* MappedFilePointer(const MappedFile* file, uint64_t offset, uint64_t length) {
  // Offsets come from file contents, so neither may lead outside the view, nor may their sum wrap.
  if (!file || !file->view || offset > file->size || length > file->size - offset) return nullptr;
  return file->view + offset;
}

uint32_t MappedFileSize32(const MappedFile* file) {
  if (!file) return 0;
  return file->size > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(file->size);
}

void CloseMappedFileView(void** view, HANDLE* mapping) {
  if (view && *view) UnmapViewOfFile(*view);
  if (view) *view = nullptr;
  if (mapping) {
    CloseHandleSafe(*mapping);
    *mapping = nullptr;
  }
}

void InitBufferedFile(BufferedFile* file) {
  if (!file) return;
  file->handle = INVALID_HANDLE_VALUE;
  memset(&file->wholeFile, 0, sizeof(BufferedFile) - offsetof(BufferedFile, wholeFile));
}

void CloseBufferedFile(BufferedFile* file) {
  if (!file) return;
  FreeAndNull(&file->wholeFile);
  file->wholeFileSize = 0;
  file->wholeFilePosition = 0;
  CloseHandleSafe(file->handle);
  file->handle = INVALID_HANDLE_VALUE;
}

int BufferedFileSetEnd(BufferedFile* file) {
  if (!IsOpen(file)) return -1;
  return SetEndOfFile(file->handle) ? 0 : -1;
}

int BufferedFileSetTimes(BufferedFile* file, const FILETIME* creation, const FILETIME* lastAccess,
                         const FILETIME* lastWrite) {
  if (!IsOpen(file)) return -1;
  if (!creation && !lastAccess && !lastWrite) return 0;
  return SetFileTime(file->handle, creation, lastAccess, lastWrite) ? 0 : -1;
}
