// The update check (command IDM_CHECK_UPDATES): downloads the maker's product list "products.txt" into a temporary
// file, finds the program's line ("qk", the version, a blank, the product's name) and tells the user whether the
// version listed there differs, ignoring case, from the program's own; the temporary file is removed. It runs on a
// thread of its own, never joined, and shows its message boxes from there.
//
// The web site comes from the value "UpdateSite" of section "QVRX" when the profile has one (an address
// without the list's name), else the maker's address below.
//
// A product list is small: the download reads the answer through the binding's stream as it arrives, counts it
// and stops past kProductListLimit bytes, whatever the server's pace. It asks for no copy in the system's download
// cache; the cache entry of the address, and a cache file the system names all the same, go when the download ends.
// An answer that is too large, cut short or holds no product line is said in a message.
//
// Threads: each check runs on a thread of its own and owns its downloaded file (a name no other check has). The
// files of the checks under way are listed, each by its own check, under one lock, so that the program's end
// removes every one of them.
#pragma once
#include <windows.h>
#include <urlmon.h>

#include <cstdint>

#include "foundation/files/paths.h"

constexpr char kMakerWebSite[] = "https://tallowby.example";
constexpr ULONG kProductListLimit = 1u << 20;

// The bind-status callback of the download; it lives on the stack of the check and counts no references. The
// binding is asynchronous and pulls its data: every operation is called on the check's thread, which pumps its
// messages until the binding stops. AddRef, Release and OnProgress answer 0; QueryInterface clears its out pointer
// and answers E_NOINTERFACE; OnStartBinding keeps the binding and answers S_OK (a failure would end the binding);
// GetBindInfo asks for such a binding and a fresh copy that the download cache does not keep; OnDataAvailable
// reads the data from the binding's stream into the check's file and stops the binding past kProductListLimit
// bytes or when the file takes no more; OnProgress notes the cache file the system names and a download that ends
// short of the length its server announced; OnStopBinding notes the binding's result. Every other operation
// answers E_NOTIMPL.
class CCallback : public IBindStatusCallback {
 public:
  explicit CCallback(HANDLE file = INVALID_HANDLE_VALUE);
  ~CCallback();
  CCallback(const CCallback&) = delete;
  CCallback& operator=(const CCallback&) = delete;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
  HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override;
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                       LPCWSTR statusText) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID id, IUnknown* object) override;

  bool Stopped() const { return stopped_; }
  // The binding's result; a download whose data could not all be written failed.
  HRESULT Result() const { return writeFailed_ && SUCCEEDED(result_) ? INET_E_DOWNLOAD_FAILURE : result_; }
  bool TooLarge() const { return tooLarge_; }
  bool CutShort() const { return cutShort_; }
  const wchar_t* CacheFile() const { return cacheFile_; }

 private:
  bool TakeData(const uint8_t* data, ULONG size);
  void StopBinding();

  HANDLE file_;
  IBinding* binding_ = nullptr;
  ULONGLONG received_ = 0;
  HRESULT result_ = S_OK;
  bool stopped_ = false;
  bool tooLarge_ = false;
  bool writeFailed_ = false;
  bool cutShort_ = false;
  wchar_t cacheFile_[kShortPathCapacity] = {};
};

// Command IDM_CHECK_UPDATES: starts UpdateCheckThread with the main window and the program's version.
void StartUpdateCheck(HWND window);

// The thread: its parameter is a heap block {owner window, version text}, freed when the check ends.
DWORD WINAPI UpdateCheckThread(void* parameter);

// The check itself. A download that fails or ends short shows the system's text of error 59 with Retry and
// Cancel (nothing when the system has no text for it); an answer past the limit, or one without a single
// product line (an error page, garbage), says that the site sent no product list; a list without the
// program's line, or whose line has no blank, shows nothing. The downloaded file is removed in every case.
void CheckForUpdates(HWND owner, const char* version);

// At the program's end: removes the files of the checks that have not finished.
void RemoveUnfinishedProductList();

// A line of a product list: two lower-case letters, the version (it begins with a digit), a blank, a name.
bool IsProductLine(const char* line);

// The message and the caption of the program's line of the list (it begins with "qk"): the display name and
// UI text 1003 when the listed version equals `version` ignoring case, else UI text 1001 and the listed
// version; the caption is the text after the first blank. False, with nothing to show, for a line without a
// blank.
bool ComposeUpdateMessage(const char* line, const char* version, wchar_t* message, int messageCapacity,
                          wchar_t* caption, int captionCapacity);
