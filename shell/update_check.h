// The update check (command IDM_CHECK_UPDATES): downloads the maker's product list "products.txt" into a temporary
// file, finds the program's line ("qk", the version, a blank, the product's name) and tells the user whether the
// version listed there differs, ignoring case, from the program's own; the temporary file is removed. It runs on a
// thread of its own, never joined, and shows its message boxes from there.
//
// The web site comes from the value "UpdateSite" of section "QVRX" when the profile has one (an address
// without the list's name), else the maker's address below.
//
// A product list is small: a download is stopped past kProductListLimit bytes, keeps no copy in the system's
// download cache, and an answer that is too large, cut short or holds no product line is said in a message.
#pragma once
#include <windows.h>
#include <urlmon.h>

#include "foundation/files/paths.h"

constexpr char kMakerWebSite[] = "https://tallowby.example";
constexpr ULONG kProductListLimit = 1u << 20;

// The bind-status callback of the download; it lives on the stack of the check and counts no references.
// AddRef, Release and OnProgress answer 0; QueryInterface clears its out pointer and answers E_NOINTERFACE;
// GetBindInfo asks for a fresh copy that is not kept in the download cache; every other operation answers
// E_NOTIMPL. OnProgress stops a download that grows past kProductListLimit and notes one that ends short of
// the length its server announced. Where the system reports no progress while the data arrives, the check's
// timer calls CheckCacheFile, which stops the binding once the file the data goes to grows past the limit.
class CCallback : public IBindStatusCallback {
 public:
  CCallback();
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

  // From any thread: stops the download when the file its data goes to holds more than the limit.
  void CheckCacheFile();
  bool TooLarge() const { return tooLarge_ != 0; }
  bool CutShort() const { return cutShort_; }

 private:
  void StopBinding();

  SRWLOCK lock_ = SRWLOCK_INIT;
  IBinding* binding_ = nullptr;
  wchar_t cacheFile_[kShortPathCapacity] = {};
  volatile LONG tooLarge_ = 0;
  volatile LONG aborted_ = 0;
  bool cutShort_ = false;
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

// At the program's end: removes the file of a check that has not finished.
void RemoveUnfinishedProductList();

// A line of a product list: two lower-case letters, the version (it begins with a digit), a blank, a name.
bool IsProductLine(const char* line);

// The message and the caption of the program's line of the list (it begins with "qk"): the display name and
// UI text 1003 when the listed version equals `version` ignoring case, else UI text 1001 and the listed
// version; the caption is the text after the first blank. False, with nothing to show, for a line without a
// blank.
bool ComposeUpdateMessage(const char* line, const char* version, wchar_t* message, int messageCapacity,
                          wchar_t* caption, int captionCapacity);
