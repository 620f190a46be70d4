#include "views/path_pool.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "views/file_list_row.h"
#include "views/item_list_control.h"
#include "views/items_view_rows.h"

namespace {

// Chains up to this depth are walked without a heap block.
constexpr uint32_t kShallowDepth = 64;

#pragma pack(push, 1)
struct PoolRecord {
  uint16_t length;
  uint32_t parent;
  wchar_t name[kPooledNameMaxLength + 1];
};
#pragma pack(pop)
static_assert(offsetof(PoolRecord, name) == offsetof(PathPoolEntry, name), "pool records are PathPoolEntry");

const PathPoolEntry* EntryAt(const ItemListControl* list, uint32_t index) {
  if (list == nullptr || index == 0) return nullptr;
  return reinterpret_cast<const PathPoolEntry*>(ItemStoreGet(&list->pathPool, index - 1));
}

// Entries are appended after their parents, so a parent index at or above the entry's own cannot be real;
// such an entry is taken as a top folder, which also keeps every walk finite.
uint32_t ParentOf(const PathPoolEntry* entry, uint32_t index) {
  return entry->parent < index ? entry->parent : 0;
}

uint32_t ChainDepth(const ItemListControl* list, uint32_t index) {
  uint32_t depth = 0;
  for (const PathPoolEntry* entry = EntryAt(list, index); entry != nullptr; entry = EntryAt(list, index)) {
    ++depth;
    index = ParentOf(entry, index);
  }
  return depth;
}

// Joins the names of the entries chain[depth - 1] (the top folder) down to chain[0].
int JoinChain(const ItemListControl* list, const uint32_t* chain, uint32_t depth, wchar_t* buffer, int capacity) {
  int result = CopyWideBounded(EntryAt(list, chain[depth - 1])->name, buffer, capacity);
  for (uint32_t level = depth - 1; level > 0; --level) {
    const int appended = AppendPathComponent(EntryAt(list, chain[level - 1])->name, buffer, capacity);
    if (appended < 0) result = appended;
  }
  return result;
}

}  // namespace

uint32_t AddPooledPath(ItemListControl* list, const wchar_t* name, uint32_t parent) {
  if (list == nullptr) return 0;
  PoolRecord record{};
  CopyWideString(name, record.name, kPooledNameMaxLength + 1);
  record.parent = parent;
  record.length = static_cast<uint16_t>(2 * WideLength(record.name) + 8);
  const uint32_t position = ItemStoreInsert(&list->pathPool, &record, record.length, kItemStoreNoPosition);
  return position == kItemStoreNoPosition ? 0 : position + 1;
}

int GetPooledPath(const ItemListControl* list, uint32_t index, wchar_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  buffer[0] = 0;
  const uint32_t depth = ChainDepth(list, index);
  if (depth == 0) return 0;
  uint32_t shallow[kShallowDepth];
  uint32_t* chain = depth <= kShallowDepth ? shallow : static_cast<uint32_t*>(AllocZeroed(4 * depth));
  if (chain == nullptr) return -1;
  for (uint32_t level = 0; level < depth; ++level) {
    chain[level] = index;
    index = ParentOf(EntryAt(list, index), index);
  }
  const int result = JoinChain(list, chain, depth, buffer, capacity);
  if (chain != shallow) FreeAndNull(&chain);
  return result;
}

int GetRowFullPath(const ItemListControl* list, const FileListRow* row, wchar_t* buffer, int capacity) {
  return GetRowPathWithName(list, row, row->currentName, buffer, capacity);
}

int GetRowPathWithName(const ItemListControl* list, const FileListRow* row, const wchar_t* name, wchar_t* buffer,
                       int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  const int folder = GetPooledPath(list, static_cast<uint32_t>(row->folderIndex), buffer, capacity);
  if (buffer[0] == 0) return ERROR_PATH_NOT_FOUND;
  const int appended = AppendPathComponent(name, buffer, capacity);
  return appended < 0 ? appended : folder;
}

int CopyItemRecordWithPath(int index, wchar_t* path, int capacity, void* rowBuffer) {
  FileListRow local;
  FileListRow* row = static_cast<FileListRow*>(rowBuffer != nullptr ? rowBuffer : &local);
  if (path != nullptr && capacity > 0) path[0] = 0;
  memset(row, 0, sizeof *row);
  const ItemListControl* list = AppFileList();
  if (list == nullptr || GetItemRecord(list, index) == nullptr) return ERROR_NOT_FOUND;
  CopyItemRecord(list, index, row, sizeof *row);
  return path != nullptr ? GetRowFullPath(list, row, path, capacity) : 0;
}
