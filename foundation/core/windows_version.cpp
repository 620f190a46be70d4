#include "foundation/core/windows_version.h"

#include <windows.h>

namespace {

constexpr int kOtherVersion = 24;
constexpr uint16_t kHomeServerSuite = 0x8000;
constexpr uint32_t kWindows11FirstBuild = 20000;
constexpr uint32_t kWin98SecondEditionBuild = 1998;

volatile LONG g_versionCode = 0;

int Classify9x(const WindowsVersionNumbers& v) {
  if (v.major != 4) return 2;
  if (v.minor == 90) return 4;
  // The 9x family keeps the build number in the low word.
  if (v.minor == 10 && (v.build & 0xFFFF) == kWin98SecondEditionBuild) return 3;
  return 2;
}

int ClassifyServer2003(const WindowsVersionNumbers& v) {
  if (v.serverR2) return 12;
  if ((v.suiteMask & kHomeServerSuite) != 0) return 11;
  if (v.productType == VER_NT_WORKSTATION) return 10;
  return 9;
}

int ClassifyNt6(const WindowsVersionNumbers& v, bool workstation) {
  switch (v.minor) {
    case 0: return workstation ? 14 : 13;
    case 1: return workstation ? 16 : 15;
    case 2: return workstation ? 18 : 17;
    case 3: return workstation ? 19 : 20;
    default: return kOtherVersion;
  }
}

int ClassifyNt(const WindowsVersionNumbers& v) {
  const bool workstation = v.productType == VER_NT_WORKSTATION;
  if (v.major <= 3) return 5;
  if (v.major == 4) return 6;
  if (v.major == 5) {
    if (v.minor == 0) return 7;
    if (v.minor == 2) return ClassifyServer2003(v);
    return 8;
  }
  if (v.major == 6) return ClassifyNt6(v, workstation);
  if (v.major == 10 && v.minor == 0) {
    if (!workstation) return 21;
    return v.build < kWindows11FirstBuild ? 22 : 23;
  }
  return kOtherVersion;
}

bool QueryVersion(OSVERSIONINFOEXW* info) {
  ZeroMemory(info, sizeof *info);
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(info))) return true;
  // Systems that know only the short record still answer it.
  ZeroMemory(info, sizeof *info);
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(info)) != FALSE;
}

}  // namespace

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended version record is 284 bytes");
static_assert(sizeof(OSVERSIONINFOW) == 276, "the short version record is 276 bytes");

int ClassifyWindowsVersion(const WindowsVersionNumbers& version) {
  switch (version.platformId) {
    case VER_PLATFORM_WIN32s: return 1;
    case VER_PLATFORM_WIN32_WINDOWS: return Classify9x(version);
    case VER_PLATFORM_WIN32_NT: return ClassifyNt(version);
    default: return kOtherVersion;
  }
}

int GetWindowsVersionCode() {
  OSVERSIONINFOEXW info;
  if (!QueryVersion(&info)) return kOtherVersion;
  WindowsVersionNumbers numbers = {};
  numbers.major = info.dwMajorVersion;
  numbers.minor = info.dwMinorVersion;
  numbers.build = info.dwBuildNumber;
  numbers.platformId = info.dwPlatformId;
  numbers.productType = info.wProductType;
  numbers.suiteMask = info.wSuiteMask;
  numbers.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
  return ClassifyWindowsVersion(numbers);
}

int GetWindowsVersionCodeCached() {
  // Every thread computes the same value, so a race only repeats the query.
  LONG code = g_versionCode;
  if (code == 0) {
    code = GetWindowsVersionCode();
    InterlockedExchange(&g_versionCode, code);
  }
  return code;
}

uint32_t GetWindowsBuildNumber() {
  OSVERSIONINFOEXW info;
  if (!QueryVersion(&info)) return 0;
  return info.dwBuildNumber & 0x0FFFFFFF;
}
