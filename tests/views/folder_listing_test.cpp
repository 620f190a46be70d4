// Folder listing: rows and pool of a folder and of its tree, admission of enumerated items, filter and Stop,
// the follow-up chain, links and depth, folder changes while busy, failures and lock time-outs.
#include "views/folder_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/ui/file_type_table.h"
#include "foundation/win32/system_functions.h"
#include "main_window_stand_in.h"
#include "program_state_scope.h"
#include "system_seams_scope.h"
#include "support/temp_folder.h"
#include "views/filter_text_form.h"
#include "views/item_list_control.h"
#include "views/list_operations.h"
#include "status_texts.h"
#include "views/address_bar.h"
#include "views/path_pool.h"
#include "views/status_bar.h"
#include "views/view_hooks.h"
#include "support/caught_faults.h"
#include "foundation/files/paths.h"

namespace {

using Names = std::vector<std::wstring>;
std::vector<std::string> g_calls;

const ViewHooks kLoggingHooks = {
    [](ItemListControl*, const wchar_t*) { g_calls.push_back("listed"); },
    [] { g_calls.push_back("view"); }, [](const wchar_t*) { g_calls.push_back("recent"); },
    nullptr, nullptr, nullptr, nullptr,
};

const JobNotices kLoggingJobNotices = {[] { g_calls.push_back("menus"); }, [] { g_calls.push_back("ended"); },
                                       nullptr, nullptr, nullptr};

ProviderItem Item(const wchar_t* name, uint16_t attributes, uint64_t size = 0) {
  ProviderItem item = {};
  item.info.attributes = attributes;
  item.info.size = size;
  CopyWideString(name, item.name, kPathCapacity);
  return item;
}

std::set<std::wstring> AsSet(const Names& names) { return {names.begin(), names.end()}; }

int RootQ(FileSystemProvider*, ProviderFolder*, wchar_t* target, int capacity) {
  return CopyWideBounded(L"Q:\\", target, capacity);
}

// Every folder under "Q:\" holds one file and one subfolder, without end.
int EndlessFolder(FileSystemProvider*, ProviderFolder*, const wchar_t*, ProviderItemCallback callback, void* data) {
  ProviderItem file = Item(L"f.txt", FILE_ATTRIBUTE_ARCHIVE, 1);
  ProviderItem folder = Item(L"loop", FILE_ATTRIBUTE_DIRECTORY);
  callback(&file, data);
  return callback(&folder, data);
}

HANDLE g_gate;

// A folder under "Q:\" whose listing waits until the test opens the gate.
int GatedFolder(FileSystemProvider*, ProviderFolder*, const wchar_t*, ProviderItemCallback, void*) {
  WaitForSingleObject(g_gate, 30000);
  return 0;
}

int RootC(FileSystemProvider*, ProviderFolder*, wchar_t* target, int capacity) {
  return CopyWideBounded(L"C:\\", target, capacity);
}

// A path as a share that follows links on its server reads it: every folder holds a subfolder "link" that leads
// back to the folder itself, and the share shows it as a plain folder.
std::wstring WithoutLinks(std::wstring path) {
  for (size_t at = path.find(L"\\link"); at != std::wstring::npos; at = path.find(L"\\link", at)) {
    if (path[at + 5] == 0 || path[at + 5] == L'\\')
      path.erase(at, 5);
    else
      ++at;
  }
  return path;
}

// Folders under "C:\" as such a share lists them.
int FolderWithWayBack(FileSystemProvider*, ProviderFolder* folder, const wchar_t* path, ProviderItemCallback callback,
                      void* data) {
  FileSystemProvider* disk = &g_fileSystemProviders[kLocalDiskIndex];
  const int result = disk->slots.enumerate(disk, folder, WithoutLinks(path).c_str(), callback, data);
  ProviderItem back = Item(L"link", FILE_ATTRIBUTE_DIRECTORY);
  callback(&back, data);
  return result;
}

// Opening a path on that share.
HANDLE WINAPI OpenThroughLinks(LPCWSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile) {
  return ::CreateFileW(WithoutLinks(name).c_str(), access, sharing, security, disposition, flags, templateFile);
}

class FolderListing : public testing::Test {
 protected:
  FolderListing() : list_(static_cast<ItemListControl*>(AllocZeroed(sizeof(ItemListControl)))) {
    ItemStoreInit(&list_->rows);
    ItemStoreInit(&list_->pathPool);
    list_->idle = 1;
    list_->focusedIndex = -1;
    state_->fileList = list_;
    state_.UseTexts(kStatusTexts);
    SetOptionBits(kOptionPlainSizes, true);
    InitStatusBar(&g_statusBar, nullptr);
    InitAddressBar(&g_addressBar);
    g_calls.clear();
    g_viewHooks = kLoggingHooks;
    g_jobNotices = kLoggingJobNotices;
    InitOptionalKernelFunctions();
    InitFileSystemProviders();
  }
  ~FolderListing() override {
    ShutdownProviders();
    DestroyStatusBar(&g_statusBar);
    g_viewHooks = ViewHooks{};
    g_jobNotices = JobNotices{};
    ItemStoreDestroy(&list_->rows);
    ItemStoreDestroy(&list_->pathPool);
    FreeAndNull(&list_);
  }

  void MakeSampleTree() const {
    folder_.WriteFile(L"a.txt", "12345");
    for (const wchar_t* name : {L".bashrc", L"abcdef", L"a.b.c", L"sub\\c.txt", L"sub\\deeper\\d.txt"}) {
      folder_.WriteFile(name, "");
    }
  }
  const FileListRow* Row(uint32_t i) const {
    return reinterpret_cast<const FileListRow*>(ItemStoreGet(&list_->rows, i));
  }
  uint32_t RowCount() const { return ItemStoreCount(&list_->rows); }
  Names RowNames() const {
    Names names;
    for (uint32_t i = 0; i < RowCount(); ++i) names.push_back(Row(i)->currentName);
    return names;
  }
  std::wstring PooledPath(uint32_t index) const {
    wchar_t path[1024];
    GetPooledPath(list_, index, path, 1024);
    return path;
  }
  // Lists as the main window's timer does, until nothing is busy or pending.
  bool WaitForListings() const {
    for (ULONGLONG end = GetTickCount64() + 30000; GetTickCount64() < end; Sleep(10)) {
      RunDeferredListing();
      if (state_->busyCounter == 0 && state_->pendingListings == 0) return true;
    }
    return false;
  }
  std::unique_ptr<ListingContext> Context() {
    auto context = std::make_unique<ListingContext>();
    context->list = &state_->fileList;
    return context;
  }

  ProgramStateScope state_;
  ItemListControl* list_;
  TempFolder folder_;
};

}  // namespace

namespace {

WNDPROC g_standInProc;
ListStatistics g_countsSeen;
int g_countsChangedElsewhere;

void NoteCountsChangedElsewhere() {
  if (memcmp(&g_app->selectionStatistics, &g_countsSeen, sizeof g_countsSeen) != 0) ++g_countsChangedElsewhere;
}

// Runs what a worker sends to the main window, noting whether the selection counts changed while this thread ran
// nothing for the worker.
LRESULT CALLBACK WatchCountsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunOnGuiThreadMessage) return CallWindowProcW(g_standInProc, window, message, wParam, lParam);
  NoteCountsChangedElsewhere();
  const LRESULT result = CallWindowProcW(g_standInProc, window, message, wParam, lParam);
  g_countsSeen = g_app->selectionStatistics;
  return result;
}

}  // namespace

TEST_F(FolderListing, ItsWorkerLeavesTheSelectionCountsToTheGuiThread) {
  MainWindowStandIn gui;
  g_standInProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(gui.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchCountsProc)));
  folder_.WriteFile(L"a.txt", "1");
  state_->selectionStatistics = g_countsSeen = {1, 2, 3};
  g_countsChangedElsewhere = 0;
  WorkerThread worker([&] { ReloadFileList(folder_.Path().c_str()); });
  ASSERT_TRUE(gui.PumpUntil([&] { return worker.Finished(); }));
  NoteCountsChangedElsewhere();
  EXPECT_EQ(g_countsChangedElsewhere, 0) << "the worker wrote the selection counts";
  EXPECT_EQ(state_->selectionStatistics.files, 0u) << "the emptied list's selection";
}

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
    EXPECT_EQ(row->info.size, std::wstring(row->currentName) == L"a.txt" ? 5u : 0u);
    EXPECT_NE(row->info.attributes & FILE_ATTRIBUTE_ARCHIVE, 0);
  }
  EXPECT_EQ(state_->listingStatistics.files, 4u);
  EXPECT_EQ(state_->listingStatistics.bytes, 5u);
  EXPECT_EQ(PooledPath(1), folder_.Path());

  SetOptionBits(kOptionRecursive, true);
  ReloadFileList(folder_.Path().c_str());
  const Names names = RowNames();
  ASSERT_EQ(names.size(), 6u);
  EXPECT_EQ(AsSet({names.begin(), names.begin() + 4}), AsSet({L"a.txt", L".bashrc", L"abcdef", L"a.b.c"}))
      << "the folder's own files come before those of its subfolders";
  EXPECT_EQ(Names(names.begin() + 4, names.end()), (Names{L"c.txt", L"d.txt"}));
  EXPECT_EQ(Row(5)->folderIndex, 3);
  EXPECT_EQ(reinterpret_cast<const PathPoolEntry*>(ItemStoreGet(&list_->pathPool, 1))->parent, 1u);
  wchar_t path[1024];
  FileListRow copy;
  EXPECT_EQ(CopyItemRecordWithPath(5, path, 1024, &copy), 0);
  EXPECT_EQ(path, folder_ / L"sub\\deeper\\d.txt");
  EXPECT_EQ(memcmp(&copy, Row(5), Row(5)->length), 0);
  EXPECT_EQ(CopyItemRecordWithPath(6, path, 1024, &copy), ERROR_NOT_FOUND);
  EXPECT_EQ(path[0] + copy.length, 0);
}

namespace {

// A folder "locked" that the system refuses to list, as one the user may not read.
HANDLE WINAPI RefuseLockedFolder(LPCWSTR pattern, FINDEX_INFO_LEVELS level, void* data, FINDEX_SEARCH_OPS search,
                                 void* filter, DWORD flags) {
  if (wcsstr(pattern, L"\\locked\\") != nullptr) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return FindFirstFileExW(pattern, level, data, search, filter, flags);
}

HANDLE WINAPI RefuseLockedFolderPlainly(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
  return RefuseLockedFolder(pattern, FindExInfoStandard, data, FindExSearchNameMatch, nullptr, 0);
}

}  // namespace

TEST_F(FolderListing, FoldersBelowLongPathsAreListedAndOnesThatCannotBeAreCounted) {
  // Nested folders whose paths grow past 1 023 and past 2 000 characters.
  std::wstring deep;
  for (int level = 0; level < 10; ++level) deep += std::wstring(200, static_cast<wchar_t>(L'a' + level)) + L"\\";
  folder_.WriteFile(deep + L"bottom.txt", "");
  folder_.WriteFile(deep.substr(0, 5 * 201) + L"middle.txt", "");
  folder_.WriteFile(L"top.txt", "");
  folder_.WriteFile(L"locked\\hidden.txt", "");
  SetOptionBits(kOptionRecursive, true);
  SystemSeamsScope seams;
  g_systemSeams.findFirstFileExW = RefuseLockedFolder;
  g_systemSeams.findFirstFileW = RefuseLockedFolderPlainly;
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(AsSet(RowNames()), AsSet({L"top.txt", L"middle.txt", L"bottom.txt"}));
  EXPECT_EQ(state_->unlistedFolders, 1) << "the locked folder, and it alone";
  RestoreSystemSeams();
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(RowCount(), 4u);
  EXPECT_EQ(state_->unlistedFolders, 0) << "counted anew by each listing";
}

TEST_F(FolderListing, AdmissionOfEnumeratedItems) {
  auto context = Context();
  RecordBuffer subfolders;
  RecordBufferInit(&subfolders, true);
  context->subfolders = &subfolders;
  context->recursive = 1;
  context->folderIndex = 7;
  const std::wstring longName(300, L'n');
  ProviderItem items[] = {Item(L".", FILE_ATTRIBUTE_DIRECTORY), Item(L"..", FILE_ATTRIBUTE_DIRECTORY),
                          Item(L"C: System", kProviderRootAttribute | FILE_ATTRIBUTE_DIRECTORY),
                          Item(L"sub", FILE_ATTRIBUTE_DIRECTORY), Item(L"link", 0x410),
                          Item(L"x.dat", 0x20, kUnknownFileSize), Item(L"y.txt", 0x20, 7), Item(longName.c_str(), 0x20, 2)};
  for (ProviderItem& item : items) EXPECT_EQ(FilterMatchCallback(&item, context.get()), 0);
  EXPECT_EQ(RowCount(), 0u) << "rows are stored together";
  StoreListedRows(context.get());
  EXPECT_EQ(RowNames(), (Names{L"x.dat", L"y.txt", longName.substr(0, 259)}));
  EXPECT_EQ(Row(2)->length, 1099);
  EXPECT_EQ(Row(0)->folderIndex, 7);
  EXPECT_EQ(reinterpret_cast<const wchar_t*>(RecordBufferData(&subfolders)), std::wstring(L"sub"));
  EXPECT_EQ(RecordBufferCount(&subfolders), 1u) << "links are not walked";
  EXPECT_EQ(state_->listingStatistics.bytes, 9u) << "an unknown size adds nothing";
  RecordBufferDestroy(&subfolders);
  ItemListControl* noList = nullptr;
  context->list = &noList;
  EXPECT_EQ(FilterMatchCallback(&items[6], context.get()), 1);
}

TEST_F(FolderListing, FilterAndStop) {
  MakeSampleTree();
  SetOptionBits(kOptionFilterApplied | kOptionRecursive, true);
  ParseFilterDefinition(AppFilter(), "+*.txt");
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(RowNames(), (Names{L"a.txt", L"c.txt", L"d.txt"}));
  EXPECT_EQ(state_->listingStatistics.files, 3u);

  g_calls.clear();
  state_->cancelCounter = 1;
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(RowNames(), Names{L"a.txt"}) << "no subfolder after the Stop command";
  EXPECT_EQ(g_calls, std::vector<std::string>{"listed"}) << "the follow-ups still run";
  EXPECT_EQ(std::wstring(g_statusBar.parts[kStatusProgressPart].text), L"Listed 1 file, 5 bytes - stopped");
  SetCurrentFolder(folder_.Path().c_str());
  ASSERT_TRUE(WaitForListings());
  EXPECT_EQ(RowCount(), 3u) << "a new listing starts without the earlier Stop";
}

TEST_F(FolderListing, FollowUpsSortAndSelectTheFirstRow) {
  MakeSampleTree();
  ReloadFileList(folder_.Path().c_str());
  const Names found = RowNames();
  list_->creation.sortKey = [](SortKeyRequest* request, const uint8_t* row) {
    if (row == nullptr) return;
    request->valueType = kSortValueText;
    request->value = reinterpret_cast<const FileListRow*>(row)->currentName;
    request->nextKeyId = request->keyId;
  };
  list_->sortKey = 1;
  // The direction that moves rows away from the order the folder gave.
  const Names ascending = {L".bashrc", L"a.b.c", L"a.txt", L"abcdef"};
  list_->sortDirection = found == ascending ? 1 : 0;
  SetOptionBits(kOptionSelectedOnly, true);
  // What the parts above do after a listing, as far as the list sees it: they sort.
  static std::wstring listedFolder;
  static uint32_t listedRows;
  g_viewHooks.listingEnded = [](ItemListControl* list, const wchar_t* folder) {
    g_calls.push_back("listed");
    listedFolder = folder;
    listedRows = ItemStoreCount(&list->rows);
    SortFileListRows(list, folder);
  };
  g_calls.clear();
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(g_calls, (std::vector<std::string>{"view", "listed"})) << "one notice, once every row is stored";
  EXPECT_EQ(listedFolder, folder_.Path());
  EXPECT_EQ(listedRows, 4u);
  EXPECT_EQ(RowNames(), list_->sortDirection ? Names(ascending.rbegin(), ascending.rend()) : ascending);
  EXPECT_EQ(state_->options & kOptionSelectedOnly, 0u);
  EXPECT_EQ(Row(0)->state, kRowSelected);
  EXPECT_EQ(Row(1)->state, 0);
}

TEST_F(FolderListing, RecursionStopsAtTheDepthBoundAndAtWaysBack) {
  FileSystemProvider& spare = g_fileSystemProviders[2];
  spare.kind = 9;
  spare.slots.rootPath = RootQ;
  spare.slots.enumerate = EndlessFolder;
  SetOptionBits(kOptionRecursive, true);
  ReloadFileList(L"Q:\\");
  EXPECT_EQ(RowCount(), static_cast<uint32_t>(kMaxListingDepth + 1));
  EXPECT_EQ(PooledPath(3), L"Q:\\loop\\loop");

  MakeSampleTree();
  SystemSeamsScope seams;
  g_systemSeams.createFileW = OpenThroughLinks;
  spare.slots.rootPath = RootC;
  spare.slots.enumerate = FolderWithWayBack;
  ASSERT_EQ(FindProviderByPath(folder_.Path().c_str()), 2);
  ReloadFileList(folder_.Path().c_str());
  EXPECT_EQ(RowCount(), 6u) << "no folder is listed twice";
}

TEST_F(FolderListing, FolderChangesWhileBusyWaitAndCollapse) {
  for (const wchar_t* name : {L"X\\x", L"Y\\y", L"Z\\z"}) folder_.WriteFile(name, "");
  g_fileSystemProviders[2].kind = 9;
  g_fileSystemProviders[2].slots.rootPath = RootQ;
  g_fileSystemProviders[2].slots.enumerate = GatedFolder;
  g_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetCurrentFolder(L"Q:\\slow");
  for (const wchar_t* name : {L"X", L"Y", L"Z"}) SetCurrentFolder((folder_ / name).c_str());
  EXPECT_EQ(state_->pendingListings, 3) << "one listing runs, the others wait";
  EXPECT_EQ(std::wstring(g_addressBar.path), folder_ / L"Z") << "the newest folder shows at once";
  SetEvent(g_gate);
  ASSERT_TRUE(WaitForListings());
  CloseHandle(g_gate);
  EXPECT_EQ(RowNames(), Names{L"z"});
  EXPECT_EQ(PooledPath(Row(0)->folderIndex), folder_ / L"Z");
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "listed"), 2) << "the first folder, then only the newest";
}

TEST_F(FolderListing, WorkThatWaitsForAListingGoesOnOnceItsWorkerEnds) {
  g_fileSystemProviders[2].kind = 9;
  g_fileSystemProviders[2].slots.rootPath = RootQ;
  g_fileSystemProviders[2].slots.enumerate = GatedFolder;
  g_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_TRUE(WaitForFolderListing(0)) << "nothing is listed";
  SetCurrentFolder(L"Q:\\slow");
  EXPECT_FALSE(WaitForFolderListing(0)) << "the listing's worker is held";
  SetEvent(g_gate);
  ASSERT_TRUE(WaitForListings());
  CloseHandle(g_gate);
  EXPECT_TRUE(WaitForFolderListing(0));
}

TEST_F(FolderListing, TypeNamesKeepTheirBlockWhileAListingMayReadThem) {
  FileTypeTable table;
  ASSERT_EQ(ConstructFileTypeTable(&table), 0);
  g_fileSystemProviders[2].kind = 9;
  g_fileSystemProviders[2].slots.rootPath = RootQ;
  g_fileSystemProviders[2].slots.enumerate = GatedFolder;
  g_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetCurrentFolder(L"Q:\\slow");
  const uint8_t* block = RecordBufferData(&table.names);
  auto path = [](int i) { return L"f.x" + std::to_wstring(i); };
  int refused = -1;
  for (int i = 0; i < 5000 && refused < 0; ++i) {
    if (FileTypeTableIndexForPath(&table, path(i).c_str(), FILE_ATTRIBUTE_ARCHIVE) == 0) refused = i;
  }
  EXPECT_EQ(RecordBufferData(&table.names), block) << "the block the listing's sort reads did not move";
  EXPECT_GT(refused, 0) << "names are stored in the room the block has, then refused";
  SetEvent(g_gate);
  ASSERT_TRUE(WaitForListings());
  CloseHandle(g_gate);
  EXPECT_GT(FileTypeTableIndexForPath(&table, path(refused).c_str(), FILE_ATTRIBUTE_ARCHIVE), refused)
      << "stored once the listing has ended";
  DestroyFileTypeTable(&table);
}

TEST_F(FolderListing, FailuresEndNeitherTheFollowUpsNorTheBusyState) {
  ExpectCaughtFaults();
  MakeSampleTree();
  using ListingEnded = void (*)(ItemListControl*, const wchar_t*);
  const ListingEnded failingHooks[] = {
      [](ItemListControl*, const wchar_t*) { throw std::runtime_error("follow-ups"); },
      [](ItemListControl*, const wchar_t*) { *static_cast<volatile int*>(nullptr) = 1; }};
  for (ListingEnded hook : failingHooks) {
    g_viewHooks.listingEnded = hook;
    ReloadFileList(folder_.Path().c_str());
    EXPECT_EQ(Row(0)->state, kRowSelected) << "a failing hook does not end the follow-ups";
  }

  state_->fileList = reinterpret_cast<ItemListControl*>(16);
  g_calls.clear();
  SetCurrentFolder(folder_.Path().c_str());
  const bool ended = WaitForListings();
  state_->fileList = list_;
  ASSERT_TRUE(ended) << "a fault in the worker itself ends the listing, not the busy state";
  ASSERT_GE(g_calls.size(), 2u);
  EXPECT_EQ((std::vector<std::string>(g_calls.end() - 2, g_calls.end())), (std::vector<std::string>{"menus", "ended"}));
}

TEST_F(FolderListing, RowsWaitForTheLockAndAreGivenUpOnlyAtTheStopCommand) {
  auto context = Context();
  ProviderItem file = Item(L"f.txt", FILE_ATTRIBUTE_ARCHIVE, 3);
  FilterMatchCallback(&file, context.get());
  {
    auto held = std::make_unique<MutexHeldElsewhere>(list_->rows.mutex);
    // Held longer than the two seconds after which rows were once dropped: the hold's length is what is
    // checked, and the store's retries show nothing a test could wait on.
    constexpr DWORD kLongerThanTheOldGiveUpMs = 2500;
    WorkerThread release([&] {
      Sleep(kLongerThanTheOldGiveUpMs);
      held.reset();
    });
    StoreListedRows(context.get());
  }
  EXPECT_EQ(RowCount(), 1u) << "a lock held for a while delays the rows but loses none";
  EXPECT_EQ(state_->listingStatistics.files, 1u);
  FilterMatchCallback(&file, context.get());
  {
    MutexHeldElsewhere held(list_->rows.mutex);
    // The Stop command is there when the store first finds the lock taken.
    InterlockedIncrement(&state_->cancelCounter);
    StoreListedRows(context.get());
  }
  state_->cancelCounter = 0;
  EXPECT_EQ(RowCount(), 1u);
  EXPECT_EQ(state_->listingStatistics.files, 1u) << "rows given up at the Stop command are not counted";
}
