// Filling the folder tree: the top level from the provider roots and the special folders, a node's children
// from its provider's enumeration, keeping the children that still exist.
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/core/hash_slots.h"
#include "foundation/core/record_buffer.h"
#include "foundation/core/threads.h"
#include "foundation/core/windows_version.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/providers/local_disk.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/wait_cursor.h"
#include "foundation/win32/tree_views.h"
#include "views/folder_tree.h"

namespace {

constexpr uint16_t kProviderRootAttribute = 0x1000;
constexpr int kFirstVersionWithSpecialFolders = 8;
constexpr uint32_t kNameSetFirstCapacity = 1024;
constexpr int kHashAttempts = 4;

// The special folders at the top level, in this order.
constexpr int kSpecialFolders[] = {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_MYMUSIC,
                                   CSIDL_MYVIDEO};

// What a fill knows of a name: met in this fill, and a child of the node (before the fill or added by it).
constexpr uint32_t kNameSeen = 0x1;
constexpr uint32_t kNameIsChild = 0x2;

// The names of one fill, found ignoring case: the node's children and the folders the enumeration met.
struct NameSet {
  HashSlots slots;
  RecordBuffer records;  // each: u32 flags, then the zero-terminated name
};

uint32_t* FlagsAt(const NameSet& set, int32_t offset) {
  return reinterpret_cast<uint32_t*>(RecordBufferData(&set.records) + offset);
}

const wchar_t* NameAt(const NameSet& set, int32_t offset) {
  return reinterpret_cast<const wchar_t*>(FlagsAt(set, offset) + 1);
}

bool InitNameSet(NameSet* set, uint32_t capacity) {
  RecordBufferInit(&set->records, true);
  return HashSlotsInit(&set->slots, capacity);
}

void FreeNameSet(NameSet* set) {
  HashSlotsFree(&set->slots);
  RecordBufferDestroy(&set->records);
}

// The slot of a name: its own, a free one for it, or null when the table is full. Names whose hashes collide
// move on to a mixed key.
int32_t* SlotOf(NameSet* set, const wchar_t* name, uint64_t hash) {
  for (int attempt = 0; attempt < kHashAttempts; ++attempt) {
    const uint64_t key = attempt == 0 ? hash : MixHashBits(hash + static_cast<uint64_t>(attempt));
    int32_t* slot = HashSlotsFindOrAdd(&set->slots, key, -1);
    if (!slot || *slot < 0 || EqualsIgnoreCaseWide(NameAt(*set, *slot), name)) return slot;
  }
  return nullptr;
}

bool GrowNameSet(NameSet* set) {
  HashSlots bigger;
  if (!HashSlotsInit(&bigger, set->slots.capacity)) return false;
  HashSlotsFree(&set->slots);
  set->slots = bigger;
  const uint32_t used = RecordBufferUsedBytes(&set->records);
  for (uint32_t offset = 0; offset < used;) {
    const wchar_t* name = NameAt(*set, static_cast<int32_t>(offset));
    int32_t* slot = SlotOf(set, name, HashIgnoreCaseWide(name));
    if (slot) *slot = static_cast<int32_t>(offset);
    offset += static_cast<uint32_t>(sizeof(uint32_t) + (wcslen(name) + 1) * sizeof(wchar_t));
  }
  return true;
}

// The flags of a name, added with none when it is new; null for want of memory.
uint32_t* NameFlags(NameSet* set, const wchar_t* name) {
  const uint64_t hash = HashIgnoreCaseWide(name);
  int32_t* slot = SlotOf(set, name, hash);
  if (!slot && GrowNameSet(set)) slot = SlotOf(set, name, hash);
  if (!slot) return nullptr;
  if (*slot < 0) {
    const uint32_t offset = RecordBufferUsedBytes(&set->records);
    const uint32_t none = 0;
    const uint32_t nameBytes = static_cast<uint32_t>((wcslen(name) + 1) * sizeof(wchar_t));
    if (RecordBufferAppendBytes(&set->records, &none, sizeof none) != 0 ||
        RecordBufferAppendBytes(&set->records, name, nameBytes) != 0) {
      *slot = -1;
      return nullptr;
    }
    *slot = static_cast<int32_t>(offset);
  }
  return FlagsAt(*set, *slot);
}

struct TreeFill {
  HWND tree;
  HTREEITEM parent;
  HTREEITEM first;  // inserted first
  HIMAGELIST images;
  wchar_t parentPath[kTreeNodePathCapacity];
  NameSet names;
};

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// Every present child counts as a child name before the enumeration.
void NoteChildren(TreeFill* fill) {
  wchar_t text[kTreeNodePathCapacity];
  for (HTREEITEM child = NextItem(fill->tree, fill->parent, TVGN_CHILD); child;
       child = NextItem(fill->tree, child, TVGN_NEXT)) {
    if (!TreeViewGetItemText(fill->tree, child, text, kTreeNodePathCapacity)) continue;
    if (uint32_t* flags = NameFlags(&fill->names, text)) *flags |= kNameIsChild;
  }
}

TreeNodeData* NewNodeData(const wchar_t* path, uint32_t attributes) {
  const size_t length = wcslen(path) < kTreeNodePathCapacity - 1 ? wcslen(path) : kTreeNodePathCapacity - 1;
  auto* data = static_cast<TreeNodeData*>(CoTaskMemAlloc(sizeof(TreeNodeData) + length * sizeof(wchar_t)));
  if (!data) return nullptr;
  data->attributes = attributes;
  data->reserved = 0;
  CopyWideBounded(path, data->path, static_cast<int>(length + 1));
  return data;
}

// Inserts a node that owns `data` (freed when the node cannot be inserted).
HTREEITEM InsertNode(HWND tree, HTREEITEM parent, HTREEITEM after, const wchar_t* text, TreeNodeData* data,
                     bool images) {
  if (!data) return nullptr;
  TreeItemFields fields = {};
  fields.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
  fields.text = text;
  fields.param = reinterpret_cast<LPARAM>(data);
  // With icons, whether a folder has subfolders and which icon it shows are asked of the shell when the node
  // is drawn: asking for every folder would make large folders slow to open.
  fields.children = images ? I_CHILDRENCALLBACK : 1;
  fields.image = images ? I_IMAGECALLBACK : 0;
  fields.selectedImage = images ? I_IMAGECALLBACK : 0;
  fields.stateMask = TVIS_CUT;
  fields.state = (data->attributes & kDimmedAttributes) ? TVIS_CUT : 0;
  HTREEITEM inserted = TreeViewInsertItem(tree, parent, after, fields);
  if (!inserted) CoTaskMemFree(data);
  return inserted;
}

// A junction or mount point opens at its target, when the target can be read.
void StoredPathOf(const TreeFill& fill, const ProviderItem& item, wchar_t* path) {
  if (item.info.attributes & kProviderRootAttribute) {
    const wchar_t* root = item.shortName && item.shortName[0] ? item.shortName : item.name;
    CopyWideBounded(wcscmp(root, item.name) == 0 ? L"\\" : root, path, kTreeNodePathCapacity);
    return;
  }
  CopyAndAppendPath(fill.parentPath, item.name, path, kTreeNodePathCapacity);
  wchar_t target[kTreeNodePathCapacity];
  if (fill.images && (item.info.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
      ReadReparseTarget(path, target, kTreeNodePathCapacity - 1) == 0 && target[0] != 0) {
    path[0] = L'*';
    CopyWideBounded(target, path + 1, kTreeNodePathCapacity - 1);
  }
}

void AddNode(TreeFill* fill, const wchar_t* text, const wchar_t* path, uint32_t attributes) {
  uint32_t* flags = NameFlags(&fill->names, text);
  if (!flags) return;
  const bool present = (*flags & kNameIsChild) != 0;
  *flags |= kNameSeen | kNameIsChild;
  if (present) return;
  // At the end, which is after the node inserted last: the tree control checks a named predecessor against
  // every node it holds, which made filling a large folder grow with the square of its size.
  HTREEITEM inserted =
      InsertNode(fill->tree, fill->parent, TVI_LAST, text, NewNodeData(path, attributes), fill->images != nullptr);
  if (inserted && !fill->first) fill->first = inserted;
}

int AddTreeChild(ProviderItem* item, void* context) {
  TreeFill* fill = static_cast<TreeFill*>(context);
  if (!(item->info.attributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(item->name)) return 0;
  wchar_t path[kTreeNodePathCapacity];
  StoredPathOf(*fill, *item, path);
  AddNode(fill, item->name, path, item->info.attributes);
  return 0;
}

// Children whose folder the fill did not meet go, and so does a child that repeats the one before it.
void RemoveStaleChildren(TreeFill* fill) {
  wchar_t before[kTreeNodePathCapacity] = {};
  wchar_t text[kTreeNodePathCapacity];
  HTREEITEM child = NextItem(fill->tree, fill->parent, TVGN_CHILD);
  while (child) {
    HTREEITEM next = NextItem(fill->tree, child, TVGN_NEXT);
    TreeViewGetItemText(fill->tree, child, text, kTreeNodePathCapacity);
    const uint32_t* flags = NameFlags(&fill->names, text);
    if ((flags && !(*flags & kNameSeen)) || (before[0] && EqualsIgnoreCaseWide(before, text))) {
      SendMessageW(fill->tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
    } else {
      CopyWideBounded(text, before, kTreeNodePathCapacity);
    }
    child = next;
  }
}

bool BeginFill(TreeFill* fill, HWND tree, HTREEITEM parent) {
  fill->tree = tree;
  fill->parent = parent;
  fill->images = reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
  return InitNameSet(&fill->names, kNameSetFirstCapacity);
}

// The special folders, on the GUI thread: the shell is asked there. No messages are dispatched meanwhile: a
// close dispatched here would destroy the tree being filled.
LRESULT AddSpecialFolders(void* argument) {
  TreeFill* fill = static_cast<TreeFill*>(argument);
  for (int csidl : kSpecialFolders) {
    wchar_t name[MAX_PATH];
    wchar_t path[kTreeNodePathCapacity];
    if (GetSpecialFolderDisplayName(csidl, name, MAX_PATH) == 0) continue;
    if (GetSpecialFolderPath(csidl, path, kTreeNodePathCapacity) == 0) continue;
    // Its own attributes: the read-only mark tells whether its icon is its desktop.ini's.
    const DWORD attributes = GetFileAttributesLong(path);
    AddNode(fill, name, path, attributes == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_DIRECTORY : attributes);
  }
  return 0;
}

int FillTopLevel(TreeFill* fill) {
  NoteChildren(fill);
  const int result = VfsEnumerate(nullptr, nullptr, AddTreeChild, fill);
  if (GetWindowsVersionCodeCached() >= kFirstVersionWithSpecialFolders) RunOnGuiThread(AddSpecialFolders, fill);
  if (fill->first) SendMessageW(fill->tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(fill->first));
  return result;
}

int FillNode(TreeFill* fill) {
  GetTreeNodePath(fill->tree, fill->parent, fill->parentPath, kTreeNodePathCapacity, kPathToEnumerate);
  NoteChildren(fill);
  const bool hadChildren = RecordBufferUsedBytes(&fill->names.records) != 0;
  const int result = VfsEnumerate(nullptr, fill->parentPath, AddTreeChild, fill);
  if (hadChildren) RemoveStaleChildren(fill);
  if (result != ERROR_FILE_NOT_FOUND) {
    SendMessageW(fill->tree, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(fill->parent));
  }
  return result;
}

}  // namespace

HTREEITEM InsertTreeNode(HWND tree, HTREEITEM parent, HTREEITEM after, const wchar_t* text, const wchar_t* path,
                         uint32_t attributes) {
  const bool images = SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0) != 0;
  return InsertNode(tree, parent, after, text, NewNodeData(path, attributes), images);
}

int RefreshTreeNode(HWND tree, HTREEITEM item) {
  if (!IsWindow(tree)) return ERROR_INVALID_PARAMETER;
  TreeFill fill = {};
  int result = ERROR_NOT_ENOUGH_MEMORY;
  if (BeginFill(&fill, tree, item ? item : TVI_ROOT)) result = item ? FillNode(&fill) : FillTopLevel(&fill);
  FreeNameSet(&fill.names);
  return result;
}

void RefreshTreeNodeWithWaitCursor(HWND tree, const NMTREEVIEWW* expanding) {
  if (!expanding || (expanding->itemNew.state & TVIS_EXPANDEDONCE) || !expanding->itemNew.lParam) return;
  WaitCursor wait;
  RefreshTreeNode(tree, expanding->itemNew.hItem);
}

// The start-up fill runs on its own thread and the refresh command on the GUI thread; two fills at once would
// both add the roots. The GUI thread cannot wait for the other fill (that one sends it its nodes), so a fill
// asked for while one runs is left to the running one, which builds the same top level.
namespace {
volatile LONG g_topLevelFills = 0;
}  // namespace

bool RebuildFolderTree(HWND tree) {
  if (InterlockedCompareExchange(&g_topLevelFills, 1, 0) != 0) return false;
  struct FillEnd {
    ~FillEnd() { InterlockedExchange(&g_topLevelFills, 0); }
  } end;
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  RefreshTreeNode(tree, nullptr);
  return true;
}
