// Folder listing: rows and pool of a folder and of its tree, admission of enumerated items, the filter, cancel,
// the follow-up chain, links and depth, and folder changes while a listing runs.
#include "views/folder_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <thread>

#include "foundation/item_store.h"
#include "listing_fixture.h"
#include "main_window_stand_in.h"
#include "views/filter_text_form.h"
#include "views/path_pool.h"
#include "views/view_hooks.h"

namespace {

using FolderListing = ListingFixture;

ProviderItem Item(const wchar_t* name, uint16_t attributes, uint64_t size = 0) {
  ProviderItem item = {};
  item.info.attributes = attributes;
  item.info.size = size;
  CopyWideString(name, item.name, kProviderPathCapacity);
  return item;
}

std::set<std::wstring> AsSet(const std::vector<std::wstring>& names) { return {names.begin(), names.end()}; }

// A provider for the root "Q:\": every folder holds one file and one subfolder, without end.
int EndlessFolder(FileSystemProvider*, ProviderFolder*, const wchar_t*, ProviderItemCallback callback, void* data) {
  ProviderItem file = Item(L"f.txt", FILE_ATTRIBUTE_ARCHIVE, 1);
  ProviderItem folder = Item(L"loop", FILE_ATTRIBUTE_DIRECTORY);
  callback(&file, data);
  callback(&folder, data);
  return 0;
}

int RootQ(FileSystemProvider*, ProviderFolder*, wchar_t* target, int capacity) {
  return CopyWideBounded(L"Q:\\", target, capacity);
}

// A provider for the root "C:\" whose folders each hold, beside what the disk lists, a subfolder "..." that
// leads back to the folder itself, as a link that a share follows on its server would.
int FolderWithWayBack(FileSystemProvider*, ProviderFolder* folder, const wchar_t* path, ProviderItemCallback callback,
                      void* data) {
  std::wstring real = path;
  for (size_t at = real.find(L"\\..."); at != std::wstring::npos; at = real.find(L"\\...")) real.erase(at, 4);
  FileSystemProvider* disk = &g_fileSystemProviders[kLocalDiskIndex];
  const int result = disk->slots.enumerate(disk, folder, real.c_str(), callback, data);
  ProviderItem back = Item(L"...", FILE_ATTRIBUTE_DIRECTORY);
  callback(&back, data);
  return result;
}

int RootC(FileSystemProvider*, ProviderFolder*, wchar_t* target, int capacity) {
  return CopyWideBounded(L"C:\\", target, capacity);
}

}  // namespace

TEST_F(FolderListing, RowsAndPoolOfAFolderAndOfItsTree) {
  MakeSampleTree();
  ReloadFileList(folder_.Path().c_str());
  const std::map<std::wstring, int> extensionAt = {{L"a.txt", 2}, {L".bashrc", 1}, {L"abcdef", 6}, {L"a.b.c", 4}};
  ASSERT_EQ(RowCount(), 4u) << "no folder becomes a row";
  for (uint32_t i = 0; i < RowCount(); ++i) {
    const FileListRow* row = Row(i);
    ASSERT_TRUE(extensionAt.count(row->currentName)) << row->currentName;
    EXPECT_EQ(row->extensionAt, extensionAt.at(row->currentName)) << row->currentName;
    EXPECT_EQ(row->length, FileListRowSize(wcslen(row->currentName)));
    EXPECT_EQ(row->folderIndex, 1);
    EXPECT_EQ(row->newName[0], 0);
    EXPECT_EQ(row->info.size, std::wstring(row->currentName) == L"a.txt" ? 5u : 0u);
    EXPECT_NE(row->info.attributes & FILE_ATTRIBUTE_ARCHIVE, 0);
  }
  EXPECT_EQ(state_->listingStatistics.files, 4u);
  EXPECT_EQ(state_->listingStatistics.bytes, 5u);
  EXPECT_EQ(PooledPath(1), folder_.Path());

  state_->options |= kOptionRecursiveListing;
  ReloadFileList(folder_.Path().c_str());
  ASSERT_EQ(RowCount(), 6u);
  const std::vector<std::wstring> names = Names();
  EXPECT_EQ(AsSet({names.begin(), names.begin() + 4}), AsSet({L"a.txt", L".bashrc", L"abcdef", L"a.b.c"}))
      << "the folder's own files come before those of its subfolders";
  EXPECT_EQ(names[4], L"c.txt");
  EXPECT_EQ(Row(4)->folderIndex, 2);
  EXPECT_EQ(Row(5)->folderIndex, 3);
  EXPECT_EQ(reinterpret_cast<const PathPoolEntry*>(ItemStoreGet(&list_->pathPool, 1))->parent, 1u);
  EXPECT_EQ(PooledPath(3), folder_ / L"sub\\deeper");
  EXPECT_EQ(state_->listingStatistics.files, 6u);

  wchar_t path[1024];
  FileListRow copy;
  EXPECT_EQ(CopyItemRecordWithPath(5, path, 1024, &copy), 0);
  EXPECT_EQ(path, folder_ / L"sub\\deeper\\d.txt");
  EXPECT_EQ(memcmp(&copy, Row(5), Row(5)->length), 0);
  EXPECT_EQ(CopyItemRecordWithPath(6, path, 1024, &copy), ERROR_NOT_FOUND);
  EXPECT_EQ(path[0], 0);
  EXPECT_EQ(copy.length, 0);
}

TEST_F(FolderListing, AdmissionOfEnumeratedItems) {
  auto context = std::make_unique<ListingContext>();
  RecordBuffer subfolders;
  RecordBufferInit(&subfolders, true);
  context->subfolders = &subfolders;
  context->list = &state_->fileList;
  context->recursive = 1;
  context->folderIndex = 7;
  const std::wstring longName(300, L'n');
  ProviderItem items[] = {Item(L".", FILE_ATTRIBUTE_DIRECTORY),    Item(L"..", FILE_ATTRIBUTE_DIRECTORY),
                          Item(L"C: System", kProviderRootAttribute | FILE_ATTRIBUTE_DIRECTORY),
                          Item(L"sub", FILE_ATTRIBUTE_DIRECTORY),  Item(L"link", 0x410),
                          Item(L"x.dat", 0x20, kUnknownFileSize), Item(L"y.txt", 0x20, 7),
                          Item(longName.c_str(), 0x20, 2)};
  for (ProviderItem& item : items) EXPECT_EQ(FilterMatchCallback(&item, context.get()), 0);
  EXPECT_EQ(RowCount(), 0u) << "rows are stored together";
  StoreListedRows(context.get());
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"x.dat", L"y.txt", longName.substr(0, 259)}));
  EXPECT_EQ(Row(2)->length, 1099);
  EXPECT_EQ(Row(0)->folderIndex, 7);
  EXPECT_EQ(reinterpret_cast<const wchar_t*>(RecordBufferData(&subfolders)), std::wstring(L"sub"));
  EXPECT_EQ(RecordBufferCount(&subfolders), 1u) << "links are not walked";
  EXPECT_EQ(state_->listingStatistics.files, 3u);
  EXPECT_EQ(state_->listingStatistics.bytes, 9u) << "an unknown size adds nothing";
  RecordBufferDestroy(&subfolders);

  ItemListControl* noList = nullptr;
  context->list = &noList;
  EXPECT_EQ(FilterMatchCallback(&items[6], context.get()), 1);
}

TEST_F(FolderListing, FilterAndCancel) {
  MakeSampleTree();
  state_->options |= kOptionFilterOn | kOptionRecursiveListing;
  ParseFilterDefinition(AppFilter(), "+*.txt");
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"a.txt", L"c.txt", L"d.txt"}));
  EXPECT_EQ(state_->listingStatistics.files, 3u);

  g_hookCalls.clear();
  state_->cancelCounter = 1;
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"a.txt"}) << "no subfolder after the Stop command";
  EXPECT_EQ(ItemStoreCount(&list_->pathPool), 1u);
  EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"status", "preview", "notice"})) << "the follow-ups still run";

  SetCurrentFolder(folder_.Path().c_str());
  ASSERT_TRUE(WaitForListings());
  EXPECT_EQ(RowCount(), 3u) << "a new listing starts without the earlier Stop";
}

TEST_F(FolderListing, FollowUpsSortAndSelectTheFirstRow) {
  MakeSampleTree();
  ReloadFileList(folder_.Path().c_str());
  const std::vector<std::wstring> found = Names();
  list_->creation.sortKey = [](SortKeyRequest* request, const uint8_t* row) {
    if (row == nullptr) return;
    request->valueType = kSortValueText;
    request->value = reinterpret_cast<const FileListRow*>(row)->currentName;
    request->nextKeyId = request->keyId;
  };
  list_->sortKey = 1;
  // The direction that moves rows away from the order the folder gave.
  const std::vector<std::wstring> ascending = {L".bashrc", L"a.b.c", L"a.txt", L"abcdef"};
  list_->sortDirection = found == ascending ? 1 : 0;
  state_->options |= kOptionOnlySelectedKept;
  g_hookCalls.clear();
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(Names(), list_->sortDirection ? std::vector<std::wstring>(ascending.rbegin(), ascending.rend()) : ascending);
  EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"view", "status", "preview", "preview", "notice"}))
      << "the preview runs again after the sort moved rows";
  EXPECT_EQ(state_->options & kOptionOnlySelectedKept, 0u);
  EXPECT_EQ(Row(0)->state, kRowSelected);
  EXPECT_EQ(Row(1)->state, 0);
}

TEST_F(FolderListing, RecursionStopsAtTheDepthBoundAndAtWaysBack) {
  FileSystemProvider& spare = g_fileSystemProviders[2];
  spare.kind = 9;
  spare.slots.rootPath = RootQ;
  spare.slots.enumerate = EndlessFolder;
  state_->options |= kOptionRecursiveListing;
  ReloadFileList(L"Q:\\");
  EXPECT_EQ(RowCount(), static_cast<uint32_t>(kMaxListingDepth + 1));
  EXPECT_EQ(PooledPath(3), L"Q:\\loop\\loop");

  MakeSampleTree();
  spare.slots.rootPath = RootC;
  spare.slots.enumerate = FolderWithWayBack;
  ASSERT_EQ(FindProviderByPath(folder_.Path().c_str()), 2);
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(AsSet(Names()), AsSet({L"a.txt", L".bashrc", L"abcdef", L"a.b.c", L"c.txt", L"d.txt"}));
  EXPECT_EQ(RowCount(), 6u) << "no folder is listed twice";
}

TEST_F(FolderListing, AFolderChosenDuringAListingIsListedAfterIt) {
  for (int i = 0; i < 2000; ++i) folder_.WriteFile(L"A\\a" + std::to_wstring(i), "");
  for (int i = 0; i < 20; ++i) folder_.WriteFile(L"B\\b" + std::to_wstring(i), "");
  SetCurrentFolder((folder_ / L"A").c_str());
  SetCurrentFolder((folder_ / L"B").c_str());
  EXPECT_EQ(state_->pendingListings, 1) << "the second request waits";
  ASSERT_TRUE(WaitForListings());
  EXPECT_EQ(std::wstring(state_->currentFolder), folder_ / L"B");
  ASSERT_EQ(RowCount(), 20u);
  std::set<std::wstring> paths;
  for (uint32_t i = 0; i < RowCount(); ++i) paths.insert(PooledPath(Row(i)->folderIndex) + L"\\" + Row(i)->currentName);
  EXPECT_EQ(paths.size(), 20u);
  for (const std::wstring& path : paths) EXPECT_TRUE(PathExists(path)) << path;
  EXPECT_EQ(g_hookFolders, (std::vector<std::wstring>{folder_ / L"A", folder_ / L"B"}));
}

TEST_F(FolderListing, RequestsWhileBusyCollapseIntoOneListing) {
  for (const wchar_t* name : {L"X\\x", L"Y\\y", L"Z\\z"}) folder_.WriteFile(name, "");
  state_->busyCounter = 1;
  for (const wchar_t* name : {L"X", L"Y", L"Z"}) SetCurrentFolder((folder_ / name).c_str());
  RunDeferredListing();
  EXPECT_EQ(state_->pendingListings, 3);
  EXPECT_EQ(RowCount(), 0u);
  g_hookCalls.clear();
  state_->busyCounter = 0;
  ASSERT_TRUE(WaitForListings());
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"z"});
  EXPECT_EQ(std::count(g_hookCalls.begin(), g_hookCalls.end(), "preview"), 1);
  EXPECT_EQ(std::count(g_hookCalls.begin(), g_hookCalls.end(), "address"), 0) << "the stored folder itself";
}

TEST_F(FolderListing, FailuresEndNeitherTheFollowUpsNorTheBusyState) {
  MakeSampleTree();
  g_viewHooks.computeNewNames = [] { throw std::runtime_error("preview"); };
  g_viewHooks.updateProblemCountNotice = [] { *static_cast<volatile int*>(nullptr) = 1; };
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(Row(0)->state, kRowSelected) << "a failing hook does not end the follow-ups";

  // A fault in the worker itself ends the listing, not the busy state it holds.
  state_->fileList = reinterpret_cast<ItemListControl*>(16);
  g_hookCalls.clear();
  SetCurrentFolder(folder_.Path().c_str());
  const bool ended = WaitForListings();
  state_->fileList = list_;
  ASSERT_TRUE(ended);
  EXPECT_EQ(state_->busyCounter, 0);
  EXPECT_EQ(g_hookCalls.back(), "menus");
}

TEST_F(FolderListing, ARowIsCountedOnlyWhenStored) {
  auto context = std::make_unique<ListingContext>();
  context->list = &state_->fileList;
  ProviderItem file = Item(L"f.txt", FILE_ATTRIBUTE_ARCHIVE, 3);
  FilterMatchCallback(&file, context.get());
  {
    MutexHeldElsewhere held(list_->rows.mutex);
    StoreListedRows(context.get());
  }
  EXPECT_EQ(RowCount(), 0u);
  EXPECT_EQ(state_->listingStatistics.files, 0u);

  auto held = std::make_unique<MutexHeldElsewhere>(list_->rows.mutex);
  std::thread release([&] {
    Sleep(200);
    held.reset();
  });
  FilterMatchCallback(&file, context.get());
  StoreListedRows(context.get());
  release.join();
  EXPECT_EQ(RowCount(), 1u) << "a short hold of the lock only delays the row";
  EXPECT_EQ(state_->listingStatistics.files, 1u);
}
