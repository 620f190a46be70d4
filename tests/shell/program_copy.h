// A private copy of QVRX.exe and its resource library in a temporary folder, started as a user would start it.
#pragma once
#include <windows.h>

#include <string>

#include "foundation/files/shell_folders.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

// A private copy of the program and its resource library, so that the profile file it writes beside itself
// stays in the test's folder.
class ProgramCopy {
 public:
  ProgramCopy() {
    for (const wchar_t* name : {L"QVRX.exe", L"QVRXRES.dll"}) {
      copied_ &= CopyFileW((ExecutableFolder() + L"\\" + name).c_str(), (folder_ / name).c_str(), FALSE) != FALSE;
    }
  }
  bool Copied() const { return copied_; }
  std::wstring Program() const { return folder_ / L"QVRX.exe"; }
  std::wstring ProfileFile() const { return folder_ / L"QVRX.INI"; }
  const TempFolder& Folder() const { return folder_; }

  // Starts the program with the arguments and returns its main window.
  HWND Start(ProcessDriver* driver, const std::wstring& arguments = L"") const {
    if (!driver->Start(Program(), arguments, folder_.Path())) return nullptr;
    return driver->WaitForWindow(L"QVRX");
  }

  // Closes the window as a user would; the exit code. A window refuses to close while a job (a listing, a run,
  // an undo) is still ending, so the close is asked for again until the program has ended.
  static long Close(ProcessDriver* driver, HWND window) {
    for (int attempt = 0; attempt < 50; ++attempt) {
      PostMessageW(window, WM_CLOSE, 0, 0);
      const long code = driver->WaitForExit(200);
      if (code != -1) return code;
    }
    return driver->WaitForExit();
  }

 private:
  TempFolder folder_;
  bool copied_ = true;
};

// A profile file in the per-user folder would take the place of the one beside the program.
inline bool PerUserProfileExists() {
  wchar_t folder[MAX_PATH];
  GetUserDataFolder(nullptr, folder, MAX_PATH);
  return folder[0] != 0 && PathExists(std::wstring(folder) + L"\\QVRX.INI");
}

#define SKIP_WITH_PER_USER_PROFILE()                                                        \
  if (PerUserProfileExists()) GTEST_SKIP() << "a per-user QVRX.INI of the Wine prefix would be used instead"

