#include "views/folder_tree.h"

#include <objbase.h>
#include <shlobj.h>

#include <cwchar>
#include <initializer_list>

#include "foundation/core/app_state.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/providers/directory_listing.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/win32/icons.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/tree_views.h"
#include "foundation/win32/window_wrappers.h"
#include "views/address_bar.h"
#include "views/items_view.h"
#include "views/items_view_layout.h"
#include "views/items_view_rows.h"
#include "views/settings_values.h"
#include "views/shell_context_menu.h"

namespace {

constexpr DWORD kTreeStyle = WS_CHILD | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_DISABLEDRAGDROP |
                             TVS_SHOWSELALWAYS;
constexpr uint16_t kProviderRootAttribute = 0x1000;
constexpr int kSmallestIconSize = 16;
// The generic folder images at the start of the tree's image list: closed, open, closed again.
constexpr int kFolderImages[] = {IDI_FOLDER_CLOSED, IDI_FOLDER_OPEN, IDI_FOLDER_CLOSED};
constexpr int kGenericFolderResults = 3;
constexpr int kClosedFolderImage = 0;
constexpr int kOpenFolderImage = 1;
// Entries a drawn node reads of its folder to learn whether it has subfolders; beyond them it is taken to have
// some, and its first expansion tells.
constexpr int kSubfolderProbeEntries = 256;

WNDPROC g_previousTreeProc = nullptr;

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

TVITEMW QueryItem(HWND tree, HTREEITEM item, UINT mask, wchar_t* text, int capacity) {
  TVITEMW query = {};
  query.mask = mask | TVIF_HANDLE;
  query.hItem = item;
  query.pszText = text;
  query.cchTextMax = capacity;
  if (text && capacity > 0) text[0] = 0;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
  return query;
}

const TreeNodeData* NodeData(HWND tree, HTREEITEM item) {
  return reinterpret_cast<const TreeNodeData*>(QueryItem(tree, item, TVIF_PARAM, nullptr, 0).lParam);
}

HIMAGELIST TreeImages(HWND tree) {
  return reinterpret_cast<HIMAGELIST>(SendWindowMessage(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
}

// Gives the tree an image list (or none) as both its normal and its state list, destroying the one it had.
void ReplaceTreeImages(HWND tree, HIMAGELIST images) {
  auto old = reinterpret_cast<HIMAGELIST>(
      SendWindowMessage(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images)));
  SendWindowMessage(tree, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images));
  if (old && old != images) ImageList_Destroy(old);
}

HINSTANCE ProgramInstance() { return g_app && g_app->instance ? g_app->instance : GetModuleHandleW(nullptr); }

int ListIconSize() {
  const int size = g_app ? g_app->listIconSize : 0;
  return size < kSmallestIconSize ? kSmallestIconSize : size;
}

// The path a node's own data gives for a use: 1 with the path, 0 when the walk goes on to the parent, -1 when
// it ends with nothing more.
int OwnPath(HWND tree, HTREEITEM item, TreeNodePathUse use, wchar_t* out, int capacity, int* result) {
  const TreeNodeData* data = NodeData(tree, item);
  if (!data || data->path[0] == 0) return 0;
  if (wcscmp(data->path, L"\\") == 0) {
    if (use != kPathToEnumerate) return -1;
    TreeViewGetItemText(tree, item, out, capacity);
    return 1;
  }
  if (data->path[0] == L'*') {
    if (use == kPathForMatching) return 0;
    *result = CopyWideBounded(data->path + 1, out, capacity);
    return 1;
  }
  *result = CopyWideBounded(data->path, out, capacity);
  return 1;
}

// The path of a node cut to compare it with a target: no trailing separator, upper case.
void ComparablePath(HWND tree, HTREEITEM item, wchar_t* path, int capacity) {
  GetTreeNodePath(tree, item, path, capacity, kPathForMatching);
  RemoveTrailingBackslash(path);
  CharUpperW(path);
}

// Among the item and its following siblings, the one whose path leads furthest towards the target beyond the
// part matched so far; null when none does.
HTREEITEM FindOnTheWay(HWND tree, HTREEITEM first, const wchar_t* target, size_t* matched) {
  HTREEITEM best = nullptr;
  wchar_t path[kTreeNodePathCapacity];
  for (HTREEITEM item = first; item; item = NextItem(tree, item, TVGN_NEXT)) {
    ComparablePath(tree, item, path, kTreeNodePathCapacity);
    const size_t length = wcslen(path);
    if (length > *matched && PathStartsWith(target, path)) {
      best = item;
      *matched = length;
    }
  }
  return best;
}

void SelectItem(HWND tree, HTREEITEM item) {
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

// Shown whole: the scroll a selection makes can leave a deep node under the horizontal scroll bar.
void ShowWhole(HWND tree, HTREEITEM item) {
  SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
}

void SelectNode(HWND tree, HTREEITEM item) {
  SelectItem(tree, item);
  ShowWhole(tree, item);
}

// A walk down a path draws the tree once, after its selection: a node on screen asks for its icon and whether
// it has subfolders, which takes long for a large folder, and the selection that lists the folder would wait
// for that at every level. A hidden tree draws nothing and is left alone.
class TreeDrawingPaused {
 public:
  explicit TreeDrawingPaused(HWND tree) : tree_(IsWindowVisible(tree) ? tree : nullptr) {
    if (tree_) SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  }
  ~TreeDrawingPaused() { Resume(); }
  void Resume() {
    if (!tree_) return;
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
    tree_ = nullptr;
  }

 private:
  HWND tree_;
};

// An open node is left as it is: the tree view lays out its whole subtree again for every expand it is sent,
// which down a deep path already open (the start folder, opened level by level by the filling thread) held the
// window for seconds.
void ExpandNode(HWND tree, HTREEITEM item) {
  if (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) return;
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

HTREEITEM FirstSibling(HWND tree, HTREEITEM item) {
  HTREEITEM parent = NextItem(tree, item, TVGN_PARENT);
  return parent ? NextItem(tree, parent, TVGN_CHILD) : NextItem(tree, nullptr, TVGN_ROOT);
}

HTREEITEM ChildNamed(HWND tree, HTREEITEM parent, const wchar_t* name) {
  wchar_t text[kTreeNodePathCapacity];
  for (HTREEITEM child = NextItem(tree, parent, TVGN_CHILD); child; child = NextItem(tree, child, TVGN_NEXT)) {
    TreeViewGetItemText(tree, child, text, kTreeNodePathCapacity);
    if (wcscmp(text, name) == 0) return child;
  }
  return nullptr;
}

struct SubfolderProbe {
  int entries;
  bool found;
};

int ProbeForSubfolder(const WIN32_FIND_DATAW* data, void* context) {
  auto* probe = static_cast<SubfolderProbe*>(context);
  if ((data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDotEntry(data->cFileName)) probe->found = true;
  if (++probe->entries >= kSubfolderProbeEntries) probe->found = true;
  return probe->found ? 1 : 0;
}

// The folder's own entries answer, a bounded number of them: the shell's answer takes a parse of the whole
// path, which grows with every level (tens of milliseconds deep down, for every node drawn). The shell answers
// for what the file functions cannot list.
bool HasSubfolders(const wchar_t* path, uint32_t attributes) {
  if (attributes & kProviderRootAttribute) return true;
  wchar_t pattern[kTreeNodePathCapacity + 2];
  SubfolderProbe probe = {};
  if (CopyAndAppendPath(path, L"*", pattern, kTreeNodePathCapacity + 2) == 0 &&
      EnumDirectory(pattern, ProbeForSubfolder, &probe) == 0) {
    return probe.found;
  }
  SHFILEINFOW info = {};
  info.dwAttributes = SFGAO_HASSUBFOLDER;
  if (!GetShellFileInfo(path, 0, SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED, &info)) return false;
  return (info.dwAttributes & SFGAO_HASSUBFOLDER) != 0;
}

// A node about to be drawn asks for what was left open when it was inserted: whether it has subfolders and
// its icon. The answer stays with the node.
void AnswerNodeDisplay(NMTVDISPINFOW* request) {
  TVITEMW& item = request->item;
  const auto* data = reinterpret_cast<const TreeNodeData*>(item.lParam);
  if (!data) return;
  wchar_t path[kTreeNodePathCapacity];
  GetTreeNodePath(request->hdr.hwndFrom, item.hItem, path, kTreeNodePathCapacity, kPathToEnumerate);
  if (item.mask & TVIF_CHILDREN) item.cChildren = HasSubfolders(path, data->attributes) ? 1 : 0;
  if (item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
    HIMAGELIST images = TreeImages(request->hdr.hwndFrom);
    const int added = images ? VfsAddIconToImageList(nullptr, path, data->attributes, ImageListIconWidth(images),
                                                     images)
                             : 0;
    item.iImage = added > kGenericFolderResults ? added - 1 : kClosedFolderImage;
    item.iSelectedImage = added > kGenericFolderResults ? added - 1 : kOpenFolderImage;
    item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  }
  item.mask |= TVIF_DI_SETITEM;
}

LRESULT CALLBACK FolderTreeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The tree owns the shell context menu of its folder, which draws and fills its own items.
  LRESULT relayed = 0;
  if (RelayShellMenuMessage(window, message, wParam, lParam, &relayed)) return relayed;
  if (message == WM_SETFOCUS) PostWindowMessage(GetParent(window), kPaneNotifyMessage, kPaneGotFocus, kFolderTreeId);
  if (message == WM_NCDESTROY) ReplaceTreeImages(window, nullptr);
  return CallPreviousWindowProc(g_previousTreeProc, window, message, wParam, lParam);
}

bool FileIconsShown() { return !g_app || !(g_app->options & kOptionFileIconsOff); }

}  // namespace

HWND CreateFolderTree(HWND parent) {
  const bool hidden = g_app && (g_app->options & kOptionFolderTreeHidden);
  const WindowFields fields = {WS_EX_CLIENTEDGE, nullptr, kTreeStyle | (hidden ? 0 : WS_VISIBLE), nullptr, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFolderTreeId)), nullptr, nullptr};
  HWND tree = CreateWindowWithRect(WC_TREEVIEWW, fields);
  if (!tree) return nullptr;
  SubclassWindow(tree, FolderTreeWndProc, &g_previousTreeProc);
  SetWindowThemeIfSupported(tree, L"SysTreeView32");
  return tree;
}

int GetTreeNodePath(HWND tree, HTREEITEM item, wchar_t* out, int capacity, TreeNodePathUse use) {
  if (!out || capacity <= 0) return 0;
  out[0] = 0;
  if (!tree || !item) return 0;
  int result = 0;
  const int own = OwnPath(tree, item, use, out, capacity, &result);
  if (own != 0) return own > 0 ? result : 0;
  // A node without a usable path of its own lies below its parent's.
  HTREEITEM parent = NextItem(tree, item, TVGN_PARENT);
  if (parent) result = GetTreeNodePath(tree, parent, out, capacity, use);
  wchar_t text[kTreeNodePathCapacity];
  TreeViewGetItemText(tree, item, text, kTreeNodePathCapacity);
  const int appended = out[0] ? AppendPathComponent(text, out, capacity) : CopyWideBounded(text, out, capacity);
  return result < 0 ? result : appended;
}

int SelectTreePath(HWND tree, HTREEITEM start, const wchar_t* path) {
  if (!tree || !start || !path) return 1;
  wchar_t target[kTreeNodePathCapacity];
  ExpandPathPlaceholders(path, target, kTreeNodePathCapacity);
  RemoveTrailingBackslash(target);
  CharUpperW(target);
  if (target[0] == 0) return 1;
  const size_t targetLength = wcslen(target);
  size_t matched = 0;
  TreeDrawingPaused paused(tree);
  HTREEITEM found = FindOnTheWay(tree, NextItem(tree, start, TVGN_CHILD), target, &matched);
  if (!found) found = FindOnTheWay(tree, FirstSibling(tree, start), target, &matched);
  for (HTREEITEM next = found; next && matched < targetLength;) {
    found = next;
    ExpandNode(tree, found);
    next = FindOnTheWay(tree, NextItem(tree, found, TVGN_CHILD), target, &matched);
    if (next) found = next;
  }
  if (!found) return 1;
  SelectItem(tree, found);
  paused.Resume();
  ShowWhole(tree, found);
  return 0;
}

int SelectTreePathFromRoot(HWND tree, const wchar_t* path) {
  return SelectTreePath(tree, NextItem(tree, nullptr, TVGN_ROOT), path);
}

void GetSelectedTreePath(HWND tree, wchar_t* out, int capacity) {
  GetTreeNodePath(tree, NextItem(tree, nullptr, TVGN_CARET), out, capacity, kPathToOpen);
}

bool OpenFocusedFolderInTree(HWND tree, const wchar_t* focusedName) {
  HTREEITEM selected = NextItem(tree, nullptr, TVGN_CARET);
  if (!selected || !focusedName || !focusedName[0]) return false;
  ExpandNode(tree, selected);
  HTREEITEM target = wcscmp(focusedName, L"..") == 0 ? NextItem(tree, selected, TVGN_PARENT)
                                                      : ChildNamed(tree, selected, focusedName);
  if (!target) return false;
  ExpandNode(tree, target);
  SelectNode(tree, target);
  return true;
}

LRESULT HandleFolderTreeNotify(NMHDR* header) {
  if (!header) return 0;
  switch (header->code) {
    case TVN_ITEMEXPANDINGW: {
      auto* expanding = reinterpret_cast<NMTREEVIEWW*>(header);
      if (expanding->action & TVE_EXPAND) RefreshTreeNodeWithWaitCursor(header->hwndFrom, expanding);
      return 0;
    }
    case TVN_DELETEITEMW:
      FreeTreeNodeItemData(reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case TVN_GETDISPINFOW:
      AnswerNodeDisplay(reinterpret_cast<NMTVDISPINFOW*>(header));
      return 0;
  }
  return 0;
}

void FreeTreeNodeItemData(const NMTREEVIEWW* deleted) {
  if (deleted && deleted->itemOld.lParam) CoTaskMemFree(reinterpret_cast<void*>(deleted->itemOld.lParam));
}

namespace {

HIMAGELIST MakeFolderImageList(HWND tree, COLORREF background, int iconSize) {
  if (background == static_cast<COLORREF>(-1)) {
    background = static_cast<COLORREF>(SendWindowMessage(tree, TVM_GETBKCOLOR, 0, 0));
  }
  if (background == static_cast<COLORREF>(-1)) background = GetThemeColorByIndex(kSlotWindow);
  HIMAGELIST images = CreateIconImageList(iconSize, kGenericFolderResults, background);
  if (images) {
    for (int icon : kFolderImages) AddIconToImageList(ProgramInstance(), icon, iconSize, images);
  }
  return images;
}

}  // namespace

bool SetTreeImageList(HWND tree, COLORREF background, int iconSize) {
  HIMAGELIST images = MakeFolderImageList(tree, background, iconSize);
  if (!images) return false;
  ReplaceTreeImages(tree, images);
  return true;
}

HIMAGELIST MakeTreeImages(HWND tree) {
  return FileIconsShown() ? MakeFolderImageList(tree, static_cast<COLORREF>(-1), ListIconSize()) : nullptr;
}

void GiveTreeImages(HWND tree, HIMAGELIST images) {
  const bool taken = images && IsWindow(tree) && !SendWindowMessage(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0);
  if (taken) {
    ReplaceTreeImages(tree, images);
  } else if (images) {
    ImageList_Destroy(images);
  }
}

void ApplyFileListIconsOption() {
  ItemListControl* files = AppFileList();
  if (!files) return;
  ClearItemIcons(files);
  ItemsViewSetImageList(files, FileIconsShown() ? CreateIconImageList(ListIconSize(), 0, files->backgroundColour)
                                                : nullptr);
}

void ApplyTreeIconsOption(HWND tree) {
  if (!FileIconsShown()) {
    ReplaceTreeImages(tree, nullptr);
  } else if (tree) {
    SetTreeImageList(tree, static_cast<COLORREF>(-1), ListIconSize());
  }
}

void ApplyListColours(HWND tree) {
  ListColoursSetting stored;
  COLORREF text = GetThemeColorByIndex(kSlotWindowText);
  COLORREF background = GetThemeColorByIndex(kSlotWindow);
  // A pair that cannot be read, or whose colours are too alike to read text on, gives way to the theme's, and
  // so does a pair the user turned off: the options dialog keeps it for next time.
  if (LoadListColoursSetting(&stored) && stored.used) {
    text = stored.text;
    background = stored.background;
  }
  ItemListControl* files = AppFileList();
  for (ItemListControl* list : {AppChainList(), files}) {
    if (!list) continue;
    SendWindowMessage(list->window, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text));
    SendWindowMessage(list->window, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(background));
  }
  HFONT font = files ? files->font : nullptr;
  if (ItemListControl* chain = AppChainList()) {
    SendWindowMessage(chain->window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  ApplyTreeColours(tree, font, text, background);
  InvalidateWindowRect(tree, nullptr, true);
}

void ApplyTreeColours(HWND tree, HFONT font, COLORREF text, COLORREF background) {
  SendWindowMessage(tree, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(background));
  SendWindowMessage(tree, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text));
  if (HIMAGELIST images = TreeImages(tree)) ImageList_SetBkColor(images, background);
  if (!font) return;
  SendWindowMessage(tree, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SetAddressBarFont(&g_addressBar, font);
}
