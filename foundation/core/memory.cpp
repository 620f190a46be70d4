#include "foundation/core/memory.h"

#include <malloc.h>

#include <cstdlib>

#include "foundation/core/guard.h"

void* AllocZeroed(uint32_t size) {
  if (size == 0) return nullptr;
  return calloc(1, size);
}

wchar_t* AllocZeroedWide(uint32_t count) {
  if (count == 0 || count > UINT32_MAX / sizeof(wchar_t)) return nullptr;
  return static_cast<wchar_t*>(AllocZeroed(count * static_cast<uint32_t>(sizeof(wchar_t))));
}

void FreeAndNull(void* slot) {
  if (slot == nullptr) return;
  void** holder = static_cast<void**>(slot);
  void* block = *holder;
  if (block == nullptr) return;
  // A block the heap does not know (size 0) is not freed; a fault while asking or freeing leaves the slot
  // as it was instead of ending the program.
  GuardedCall(false, [block, holder] {
    if (_msize(block) != 0) free(block);
    *holder = nullptr;
    return true;
  });
}
