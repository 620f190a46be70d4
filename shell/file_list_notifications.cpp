#include "shell/file_list_notifications.h"

#include <cwchar>

#include "engine/chain_list.h"
#include "engine/file_list_fields.h"
#include "engine/name_marks.h"
#include "engine/rename_run.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/win32/column_layout.h"
#include "foundation/text/date_text.h"
#include "foundation/ui/file_type_table.h"
#include "foundation/win32/icons.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/text/name_masks.h"
#include "foundation/text/number_format.h"
#include "foundation/text/text_sizes.h"
#include "foundation/files/paths.h"
#include "foundation/providers/providers.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/main_commands.h"
#include "views/file_list_columns.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/path_pool.h"

namespace {

constexpr uint16_t kGhostedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr uint16_t kNoSizeAttributes = 0x18;  // folders and devices
constexpr uint16_t kDeviceAttribute = 0x8;
constexpr int kTipLineCapacity = 300;

int ColumnIdOf(const ItemListControl* list, int subItem) {
  const ColumnLayout* columns = list->creation.columns;
  if (!columns || subItem < 0 || subItem >= ColumnLayoutCount(columns)) return 0;
  return columns[subItem].id;
}

uint8_t* RequestedRow(const ItemListControl* list, const NMLVDISPINFOW* request) {
  if (request->item.lParam) return reinterpret_cast<uint8_t*>(request->item.lParam);
  return GetItemRecord(list, request->item.iItem);
}

void Give(NMLVDISPINFOW* request, const wchar_t* text) {
  CopyWideBounded(text, request->item.pszText, request->item.cchTextMax);
}

// After the chain's texts changed the description column takes the room the other columns leave.
void FitDescriptionColumn(const ItemListControl* chain) {
  if (InterlockedExchange(&g_app->chainColumnFitCounter, 0) == 0) return;
  const ColumnLayout* columns = chain->creation.columns;
  RECT client = {};
  GetClientRect(chain->window, &client);
  int others = 0;
  int current = 0;
  int position = -1;
  for (int i = 0, shown = 0; columns && columns[i].id != 0; ++i) {
    if (!IsColumnVisible(columns[i])) continue;
    if (columns[i].id == kColumnDescription) {
      position = shown;
      current = columns[i].width;
    } else if (columns[i].width > 0) {
      others += columns[i].width;
    }
    ++shown;
  }
  const int wanted = client.right - others;
  if (position >= 0 && wanted > current) PostWindowMessage(chain->window, LVM_SETCOLUMNWIDTH, position, wanted);
}

void FileSizeText(const FileListRow* row, wchar_t* text, int capacity) {
  if ((row->info.attributes & kNoSizeAttributes) || row->info.size == kUnknownFileSize) return;
  if (g_app->options & kOptionPlainSizes) {
    FormatNumberGrouped(row->info.size, text, capacity);
  } else {
    FormatByteSize(row->info.size, text, capacity);
  }
}

// The row's icon joins the list's image list the first time the row is drawn (the list is emptied at each
// listing).
void GiveIcon(const ItemListControl* files, NMLVDISPINFOW* request, FileListRow* row) {
  if (!(request->item.mask & LVIF_IMAGE) || !files->imageList) return;
  wchar_t path[kLongPathCapacity];
  if (row->icon == 0 && GetRowFullPath(files, row, path, kLongPathCapacity) == 0 && path[0] != 0) {
    row->icon = VfsAddIconToImageList(nullptr, path, row->info.attributes, ImageListIconWidth(files->imageList),
                                      files->imageList);
  }
  request->item.iImage = row->icon;
}

void GiveFileCell(const ItemListControl* files, NMLVDISPINFOW* request, FileListRow* row) {
  const int columnId = ColumnIdOf(files, request->item.iSubItem);
  FileListCellText(files, row, columnId, request->item.pszText, request->item.cchTextMax);
  if (columnId != kColumnName) return;
  GiveIcon(files, request, row);
  if (row->info.attributes & kGhostedAttributes) request->item.state |= LVIS_CUT;
}

// Appends "label: value" on a line of its own when the whole still fits.
void AppendTipLine(wchar_t* tip, int capacity, int labelId, const wchar_t* value) {
  wchar_t line[kTipLineCapacity];
  line[0] = 0;
  if (tip[0] != 0) AppendWideBounded(L"\r\n", line, kTipLineCapacity);
  wchar_t label[kTipLineCapacity];
  GetUiText(labelId, label, kTipLineCapacity);
  AppendWideBounded(label, line, kTipLineCapacity);
  AppendWideBounded(L": ", line, kTipLineCapacity);
  if (AppendWideBounded(value, line, kTipLineCapacity) != 0) return;
  if (WideLength(tip) + WideLength(line) < static_cast<size_t>(capacity)) AppendWideBounded(line, tip, capacity);
}

void SizeText(uint64_t size, wchar_t* text, int capacity) {
  FormatNumberGrouped(size, text, capacity);
  AppendWideBounded(L" ", text, capacity);
  wchar_t unit[kTipLineCapacity];
  GetUiText(size == 1 ? kTextWordByte : kTextWordBytes, unit, kTipLineCapacity);
  AppendWideBounded(unit, text, capacity);
}

bool IsFolderRow(const FileListRow* row) { return (row->info.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// The new name typed over the current one: a case mask, a rename mask, or the text itself. 0 when the file
// can take it; else why not, as the preview marks names (FileNameProblem), `character` holding the character
// for kTextInvalidCharacter. A path separator would move the file, so it is refused before a mask reads it.
int NewNameFromText(const wchar_t* current, const wchar_t* text, wchar_t* name, wchar_t* character) {
  for (const wchar_t* c = text; *c; ++c) {
    if (IsPathSeparator(*c)) {
      *character = *c;
      return kTextInvalidCharacter;
    }
  }
  if (ContainsAngleBracket(text)) {
    if (ApplyCaseMask(current, name, kFileNameCapacity, text) != 0) return kTextNameTooLong;
  } else if (ApplyWildcardNameMask(current, text, name, kFileNameCapacity) != 0) {
    if (CopyWideBounded(text, name, kFileNameCapacity) != 0) return kTextNameTooLong;
  }
  return FileNameProblem(name, character);
}

// Tells the user why the typed text is no name for the file, with the text below.
void ShowNameRefused(int reason, wchar_t character, const wchar_t* text) {
  wchar_t message[kMessageCapacity];
  GetUiText(kTextNameRefused, message, kMessageCapacity);
  wchar_t why[kMessageCapacity];
  DescribeFileNameProblem(reason, character, why, kMessageCapacity);
  AppendWideBounded(L" ", message, kMessageCapacity);
  AppendWideBounded(why, message, kMessageCapacity);
  ShowMessageWithPath(g_mainWindow, 0, message, text, nullptr, MB_OK | MB_ICONWARNING);
}

// The row as it is, with another current name: its size follows the name.
void RenameRow(const FileListRow& old, const wchar_t* name, FileListRow* row) {
  *row = old;
  SetFileListRowName(row, name);
}

const FileListRow* EditedRow(const ItemListControl* files, int index) {
  if (index < 0 || static_cast<uint32_t>(index) >= ItemStoreCount(&files->rows)) return nullptr;
  const auto* row = reinterpret_cast<const FileListRow*>(GetItemRecord(files, index));
  return row && row->currentName[0] != 0 ? row : nullptr;
}

}  // namespace

void ChainListGetDispInfo(NMLVDISPINFOW* request) {
  const ItemListControl* chain = g_app->chainList;
  if (!chain || !(request->item.mask & LVIF_TEXT) || !request->item.pszText) return;
  FitDescriptionColumn(chain);
  const auto* row = reinterpret_cast<const ChainListRow*>(RequestedRow(chain, request));
  if (!row) return;
  switch (ColumnIdOf(chain, request->item.iSubItem)) {
    case kColumnDescription:
      Give(request, row->text);
      break;
    case kColumnComment:
      Give(request, row->text + row->descriptionLength);
      break;
  }
}

void FileListCellText(const ItemListControl* files, FileListRow* row, int columnId, wchar_t* text, int capacity) {
  if (capacity <= 0) return;
  text[0] = 0;
  // A field column: the row's kept value of that field; folders show none.
  if (columnId < 0) {
    if (!(row->info.attributes & FILE_ATTRIBUTE_DIRECTORY)) FileListFieldText(columnId, row, text, capacity);
    return;
  }
  switch (columnId) {
    case kColumnName:
      CopyWideBounded(row->currentName, text, capacity);
      break;
    case kColumnNewName:
      CopyWideBounded(row->newName, text, capacity);
      break;
    case kColumnSize:
      FileSizeText(row, text, capacity);
      break;
    case kColumnModified:
      FormatFileDate(1, &row->info.lastWriteTime, text, capacity);
      break;
    case kColumnCreated:
      FormatFileDate(1, &row->info.creationTime, text, capacity);
      break;
    case kColumnAccessed:
      FormatFileDate(1, &row->info.lastAccessTime, text, capacity);
      break;
    case kColumnType:
      FileTypeTableGetName(&g_fileTypes, FileListRowTypeIndex(row), text, capacity);
      break;
    case kColumnFolder:
      GetPooledPath(files, row->folderIndex > 0 ? static_cast<uint32_t>(row->folderIndex) : 0, text, capacity);
      break;
    case kColumnAttributes:
      FormatAttributeLetters(row->info.attributes, text, capacity);
      break;
  }
}

void FileListGetItemText(NMLVDISPINFOW* request) {
  const ItemListControl* files = g_app->fileList;
  if (!files || !(request->item.mask & LVIF_TEXT) || !request->item.pszText || request->item.cchTextMax <= 0) return;
  request->item.pszText[0] = 0;
  auto* row = reinterpret_cast<FileListRow*>(RequestedRow(files, request));
  if (row) GiveFileCell(files, request, row);
}

LRESULT BuildItemInfoTip(NMTTDISPINFOW* request) {
  const auto* row = reinterpret_cast<const FileListRow*>(request->lParam);
  wchar_t* tip = request->lpszText;
  if (!row || !tip || (row->info.attributes & kDeviceAttribute)) return 0;
  const int capacity = kCellTextCapacity;
  wchar_t value[kTipLineCapacity];
  const int type = row->typeNameIndex != 0 ? row->typeNameIndex
                                          : FileTypeTableIndexForPath(&g_fileTypes, row->currentName, row->info.attributes);
  FileTypeTableGetName(&g_fileTypes, type, value, kTipLineCapacity);
  AppendTipLine(tip, capacity, kTextColumnType, value);
  if (row->info.size != 0 && row->info.size != kUnknownFileSize && !IsFolderRow(row)) {
    SizeText(row->info.size, value, kTipLineCapacity);
    AppendTipLine(tip, capacity, kTextColumnSize, value);
  }
  FormatFileDate(0, &row->info.lastWriteTime, value, kTipLineCapacity);
  if (value[0] != 0) AppendTipLine(tip, capacity, kTextColumnModified, value);
  return 1;
}

LRESULT BeginFileRename(NMLVDISPINFOW* request) {
  const ItemListControl* files = g_app->fileList;
  if (!files || IsJobBusy()) return 1;
  const FileListRow* row = EditedRow(files, request->item.iItem);
  if (!row) return 1;
  if (!IsFolderRow(row) && files->editor) {
    const int dot = ExtensionDotPosition(row->currentName);
    SendMessageW(files->editor, EM_SETSEL, 0, dot);
  }
  return 0;
}

LRESULT EndFileRename(NMLVDISPINFOW* request) {
  ItemListControl* files = g_app->fileList;
  const wchar_t* text = request->item.pszText;
  if (!files || !text || text[0] == 0 || IsJobBusy()) return 0;
  if (!EditedRow(files, request->item.iItem)) return 0;
  // The row is stored only as long as its name needs: the copy takes its own bytes, the rest stays zero.
  FileListRow old;
  wchar_t from[kLongPathCapacity];
  const int copied = CopyItemRecordWithPath(request->item.iItem, from, kLongPathCapacity, &old);
  if (copied != 0) return 0;
  wchar_t name[kFileNameCapacity];
  wchar_t character = 0;
  const int problem = NewNameFromText(old.currentName, text, name, &character);
  if (problem != 0) {
    ShowNameRefused(problem, character, text);
    return kEndEditKeepOpen;
  }
  wchar_t to[kLongPathCapacity];
  if (GetRowPathWithName(files, &old, name, to, kLongPathCapacity) != 0) return 0;
  if (wcscmp(name, old.currentName) == 0 || RenameItemFile(g_mainWindow, from, to) != 0) return 0;
  FileListRow renamed;
  RenameRow(old, name, &renamed);
  ItemsViewUpdateItem(files, request->item.iItem, &renamed);
  return 1;
}
