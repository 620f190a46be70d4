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
// The downloaded data is read in pieces of this size.
constexpr ULONG kReadPieceBytes = 16384;
// Attempts at a file name that no other check has taken meanwhile.
constexpr int kNameAttempts = 16;

enum DownloadOutcome { kDownloaded, kDownloadCancelled, kNotAProductList };

// The file of one check under way, listed by its check while the check runs.
struct UnfinishedProductList {
  wchar_t path[kPathCapacity];
  UnfinishedProductList* next;
};

SRWLOCK g_unfinishedLock = SRWLOCK_INIT;
UnfinishedProductList* g_unfinished = nullptr;

void ListUnfinished(UnfinishedProductList* entry) {
  AcquireSRWLockExclusive(&g_unfinishedLock);
  entry->next = g_unfinished;
  g_unfinished = entry;
  ReleaseSRWLockExclusive(&g_unfinishedLock);
}

void UnlistUnfinished(const UnfinishedProductList* entry) {
  AcquireSRWLockExclusive(&g_unfinishedLock);
  UnfinishedProductList** link = &g_unfinished;
  while (*link != nullptr && *link != entry) link = &(*link)->next;
  if (*link != nullptr) *link = entry->next;
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

// A new file in the temporary folder under a name that does not exist yet, so that no other check takes it; the
// program's end may remove it while it is open.
HANDLE CreateProductListFile(wchar_t (&path)[kPathCapacity]) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    if (MakeUniqueFileName(kProductListName, nullptr, path, kPathCapacity) == 0) break;
    CreateFolderOf(path);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// Retry after a failed download; false on Cancel, or at once when the system has no text for the error.
bool AskToRetry(HWND owner) {
  wchar_t text[kErrorTextCapacity];
  if (FormatSystemErrorText(ERROR_UNEXP_NET_ERR, text, kErrorTextCapacity, true) == 0) return false;
  return ShowMessageWithPath(owner, 0, text, nullptr, nullptr, MB_RETRYCANCEL | MB_ICONERROR) == IDRETRY;
}

// The binding's notifications come through this thread's messages.
void PumpUntilStopped(const CCallback& callback) {
  while (!callback.Stopped()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (!callback.Stopped()) MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
  }
}

// Binds the address to a stream whose data the callback reads as it arrives; the binding's result. A binding that
// ends while it is made has told the callback so already.
HRESULT BindAndWait(const wchar_t* address, CCallback* callback) {
  IMoniker* moniker = nullptr;
  IBindCtx* context = nullptr;
  IStream* stream = nullptr;
  HRESULT result = CreateURLMonikerEx(nullptr, address, &moniker, URL_MK_UNIFORM);
  if (SUCCEEDED(result)) result = CreateAsyncBindCtx(0, callback, nullptr, &context);
  if (SUCCEEDED(result)) {
    result = moniker->BindToStorage(context, nullptr, IID_IStream, reinterpret_cast<void**>(&stream));
  }
  if (result == MK_S_ASYNCHRONOUS) PumpUntilStopped(*callback);
  if (stream) stream->Release();
  if (context) context->Release();
  if (moniker) moniker->Release();
  return SUCCEEDED(result) && callback->Stopped() ? callback->Result() : result;
}

// What the system may keep of the download all the same: the address's cache entry and the file it named.
void RemoveCachedCopy(const wchar_t* address, const wchar_t* cacheFile) {
  DeleteUrlCacheEntryW(address);
  if (cacheFile[0] != 0) DeleteFileW(cacheFile);
}

bool EmptyFile(HANDLE file) {
  return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(file);
}

// One download into the file, from its start.
DownloadOutcome DownloadOnce(const wchar_t* address, HANDLE file, HRESULT* result) {
  if (!EmptyFile(file)) {
    *result = HRESULT_FROM_WIN32(GetLastError());
    return kDownloaded;
  }
  CCallback callback(file);
  *result = BindAndWait(address, &callback);
  RemoveCachedCopy(address, callback.CacheFile());
  if (callback.TooLarge()) return kNotAProductList;
  if (*result == S_OK && callback.CutShort()) *result = INET_E_DOWNLOAD_FAILURE;
  return kDownloaded;
}

DownloadOutcome DownloadProductList(HWND owner, const wchar_t* address, HANDLE file) {
  for (;;) {
    HRESULT result = S_OK;
    const DownloadOutcome outcome = DownloadOnce(address, file, &result);
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

CCallback::CCallback(HANDLE file) : file_(file) {}

CCallback::~CCallback() { StopBinding(); }

void CCallback::StopBinding() {
  if (binding_) binding_->Release();
  binding_ = nullptr;
}

// False when the download must stop: past the limit, or when the file takes no more.
bool CCallback::TakeData(const uint8_t* data, ULONG size) {
  received_ += size;
  if (received_ > kProductListLimit) {
    tooLarge_ = true;
    return false;
  }
  DWORD written = 0;
  writeFailed_ = !WriteFile(file_, data, size, &written, nullptr) || written != size;
  return !writeFailed_;
}

HRESULT CCallback::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}
ULONG CCallback::AddRef() { return 0; }
ULONG CCallback::Release() { return 0; }
HRESULT CCallback::OnStartBinding(DWORD, IBinding* binding) {
  StopBinding();
  if (binding) binding->AddRef();
  binding_ = binding;
  return S_OK;
}
HRESULT CCallback::GetPriority(LONG*) { return E_NOTIMPL; }
HRESULT CCallback::OnLowResource(DWORD) { return E_NOTIMPL; }
HRESULT CCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) {
  if (statusCode == BINDSTATUS_CACHEFILENAMEAVAILABLE && statusText) {
    CopyWideBounded(statusText, cacheFile_, kShortPathCapacity);
  }
  if (statusCode == BINDSTATUS_ENDDOWNLOADDATA && progressMax > progress) cutShort_ = true;
  return S_OK;
}
HRESULT CCallback::OnStopBinding(HRESULT result, LPCWSTR) {
  result_ = result;
  stopped_ = true;
  StopBinding();
  return E_NOTIMPL;
}
HRESULT CCallback::GetBindInfo(DWORD* flags, BINDINFO*) {
  if (!flags) return E_INVALIDARG;
  *flags |= BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION |
            BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
  return S_OK;
}
HRESULT CCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) {
  if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm) return S_OK;
  uint8_t piece[kReadPieceBytes];
  for (;;) {
    ULONG read = 0;
    const HRESULT result = medium->pstm->Read(piece, kReadPieceBytes, &read);
    if (read > 0 && !TakeData(piece, read)) {
      if (binding_) binding_->Abort();
      return E_ABORT;
    }
    if (result != S_OK || read == 0) return S_OK;
  }
}
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
  UnfinishedProductList own = {};
  HANDLE file = CreateProductListFile(own.path);
  if (file == INVALID_HANDLE_VALUE) return;
  ListUnfinished(&own);
  wchar_t address[kPathCapacity];
  ProductListAddress(address);
  const DownloadOutcome outcome = DownloadProductList(owner, address, file);
  CloseHandle(file);
  char line[kProductLineCapacity];
  bool anyProductLine = false;
  if (outcome == kDownloaded && FindProgramLine(own.path, line, &anyProductLine)) {
    wchar_t message[kMessageCapacity];
    wchar_t caption[kProductLineCapacity];
    if (ComposeUpdateMessage(line, version, message, kMessageCapacity, caption, kProductLineCapacity)) {
      ShowMessageBoxWide(owner, message, caption, MB_ICONINFORMATION);
    }
  } else if (outcome == kNotAProductList || (outcome == kDownloaded && !anyProductLine)) {
    SayNotAProductList(owner, address);
  }
  TruncateAndDeleteFile(own.path);
  UnlistUnfinished(&own);
}

void RemoveUnfinishedProductList() {
  AcquireSRWLockExclusive(&g_unfinishedLock);
  for (const UnfinishedProductList* entry = g_unfinished; entry != nullptr; entry = entry->next) {
    DeleteFileW(entry->path);
  }
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
