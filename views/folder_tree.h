// The folder tree, the main window's left pane: a common-controls tree view in which the user picks the folder
// the file list shows. Its top level holds the roots the file-system providers offer and the user's special
// folders; a node's children are the subfolders its provider enumerates, filled when the node is first
// expanded and again on refresh. Selecting a node makes its folder the current folder. The tree also follows
// the program: at start-up and after navigation it expands down to the current folder and selects it.
//
// The tree tells its parent what every tree view tells (WM_NOTIFY); the parent hands the notifications of
// control kFolderTreeId to HandleFolderTreeNotify. Shell attributes and icons, slow to ask for, are asked
// only for the nodes the tree draws.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "foundation/files/paths.h"

constexpr uint16_t kFolderTreeId = 60;
// Longest path a node keeps.
constexpr int kTreeNodePathCapacity = 1026;
// Attributes that dim a node.
constexpr uint32_t kDimmedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// What a node's path is asked for: matching it against a path, opening its folder, enumerating its subfolders.
enum TreeNodePathUse { kPathForMatching = 0, kPathToOpen = 1, kPathToEnumerate = 2 };

#pragma pack(push, 1)
// The data block of a node (its lParam), from the shell's allocator: the node's attributes, four bytes kept
// zero, then its path: a full path; '*' and the target of a junction or mount point (while file icons are
// on); or a lone '\' for a provider root whose text is its path.
struct TreeNodeData {
  uint32_t attributes;
  uint32_t reserved;
  wchar_t path[1];
};
#pragma pack(pop)

// Creates the tree (control kFolderTreeId, hidden while the option word hides it), subclassed so that it
// reports getting the focus to its parent as a pane (kPaneNotifyMessage with kPaneGotFocus). The tree, or null.
HWND CreateFolderTree(HWND parent);

// Enumerates the item's subfolders anew: new ones are added, vanished ones removed, the rest kept, and the
// children sorted (unless the provider answered ERROR_FILE_NOT_FOUND). A null item fills the top level: the
// provider roots, then the special folders (on the GUI thread), and expands the first root. The provider's
// result.
int RefreshTreeNode(HWND tree, HTREEITEM item);
// Inserts a node with its data block (path and attributes) under `parent` after `after`; with file icons its
// children flag and icon are asked for when it is drawn. The node, or null.
HTREEITEM InsertTreeNode(HWND tree, HTREEITEM parent, HTREEITEM after, const wchar_t* text, const wchar_t* path,
                         uint32_t attributes);
// The first fill of a node being expanded, under the wait cursor; nothing for a node expanded before.
void RefreshTreeNodeWithWaitCursor(HWND tree, const NMTREEVIEWW* expanding);
// Removes every node and fills the top level again; false, with nothing done, while another fill of the top level
// runs (that one builds it).
bool RebuildFolderTree(HWND tree);

// Expands the tree down to `path` from the children of `start` (then its siblings) and selects the deepest
// node on the way; case and a trailing separator do not count. 0 when a node was selected, 1 when nothing
// matched or an argument is missing.
int SelectTreePath(HWND tree, HTREEITEM start, const wchar_t* path);
// SelectTreePath from the tree's first root.
int SelectTreePathFromRoot(HWND tree, const wchar_t* path);
// The full path of a node for a use. 0, or the negative result of a cut text.
int GetTreeNodePath(HWND tree, HTREEITEM item, wchar_t* out, int capacity, TreeNodePathUse use);
// The path of the selected node for opening; empty when none is selected.
void GetSelectedTreePath(HWND tree, wchar_t* out, int capacity);
// Opens in the tree the folder named by the file list's focused row (".." selects the parent): true when it
// selected that node, false when the tree has no selection or the selected node no such child.
bool OpenFocusedFolderInTree(HWND tree, const wchar_t* focusedName);

// The tree's notifications to its parent: fills expanding nodes, frees deleted nodes' data, answers the
// children flag and icons of nodes about to be drawn. The notification's answer.
LRESULT HandleFolderTreeNotify(NMHDR* header);
// Frees a deleted node's data block (TVN_DELETEITEMW).
void FreeTreeNodeItemData(const NMTREEVIEWW* deleted);

// Builds the tree's image list of square icons of the size (closed folder, open folder, closed folder again)
// on the background colour (-1: the tree's, else the window colour) and sets it as the tree's normal and
// state list. False when the list cannot be made.
bool SetTreeImageList(HWND tree, COLORREF background, int iconSize);
// Applies the file-icons option to the file list: every row's icon is looked up again; with icons on, the list
// gets an image list of the list icon size, with icons off it loses its own.
void ApplyFileListIconsOption();
// Applies the file-icons option to the tree: an image list of the list icon size, or none.
void ApplyTreeIconsOption(HWND tree);
// The same in two halves, for a tree whose icons load off the GUI thread (any thread): the image list the option
// gives the tree, null with icons off; and, on the GUI thread, the tree takes it unless it is gone or was given a
// list meanwhile, in which case the list is destroyed.
HIMAGELIST MakeTreeImages(HWND tree);
void GiveTreeImages(HWND tree, HIMAGELIST images);
// Reads the list colours ("Color"; the theme's window colours when they are missing, too alike or turned off)
// and gives them to both lists and the tree, the file list's font to the chain list, the tree and the address
// bar.
void ApplyListColours(HWND tree);
// Text and background colour of the tree and its image list, the font (when given) of the tree and of the
// address bar, whose rows fit the font.
void ApplyTreeColours(HWND tree, HFONT font, COLORREF text, COLORREF background);
