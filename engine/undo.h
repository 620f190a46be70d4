// Undo of the last rename run: the pairs of new and old path that the run stored, renamed back, the last one
// first, so that a file that took another file's old name has given it back before that file needs it.
// An undo keeps exactly the pairs it did not undo, and the next undo goes on with them; after a complete undo
// nothing is left to undo. An error stops the walk (the user stops it too); a file that is no longer at its new
// path, or whose old name another file holds now, is passed over and its pair stays; the files passed over are
// named in one list at the end, each under its reason. Nothing is ever replaced.
// Listed rows of the files renamed back take their old names again and the preview is computed anew.
// The application's undo list and pair count are written by the job that runs (a rename run or an undo, on its
// worker) and by the GUI thread only while no job runs, always with interlocked writes; the GUI thread reads the
// pair count for the menu states meanwhile.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/core/hash_slots.h"
#include "foundation/core/record_buffer.h"

// What a path holds. A run and its undo rename only the kind of entry they found: a folder that another program
// put where a renamed file was (or the reverse) is not theirs.
enum EntryKind : uint8_t { kNoEntry = 0, kFileEntry, kFolderEntry };
EntryKind EntryKindAt(const wchar_t* path);

// Zero-terminated wide texts appended in pairs: NEW 1, OLD 1, NEW 2, OLD 2, ..., and the kind of entry each pair
// renamed, one EntryKind byte a pair. The number of pairs that count is the application state's undo pair count;
// texts and kinds beyond them mean nothing.
struct UndoList {
  RecordBuffer texts;
  RecordBuffer kinds;
};

// A new, empty list, not yet the application's; null without memory.
UndoList* CreateUndoList();
void FreeUndoList(UndoList** list);

// Appends one pair, the new path first, and the kind of entry renamed. 0; 8 when the list could not take it all
// (it then holds what it held).
int AppendUndoPair(UndoList* list, const wchar_t* newPath, const wchar_t* oldPath, EntryKind kind);

// The texts of the list's first `pairs` pairs in list order (NEW 1, OLD 1, ...), pointing into the list; null
// without memory, without pairs, or when the list holds fewer. The caller frees the array with FreeAndNull.
const wchar_t** ListUndoPairTexts(const UndoList* list, int32_t pairs);

// Pairs of such texts found by their new paths: of the pairs `wanted` accepts (every pair when null), the first or
// the last whose new path is a given path. Without memory for the index the pairs are searched one by one.
struct PairsByNewPath {
  const wchar_t* const* texts;  // NEW 1, OLD 1, NEW 2, OLD 2, ...
  int32_t pairs;
  bool (*wanted)(int32_t pair, const void* context);
  const void* context;
  bool last;
  HashSlots slots;  // hash of a new path -> its pair, or a mark for a hash that several new paths share
  bool hashed;
};
// Indexes the pairs of `index`, whose texts, pairs, wanted, context and last are set; `expected` is about the
// number of pairs wanted.
void IndexPairsByNewPath(PairsByNewPath* index, uint32_t expected);
void FreePairsByNewPath(PairsByNewPath* index);
// The pair found for `path`; -1 for none.
int32_t FindPairByNewPath(const PairsByNewPath& index, const wchar_t* path);
// The file name of the pair's old path.
const wchar_t* OldNameOfPair(const PairsByNewPath& index, int32_t pair);

// Forgets the texts after the first `pairs` pairs (those of a rename that did not happen).
void KeepUndoPairs(UndoList* list, int32_t pairs);

// Makes `list` the application's undo list holding `pairs` pairs; the list it replaces is freed. The pair count
// is written atomically.
void InstallUndoList(UndoList* list, int32_t pairs);

// Frees the application's undo list (when the main window is destroyed), and no run goes on with it.
void ReleaseUndoList();

// Command IDM_UNDO: starts UndoThread for the owner window. Nothing happens (false) without pairs, while another
// job is busy, or when the thread cannot start.
bool StartUndo(HWND owner);

// The undo thread, started by StartUndo as an exclusive job, which it ends. Always 0.
DWORD WINAPI UndoThread(void* owner);
