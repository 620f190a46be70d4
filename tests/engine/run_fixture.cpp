#include "run_fixture.h"

#include <algorithm>

#include "engine/engine_hooks.h"
#include "engine/preview.h"
#include "engine/rename_run.h"
#include "engine/undo.h"
#include "foundation/core/jobs.h"
#include "foundation/text/bounded_text.h"
#include "foundation/providers/providers.h"

namespace {

// Long enough for a run of 1 000 files on a loaded machine.
constexpr DWORD kJobTimeoutMs = 100000;

// Contents are the ASCII names the tests give their files.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct Listing {
  ItemListControl* files;
  uint32_t folder;
};

// The row the folder listing makes of an admitted file; folders never become rows.
int AdmitItem(ProviderItem* item, void* userData) {
  const Listing* listing = static_cast<const Listing*>(userData);
  if ((item->info.attributes & (FILE_ATTRIBUTE_DIRECTORY | 0x1000)) != 0) return 0;
  FileListRow row{};
  CopyWideString(item->name, row.currentName, kFileNameCapacity);
  const size_t length = WideLength(row.currentName);
  const wchar_t* dot = wcsrchr(row.currentName, L'.');
  row.length = FileListRowSize(length);
  row.extensionAt = static_cast<uint16_t>(dot != nullptr ? dot - row.currentName + 1 : length);
  row.folderIndex = static_cast<int32_t>(listing->folder);
  row.info = item->info;
  return ItemStoreAppend(&listing->files->rows, &row, row.length) == 0 ? 0 : 1;
}

// The job has ended and the rows it renamed show the preview the user then sees.
bool JobAndItsPreviewDone() { return g_app->busyCounter == 0 && g_app->previewDeferred == 0; }

}  // namespace

RunFixture::RunFixture() {
  // As the program does: a job that ends shows a chain change that waited for it.
  g_jobNotices.jobEnded = RunDeferredPreview;
  InitFileSystemProviders();
  temp_.MakeFolder(L"one");
  temp_.MakeFolder(L"two");
  ClearList();
}

RunFixture::~RunFixture() {
  ReleaseUndoList();
  g_engineHooks = EngineHooks{};
  g_jobNotices = JobNotices{};
  ShutdownProviders();
}

void RunFixture::AddDiskFile(uint32_t folder, const std::wstring& name, const std::wstring& renamed) {
  temp_.WriteFile((folder == 1 ? L"one\\" : L"two\\") + name, Narrow(name));
  AddFile(folder, name.c_str());
  if (!renamed.empty()) g_probeRecord.renames[name] = renamed;
}

void RunFixture::ListFolder(uint32_t folder) {
  Listing listing{files_, folder};
  ASSERT_EQ(VfsEnumerate(nullptr, FolderPath(folder).c_str(), AdmitItem, &listing), 0);
}

void RunFixture::ClearList() {
  ItemStoreReset(&files_->rows);
  ItemStoreReset(&files_->pathPool);
  g_probeRecord.renames.clear();
  AddFolder(FolderPath(1).c_str());
  AddFolder(FolderPath(2).c_str());
}

void RunFixture::EmptyFolders() const {
  for (const std::wstring& file : Disk()) DeleteFileW(AsGiven(temp_ / file.substr(0, file.find(L'='))).c_str());
}

bool RunFixture::Run() {
  if (!StartRenameRun(window_.Window())) return false;
  EXPECT_TRUE(window_.PumpUntil(JobAndItsPreviewDone, kJobTimeoutMs));
  return true;
}

bool RunFixture::Undo() {
  if (!StartUndo(window_.Window())) return false;
  EXPECT_TRUE(window_.PumpUntil(JobAndItsPreviewDone, kJobTimeoutMs));
  return true;
}

std::vector<std::wstring> RunFixture::Disk() const {
  std::vector<std::wstring> files;
  for (uint32_t folder = 1; folder <= 2; ++folder) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((FolderPath(folder) + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
      const std::string bytes = ReadWholeFile(FolderPath(folder) + L"\\" + data.cFileName);
      const std::wstring content(bytes.begin(), bytes.end());
      files.push_back((folder == 1 ? L"one\\" : L"two\\") + std::wstring(data.cFileName) + L"=" + content);
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  std::sort(files.begin(), files.end());
  return files;
}
