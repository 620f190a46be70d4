// The real QVRX.exe started on a folder as a user starts it: a private copy of the program with its profile
// beside it, a folder "files" with the test's files, and each run (a restart is a second run) seen from
// outside through its process and main window.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "program_copy.h"
#include "remote_program.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

// One run of the copy, started on a folder (or a settings file); Window() is null when no main window came.
class ProgramRun {
 public:
  ProgramRun(const ProgramCopy& copy, const std::wstring& path) : window_(copy.Start(&driver_, Quoted(path))) {}
  HWND Window() const { return window_; }
  HANDLE Process() const { return driver_.Process(); }
  DWORD ProcessId() const { return driver_.ProcessId(); }
  const ProcessDriver& Driver() const { return driver_; }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  // Closes the window as a user would; the exit code.
  long Close() { return ProgramCopy::Close(&driver_, window_); }
  // Waits until the file list shows `rows` rows.
  bool WaitForRows(int rows) const {
    const RemoteList list(Process(), Item(kFileListId));
    return WaitUntil([&] { return list.Count() == rows; });
  }

 private:
  ProcessDriver driver_;
  HWND window_;
};

class ProgramOnFolder : public testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITH_PER_USER_PROFILE();
    ASSERT_TRUE(copy_.Copied());
  }

  // Writes each file into the folder "files" with `content`, and the profile beside the program; the folder
  // "files", to start the program on.
  std::wstring Prepare(const std::vector<std::wstring>& names, const std::string& profile,
                       const std::string& content = "x") const {
    const std::wstring files = copy_.Folder().MakeFolder(L"files");
    for (const std::wstring& name : names) copy_.Folder().WriteFile(L"files\\" + name, content);
    copy_.Folder().WriteFile(L"QVRX.INI", profile);
    return files;
  }

  ProgramCopy copy_;
};
