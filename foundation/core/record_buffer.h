// Growable blocks of packed records, and scratch buffers that live inline until a text outgrows them.
//
// A RecordBuffer holds variable-length records back to back in one heap block. It only appends and closes
// gaps. Lists are painted straight out of such blocks without a lock, so every operation that moves the
// block's bytes (growing into a new block, closing a gap) runs on the GUI thread unless the buffer's
// grow-here flag is set; with no main window, or on the GUI thread itself, it runs on the calling thread.
#pragma once
#include <cstdint>

#include "foundation/core/threads.h"

constexpr uint32_t kRecordBufferFirstBlock = 16384;
constexpr uint32_t kRecordBufferGrowth = 1048576;

struct RecordBuffer {
  uint8_t* data;      // null until the first append
  uint32_t count;     // records appended and not removed
  uint32_t capacity;  // bytes in the block
  uint32_t used;      // bytes in use from the start of the block
  uint8_t growHere;   // non-zero: grow and close gaps on the calling thread
};

// Zeroes the record and sets the grow-here flag.
void RecordBufferInit(RecordBuffer* buffer, bool growHere);

// Appends n bytes as one record (with no source, the n bytes as they stand in the block). 0 on success;
// 1 when the block cannot take them, and then the records held before stay as they were.
int RecordBufferAppend(RecordBuffer* buffer, const void* bytes, uint32_t n);

// Appends n bytes as one record only when the block can take them as it stands, so that it does not move. 0 on
// success; 1 when there is no block yet or no room (nothing changes then).
int RecordBufferAppendInPlace(RecordBuffer* buffer, const void* bytes, uint32_t n);

// Appends a wide text with its terminator as one record and returns the append's result. A null text
// appends an empty text when the buffer already has a block, and returns -1.
int RecordBufferAppendString(RecordBuffer* buffer, const wchar_t* text);

// Closes the gap of n bytes at offset (n is cut to the bytes in use) and counts one record less. Nothing
// happens when there is no block or the offset is not below the bytes in use.
void RecordBufferRemoveBytes(RecordBuffer* buffer, uint32_t offset, uint32_t n);

// Forgets every record; the block is kept for reuse.
void RecordBufferReset(RecordBuffer* buffer);

uint32_t RecordBufferCount(const RecordBuffer* buffer);
uint32_t RecordBufferUsedBytes(const RecordBuffer* buffer);
uint8_t* RecordBufferData(const RecordBuffer* buffer);

// A new zero-filled heap block holding the used bytes plus 4 zero bytes (so a text in it ends in at least
// two zero characters); null when nothing is used or the allocation fails. The caller frees it.
void* RecordBufferCopyOut(const RecordBuffer* buffer);

// Frees the block and zeroes the record.
void RecordBufferDestroy(RecordBuffer* buffer);

// For containers built on a buffer (the item store) that must move bytes and fix their own bookkeeping
// in one step, so that a reader on the GUI thread never sees one without the other:

// Runs job(argument) where the buffer's bytes may move: on the calling thread with the grow-here flag,
// else on the GUI thread.
void RecordBufferRunWhereBytesMayMove(const RecordBuffer* buffer, GuiThreadFunction job, void* argument);

// Appends n bytes after the used ones without counting a record. 0 on success, 1 when the block cannot
// take them (nothing changes then).
int RecordBufferAppendBytes(RecordBuffer* buffer, const void* bytes, uint32_t n);
// Makes room for n more bytes at once, for a writer that knows about how much will follow. 0, or 1 when the
// block could not grow (it is kept as it was).
int RecordBufferReserveBytes(RecordBuffer* buffer, uint32_t n);

// Moves the bytes above offset + n down to offset on the calling thread and lowers the used bytes; the
// record count is not touched. Returns the number of bytes removed (n cut to the bytes in use). Call it
// only inside RecordBufferRunWhereBytesMayMove.
uint32_t RecordBufferCloseGapHere(RecordBuffer* buffer, uint32_t offset, uint32_t n);

// Sets the record count so that a reader on another thread that sees the new count also sees the bytes
// and bookkeeping written before.
void RecordBufferPublishCount(RecordBuffer* buffer, uint32_t count);

// Where the blocks of every buffer come from: zero-filled blocks, null on failure (AllocZeroed unless
// replaced). Tests replace it to make a growth fail; null restores AllocZeroed. Returns the previous one.
using RecordBufferAllocator = void* (*)(uint32_t size);
RecordBufferAllocator SetRecordBufferAllocator(RecordBufferAllocator allocator);

// A scratch buffer for texts of any size: inline storage up to kInlineTextBytes, a heap block above.
constexpr uint32_t kInlineTextBytes = 8194;

struct InlineTextBuffer {
  uint8_t* data;      // the inline storage, a heap block, or null
  uint32_t capacity;  // bytes at data
  uint8_t inlineBytes[kInlineTextBytes];
};

// Zeroes the whole record: no storage.
void InitInlineTextBuffer(InlineTextBuffer* buffer);

// Storage for n bytes, zero-filled: none for 0, the inline storage up to kInlineTextBytes, a new heap
// block above (null when the heap refuses). Storage held before is released first.
void* ReserveInlineTextBuffer(InlineTextBuffer* buffer, uint32_t n);

// n + 1 zero bytes: storage that is too small is released first, storage large enough is reused.
char* PrepareInlineTextBuffer(InlineTextBuffer* buffer, uint32_t n);

// n wide characters and a terminator (2n + 2 zero bytes), by the same rule.
wchar_t* PrepareInlineWideBuffer(InlineTextBuffer* buffer, uint32_t n);

// Frees a heap block; afterwards the buffer has no storage.
void ReleaseInlineTextBuffer(InlineTextBuffer* buffer);
inline void WideBufferFree(InlineTextBuffer* buffer) { ReleaseInlineTextBuffer(buffer); }
