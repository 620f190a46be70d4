// The update check against product lists served by a small HTTP server of the test on 127.0.0.1, whose
// address the profile value "UpdateSite" names: the program's version listed, another version listed, the
// server unreachable, and lists that show nothing.
#include "local_http_server.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <atomic>
#include <string>
#include <thread>

#include "foundation/files/system_folders.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/bounded_text.h"
#include "foundation/files/system_errors.h"
#include "foundation/ui/command_ids.h"
#include "program_fixture.h"
#include "program_state_scope.h"
#include "shell/main_window.h"
#include "shell/settings_values.h"
#include "shell/update_check.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

namespace {

const UiStringRecord kTexts[] = {
    {-1, L"US"}, {1001, L"A new version is available:"}, {1003, L"is up to date."}, {10101, L"No product list:"},
    {0, nullptr}};

std::wstring Trimmed(std::wstring text) {
  while (!text.empty() && iswspace(text.back())) text.pop_back();
  return text;
}

struct Shown {
  int boxes;
  std::wstring text;
  std::wstring caption;
};

class UpdateCheck : public ::testing::Test {
 protected:
  UpdateCheck() {
    state_.UseTexts(kTexts);
    ProfileStoreConstruct(&g_settingsStore, (temp_ / L"QVRX.INI").c_str(), kProfileMainStore | kProfileNoAutoLocation);
    SetTempFolderForRun(downloads_.Path().c_str());
  }
  ~UpdateCheck() override {
    SetTempFolderForRun(L"");
    ProfileStoreDestroy(&g_settingsStore);
  }

  // Runs the check against the site, answering each of its boxes with `button`.
  Shown Check(const std::wstring& site, int button) {
    ProfileSetString(&g_settingsStore, kMainSection, kUpdateSiteKey, std::string(site.begin(), site.end()).c_str());
    DialogWatcher watcher(GetCurrentProcessId(), button);
    CheckForUpdates(nullptr, "26.01");
    return {watcher.Answered(), watcher.LastText(), watcher.LastCaption()};
  }

  bool DownloadsFolderEmpty() const {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((downloads_ / L"*.txt").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return true;
    FindClose(search);
    return false;
  }

  TempFolder temp_;
  TempFolder downloads_;
  ProgramStateScope state_;
};

struct ListCase {
  const char* products;
  const wchar_t* text;  // null: no box
  const wchar_t* caption;
};

TEST_F(UpdateCheck, TellsWhetherTheListedVersionDiffersAndIsSilentWithoutTheProgramsLine) {
  const ListCase cases[] = {
      {"qa1.0 Other\r\nqk26.01 Quorvex\r\n", L"Quorvex is up to date.", L"Quorvex"},
      {"qk26.02 Quorvex 2026\n", L"A new version is available: 26.02", L"Quorvex 2026"},
      {"qa1.0 Other\r\n", nullptr, nullptr},
      {"qk26.02\r\nqk27.00 Quorvex\r\n", nullptr, nullptr},
  };
  for (const ListCase& c : cases) {
    LocalHttpServer server(c.products);
    ASSERT_FALSE(server.Address().empty());
    const Shown shown = Check(server.Address(), IDOK);
    EXPECT_EQ(server.Requests(), 1) << c.products;
    EXPECT_EQ(shown.boxes, c.text ? 1 : 0) << c.products;
    if (c.text) {
      EXPECT_EQ(shown.text, c.text);
      EXPECT_EQ(shown.caption, c.caption);
    }
    EXPECT_TRUE(DownloadsFolderEmpty()) << "the downloaded list stays behind";
  }
}

TEST_F(UpdateCheck, AnUnreachableServerOffersRetryAndCancelEndsTheCheck) {
  wchar_t expected[512];
  ASSERT_GT(FormatSystemErrorText(ERROR_UNEXP_NET_ERR, expected, 512, true), 0);
  const Shown shown = Check(UnreachableAddress(), IDCANCEL);
  EXPECT_EQ(shown.boxes, 1);
  EXPECT_EQ(shown.text, expected) << "the system's text without its line break";
  EXPECT_EQ(shown.caption, kProgramTitle);
  EXPECT_TRUE(DownloadsFolderEmpty());
}

TEST_F(UpdateCheck, TheProgramsEndRemovesTheFileOfEveryCheckUnderWay) {
  LocalHttpServer answered("qk26.02 Quorvex 2026\r\n");
  LocalHttpServer silent("qa1.0 Other\r\n");
  const auto useSite = [](const std::wstring& site) {
    ProfileSetString(&g_settingsStore, kMainSection, kUpdateSiteKey, std::string(site.begin(), site.end()).c_str());
  };
  useSite(answered.Address());
  // This check keeps its file while its box waits for an answer.
  std::atomic<DWORD> waitingThread{0};
  std::thread waiting([&] {
    waitingThread = GetCurrentThreadId();
    CheckForUpdates(nullptr, "26.01");
  });
  HWND box = nullptr;
  for (ULONGLONG end = GetTickCount64() + 30000; !box && GetTickCount64() < end; Sleep(1)) {
    // Thread 0 would stand for every thread of the display, whose boxes other test processes show.
    if (waitingThread == 0) continue;
    EnumThreadWindows(waitingThread, [](HWND window, LPARAM found) {
      wchar_t name[16] = L"";
      GetClassNameW(window, name, 16);
      if (wcscmp(name, L"#32770") != 0) return TRUE;
      *reinterpret_cast<HWND*>(found) = window;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&box));
  }
  EXPECT_NE(box, nullptr);
  if (box) {
    useSite(silent.Address());
    CheckForUpdates(nullptr, "26.01");
    RemoveUnfinishedProductList();
    EXPECT_TRUE(DownloadsFolderEmpty()) << "the waiting check's file stays behind";
  }
  DialogWatcher answer(GetCurrentProcessId(), IDOK);
  waiting.join();
}

bool InDownloadCache(const std::wstring& site) {
  DWORD size = 0;
  return GetUrlCacheEntryInfoW((site + L"/products.txt").c_str(), nullptr, &size) ||
         GetLastError() != ERROR_FILE_NOT_FOUND;
}

// The bytes of the files under the folder (and its subfolders) whose names begin with "products".
long long ProductFileBytes(const std::wstring& folder) {
  long long bytes = 0;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring name = data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (name != L"." && name != L"..") bytes += ProductFileBytes(folder + L"\\" + name);
    } else if (name.rfind(L"products", 0) == 0) {
      bytes += (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return bytes;
}

std::wstring DownloadCacheFolder() {
  wchar_t folder[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, 0, folder);
  return folder;
}

struct ReplyCase {
  const char* what;
  HttpReply reply;
  int button;
  bool noProductList;  // else the Retry box of a failed download
};

TEST_F(UpdateCheck, AnAnswerThatIsNoProductListIsSaidBoundedAndLeavesNothingBehind) {
  std::string lines;
  for (int i = 0; i < 1000; ++i) lines += "qa1.0 Other\r\n";
  wchar_t failed[512];
  ASSERT_GT(FormatSystemErrorText(ERROR_UNEXP_NET_ERR, failed, 512, true), 0);
  const ReplyCase cases[] = {
      {"error page", {"404 Not Found", "<html><body>qk26.01 Quorvex</body></html>"}, IDOK, true},
      {"garbage", {"500 Internal Server Error", std::string("\x01\x02qk\0\xff\xfe", 7)}, IDOK, true},
      {"past the limit", {"200 OK", lines, 240}, IDOK, true},
      {"endless", {"200 OK", lines, 0}, IDOK, true},
      {"endless at the loopback's pace", {"200 OK", lines, 0, -1, true}, IDOK, true},
      {"cut short", {"200 OK", "qk26.01 Quorvex\r\n", 1, 1000}, IDCANCEL, false},
  };
  const std::wstring cache = DownloadCacheFolder();
  ASSERT_FALSE(cache.empty());
  for (const ReplyCase& c : cases) {
    LocalHttpServer server(c.reply);
    ASSERT_FALSE(server.Address().empty());
    const long long cachedBefore = ProductFileBytes(cache);
    const Shown shown = Check(server.Address(), c.button);
    EXPECT_EQ(shown.boxes, 1) << c.what;
    if (c.noProductList) {
      EXPECT_EQ(shown.text.rfind(L"No product list:", 0), 0u) << c.what;
      EXPECT_NE(shown.text.find(server.Address()), std::wstring::npos) << c.what;
    } else {
      EXPECT_EQ(shown.text, failed) << c.what;
    }
    EXPECT_LT(server.BytesSent(), kProductListLimit + (8ll << 20)) << c.what << ": stopped within a few MB";
    EXPECT_TRUE(DownloadsFolderEmpty()) << c.what;
    EXPECT_FALSE(InDownloadCache(server.Address())) << c.what;
    EXPECT_LE(ProductFileBytes(cache), cachedBefore) << c.what << ": a cached copy stays";
  }
}

TEST(ProductList, ALineIsTwoLettersAVersionABlankAndAName) {
  const struct {
    const char* line;
    bool productLine;
  } cases[] = {{"qk26.01 Quorvex", true}, {"qa1.0 Other", true}, {"qk26.01", false}, {"<html>", false},
               {"QK26.01 Quorvex", false}, {"qkx Quorvex", false}, {"", false}};
  for (const auto& c : cases) EXPECT_EQ(IsProductLine(c.line), c.productLine) << c.line;
}

struct LineCase {
  const char* line;
  bool shown;
  const wchar_t* message;
  const wchar_t* caption;
};

TEST(UpdateMessage, ComparesTheListedVersionIgnoringCase) {
  ProgramStateScope state;
  state.UseTexts(kTexts);
  const LineCase cases[] = {
      {"qk26.01b Quorvex", true, L"Quorvex is up to date.", L"Quorvex"},
      {"qk26.01B Quorvex and more", true, L"Quorvex is up to date.", L"Quorvex and more"},
      {"qk26.01 Quorvex", true, L"A new version is available: 26.01", L"Quorvex"},
      {"qk26.02 ", true, L"A new version is available: 26.02", L""},
      {"qk26.01B", false, nullptr, nullptr},
  };
  for (const LineCase& c : cases) {
    wchar_t message[256] = L"?";
    wchar_t caption[65] = L"?";
    EXPECT_EQ(ComposeUpdateMessage(c.line, "26.01B", message, 256, caption, 65), c.shown) << c.line;
    if (!c.shown) continue;
    EXPECT_STREQ(message, c.message) << c.line;
    EXPECT_STREQ(caption, c.caption) << c.line;
  }
}

TEST(DownloadCallback, OffersNoInterfacesAndClearsTheAnswer) {
  CCallback callback;
  void* object = &callback;
  EXPECT_EQ(callback.QueryInterface(IID_IBindStatusCallback, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(callback.QueryInterface(IID_IUnknown, nullptr), E_NOINTERFACE);
}

class UpdateCheckCommand : public ProgramFixture {};

TEST_F(UpdateCheckCommand, AsksTheSiteOfTheProfileAndAnswersFromItsOwnThread) {
  LocalHttpServer server("qk26.01 Quorvex\r\n");
  const std::wstring site = server.Address();
  ASSERT_TRUE(Start({L"a.txt"}, {}, "UpdateSite=" + std::string(site.begin(), site.end()) + "\r\n"));
  EXPECT_FALSE(Disabled(IDM_CHECK_UPDATES));
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  PostMessageW(window_, WM_COMMAND, IDM_CHECK_UPDATES, 0);
  for (int i = 0; i < 500 && boxes.Answered() == 0; ++i) Sleep(20);
  EXPECT_EQ(server.Requests(), 1);
  EXPECT_EQ(boxes.Answered(), 1);
  EXPECT_EQ(boxes.LastCaption(), L"Quorvex");
  wchar_t upToDate[128] = {};
  Gui([&] { GetUiText(1003, upToDate, 128); });
  EXPECT_EQ(Trimmed(boxes.LastText()), L"Quorvex " + std::wstring(upToDate));
  EXPECT_EQ(boxes.LastOwner(), window_);
  EXPECT_EQ(Close(), 0);
}

}  // namespace
