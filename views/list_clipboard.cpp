#include "views/list_clipboard.h"

#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/core/threads.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/clipboard.h"
#include "foundation/ui/message_boxes.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/row_walk.h"

namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";
constexpr wchar_t kCellSeparator[] = L"\t";

// The clipboard's text as it grows; a failed append spoils it.
struct ClipText {
  RecordBuffer bytes;
  bool failed;
};

void Append(ClipText* clip, const wchar_t* text, size_t length) {
  if (length && RecordBufferAppendBytes(&clip->bytes, text, static_cast<uint32_t>(length * sizeof(wchar_t))) != 0) {
    clip->failed = true;
  }
}

void Append(ClipText* clip, const wchar_t* text) { Append(clip, text, WideLength(text)); }

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

// One copy of rows: the selection as it was when the command came, read on the list's thread or a job's worker.
struct RowsCopy {
  HWND owner;
  ListCellReader reader;
  ListTextColumn* columns;
  int columnCount;
  bool withCaptions;
  uint32_t* rows;  // the selected rows' positions
  uint32_t rowCount;
  ClipText clip;
  wchar_t cell[kCellTextCapacity];
};

void FreeCopy(RowsCopy* copy) {
  FreeAndNull(&copy->columns);
  FreeAndNull(&copy->rows);
  RecordBufferDestroy(&copy->clip.bytes);
  FreeAndNull(&copy);
}

// The positions of the selected rows; false without memory.
bool NoteSelectedRows(const ItemListControl* list, RowsCopy* copy) {
  const uint32_t count = ItemStoreCount(&list->rows);
  copy->rows = static_cast<uint32_t*>(AllocZeroed((count + 1) * static_cast<uint32_t>(sizeof(uint32_t))));
  if (!copy->rows) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (GetSelectedRecord(list, static_cast<int>(i))) copy->rows[copy->rowCount++] = i;
  }
  return true;
}

void AppendCaptions(RowsCopy* copy) {
  for (int i = 0; i < copy->columnCount; ++i) {
    if (i > 0) Append(&copy->clip, kCellSeparator);
    Append(&copy->clip, copy->columns[i].caption);
  }
  Append(&copy->clip, kLineEnd);
}

void AppendRow(RowsCopy* copy, uint32_t row) {
  for (int i = 0; i < copy->columnCount; ++i) {
    if (i > 0) Append(&copy->clip, kCellSeparator);
    const int length = ReadCellText(copy->reader, static_cast<int>(row), copy->columns[i], copy->cell, kCellTextCapacity);
    if (length < 0) {
      copy->clip.failed = true;
    } else {
      Append(&copy->clip, copy->cell, static_cast<size_t>(length));
    }
  }
  Append(&copy->clip, kLineEnd);
}

// Room for the rows to come, taken at once from the first row's size and a quarter more: a long text would
// otherwise be copied into a larger block again and again.
void ReserveForRows(RowsCopy* copy, uint32_t firstRowBytes) {
  const uint64_t wanted = static_cast<uint64_t>(firstRowBytes) * copy->rowCount * 5 / 4;
  if (wanted < UINT32_MAX) RecordBufferReserveBytes(&copy->clip.bytes, static_cast<uint32_t>(wanted));
}

// The whole text; false when a job's Stop ended it or a cell could not be made.
bool BuildText(RowsCopy* copy, bool asJob) {
  if (copy->withCaptions) AppendCaptions(copy);
  RowWalk walk = StartRowWalk(asJob, copy->rowCount);
  const uint32_t firstRowStart = RecordBufferUsedBytes(&copy->clip.bytes);
  return GuardedCall(false, [&] {
    for (uint32_t i = 0; i < copy->rowCount && StepRowWalk(&walk); ++i) {
      AppendRow(copy, copy->rows[i]);
      if (i == 0) ReserveForRows(copy, RecordBufferUsedBytes(&copy->clip.bytes) - firstRowStart);
    }
    return !walk.stopped;
  });
}

LRESULT PutOnClipboardHere(void* argument) {
  auto* copy = static_cast<RowsCopy*>(argument);
  PutOnClipboard(copy->owner, &copy->clip);
  return 0;
}

// A stopped copy leaves the clipboard as it was: part of the rows must not pass for all of them.
DWORD WINAPI CopyRowsJob(void* argument) {
  auto* copy = static_cast<RowsCopy*>(argument);
  if (BuildText(copy, true)) RunOnGuiThread(PutOnClipboardHere, copy);
  FreeCopy(copy);
  EndExclusiveJob();
  return 0;
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
  auto* copy = static_cast<RowsCopy*>(AllocZeroed(sizeof(RowsCopy)));
  if (!copy) return;
  *copy = RowsCopy{owner, CellReaderOf(list->window), nullptr, 0, withCaptions, nullptr, 0, {}, {}};
  RecordBufferInit(&copy->clip.bytes, true);
  copy->columns = CaptionedColumns(list->window, &copy->columnCount);
  if (copy->columns && !NoteSelectedRows(list, copy)) copy->clip.failed = true;
  if (!copy->columns) copy->withCaptions = false;
  const bool asJob = WalksAsJob(copy->reader, static_cast<uint64_t>(copy->rowCount) * copy->columnCount);
  if (asJob) {
    if (!StartExclusiveJob(CopyRowsJob, copy)) {
      // Another job changes the rows: many of them cannot be read meanwhile.
      BeepError();
      FreeCopy(copy);
    }
    return;
  }
  if (!BuildText(copy, false)) copy->clip.failed = true;
  PutOnClipboard(owner, &copy->clip);
  FreeCopy(copy);
}
