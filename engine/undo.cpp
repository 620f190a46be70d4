#include "engine/undo.h"

#include <cwchar>

#include "engine/rename_run.h"
#include "foundation/app_state.h"
#include "foundation/guard.h"
#include "foundation/memory.h"
#include "foundation/ui_operations.h"

namespace {

constexpr int kUndoFailed = ERROR_FUNCTION_FAILED;

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
    if (g_app->cancelCounter != 0) return 0;
    const wchar_t* newPath = texts[2 * i];
    const wchar_t* oldPath = texts[2 * i + 1];
    if (newPath[0] != 0 && oldPath[0] != 0) {
      const int result = RenameItemFile(owner, newPath, oldPath);
      if (result != 0) return result;
    }
    g_app->undoPairCount = i;
    ShowJobProgress(total - static_cast<uint32_t>(i), total);
  }
  return 0;
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
  UndoList* previous = g_app->undoList;
  g_app->undoList = list;
  g_app->undoPairCount = pairs;
  if (previous != list) FreeUndoList(&previous);
}

void ReleaseUndoList() { InstallUndoList(nullptr, 0); }

bool StartUndo(HWND owner) {
  if (g_app == nullptr || g_app->undoList == nullptr || g_app->undoPairCount <= 0 || g_app->problemCount != 0)
    return false;
  return StartExclusiveJob(UndoThread, owner);
}

DWORD WINAPI UndoThread(void* owner) {
  const int32_t pairs = g_app->undoPairCount;
  const wchar_t** texts = g_app->undoList != nullptr && pairs > 0 ? ListPairTexts(g_app->undoList, pairs) : nullptr;
  if (texts != nullptr) {
    GuardedCall(kUndoFailed, [&] { return UndoPairs(static_cast<HWND>(owner), texts, pairs); });
  } else if (pairs > 0) {
    ShowLastErrorMessage(static_cast<HWND>(owner), ERROR_NOT_ENOUGH_MEMORY, nullptr);
  }
  FreeAndNull(&texts);
  EndExclusiveJob();
  return 0;
}
