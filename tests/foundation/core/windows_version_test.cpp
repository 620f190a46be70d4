// Classification of Windows versions into the version code, and the code of the running system.
#include "foundation/core/windows_version.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

WindowsVersionNumbers Nt(uint32_t major, uint32_t minor, uint32_t build, uint8_t productType) {
  WindowsVersionNumbers version = {};
  version.major = major;
  version.minor = minor;
  version.build = build;
  version.platformId = VER_PLATFORM_WIN32_NT;
  version.productType = productType;
  return version;
}

WindowsVersionNumbers Windows9x(uint32_t major, uint32_t minor, uint32_t build) {
  WindowsVersionNumbers version = {};
  version.major = major;
  version.minor = minor;
  version.build = build;
  version.platformId = VER_PLATFORM_WIN32_WINDOWS;
  return version;
}

constexpr uint8_t kWorkstation = VER_NT_WORKSTATION;
constexpr uint8_t kServer = VER_NT_SERVER;

}  // namespace

TEST(VersionClassification, Windows9xFamily) {
  WindowsVersionNumbers win32s = {};
  win32s.platformId = VER_PLATFORM_WIN32s;
  EXPECT_EQ(ClassifyWindowsVersion(win32s), 1);
  EXPECT_EQ(ClassifyWindowsVersion(Windows9x(4, 0, 950)), 2);
  EXPECT_EQ(ClassifyWindowsVersion(Windows9x(4, 10, 1998)), 3);
  EXPECT_EQ(ClassifyWindowsVersion(Windows9x(4, 10, 0x040A07CE)), 3);  // build in the low word
  EXPECT_EQ(ClassifyWindowsVersion(Windows9x(4, 10, 2222)), 2);
  EXPECT_EQ(ClassifyWindowsVersion(Windows9x(4, 90, 3000)), 4);
  EXPECT_EQ(ClassifyWindowsVersion(Windows9x(5, 0, 0)), 2);
}

TEST(VersionClassification, NtUpToXp) {
  EXPECT_EQ(ClassifyWindowsVersion(Nt(3, 51, 1057, kWorkstation)), 5);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(4, 0, 1381, kWorkstation)), 6);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(5, 0, 2195, kWorkstation)), 7);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(5, 1, 2600, kWorkstation)), 8);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(5, 3, 0, kWorkstation)), 8);
}

TEST(VersionClassification, Server2003Family) {
  WindowsVersionNumbers r2 = Nt(5, 2, 3790, kServer);
  r2.serverR2 = true;
  EXPECT_EQ(ClassifyWindowsVersion(r2), 12);
  WindowsVersionNumbers homeServer = Nt(5, 2, 3790, kServer);
  homeServer.suiteMask = 0x8000;
  EXPECT_EQ(ClassifyWindowsVersion(homeServer), 11);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(5, 2, 3790, kWorkstation)), 10);  // XP x64
  EXPECT_EQ(ClassifyWindowsVersion(Nt(5, 2, 3790, kServer)), 9);
}

TEST(VersionClassification, VistaTo81) {
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 0, 6002, kWorkstation)), 14);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 0, 6002, kServer)), 13);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 1, 7601, kWorkstation)), 16);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 1, 7601, kServer)), 15);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 2, 9200, kWorkstation)), 18);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 2, 9200, kServer)), 17);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 3, 9600, kWorkstation)), 19);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 3, 9600, kServer)), 20);
}

TEST(VersionClassification, Windows10And11) {
  EXPECT_EQ(ClassifyWindowsVersion(Nt(10, 0, 19045, kWorkstation)), 22);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(10, 0, 19999, kWorkstation)), 22);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(10, 0, 20000, kWorkstation)), 23);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(10, 0, 22631, kWorkstation)), 23);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(10, 0, 20348, kServer)), 21);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(10, 0, 14393, VER_NT_DOMAIN_CONTROLLER)), 21);
}

TEST(VersionClassification, EverythingElse) {
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 4, 9841, kWorkstation)), 24);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(10, 1, 30000, kWorkstation)), 24);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(7, 0, 0, kWorkstation)), 24);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(11, 0, 0, kWorkstation)), 24);
  WindowsVersionNumbers unknownPlatform = Nt(10, 0, 19045, kWorkstation);
  unknownPlatform.platformId = 3;
  EXPECT_EQ(ClassifyWindowsVersion(unknownPlatform), 24);
}

TEST(RunningSystem, CodeIsKnownAndStable) {
  const int code = GetWindowsVersionCodeCached();
  EXPECT_GE(code, 1);
  EXPECT_LE(code, 24);
  EXPECT_EQ(GetWindowsVersionCode(), code);
  EXPECT_EQ(GetWindowsVersionCodeCached(), code);
}

TEST(RunningSystem, BuildNumberMatchesTheSystem) {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(GetWindowsBuildNumber(), info.dwBuildNumber & 0x0FFFFFFFu);
  EXPECT_GT(GetWindowsBuildNumber(), 0u);
}

TEST(RunningSystem, WindowsTenAndElevenGiveTheirCodes) {
  // The kernel's own version, which no compatibility setting changes.
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(rtlGetVersion, nullptr);
  OSVERSIONINFOW kernel = {};
  kernel.dwOSVersionInfoSize = sizeof kernel;
  ASSERT_EQ(rtlGetVersion(&kernel), 0);
  if (kernel.dwMajorVersion != 10) GTEST_SKIP() << "the system is not Windows 10 or 11 (set the Wine prefix to win10)";
  // With the program's manifest the version reported to it is the real one.
  const int code = GetWindowsVersionCode();
  EXPECT_GE(code, 21);
  EXPECT_LE(code, 23);
}
