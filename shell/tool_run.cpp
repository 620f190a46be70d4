#include "shell/tool_run.h"

#include <cstddef>
#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/files/system_errors.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/packed_date.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "shell/status_notices.h"
#include "views/items_view.h"
#include "views/path_pool.h"
#include "views/status_bar.h"

namespace {

constexpr uint32_t kMostUnmadeLines = 20;
constexpr int kUnmadeCapacity = 16384;
// File systems keep times to different steps (FAT: two seconds); a time within them was kept.
constexpr unsigned kKeptTimeTolerance = 2;

// The attributes the tools change, with the UI texts that name them.
struct ToolAttribute {
  uint32_t bit;
  int textId;
};
constexpr ToolAttribute kToolAttributes[] = {
    {FILE_ATTRIBUTE_ARCHIVE, IDC_FILTER_ARCHIVE},   {FILE_ATTRIBUTE_READONLY, IDC_FILTER_READ_ONLY},
    {FILE_ATTRIBUTE_HIDDEN, IDC_FILTER_HIDDEN},     {FILE_ATTRIBUTE_SYSTEM, IDC_FILTER_SYSTEM},
    {FILE_ATTRIBUTE_COMPRESSED, IDC_FILTER_COMPRESSED},
};

void AppendLine(ToolRun* run, const wchar_t* const* parts, int count) {
  const int used = static_cast<int>(WideLength(run->unmade));
  bool fits = true;
  for (int i = 0; i < count && fits; ++i) fits = AppendWideBounded(parts[i], run->unmade, kUnmadeCapacity) >= 0;
  if (fits) {
    ++run->unmadeLines;
  } else {
    run->unmade[used] = 0;
    ++run->unmadeMore;
  }
}

// One line of the closing list: the path, the change named by its UI text, and why it did not happen (the
// system's text of the error, or that the file did not keep the value).
void ReportUnmade(ToolRun* run, const ToolRow& row, int whatTextId, int error) {
  if (run->unmade == nullptr) run->unmade = AllocZeroedWide(kUnmadeCapacity);
  if (run->unmade == nullptr || run->unmadeLines >= kMostUnmadeLines) {
    ++run->unmadeMore;
    return;
  }
  wchar_t what[kUiTextCapacity];
  GetUiText(whatTextId, what, kUiTextCapacity);
  StripMenuTextDecorations(what);
  wchar_t reason[kErrorTextCapacity] = L"";
  if (error != 0) FormatSystemErrorText(static_cast<DWORD>(error), reason, kErrorTextCapacity, true);
  if (reason[0] == 0) GetUiText(kTextChangeNotKept, reason, kErrorTextCapacity);
  const wchar_t* parts[] = {run->unmadeLines > 0 ? L"\n" : L"", row.path, L": ", what, L": ", reason};
  AppendLine(run, parts, static_cast<int>(sizeof parts / sizeof parts[0]));
}

void ShowUnmadeChanges(ToolRun* run) {
  if (run->unmadeLines == 0 && run->unmadeMore == 0) return;
  if (run->unmade != nullptr && run->unmadeMore > 0) {
    wchar_t pattern[kUiTextCapacity];
    wchar_t more[kUiTextCapacity];
    GetUiText(kTextMoreChangesNotMade, pattern, kUiTextCapacity);
    FormatCountText(pattern, static_cast<int>(run->unmadeMore), more, kUiTextCapacity);
    AppendWideBounded(L"\n", run->unmade, kUnmadeCapacity);
    AppendWideBounded(more, run->unmade, kUnmadeCapacity);
  }
  ShowMessageWithPath(run->owner, kTextChangesNotMade, nullptr, run->unmade, nullptr, MB_OK | MB_ICONWARNING);
}

// The row shows what its file has now: attributes and times as the provider reads them back.
void TakeFileData(ToolRun* run, ToolRow* row) {
  FileInfo fresh = {};
  if (VfsGetAttributes(nullptr, row->path, &fresh) < 0) return;
  FileInfo& info = row->record.info;
  info.attributes = fresh.attributes & kListedAttributeMask;
  info.creationTime = fresh.creationTime;
  info.lastAccessTime = fresh.lastAccessTime;
  info.lastWriteTime = fresh.lastWriteTime;
  uint8_t* stored = GetItemRecord(run->files, row->index);
  if (stored == nullptr) return;
  memcpy(stored + offsetof(FileListRow, info), &info, sizeof info);
  ItemsViewRedrawItem(run->files, row->index);
  // Steps read times and attributes: the new names are computed again when the run ends, before another run.
  InterlockedExchange(&g_app->previewDeferred, 1);
}

bool TimeKept(const FILETIME* wanted, const FILETIME& now) {
  return wanted == nullptr || CompareFileTimesTolerant(wanted, &now, kKeptTimeTolerance) == 0;
}

bool CopySelectedRow(ToolRun* run, uint32_t index, ToolRow* row) {
  const uint8_t* stored = GetItemRecord(run->files, static_cast<int>(index));
  if (stored == nullptr || (stored[offsetof(FileListRow, state)] & kRowSelected) == 0) return false;
  row->index = static_cast<int>(index);
  row->path = run->path;
  return CopyItemRecordWithPath(row->index, run->path, kLongPathCapacity, &row->record) == 0;
}

void RunRows(ToolRun* run) {
  const uint32_t total = ItemStoreCount(&run->files->rows);
  ShowJobProgress(0, total);
  ToolRow* row = static_cast<ToolRow*>(AllocZeroed(sizeof(ToolRow)));
  for (uint32_t i = 0; row != nullptr && i < total && !JobStopRequested(); ++i) {
    if (CopySelectedRow(run, i, row)) run->action(run, row);
    ShowJobProgress(i + 1, total);
  }
  FreeAndNull(&row);
}

void FreeToolRun(ToolRun** run) {
  FreeAndNull(&(*run)->settings);
  FreeAndNull(&(*run)->path);
  FreeAndNull(&(*run)->unmade);
  FreeAndNull(run);
}

}  // namespace

ToolRun* CreateToolRun(HWND owner, ToolRowAction action, void* settings) {
  ToolRun* run = static_cast<ToolRun*>(AllocZeroed(sizeof(ToolRun)));
  if (run == nullptr) {
    FreeAndNull(&settings);
    return nullptr;
  }
  run->owner = owner;
  run->files = AppFileList();
  run->action = action;
  run->settings = settings;
  run->path = AllocZeroedWide(kLongPathCapacity);
  if (run->path == nullptr || run->files == nullptr) FreeToolRun(&run);
  return run;
}

bool StartToolRun(ToolRun* run, LPTHREAD_START_ROUTINE thread) {
  if (run == nullptr) return false;
  if (StartExclusiveJob(thread, run)) return true;
  FreeToolRun(&run);
  return false;
}

DWORD RunToolOverSelectedRows(ToolRun* run) {
  GuardedCall(0, [&] {
    RunRows(run);
    ShowUnmadeChanges(run);
    return 0;
  });
  FreeToolRun(&run);
  UpdateStatusText(&g_app->listingStatistics, kTextStatusListed);
  EndExclusiveJob();
  return 0;
}

int SetRowTimes(ToolRun* run, ToolRow* row, const FILETIME* creation, const FILETIME* lastWrite) {
  const int result = VfsSetFileTimes(nullptr, row->path, creation, nullptr, lastWrite);
  TakeFileData(run, row);
  // A refused time is listed with the system's reason, an accepted one the file did not keep as such.
  if (!TimeKept(creation, row->record.info.creationTime)) ReportUnmade(run, *row, kTextTimeCreated, result);
  if (!TimeKept(lastWrite, row->record.info.lastWriteTime)) ReportUnmade(run, *row, kTextTimeModified, result);
  return result;
}

void SetRowAttributes(ToolRun* run, ToolRow* row, uint32_t set, uint32_t clear) {
  const int32_t current = VfsGetAttributes(nullptr, row->path, nullptr);
  if (current < 0) {
    ReportUnmade(run, *row, kTextAttributes, ERROR_FILE_NOT_FOUND);
    return;
  }
  const uint32_t wanted = (static_cast<uint32_t>(current) | set) & ~clear;
  if (wanted == static_cast<uint32_t>(current)) return;
  const int result = VfsSetAttributes(nullptr, row->path, wanted);
  TakeFileData(run, row);
  bool told = false;
  for (const ToolAttribute& attribute : kToolAttributes) {
    if (((set | clear) & attribute.bit) == 0 || ((row->record.info.attributes ^ wanted) & attribute.bit) == 0)
      continue;
    ReportUnmade(run, *row, attribute.textId, result);
    told = true;
  }
  if (result != 0 && !told) ReportUnmade(run, *row, kTextAttributes, result);
}
