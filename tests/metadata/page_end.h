// Bytes placed so that their last one is the last readable byte before an inaccessible page: a reader that
// looks one byte too far faults at once.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

class PageEndBuffer {
 public:
  PageEndBuffer() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    page_ = system.dwPageSize;
    pages_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (pages_ != nullptr) VirtualProtect(pages_ + page_, page_, PAGE_NOACCESS, &old);
  }
  ~PageEndBuffer() {
    if (pages_ != nullptr) VirtualFree(pages_, 0, MEM_RELEASE);
  }
  PageEndBuffer(const PageEndBuffer&) = delete;
  PageEndBuffer& operator=(const PageEndBuffer&) = delete;

  bool Ready() const { return pages_ != nullptr; }
  size_t Capacity() const { return page_; }
  // A copy of `bytes` (at most a page) ending right before the inaccessible page.
  const uint8_t* Place(const std::string& bytes) {
    uint8_t* at = pages_ + page_ - bytes.size();
    memcpy(at, bytes.data(), bytes.size());
    return at;
  }

 private:
  size_t page_ = 0;
  uint8_t* pages_ = nullptr;
};
