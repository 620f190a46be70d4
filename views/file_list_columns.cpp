#include "views/file_list_columns.h"

#include <windows.h>

#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/date_text.h"
#include "foundation/text/packed_date.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/file_type_table.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/gdi.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/items_view_layout.h"
#include "views/item_list_control.h"
#include "views/path_pool.h"
#include "views/view_hooks.h"

ColumnLayout g_fileListColumns[] = {
    {kColumnName, 150, 0, 0},       {kColumnNewName, 150, 1, 0},     {kColumnSize, 75, 2, 0x201},
    {kColumnModified, 120, 3, 0},   {kColumnAttributes, 45, 4, 1},   {kColumnType, 100, 5, 0},
    {kColumnFolder, 200, 6, 0},     {kColumnCreated, 120, -1, 0},    {kColumnAccessed, 120, -1, 0},
    {0, 0, 0, 0},
};

ColumnLayout g_chainListColumns[] = {
    {kColumnDescription, 150, 0, 0},
    {kColumnComment, 100, 1, 0},
    {0, 0, 0, 0},
};

void FitDateColumnDefaults(ItemListControl* list, ColumnLayout* table) {
  if (!list || !list->window || !table) return;
  // Digits of a wide date and time; the system's format decides the rest.
  const SYSTEMTIME sample = {2028, 12, 4, 28, 22, 58, 58, 0};
  wchar_t text[kDateTextCapacity];
  FormatLocalDateTime(1, sample, text, kDateTextCapacity);
  // The margins are the list's own font's, measured once for it: the list need not have been sized yet.
  if (list->rowHeight == 0) ItemsViewMeasureMetrics(list);
  HDC dc = GetDC(list->window);
  HGDIOBJ previous = SelectObject(dc, ItemsViewDefaultFont(list));
  const int width = MeasureTextWidth(dc, text, -1) + list->widthExtra + 2 * list->textMargin;
  SelectObject(dc, previous);
  ReleaseDC(list->window, dc);
  for (int i = 0; table[i].id != 0; ++i) {
    const bool date = table[i].id == kColumnModified || table[i].id == kColumnCreated || table[i].id == kColumnAccessed;
    if (date && table[i].width < width) table[i].width = width;
  }
}

const uint16_t kFileListSortTable[] = {
    kColumnName,       kSortByName,     kColumnName,     kSortByExtension, kColumnNewName,    kSortByNewName,
    kColumnSize,       kSortBySize,     kColumnModified, kSortByModified,  kColumnAttributes, kSortByAttributes,
    kColumnType,       kSortByType,     kColumnFolder,   kSortByFolder,    kColumnCreated,    kSortByCreated,
    kColumnAccessed,   kSortByAccessed, 0,
};

namespace {

constexpr uint16_t kGroupAttributes = 0x1018;
constexpr uint16_t kDeviceAttribute = 0x8;
constexpr uint16_t kDeviceGroup = 0xFFFF;
constexpr int kNoKey = -1;
constexpr int kSpaceCharacters = static_cast<int>(sizeof(SortKeyRequest::space) / sizeof(wchar_t));

wchar_t* Space(SortKeyRequest* request) { return reinterpret_cast<wchar_t*>(request->space); }

void GiveText(SortKeyRequest* request, const wchar_t* text) {
  request->valueType = kSortValueText;
  request->value = text;
}

void GiveNumber(SortKeyRequest* request, uint64_t number) {
  memcpy(request->space, &number, sizeof number);
  request->valueType = kSortValueU64;
  request->value = request->space;
}

// Characters of the current name: the row stores the name up to its terminator.
int NameLength(const FileListRow* row) {
  const int stored = (row->length - FileListRowSize(0)) / 2;
  return stored < 0 ? 0 : (stored < kFileNameCapacity ? stored : kFileNameCapacity - 1);
}

// Where the extension of the current name begins; the name's length when it has no dot.
int ExtensionStart(const FileListRow* row) {
  const int length = NameLength(row);
  return row->extensionAt < length ? row->extensionAt : length;
}

void GiveStem(SortKeyRequest* request, const wchar_t* name, int dot) {
  if (dot < 0) {
    GiveText(request, name);
    return;
  }
  CopyWideBounded(name, Space(request), dot + 1 < kSpaceCharacters ? dot + 1 : kSpaceCharacters);
  GiveText(request, Space(request));
}

void GiveCurrentStem(SortKeyRequest* request, const FileListRow* row) {
  const int start = ExtensionStart(row);
  GiveStem(request, row->currentName, start < NameLength(row) ? start - 1 : -1);
}

void GiveNewStem(SortKeyRequest* request, const FileListRow* row) {
  const wchar_t* dot = wcsrchr(row->newName, L'.');
  GiveStem(request, row->newName, dot ? static_cast<int>(dot - row->newName) : -1);
}

void GiveTime(SortKeyRequest* request, const FILETIME& time) {
  const uint64_t value = FileTimeToUInt64(time);
  GiveNumber(request, value < kEarliestFileTime ? 0 : value);
}

void GiveFolder(SortKeyRequest* request, const FileListRow* row) {
  GetPooledPath(AppFileList(), static_cast<uint32_t>(row->folderIndex), Space(request), kSpaceCharacters);
  GiveText(request, Space(request));
}

// Also for rows not drawn yet: the sort never depends on what was painted.
void GiveTypeName(SortKeyRequest* request, const FileListRow* row) {
  Space(request)[0] = 0;
  if (!(row->info.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    FileTypeTableGetName(&g_fileTypes, FileListRowTypeIndex(const_cast<FileListRow*>(row)), Space(request),
                         kSpaceCharacters);
  }
  GiveText(request, Space(request));
}

void GiveExtension(SortKeyRequest* request, const FileListRow* row) {
  GiveText(request, row->currentName + ExtensionStart(row));
}

void GiveModified(SortKeyRequest* request, const FileListRow* row) { GiveTime(request, row->info.lastWriteTime); }

void GiveSize(SortKeyRequest* request, const FileListRow* row) {
  GiveNumber(request, row->info.size == kUnknownFileSize ? 0 : row->info.size);
}

void GiveAttributes(SortKeyRequest* request, const FileListRow* row) {
  FormatAttributeLetters(row->info.attributes, Space(request), kSpaceCharacters);
  GiveText(request, Space(request));
}

void GiveCreated(SortKeyRequest* request, const FileListRow* row) { GiveTime(request, row->info.creationTime); }

void GiveAccessed(SortKeyRequest* request, const FileListRow* row) { GiveTime(request, row->info.lastAccessTime); }

// A field key's value for a file; folders have none.
void GiveFieldValue(SortKeyRequest* request, const FileListRow* row) {
  if (row->info.attributes & FILE_ATTRIBUTE_DIRECTORY) return;
  const int type = FieldSortValueHook(request->keyId - kFieldSortKeyBase, const_cast<FileListRow*>(row),
                                      request->space, sizeof request->space);
  request->valueType = type >= kSortValueU32 && type <= kSortValueText ? type : kSortNoValue;
  request->value = request->space;
  Space(request)[kSpaceCharacters - 1] = 0;
}

// A key: how its value is given, and the key that breaks its ties when it is the sort's own key and when it is
// itself reached as a tie-break.
struct SortKeyRule {
  void (*give)(SortKeyRequest* request, const FileListRow* row);
  int16_t next;
  int16_t nextAsTieBreak;
};

const SortKeyRule kSortKeyRules[] = {
    {GiveCurrentStem, kSortByExtension, kSortByFolder},  // 0
    {GiveExtension, kSortByName, kSortByName},           // 1
    {GiveNewStem, kSortByExtension, kSortByExtension},   // 2
    {GiveModified, kSortByName, kSortByName},            // 3
    {GiveSize, kSortByName, kSortByName},                // 4
    {GiveAttributes, kSortByName, kNoKey},               // 5
    {GiveFolder, kSortByName, kNoKey},                   // 6
    {GiveTypeName, kSortByName, kNoKey},                 // 7
    {GiveCreated, kSortByName, kSortByName},             // 8
    {GiveAccessed, kSortByName, kSortByName},            // 9
};
constexpr int kSortKeyCount = static_cast<int>(sizeof kSortKeyRules / sizeof kSortKeyRules[0]);
constexpr SortKeyRule kFieldKeyRule = {GiveFieldValue, kSortByName, kNoKey};

const SortKeyRule* RuleOf(int key) {
  if (key >= kFieldSortKeyBase) return &kFieldKeyRule;
  return key >= 0 && key < kSortKeyCount ? &kSortKeyRules[key] : nullptr;
}

// Devices first and all equal; offline files by their names, without tie-break and always ascending.
bool GiveGroup(SortKeyRequest* request, const FileListRow* row) {
  const uint16_t attributes = row->info.attributes;
  request->groupRank = attributes & kGroupAttributes;
  if (attributes & kDeviceAttribute) {
    request->groupRank = kDeviceGroup;
    GiveText(request, L" ");
  } else if (attributes & FILE_ATTRIBUTE_OFFLINE) {
    GiveText(request, row->currentName);
  } else {
    return false;
  }
  request->nextKeyId = kNoKey;
  return true;
}

}  // namespace

void FileListSortKey(SortKeyRequest* request, const uint8_t* record) {
  if (!record) {
    request->textMode = g_app && (g_app->options & kOptionNaturalNumberOrder) ? 1 : 0;
    return;
  }
  const auto* row = reinterpret_cast<const FileListRow*>(record);
  request->valueType = kSortNoValue;
  request->value = nullptr;
  if (GiveGroup(request, row)) return;
  const SortKeyRule* rule = RuleOf(request->keyId);
  if (rule) rule->give(request, row);
  // Before this call the request still names the key that led here, or -1 when this is the sort's own key.
  const bool tieBreak = request->nextKeyId >= 0;
  request->nextKeyId = static_cast<int16_t>(!rule ? kNoKey : (tieBreak ? rule->nextAsTieBreak : rule->next));
}
