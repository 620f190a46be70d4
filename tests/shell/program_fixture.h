// The program run inside the test process with all its parts connected: a folder "files" with the test's
// files is the folder of the last run, the chain of the last run is in section "QK", and the test waits until
// the folder is listed and its preview computed.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hook_tables_scope.h"
#include "in_process_program.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

class ProgramFixture : public testing::Test {
 protected:
  ProgramFixture();
  ~ProgramFixture() override;

  // Writes the files (content: their names) that the test has not written already, the profile, and starts
  // the program; false when its window, the listing or the tree's start folder did not come.
  bool Start(const std::vector<std::wstring>& files, const std::vector<std::string>& chain,
             const std::string& moreProfile = "");
  // Closes the window and waits for the run to end; its exit code.
  int Close();

  void Gui(const std::function<void()>& work) const { InProcessProgram::OnGuiThread(window_, work); }
  // Polls the condition on the GUI thread for up to 10 s.
  bool WaitFor(const std::function<bool()>& condition) const;
  bool WaitUntilIdle() const;

  // Names of the file list's rows, current or new, in list order; the files in the folder, sorted.
  std::vector<std::wstring> ListedNames() const;
  std::vector<std::wstring> NewNames() const;
  std::vector<std::wstring> Disk() const;
  std::wstring FilesFolder() const { return temp_ / L"files"; }
  std::wstring ProfilePath() const { return temp_ / L"QVRX.INI"; }
  // The enabled state of commands as the main window's state table gives them.
  bool Disabled(int command) const;

  // Declared first, so that the program's hooks are taken back only after its run has ended.
  HookTablesScope hooks_;
  TempFolder temp_;
  HWND window_ = nullptr;
  std::unique_ptr<InProcessProgram> program_;
};

// Narrow copy of an ASCII path, for profile texts.
std::string Narrow(const std::wstring& text);
