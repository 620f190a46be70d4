// A rename run of the real program seen from outside: started on a folder with the chain of the last run in
// its profile, the preview awaited, the folder renamed by command IDM_START_RENAMING and the run undone by command
// IDM_UNDO.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/ui/command_ids.h"
#include "program_on_folder.h"
#include "remote_program.h"
#include "support/process_driver.h"

// The names, one after the other, for a failure message.
inline std::string ListedNames(const Names& names) {
  std::string text;
  for (const std::wstring& name : names) text += std::string(name.begin(), name.end()) + " | ";
  return text;
}

// Starts the copy on `files` (its profile already written), waits until the preview shows `renamed`, renames
// until the folder holds exactly those names and the list is empty, and undoes until it holds its names again.
// The program must close cleanly and show no message box. `what` names the case in failure messages.
inline void ExpectRenamedAndUndone(const ProgramCopy& copy, const std::wstring& files, const Names& renamed,
                                   const char* what) {
  ProgramRun run(copy, files);
  const HWND window = run.Window();
  ASSERT_NE(window, nullptr) << what;
  DialogWatcher boxes(run.ProcessId(), IDOK);
  RemoteList rows(run.Process(), GetDlgItem(window, kFileListId));
  const Names before = FilesIn(files);
  ASSERT_TRUE(WaitUntil([&] { return rows.Column(kNewNameColumn) == renamed; }))
      << what << ": " << ListedNames(rows.Column(kNewNameColumn));
  ASSERT_TRUE(SendUntil(window, IDM_START_RENAMING, [&] { return FilesIn(files) == renamed && rows.Count() == 0; }))
      << what;
  ASSERT_TRUE(SendUntil(window, IDM_UNDO, [&] { return FilesIn(files) == before; })) << what;
  EXPECT_EQ(run.Close(), 0) << what;
  EXPECT_EQ(boxes.Answered(), 0) << what;
}
