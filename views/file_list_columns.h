// The columns of the program's two lists and the file list's sort keys.
//
// The file list shows a fixed set of file columns, in the default table below, plus field columns (id -n shows
// the field of entry n of the field references). Its sort table pairs columns with sort keys: the name column
// has two pairs, so its left half sorts by name and its right half by extension. The ten sort keys give one
// value per row and the key that breaks a tie:
//
//   key  value                                  tie-break
//   0    stem of the current name                1 as the sort's key, 6 when reached as a tie-break
//   1    extension of the current name           0
//   2    stem of the new name                    1
//   3    last-write time                         0
//   4    size (an unknown size counts as 0)      0
//   5    attribute letters                       0, none when reached as a tie-break
//   6    folder path                             0, none when reached as a tie-break
//   7    file type name                          0, none when reached as a tie-break
//   8    creation time                           0
//   9    last-access time                        0
//   600 + n  value of field column -n            0, none when reached as a tie-break
//
// So name sorts compare stem, extension, folder; extension sorts extension, stem, folder; new-name sorts new stem,
// extension, stem, folder; the other keys the key, stem, folder; and folder sorts folder, stem. Times before
// 1980 count as 0. Whatever the key and direction, device rows come first (all equal), then offline files (by
// their names, always ascending), then folders, then files.
#pragma once
#include <cstdint>

#include "foundation/core/item_store.h"
#include "foundation/ui/ui_text_ids.h"

struct ColumnLayout;
struct ItemListControl;

// Column ids: the UI text ids of their captions.
constexpr int16_t kColumnName = kTextColumnName;
constexpr int16_t kColumnNewName = kTextColumnNewName;
constexpr int16_t kColumnSize = kTextColumnSize;
constexpr int16_t kColumnModified = kTextColumnModified;
constexpr int16_t kColumnType = kTextColumnType;
constexpr int16_t kColumnFolder = kTextColumnFolder;
constexpr int16_t kColumnCreated = kTextTimeCreated;
constexpr int16_t kColumnAccessed = kTextTimeAccessed;
constexpr int16_t kColumnAttributes = kTextAttributes;
constexpr int16_t kColumnDescription = kTextDescription;
constexpr int16_t kColumnComment = kTextComment;

// Sort keys.
constexpr int kSortByName = 0;
constexpr int kSortByExtension = 1;
constexpr int kSortByNewName = 2;
constexpr int kSortByModified = 3;
constexpr int kSortBySize = 4;
constexpr int kSortByAttributes = 5;
constexpr int kSortByFolder = 6;
constexpr int kSortByType = 7;
constexpr int kSortByCreated = 8;
constexpr int kSortByAccessed = 9;

// The default columns of the two lists. They are the process's own tables: the chain list changes its table
// as the user drags its header; the file list takes a layout of its own from the profile store.
extern ColumnLayout g_fileListColumns[];
extern ColumnLayout g_chainListColumns[];

// Widens the default width of the date columns of `table` to a date as the system formats it, drawn in the
// list's default font with the margins of its own, so that no date is cut; a wider default stays.
void FitDateColumnDefaults(ItemListControl* list, ColumnLayout* table);
// Pairs (column id, sort key) ended by a 0 column id.
extern const uint16_t kFileListSortTable[];

// The file list's key function: the value of one sort key for a row of the program's file list. The probe
// (no row) chooses the natural number order of texts when the option word says so.
void FileListSortKey(SortKeyRequest* request, const uint8_t* row);
