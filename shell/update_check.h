// The update check (command 194): downloads the maker's product list "products.txt" into a temporary file,
// finds the program's line ("qk", the version, a blank, the product's name) and tells the user whether the
// version listed there differs, ignoring case, from the program's own; the temporary file is removed. It runs
// on a thread of its own, never joined, and shows its message boxes from there.
//
// The web site comes from the value "UpdateSite" of section "QVRX" when the profile has one (an address
// without the list's name), else the maker's address below.
#pragma once
#include <windows.h>
#include <urlmon.h>

constexpr char kUpdateSiteKey[] = "UpdateSite";
constexpr char kMakerWebSite[] = "https://tallowby.example";

// The bind-status callback of the download; it lives on the stack of the check and counts no references.
// AddRef, Release and OnProgress answer 0; QueryInterface clears its out pointer and answers E_NOINTERFACE;
// every other operation answers E_NOTIMPL.
class CCallback : public IBindStatusCallback {
 public:
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
};

// Command 194: starts UpdateCheckThread with the main window and the program's version.
void StartUpdateCheck(HWND window);

// The thread: its parameter is a heap block {owner window, version text}, freed when the check ends.
DWORD WINAPI UpdateCheckThread(void* parameter);

// The check itself. A download that fails shows the system's text of error 59 with Retry and Cancel (nothing
// when the system has no text for it); a list without the program's line, or whose line has no blank, shows
// nothing.
void CheckForUpdates(HWND owner, const char* version);

// The message and the caption of the program's line of the list (it begins with "qk"): the display name and
// UI text 1003 when the listed version equals `version` ignoring case, else UI text 1001 and the listed
// version; the caption is the text after the first blank. False, with nothing to show, for a line without a
// blank.
bool ComposeUpdateMessage(const char* line, const char* version, wchar_t* message, int messageCapacity,
                          wchar_t* caption, int captionCapacity);
