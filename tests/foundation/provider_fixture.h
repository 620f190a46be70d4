// Tests of the file-system providers start from freshly filled provider records and the real system calls,
// and leave both behind, also when they fail half-way.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/providers/providers.h"
#include "foundation/win32/system_functions.h"
#include "support/temp_folder.h"
#include "system_seams_scope.h"

class ProvidersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitOptionalKernelFunctions();
    InitFileSystemProviders();
  }
  void TearDown() override {
    RestoreSystemSeams();
    InitOptionalKernelFunctions();
    ShutdownProviders();
  }

  SystemSeamsScope seams_;
  TempFolder folder_;
};

// The names of a folder's entries as the disk spells them (without "." and "..").
inline std::vector<std::wstring> NamesOnDisk(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return names;
}
