// The main toolbar's stored choice "TB" and the check-list dialog that edits it: stored numbers name buttons
// by their image numbers, the toolbar shows the buttons its table holds, the separator stays available
// however often it is chosen, OK stores the choice (also unchanged) and Cancel leaves everything.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "foundation/profile/profile_store.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/core/memory.h"
#include "program_state_scope.h"
#include "shell/check_list_dialog.h"
#include "shell/main_commands.h"
#include "shell/toolbar_descriptor.h"
#include "support/dialog_action.h"
#include "support/temp_folder.h"
#include "support/test_window.h"

namespace {

std::vector<int> Commands(const uint16_t* choice) {
  std::vector<int> commands;
  for (int i = 0; choice && choice[i] != 0; ++i) commands.push_back(choice[i]);
  return commands;
}

std::string StoredChoice() {
  char text[kToolbarChoiceTextCapacity];
  ProfileGetString(&g_settingsStore, "QVRX", "TB", "(missing)", text, kToolbarChoiceTextCapacity);
  return text;
}

int RowOfCommand(HWND list, int command) {
  LVFINDINFOW find = {};
  find.flags = LVFI_PARAM;
  find.lParam = command;
  return static_cast<int>(SendMessageW(list, LVM_FINDITEMW, -1, reinterpret_cast<LPARAM>(&find)));
}

int Rows(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

void Focus(HWND list, int row) {
  LVITEMW item = {};
  item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
  item.state = item.stateMask;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

class ToolbarChoice : public testing::Test {
 protected:
  ToolbarChoice() {
    ProfileStoreConstruct(&g_settingsStore, (temp_ / L"QVRX.INI").c_str(), kProfileMainStore | kProfileNoAutoLocation);
    InitMainToolbarDescriptor(&toolbar_, &g_settingsStore);
  }
  ~ToolbarChoice() override {
    DestroyToolbarDescriptor(&toolbar_);
    ProfileStoreDestroy(&g_settingsStore);
  }

  void Build(const char* stored) {
    ProfileSetString(&g_settingsStore, "QVRX", "TB", stored);
    FreeAndNull(&toolbar_.choice);
    RebuildToolbar(&toolbar_, GetModuleHandleW(nullptr), parent_, 16, nullptr);
  }

  TempFolder temp_;
  ProgramStateScope state_;
  OwnedWindow parent_{CreateTestPopup(0, 0, 600, 100)};
  ToolbarDescriptor toolbar_ = {};
};

}  // namespace

TEST(ToolbarNumbers, IntegersAreReadFromAnyText) {
  const struct {
    const char* text;
    std::vector<int> numbers;
  } cases[] = {
      {"12,-3,x7", {12, -3, 7}}, {"a-b-4", {-4}}, {"", {}}, {"1--2 ;3", {1, -2, 3}}, {"70000", {70000 - 65536}},
  };
  for (const auto& c : cases) {
    const int count = ParseNarrowIntegerList(c.text, nullptr);
    std::vector<int16_t> read(static_cast<size_t>(count));
    ParseNarrowIntegerList(c.text, read.data());
    EXPECT_EQ(std::vector<int>(read.begin(), read.end()), c.numbers) << c.text;
  }
}

TEST_F(ToolbarChoice, StoredNumbersNameButtonsAndComeBackTheSame) {
  const struct {
    const char* stored;
    std::vector<int> commands;
    const char* written;
  } cases[] = {
      {"5,0,6", {IDM_NEW_LIST, IDM_TOOLBAR_SEPARATOR, IDM_OPEN_SETTINGS}, "5,0,6"},
      {"1;2 x 27", {IDM_FOLDER_BACK, IDM_FOLDER_FORWARD, IDM_SUBFOLDERS}, "1,2,27"},
      {"99,5", {99, IDM_NEW_LIST}, "99,5"},  // a number no button has stays, and is written back as it was
      {"31,32", {IDM_ATTRIBUTES, IDM_TIMESTAMPS}, "31,32"},
  };
  for (const auto& c : cases) {
    uint16_t* choice = ParseToolbarChoice(&toolbar_, c.stored);
    EXPECT_EQ(Commands(choice), c.commands) << c.stored;
    FreeAndNull(&toolbar_.choice);
    toolbar_.choice = choice;
    char written[kToolbarChoiceTextCapacity];
    FormatToolbarChoice(&toolbar_, written, kToolbarChoiceTextCapacity);
    EXPECT_STREQ(written, c.written);
  }
  EXPECT_EQ(ParseToolbarChoice(&toolbar_, "none"), nullptr);
  LoadToolbarChoice(&toolbar_);
  EXPECT_EQ(Commands(toolbar_.choice), Commands(toolbar_.defaultChoice)) << "nothing stored: the default";
}

TEST_F(ToolbarChoice, TheToolbarShowsTheChosenButtonsItsTableHolds) {
  Build("5,0,99,27,1");
  HWND toolbar = toolbar_.toolbar;
  ASSERT_NE(toolbar, nullptr);
  ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 4) << "command 99 has no button";
  const struct {
    int command;
    BYTE style;
  } expected[] = {{IDM_NEW_LIST, BTNS_BUTTON}, {0, BTNS_SEP}, {IDM_SUBFOLDERS, BTNS_CHECK},
                  {IDM_FOLDER_BACK, BTNS_DROPDOWN}};
  for (int i = 0; i < 4; ++i) {
    TBBUTTON button = {};
    SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.idCommand, expected[i].command) << i;
    EXPECT_EQ(button.fsStyle, expected[i].style) << i;
  }
  const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
  EXPECT_EQ(ImageList_GetImageCount(images), 3) << "one icon per button";
}

TEST_F(ToolbarChoice, TheDialogKeepsTheSeparatorAvailableAndStoresOnlyOnOk) {
  Build("5,0,6");
  const struct {
    int button;
    const char* stored;
    int buttons;
  } cases[] = {{IDCANCEL, "5,0,6", 3}, {IDC_CHECK_LIST_OK, "5,0,0,4,32", 5}};
  for (const auto& c : cases) {
    int available = 0;
    DialogAction act([&](HWND dialog) {
      HWND from = GetDlgItem(dialog, IDC_CHECK_AVAILABLE);
      HWND to = GetDlgItem(dialog, IDC_CHECK_CHOSEN);
      available = Rows(from);
      // The separator chosen twice more and once dropped again: it stays available throughout.
      for (int i = 0; i < 2; ++i) {
        Focus(from, RowOfCommand(from, IDM_TOOLBAR_SEPARATOR));
        Focus(to, Rows(to) - 1);
        SendMessageW(dialog, WM_COMMAND, IDC_ENTRY_ADD, 0);
      }
      Focus(to, Rows(to) - 1);
      SendMessageW(dialog, WM_COMMAND, IDC_ENTRY_REMOVE, 0);
      EXPECT_EQ(Rows(from), available);
      // Command IDM_OPEN_SETTINGS goes back; IDM_REFRESH_TREE and IDM_TIMESTAMPS come after the last shown entry.
      Focus(to, RowOfCommand(to, IDM_OPEN_SETTINGS));
      SendMessageW(dialog, WM_COMMAND, IDC_ENTRY_REMOVE, 0);
      for (int command : {IDM_REFRESH_TREE, IDM_TIMESTAMPS}) {
        Focus(from, RowOfCommand(from, command));
        Focus(to, Rows(to) - 1);
        SendMessageW(dialog, WM_COMMAND, IDC_ENTRY_ADD, 0);
      }
      EXPECT_EQ(Rows(from), available - 1);
      SendMessageW(dialog, WM_COMMAND, c.button, 0);
    });
    const int result = RunCheckListDialog(&toolbar_, GetModuleHandleW(nullptr), parent_, &kToolbarCheckList);
    EXPECT_EQ(available, 29) << "every button not chosen, and the separator";
    EXPECT_EQ(result, c.button == IDCANCEL ? 0 : 16);
    EXPECT_EQ(StoredChoice(), c.stored);
    EXPECT_EQ(SendMessageW(toolbar_.toolbar, TB_BUTTONCOUNT, 0, 0), c.buttons);
  }
}

TEST(ToolbarButtons, EveryButtonRunsACommandOfTheMainWindowOrWaitsForItsPart) {
  ToolbarDescriptor toolbar = {};
  InitMainToolbarDescriptor(&toolbar, nullptr);
  for (const ToolbarButtonRow* row = toolbar.buttons; row->commandId != 0; ++row) {
    if (row->commandId == toolbar.separatorId) continue;
    const CommandState* state = FindCommandState(row->commandId);
    EXPECT_TRUE(FindCommandHandler(row->commandId) || (state && state->missing)) << row->commandId;
  }
}
