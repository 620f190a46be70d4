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
#include "foundation/text/text_sizes.h"
#include "foundation/providers/providers.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "views/file_list_row.h"
#include "views/path_pool.h"

namespace {

// A path whose hash more than one undone pair shares.

// What an undo did with a pair.
enum PairOutcome : uint8_t {
  kPairLeft = 0,   // not reached (the walk stopped)
  kPairUndone,     // renamed back, or nothing to rename
  kPairNotFound,   // no file at its new path
  kPairNameTaken,  // another file holds its old name
};

// The files not renamed back are listed by reason, each under its heading, a path a line.
struct ReasonHeading {
  PairOutcome outcome;
  int textId;
};
constexpr ReasonHeading kReasonHeadings[] = {{kPairNotFound, kTextUndoNotFound}, {kPairNameTaken, kTextUndoNameTaken}};

// The closing list, and the mark of a list cut short.
constexpr int kClosingListCapacity = 16384;
constexpr wchar_t kListCutMark[] = L"\n...";
constexpr wchar_t kTakenNameMark[] = L" -> ";

// One undo: the pairs and what became of each.
struct UndoWalk {
  HWND owner;
  const wchar_t** texts;
  const uint8_t* kinds;  // the EntryKind of each pair
  int32_t pairs;
  PairOutcome* outcomes;
};

// A file no longer at its new path (deleted or moved by another program, or an entry of the other kind there now),
// or whose old name another file holds now, is passed over: its pair stays for a later undo, and the walk goes on
// with the others. Since the walk never replaces a file, a pair that needs the name of a file passed over is passed
// over in turn.
int UndoPair(UndoWalk* walk, int32_t i) {
  const wchar_t* newPath = walk->texts[2 * i];
  const wchar_t* oldPath = walk->texts[2 * i + 1];
  PairOutcome outcome = kPairUndone;
  if (newPath[0] != 0 && oldPath[0] != 0) {
    if (EntryKindAt(newPath) != walk->kinds[i]) {
      outcome = kPairNotFound;
    } else {
      const int result = RenameItemFileUnlessTaken(walk->owner, newPath, oldPath);
      if (result == ERROR_ALREADY_EXISTS) {
        outcome = kPairNameTaken;
      } else if (result != 0) {
        return result;
      }
    }
  }
  walk->outcomes[i] = outcome;
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

bool IsUndone(const UndoWalk& walk, int32_t i) { return walk.outcomes[i] == kPairUndone; }

int32_t PairsUndone(const UndoWalk& walk) {
  int32_t undone = 0;
  for (int32_t i = 0; i < walk.pairs; ++i) undone += IsUndone(walk, i) ? 1 : 0;
  return undone;
}

bool AnyPassedOver(const UndoWalk& walk) {
  for (int32_t i = 0; i < walk.pairs; ++i) {
    if (walk.outcomes[i] != kPairLeft && walk.outcomes[i] != kPairUndone) return true;
  }
  return false;
}

// Appends the parts as one line of the closing list. A line that does not fit ends the list with the cut mark:
// false.
bool AppendListLine(wchar_t* list, const wchar_t* const* parts, int count) {
  const size_t used = WideLength(list);
  size_t needed = used > 0 ? 1 : 0;
  for (int k = 0; k < count; ++k) needed += WideLength(parts[k]);
  if (used + needed + sizeof kListCutMark / sizeof kListCutMark[0] > static_cast<size_t>(kClosingListCapacity)) {
    AppendWideBounded(kListCutMark, list, kClosingListCapacity);
    return false;
  }
  if (used > 0) AppendWideBounded(L"\n", list, kClosingListCapacity);
  for (int k = 0; k < count; ++k) AppendWideBounded(parts[k], list, kClosingListCapacity);
  return true;
}

// The heading of the reason (after an empty line, unless it comes first), then each file passed over for it: its
// new path, and for a name taken the old name. False once the list is cut.
bool AppendReason(wchar_t* list, const UndoWalk& walk, const ReasonHeading& reason) {
  bool headed = false;
  for (int32_t i = 0; i < walk.pairs; ++i) {
    if (walk.outcomes[i] != reason.outcome) continue;
    if (!headed) {
      wchar_t heading[kUiTextCapacity];
      GetUiText(reason.textId, heading, kUiTextCapacity);
      const wchar_t* parts[] = {list[0] != 0 ? L"\n" : L"", heading};
      if (!AppendListLine(list, parts, 2)) return false;
      headed = true;
    }
    const wchar_t* oldPath = walk.texts[2 * i + 1];
    const bool taken = reason.outcome == kPairNameTaken;
    const wchar_t* parts[] = {walk.texts[2 * i], taken ? kTakenNameMark : L"",
                              taken ? oldPath + FileNameOffset(oldPath) : L""};
    if (!AppendListLine(list, parts, 3)) return false;
  }
  return true;
}

// One box for all the files passed over, by reason; without memory for the list, the box still says it.
void ShowFilesNotRenamedBack(const UndoWalk& walk) {
  if (!AnyPassedOver(walk)) return;
  wchar_t* list = AllocZeroedWide(kClosingListCapacity);
  for (const ReasonHeading& reason : kReasonHeadings) {
    if (list == nullptr || !AppendReason(list, walk, reason)) break;
  }
  ShowMessageWithPath(walk.owner, kTextUndoNotRenamedBack, nullptr, list, nullptr, MB_OK | MB_ICONWARNING);
  FreeAndNull(&list);
}

// The pairs not undone, in their order, are what is left to undo. Without memory for them the list stays whole.
void KeepPairsNotUndone(const UndoWalk& walk) {
  const int32_t left = walk.pairs - PairsUndone(walk);
  if (left == walk.pairs) return;
  UndoList* rest = left > 0 ? CreateUndoList() : nullptr;
  for (int32_t i = 0; i < walk.pairs && rest != nullptr; ++i) {
    if (IsUndone(walk, i)) continue;
    const EntryKind kind = static_cast<EntryKind>(walk.kinds[i]);
    if (AppendUndoPair(rest, walk.texts[2 * i], walk.texts[2 * i + 1], kind) != 0) FreeUndoList(&rest);
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
  PairsByNewPath index;
  wchar_t* rowPath;
};

bool IsUndonePair(int32_t pair, const void* walk) { return IsUndone(*static_cast<const UndoWalk*>(walk), pair); }

const wchar_t* OldNameOfUndoneRow(const FileListRow& row, uint32_t, void* context) {
  UndoneNames* undone = static_cast<UndoneNames*>(context);
  if (GetRowFullPath(AppFileList(), &row, undone->rowPath, kLongPathCapacity) != 0) return nullptr;
  const int32_t pair = FindPairByNewPath(undone->index, undone->rowPath);
  return pair >= 0 ? OldNameOfPair(undone->index, pair) : nullptr;
}

// The rows of files renamed back take their old names, so that the list shows what the disk holds (after a run
// that stopped, its rows hold the new names).
void GiveRowsTheirOldNames(const UndoWalk& walk) {
  const int32_t undoneCount = PairsUndone(walk);
  if (undoneCount == 0 || AppFileList() == nullptr) return;
  UndoneNames undone = {{walk.texts, walk.pairs, IsUndonePair, &walk, false, {}, false},
                        AllocZeroedWide(kLongPathCapacity)};
  IndexPairsByNewPath(&undone.index, static_cast<uint32_t>(undoneCount));
  if (undone.rowPath != nullptr && undone.index.hashed) RenameFileListRows(OldNameOfUndoneRow, &undone);
  FreePairsByNewPath(&undone.index);
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

// The kinds of the list's first `pairs` pairs; null when it holds fewer.
const uint8_t* ListUndoPairKinds(const UndoList* list, int32_t pairs) {
  return RecordBufferUsedBytes(&list->kinds) >= static_cast<uint32_t>(pairs) ? RecordBufferData(&list->kinds)
                                                                              : nullptr;
}

// Forgets the texts after the first `count`, one at a time, so that the buffer goes on counting its texts.
void KeepTexts(UndoList* list, uint32_t count) {
  const uint32_t end = BytesOfTexts(list, count);
  for (uint32_t used = RecordBufferUsedBytes(&list->texts); used > end; used = RecordBufferUsedBytes(&list->texts)) {
    const uint32_t text = BytesOfTexts(list, count + 1) - end;
    RecordBufferRemoveBytes(&list->texts, end, text > 0 ? text : used - end);
  }
}

}  // namespace

EntryKind EntryKindAt(const wchar_t* path) {
  const int32_t attributes = VfsGetAttributes(nullptr, path, nullptr);
  if (attributes < 0) return kNoEntry;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kFolderEntry : kFileEntry;
}

UndoList* CreateUndoList() {
  UndoList* list = static_cast<UndoList*>(AllocZeroed(sizeof(UndoList)));
  if (list == nullptr) return nullptr;
  RecordBufferInit(&list->texts, false);
  RecordBufferInit(&list->kinds, false);
  return list;
}

void FreeUndoList(UndoList** list) {
  if (list == nullptr || *list == nullptr) return;
  RecordBufferDestroy(&(*list)->texts);
  RecordBufferDestroy(&(*list)->kinds);
  FreeAndNull(list);
}

int AppendUndoPair(UndoList* list, const wchar_t* newPath, const wchar_t* oldPath, EntryKind kind) {
  if (list == nullptr || newPath == nullptr || oldPath == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  const uint32_t texts = RecordBufferCount(&list->texts);
  if (RecordBufferAppendString(&list->texts, newPath) == 0 && RecordBufferAppendString(&list->texts, oldPath) == 0 &&
      RecordBufferAppend(&list->kinds, &kind, sizeof kind) == 0) {
    return 0;
  }
  KeepTexts(list, texts);
  return ERROR_NOT_ENOUGH_MEMORY;
}

void KeepUndoPairs(UndoList* list, int32_t pairs) {
  if (list == nullptr || pairs < 0) return;
  KeepTexts(list, 2 * static_cast<uint32_t>(pairs));
  const uint32_t kinds = RecordBufferUsedBytes(&list->kinds);
  if (kinds > static_cast<uint32_t>(pairs)) RecordBufferRemoveBytes(&list->kinds, pairs, kinds - pairs);
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

const wchar_t** ListUndoPairTexts(const UndoList* list, int32_t pairs) {
  if (list == nullptr || pairs <= 0) return nullptr;
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

namespace {

// A hash that the different new paths of several pairs share: those pairs are searched one by one.
constexpr int32_t kSharedNewPath = -1;

bool IsWanted(const PairsByNewPath& index, int32_t pair) {
  return index.wanted == nullptr || index.wanted(pair, index.context);
}

// Pairs renamed to the same path keep the first or the last of them, as the index is asked to.
void AddPairToIndex(PairsByNewPath* index, int32_t pair) {
  int32_t* slot = HashSlotsFindOrAdd(&index->slots, HashIgnoreCaseWide(index->texts[2 * pair]), pair);
  if (slot == nullptr) {
    HashSlotsFree(&index->slots);
    index->hashed = false;
  } else if (*slot != pair) {
    const bool samePath = *slot != kSharedNewPath && wcscmp(index->texts[2 * *slot], index->texts[2 * pair]) == 0;
    *slot = !samePath ? kSharedNewPath : index->last ? pair : *slot;
  }
}

}  // namespace

void IndexPairsByNewPath(PairsByNewPath* index, uint32_t expected) {
  index->hashed = index->texts != nullptr && HashSlotsInit(&index->slots, expected);
  for (int32_t pair = 0; pair < index->pairs && index->hashed; ++pair) {
    if (IsWanted(*index, pair)) AddPairToIndex(index, pair);
  }
}

void FreePairsByNewPath(PairsByNewPath* index) {
  if (index->hashed) HashSlotsFree(&index->slots);
  index->hashed = false;
}

int32_t FindPairByNewPath(const PairsByNewPath& index, const wchar_t* path) {
  if (index.texts == nullptr) return -1;
  if (index.hashed) {
    const int32_t* found = HashSlotsFind(&index.slots, HashIgnoreCaseWide(path));
    if (found == nullptr) return -1;
    if (*found != kSharedNewPath) return wcscmp(index.texts[2 * *found], path) == 0 ? *found : -1;
  }
  for (int32_t n = 0; n < index.pairs; ++n) {
    const int32_t pair = index.last ? index.pairs - 1 - n : n;
    if (IsWanted(index, pair) && wcscmp(index.texts[2 * pair], path) == 0) return pair;
  }
  return -1;
}

const wchar_t* OldNameOfPair(const PairsByNewPath& index, int32_t pair) {
  const wchar_t* oldPath = index.texts[2 * pair + 1];
  return oldPath + FileNameOffset(oldPath);
}

bool StartUndo(HWND owner) {
  // The pairs alone decide: the names the new preview marks are not the names the undo gives back.
  if (g_app == nullptr || g_app->undoList == nullptr || g_app->undoPairCount <= 0) return false;
  return StartExclusiveJob(UndoThread, owner);
}

DWORD WINAPI UndoThread(void* owner) {
  UndoWalk walk = {static_cast<HWND>(owner), nullptr, nullptr, g_app->undoPairCount, nullptr};
  if (g_app->undoList != nullptr && walk.pairs > 0) {
    walk.texts = ListUndoPairTexts(g_app->undoList, walk.pairs);
    walk.kinds = ListUndoPairKinds(g_app->undoList, walk.pairs);
    walk.outcomes =
        static_cast<PairOutcome*>(AllocZeroed(static_cast<uint32_t>(walk.pairs) * sizeof(PairOutcome)));
  }
  if (walk.texts != nullptr && walk.kinds != nullptr && walk.outcomes != nullptr) {
    GuardedCall(ERROR_FUNCTION_FAILED, [&] { return UndoPairs(&walk); });
    GuardedCall(0, [&] {
      GiveRowsTheirOldNames(walk);
      ShowFilesNotRenamedBack(walk);
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
  FreeAndNull(&walk.outcomes);
  EndExclusiveJob();
  return 0;
}
