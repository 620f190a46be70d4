#include "engine/undo.h"

#include <cwchar>

#include "engine/rename_run.h"
#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/hash_slots.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_operations.h"
#include "views/file_list_row.h"
#include "views/path_pool.h"

namespace {

// A path whose hash more than one undone pair shares.
constexpr int32_t kSharedHash = -1;

// The texts of the first `pairs` pairs in list order; null without memory or when the list holds fewer.
const wchar_t** ListPairTexts(const UndoList* list, int32_t pairs) {
  const uint32_t count = 2 * static_cast<uint32_t>(pairs);
  const wchar_t** texts = static_cast<const wchar_t**>(AllocZeroed(count * static_cast<uint32_t>(sizeof *texts)));
  if (texts == nullptr) return nullptr;
  const uint8_t* at = RecordBufferData(&list->texts);
  const uint8_t* end = at + RecordBufferUsedBytes(&list->texts);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t room = static_cast<size_t>(end - at) / sizeof(wchar_t);
    const wchar_t* text = reinterpret_cast<const wchar_t*>(at);
    const size_t length = room > 0 ? wcsnlen(text, room) : 0;
    if (length >= room) {
      FreeAndNull(&texts);
      return nullptr;
    }
    texts[i] = text;
    at += (length + 1) * sizeof(wchar_t);
  }
  return texts;
}

// The last pair first; each pair undone is given up at once.
int UndoPairs(HWND owner, const wchar_t** texts, int32_t pairs) {
  const uint32_t total = static_cast<uint32_t>(pairs);
  ShowJobProgress(0, total);
  for (int32_t i = pairs - 1; i >= 0; --i) {
    if (JobStopRequested()) return 0;
    const wchar_t* newPath = texts[2 * i];
    const wchar_t* oldPath = texts[2 * i + 1];
    if (newPath[0] != 0 && oldPath[0] != 0) {
      const int result = RenameItemFile(owner, newPath, oldPath);
      if (result != 0) return result;
    }
    InterlockedExchange(&g_app->undoPairCount, i);
    ShowJobProgress(total - static_cast<uint32_t>(i), total);
  }
  return 0;
}

// The pairs an undo has renamed back, found by their new paths: a row listed under such a path now names a file
// that has its old name again.
struct UndoneNames {
  const wchar_t** texts;
  int32_t first;  // pairs first .. end - 1 were undone
  int32_t end;
  HashSlots byNewPath;  // hash of a new path -> its pair, or kSharedHash
  wchar_t* rowPath;
};

int32_t FindUndonePair(const UndoneNames& undone, const wchar_t* path) {
  const int32_t* found = HashSlotsFind(&undone.byNewPath, HashIgnoreCaseWide(path));
  if (found == nullptr) return -1;
  for (int32_t i = *found != kSharedHash ? *found : undone.first; i < undone.end; ++i) {
    if (wcscmp(undone.texts[2 * i], path) == 0) return i;
    if (*found != kSharedHash) break;
  }
  return -1;
}

const wchar_t* OldNameOfUndoneRow(const FileListRow& row, uint32_t, void* context) {
  UndoneNames* undone = static_cast<UndoneNames*>(context);
  if (GetRowFullPath(AppFileList(), &row, undone->rowPath, kLongPathCapacity) != 0) return nullptr;
  const int32_t pair = FindUndonePair(*undone, undone->rowPath);
  if (pair < 0) return nullptr;
  const wchar_t* oldPath = undone->texts[2 * pair + 1];
  return oldPath + FileNameOffset(oldPath);
}

// The rows of files renamed back take their old names, so that the list shows what the disk holds (after a run
// that stopped, its rows hold the new names).
void GiveRowsTheirOldNames(const wchar_t** texts, int32_t first, int32_t end) {
  if (first >= end || AppFileList() == nullptr) return;
  UndoneNames undone = {texts, first, end, {}, AllocZeroedWide(kLongPathCapacity)};
  if (undone.rowPath != nullptr && HashSlotsInit(&undone.byNewPath, static_cast<uint32_t>(end - first))) {
    for (int32_t i = first; i < end; ++i) {
      int32_t* slot = HashSlotsFindOrAdd(&undone.byNewPath, HashIgnoreCaseWide(texts[2 * i]), i);
      if (slot != nullptr && *slot != i) *slot = kSharedHash;
    }
    RenameFileListRows(OldNameOfUndoneRow, &undone);
  }
  HashSlotsFree(&undone.byNewPath);
  FreeAndNull(&undone.rowPath);
}

}  // namespace

UndoList* CreateUndoList() {
  UndoList* list = static_cast<UndoList*>(AllocZeroed(sizeof(UndoList)));
  if (list != nullptr) RecordBufferInit(&list->texts, false);
  return list;
}

void FreeUndoList(UndoList** list) {
  if (list == nullptr || *list == nullptr) return;
  RecordBufferDestroy(&(*list)->texts);
  FreeAndNull(list);
}

int AppendUndoPair(UndoList* list, const wchar_t* newPath, const wchar_t* oldPath) {
  if (list == nullptr || newPath == nullptr || oldPath == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  const uint32_t used = RecordBufferUsedBytes(&list->texts);
  if (RecordBufferAppendString(&list->texts, newPath) != 0) return ERROR_NOT_ENOUGH_MEMORY;
  if (RecordBufferAppendString(&list->texts, oldPath) == 0) return 0;
  RecordBufferRemoveBytes(&list->texts, used, RecordBufferUsedBytes(&list->texts) - used);
  return ERROR_NOT_ENOUGH_MEMORY;
}

void InstallUndoList(UndoList* list, int32_t pairs) {
  if (g_app == nullptr) return;
  auto* previous = static_cast<UndoList*>(
      InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_app->undoList), list));
  InterlockedExchange(&g_app->undoPairCount, pairs);
  if (previous != list) FreeUndoList(&previous);
}

void ReleaseUndoList() { InstallUndoList(nullptr, 0); }

bool StartUndo(HWND owner) {
  // The pairs alone decide: the names the new preview marks are not the names the undo gives back.
  if (g_app == nullptr || g_app->undoList == nullptr || g_app->undoPairCount <= 0) return false;
  return StartExclusiveJob(UndoThread, owner);
}

DWORD WINAPI UndoThread(void* owner) {
  const int32_t pairs = g_app->undoPairCount;
  const wchar_t** texts = g_app->undoList != nullptr && pairs > 0 ? ListPairTexts(g_app->undoList, pairs) : nullptr;
  if (texts != nullptr) {
    GuardedCall(ERROR_FUNCTION_FAILED, [&] { return UndoPairs(static_cast<HWND>(owner), texts, pairs); });
    GuardedCall(0, [&] {
      GiveRowsTheirOldNames(texts, g_app->undoPairCount, pairs);
      return 0;
    });
  } else if (pairs > 0) {
    ShowLastErrorMessage(static_cast<HWND>(owner), ERROR_NOT_ENOUGH_MEMORY, nullptr);
  }
  FreeAndNull(&texts);
  EndExclusiveJob();
  return 0;
}
