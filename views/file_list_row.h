// The two record shapes of the file list: one row per listed file, and one path-pool entry per listed folder.
#pragma once
#include <cstddef>
#include <cstdint>

#include "foundation/files/file_info.h"
#include "foundation/text/text_sizes.h"

struct FieldValueNode;

// Row state flags; the list control owns them.
constexpr uint8_t kRowFocused = 0x01;
constexpr uint8_t kRowSelected = 0x02;
constexpr uint8_t kRowChecked = 0x40;

#pragma pack(push, 1)
// Stored only as long as its current name needs: 581 bytes plus two per character of the current name.
struct FileListRow {
  uint16_t length;
  uint8_t state;
  int32_t icon;              // position in the list's image list plus one; 0 until first drawn
  uint16_t extensionAt;      // first character of the extension, or the name length when there is no '.'
  int32_t folderIndex;       // 1-based index into the path pool
  FileInfo info;
  int32_t typeNameIndex;     // index into the file-type name cache; 0 until first shown
  FieldValueNode* fieldValues;  // cached field values, owned by the row
  wchar_t newName[kFileNameCapacity];
  wchar_t currentName[kFileNameCapacity];
};

// Record length 2 x name length + 8; the name is the full path for a top folder, the bare name for a child.
struct PathPoolEntry {
  uint16_t length;
  uint32_t parent;  // 1-based pool index of the parent folder's entry; 0 for a top folder
  wchar_t name[1];
};
#pragma pack(pop)

static_assert(offsetof(FileListRow, info) == 13, "FileListRow layout");
static_assert(offsetof(FileListRow, newName) == 59, "FileListRow layout");
static_assert(offsetof(FileListRow, currentName) == 579, "FileListRow layout");
static_assert(sizeof(FileListRow) == 1099, "a file-list row is at most 1099 bytes");
static_assert(offsetof(PathPoolEntry, name) == 6, "PathPoolEntry layout");

// Bytes a row with a current name of `nameLength` characters occupies.
constexpr uint16_t FileListRowSize(size_t nameLength) { return static_cast<uint16_t>(581 + 2 * nameLength); }

// Gives the row another current name (cut to the row's capacity): its length and extension position follow
// the name, and its icon and type name are looked up anew. `name` may be the row's own new name.
void SetFileListRowName(FileListRow* row, const wchar_t* name);
// The row's index in the file-type name cache, looked up and kept in the row on first use; 0 when the name
// could not be stored. Any thread: a type the cache does not know yet is looked up on the GUI thread.
int32_t FileListRowTypeIndex(FileListRow* row);
