// The folder of the last run is listed at start without waiting for the folder tree, whose fill takes a while,
// and the tree's later selection of it does not list it again. The tree is held while it reads the folder above.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cwctype>
#include <string>
#include <thread>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "program_fixture.h"
#include "shell/main_lists.h"
#include "system_seams_scope.h"
#include "views/item_list_control.h"
#include "views/view_hooks.h"

namespace {

HANDLE g_treeMayGoOn = nullptr;
std::wstring g_heldFolder;  // the folder above the listed one, in lower case
std::atomic<int> g_laterListings{0};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// The tree reads the folder above the listed one to reach it; the listing reads the listed one.
HANDLE WINAPI HeldFindFirstFileEx(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS search,
                                  LPVOID filter, DWORD flags) {
  const std::wstring lower = Lower(pattern);
  if (lower.find(g_heldFolder + L"\\*") != std::wstring::npos) WaitForSingleObject(g_treeMayGoOn, 20000);
  return FindFirstFileExW(pattern, level, data, search, filter, flags);
}

void CountedFollowUps(ItemListControl* list, const wchar_t* folder) {
  ++g_laterListings;
  RunListingFollowUps(list, folder);
}

bool ListedAndIdle(size_t rows) {
  const AppState* app = g_app;
  return app && app->fileList && ItemStoreCount(&app->fileList->rows) == rows && app->busyCounter == 0;
}

using StartListing = ProgramFixture;

}  // namespace

TEST_F(StartListing, TheStartFolderIsListedBeforeTheTreeReachesItAndOnlyOnce) {
  SystemSeamsScope seams;
  g_heldFolder = Lower(temp_.Path());
  g_treeMayGoOn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_systemSeams.findFirstFileExW = HeldFindFirstFileEx;
  bool listedWhileTreeHeld = false;
  std::thread treeOpener([&] {
    for (int i = 0; i < 250 && !listedWhileTreeHeld; ++i, Sleep(20)) listedWhileTreeHeld = ListedAndIdle(2);
    g_laterListings = 0;
    g_viewHooks.listingEnded = CountedFollowUps;
    SetEvent(g_treeMayGoOn);
  });
  const bool started = Start({L"a.txt", L"b.txt"}, {"<Case,n,2>"});
  treeOpener.join();
  ASSERT_TRUE(started);
  EXPECT_TRUE(listedWhileTreeHeld);
  EXPECT_TRUE(WaitUntilIdle());
  EXPECT_EQ(g_laterListings, 0) << "the tree's selection of the listed folder lists nothing more";
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"A.txt", L"B.txt"}));
  Close();
  CloseHandle(g_treeMayGoOn);
}
