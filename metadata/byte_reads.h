// Integers read from file bytes in either byte order, and the one bounds rule every metadata reader uses:
// a range is inside a block only when offset + count does not pass the block's size, computed so that no sum
// can wrap (file offsets and sizes come from untrusted files).
#pragma once
#include <cstdint>

// True when `count` bytes from `offset` lie within a block of `size` bytes.
constexpr bool RangeInside(uint64_t offset, uint64_t count, uint64_t size) {
  return offset <= size && count <= size - offset;
}

constexpr uint16_t ReadU16Le(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
constexpr uint16_t ReadU16Be(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
constexpr uint32_t ReadU32Le(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
constexpr uint32_t ReadU32Be(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}
constexpr uint64_t ReadU64Le(const uint8_t* p) {
  return static_cast<uint64_t>(ReadU32Le(p)) | static_cast<uint64_t>(ReadU32Le(p + 4)) << 32;
}
constexpr uint64_t ReadU64Be(const uint8_t* p) {
  return static_cast<uint64_t>(ReadU32Be(p)) << 32 | static_cast<uint64_t>(ReadU32Be(p + 4));
}

// Readers of files whose byte order is told by the file itself (TIFF's "II" and "MM").
inline uint16_t ReadU16(const uint8_t* p, bool bigEndian) { return bigEndian ? ReadU16Be(p) : ReadU16Le(p); }
inline uint32_t ReadU32(const uint8_t* p, bool bigEndian) { return bigEndian ? ReadU32Be(p) : ReadU32Le(p); }
