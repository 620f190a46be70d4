// A step's dialog or the filter dialog open while a folder listing waits: the main window's timer does not start
// the listing while the dialog can still write (or free) what the listing reads; it starts as soon as the
// dialog has closed, without the timer. A gate holds the listing at the moment it reads the steps.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "engine/module_contract.h"
#include "foundation/ui/module_dialog_ids.h"
#include "foundation/core/app_state.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "program_fixture.h"
#include "shell/main_lists.h"
#include "shell/main_window.h"
#include "support/dialog_action.h"
#include "support/process_driver.h"
#include "views/item_list_control.h"
#include "views/view_hooks.h"

namespace {

constexpr DWORD kGateWaitMs = 10000;

HANDLE g_atGate = nullptr;
HANDLE g_gateOpen = nullptr;
std::atomic<HWND> g_dialog{nullptr};
std::atomic<bool> g_dialogOpenAtGate{false};

// The listing's follow-ups, held before the preview reads the steps.
void GatedFollowUps(ItemListControl* list, const wchar_t* folder) {
  g_dialogOpenAtGate = IsWindow(g_dialog) != FALSE;
  SetEvent(g_atGate);
  WaitForSingleObject(g_gateOpen, kGateWaitMs);
  RunListingFollowUps(list, folder);
}

class DialogsBesideListings : public ProgramFixture {
 protected:
  DialogsBesideListings() {
    g_atGate = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    g_gateOpen = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~DialogsBesideListings() override {
    SetEvent(g_gateOpen);
    if (program_) Close();
    CloseHandle(g_atGate);
    CloseHandle(g_gateOpen);
  }

  // Only the test's ticks of the duty timer count from here, and the listing stops at the gate.
  bool StartGated(const std::vector<std::wstring>& files, const std::string& step, const std::string& profile = "") {
    if (!Start(files, {step}, profile)) return false;
    Gui([this] {
      KillTimer(window_, kDutyTimerId);
      g_viewHooks.listingEnded = GatedFollowUps;
    });
    return true;
  }

  // Posts the command that opens a dialog; the dialog once it shows.
  HWND OpenDialog(int command) {
    PostMessageW(window_, WM_COMMAND, command, 0);
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !dialog; ++i, Sleep(20)) {
      dialog = FindProcessWindow(GetCurrentProcessId(), L"#32770", [](HWND w) { return IsWindowVisible(w) != 0; });
    }
    g_dialog = dialog;
    return dialog;
  }

  // A folder change waits while the dialog is open; the duty timer ticks.
  void ListingWaitsThroughATimerTick() const {
    InterlockedIncrement(&g_app->pendingListings);
    SendMessageW(window_, WM_TIMER, kDutyTimerId, 0);
  }

  // Ends the dialog with the button; then the listing that waited must come to the gate by itself.
  bool CloseDialogAndPassTheGate(HWND dialog, int button) {
    PressDialogButton(dialog, button);
    for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(20);
    const bool reached = WaitForSingleObject(g_atGate, kGateWaitMs) == WAIT_OBJECT_0;
    SetEvent(g_gateOpen);
    return reached && WaitUntilIdle();
  }
};

}  // namespace

TEST_F(DialogsBesideListings, AWaitingListingStartsOnlyOnceTheStepDialogsOkOrCancelHasRun) {
  ASSERT_TRUE(StartGated({L"Alpha.txt", L"Beta.txt"}, "<Case,n,2>"));
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"ALPHA.txt", L"BETA.txt"}));

  // Add step: the new step's record, which Cancel frees.
  HWND dialog = OpenDialog(IDM_ADD_MODULE_FIRST + kModuleIns);
  ASSERT_NE(dialog, nullptr);
  ListingWaitsThroughATimerTick();
  EXPECT_EQ(static_cast<LONG>(g_app->busyCounter), 0) << "no listing while the dialog is open";
  ASSERT_TRUE(CloseDialogAndPassTheGate(dialog, IDCANCEL));
  EXPECT_FALSE(g_dialogOpenAtGate);
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"ALPHA.txt", L"BETA.txt"}));

  // Edit step: OK writes the step's record in place.
  ResetEvent(g_gateOpen);
  Gui([] { g_app->chainList->focusedIndex = 0; });
  dialog = OpenDialog(IDM_EDIT_STEP);
  ASSERT_NE(dialog, nullptr);
  ClickDialogBox(dialog, IDC_CASE_FIRST_CONVERSION, BST_CHECKED);
  ListingWaitsThroughATimerTick();
  EXPECT_EQ(static_cast<LONG>(g_app->busyCounter), 0) << "no listing while the dialog is open";
  ASSERT_TRUE(CloseDialogAndPassTheGate(dialog, IDC_MODULE_OK));
  EXPECT_FALSE(g_dialogOpenAtGate);
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"alpha.txt", L"beta.txt"}));
}

TEST_F(DialogsBesideListings, AWaitingListingStartsOnlyOnceTheFilterDialogHasClosedAndListsWithTheNewFilter) {
  // The filter is applied (option bit 0x800).
  ASSERT_TRUE(StartGated({L"Alpha.txt", L"Beta.txt"}, "<Case,n,2>", "Opt=2080\r\n"));
  HWND dialog = OpenDialog(IDM_FILTER);
  ASSERT_NE(dialog, nullptr);
  SetDlgItemTextW(dialog, IDC_FILTER_INCLUDE, L"a*");
  ListingWaitsThroughATimerTick();
  EXPECT_EQ(static_cast<LONG>(g_app->busyCounter), 0) << "no listing while the dialog is open";
  ASSERT_TRUE(CloseDialogAndPassTheGate(dialog, IDOK));
  EXPECT_FALSE(g_dialogOpenAtGate);
  EXPECT_EQ(ListedNames(), std::vector<std::wstring>{L"Alpha.txt"});
}
