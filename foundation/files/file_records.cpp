#include "foundation/files/file_records.h"

#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/core/threads.h"

namespace {

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
