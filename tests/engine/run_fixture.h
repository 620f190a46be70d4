// Rename runs on real files: two folders "one" and "two" in a temporary folder as the file list's folders 1 and
// 2, a main window on the test's thread, and every error box answered.
#pragma once
#include <string>
#include <vector>

#include "main_window_stand_in.h"
#include "preview_fixture.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

class RunFixture : public PreviewFixture {
 protected:
  RunFixture();
  ~RunFixture() override;

  // Writes a file whose content is its own (ASCII) name and lists it, to be renamed by the probe step unless
  // `renamed` is empty.
  void AddDiskFile(uint32_t folder, const std::wstring& name, const std::wstring& renamed = L"");
  // Lists every file of a folder as the folder listing does.
  void ListFolder(uint32_t folder);
  void ClearList();
  void EmptyFolders() const;

  // Runs the command and waits for its thread and the preview after it; false when it did not start.
  bool Run();
  bool Undo();

  // "folder\name=content" of every file on disk, sorted.
  std::vector<std::wstring> Disk() const;
  std::wstring FolderPath(uint32_t folder) const { return temp_ / (folder == 1 ? L"one" : L"two"); }

  TempFolder temp_;
  MainWindowStandIn window_;
  DialogWatcher boxes_{GetCurrentProcessId(), IDOK};
};
