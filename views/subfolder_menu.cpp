#include "views/subfolder_menu.h"

#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/files/paths.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/owner_drawn_menus.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/win32/menu_icons.h"

SubfolderMenu* volatile g_openSubfolderMenu = nullptr;

namespace {

constexpr DWORD kReleaseStepMs = 100;
constexpr uint16_t kLinkAttribute = FILE_ATTRIBUTE_REPARSE_POINT;
constexpr int kNameKey = 0;

#pragma pack(push, 1)
struct NameRow {
  uint16_t length;
  wchar_t name[kPathCapacity];
};
#pragma pack(pop)

int CollectSubfolder(ProviderItem* item, void* store) {
  const uint16_t attributes = item->info.attributes;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & kLinkAttribute) || IsDotEntry(item->name)) return 0;
  NameRow row;
  const size_t length = wcslen(item->name);
  row.length = static_cast<uint16_t>(sizeof row.length + (length + 1) * sizeof(wchar_t));
  wmemcpy(row.name, item->name, length + 1);
  ItemStoreAppend(static_cast<ItemStore*>(store), &row, row.length);
  return 0;
}

void NameKey(SortKeyRequest* request, const uint8_t* row) {
  if (!row) return;
  request->valueType = kSortValueText;
  request->value = reinterpret_cast<const NameRow*>(row)->name;
  request->nextKeyId = request->keyId;
}

void FillItem(SubfolderMenu* record, uint32_t id, const wchar_t* name) {
  MenuItemData& item = record->items[id - 1];
  item.commandId = static_cast<uint16_t>(id);
  item.flags = kSubfolderItemFlags;
  CopyWideBounded(name, item.text, kSubfolderItemNameLength + 1);
  item.owner = record;
}

HICON FolderIcon(const MenuItemData*, int size) {
  HINSTANCE instance = g_app && g_app->instance ? g_app->instance : GetModuleHandleW(nullptr);
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FOLDER_CLOSED), IMAGE_ICON, size, size, 0));
}

bool SystemDrawsMenus() { return g_app && (g_app->options & kOptionSystemMenus); }

// The texts one by one: the first, then each after the previous one's terminator.
const wchar_t* NextText(const wchar_t* text) { return text + wcslen(text) + 1; }

}  // namespace

SubfolderMenu* NewSubfolderMenu(int32_t provider) {
  auto* record = static_cast<SubfolderMenu*>(AllocZeroed(sizeof(SubfolderMenu)));
  if (!record) return nullptr;
  record->provider = provider;
  RecordBufferInit(&record->texts, true);
  return record;
}

void FreeSubfolderMenu(SubfolderMenu* record) {
  if (!record) return;
  FreeAndNull(&record->items);
  RecordBufferDestroy(&record->texts);
  FreeAndNull(&record);
}

uint32_t BuildSubfolderMenu(SubfolderMenu* record, const wchar_t* path, HMENU menu, bool withRecords) {
  ItemStore store;
  if (!record || !path || ItemStoreInit(&store) != 0) return 0;
  VfsEnumerate(nullptr, path, CollectSubfolder, &store);
  const uint32_t count = ItemStoreCount(&store);
  if (count > 0) {
    wchar_t parent[kPathCapacity + 1] = L"=";
    CopyWideBounded(path, parent + 1, kPathCapacity);
    RecordBufferAppendString(&record->texts, parent);
    ItemStoreSort(&store, kNameKey, false, NameKey, nullptr);
    if (withRecords) {
      record->items = static_cast<MenuItemData*>(AllocZeroed(sizeof(MenuItemData) * (count + 1)));
    }
  }
  for (uint32_t i = 0; i < count && record->stop == 0; ++i) {
    const wchar_t* name = reinterpret_cast<const NameRow*>(ItemStoreGet(&store, i))->name;
    if (RecordBufferAppendString(&record->texts, name) != 0) break;
    const uint32_t id = ++record->itemCount;
    if (record->items) FillItem(record, id, name);
    const ULONG_PTR data = record->items ? reinterpret_cast<ULONG_PTR>(&record->items[id - 1]) : 0;
    AppendMenuItem(menu, id, name, MFT_STRING, 0, data, nullptr);
  }
  ItemStoreDestroy(&store);
  return count;
}

int SubfolderChoicePath(const SubfolderMenu* record, int commandId, wchar_t* path, int capacity) {
  if (!record || commandId <= 0 || static_cast<uint32_t>(commandId) > record->itemCount) return ERROR_NOT_FOUND;
  const wchar_t* text = reinterpret_cast<const wchar_t*>(RecordBufferData(&record->texts));
  const wchar_t* folder = nullptr;
  for (int n = 0;; text = NextText(text)) {
    if (text[0] == L'=') {
      folder = text + 1;
      continue;
    }
    if (++n == commandId) break;
  }
  if (!folder) return ERROR_NOT_FOUND;
  return CopyAndAppendPath(folder, text, path, capacity) == 0 ? 0 : ERROR_BUFFER_OVERFLOW;
}

int ShowSubfolderPopupMenu(int32_t provider, HWND owner, POINT at, wchar_t* path, int capacity) {
  SubfolderMenu* record = NewSubfolderMenu(provider);
  HMENU menu = record ? CreatePopupMenu() : nullptr;
  if (!menu) {
    FreeSubfolderMenu(record);
    return -1;
  }
  g_openSubfolderMenu = record;
  int result = -1;
  if (BuildSubfolderMenu(record, path, menu, !SystemDrawsMenus()) > 0) {
    ReleaseCapture();
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr));
    if (chosen > 0 && SubfolderChoicePath(record, chosen, path, capacity) == 0) result = 0;
  }
  DestroyMenu(menu);
  InterlockedIncrement(&record->stop);
  g_openSubfolderMenu = nullptr;
  HANDLE thread = StartThread(ReleaseSubfolderMenuThread, record);
  if (thread) {
    CloseHandleSafe(thread);
  } else {
    FreeSubfolderMenu(record);
  }
  return result;
}

bool HandleSubfolderMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return AnswerOwnerDrawnMenuMessage(&g_menuIcons, message, wParam, lParam, FolderIcon, result);
}

DWORD WINAPI ReleaseSubfolderMenuThread(void* record) {
  GuardedCall(0, [&] {
    auto* menu = static_cast<SubfolderMenu*>(record);
    while (menu->pending != 0) Sleep(kReleaseStepMs);
    FreeSubfolderMenu(menu);
    return 0;
  });
  return 0;
}
