// Heap blocks of the program. Every part allocates through AllocZeroed and frees through FreeAndNull, so
// that a block is always zero-filled when it arrives and its pointer slot is cleared when it goes.
#pragma once
#include <cstdint>

// A new zero-filled block of `size` bytes; null when the size is 0 or the heap refuses.
void* AllocZeroed(uint32_t size);

// A new zero-filled block of `count` UTF-16 characters; null when the count is 0 or the heap refuses.
wchar_t* AllocZeroedWide(uint32_t count);

// Frees the block a pointer slot holds and sets the slot to null. A null slot, or a slot holding null,
// is left alone.
void FreeAndNull(void* slot);

// Typed convenience over FreeAndNull, so callers need no cast of their slot.
template <typename T>
inline void FreeAndNull(T** slot) {
  FreeAndNull(static_cast<void*>(slot));
}
