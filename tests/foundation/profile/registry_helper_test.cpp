// Registry writes the system refuses, handed to the companion XAVO.exe built beside the test program. Wine's
// registry never refuses a write, so the tests force error 5 through the system-call table; the companion,
// a process of its own, then makes the real write. The test program is the companion's parent, so the
// registrations it may have written are those of the test program's path. The tests that write the program's
// registrations carry "Registration" in their names: ctest runs them one at a time.
#include "foundation/profile/registry_helper.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "foundation/core/app_state.h"
#include "foundation/profile/companion_protocol.h"
#include "foundation/profile/program_registrations.h"
#include "foundation/profile/registry.h"
#include "foundation/providers/providers.h"
#include "registry_refusals.h"
#include "system_seams_scope.h"
#include "ui_seams_scope.h"

namespace {

constexpr wchar_t kVerbKey[] = L"Directory\\shell\\Quorvex";
constexpr wchar_t kCommandKey[] = L"Directory\\shell\\Quorvex\\command";
constexpr wchar_t kOpenCommandKey[] = L"QVRX\\shell\\open\\command";
constexpr wchar_t kForeignCommand[] = L"\"C:\\Users\\Public\\evil.exe\" \"%1\"";

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// The verb's command line the program at `path` writes.
std::wstring VerbCommandOf(const std::wstring& path) {
  wchar_t command[kPathCapacity];
  FormatVerbCommand(path.c_str(), command, kPathCapacity);
  return command;
}

int g_windowSearches = 0;
HWND WINAPI CountedFindWindowA(LPCSTR className, LPCSTR title) {
  ++g_windowSearches;
  return FindWindowA(className, title);
}

int g_versionCode = 22;
int InjectedVersionCode() { return g_versionCode; }

HWND CreatePlainWindow(const wchar_t* className) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, className, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

bool NoCompanionWindow() {
  for (int i = 0; i < 100; ++i) {
    if (!FindWindowA(kCompanionClassName, nullptr)) return true;
    Sleep(50);
  }
  return false;
}

std::wstring Stored(const wchar_t* subkey, const wchar_t* name, LSTATUS* status = nullptr) {
  wchar_t text[kCompanionTextCapacity];
  const LSTATUS result = ReadRegistryString(HKEY_CLASSES_ROOT, subkey, name, text, kCompanionTextCapacity);
  if (status) *status = result;
  return result == ERROR_SUCCESS ? std::wstring(text) : L"(missing)";
}

// The test process plays the program: its main window is of the program's class, the only sender the
// companion serves. The companion ends when that window goes.
class CompanionRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(NoCompanionWindow()) << "a companion of another test still runs";
    InitFileSystemProviders();
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kVerbKey);
    g_windowSearches = 0;
    g_versionCode = 22;
    g_registryHelperSeams.findWindowA = CountedFindWindowA;
    g_registryHelperSeams.windowsVersionCode = InjectedVersionCode;
    g_mainWindow = CreatePlainWindow(kCompanionCallerClass);
  }
  void TearDown() override {
    DestroyWindow(g_mainWindow);
    g_mainWindow = nullptr;
    ReleaseHelperConnection();
    RestoreRegistryHelperSeams();
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kVerbKey);
    ShutdownProviders();
  }

  // The block as the program left it, seen through a mapping of the test's own.
  static char BlockState(std::wstring* first = nullptr) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, kCompanionName);
    if (!mapping) return '?';
    const auto* block = static_cast<const CompanionBlock*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    const char state = block ? block->state : '?';
    if (block && first) *first = block->first;
    if (block) UnmapViewOfFile(block);
    CloseHandle(mapping);
    return state;
  }

  SystemSeamsScope systemSeams_;
  UiSeamsScope uiSeams_;
};

TEST_F(CompanionRegistration, RefusedWritesOfTheProgramsRegistrationsAreCarriedOutByTheCompanion) {
  RefuseRegistryWrites();
  const std::wstring command = VerbCommandOf(OwnPath());
  ASSERT_EQ(RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, kCommandKey, command.c_str()), ERROR_SUCCESS);
  EXPECT_EQ(Stored(kCommandKey, nullptr), command);
  EXPECT_NE(FindWindowA(kCompanionClassName, nullptr), nullptr);
  std::wstring first;
  EXPECT_EQ(BlockState(&first), kCompanionIdle);
  EXPECT_EQ(first, L"0 Directory\\shell\\Quorvex\\command");
  // Found once it started; from then on it comes from the cache.
  const int searches = g_windowSearches;
  wchar_t answer[kCompanionTextCapacity] = L"?";
  EXPECT_EQ(SendHelperCommand(kCompanionQuery, L"0 Directory\\shell\\Quorvex\\command", L"", answer), 0);
  EXPECT_EQ(answer, command);
  ASSERT_EQ(RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, kCommandKey), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, kVerbKey), ERROR_SUCCESS);
  LSTATUS status = 0;
  Stored(kVerbKey, nullptr, &status);
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(g_windowSearches, searches);
}

// Any process of the user may write the block: it names the program's window and asks for a command line of
// its own. The companion refuses, and writes nothing.
TEST_F(CompanionRegistration, AForgedBlockIsRefusedAndNothingIsWritten) {
  RefuseRegistryWrites();
  ASSERT_EQ(RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, kCommandKey, VerbCommandOf(OwnPath()).c_str()), ERROR_SUCCESS);
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kCompanionName);
  ASSERT_NE(mapping, nullptr);
  auto* block = static_cast<CompanionBlock*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(CompanionBlock)));
  ASSERT_NE(block, nullptr);
  WriteCompanionState(block, kCompanionFilling);
  wcscpy(block->first, L"0 QVRX\\shell\\open\\command");
  wcscpy(block->second, kForeignCommand);
  block->mainWindow = reinterpret_cast<uintptr_t>(g_mainWindow);
  WriteCompanionState(block, kCompanionCreateKey);
  for (int i = 0; i < 500 && ReadCompanionState(block) != kCompanionIdle; ++i) Sleep(20);
  EXPECT_EQ(ReadCompanionState(block), kCompanionIdle);
  EXPECT_EQ(block->result, ERROR_ACCESS_DENIED);
  UnmapViewOfFile(block);
  CloseHandle(mapping);
  // Other test processes of the program may register their own type meanwhile: the foreign text is what must not
  // be there.
  EXPECT_NE(Stored(kOpenCommandKey, nullptr), kForeignCommand);
  // Nor through the program's own sending: another program's path, a key outside the set, a named value.
  const std::wstring other = VerbCommandOf(L"C:\\Other\\QVRX.exe");
  EXPECT_EQ(SendHelperCommand(kCompanionCreateKey, L"0 Drive\\shell\\Quorvex\\command", other.c_str(), nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(SendHelperCommand(kCompanionCreateKey, L"0 exefile\\shell\\open\\command", L"x", nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(SendHelperCommand(kCompanionSetText, L"0 Directory\\shell\\Quorvex\\v", L"t", nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_NE(Stored(L"Drive\\shell\\Quorvex\\command", nullptr), other);
  EXPECT_EQ(Stored(kVerbKey, L"v"), L"(missing)");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Drive\\shell\\Quorvex");
}

struct DirectCase {
  const char* what;
  bool refused;
  int versionCode;
  const wchar_t* valueName;
  LSTATUS expected;
};

// None of these may even look for the companion.
TEST_F(CompanionRegistration, WritesTheCompanionMustNotSee) {
  const DirectCase cases[] = {
      {"a write that succeeds directly", false, 22, L"v", ERROR_SUCCESS},
      {"a refused write of the default value", true, 22, nullptr, ERROR_ACCESS_DENIED},
      {"a refused write on a system before the Server 2003 family", true, 8, L"v", ERROR_ACCESS_DENIED},
  };
  for (const DirectCase& c : cases) {
    RestoreSystemSeams();
    if (c.refused) RefuseRegistryWrites();
    g_versionCode = c.versionCode;
    g_windowSearches = 0;
    EXPECT_EQ(RegSetValueWithHelper(HKEY_CLASSES_ROOT, kVerbKey, c.valueName, L"t"), c.expected) << c.what;
    EXPECT_EQ(g_windowSearches, 0) << c.what;
  }
  EXPECT_EQ(Stored(kVerbKey, L"v"), L"t");
  // Nor does a refused write whose text would not fit in the block: it is refused, not cut.
  g_versionCode = 22;
  const std::wstring longKey = L"0 QVRX\\" + std::wstring(kCompanionTextCapacity, L'k');
  EXPECT_EQ(SendHelperCommand(kCompanionSetText, L"0 QVRX\\v", longKey.c_str(), nullptr), ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, longKey.c_str() + 2, L"x"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(g_windowSearches, 0);
  EXPECT_EQ(FindWindowA(kCompanionClassName, nullptr), nullptr);
}

// A companion that owns its window but never serves the block: started through the shell's call, which the
// test replaces with a window on a thread of its own.
HWND g_silentCompanion = nullptr;
BOOL WINAPI StartSilentCompanion(SHELLEXECUTEINFOW*) {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread([ready] {
    g_silentCompanion = CreatePlainWindow(kCompanionName);
    SetEvent(ready);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  }).detach();
  WaitForSingleObject(ready, 5000);
  CloseHandle(ready);
  return TRUE;
}

// The program restarts its main window (a display-mode change, a reset, an import): the companion ends with
// the window it served, and the next refused write needs a new one.
TEST_F(CompanionRegistration, ACompanionThatEndedWithTheWindowItServedIsStartedAgain) {
  RefuseRegistryWrites();
  const std::wstring command = VerbCommandOf(OwnPath());
  ASSERT_EQ(RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, kCommandKey, command.c_str()), ERROR_SUCCESS);
  DestroyWindow(g_mainWindow);
  g_mainWindow = CreatePlainWindow(kCompanionCallerClass);
  ASSERT_TRUE(NoCompanionWindow());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kVerbKey);
  EXPECT_EQ(RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, kCommandKey, command.c_str()), ERROR_SUCCESS);
  EXPECT_EQ(Stored(kCommandKey, nullptr), command);
}

// The user consents to the companion's rights only after the shell's call has returned, and later than the
// 10 s that a companion's window is otherwise given. The pauses of the wait pass in counted time until then.
SHELLEXECUTEINFOW g_pendingStart = {};
wchar_t g_pendingPath[MAX_PATH];
DWORD g_countedMs = 0;
constexpr DWORD kConsentAfterMs = 30000;

BOOL WINAPI StartAwaitingConsent(SHELLEXECUTEINFOW* info) {
  g_pendingStart = *info;
  wcscpy(g_pendingPath, info->lpFile);
  g_pendingStart.lpFile = g_pendingPath;
  g_pendingStart.lpDirectory = nullptr;
  g_pendingStart.fMask = SEE_MASK_NOASYNC;
  info->hProcess = nullptr;
  return TRUE;
}

void WINAPI PauseUntilConsent(DWORD milliseconds) {
  if (g_countedMs >= kConsentAfterMs) return Sleep(milliseconds);
  g_countedMs += milliseconds;
  if (g_countedMs >= kConsentAfterMs) ShellExecuteExW(&g_pendingStart);
}

TEST_F(CompanionRegistration, AConsentSlowerThanTenSecondsStillLetsTheWriteThrough) {
  g_countedMs = 0;
  g_uiSeams.shellExecuteExW = StartAwaitingConsent;
  g_registryHelperSeams.sleep = PauseUntilConsent;
  RefuseRegistryWrites();
  const std::wstring command = VerbCommandOf(OwnPath());
  EXPECT_EQ(RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, kCommandKey, command.c_str()), ERROR_SUCCESS);
  EXPECT_GE(g_countedMs, kConsentAfterMs);
  EXPECT_EQ(Stored(kCommandKey, nullptr), command);
}

TEST_F(CompanionRegistration, CompanionThatNeverAnswersGivesTheFirstErrorAndAnIdleBlock) {
  g_uiSeams.shellExecuteExW = StartSilentCompanion;
  RefuseRegistryWrites();
  EXPECT_EQ(RegSetValueWithHelper(HKEY_CLASSES_ROOT, kVerbKey, L"v", L"t"), ERROR_ACCESS_DENIED);
  std::wstring first;
  EXPECT_EQ(BlockState(&first), kCompanionIdle);
  EXPECT_EQ(first, L"0 Directory\\shell\\Quorvex\\v");
  EXPECT_EQ(Stored(kVerbKey, L"v"), L"(missing)");
  const DWORD thread = GetWindowThreadProcessId(g_silentCompanion, nullptr);
  SendMessageW(g_silentCompanion, WM_CLOSE, 0, 0);
  PostThreadMessageW(thread, WM_QUIT, 0, 0);
}

struct KeyTextCase {
  HKEY root;
  const wchar_t* subkey;
  const wchar_t* valueName;
  int expected;
  const wchar_t* text;
};

TEST(CompanionProtocol, KeyTextsNameTheRootByNumber) {
  const std::wstring tooLong(kCompanionTextCapacity - 3, L'k');
  const KeyTextCase cases[] = {
      {HKEY_CLASSES_ROOT, L"Directory\\shell\\x", L"v", 0, L"0 Directory\\shell\\x\\v"},
      {HKEY_CURRENT_USER, L"a\\", L"v", 0, L"1 a\\v"},
      {HKEY_LOCAL_MACHINE, L"k", nullptr, 0, L"2 k"},
      {HKEY_USERS, L"k", L"", 0, L"3 k\\"},
      {HKEY_CURRENT_CONFIG, L"k", nullptr, ERROR_INVALID_PARAMETER, L""},
      {HKEY_CLASSES_ROOT, tooLong.c_str(), nullptr, 0, nullptr},
      {HKEY_CLASSES_ROOT, tooLong.c_str(), L"v", ERROR_FILENAME_EXCED_RANGE, L""},
  };
  for (const KeyTextCase& c : cases) {
    wchar_t text[kCompanionTextCapacity];
    EXPECT_EQ(FormatCompanionKeyText(c.root, c.subkey, c.valueName, text), c.expected) << c.subkey;
    if (c.text) {
      EXPECT_STREQ(text, c.text);
    }
  }
}

struct CommandCase {
  const char* what;
  bool fromProgramWindow;  // a window of the program's class in the process the companion serves
  char command;
  const wchar_t* first;
  const wchar_t* second;
  int32_t expected;
};

constexpr wchar_t kServed[] = L"C:\\Program Files\\Q V\\QVRX.exe";
constexpr wchar_t kServedOpenCommand[] = L"\"C:\\Program Files\\Q V\\QVRX.exe\" \"%1\"";
constexpr wchar_t kForeignIcon[] = L"\"C:\\Other\\QVRX.exe\",1";

// What the companion does with a block, without the companion's process, for the program at kServed.
TEST(CompanionProtocolRegistration, OnlyTheProgramsOwnRegistrationsAreWrittenOrRemoved) {
  HWND program = CreatePlainWindow(kCompanionCallerClass);
  HWND other = CreatePlainWindow(L"QvrxTestOther");
  for (const wchar_t* key : {kVerbKey, L"QVRX", L".zqr"}) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
  ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, L".zqr", REG_SZ, L"OtherApp.Settings", 0), ERROR_SUCCESS);
  const CommandCase cases[] = {
      {"another window", false, kCompanionCreateKey, L"0 QVRX\\shell\\open\\command", kServedOpenCommand, 5},
      {"a foreign command line", true, kCompanionCreateKey, L"0 QVRX\\shell\\open\\command", kForeignCommand, 5},
      {"a foreign path", true, kCompanionCreateKey, L"0 QVRX\\DefaultIcon", kForeignIcon, 5},
      {"a key outside the set", true, kCompanionCreateKey, L"0 exefile\\shell\\open\\command", kServedOpenCommand, 5},
      {"a key below one of the set", true, kCompanionCreateKey, L"0 QVRX\\shell\\open\\command\\x",
       kServedOpenCommand, 5},
      {"the set under another root", true, kCompanionCreateKey, L"1 Software\\Classes\\QVRX\\shell\\open\\command",
       kServedOpenCommand, 5},
      {"a value on a key that has none", true, kCompanionCreateKey, L"0 Directory\\shell\\Quorvex", L"", 5},
      {"a named value", true, kCompanionSetText, L"0 QVRX\\shell\\open\\command\\v", L"t", 5},
      {"another program's type", true, kCompanionDeleteValue, L"0 .zqr", L"", 5},
      {"another program's type", true, kCompanionDeleteKey, L"0 .zqr", L"", 5},
      {"a text that does not parse", true, kCompanionCreateKey, L"9 QVRX", L"", ERROR_INVALID_PARAMETER},
      {"an unknown command", true, 'x', L"0 QVRX", L"", ERROR_INVALID_FUNCTION},
      {"the open command in other letters", true, kCompanionCreateKey, L"0 qvrx\\SHELL\\open\\command",
       L"\"c:\\program files\\q v\\qvrx.exe\" \"%1\"", 0},
      {"a query", true, kCompanionQuery, L"0 QVRX\\shell\\open\\command", L"", 0},
      {"the program's own command", true, kCompanionDeleteKey, L"0 QVRX\\shell\\open\\command", L"", 0},
  };
  for (const CommandCase& c : cases) {
    CompanionBlock block = {};
    block.state = c.command;
    block.mainWindow = reinterpret_cast<uintptr_t>(c.fromProgramWindow ? program : other);
    wcscpy(block.first, c.first);
    wcscpy(block.second, c.second);
    EXPECT_EQ(CarryOutCompanionCommand(&block, GetCurrentProcessId(), kServed), c.expected) << c.what;
    if (c.command == kCompanionQuery) {
      EXPECT_STREQ(block.second, kServedOpenCommand) << "the program's own text";
    }
  }
  // Nothing foreign was written (other test processes of the program may write their own type meanwhile).
  EXPECT_EQ(Stored(L".zqr", nullptr), L"OtherApp.Settings");
  EXPECT_NE(Stored(L"QVRX\\DefaultIcon", nullptr), kForeignIcon);
  EXPECT_NE(Stored(kOpenCommandKey, nullptr), kForeignCommand);
  EXPECT_EQ(Stored(L"exefile\\shell\\open\\command\\x", nullptr), L"(missing)");
  for (const wchar_t* key : {kVerbKey, L"QVRX", L".zqr"}) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
  DestroyWindow(program);
  DestroyWindow(other);
}

}  // namespace
