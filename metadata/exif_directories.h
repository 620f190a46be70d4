// The EXIF segment of a JPEG file: "Exif", two zero bytes, then a TIFF structure in either byte order whose
// directories of 12-byte entries hold the values. Used by the EXIF reader (metadata/exif_info.h).
//
// Walking rules that keep hostile files harmless: every value, count and directory is checked to lie inside
// the TIFF data with sums that cannot wrap; each directory is read at most once and at most
// kExifDirectoryLimit directories are read per segment; nesting stops at depth 5.
#pragma once
#include <cstdint>

struct ExifInfo;

constexpr int kExifDirectoryLimit = 64;

// Numbers of the EXIF record become integers this way: truncated towards zero, held to the 32-bit range,
// NaN giving 0.
int32_t TruncateToInt32(double value);

// Reads the APP1 segment data (after its two length bytes) into `info`. Data that is not an EXIF block, or
// is shorter than its 14-byte header, leaves `info` as it was.
void ParseExifApp1(const uint8_t* data, uint32_t length, ExifInfo* info);
