// The folder tree: filling a node from its provider (names that differ in case once, vanished folders gone,
// hidden ones dimmed), the paths of nodes for their uses, selecting a path, the file list's ".." and the
// colours and icons the tree takes.
#include "views/folder_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "foundation/profile/profile_store.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "pane_test_parent.h"
#include "program_state_scope.h"
#include "system_seams_scope.h"
#include "support/temp_folder.h"
#include "foundation/files/paths.h"

namespace {

using Names = std::vector<std::wstring>;

// The folders a stand-in provider under "Q:\" lists, and what its enumeration answers.
struct FakeItem {
  const wchar_t* name;
  uint16_t attributes;
};
std::vector<FakeItem> g_items;
int g_result = 0;

int RootQ(FileSystemProvider*, ProviderFolder*, wchar_t* target, int capacity) {
  return CopyWideBounded(L"Q:\\", target, capacity);
}

int ListFakeItems(FileSystemProvider*, ProviderFolder*, const wchar_t* path, ProviderItemCallback callback,
                  void* data) {
  for (const FakeItem& fake : g_items) {
    ProviderItem item = {};
    item.folderPath = path;
    item.info.attributes = fake.attributes;
    CopyWideBounded(fake.name, item.name, kPathCapacity);
    callback(&item, data);
  }
  return g_result;
}

// A folder only the file functions know: its search is the one of a real folder.
std::wstring g_stagedFolder;

HANDLE WINAPI SearchStagedFolder(LPCWSTR pattern, FINDEX_INFO_LEVELS level, void* data, FINDEX_SEARCH_OPS search,
                                 void* filter, DWORD flags) {
  const std::wstring real = wcsstr(pattern, L"\\staged\\") ? g_stagedFolder + L"\\*" : pattern;
  return FindFirstFileExW(real.c_str(), level, data, search, filter, flags);
}

HANDLE WINAPI SearchStagedFolderPlainly(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
  return SearchStagedFolder(pattern, FindExInfoStandard, data, FindExSearchNameMatch, nullptr, 0);
}

// A root listing that, on a thread other than the tree's, says it has begun and waits until the test lets it go;
// listings on the tree's thread are counted (the roots are also read to find a path's provider).
wchar_t g_gatedRootName[] = L"Quarry";
HANDLE g_rootListingBegun = nullptr;
HANDLE g_rootGate = nullptr;
DWORD g_treeThread = 0;
volatile LONG g_rootListingsOnTreeThread = 0;

int GatedRootQ(FileSystemProvider* provider, ProviderFolder* folder, wchar_t* target, int capacity) {
  if (GetCurrentThreadId() == g_treeThread) {
    InterlockedIncrement(&g_rootListingsOnTreeThread);
  } else {
    SetEvent(g_rootListingBegun);
    WaitForSingleObject(g_rootGate, 10000);
  }
  return RootQ(provider, folder, target, capacity);
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

class FolderTree : public testing::Test {
 protected:
  FolderTree() {
    InitFileSystemProviders();
    FileSystemProvider& spare = g_fileSystemProviders[2];
    spare.kind = 9;
    spare.slots.rootPath = RootQ;
    spare.slots.enumerate = ListFakeItems;
    g_items.clear();
    g_result = 0;
    tree_ = CreateFolderTree(parent_.Window());
    MoveWindow(tree_, 0, 0, 300, 400, TRUE);
  }
  ~FolderTree() override {
    DestroyWindow(tree_);
    ShutdownProviders();
  }

  HTREEITEM AddNode(HTREEITEM parent, const wchar_t* text, const wchar_t* path, uint32_t attributes = 0x10) {
    return InsertTreeNode(tree_, parent, TVI_LAST, text, path, attributes);
  }

  Names Children(HTREEITEM node) const {
    Names names;
    for (HTREEITEM child = Next(tree_, node, TVGN_CHILD); child; child = Next(tree_, child, TVGN_NEXT)) {
      wchar_t text[300] = {};
      TVITEMW item = {};
      item.mask = TVIF_TEXT;
      item.hItem = child;
      item.pszText = text;
      item.cchTextMax = 300;
      SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      names.emplace_back(text);
    }
    return names;
  }

  UINT State(HTREEITEM item) const {
    return static_cast<UINT>(SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_CUT));
  }

  std::wstring PathOf(HTREEITEM item, TreeNodePathUse use) const {
    wchar_t path[kTreeNodePathCapacity];
    GetTreeNodePath(tree_, item, path, kTreeNodePathCapacity, use);
    return path;
  }

  ProgramStateScope state_;
  PaneTestParent parent_{300, 400};
  HWND tree_ = nullptr;
  TempFolder folder_;
};

}  // namespace

TEST_F(FolderTree, AFillAddsNewFoldersOnceKeepsTheRestAndDropsVanishedOnes) {
  HTREEITEM root = AddNode(TVI_ROOT, L"Q:", L"Q:\\");
  g_items = {{L"Zed", 0x10}, {L"abc", 0x10}, {L"Abc", 0x10}, {L".", 0x10}, {L"..", 0x10}, {L"file.txt", 0x20},
             {L"secret", 0x12}};
  SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  EXPECT_EQ(Children(root), (Names{L"abc", L"secret", L"Zed"})) << "names that differ in case appear once, sorted";
  HTREEITEM secret = Next(tree_, Next(tree_, root, TVGN_CHILD), TVGN_NEXT);
  EXPECT_EQ(State(secret) & TVIS_CUT, static_cast<UINT>(TVIS_CUT)) << "hidden folders are dimmed";
  EXPECT_EQ(PathOf(secret, kPathToOpen), L"Q:\\secret");

  g_items = {{L"Zed", 0x10}, {L"new", 0x10}};
  RefreshTreeNode(tree_, root);
  EXPECT_EQ(Children(root), (Names{L"new", L"Zed"}));
  g_items.clear();
  g_result = ERROR_PATH_NOT_FOUND;
  RefreshTreeNode(tree_, root);
  EXPECT_TRUE(Children(root).empty()) << "a folder that vanished keeps its node and loses its children";
  EXPECT_EQ(Next(tree_, nullptr, TVGN_ROOT), root);
}

TEST_F(FolderTree, NodesGiveThePathOfEachUse) {
  HTREEITEM computer = AddNode(TVI_ROOT, L"My Computer", L"\\", 0x1010);
  HTREEITEM drive = AddNode(computer, L"C: system", L"C:\\", 0x1010);
  HTREEITEM link = AddNode(drive, L"link", L"*D:\\target");
  HTREEITEM below = AddNode(link, L"below", L"");
  struct Case {
    HTREEITEM node;
    TreeNodePathUse use;
    const wchar_t* path;
  };
  const Case cases[] = {
      {computer, kPathToEnumerate, L"My Computer"}, {computer, kPathForMatching, L""},
      {computer, kPathToOpen, L""},                 {drive, kPathForMatching, L"C:\\"},
      {link, kPathForMatching, L"C:\\link"},        {link, kPathToOpen, L"D:\\target"},
      {link, kPathToEnumerate, L"D:\\target"},      {below, kPathForMatching, L"C:\\link\\below"},
      {below, kPathToOpen, L"D:\\target\\below"},
  };
  for (const Case& c : cases) EXPECT_EQ(PathOf(c.node, c.use), c.path) << c.use;
}

TEST_F(FolderTree, SelectingAPathExpandsToTheDeepestFolderOnTheWay) {
  folder_.MakeFolder(L"Windows\\System32");
  HTREEITEM top = AddNode(TVI_ROOT, L"temp", folder_.Path().c_str());
  std::wstring upper = folder_.Path() + L"\\WINDOWS\\";
  CharUpperW(upper.data());
  EXPECT_EQ(SelectTreePath(tree_, top, upper.c_str()), 0);
  EXPECT_EQ(parent_.selectedFolders.back(), folder_ / L"Windows") << "case and a trailing separator do not count";
  EXPECT_EQ(SelectTreePathFromRoot(tree_, (folder_ / L"Windows\\System32").c_str()), 0);
  EXPECT_EQ(parent_.selectedFolders.back(), folder_ / L"Windows\\System32");
  EXPECT_EQ(SelectTreePathFromRoot(tree_, (folder_ / L"Windows\\nonexistent\\x").c_str()), 0);
  EXPECT_EQ(parent_.selectedFolders.back(), folder_ / L"Windows");
  EXPECT_EQ(SelectTreePathFromRoot(tree_, L""), 1);
  EXPECT_EQ(SelectTreePathFromRoot(tree_, L"R:\\elsewhere"), 1);

  OpenFocusedFolderInTree(tree_, L"System32");
  EXPECT_EQ(parent_.selectedFolders.back(), folder_ / L"Windows\\System32");
  OpenFocusedFolderInTree(tree_, L"..");
  EXPECT_EQ(parent_.selectedFolders.back(), folder_ / L"Windows");
}

namespace {

// Counts the expand requests the tree is sent.
WNDPROC g_countedTreeProc = nullptr;
int g_expandsSent = 0;

LRESULT CALLBACK CountExpands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TVM_EXPAND) ++g_expandsSent;
  return CallWindowProcW(g_countedTreeProc, window, message, wParam, lParam);
}

}  // namespace

TEST_F(FolderTree, SelectingAnOpenPathAgainExpandsOnlyTheNodesClosedSince) {
  const std::wstring deepest = folder_.MakeFolder(L"a\\b\\c\\d");
  HTREEITEM top = AddNode(TVI_ROOT, L"temp", folder_.Path().c_str());
  ASSERT_EQ(SelectTreePathFromRoot(tree_, deepest.c_str()), 0);
  g_countedTreeProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(tree_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountExpands)));
  const HTREEITEM b = Next(tree_, Next(tree_, top, TVGN_CHILD), TVGN_CHILD);
  struct Case {
    bool collapseB;
    int expands;
  };
  const Case cases[] = {{false, 0}, {true, 1}};
  for (const Case& c : cases) {
    if (c.collapseB) SendMessageW(tree_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(b));
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
    g_expandsSent = 0;
    EXPECT_EQ(SelectTreePathFromRoot(tree_, deepest.c_str()), 0);
    EXPECT_EQ(g_expandsSent, c.expands) << c.collapseB;
    EXPECT_EQ(parent_.selectedFolders.back(), deepest) << c.collapseB;
  }
}

TEST_F(FolderTree, TheNodeADeepPathSelectsLiesInTheTreesView) {
  std::wstring levels = L"d";
  for (int level = 1; level < 40; ++level) levels += L"\\d";
  const std::wstring deepest = folder_.MakeFolder(levels);
  AddNode(TVI_ROOT, L"temp", folder_.Path().c_str());
  MoveWindow(tree_, 0, 0, 150, 200, TRUE);
  ASSERT_EQ(SelectTreePathFromRoot(tree_, deepest.c_str()), 0);
  ASSERT_EQ(parent_.selectedFolders.back(), deepest);
  RECT text = {};
  const HTREEITEM selected = Next(tree_, nullptr, TVGN_CARET);
  memcpy(&text, &selected, sizeof selected);  // the item goes in where its rectangle comes out
  ASSERT_TRUE(SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text)));
  RECT client = {};
  GetClientRect(tree_, &client);
  EXPECT_GE(text.left, client.left);
  EXPECT_LT(text.left, client.right);
  EXPECT_GE(text.top, client.top);
  EXPECT_LE(text.bottom, client.bottom);
}

TEST_F(FolderTree, WithFileIconsNodesAskForSubfoldersAndIconsWhenDrawn) {
  folder_.MakeFolder(L"a\\b");
  folder_.WriteFile(L"c\\file.txt", "");
  ASSERT_TRUE(SetTreeImageList(tree_, static_cast<COLORREF>(-1), 16));
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(tree_, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
  EXPECT_EQ(ImageList_GetImageCount(images), 3);
  HTREEITEM top = AddNode(TVI_ROOT, L"temp", folder_.Path().c_str());
  SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
  TVITEMW item = {};
  item.mask = TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = Next(tree_, top, TVGN_CHILD);
  ASSERT_TRUE(SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.cChildren, 1);
  EXPECT_EQ(item.iImage, 0) << "a plain folder shows the closed folder";
  EXPECT_EQ(item.iSelectedImage, 1) << "and the open one when selected";

  // Whether a node has subfolders its folder's own entries tell, not the shell's parse of its path.
  SystemSeamsScope seams;
  g_stagedFolder = folder_ / L"a";
  g_systemSeams.findFirstFileExW = SearchStagedFolder;
  g_systemSeams.findFirstFileW = SearchStagedFolderPlainly;
  const struct {
    const wchar_t* path;
    int children;
  } cases[] = {{L"a", 1}, {L"c", 0}, {L"Q:\\staged", 1}};
  for (const auto& c : cases) {
    const std::wstring path = c.path[1] == L':' ? std::wstring(c.path) : folder_ / c.path;
    TVITEMW node = {};
    node.mask = TVIF_CHILDREN;
    node.hItem = AddNode(TVI_ROOT, c.path, path.c_str());
    ASSERT_TRUE(SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&node)));
    EXPECT_EQ(node.cChildren, c.children) << c.path;
  }
}

TEST_F(FolderTree, LateIconsGoToATreeWithoutIconsAndAreDroppedOtherwise) {
  const auto treeImages = [this] {
    return reinterpret_cast<HIMAGELIST>(SendMessageW(tree_, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
  };
  HIMAGELIST first = MakeTreeImages(tree_);
  ASSERT_EQ(ImageList_GetImageCount(first), 3);
  GiveTreeImages(tree_, first);
  EXPECT_EQ(treeImages(), first);
  GiveTreeImages(tree_, MakeTreeImages(tree_));
  EXPECT_EQ(treeImages(), first) << "a tree given its icons meanwhile keeps them";
}

TEST_F(FolderTree, ARefreshWhileTheStartFillRunsLeavesTheTopLevelToIt) {
  g_fileSystemProviders[2].slots.rootPath = GatedRootQ;
  g_fileSystemProviders[2].displayName = g_gatedRootName;
  g_rootListingBegun = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_rootGate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_treeThread = GetCurrentThreadId();
  std::atomic<bool> ended{false};
  // The start fill sends its nodes to this thread, which pumps meanwhile.
  std::thread startFill([&] {
    RebuildFolderTree(tree_);
    ended = true;
  });
  EXPECT_TRUE(parent_.PumpUntil([] { return WaitForSingleObject(g_rootListingBegun, 0) == WAIT_OBJECT_0; }));
  g_rootListingsOnTreeThread = 0;
  RebuildFolderTree(tree_);
  EXPECT_EQ(g_rootListingsOnTreeThread, 0) << "the refresh is left to the running fill";
  SetEvent(g_rootGate);
  EXPECT_TRUE(parent_.PumpUntil([&] { return ended.load(); }));
  startFill.join();
  CloseHandle(g_rootGate);
  CloseHandle(g_rootListingBegun);
  const Names roots = Children(TVI_ROOT);
  EXPECT_FALSE(roots.empty());
  EXPECT_EQ(std::set<std::wstring>(roots.begin(), roots.end()).size(), roots.size()) << "no root twice";
}

TEST_F(FolderTree, ColoursTooAlikeOrTurnedOffGiveWayToTheWindowColours) {
  struct Case {
    const char* stored;
    COLORREF background;
  };
  const Case cases[] = {{"Color=#0,101010,1\r\n", GetSysColor(COLOR_WINDOW)},
                        {"Color=#0,f0c080\r\n", GetSysColor(COLOR_WINDOW)},
                        {"Color=#0,f0c080,1\r\n", 0xF0C080}};
  for (const Case& c : cases) {
    const std::wstring profile = folder_.WriteFile(L"QVRX.INI", std::string("[QVRX]\r\n") + c.stored);
    ProfileStoreConstruct(&g_settingsStore, profile.c_str(), kProfileNoAutoLocation);
    ApplyListColours(tree_);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tree_, TVM_GETBKCOLOR, 0, 0)), c.background) << c.stored;
    ProfileStoreDestroy(&g_settingsStore);
  }
}
