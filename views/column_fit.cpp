#include "views/column_fit.h"

#include <commctrl.h>

#include "foundation/core/guard.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/win32/list_views.h"
#include "views/items_view.h"
#include "views/row_walk.h"
#include "views/text_width_meter.h"

namespace {

// One fit: the columns in header order and the widest text measured in each.
struct ColumnFit {
  ListCellReader reader;
  int columnCount;
  ListTextColumn* columns;
  int* measured;
  wchar_t cell[kCellTextCapacity];
};

void FreeFit(ColumnFit* fit) {
  FreeAndNull(&fit->columns);
  FreeAndNull(&fit->measured);
  FreeAndNull(&fit);
}

// The sub-item each column shows; false when the list does not say.
bool NoteColumns(ColumnFit* fit) {
  for (int i = 0; i < fit->columnCount; ++i) {
    LVCOLUMNW column = {};
    column.mask = LVCF_SUBITEM;
    if (!SendMessageW(fit->reader.list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column))) return false;
    fit->columns[i].subItem = column.iSubItem;
  }
  return true;
}

// False when a Stop ended the walk.
bool MeasureColumns(ColumnFit* fit) {
  const uint32_t rows = ReaderRowCount(fit->reader);
  RowWalk walk = StartRowWalk(true, rows * static_cast<uint32_t>(fit->columnCount));
  for (int i = 0; i < fit->columnCount && !walk.stopped; ++i) {
    TextWidthMeter meter;
    StartTextWidthMeter(&meter, fit->reader.rows->font);
    for (uint32_t row = 0; row < rows && StepRowWalk(&walk); ++row) {
      MeterText(&meter, fit->cell, ReadCellText(fit->reader, static_cast<int>(row), fit->columns[i], fit->cell,
                                                kCellTextCapacity));
    }
    fit->measured[i] = EndTextWidthMeter(&meter);
  }
  return !walk.stopped;
}

LRESULT SetFittedWidthsHere(void* argument) {
  const auto* fit = static_cast<const ColumnFit*>(argument);
  for (int i = 0; i < fit->columnCount; ++i) ItemsViewFitColumnToText(fit->reader.rows, i, fit->measured[i]);
  return 0;
}

DWORD WINAPI FitColumnsJob(void* argument) {
  auto* fit = static_cast<ColumnFit*>(argument);
  if (GuardedCall(false, [&] { return MeasureColumns(fit); })) RunOnGuiThread(SetFittedWidthsHere, fit);
  FreeFit(fit);
  EndExclusiveJob();
  return 0;
}

// A fit as a job; false when it is not one (a short list, another list, no memory, another job busy).
bool StartFitJob(HWND list, int columnCount) {
  const ListCellReader reader = CellReaderOf(list);
  if (!WalksAsJob(reader, static_cast<uint64_t>(ReaderRowCount(reader)) * static_cast<uint32_t>(columnCount))) {
    return false;
  }
  auto* fit = static_cast<ColumnFit*>(AllocZeroed(sizeof(ColumnFit)));
  if (!fit) return false;
  fit->reader = reader;
  fit->columnCount = columnCount;
  const uint32_t count = static_cast<uint32_t>(columnCount);
  fit->columns = static_cast<ListTextColumn*>(AllocZeroed(count * static_cast<uint32_t>(sizeof(ListTextColumn))));
  fit->measured = static_cast<int*>(AllocZeroed(count * static_cast<uint32_t>(sizeof(int))));
  if (fit->columns && fit->measured && NoteColumns(fit) && StartExclusiveJob(FitColumnsJob, fit)) return true;
  FreeFit(fit);
  return false;
}

}  // namespace

void FitAllListColumns(HWND list) {
  const int columnCount = ListViewColumnCount(list);
  if (columnCount > 0 && !StartFitJob(list, columnCount)) AutoSizeListColumns(list, columnCount);
}
