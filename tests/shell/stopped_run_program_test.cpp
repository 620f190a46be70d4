// QVRX.exe renaming a folder by a chain that counts files (a counter, a text list) when another program has put
// a file at one of the new names: the run stops there, the list shows the files renamed as done and the others
// with the names the run was started with, and the run started again once the way is free writes exactly those
// names; one undo brings every name back.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chain_run.h"
#include "support/temp_folder.h"

namespace {

struct CountingCase {
  const char* what;
  std::string steps;  // the profile's lines R1=..., "%LIST%" standing for the list file's path
  std::string list;   // the list file's bytes; empty for none
  Names previewed;    // the new names of a.txt .. e.txt
};

// "name > new name" of every row in list order.
Names RowsShown(const RemoteList& rows) {
  Names shown;
  for (int row = 0; row < rows.Count(); ++row) {
    shown.push_back(rows.Cell(row, kNameColumn) + L" > " + rows.Cell(row, kNewNameColumn));
  }
  return shown;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void StopAndGoOn(const CountingCase& c) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const TempFolder& folder = copy.Folder();
  const std::wstring files = folder.MakeFolder(L"files");
  const std::wstring aside = folder.MakeFolder(L"aside");
  const Names originals = {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt"};
  for (const std::wstring& name : originals) folder.WriteFile(L"files\\" + name, Narrow(name));
  std::string steps = c.steps;
  if (const size_t at = steps.find("%LIST%"); at != std::string::npos)
    steps.replace(at, 6, Narrow(folder.WriteFile(L"list.txt", c.list)));
  folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n[QK]\r\n" + steps);
  const Names& n = c.previewed;

  ProgramRun run(copy, files);
  const HWND window = run.Window();
  ASSERT_NE(window, nullptr) << c.what;
  DialogWatcher boxes(run.ProcessId(), IDOK);
  RemoteList rows(run.Process(), GetDlgItem(window, kFileListId));
  const Names previewed = {L"a.txt > " + n[0], L"b.txt > " + n[1], L"c.txt > " + n[2], L"d.txt > " + n[3],
                           L"e.txt > " + n[4]};
  ASSERT_TRUE(WaitUntil([&] { return RowsShown(rows) == previewed; }))
      << c.what << ": " << ListedNames(RowsShown(rows));

  // Another program takes c's new name: the run renames a and b and stops at c with "File already exists".
  folder.WriteFile(L"files\\" + n[2], "theirs");
  ASSERT_TRUE(SendUntil(window, IDM_START_RENAMING, [&] { return boxes.Answered() == 1; })) << c.what;
  const Names afterStop = {n[0] + L" > " + n[0], n[1] + L" > " + n[1], L"c.txt > " + n[2], L"d.txt > " + n[3],
                           L"e.txt > " + n[4]};
  EXPECT_TRUE(WaitUntil([&] { return RowsShown(rows) == afterStop; }))
      << c.what << ": the files not yet renamed keep their names: " << ListedNames(RowsShown(rows));
  EXPECT_NE(boxes.LastText().find(n[2]), std::wstring::npos) << c.what << ": " << Narrow(boxes.LastText());

  // The way free again, the run goes on with the names shown.
  ASSERT_TRUE(MoveFileW((files + L"\\" + n[2]).c_str(), (aside + L"\\" + n[2]).c_str()));
  Names renamed = n;
  std::sort(renamed.begin(), renamed.end());
  ASSERT_TRUE(SendUntil(window, IDM_START_RENAMING, [&] { return FilesIn(files) == renamed && rows.Count() == 0; }))
      << c.what << ": " << ListedNames(FilesIn(files));
  const Names contents = {n[0] + L"=a.txt", n[1] + L"=b.txt", n[2] + L"=c.txt", n[3] + L"=d.txt", n[4] + L"=e.txt"};
  Names sortedContents = contents;
  std::sort(sortedContents.begin(), sortedContents.end());
  EXPECT_EQ(FilesWithContents(files), sortedContents) << c.what;

  // One undo covers both runs.
  ASSERT_TRUE(SendUntil(window, IDM_UNDO, [&] { return FilesIn(files) == originals; })) << c.what;
  EXPECT_EQ(run.Close(), 0) << c.what;
  EXPECT_EQ(boxes.Answered(), 1) << c.what;
}

}  // namespace

TEST(StoppedRunProgram, TheFilesNotYetRenamedGetTheNamesTheRunWasStartedWith) {
  SKIP_WITH_PER_USER_PROFILE();
  const CountingCase cases[] = {
      {"counter", "R1=<Enum,n,0,1,1,3x0>\r\nR2=<Ins,n,l,3,\"_\">\r\n", "",
       {L"001_a.txt", L"002_b.txt", L"003_c.txt", L"004_d.txt", L"005_e.txt"}},
      {"text list", "R1=<Text,%LIST%>\r\n", "one.txt\r\ntwo.txt\r\nthree.txt\r\nfour.txt\r\n",
       {L"one.txt", L"two.txt", L"three.txt", L"four.txt", L"e.txt"}},
  };
  for (const CountingCase& c : cases) StopAndGoOn(c);
}
