#include "program_fixture.h"

#include <algorithm>
#include <commctrl.h>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/ui/file_type_table.h"
#include "shell/folder_history.h"
#include "shell/main_commands.h"
#include "shell/recent_files.h"
#include "shell/program_hooks.h"
#include "views/file_list_row.h"
#include "views/items_view.h"

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

ProgramFixture::ProgramFixture() {
  // The process-wide objects the program builds before WinMain and the commands use.
  InitRecentFiles(&g_recentFiles, kRecentFileLimit);
  InitFolderHistory(&g_folderHistory, "Recent");
  ConstructFileTypeTable(&g_fileTypes);
}

ProgramFixture::~ProgramFixture() {
  if (program_) Close();
  DestroyFileTypeTable(&g_fileTypes);
  FreeFolderHistory(&g_folderHistory);
  FreeRecentFiles(&g_recentFiles);
}

bool ProgramFixture::Start(const std::vector<std::wstring>& files, const std::vector<std::string>& chain,
                           const std::string& moreProfile) {
  temp_.MakeFolder(L"files");
  for (const std::wstring& name : files) {
    const std::wstring path = L"files\\" + name;
    // Asked as it stands: "notes." is not its twin "notes".
    if (!PathExists(temp_ / path)) temp_.WriteFile(path, Narrow(name));
  }
  std::string profile = "[QVRX]\r\nLastFolder=" + Narrow(FilesFolder()) + "\r\nLanguage=US\r\n" + moreProfile;
  profile += "[QK]\r\n";
  for (size_t i = 0; i < chain.size(); ++i) profile += "R" + std::to_string(i + 1) + "=" + chain[i] + "\r\n";
  temp_.WriteFile(L"QVRX.INI", profile);
  InstallProgramHooks();
  program_ = std::make_unique<InProcessProgram>(ProfilePath());
  program_->Start();
  window_ = InProcessProgram::WaitForMainWindow();
  if (!window_) return false;
  const size_t steps = chain.size();
  // The start has settled once the folder tree, filled on a thread of its own, has selected the start folder;
  // a dialog opened before then loses clicks and keys now and then.
  return WaitFor([&] {
    return g_app->fileList && ItemStoreCount(&g_app->fileList->rows) == files.size() && g_app->busyCounter == 0 &&
           g_app->chainList && ItemStoreCount(&g_app->chainList->rows) == steps &&
           SendMessageW(g_app->paneWindows[0], TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
  });
}

int ProgramFixture::Close() {
  // The window refuses to close while a job is busy, and the program would then run on.
  if (window_) {
    WaitUntilIdle();
    PostMessageW(window_, WM_CLOSE, 0, 0);
  }
  window_ = nullptr;
  const int result = program_->Finish();
  program_.reset();
  return result;
}

bool ProgramFixture::WaitFor(const std::function<bool()>& condition) const {
  for (int i = 0; i < 500; ++i) {
    bool met = false;
    Gui([&] { met = condition(); });
    if (met) return true;
    Sleep(20);
  }
  return false;
}

bool ProgramFixture::WaitUntilIdle() const {
  return WaitFor([] { return g_app->busyCounter == 0; });
}

std::vector<std::wstring> ProgramFixture::ListedNames() const {
  std::vector<std::wstring> names;
  Gui([&] {
    const ItemStore* rows = &g_app->fileList->rows;
    for (uint32_t i = 0; i < ItemStoreCount(rows); ++i)
      names.emplace_back(reinterpret_cast<const FileListRow*>(ItemStoreGet(rows, i))->currentName);
  });
  return names;
}

std::vector<std::wstring> ProgramFixture::NewNames() const {
  std::vector<std::wstring> names;
  Gui([&] {
    const ItemStore* rows = &g_app->fileList->rows;
    for (uint32_t i = 0; i < ItemStoreCount(rows); ++i)
      names.emplace_back(reinterpret_cast<const FileListRow*>(ItemStoreGet(rows, i))->newName);
  });
  return names;
}

std::vector<std::wstring> ProgramFixture::Disk() const {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((FilesFolder() + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

bool ProgramFixture::Disabled(int command) const {
  bool disabled = false;
  Gui([&] { disabled = IsCommandDisabled(command); });
  return disabled;
}
