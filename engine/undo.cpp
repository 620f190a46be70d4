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
#include "foundation/providers/providers.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_text_ids.h"
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

// The closing list of files not found, and the mark of a list cut short.
constexpr int kMissingListCapacity = 16384;
constexpr wchar_t kListCutMark[] = L"\n...";

// One undo: the pairs, which of them were renamed back, and the files that were not found.
struct UndoWalk {
  HWND owner;
  const wchar_t** texts;
  int32_t pairs;
  bool* undone;       // per pair: renamed back, or nothing to rename
  int32_t missingCount;
  wchar_t* missing;   // one path a line; null until the first
  bool missingCut;
};

void NoteMissing(UndoWalk* walk, const wchar_t* path) {
  ++walk->missingCount;
  if (walk->missing == nullptr) walk->missing = AllocZeroedWide(kMissingListCapacity);
  if (walk->missing == nullptr || walk->missingCut) return;
  const size_t used = WideLength(walk->missing);
  const size_t cutMarkLength = sizeof kListCutMark / sizeof kListCutMark[0];
  if (used + 1 + WideLength(path) + cutMarkLength >= static_cast<size_t>(kMissingListCapacity)) {
    AppendWideBounded(kListCutMark, walk->missing, kMissingListCapacity);
    walk->missingCut = true;
    return;
  }
  if (used > 0) AppendWideBounded(L"\n", walk->missing, kMissingListCapacity);
  AppendWideBounded(path, walk->missing, kMissingListCapacity);
}

// A file no longer at its new path (deleted or moved by another program) is noted and passed over: its pair
// stays for a later undo, and the walk goes on with the others.
int UndoPair(UndoWalk* walk, int32_t i) {
  const wchar_t* newPath = walk->texts[2 * i];
  const wchar_t* oldPath = walk->texts[2 * i + 1];
  if (newPath[0] != 0 && oldPath[0] != 0) {
    if (!PathExists(newPath)) {
      NoteMissing(walk, newPath);
      return 0;
    }
    const int result = RenameItemFile(walk->owner, newPath, oldPath);
    if (result != 0) return result;
  }
  walk->undone[i] = true;
  return 0;
}

// The last pair first.
int UndoPairs(UndoWalk* walk) {
  const uint32_t total = static_cast<uint32_t>(walk->pairs);
  ShowJobProgress(0, total);
  for (int32_t i = walk->pairs - 1; i >= 0; --i) {
    if (JobStopRequested()) return 0;
    const int result = UndoPair(walk, i);
    if (result != 0) return result;
    ShowJobProgress(total - static_cast<uint32_t>(i), total);
  }
  return 0;
}

int32_t PairsUndone(const UndoWalk& walk) {
  int32_t undone = 0;
  for (int32_t i = 0; i < walk.pairs; ++i) undone += walk.undone[i] ? 1 : 0;
  return undone;
}

void ShowMissingFiles(const UndoWalk& walk) {
  if (walk.missingCount == 0) return;
  ShowMessageWithPath(walk.owner, kTextUndoFilesMissing, nullptr, walk.missing, nullptr, MB_OK | MB_ICONWARNING);
}

// The pairs not undone, in their order, are what is left to undo. Without memory for them the list stays whole.
void KeepPairsNotUndone(const UndoWalk& walk) {
  const int32_t left = walk.pairs - PairsUndone(walk);
  if (left == walk.pairs) return;
  UndoList* rest = left > 0 ? CreateUndoList() : nullptr;
  for (int32_t i = 0; i < walk.pairs && rest != nullptr; ++i) {
    if (!walk.undone[i] && AppendUndoPair(rest, walk.texts[2 * i], walk.texts[2 * i + 1]) != 0) FreeUndoList(&rest);
  }
  if (left > 0 && rest == nullptr) {
    ShowLastErrorMessage(walk.owner, ERROR_NOT_ENOUGH_MEMORY, nullptr);
    return;
  }
  InstallUndoList(rest, left);
}

// The pairs an undo has renamed back, found by their new paths: a row listed under such a path now names a file
// that has its old name again.
struct UndoneNames {
  const UndoWalk* walk;
  HashSlots byNewPath;  // hash of a new path -> its pair, or kSharedHash
  wchar_t* rowPath;
};

int32_t FindUndonePair(const UndoneNames& undone, const wchar_t* path) {
  const int32_t* found = HashSlotsFind(&undone.byNewPath, HashIgnoreCaseWide(path));
  if (found == nullptr) return -1;
  const UndoWalk& walk = *undone.walk;
  for (int32_t i = *found != kSharedHash ? *found : 0; i < walk.pairs; ++i) {
    if (walk.undone[i] && wcscmp(walk.texts[2 * i], path) == 0) return i;
    if (*found != kSharedHash) break;
  }
  return -1;
}

const wchar_t* OldNameOfUndoneRow(const FileListRow& row, uint32_t, void* context) {
  UndoneNames* undone = static_cast<UndoneNames*>(context);
  if (GetRowFullPath(AppFileList(), &row, undone->rowPath, kLongPathCapacity) != 0) return nullptr;
  const int32_t pair = FindUndonePair(*undone, undone->rowPath);
  if (pair < 0) return nullptr;
  const wchar_t* oldPath = undone->walk->texts[2 * pair + 1];
  return oldPath + FileNameOffset(oldPath);
}

// The rows of files renamed back take their old names, so that the list shows what the disk holds (after a run
// that stopped, its rows hold the new names).
void GiveRowsTheirOldNames(const UndoWalk& walk) {
  const int32_t undoneCount = PairsUndone(walk);
  if (undoneCount == 0 || AppFileList() == nullptr) return;
  UndoneNames undone = {&walk, {}, AllocZeroedWide(kLongPathCapacity)};
  if (undone.rowPath != nullptr && HashSlotsInit(&undone.byNewPath, static_cast<uint32_t>(undoneCount))) {
    for (int32_t i = 0; i < walk.pairs; ++i) {
      if (!walk.undone[i]) continue;
      int32_t* slot = HashSlotsFindOrAdd(&undone.byNewPath, HashIgnoreCaseWide(walk.texts[2 * i]), i);
      if (slot != nullptr && *slot != i) *slot = kSharedHash;
    }
    RenameFileListRows(OldNameOfUndoneRow, &undone);
  }
  HashSlotsFree(&undone.byNewPath);
  FreeAndNull(&undone.rowPath);
}

// Bytes of the first `count` texts of the list (all its bytes when it holds fewer).
uint32_t BytesOfTexts(const UndoList* list, uint32_t count) {
  const uint8_t* data = RecordBufferData(&list->texts);
  const uint32_t used = RecordBufferUsedBytes(&list->texts);
  uint32_t at = 0;
  for (uint32_t i = 0; i < count && at < used; ++i) {
    const size_t room = (used - at) / sizeof(wchar_t);
    at += static_cast<uint32_t>((wcsnlen(reinterpret_cast<const wchar_t*>(data + at), room) + 1) * sizeof(wchar_t));
  }
  return at < used ? at : used;
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

void KeepUndoPairs(UndoList* list, int32_t pairs) {
  if (list == nullptr || pairs < 0) return;
  const uint32_t end = BytesOfTexts(list, 2 * static_cast<uint32_t>(pairs));
  // One text at a time, so that the buffer goes on counting its texts.
  for (uint32_t used = RecordBufferUsedBytes(&list->texts); used > end; used = RecordBufferUsedBytes(&list->texts)) {
    const uint32_t text = BytesOfTexts(list, 2 * static_cast<uint32_t>(pairs) + 1) - end;
    RecordBufferRemoveBytes(&list->texts, end, text > 0 ? text : used - end);
  }
}

void InstallUndoList(UndoList* list, int32_t pairs) {
  if (g_app == nullptr) return;
  auto* previous = static_cast<UndoList*>(
      InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_app->undoList), list));
  InterlockedExchange(&g_app->undoPairCount, pairs);
  if (previous != list) FreeUndoList(&previous);
}

void ReleaseUndoList() {
  ForgetStoppedRun();
  InstallUndoList(nullptr, 0);
}

bool StartUndo(HWND owner) {
  // The pairs alone decide: the names the new preview marks are not the names the undo gives back.
  if (g_app == nullptr || g_app->undoList == nullptr || g_app->undoPairCount <= 0) return false;
  return StartExclusiveJob(UndoThread, owner);
}

DWORD WINAPI UndoThread(void* owner) {
  UndoWalk walk = {static_cast<HWND>(owner), nullptr, g_app->undoPairCount, nullptr, 0, nullptr, false};
  if (g_app->undoList != nullptr && walk.pairs > 0) {
    walk.texts = ListPairTexts(g_app->undoList, walk.pairs);
    walk.undone = static_cast<bool*>(AllocZeroed(static_cast<uint32_t>(walk.pairs) * sizeof(bool)));
  }
  if (walk.texts != nullptr && walk.undone != nullptr) {
    GuardedCall(ERROR_FUNCTION_FAILED, [&] { return UndoPairs(&walk); });
    GuardedCall(0, [&] {
      GiveRowsTheirOldNames(walk);
      ShowMissingFiles(walk);
      return 0;
    });
    // Last, and whatever failed before: the texts belong to the list this replaces.
    GuardedCall(0, [&] {
      KeepPairsNotUndone(walk);
      return 0;
    });
  } else if (walk.pairs > 0) {
    ShowLastErrorMessage(walk.owner, ERROR_NOT_ENOUGH_MEMORY, nullptr);
  }
  FreeAndNull(&walk.texts);
  FreeAndNull(&walk.undone);
  FreeAndNull(&walk.missing);
  EndExclusiveJob();
  return 0;
}
