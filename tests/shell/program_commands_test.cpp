// QVRX.exe driven from outside as a user drives it: started on a folder with the chain of the last run, renaming
// the files and undoing it, with the file list and the disk in agreement at every step; and started on a
// settings file, which becomes the chain, a recent file and the chain of the next start.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/ui/command_ids.h"
#include "profile_text.h"
#include "program_fixture.h"
#include "program_on_folder.h"
#include "remote_program.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

using ProgramCommands = ProgramOnFolder;

TEST_F(ProgramCommands, RenamesTheListedFolderWithTheLastChainAndUndoesItWhileListAndDiskAgree) {
  const std::wstring files =
      Prepare({L"alpha.txt", L"beta.txt", L"gamma.txt"}, "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=<Ext,\"bak\">\r\n");
  ProgramRun run(copy_, files);
  const HWND window = run.Window();
  ASSERT_NE(window, nullptr);
  DialogWatcher boxes(run.ProcessId(), IDOK);
  RemoteList list(run.Process(), GetDlgItem(window, kFileListId));
  const Names before = {L"alpha.txt", L"beta.txt", L"gamma.txt"};
  const Names after = {L"alpha.bak", L"beta.bak", L"gamma.bak"};
  ASSERT_TRUE(WaitUntil([&] { return list.Column(kNewNameColumn) == after; }));
  EXPECT_EQ(list.Column(kNameColumn), FilesIn(files));

  // A run that ends without error empties the list: its rows no longer match the disk.
  ASSERT_TRUE(SendUntil(window, IDM_START_RENAMING, [&] { return FilesIn(files) == after && list.Count() == 0; }));
  ASSERT_TRUE(SendUntil(window, IDM_RELOAD_LIST, [&] { return list.Column(kNameColumn) == after; }));

  ASSERT_TRUE(SendUntil(window, IDM_UNDO, [&] { return FilesIn(files) == before; }));
  ASSERT_TRUE(SendUntil(window, IDM_RELOAD_LIST, [&] { return list.Column(kNameColumn) == before; }));
  // The rows are sorted before the preview names them.
  EXPECT_TRUE(WaitUntil([&] { return list.Column(kNewNameColumn) == after; }));
  EXPECT_EQ(run.Close(), 0);
  EXPECT_EQ(boxes.Answered(), 0) << Narrow(boxes.LastCaption()) << ": " << Narrow(boxes.LastText());
}

TEST_F(ProgramCommands, ASettingsFileNamedOnTheCommandLineBecomesTheChainARecentFileAndTheNextChain) {
  const std::wstring line = L"<Ext,\"old\">\r\n-<Case,n,2>\r\n";
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : line) bytes.append(reinterpret_cast<const char*>(&c), 2);
  const std::wstring settings = copy_.Folder().WriteFile(L"steps.zqr", bytes);
  copy_.Folder().WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n");
  ProgramRun run(copy_, settings);
  const HWND window = run.Window();
  ASSERT_NE(window, nullptr);
  RemoteList chain(run.Process(), GetDlgItem(window, kChainListId));
  ASSERT_TRUE(WaitUntil([&] { return chain.Count() == 2; }));
  EXPECT_EQ(run.Close(), 0);
  const std::string profile = ReadWholeFile(copy_.ProfileFile());
  EXPECT_EQ(ValueOf(SectionLines(profile, "MRU"), "1"), std::string(settings.begin(), settings.end()));
  const std::vector<std::string> chainLines = SectionLines(profile, "QK");
  EXPECT_EQ(ValueOf(chainLines, "R1"), "<Ext,\"old\">");
  EXPECT_EQ(ValueOf(chainLines, "R2"), "-<Case,n,2>");
  EXPECT_EQ(ValueOf(chainLines, "R3"), "(missing)");
}

namespace {

// Gives a file its last-write time (UTC).
void SetWriteTime(const std::wstring& path, WORD year, WORD month, WORD day, WORD hour) {
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SYSTEMTIME fields = {};
  fields.wYear = year;
  fields.wMonth = month;
  fields.wDay = day;
  fields.wHour = hour;
  FILETIME time = {};
  SystemTimeToFileTime(&fields, &time);
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
  CloseHandle(file);
}

// The names, one per line, for a failure message.
std::string Joined(const Names& names) {
  std::string text;
  for (const std::wstring& name : names) text += Narrow(name) + "\n";
  return text;
}

std::string ChainProfile(const std::vector<std::string>& steps) {
  std::string profile = "[QVRX]\r\nLanguage=US\r\n[QK]\r\n";
  for (size_t i = 0; i < steps.size(); ++i) profile += "R" + std::to_string(i + 1) + "=" + steps[i] + "\r\n";
  return profile;
}

}  // namespace

TEST_F(ProgramCommands, RenamesWithAChainOfTheTextModulesExactlyAsTheirRulesSayAndUndoesIt) {
  const TempFolder& folder = copy_.Folder();
  const std::wstring files = folder.MakeFolder(L"files");
  const Names before = {L"a1.txt=a1.txt", L"b2.txt=b2.txt", L"c3.txt=c3.txt"};
  for (const wchar_t* name : {L"a1.txt", L"b2.txt", L"c3.txt"}) {
    const std::wstring path = folder.WriteFile(std::wstring(L"files\\") + name, Narrow(name));
    // Noon UTC is 5 March in every zone of the world.
    SetWriteTime(path, 2024, 3, 5, 12);
  }
  folder.WriteFile(L"QVRX.INI", ChainProfile({"<Enum,n,0,1,1,3x0>", "<Ins,n,r,0,\"_x\">", "<Crop,n,l,3,1>",
                                              "<Sbst,n,a,\"_X\",\"-\">", "<Date,n,m,99,\"yyyyMMdd\">", "<Dir,n,l,0>",
                                              "<DOS,\"*.bak\">", "<Cut,n,0,5,13>"}));
  ProgramRun run(copy_, files);
  const HWND window = run.Window();
  ASSERT_NE(window, nullptr);
  DialogWatcher boxes(run.ProcessId(), IDOK);
  RemoteList list(run.Process(), GetDlgItem(window, kFileListId));
  // a1: 001a1, 001a1_x, 0011_x, 0011-, 0011-20240305, files0011-20240305, .bak, the span "files" to the end.
  const Names renamed = {L"0011-20240305files.bak", L"0022-20240305files.bak", L"0033-20240305files.bak"};
  ASSERT_TRUE(WaitUntil([&] { return list.Column(kNewNameColumn) == renamed; }))
      << Joined(list.Column(kNewNameColumn));

  ASSERT_TRUE(SendUntil(window, IDM_START_RENAMING, [&] { return FilesIn(files) == renamed && list.Count() == 0; }));
  EXPECT_EQ(FilesWithContents(files), (Names{L"0011-20240305files.bak=a1.txt", L"0022-20240305files.bak=b2.txt",
                                             L"0033-20240305files.bak=c3.txt"}));
  ASSERT_TRUE(SendUntil(window, IDM_UNDO, [&] { return FilesWithContents(files) == before; }));
  EXPECT_EQ(run.Close(), 0);
  EXPECT_EQ(boxes.Answered(), 0) << Narrow(boxes.LastCaption()) << ": " << Narrow(boxes.LastText());
}

TEST_F(ProgramCommands, NumberingFilesOntoEachOthersNamesLosesNoFileAndUndoRestoresEveryOne) {
  const TempFolder& folder = copy_.Folder();
  const std::wstring files = folder.MakeFolder(L"files");
  Names before;
  for (int n = 1; n <= 5; ++n) {
    const std::wstring name = std::to_wstring(n) + L".txt";
    folder.WriteFile(L"files\\" + name, Narrow(name));
    before.push_back(name + L"=" + name);
  }
  // A folder is never listed, but it holds the name the last file is numbered to.
  folder.MakeFolder(L"files\\6.txt");
  folder.WriteFile(L"QVRX.INI", ChainProfile({"<Crop,n,l,0,250>", "<Enum,n,0,2,1>"}));
  ProgramRun run(copy_, files);
  const HWND window = run.Window();
  ASSERT_NE(window, nullptr);
  DialogWatcher boxes(run.ProcessId(), IDOK);
  RemoteList list(run.Process(), GetDlgItem(window, kFileListId));
  ASSERT_TRUE(WaitUntil([&] { return list.Count() == 5 && list.Cell(4, kNewNameColumn) == L"6.txt"; }));
  // Each file's name is replaced by its number plus one; where that is a later file's name, the preview gives a
  // numbered variant instead.
  Names afterRun;
  for (int row = 0; row < 5; ++row) {
    const std::wstring name = list.Cell(row, kNameColumn);
    const std::wstring planned = list.Cell(row, kNewNameColumn);
    EXPECT_EQ(name, std::to_wstring(row + 1) + L".txt");
    EXPECT_EQ(planned.rfind(std::to_wstring(row + 2), 0), 0u) << Narrow(planned);
    afterRun.push_back((row < 4 ? planned : name) + L"=" + name);
  }
  std::sort(afterRun.begin(), afterRun.end());

  // The run renames the files in list order until the existing "6.txt" stops it with a message naming it.
  ASSERT_TRUE(SendUntil(window, IDM_START_RENAMING, [&] { return boxes.Answered() == 1; }));
  EXPECT_NE(boxes.LastText().find(L"6.txt"), std::wstring::npos) << Narrow(boxes.LastText());
  ASSERT_TRUE(WaitUntil([&] { return FilesWithContents(files) == afterRun; })) << Joined(FilesWithContents(files));
  ASSERT_TRUE(SendUntil(window, IDM_UNDO, [&] { return FilesWithContents(files) == before; }));
  EXPECT_TRUE(PathExists(files + L"\\6.txt"));
  EXPECT_EQ(run.Close(), 0);
  EXPECT_EQ(boxes.Answered(), 1);
}
