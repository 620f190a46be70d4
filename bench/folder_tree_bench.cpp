// Expanding a folder of 10 000 subfolders in the folder tree (filling the node's children and the tree's own
// expansion), with file icons on and off, against a bare FindFirstFileExW walk of the same folder in the same
// run. Prints the times and their ratio.
//
// A second baseline is the tree control's own share: inserting 10 000 names into a collapsed node, sorting and
// expanding it, without any enumeration. The program's own part is what the expansion takes beyond the walk and
// that share.
//
// The third is the floor: a minimal program filling the same tree control with the same folders, without any
// logic of its own: the bare walk inserting each subfolder as it comes (its name, the folder images, a button),
// then the sort and the expansion. Target: the expansion within the floor plus 25 %.
//
// Usage: folder_tree_bench [folder]. Without a folder the program makes one of 10 000 empty subfolders in the
// temporary folder and removes it afterwards; with one, it expands the folder given. Under Wine, making them
// through the system is slow (each new name is looked up in the whole folder); they can be made outside:
// mkdir /tmp/tb && (cd /tmp/tb && seq -f "d%05g" 10000 | xargs mkdir), then folder_tree_bench Z:\tmp\tb
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>

#include "bench_folder.h"
#include "bench_window.h"
#include "best_time.h"
#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"
#include "foundation/providers/providers.h"
#include "foundation/win32/system_functions.h"
#include "views/folder_tree.h"

namespace {

constexpr int kFolderCount = 10000;
constexpr int kRuns = 3;
constexpr double kFloorAllowance = 1.25;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) return HandleFolderTreeNotify(reinterpret_cast<NMHDR*>(lParam));
  return DefWindowProcW(window, message, wParam, lParam);
}

void FolderName(const wchar_t* folder, int i, wchar_t* path) { swprintf(path, MAX_PATH, L"%ls\\d%05d", folder, i); }

bool MakeFolder(const wchar_t* folder) {
  if (!CreateDirectoryW(folder, nullptr)) return false;
  wchar_t path[MAX_PATH];
  for (int i = 0; i < kFolderCount; ++i) {
    FolderName(folder, i, path);
    if (!CreateDirectoryW(path, nullptr)) return false;
  }
  return true;
}

void RemoveFolder(const wchar_t* folder) {
  wchar_t path[MAX_PATH];
  for (int i = 0; i < kFolderCount; ++i) {
    FolderName(folder, i, path);
    RemoveDirectoryW(path);
  }
  RemoveDirectoryW(folder);
}

// Walks the folder's entries; each folder among them goes to `folderFound`. The number of folders.
template <typename FolderFound>
int WalkFolders(const wchar_t* folder, FolderFound folderFound) {
  wchar_t pattern[MAX_PATH];
  swprintf(pattern, MAX_PATH, L"%ls\\*", folder);
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW(pattern, FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  int folders = 0;
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ++folders;
      folderFound(data.cFileName);
    }
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return folders;
}

int BareWalk(const wchar_t* folder) {
  return WalkFolders(folder, [](const wchar_t*) {});
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

int ChildCount(HWND tree, HTREEITEM node) {
  int count = 0;
  for (HTREEITEM child = NextItem(tree, node, TVGN_CHILD); child; child = NextItem(tree, child, TVGN_NEXT)) ++count;
  return count;
}

// The node collapsed with its children removed, so that the next expansion fills it anew.
void Reset(HWND tree, HTREEITEM node) {
  SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET, reinterpret_cast<LPARAM>(node));
}

// A node of the bench's own: without a data block the program leaves it to the bench.
HTREEITEM InsertBenchNode(HWND tree, const wchar_t* text) {
  TVINSERTSTRUCTW insert = {};
  insert.hParent = TVI_ROOT;
  insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
  insert.item.pszText = const_cast<wchar_t*>(text);
  insert.item.cChildren = 1;
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The tree control alone: the names inserted, sorted and expanded as a fill would, without enumerating.
double ControlShare(HWND tree) {
  HTREEITEM node = InsertBenchNode(tree, L"names");
  TVINSERTSTRUCTW insert = {};
  const double seconds = BestSecondsOf(kRuns, [&] {
    Reset(tree, node);
    wchar_t name[16];
    insert.hParent = node;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = name;
    for (int i = kFolderCount; i > 0; --i) {
      swprintf(name, 16, L"d%05d", i);
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
    SendMessageW(tree, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(node));
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
  });
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node));
  return seconds;
}

// The floor: the walk inserting each subfolder as it comes, then the sort and the expansion.
double MinimalProgram(HWND tree, const wchar_t* folder) {
  HTREEITEM node = InsertBenchNode(tree, L"minimal");
  const double seconds = BestSecondsOf(kRuns, [&] {
    Reset(tree, node);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = node;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
    insert.item.cChildren = 1;
    insert.item.iSelectedImage = 1;
    WalkFolders(folder, [&](const wchar_t* name) {
      if (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0) return;
      insert.item.pszText = const_cast<wchar_t*>(name);
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    });
    SendMessageW(tree, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(node));
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
  });
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node));
  return seconds;
}

void Measure(const char* label, HWND tree, const wchar_t* folder, double bare, double control, double floor) {
  HTREEITEM node = InsertTreeNode(tree, TVI_ROOT, TVI_LAST, folder, folder, FILE_ATTRIBUTE_DIRECTORY);
  const double expand = BestSecondsOf(kRuns, [&] {
    Reset(tree, node);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
  });
  // Counted outside the time, as the floor does not count.
  const int children = ChildCount(tree, node);
  std::printf("%-18s expand %7.3f s   bare walk %7.3f s   ratio %5.2f   to the floor %5.2f (target at most %.2f)   "
              "program's own part %7.3f s   children %d\n",
              label, expand, bare, expand / bare, expand / floor, kFloorAllowance, expand - bare - control, children);
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node));
}

}  // namespace

int main() {
  g_app = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
  InitCommonControls();
  InitOptionalKernelFunctions();
  InitFileSystemProviders();
  wchar_t folder[MAX_PATH];
  const bool ownFolder = ChooseBenchFolder(L"qvrx-tree-bench", folder);
  if (ownFolder && !MakeFolder(folder)) {
    std::printf("could not create %d folders\n", kFolderCount);
    RemoveFolder(folder);
    return 1;
  }
  int folders = 0;
  const double bare = BestSecondsOf(kRuns, [&] { folders = BareWalk(folder); });
  std::printf("%d entries; bare FindFirstFileExW walk %.3f s\n", folders, bare);

  HWND parent = CreateBenchParent(ParentProc, L"QvrxTreeBench", 400, 600);
  HWND tree = CreateFolderTree(parent);
  MoveWindow(tree, 0, 0, 400, 600, TRUE);
  const double control = ControlShare(tree);
  std::printf("tree control alone (insert, sort, expand of %d names) %.3f s, %.2f times the walk\n", kFolderCount,
              control, control / bare);
  SetTreeImageList(tree, static_cast<COLORREF>(-1), 16);
  const double floor = MinimalProgram(tree, folder);
  std::printf("minimal program filling the tree (walk, insert, sort, expand) %.3f s, %.2f times the walk: the floor; "
              "target floor + 25 %% = %.3f s\n",
              floor, floor / bare, floor * kFloorAllowance);
  Measure("file icons on:", tree, folder, bare, control, floor);
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
  Measure("file icons off:", tree, folder, bare, control, floor);

  DestroyWindow(parent);
  if (ownFolder) RemoveFolder(folder);
  ShutdownProviders();
  return 0;
}
