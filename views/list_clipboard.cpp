#include "views/list_clipboard.h"

#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/clipboard.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/list_text_columns.h"

namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";
constexpr wchar_t kCellSeparator[] = L"\t";

// The clipboard's text as it grows; a failed append spoils it.
struct ClipText {
  RecordBuffer bytes;
  bool failed;
};

void Append(ClipText* clip, const wchar_t* text) {
  const size_t length = WideLength(text);
  if (length && RecordBufferAppendBytes(&clip->bytes, text, static_cast<uint32_t>(length * sizeof(wchar_t))) != 0) {
    clip->failed = true;
  }
}

// Puts the text on the clipboard, or empties it when there is none (or only part of it could be built); frees
// the text.
void PutOnClipboard(HWND owner, ClipText* clip) {
  const wchar_t terminator = 0;
  const bool whole = RecordBufferUsedBytes(&clip->bytes) != 0 && !clip->failed &&
                     RecordBufferAppendBytes(&clip->bytes, &terminator, sizeof terminator) == 0;
  if (whole) {
    SetClipboardText(owner, reinterpret_cast<const wchar_t*>(RecordBufferData(&clip->bytes)));
  } else {
    EmptyClipboardOf(owner);
  }
  RecordBufferDestroy(&clip->bytes);
}

// The columns that have a caption, in display order; null when none has.
ListTextColumn* CaptionedColumns(HWND list, int* count) {
  ListTextColumn* columns = ReadListTextColumns(list, count);
  int kept = 0;
  for (int i = 0; i < *count; ++i) {
    if (columns[i].caption[0] != 0) columns[kept++] = columns[i];
  }
  *count = kept;
  if (kept == 0) FreeAndNull(&columns);
  return columns;
}

void AppendCaptions(ClipText* clip, const ListTextColumn* columns, int count) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) Append(clip, kCellSeparator);
    Append(clip, columns[i].caption);
  }
  Append(clip, kLineEnd);
}

void AppendRow(ClipText* clip, HWND list, int row, const ListTextColumn* columns, int count) {
  wchar_t cell[kCellTextCapacity];
  for (int i = 0; i < count; ++i) {
    if (i > 0) Append(clip, kCellSeparator);
    ReadListCellText(list, row, columns[i], cell, kCellTextCapacity);
    Append(clip, cell);
  }
  Append(clip, kLineEnd);
}

}  // namespace

void CopySelectedNamesToClipboard(HWND owner, const ItemListControl* list) {
  if (!list || IsJobBusy()) return;
  ClipText clip = {};
  RecordBufferInit(&clip.bytes, true);
  const int count = static_cast<int>(ItemStoreCount(&list->rows));
  for (int i = 0; i < count; ++i) {
    const auto* row = reinterpret_cast<const FileListRow*>(GetSelectedRecord(list, i));
    if (!row) continue;
    Append(&clip, row->currentName);
    Append(&clip, kLineEnd);
  }
  PutOnClipboard(owner, &clip);
}

void CopySelectedRowsToClipboard(HWND owner, const ItemListControl* list, bool withCaptions) {
  if (!list) return;
  int columnCount = 0;
  ListTextColumn* columns = CaptionedColumns(list->window, &columnCount);
  ClipText clip = {};
  RecordBufferInit(&clip.bytes, true);
  if (columns && withCaptions) AppendCaptions(&clip, columns, columnCount);
  const int count = columns ? static_cast<int>(ItemStoreCount(&list->rows)) : 0;
  for (int i = 0; i < count; ++i) {
    if (GetSelectedRecord(list, i)) AppendRow(&clip, list->window, i, columns, columnCount);
  }
  FreeAndNull(&columns);
  PutOnClipboard(owner, &clip);
}
