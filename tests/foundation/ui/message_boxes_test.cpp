// Message boxes with a path: the composed text, the caption and owner they get, and their answers. A watcher
// thread answers every box of this process, so no test waits for a person.
#include "foundation/ui/message_boxes.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/ui/ui_strings.h"
#include "main_window_stand_in.h"
#include "support/process_driver.h"

namespace {

const UiStringRecord kTexts[] = {{-1, L"XX"}, {300, L"Cannot rename"}, {301, L"Done\r\n"}, {0, nullptr}};

// A program state with a title and a string table for the length of a test.
class ProgramState {
 public:
  ProgramState() {
    g_app = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
    CopyWideBounded(L"Quorvex", g_app->title, 40);
    g_app->uiStrings = reinterpret_cast<const UiStringTable*>(kTexts);
  }
  ~ProgramState() { FreeAndNull(&g_app); }
  ProgramState(const ProgramState&) = delete;
  ProgramState& operator=(const ProgramState&) = delete;
};

}  // namespace

TEST(MessageBoxes, PutThePathAfterExactlyOneEmptyLine) {
  DialogWatcher watcher(GetCurrentProcessId(), IDOK);
  EXPECT_EQ(ShowMessageWithPath(nullptr, 0, L"Error", L"C:\\x\\y.txt", L"Test", MB_OK), IDOK);
  EXPECT_EQ(watcher.LastText(), L"Error\r\n\r\nC:\\x\\y.txt");
  EXPECT_EQ(watcher.LastCaption(), L"Test");
  EXPECT_EQ(ShowMessageWithPath(nullptr, 0, L"Error\r\n", L"C:\\x\\y.txt", L"Test", MB_OK), IDOK);
  EXPECT_EQ(watcher.LastText(), L"Error\r\n\r\nC:\\x\\y.txt");
  EXPECT_EQ(ShowMessageWithPath(nullptr, 0, L"Only a message", L"", L"Test", MB_OK), IDOK);
  EXPECT_EQ(watcher.LastText(), L"Only a message");
  EXPECT_EQ(watcher.Answered(), 3);
}

TEST(MessageBoxes, TheTopBitOfTheTypeShowsOnlyTheFileName) {
  DialogWatcher watcher(GetCurrentProcessId(), IDNO);
  EXPECT_EQ(ShowMessageWithPath(nullptr, 0, L"Rename?", L"C:\\x\\y.txt", L"Test",
                                MB_YESNO | kMessageShowFileNameOnly),
            IDNO);
  EXPECT_EQ(watcher.LastText(), L"Rename?\r\n\r\ny.txt");
  // A folder path ends in a separator: its file-name part is empty, so no path line is added.
  EXPECT_EQ(ShowMessageWithPath(nullptr, 0, L"Rename?", L"C:\\x\\", L"Test", MB_YESNO | kMessageShowFileNameOnly),
            IDNO);
  EXPECT_EQ(watcher.LastText(), L"Rename?");
}

TEST(MessageBoxes, AnEmptyMessageShowsNoBox) {
  DialogWatcher watcher(GetCurrentProcessId(), IDOK);
  EXPECT_EQ(ShowMessageWithPath(nullptr, 0, nullptr, L"C:\\x.txt", nullptr, MB_OK), IDCANCEL);
  EXPECT_EQ(ShowMessageWithPath(nullptr, 0, L"", L"C:\\x.txt", nullptr, MB_OK), IDCANCEL);
  // Without a string table every UI text is empty.
  EXPECT_EQ(ShowMessageWithPath(nullptr, 300, L"ignored", nullptr, nullptr, MB_OK), IDCANCEL);
  EXPECT_EQ(watcher.Answered(), 0);
}

TEST(MessageBoxes, TextIdsAndTheProgramTitleComeFromTheProgramState) {
  ProgramState state;
  DialogWatcher watcher(GetCurrentProcessId(), IDOK);
  EXPECT_EQ(ShowMessageWithPath(nullptr, 300, L"ignored", L"D:\\a b\\c.txt", nullptr, MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(watcher.LastText(), L"Cannot rename\r\n\r\nD:\\a b\\c.txt");
  EXPECT_EQ(watcher.LastCaption(), L"Quorvex");
  EXPECT_EQ(ShowMessageWithPath(nullptr, 301, nullptr, L"D:\\c.txt", nullptr, MB_OK), IDOK);
  EXPECT_EQ(watcher.LastText(), L"Done\r\n\r\nD:\\c.txt");
  EXPECT_EQ(ShowMessageWithPath(nullptr, 4711, L"ignored", nullptr, nullptr, MB_OK), IDCANCEL);
}

TEST(MessageBoxes, BoxesOfTheMainWindowsThreadBelongToTheMainWindow) {
  MainWindowStandIn mainWindow;
  DialogWatcher watcher(GetCurrentProcessId(), IDOK);
  EXPECT_EQ(ShowMessageWithPath(nullptr, 0, L"Owned", nullptr, L"Test", MB_OK), IDOK);
  EXPECT_EQ(watcher.LastOwner(), mainWindow.Window());

  int answer = 0;
  WorkerThread worker([&] { answer = ShowMessageWithPath(nullptr, 0, L"From a worker", nullptr, L"Test", MB_OK); });
  ASSERT_TRUE(mainWindow.PumpUntil([&] { return worker.Finished(); }));
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(watcher.LastText(), L"From a worker");
  EXPECT_EQ(watcher.LastOwner(), nullptr);
}

TEST(MessageBoxes, PlainBoxesShowTheirTextAsGiven) {
  DialogWatcher watcher(GetCurrentProcessId(), IDCANCEL);
  EXPECT_EQ(ShowMessageBoxWide(nullptr, L"Wide \u00e9", L"Wide caption", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(watcher.LastText(), L"Wide \u00e9");
  EXPECT_EQ(watcher.LastCaption(), L"Wide caption");
  EXPECT_EQ(ShowMessageBoxNarrow(nullptr, "Narrow \xE9", "Narrow caption", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(watcher.LastText(), L"Narrow \u00e9");
  EXPECT_EQ(watcher.LastCaption(), L"Narrow caption");
}
