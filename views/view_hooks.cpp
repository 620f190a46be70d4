#include "views/view_hooks.h"

#include "foundation/core/guard.h"

ViewHooks g_viewHooks;

void ListingEndedHook(ItemListControl* list, const wchar_t* folder) {
  CallHookGuarded(g_viewHooks.listingEnded, list, folder);
}

void ApplyViewOptionsHook() { CallHookGuarded(g_viewHooks.applyViewOptions); }

void AddRecentFolderHook(const wchar_t* folder) { CallHookGuarded(g_viewHooks.addRecentFolder, folder); }

int AddFieldColumnHook(const wchar_t* displayName, const wchar_t* source, const wchar_t* field) {
  const auto hook = g_viewHooks.addFieldColumn;
  return hook ? GuardedCall(0, [&] { return hook(displayName, source, field); }) : 0;
}

void DescribeFieldColumnHook(int columnId, wchar_t* out, int capacity) {
  if (capacity > 0) out[0] = 0;
  CallHookGuarded(g_viewHooks.describeFieldColumn, columnId, out, capacity);
}

int FieldSortValueHook(int field, FileListRow* row, void* out, int outSize) {
  const auto hook = g_viewHooks.fieldSortValue;
  return hook ? GuardedCall(0, [&] { return hook(field, row, out, outSize); }) : 0;
}

bool FileCellTextHook(const ItemListControl* list, FileListRow* row, int columnId, wchar_t* text, int capacity) {
  const auto hook = g_viewHooks.fileCellText;
  if (capacity <= 0) return false;
  text[0] = 0;
  const bool made = hook && GuardedCall(false, [&] {
    hook(list, row, columnId, text, capacity);
    return true;
  });
  if (!made) text[0] = 0;
  return made;
}
