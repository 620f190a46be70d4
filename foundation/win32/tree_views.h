// Tree-view items: inserting one and reading its text.
#pragma once
#include <windows.h>
#include <commctrl.h>

// The fields of a new tree-view item; `mask` says which count (TVIF_...).
struct TreeItemFields {
  UINT mask;
  const wchar_t* text;
  int image;
  int selectedImage;
  UINT state;
  UINT stateMask;
  int children;
  LPARAM param;
};

// Inserts an item under `parent` after `after`; null on failure.
HTREEITEM TreeViewInsertItem(HWND tree, HTREEITEM parent, HTREEITEM after, const TreeItemFields& fields);

// Capacity of TreeViewGetItemText's own buffer.
constexpr int kTreeTextCapacity = 1024;

// An item's text in `buffer`, or without one in a buffer of the calling thread that the next call reuses; the
// text, or null (and an empty buffer) on failure.
const wchar_t* TreeViewGetItemText(HWND tree, HTREEITEM item, wchar_t* buffer, int capacity);
