#include "foundation/packed_date.h"

PackedDateTime PackDateTime(const SYSTEMTIME& time) {
  return static_cast<PackedDateTime>(time.wSecond & 0x3F) | static_cast<PackedDateTime>(time.wMinute & 0x3F) << 6 |
         static_cast<PackedDateTime>(time.wHour & 0x1F) << 12 | static_cast<PackedDateTime>(time.wDay & 0x1F) << 17 |
         static_cast<PackedDateTime>(time.wMonth & 0x0F) << 22 | static_cast<PackedDateTime>(time.wYear) << 26;
}

SYSTEMTIME UnpackDateTime(PackedDateTime packed) {
  SYSTEMTIME time = {};
  time.wSecond = static_cast<WORD>(packed & 0x3F);
  time.wMinute = static_cast<WORD>((packed >> 6) & 0x3F);
  time.wHour = static_cast<WORD>((packed >> 12) & 0x1F);
  time.wDay = static_cast<WORD>(PackedDay(packed));
  time.wMonth = static_cast<WORD>((packed >> 22) & 0x0F);
  time.wYear = static_cast<WORD>(packed >> 26);
  return time;
}
