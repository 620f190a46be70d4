// The hand-over to the file manager, received by the tests' stand-in for Halvane (a program of its own that
// records every WM_COPYDATA): the forms sent and the answers used, and commands IDM_OPEN_IN_FILE_MANAGER and
// IDM_SHOW_IN_FILE_MANAGER of the running program. The program finds Halvane by its window class, which every
// process of the machine shares, so each test carries "FileManager" in its name.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/ui/command_ids.h"
#include "profile_text.h"
#include "program_fixture.h"
#include "program_state_scope.h"
#include "shell/file_manager.h"
#include "shell/main_commands.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"
#include "views/items_view_state.h"

namespace {

class HalvaneStandIn {
 public:
  explicit HalvaneStandIn(bool utf16Only = false) : record_(folder_ / L"record.txt") {
    const std::wstring arguments = L"\"" + record_ + L"\"" + (utf16Only ? L" utf16" : L"");
    if (!driver_.Start(ExecutableFolder() + L"\\HalvaneStandIn.exe", arguments, folder_.Path())) return;
    for (int i = 0; i < 500 && !window_; ++i) {
      window_ = FindProcessWindow(driver_.ProcessId(), L"Halvane");
      if (!window_) Sleep(20);
    }
  }
  ~HalvaneStandIn() { Stop(); }
  HalvaneStandIn(const HalvaneStandIn&) = delete;
  HalvaneStandIn& operator=(const HalvaneStandIn&) = delete;

  HWND Window() const { return window_; }
  // What it received, one line per message, and a fresh start.
  std::vector<std::string> Records() const { return TextLines(ReadWholeFile(record_)); }
  void Forget() const { DeleteFileW(record_.c_str()); }
  void Stop() {
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    window_ = nullptr;
    driver_.WaitForExit();
  }

 private:
  TempFolder folder_;
  std::wstring record_;
  ProcessDriver driver_;
  HWND window_ = nullptr;
};

std::string Utf8(const std::wstring& text) {
  std::string bytes(text.size() * 3 + 1, '\0');
  bytes.resize(static_cast<size_t>(
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr) -
      1));
  return bytes;
}

// A record line: dwData in hex, cbData, the path.
std::string Record(unsigned data, size_t bytes, const std::wstring& path) {
  char head[32];
  snprintf(head, sizeof head, "%x %zu ", data, bytes);
  return head + Utf8(path);
}

enum Answer { kNothing, kOne, kItsWindow };

struct HandOverCase {
  bool utf16Only;
  char letter;
  const wchar_t* path;
  Answer answer;
  bool utf8Sent;
  bool utf16Sent;
};

TEST(FileManagerHandOver, Utf8GoesFirstAndUtf16WhenThatIsNotTaken) {
  const std::wstring path = L"C:\\Fotos\\Ma\u00efs.txt";
  const std::wstring tooLongForUtf8 = L"C:\\" + std::wstring(1000, L'\u20ac');
  const HandOverCase cases[] = {
      {false, 'G', path.c_str(), kOne, true, false},
      {false, 'V', path.c_str(), kItsWindow, true, false},
      {true, 'G', path.c_str(), kOne, true, true},
      {true, 'V', path.c_str(), kItsWindow, true, true},
      {false, 'V', tooLongForUtf8.c_str(), kItsWindow, false, true},
      {false, 'G', nullptr, kOne, false, false},
  };
  for (const HandOverCase& c : cases) {
    HalvaneStandIn halvane(c.utf16Only);
    ASSERT_NE(halvane.Window(), nullptr);
    const LRESULT answer = SendToFileManager(nullptr, halvane.Window(), c.letter, c.path);
    const LRESULT expected = c.answer == kItsWindow ? reinterpret_cast<LRESULT>(halvane.Window()) : LRESULT{c.answer};
    EXPECT_EQ(answer, expected) << c.letter;
    std::vector<std::string> records;
    const std::wstring sent = c.path ? c.path : L"";
    if (c.utf8Sent) records.push_back(Record(0x800 | c.letter, Utf8(sent).size() + 1, sent));
    if (c.utf16Sent) records.push_back(Record(c.letter | 0x20, (sent.size() + 1) * 2, sent));
    if (!c.path) records.push_back(Record(c.letter, 0, L""));
    EXPECT_EQ(halvane.Records(), records) << c.letter;
  }
  EXPECT_EQ(SendToFileManager(nullptr, nullptr, 'G', path.c_str()), 0);
}

TEST(FileManagerHandOver, ShowingAFileWithoutHalvaneSaysSo) {
  const UiStringRecord texts[] = {{-1, L"US"}, {2191, L"Halvane is not running."}, {0, nullptr}};
  ProgramStateScope state;
  state.UseTexts(texts);
  HWND cache = nullptr;
  EXPECT_FALSE(FindFileManagerWindow(&cache));
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  ShowFileInFileManager(nullptr, &cache, L"C:\\x.txt");
  EXPECT_EQ(boxes.Answered(), 1);
  EXPECT_EQ(boxes.LastText(), L"Halvane is not running.");
  ShowFileInFileManager(nullptr, &cache, L"");
  EXPECT_EQ(boxes.Answered(), 1);
}

class FileManagerCommands : public ProgramFixture {};

TEST_F(FileManagerCommands, GoToAndShowHandOverTheFocusedRowOrTheCurrentFolder) {
  HalvaneStandIn halvane;
  ASSERT_NE(halvane.Window(), nullptr);
  ASSERT_TRUE(Start({L"a.txt", L"b \u00e9.txt"}, {}));
  Gui([this] { UpdateMenuStates(window_, false); });
  EXPECT_FALSE(Disabled(IDM_OPEN_IN_FILE_MANAGER));
  EXPECT_FALSE(Disabled(IDM_SHOW_IN_FILE_MANAGER));
  Gui([] {
    ItemsViewFocusItem(g_app->fileList, 1, false);
    g_app->activePane = 2;
  });
  const std::wstring focused = FilesFolder() + L"\\" + ListedNames()[1];
  const size_t bytes = Utf8(focused).size() + 1;
  SendMessageW(window_, WM_COMMAND, IDM_OPEN_IN_FILE_MANAGER, 0);
  SendMessageW(window_, WM_COMMAND, IDM_SHOW_IN_FILE_MANAGER, 0);
  Gui([] { g_app->activePane = 0; });
  SendMessageW(window_, WM_COMMAND, IDM_OPEN_IN_FILE_MANAGER, 0);
  const std::vector<std::string> expected = {Record(0x847, bytes, focused), Record(0x856, bytes, focused),
                                             Record(0x847, Utf8(FilesFolder()).size() + 1, FilesFolder())};
  EXPECT_EQ(halvane.Records(), expected);

  // Without Halvane, showing a file is greyed; so is going to a folder with nothing listed.
  halvane.Stop();
  Gui([this] { UpdateMenuStates(window_, false); });
  EXPECT_TRUE(Disabled(IDM_SHOW_IN_FILE_MANAGER));
  EXPECT_FALSE(Disabled(IDM_OPEN_IN_FILE_MANAGER));
  EXPECT_EQ(Close(), 0);
}

}  // namespace
