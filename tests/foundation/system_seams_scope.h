// Puts the real system calls back when a test that replaced some of them ends, also when it fails half-way.
#pragma once
#include "foundation/core/system_seams.h"

class SystemSeamsScope {
 public:
  SystemSeamsScope() = default;
  ~SystemSeamsScope() { RestoreSystemSeams(); }
  SystemSeamsScope(const SystemSeamsScope&) = delete;
  SystemSeamsScope& operator=(const SystemSeamsScope&) = delete;
};
