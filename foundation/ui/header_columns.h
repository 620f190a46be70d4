// Header controls filled from column tables and read back into them, and the sort mark in headers.
//
// Header items carry their column id as item data, so an item can always be matched to its table entry.
// Header item i is the table's i-th visible column; its display order comes from the table.
#pragma once
#include <windows.h>

#include <cstdint>

struct ColumnLayout;

// Inserts one item per visible column: width (negative widths resolved against the header's parent and
// written back), caption = the UI text of the id, format = the alignment bits, item data = the id, and the
// display order. Returns how many were inserted; nothing for a null header.
int HeaderInsertColumns(HWND header, ColumnLayout* table);
// Deletes every item (0 when a deletion fails), then HeaderInsertColumns.
int HeaderResetColumns(HWND header, ColumnLayout* table);
// Width and display order of every header item into the table entry of the same id; returns how many
// entries changed. Items whose id is not in the table are skipped.
int ReadHeaderColumnLayout(HWND header, ColumnLayout* table);
void HeaderSetItemWidth(HWND header, int index, int width);
// Every item's caption again from the UI text of its column id (after a change of language).
void RefreshHeaderTexts(HWND header);

// The two 11 x 11 sort-arrow bitmaps and how headers show the sort: in the themed form through the
// header's own sort flags, in the bitmap form through the bitmaps.
struct SortArrowHolder {
  int32_t specialKey;  // sort key whose bitmap stands left of the caption; right for every other key
  int32_t themed;      // 1 when the Windows version code is above 7
  HBITMAP descending;
  HBITMAP ascending;
};

// The program's one holder (special key 0), built on first use: the program's start-up makes that use.
SortArrowHolder* GetSortArrowHolder();
// Deletes both bitmaps (the program's exit does this to its holder).
void DestroySortArrowHolder(SortArrowHolder* holder);

// Replaces the holder's bitmaps by two bitmap resources, their grey colours mapped to the system's 3-D colours;
// the old bitmaps are freed. Without bitmaps, the bitmap form loads the program's own arrows.
void LoadSortArrowBitmaps(SortArrowHolder* holder, HINSTANCE instance, int descendingId, int ascendingId);

// Marks the sort column in the holder's form: the themed form gives that item HDF_SORTDOWN or HDF_SORTUP
// and clears the sort flags and bitmaps of the others; an item is set only when its format changes.
void SetHeaderSortArrowForColumns(SortArrowHolder* holder, HWND header, int sortColumnId, int sortKey, bool descending,
                                  const ColumnLayout* table);
// Always the bitmap form: the sort column's item shows the arrow bitmap, left of the caption for the special
// key and right of it otherwise; every other item loses its bitmap and sort flags.
void SetHeaderSortBitmapForColumns(SortArrowHolder* holder, HWND header, int sortColumnId, int sortKey, bool descending,
                                   const ColumnLayout* table);
