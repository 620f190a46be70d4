// The real QVRX.exe with its panes, driven through the system's input as a user drives it: a click on a folder
// of the tree lists it; a path typed into the address bar, with the completion's offer, lists it; a click on a
// segment opens that folder and a segment's arrow its subfolders; the status bar counts what is listed and
// selected, also 10 000 files, and shows a run's progress. Pictures of the window are kept as test artefacts.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ui/command_ids.h"
#include "program_on_folder.h"
#include "remote_program.h"
#include "support/process_driver.h"
#include "support/system_input.h"
#include "support/temp_folder.h"
#include "views/address_bar.h"
#include "window_image.h"

namespace {

constexpr int kTreeId = 60;
// Parts of the status bar.
constexpr int kSelectionPart = 0;
constexpr int kListingPart = 1;

std::wstring Grouped(int thousands, int rest) {
  wchar_t separator[8] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  wchar_t text[32];
  swprintf(text, 32, L"%d%lc%03d", thousands, separator[0] ? separator[0] : L',', rest);
  return text;
}

// An unchecked step: with an empty chain the program offers its module menu at start, at the mouse, where
// it would take the test's clicks.
constexpr char kQuietChain[] = "[QK]\r\nR1=-<Case,n,2>\r\n";

class PanesProgram : public ProgramOnFolder {
 protected:
  // Starts the program on `folder` with the option word; false when its window or its first listing did not come.
  bool Start(const std::wstring& folder, unsigned options, const std::string& chain = kQuietChain) {
    copy_.Folder().WriteFile(L"QVRX.INI", "[QVRX]\r\nOpt=" + std::to_string(options) + "\r\nLanguage=US\r\n" + chain);
    run_ = std::make_unique<ProgramRun>(copy_, folder);
    window_ = run_->Window();
    if (!window_) return false;
    tree_ = GetDlgItem(window_, kTreeId);
    addressBar_ = FindWindowExW(window_, nullptr, L"ab", nullptr);
    statusBar_ = FindWindowExW(window_, nullptr, L"sb", nullptr);
    files_ = std::make_unique<RemoteList>(run_->Process(), GetDlgItem(window_, kFileListId));
    // The start folder is listed before the tree, filled on a thread of its own, has selected it.
    return tree_ && addressBar_ && statusBar_ &&
           WaitUntil([&] { return SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0; });
  }
  ~PanesProgram() override {
    files_.reset();
    if (window_) {
      EXPECT_EQ(run_->Close(), 0);
    }
  }

  bool Foreground() {
    for (int i = 0; i < 50 && GetForegroundWindow() != window_; ++i) {
      SetForegroundWindow(window_);
      Sleep(20);
    }
    return GetForegroundWindow() == window_;
  }

  std::wstring StatusText(int part) const {
    struct Text {
      wchar_t characters[512];
    };
    RemoteBlock text(run_->Process(), sizeof(Text));
    SendMessageW(statusBar_, SB_GETTEXTW, part, text.Address());
    Text read = text.Read<Text>();
    read.characters[511] = 0;
    return read.characters;
  }

  bool WaitForListing(const Names& names, const std::wstring& counts) const {
    return WaitUntil([&] { return files_->Column(kNameColumn) == names && StatusText(kListingPart) == counts; });
  }

  HTREEITEM TreeItem(HTREEITEM item, UINT relation) const {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
  }

  // The middle of a tree item's text.
  POINT TreeItemMiddle(HTREEITEM item) const {
    RemoteBlock rect(run_->Process(), sizeof(RECT));
    rect.Write(item);
    SendMessageW(tree_, TVM_GETITEMRECT, TRUE, rect.Address());
    const RECT read = rect.Read<RECT>();
    return POINT{(read.left + read.right) / 2, (read.top + read.bottom) / 2};
  }

  // A point on a segment of the address bar: the middle of its body, or of its arrow.
  POINT SegmentPoint(int index, bool arrow) const {
    const LRESULT extent = SendMessageW(addressBar_, kAddressBarSegmentExtentMessage, index, 0);
    RECT client = {};
    GetClientRect(addressBar_, &client);
    const int right = HIWORD(extent);
    return POINT{arrow ? right - 5 : (LOWORD(extent) + right - 11) / 2, client.bottom / 2};
  }

  // Opens the address bar's path box through its menu (right click, E for "Edit path"); the box once its field
  // holds the focus (keys go where the focus is when the system takes them), or null. The box is visible to this
  // process before it has made its field.
  HWND OpenPathEditBox() const {
    ClickAt(addressBar_, SegmentPoint(0, false), true);
    if (!WaitForMenuMode(window_)) return nullptr;
    PressKey('E');
    HWND combo = nullptr;
    HWND field = nullptr;
    const bool made = WaitUntil([&] {
      combo = FindWindowExW(addressBar_, nullptr, WC_COMBOBOXW, nullptr);
      field = combo ? FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
      return field != nullptr;
    });
    return made && WaitForFocus(field) ? combo : nullptr;
  }

  // Types `begun` and then `last` into the box. All but the last key are given by message: the box restores its
  // text after each offer, which takes a key typed meanwhile on a busy machine.
  static void TypeIntoPathEditBox(HWND combo, const std::wstring& begun, const wchar_t* last) {
    SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(begun.c_str()));
    SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(begun.size(), begun.size()));
    TypeText(last);
  }

  // The window as it is on the screen, kept among the artefacts.
  void Picture(const wchar_t* name) const {
    RECT frame = {};
    GetWindowRect(window_, &frame);
    WindowImage image(frame.right - frame.left, frame.bottom - frame.top);
    CaptureScreen(frame, &image);
    EXPECT_TRUE(image.SavePng(ArtifactPath(name)));
  }

  std::unique_ptr<ProgramRun> run_;
  HWND window_ = nullptr;
  HWND tree_ = nullptr;
  HWND addressBar_ = nullptr;
  HWND statusBar_ = nullptr;
  std::unique_ptr<RemoteList> files_;
};

using PanesProgramInteractive = PanesProgram;

}  // namespace

TEST_F(PanesProgramInteractive, TheTreeTheAddressBarAndItsSegmentsOpenFoldersByMouseAndKeys) {
  const TempFolder& folder = copy_.Folder();
  const std::wstring files = folder.MakeFolder(L"files");
  const std::string hundred(100, 'x');
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"alpha\\x.txt", L"alpha\\y.txt", L"beta\\z.txt"}) {
    folder.WriteFile(std::wstring(L"files\\") + name, hundred);
  }
  folder.MakeFolder(L"files\\gamma");
  // Sizes as plain numbers (0x20000).
  ASSERT_TRUE(Start(files, 32 | 0x20000));
  ASSERT_TRUE(WaitForListing({L"a.txt", L"b.txt", L"c.txt"}, L"Listed: 3 files, 300 bytes"));
  EXPECT_TRUE(WaitUntil([&] { return StatusText(kSelectionPart) == L"Selected: 1 file, 100 bytes"; }));
  ASSERT_TRUE(Foreground()) << "the program's window takes the system's input";
  Picture(L"panes_listed.png");

  // The tree: a click on the listed folder, Right opens it, a click on a subfolder lists that.
  HTREEITEM listed = TreeItem(nullptr, TVGN_CARET);
  ASSERT_NE(listed, nullptr);
  // Clicked again where the node stands now when the focus did not come: the tree may still scroll to it.
  bool focused = false;
  for (int click = 0; click < 3 && !focused; ++click) {
    ClickAt(tree_, TreeItemMiddle(listed));
    focused = WaitForFocus(tree_);
  }
  ASSERT_TRUE(focused);
  PressKey(VK_RIGHT);
  ASSERT_TRUE(WaitUntil([&] { return TreeItem(listed, TVGN_CHILD) != nullptr; }));
  HTREEITEM beta = TreeItem(TreeItem(listed, TVGN_CHILD), TVGN_NEXT);
  ClickAt(tree_, TreeItemMiddle(beta));
  ASSERT_TRUE(WaitForListing({L"z.txt"}, L"Listed: 1 file, 100 bytes"));
  Picture(L"panes_tree_click.png");

  // The address bar's path box, then a typed path whose completion offers alpha.
  const HWND combo = OpenPathEditBox();
  ASSERT_TRUE(combo);
  const std::wstring begun = files + L"\\a";
  TypeIntoPathEditBox(combo, begun, L"l");
  wchar_t typed[1024] = {};
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(combo, CB_GETCOUNT, 0, 0) == 1; }))
      << "one subfolder matches; the edit box " << (IsWindow(combo) ? "shows: " : "has closed")
      << (GetWindowTextW(combo, typed, 1024), typed);
  // The system carries the text of a combo box's entry across processes itself.
  wchar_t offered[1024] = {};
  SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(offered));
  EXPECT_EQ(std::wstring(offered), files + L"\\alpha");
  Picture(L"panes_completion.png");
  const std::wstring chosen = files + L"\\alpha";
  SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
  SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(chosen.size(), chosen.size()));
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitForListing({L"x.txt", L"y.txt"}, L"Listed: 2 files, 200 bytes"));
  EXPECT_FALSE(IsWindow(combo)) << "the edit box closes after Enter";

  // A click on the segment of "files" opens it; its arrow offers alpha, beta and gamma, and the second is listed.
  const int filesSegment = static_cast<int>(std::count(files.begin(), files.end(), L'\\'));
  ASSERT_NE(SendMessageW(addressBar_, kAddressBarSegmentExtentMessage, filesSegment + 1, 0), 0)
      << "alpha is the last segment";
  ClickAt(addressBar_, SegmentPoint(filesSegment, false));
  ASSERT_TRUE(WaitForListing({L"a.txt", L"b.txt", L"c.txt"}, L"Listed: 3 files, 300 bytes"));
  Picture(L"panes_segment_click.png");
  ClickAt(addressBar_, SegmentPoint(filesSegment, true));
  ASSERT_TRUE(WaitForMenuMode(addressBar_));
  Picture(L"panes_subfolder_menu.png");
  PressKey(VK_DOWN);
  PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  ASSERT_TRUE(WaitForListing({L"z.txt"}, L"Listed: 1 file, 100 bytes"));
}

TEST_F(PanesProgramInteractive, EscClosesTheCompletionListFirstThenTheEditBox) {
  const std::wstring files = copy_.Folder().MakeFolder(L"files");
  copy_.Folder().WriteFile(L"files\\a.txt", std::string(100, 'x'));
  copy_.Folder().WriteFile(L"files\\alpha\\x.txt", "x");
  ASSERT_TRUE(Start(files, 32 | 0x20000));
  ASSERT_TRUE(WaitForListing({L"a.txt"}, L"Listed: 1 file, 100 bytes"));
  ASSERT_TRUE(Foreground());
  ASSERT_TRUE(ClickIntoFocus(tree_));
  const HWND combo = OpenPathEditBox();
  ASSERT_TRUE(combo);
  // The box's text is read by message: another process's GetWindowTextW gives the window's title.
  const std::wstring begun = files + L"\\a";
  TypeIntoPathEditBox(combo, begun, L"l");
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(combo, CB_GETCOUNT, 0, 0) == 1; })) << "alpha is offered";
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }));

  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) == 0; })) << "the list closes";
  // The box is still open: a key typed after Esc reaches it (typed again when the restored text took it).
  wchar_t text[1024] = {};
  EXPECT_TRUE(WaitUntil([&] {
    if (!SendMessageW(combo, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text))) return false;
    if (begun + L"l" == text) TypeText(L"x");
    return std::wstring(text).rfind(begun + L"lx", 0) == 0;
  })) << "the box " << (IsWindow(combo) ? "shows: " : "has closed") << text;
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(combo); })) << "the second Esc closes the box";
}

TEST_F(PanesProgram, TheStatusBarCountsTenThousandListedAndSelectedFiles) {
  const std::wstring many = copy_.Folder().MakeFolder(L"many");
  for (int f = 0; f < 100; ++f) {
    const std::wstring sub = copy_.Folder().MakeFolder(L"many\\f" + std::to_wstring(f));
    for (int i = 0; i < 100; ++i) {
      HANDLE file = CreateFileW((sub + L"\\" + std::to_wstring(i) + L".txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      CloseHandle(file);
    }
  }
  // Subfolders listed too (0x1000).
  ASSERT_TRUE(Start(many, 32 | 0x1000));
  const std::wstring tenThousand = Grouped(10, 0);
  ASSERT_TRUE(WaitUntil([&] { return StatusText(kListingPart) == L"Listed: " + tenThousand + L" files"; }))
      << std::string(StatusText(kListingPart).begin(), StatusText(kListingPart).end());
  EXPECT_EQ(files_->Count(), 10000);
  ASSERT_TRUE(
      SendUntil(window_, IDM_SELECT_ALL,
                [&] { return StatusText(kSelectionPart) == L"Selected: " + tenThousand + L" files"; }));
  Picture(L"panes_ten_thousand.png");
}

TEST_F(PanesProgram, TheStatusBarShowsTheRunsProgressAndTheCountsAfterIt) {
  const std::wstring files = copy_.Folder().MakeFolder(L"files");
  for (int i = 0; i < 600; ++i) copy_.Folder().WriteFile(L"files\\" + std::to_wstring(i) + L".txt", "x");
  ASSERT_TRUE(Start(files, 32, "[QK]\r\nR1=<Ext,\"bak\">\r\n"));
  ASSERT_TRUE(WaitUntil([&] { return StatusText(kListingPart) == L"Listed: 600 files, 1 KB"; }))
      << std::string(StatusText(kListingPart).begin(), StatusText(kListingPart).end());
  HWND progress = FindWindowExW(statusBar_, nullptr, PROGRESS_CLASSW, nullptr);
  ASSERT_NE(progress, nullptr);
  EXPECT_FALSE(IsWindowVisible(progress));
  bool seen = false;
  bool pictured = false;
  ASSERT_TRUE(SendUntil(window_, IDM_START_RENAMING, [&] {
    const std::wstring text = StatusText(kListingPart);
    if (IsWindowVisible(progress) && text.find(L" %") != std::wstring::npos) {
      seen = true;
      if (!pictured) Picture(L"panes_progress.png");
      pictured = true;
    }
    return FilesIn(files).front().find(L".bak") != std::wstring::npos && files_->Count() == 0;
  }));
  EXPECT_TRUE(seen) << "the percentage and its bar show while the run goes";
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(progress) && StatusText(kListingPart) == L"0 files"; }))
      << "afterwards the counts of the emptied list come back";
}
