#include "foundation/core/record_buffer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>

#include "foundation/core/guard.h"
#include "foundation/core/memory.h"

namespace {

RecordBufferAllocator g_allocator = AllocZeroed;

struct GrowJob {
  RecordBuffer* buffer;
  uint32_t newCapacity;
  int result;
};

struct GapJob {
  RecordBuffer* buffer;
  uint32_t offset;
  uint32_t length;
};

// Moves the whole old block (also the bytes beyond the used ones) into a larger zero-filled one.
LRESULT GrowBlock(void* argument) {
  GrowJob* job = static_cast<GrowJob*>(argument);
  RecordBuffer* buffer = job->buffer;
  uint8_t* block = static_cast<uint8_t*>(g_allocator(job->newCapacity));
  if (!block) return 0;
  memcpy(block, buffer->data, buffer->capacity);
  uint8_t* old = buffer->data;
  buffer->data = block;
  buffer->capacity = job->newCapacity;
  FreeAndNull(&old);
  job->result = 0;
  return 1;
}

LRESULT RemoveRecordBytes(void* argument) {
  GapJob* job = static_cast<GapJob*>(argument);
  RecordBuffer* buffer = job->buffer;
  RecordBufferCloseGapHere(buffer, job->offset, job->length);
  uint32_t count = RecordBufferCount(buffer);
  if (count > 0) RecordBufferPublishCount(buffer, count - 1);
  return 1;
}

int AllocateFirstBlock(RecordBuffer* buffer, uint32_t n) {
  uint32_t size = std::max(kRecordBufferFirstBlock, n);
  buffer->data = static_cast<uint8_t*>(g_allocator(size));
  buffer->count = 0;
  buffer->used = 0;
  buffer->capacity = buffer->data ? size : 0;
  return buffer->data ? 0 : 1;
}

// Makes room for n more bytes; 0 when they fit, 1 when the block could not grow (it is kept as it was).
int ReserveBytes(RecordBuffer* buffer, uint32_t n) {
  if (!buffer->data) return AllocateFirstBlock(buffer, n);
  if (n <= buffer->capacity - buffer->used) return 0;
  uint64_t least = static_cast<uint64_t>(buffer->capacity) + std::max(kRecordBufferGrowth, n);
  if (least > UINT32_MAX) return 1;
  // Growing by half the block once it is large keeps the copying of a growing list linear in its size.
  uint64_t newCapacity = std::max<uint64_t>(least, std::min<uint64_t>(buffer->capacity + buffer->capacity / 2ull,
                                                                      UINT32_MAX));
  GrowJob job{buffer, static_cast<uint32_t>(newCapacity), 1};
  RecordBufferRunWhereBytesMayMove(buffer, GrowBlock, &job);
  return job.result;
}

// Appends n bytes after the used ones. A source inside the block itself is found again after a growth,
// which frees the old block.
int PlaceBytes(RecordBuffer* buffer, const void* bytes, uint32_t n) {
  const uint8_t* source = static_cast<const uint8_t*>(bytes);
  const uint8_t* oldBlock = buffer->data;
  bool insideBlock = source && oldBlock && source >= oldBlock && source < oldBlock + buffer->capacity;
  size_t sourceOffset = insideBlock ? static_cast<size_t>(source - oldBlock) : 0;
  if (ReserveBytes(buffer, n) != 0) return 1;
  if (insideBlock) source = buffer->data + sourceOffset;
  if (source) memmove(buffer->data + buffer->used, source, n);
  buffer->used += n;
  return 0;
}

void* PrepareZeroedBytes(InlineTextBuffer* buffer, uint64_t needed) {
  if (needed > UINT32_MAX) return nullptr;
  if (buffer->capacity != 0 && buffer->capacity < needed) ReleaseInlineTextBuffer(buffer);
  if (buffer->capacity == 0) return ReserveInlineTextBuffer(buffer, static_cast<uint32_t>(needed));
  memset(buffer->data, 0, needed);
  return buffer->data;
}

}  // namespace

void RecordBufferInit(RecordBuffer* buffer, bool growHere) {
  *buffer = RecordBuffer{};
  buffer->growHere = growHere ? 1 : 0;
}

int RecordBufferAppend(RecordBuffer* buffer, const void* bytes, uint32_t n) {
  return GuardedCall(1, [&] {
    if (PlaceBytes(buffer, bytes, n) != 0) return 1;
    RecordBufferPublishCount(buffer, buffer->count + 1);
    return 0;
  });
}

int RecordBufferAppendInPlace(RecordBuffer* buffer, const void* bytes, uint32_t n) {
  if (!buffer->data || n > buffer->capacity - buffer->used) return 1;
  return RecordBufferAppend(buffer, bytes, n);
}

int RecordBufferAppendString(RecordBuffer* buffer, const wchar_t* text) {
  static const wchar_t kEmptyText[1] = {0};
  if (!text) {
    if (buffer->data) RecordBufferAppend(buffer, kEmptyText, sizeof kEmptyText);
    return -1;
  }
  size_t length = wcslen(text);
  if (length >= UINT32_MAX / sizeof(wchar_t)) return 1;
  return RecordBufferAppend(buffer, text, static_cast<uint32_t>((length + 1) * sizeof(wchar_t)));
}

void RecordBufferRemoveBytes(RecordBuffer* buffer, uint32_t offset, uint32_t n) {
  if (!buffer->data || offset >= buffer->used) return;
  GapJob job{buffer, offset, n};
  RecordBufferRunWhereBytesMayMove(buffer, RemoveRecordBytes, &job);
}

void RecordBufferReset(RecordBuffer* buffer) {
  RecordBufferPublishCount(buffer, 0);
  buffer->used = 0;
}

uint32_t RecordBufferCount(const RecordBuffer* buffer) {
  return std::atomic_ref<uint32_t>(const_cast<RecordBuffer*>(buffer)->count).load(std::memory_order_acquire);
}

uint32_t RecordBufferUsedBytes(const RecordBuffer* buffer) { return buffer->used; }

uint8_t* RecordBufferData(const RecordBuffer* buffer) { return buffer->data; }

void* RecordBufferCopyOut(const RecordBuffer* buffer) {
  if (!buffer->data || buffer->used == 0 || buffer->used > UINT32_MAX - 4) return nullptr;
  void* copy = AllocZeroed(buffer->used + 4);
  if (copy) memcpy(copy, buffer->data, buffer->used);
  return copy;
}

void RecordBufferDestroy(RecordBuffer* buffer) {
  FreeAndNull(&buffer->data);
  *buffer = RecordBuffer{};
}

void RecordBufferRunWhereBytesMayMove(const RecordBuffer* buffer, GuiThreadFunction job, void* argument) {
  if (buffer->growHere) {
    job(argument);
  } else {
    RunOnGuiThread(job, argument);
  }
}

int RecordBufferAppendBytes(RecordBuffer* buffer, const void* bytes, uint32_t n) {
  return GuardedCall(1, [&] { return PlaceBytes(buffer, bytes, n); });
}

int RecordBufferReserveBytes(RecordBuffer* buffer, uint32_t n) {
  return GuardedCall(1, [&] { return ReserveBytes(buffer, n); });
}

uint32_t RecordBufferCloseGapHere(RecordBuffer* buffer, uint32_t offset, uint32_t n) {
  if (!buffer->data || offset >= buffer->used) return 0;
  uint32_t length = std::min(n, buffer->used - offset);
  memmove(buffer->data + offset, buffer->data + offset + length, buffer->used - offset - length);
  buffer->used -= length;
  return length;
}

void RecordBufferPublishCount(RecordBuffer* buffer, uint32_t count) {
  std::atomic_ref<uint32_t>(buffer->count).store(count, std::memory_order_release);
}

RecordBufferAllocator SetRecordBufferAllocator(RecordBufferAllocator allocator) {
  RecordBufferAllocator previous = g_allocator;
  g_allocator = allocator ? allocator : AllocZeroed;
  return previous;
}

void InitInlineTextBuffer(InlineTextBuffer* buffer) { memset(buffer, 0, sizeof *buffer); }

void* ReserveInlineTextBuffer(InlineTextBuffer* buffer, uint32_t n) {
  ReleaseInlineTextBuffer(buffer);
  if (n == 0) return nullptr;
  if (n <= kInlineTextBytes) {
    memset(buffer->inlineBytes, 0, sizeof buffer->inlineBytes);
    buffer->data = buffer->inlineBytes;
  } else {
    buffer->data = static_cast<uint8_t*>(AllocZeroed(n));
  }
  buffer->capacity = buffer->data ? n : 0;
  return buffer->data;
}

char* PrepareInlineTextBuffer(InlineTextBuffer* buffer, uint32_t n) {
  return static_cast<char*>(PrepareZeroedBytes(buffer, static_cast<uint64_t>(n) + 1));
}

wchar_t* PrepareInlineWideBuffer(InlineTextBuffer* buffer, uint32_t n) {
  return static_cast<wchar_t*>(PrepareZeroedBytes(buffer, (static_cast<uint64_t>(n) + 1) * sizeof(wchar_t)));
}

void ReleaseInlineTextBuffer(InlineTextBuffer* buffer) {
  if (buffer->capacity > kInlineTextBytes) FreeAndNull(&buffer->data);
  buffer->data = nullptr;
  buffer->capacity = 0;
}
