#include "shell/update_check.h"

#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/files/file_entries.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/text_files.h"
#include "foundation/profile/profile_store.h"
#include "foundation/providers/local_delete.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/files/system_errors.h"
#include "foundation/ui/ui_strings.h"
#include "shell/main_window.h"

namespace {

constexpr int kErrorTextCapacity = 512;
// Lines of the list are read 64 bytes at most; the caption keeps 64 characters.
constexpr int kLineCapacity = 65;
constexpr int kCaptionCapacity = 65;
constexpr int kMessageCapacity = 512;
constexpr int kUiTextCapacity = 256;
constexpr wchar_t kProductListName[] = L"products.txt";
constexpr char kProgramLinePrefix[] = "qk";
constexpr int kTextUpdateAvailable = 1001;
constexpr int kTextUpToDate = 1003;

struct UpdateCheckRequest {
  HWND owner;
  const char* version;
};

void ProductListAddress(wchar_t (&address)[kPathCapacity]) {
  char site[kPathCapacity];
  ProfileGetString(&g_settingsStore, kMainSection, kUpdateSiteKey, kMakerWebSite, site, kPathCapacity);
  MultiByteToWideBounded(site, address, kPathCapacity, CP_ACP);
  AppendPathComponent(kProductListName, address, kPathCapacity);
  BackslashesToSlashes(address);
}

void CreateFolderOf(const wchar_t* file) {
  wchar_t folder[kPathCapacity];
  CopyWideString(file, folder, kPathCapacity);
  if (CutToParentFolder(folder) == 0 && !IsExistingFolder(folder)) CreateDirectoryPath(nullptr, folder);
}

// Retry after a failed download; false on Cancel, or at once when the system has no text for the error.
bool AskToRetry(HWND owner) {
  wchar_t text[kErrorTextCapacity];
  if (FormatSystemErrorText(ERROR_UNEXP_NET_ERR, text, kErrorTextCapacity, false) == 0) return false;
  return ShowMessageWithPath(owner, 0, text, nullptr, nullptr, MB_RETRYCANCEL | MB_ICONERROR) == IDRETRY;
}

bool DownloadProductList(HWND owner, const wchar_t* target) {
  wchar_t address[kPathCapacity];
  ProductListAddress(address);
  for (;;) {
    CreateFolderOf(target);
    CCallback callback;
    if (URLDownloadToFileW(nullptr, address, target, 0, &callback) == S_OK) return true;
    if (!AskToRetry(owner)) return false;
  }
}

// The first line of the list that begins with "qk".
bool FindProgramLine(const wchar_t* path, char (&line)[kLineCapacity]) {
  BufferedFile file;
  InitBufferedFile(&file);
  bool found = false;
  if (TextFileOpen(&file, path) == 0) {
    while (!found && TextFileReadLineNarrow(&file, line, kLineCapacity) > 0) {
      found = strncmp(line, kProgramLinePrefix, 2) == 0;
    }
  }
  CloseBufferedFile(&file);
  return found;
}

void JoinWithBlank(const wchar_t* first, const wchar_t* second, wchar_t* target, int capacity) {
  CopyWideBounded(first, target, capacity);
  AppendWideBounded(L" ", target, capacity);
  AppendWideBounded(second, target, capacity);
}

}  // namespace

HRESULT CCallback::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}
ULONG CCallback::AddRef() { return 0; }
ULONG CCallback::Release() { return 0; }
HRESULT CCallback::OnStartBinding(DWORD, IBinding*) { return E_NOTIMPL; }
HRESULT CCallback::GetPriority(LONG*) { return E_NOTIMPL; }
HRESULT CCallback::OnLowResource(DWORD) { return E_NOTIMPL; }
HRESULT CCallback::OnProgress(ULONG, ULONG, ULONG, LPCWSTR) { return S_OK; }
HRESULT CCallback::OnStopBinding(HRESULT, LPCWSTR) { return E_NOTIMPL; }
HRESULT CCallback::GetBindInfo(DWORD*, BINDINFO*) { return E_NOTIMPL; }
HRESULT CCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
HRESULT CCallback::OnObjectAvailable(REFIID, IUnknown*) { return E_NOTIMPL; }

void StartUpdateCheck(HWND window) {
  auto* request = static_cast<UpdateCheckRequest*>(AllocZeroed(sizeof(UpdateCheckRequest)));
  if (!request) return;
  request->owner = window;
  request->version = kProgramVersionText;
  HANDLE thread = StartThread(UpdateCheckThread, request);
  if (!thread) FreeAndNull(&request);
  CloseHandleSafe(thread);
}

DWORD WINAPI UpdateCheckThread(void* parameter) {
  auto* request = static_cast<UpdateCheckRequest*>(parameter);
  CheckForUpdates(request->owner, request->version);
  FreeAndNull(&request);
  return 0;
}

void CheckForUpdates(HWND owner, const char* version) {
  wchar_t target[kPathCapacity];
  if (MakeUniqueFileName(kProductListName, nullptr, target, kPathCapacity) == 0) return;
  if (!DownloadProductList(owner, target)) return;
  char line[kLineCapacity];
  wchar_t message[kMessageCapacity];
  wchar_t caption[kCaptionCapacity];
  if (FindProgramLine(target, line) &&
      ComposeUpdateMessage(line, version, message, kMessageCapacity, caption, kCaptionCapacity)) {
    ShowMessageBoxWide(owner, message, caption, MB_ICONINFORMATION);
  }
  TruncateAndDeleteFile(target);
}

bool ComposeUpdateMessage(const char* line, const char* version, wchar_t* message, int messageCapacity,
                          wchar_t* caption, int captionCapacity) {
  const char* blank = strchr(line, ' ');
  if (!blank || blank - line < 2) return false;
  MultiByteToWideBounded(blank + 1, caption, captionCapacity, CP_ACP);
  char listed[kLineCapacity] = {};
  const size_t length = static_cast<size_t>(blank - line) - 2;
  memcpy(listed, line + 2, length < kLineCapacity - 1 ? length : kLineCapacity - 1);
  wchar_t text[kUiTextCapacity];
  if (EqualsIgnoreCaseNarrow(listed, version)) {
    GetUiText(kTextUpToDate, text, kUiTextCapacity);
    JoinWithBlank(kProgramTitle, text, message, messageCapacity);
  } else {
    wchar_t wideListed[kLineCapacity];
    MultiByteToWideBounded(listed, wideListed, kLineCapacity, CP_ACP);
    GetUiText(kTextUpdateAvailable, text, kUiTextCapacity);
    JoinWithBlank(text, wideListed, message, messageCapacity);
  }
  return true;
}
