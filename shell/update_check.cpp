#include "shell/update_check.h"

#include <wininet.h>

#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/files/file_entries.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/text_files.h"
#include "foundation/providers/local_delete.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/files/system_errors.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "shell/main_window.h"
#include "shell/settings_values.h"

namespace {

// Lines of the list are read 64 bytes at most; the caption keeps 64 characters.
constexpr int kProductLineCapacity = 65;
constexpr wchar_t kProductListName[] = L"products.txt";
constexpr char kProgramLinePrefix[] = "qk";
// How often the check looks at the size of the file the download's data goes to.
constexpr DWORD kCacheFileCheckMs = 100;

enum DownloadOutcome { kDownloaded, kDownloadCancelled, kNotAProductList };

// The file of the check under way, removed at the program's end when the check has not removed it.
SRWLOCK g_unfinishedLock = SRWLOCK_INIT;
wchar_t g_unfinishedFile[kPathCapacity];

void SetUnfinishedProductList(const wchar_t* path) {
  AcquireSRWLockExclusive(&g_unfinishedLock);
  CopyWideBounded(path, g_unfinishedFile, kPathCapacity);
  ReleaseSRWLockExclusive(&g_unfinishedLock);
}

struct UpdateCheckRequest {
  HWND owner;
  const char* version;
};

void ProductListAddress(wchar_t (&address)[kPathCapacity]) {
  char site[kPathCapacity];
  LoadUpdateSiteSetting(site, kPathCapacity);
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
  if (FormatSystemErrorText(ERROR_UNEXP_NET_ERR, text, kErrorTextCapacity, true) == 0) return false;
  return ShowMessageWithPath(owner, 0, text, nullptr, nullptr, MB_RETRYCANCEL | MB_ICONERROR) == IDRETRY;
}

VOID CALLBACK CheckDownloadSize(void* callback, BOOLEAN) { static_cast<CCallback*>(callback)->CheckCacheFile(); }

ULONGLONG FileSizeOf(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// One download into `target`, watched by a timer while it runs; the system's cache keeps no copy of it.
DownloadOutcome DownloadOnce(const wchar_t* address, const wchar_t* target, HRESULT* result) {
  CCallback callback;
  HANDLE timer = nullptr;
  CreateTimerQueueTimer(&timer, nullptr, CheckDownloadSize, &callback, kCacheFileCheckMs, kCacheFileCheckMs,
                        WT_EXECUTEDEFAULT);
  *result = URLDownloadToFileW(nullptr, address, target, 0, &callback);
  if (timer) DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
  DeleteUrlCacheEntryW(address);
  if (callback.TooLarge() || FileSizeOf(target) > kProductListLimit) return kNotAProductList;
  if (*result == S_OK && callback.CutShort()) *result = INET_E_DOWNLOAD_FAILURE;
  return kDownloaded;
}

DownloadOutcome DownloadProductList(HWND owner, const wchar_t* address, const wchar_t* target) {
  for (;;) {
    CreateFolderOf(target);
    HRESULT result = S_OK;
    const DownloadOutcome outcome = DownloadOnce(address, target, &result);
    if (outcome == kNotAProductList || result == S_OK) return outcome;
    if (!AskToRetry(owner)) return kDownloadCancelled;
  }
}

// The first line of the list that begins with "qk"; `anyProductLine` tells whether the file is a product list.
bool FindProgramLine(const wchar_t* path, char (&line)[kProductLineCapacity], bool* anyProductLine) {
  BufferedFile file;
  InitBufferedFile(&file);
  bool found = false;
  *anyProductLine = false;
  if (TextFileOpen(&file, path) == 0) {
    while (!found && TextFileReadLineNarrow(&file, line, kProductLineCapacity) > 0) {
      found = strncmp(line, kProgramLinePrefix, 2) == 0;
      *anyProductLine = *anyProductLine || IsProductLine(line);
    }
  }
  CloseBufferedFile(&file);
  return found;
}

void SayNotAProductList(HWND owner, const wchar_t* address) {
  ShowMessageWithPath(owner, kTextNoProductList, nullptr, address, nullptr, MB_ICONERROR);
}

void JoinWithBlank(const wchar_t* first, const wchar_t* second, wchar_t* target, int capacity) {
  CopyWideBounded(first, target, capacity);
  AppendWideBounded(L" ", target, capacity);
  AppendWideBounded(second, target, capacity);
}

}  // namespace

CCallback::CCallback() = default;

CCallback::~CCallback() { StopBinding(); }

void CCallback::StopBinding() {
  AcquireSRWLockExclusive(&lock_);
  IBinding* binding = binding_;
  binding_ = nullptr;
  ReleaseSRWLockExclusive(&lock_);
  if (binding) binding->Release();
}

void CCallback::CheckCacheFile() {
  AcquireSRWLockShared(&lock_);
  if (binding_ && cacheFile_[0] && FileSizeOf(cacheFile_) > kProductListLimit) {
    InterlockedExchange(&tooLarge_, 1);
    if (InterlockedExchange(&aborted_, 1) == 0) binding_->Abort();
  }
  ReleaseSRWLockShared(&lock_);
}

HRESULT CCallback::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}
ULONG CCallback::AddRef() { return 0; }
ULONG CCallback::Release() { return 0; }
HRESULT CCallback::OnStartBinding(DWORD, IBinding* binding) {
  if (binding) binding->AddRef();
  AcquireSRWLockExclusive(&lock_);
  binding_ = binding;
  ReleaseSRWLockExclusive(&lock_);
  return E_NOTIMPL;
}
HRESULT CCallback::GetPriority(LONG*) { return E_NOTIMPL; }
HRESULT CCallback::OnLowResource(DWORD) { return E_NOTIMPL; }
HRESULT CCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) {
  if (statusCode == BINDSTATUS_CACHEFILENAMEAVAILABLE && statusText) {
    AcquireSRWLockExclusive(&lock_);
    CopyWideBounded(statusText, cacheFile_, kShortPathCapacity);
    ReleaseSRWLockExclusive(&lock_);
  }
  if (progress > kProductListLimit) {
    InterlockedExchange(&tooLarge_, 1);
    return E_ABORT;
  }
  if (statusCode == BINDSTATUS_ENDDOWNLOADDATA && progressMax > progress) cutShort_ = true;
  return S_OK;
}
HRESULT CCallback::OnStopBinding(HRESULT, LPCWSTR) {
  StopBinding();
  return E_NOTIMPL;
}
HRESULT CCallback::GetBindInfo(DWORD* flags, BINDINFO*) {
  if (!flags) return E_INVALIDARG;
  *flags |= BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
  return S_OK;
}
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
  wchar_t address[kPathCapacity];
  ProductListAddress(address);
  SetUnfinishedProductList(target);
  DownloadOutcome outcome = DownloadProductList(owner, address, target);
  char line[kProductLineCapacity];
  bool anyProductLine = false;
  if (outcome == kDownloaded && FindProgramLine(target, line, &anyProductLine)) {
    wchar_t message[kMessageCapacity];
    wchar_t caption[kProductLineCapacity];
    if (ComposeUpdateMessage(line, version, message, kMessageCapacity, caption, kProductLineCapacity)) {
      ShowMessageBoxWide(owner, message, caption, MB_ICONINFORMATION);
    }
  } else if (outcome == kNotAProductList || (outcome == kDownloaded && !anyProductLine)) {
    SayNotAProductList(owner, address);
  }
  TruncateAndDeleteFile(target);
  SetUnfinishedProductList(L"");
}

void RemoveUnfinishedProductList() {
  AcquireSRWLockExclusive(&g_unfinishedLock);
  if (g_unfinishedFile[0]) DeleteFileW(g_unfinishedFile);
  ReleaseSRWLockExclusive(&g_unfinishedLock);
}

bool IsProductLine(const char* line) {
  return line[0] >= 'a' && line[0] <= 'z' && line[1] >= 'a' && line[1] <= 'z' && line[2] >= '0' &&
         line[2] <= '9' && strchr(line + 3, ' ') != nullptr;
}

bool ComposeUpdateMessage(const char* line, const char* version, wchar_t* message, int messageCapacity,
                          wchar_t* caption, int captionCapacity) {
  const char* blank = strchr(line, ' ');
  if (!blank || blank - line < 2) return false;
  MultiByteToWideBounded(blank + 1, caption, captionCapacity, CP_ACP);
  char listed[kProductLineCapacity] = {};
  const size_t length = static_cast<size_t>(blank - line) - 2;
  memcpy(listed, line + 2, length < kProductLineCapacity - 1 ? length : kProductLineCapacity - 1);
  wchar_t text[kUiTextCapacity];
  if (EqualsIgnoreCaseNarrow(listed, version)) {
    GetUiText(kTextUpdateCurrent, text, kUiTextCapacity);
    JoinWithBlank(kProgramTitle, text, message, messageCapacity);
  } else {
    wchar_t wideListed[kProductLineCapacity];
    MultiByteToWideBounded(listed, wideListed, kProductLineCapacity, CP_ACP);
    GetUiText(kTextUpdateAvailable, text, kUiTextCapacity);
    JoinWithBlank(text, wideListed, message, messageCapacity);
  }
  return true;
}
