#include "listing_fixture.h"

#include "foundation/item_store.h"
#include "foundation/memory.h"
#include "foundation/providers.h"
#include "foundation/system_functions.h"
#include "views/folder_listing.h"
#include "views/path_pool.h"
#include "views/view_hooks.h"

std::vector<std::string> g_hookCalls;
std::vector<std::wstring> g_hookFolders;

namespace {

const ViewHooks kLoggingHooks = {
    [] { g_hookCalls.push_back("preview"); },
    [] { g_hookCalls.push_back("status"); },
    [] { g_hookCalls.push_back("notice"); },
    [] { g_hookCalls.push_back("menus"); },
    [] { g_hookCalls.push_back("view"); },
    [](const wchar_t* folder) {
      g_hookCalls.push_back("address");
      g_hookFolders.push_back(folder);
    },
    [](const wchar_t*) { g_hookCalls.push_back("recent"); },
    [](const wchar_t*) { g_hookCalls.push_back("fields"); },
};

}  // namespace

ListingFixture::ListingFixture() : list_(static_cast<ItemListControl*>(AllocZeroed(sizeof(ItemListControl)))) {
  ItemStoreInit(&list_->rows);
  ItemStoreInit(&list_->pathPool);
  list_->idle = 1;
  list_->focusedIndex = -1;
  state_->fileList = list_;
  g_hookCalls.clear();
  g_hookFolders.clear();
  g_viewHooks = kLoggingHooks;
  InitOptionalKernelFunctions();
  InitFileSystemProviders();
}

ListingFixture::~ListingFixture() {
  ShutdownProviders();
  g_viewHooks = ViewHooks{};
  ItemStoreDestroy(&list_->rows);
  ItemStoreDestroy(&list_->pathPool);
  FreeAndNull(&list_);
}

void ListingFixture::MakeSampleTree() const {
  folder_.WriteFile(L"a.txt", "12345");
  folder_.WriteFile(L".bashrc", "");
  folder_.WriteFile(L"abcdef", "");
  folder_.WriteFile(L"a.b.c", "");
  folder_.WriteFile(L"sub\\c.txt", "");
  folder_.WriteFile(L"sub\\deeper\\d.txt", "");
}

const FileListRow* ListingFixture::Row(uint32_t i) const {
  return reinterpret_cast<const FileListRow*>(ItemStoreGet(&list_->rows, i));
}

uint32_t ListingFixture::RowCount() const { return ItemStoreCount(&list_->rows); }

std::vector<std::wstring> ListingFixture::Names() const {
  std::vector<std::wstring> names;
  for (uint32_t i = 0; i < RowCount(); ++i) names.push_back(Row(i)->currentName);
  return names;
}

std::wstring ListingFixture::PooledPath(uint32_t index) const {
  wchar_t path[1024];
  GetPooledPath(list_, index, path, 1024);
  return path;
}

bool ListingFixture::WaitForListings(DWORD timeoutMs) const {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < end) {
    RunDeferredListing();
    if (state_->busyCounter == 0 && state_->pendingListings == 0) return true;
    Sleep(10);
  }
  return false;
}
