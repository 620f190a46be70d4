// The Windows version code: a small integer computed once that callers compare by ranges.
// 1-4 the 9x family, 5-8 NT 3.x to XP, 9-12 the Server 2003 family, 13-20 Vista to 8.1,
// 21-23 Windows 10 and 11, 24 anything else.
#pragma once
#include <cstdint>

// What the classification looks at, as GetVersionExW reports it.
struct WindowsVersionNumbers {
  uint32_t major;
  uint32_t minor;
  uint32_t build;
  uint32_t platformId;
  uint8_t productType;
  uint16_t suiteMask;
  bool serverR2;  // GetSystemMetrics(SM_SERVERR2) is non-zero
};

// The code of a version; the same numbers always give the same code.
int ClassifyWindowsVersion(const WindowsVersionNumbers& version);

// The code of the running system (GetVersionExW).
int GetWindowsVersionCode();

// GetWindowsVersionCode, asked of the system once per process.
int GetWindowsVersionCodeCached();

// The build number of the running system, low 28 bits.
uint32_t GetWindowsBuildNumber();
