// QVRX.exe driven from outside as a user drives it: started on a folder with the chain of the last run, renaming
// the files and undoing it, with the file list and the disk in agreement at every step; and started on a
// settings file, which becomes the chain, a recent file and the chain of the next start.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "profile_text.h"
#include "program_copy.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

namespace {

using Names = std::vector<std::wstring>;

constexpr int kChainListId = 61;
constexpr int kFileListId = 62;
constexpr int kNameColumn = 0;
constexpr int kNewNameColumn = 1;

// Reads the cells of a list of another process through memory of that process.
class RemoteList {
 public:
  RemoteList(HANDLE process, HWND list) : process_(process), list_(list) {
    memory_ = VirtualAllocEx(process_, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteList() { VirtualFreeEx(process_, memory_, 0, MEM_RELEASE); }
  RemoteList(const RemoteList&) = delete;
  RemoteList& operator=(const RemoteList&) = delete;

  int Count() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

  std::wstring Cell(int row, int column) const {
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(memory_) + sizeof(LVITEMW));
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = kTextCapacity;
    WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr);
    SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(memory_));
    wchar_t text[kTextCapacity] = {};
    ReadProcessMemory(process_, remoteText, text, sizeof text - sizeof(wchar_t), nullptr);
    return text;
  }

  // The cells of a column, sorted.
  Names Column(int column) const {
    Names cells;
    for (int row = 0; row < Count(); ++row) cells.push_back(Cell(row, column));
    std::sort(cells.begin(), cells.end());
    return cells;
  }

 private:
  static constexpr int kTextCapacity = 512;
  static constexpr SIZE_T kBytes = sizeof(LVITEMW) + kTextCapacity * sizeof(wchar_t);
  HANDLE process_;
  HWND list_;
  void* memory_;
};

Names FilesIn(const std::wstring& folder) {
  Names names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

bool WaitUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 500; ++i) {
    if (condition()) return true;
    Sleep(20);
  }
  return false;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Sends a command until its effect shows: while a listing or a run is still busy the program greys the run,
// undo and refresh commands and ignores them. None of them does anything a second time once it has done its work.
bool SendUntil(HWND window, UINT command, const std::function<bool()>& done) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    SendMessageW(window, WM_COMMAND, command, 0);
    for (int i = 0; i < 25; ++i) {
      if (done()) return true;
      Sleep(20);
    }
  }
  return false;
}

}  // namespace

TEST(ProgramCommands, RenamesTheListedFolderWithTheLastChainAndUndoesItWhileListAndDiskAgree) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const TempFolder& folder = copy.Folder();
  const std::wstring files = folder.MakeFolder(L"files");
  for (const wchar_t* name : {L"alpha.txt", L"beta.txt", L"gamma.txt"}) folder.WriteFile(std::wstring(L"files\\") + name, "x");
  folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=<Ext,\"bak\">\r\n");
  ProcessDriver driver;
  HWND window = copy.Start(&driver, Quoted(files));
  ASSERT_NE(window, nullptr);
  DialogWatcher boxes(driver.ProcessId(), IDOK);
  RemoteList list(driver.Process(), GetDlgItem(window, kFileListId));
  const Names before = {L"alpha.txt", L"beta.txt", L"gamma.txt"};
  const Names after = {L"alpha.bak", L"beta.bak", L"gamma.bak"};
  ASSERT_TRUE(WaitUntil([&] { return list.Column(kNewNameColumn) == after; }));
  EXPECT_EQ(list.Column(kNameColumn), FilesIn(files));

  // A run that ends without error empties the list: its rows no longer match the disk.
  ASSERT_TRUE(SendUntil(window, 106, [&] { return FilesIn(files) == after && list.Count() == 0; }));
  ASSERT_TRUE(SendUntil(window, 139, [&] { return list.Column(kNameColumn) == after; }));

  ASSERT_TRUE(SendUntil(window, 121, [&] { return FilesIn(files) == before; }));
  ASSERT_TRUE(SendUntil(window, 139, [&] { return list.Column(kNameColumn) == before; }));
  EXPECT_EQ(list.Column(kNewNameColumn), after);
  EXPECT_EQ(ProgramCopy::Close(&driver, window), 0);
  EXPECT_EQ(boxes.Answered(), 0);
}

TEST(ProgramCommands, ASettingsFileNamedOnTheCommandLineBecomesTheChainARecentFileAndTheNextChain) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const std::wstring line = L"<Ext,\"old\">\r\n-<Case,n,2>\r\n";
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : line) bytes.append(reinterpret_cast<const char*>(&c), 2);
  const std::wstring settings = copy.Folder().WriteFile(L"steps.zqr", bytes);
  copy.Folder().WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n");
  ProcessDriver driver;
  HWND window = copy.Start(&driver, Quoted(settings));
  ASSERT_NE(window, nullptr);
  RemoteList chain(driver.Process(), GetDlgItem(window, kChainListId));
  ASSERT_TRUE(WaitUntil([&] { return chain.Count() == 2; }));
  EXPECT_EQ(ProgramCopy::Close(&driver, window), 0);
  const std::string profile = ReadWholeFile(copy.ProfileFile());
  EXPECT_EQ(ValueOf(SectionLines(profile, "MRU"), "1"), std::string(settings.begin(), settings.end()));
  const std::vector<std::string> chainLines = SectionLines(profile, "QK");
  EXPECT_EQ(ValueOf(chainLines, "R1"), "<Ext,\"old\">");
  EXPECT_EQ(ValueOf(chainLines, "R2"), "-<Case,n,2>");
  EXPECT_EQ(ValueOf(chainLines, "R3"), "(missing)");
}
