// The program's registrations under HKEY_CLASSES_ROOT: the verb of folders and drives and the settings-file
// type, written, left alone and removed; written by the companion when the system refuses them; and the
// registered command lines starting the real program on a folder, a drive and a settings file. Every test
// here writes the keys all test processes share, so each carries "Registration" in its name.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/files/system_errors.h"
#include "foundation/profile/companion_protocol.h"
#include "foundation/profile/program_registrations.h"
#include "foundation/profile/registry.h"
#include "foundation/profile/registry_helper.h"
#include "foundation/ui/resource_library.h"
#include "program_state_scope.h"
#include "profile_text.h"
#include "program_copy.h"
#include "program_fixture.h"
#include "shell/explorer_integration.h"
#include "support/process_driver.h"
#include "registry_refusals.h"
#include "system_seams_scope.h"
#include "ui_seams_scope.h"

namespace {

constexpr wchar_t kProgram[] = L"C:\\Program Files\\Q V\\QVRX.exe";
constexpr wchar_t kOtherProgram[] = L"C:\\Other\\QVRX.exe";
constexpr wchar_t kTestExtension[] = L"zqrtest";

// The default value of a key under the classes root; "(missing)" when the key has none.
std::wstring Stored(const std::wstring& key) {
  wchar_t text[1024];
  return ReadRegistryString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, text, 1024) == ERROR_SUCCESS ? text : L"(missing)";
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

void RemoveAllRegistrations() {
  for (const wchar_t* key : {L"Directory\\shell\\Quorvex", L"Drive\\shell\\Quorvex", L".zqr", L".zqrtest", L"QVRX"}) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
  }
}

int g_keyWrites = 0;
LSTATUS WINAPI CountedCreateKey(HKEY root, LPCWSTR subkey, DWORD reserved, LPWSTR className, DWORD options,
                                REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition) {
  ++g_keyWrites;
  return RegCreateKeyExW(root, subkey, reserved, className, options, access, security, key, disposition);
}

// The verb's command of the program at `program`; null: of this process's program file.
std::wstring VerbCommandOf(const wchar_t* program) {
  UiSeamsScope seams;
  if (program) seams.PretendProgramFile(program);
  wchar_t command[1024];
  BuildVerbCommand(command, 1024);
  return command;
}

class ExplorerRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveAllRegistrations();
    g_keyWrites = 0;
    g_systemSeams.regCreateKeyExW = CountedCreateKey;
  }
  void TearDown() override { RemoveAllRegistrations(); }

  SystemSeamsScope systemSeams_;
  UiSeamsScope uiSeams_;
};

struct VerbStep {
  const wchar_t* program;
  bool on;
  int writes;
  const wchar_t* stored;  // null: the verb's key is gone
};

TEST_F(ExplorerRegistration, AVerbIsWrittenWhenItDiffersAndRemovedOnlyWhenItIsTheProgramsOwn) {
  const VerbStep steps[] = {
      {kProgram, true, 1, kProgram},
      {kProgram, true, 0, kProgram},       // present and on: nothing written
      {kOtherProgram, false, 0, kProgram}, // off in another program: not its verb
      {kOtherProgram, true, 1, kOtherProgram},
      {kOtherProgram, false, 0, nullptr},
      {kProgram, false, 0, nullptr},
  };
  for (const VerbStep& step : steps) {
    const std::wstring command = VerbCommandOf(step.program);
    g_keyWrites = 0;
    EXPECT_EQ(SetExplorerVerb(command.c_str(), L"Directory", step.on), ERROR_SUCCESS);
    EXPECT_EQ(g_keyWrites, step.writes);
    if (step.stored) {
      EXPECT_EQ(Stored(L"Directory\\shell\\Quorvex\\command"), VerbCommandOf(step.stored));
    } else {
      EXPECT_FALSE(KeyExists(L"Directory\\shell\\Quorvex"));
    }
  }
  // The program path is quoted only when it needs it; a command that differs only in case is the same command.
  EXPECT_EQ(VerbCommandOf(kProgram), L"\"C:\\Program Files\\Q V\\QVRX.exe\" \"%1\"");
  EXPECT_EQ(VerbCommandOf(kOtherProgram), L"C:\\Other\\QVRX.exe \"%1\"");
  SetExplorerVerb(VerbCommandOf(kProgram).c_str(), L"Drive", true);
  g_keyWrites = 0;
  std::wstring upper = VerbCommandOf(kProgram);
  CharUpperW(upper.data());
  EXPECT_EQ(SetExplorerVerb(upper.c_str(), L"Drive", true), ERROR_SUCCESS);
  EXPECT_EQ(g_keyWrites, 0);
}

struct TypeStep {
  const wchar_t* program;
  bool on;
  bool keepClass;
  const wchar_t* extensionClass;  // what ".zqrtest" names afterwards
  bool classKept;
};

TEST_F(ExplorerRegistration, TheSettingsFileTypeIsRegisteredAndOnlyItsOwnerRemovesIt) {
  const TypeStep steps[] = {
      {kProgram, true, false, L"QVRX", true},
      {kOtherProgram, true, false, L"QVRX", true},   // registered already: left as it is
      {kOtherProgram, false, false, L"QVRX", true},  // not the other program's registration
      {kProgram, false, true, L"(missing)", true},
      {kProgram, true, false, L"QVRX", true},
      {kProgram, false, false, L"(missing)", false},
  };
  for (const TypeStep& step : steps) {
    uiSeams_.PretendProgramFile(step.program);
    RegisterSettingsFileType(kTestExtension, step.on, step.keepClass);
    EXPECT_EQ(Stored(L".zqrtest"), step.extensionClass);
    EXPECT_EQ(KeyExists(L"QVRX"), step.classKept);
    if (!step.classKept) continue;
    EXPECT_EQ(Stored(L"QVRX"), L"Quorvex");
    EXPECT_EQ(Stored(L"QVRX\\shell\\open\\command"), L"\"C:\\Program Files\\Q V\\QVRX.exe\" \"%1\"");
    EXPECT_EQ(Stored(L"QVRX\\DefaultIcon"), L"\"C:\\Program Files\\Q V\\QVRX.exe\",1");
  }
  // Another program's type for the extension stays, whatever the option says.
  ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, L".zqrtest", REG_SZ, L"OtherApp.Settings", 0), ERROR_SUCCESS);
  RegisterSettingsFileType(kTestExtension, false, false);
  RegisterSettingsFileType(kTestExtension, true, false);
  EXPECT_EQ(Stored(L".zqrtest"), L"OtherApp.Settings");
  EXPECT_FALSE(KeyExists(L"QVRX"));
}

int VersionWithoutCompanion() { return 8; }

bool Holds(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

TEST_F(ExplorerRegistration, RegistrationsThatCannotBeChangedAreToldInOneMessage) {
  ProgramStateScope state;
  state->uiStrings = LoadResourceLibrary()->languages[0].table;
  RefuseRegistryWrites();
  g_registryHelperSeams.windowsVersionCode = VersionWithoutCompanion;
  void* bothOn = reinterpret_cast<void*>(static_cast<uintptr_t>(kOptionSettingsFileType | kOptionExplorerVerbs));
  DialogWatcher watcher(GetCurrentProcessId(), IDOK);
  EXPECT_EQ(UpdateRegistrationsThread(bothOn), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  RestoreRegistryHelperSeams();
  EXPECT_EQ(watcher.Answered(), 1);
  const std::wstring text = watcher.LastText();
  wchar_t denied[256];
  ASSERT_GT(FormatSystemErrorText(ERROR_ACCESS_DENIED, denied, 256, true), 0);
  EXPECT_TRUE(Holds(text, L"HKEY_CLASSES_ROOT\\.zqr")) << std::string(text.begin(), text.end());
  EXPECT_TRUE(Holds(text, L"HKEY_CLASSES_ROOT\\Directory\\shell\\Quorvex"));
  EXPECT_TRUE(Holds(text, denied));
  // In line with the options: nothing to tell.
  RestoreSystemSeams();
  EXPECT_EQ(UpdateRegistrationsThread(bothOn), 0u) << Stored(L".zqr").c_str();
  EXPECT_EQ(watcher.Answered(), 1);
}

// The running program is the companion's sender; every write it makes is refused, so the companion makes it.
// The companion of the test before ends with the window it served, a little after that test; until then its window
// and its block, one of each in the session, are not this test's to use.
bool CompanionOfAnotherRunGone() {
  for (int i = 0; i < 1000; ++i) {
    HANDLE block = OpenFileMappingW(FILE_MAP_READ, FALSE, kCompanionName);
    if (block) CloseHandle(block);
    if (!block && !FindWindowA(kCompanionClassName, nullptr)) return true;
    Sleep(20);
  }
  return false;
}

class CompanionRegistration : public ProgramFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(CompanionOfAnotherRunGone()); }
};

// The shell's start of the companion returns once the user has consented to its rights.
HANDLE g_consentAsked = nullptr;
HANDLE g_consentGiven = nullptr;
BOOL WINAPI StartOnConsent(SHELLEXECUTEINFOW* info) {
  SetEvent(g_consentAsked);
  WaitForSingleObject(g_consentGiven, 60000);
  return ShellExecuteExW(info);
}

std::wstring WaitForStored(const std::wstring& key, bool present);

TEST_F(CompanionRegistration, TheWindowAnswersWhileTheCompanionWaitsForConsent) {
  RemoveAllRegistrations();
  SystemSeamsScope systemSeams;
  UiSeamsScope uiSeams;
  g_consentAsked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_consentGiven = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_uiSeams.shellExecuteExW = StartOnConsent;
  RefuseRegistryWrites();
  // The settings-file type is on.
  ASSERT_TRUE(Start({}, {}, "Opt=1056\r\n"));
  ASSERT_EQ(WaitForSingleObject(g_consentAsked, 10000), WAIT_OBJECT_0);
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);
  SetEvent(g_consentGiven);
  EXPECT_EQ(WaitForStored(L".zqr", true), L"QVRX");
  EXPECT_EQ(Close(), 0);
  CloseHandle(g_consentAsked);
  CloseHandle(g_consentGiven);
  RemoveAllRegistrations();
}

// Another program of the session makes a window of the program's class (here: a second copy of the program)
// and puts it into the block as the sender: the companion serves only the process that started it.
TEST_F(CompanionRegistration, TheCompanionRefusesAWindowOfAnotherProcess) {
  RemoveAllRegistrations();
  ASSERT_TRUE(Start({}, {}));
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  ProcessDriver driver;
  HWND other = copy.Start(&driver);
  ASSERT_NE(other, nullptr);
  SystemSeamsScope systemSeams;
  RefuseRegistryWrites();
  // The results tell: other test processes of this program, which start with the verbs off, remove theirs.
  const std::wstring command = VerbCommandOf(nullptr);
  EXPECT_EQ(SetExplorerVerb(command.c_str(), L"Directory", true), ERROR_SUCCESS);
  const HWND own = g_mainWindow;
  g_mainWindow = other;
  EXPECT_EQ(SetExplorerVerb(command.c_str(), L"Drive", true), ERROR_ACCESS_DENIED);
  g_mainWindow = own;
  EXPECT_FALSE(KeyExists(L"Drive\\shell\\Quorvex\\command"));
  EXPECT_EQ(ProgramCopy::Close(&driver, other), 0);
  EXPECT_EQ(Close(), 0);
  RemoveAllRegistrations();
}

// The companion writes the type with the command lines of the program that started it, and only with those. The
// results tell: other test processes of this program, which start with the type off, remove what is theirs.
TEST_F(CompanionRegistration, ARefusedSettingsFileTypeIsWrittenAndRemovedByTheCompanionForItsProgramOnly) {
  RemoveAllRegistrations();
  ASSERT_TRUE(Start({}, {}));
  SystemSeamsScope systemSeams;
  UiSeamsScope uiSeams;
  RefuseRegistryWrites();
  EXPECT_EQ(RegisterSettingsFileType(kSettingsFileExtension, true, false), ERROR_SUCCESS);
  EXPECT_NE(FindWindowA(kCompanionClassName, nullptr), nullptr);
  EXPECT_EQ(RegisterSettingsFileType(kSettingsFileExtension, false, false), ERROR_SUCCESS);
  // The same program, seeming to lie elsewhere, asks for command lines of another path: refused.
  uiSeams.PretendProgramFile(kProgram);
  EXPECT_EQ(RegisterSettingsFileType(kSettingsFileExtension, true, false), ERROR_ACCESS_DENIED);
  EXPECT_NE(Stored(L"QVRX\\shell\\open\\command"), L"\"C:\\Program Files\\Q V\\QVRX.exe\" \"%1\"");
  EXPECT_NE(Stored(L"QVRX\\DefaultIcon"), L"\"C:\\Program Files\\Q V\\QVRX.exe\",1");
  EXPECT_EQ(Close(), 0);
  RemoveAllRegistrations();
}

// The program and arguments of a registered command line, with %1 replaced.
struct CommandLine {
  std::wstring program;
  std::wstring arguments;
};

CommandLine Expand(std::wstring command, const std::wstring& argument) {
  command.replace(command.find(L"%1"), 2, argument);
  CommandLine line;
  const size_t end = command[0] == L'"' ? command.find(L'"', 1) + 1 : command.find(L' ');
  line.program = command.substr(command[0] == L'"' ? 1 : 0, command[0] == L'"' ? end - 2 : end);
  line.arguments = command.substr(end + 1);
  return line;
}

// Waits until the key's default value is there (or gone) and gives it.
std::wstring WaitForStored(const std::wstring& key, bool present) {
  for (int i = 0; i < 500; ++i) {
    const std::wstring value = Stored(key);
    if ((value != L"(missing)") == present) return value;
    Sleep(20);
  }
  return Stored(key);
}

// Starts the command and closes the program again once it shows: the window refuses to close while its
// first listing runs, so it is asked until it goes. The exit code.
long RunRegistered(const ProgramCopy& copy, const std::wstring& command, const std::wstring& argument) {
  const CommandLine line = Expand(command, argument);
  ProcessDriver driver;
  if (!driver.Start(line.program, line.arguments, copy.Folder().Path())) return -1;
  HWND window = driver.WaitForWindow(L"QVRX");
  for (int i = 0; window && i < 50; ++i) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    const long code = driver.WaitForExit(200);
    if (code != -1) return code;
  }
  driver.Kill();
  return -1;
}

std::string ProfileValue(const ProgramCopy& copy, const std::string& section, const std::string& key) {
  return ValueOf(SectionLines(ReadWholeFile(copy.ProfileFile()), section), key);
}

TEST(ProgramRegistration, RegisteredCommandsOpenFoldersDrivesAndSettingsFiles) {
  SKIP_WITH_PER_USER_PROFILE();
  RemoveAllRegistrations();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const std::wstring folder = copy.Folder().MakeFolder(L"photos");
  copy.Folder().WriteFile(L"photos\\a.txt", "a");
  std::string settings = "\xFF\xFE";
  for (wchar_t c : std::wstring(L"<Case,n,2>\r\n")) settings.append(reinterpret_cast<const char*>(&c), 2);
  const std::wstring settingsFile = copy.Folder().WriteFile(L"steps.zqr", settings);
  // Settings-file type (0x400) and verbs (0x10000) on.
  copy.Folder().WriteFile(L"QVRX.INI", "[QVRX]\r\nOpt=66592\r\nLanguage=US\r\n");
  {
    ProcessDriver driver;
    HWND window = copy.Start(&driver);
    ASSERT_NE(window, nullptr);
    const std::wstring driveVerb = WaitForStored(L"Drive\\shell\\Quorvex\\command", true);
    EXPECT_EQ(driveVerb, Stored(L"Directory\\shell\\Quorvex\\command"));
    EXPECT_EQ(Stored(L".zqr"), L"QVRX");
    ASSERT_EQ(ProgramCopy::Close(&driver, window), 0);
  }
  const std::wstring directoryVerb = Stored(L"Directory\\shell\\Quorvex\\command");
  ASSERT_NE(directoryVerb.find(copy.Program()), std::wstring::npos) << std::string(directoryVerb.begin(), directoryVerb.end());

  EXPECT_EQ(RunRegistered(copy, directoryVerb, folder), 0);
  EXPECT_EQ(ProfileValue(copy, "QVRX", "LastFolder"), Narrow(folder));
  EXPECT_EQ(RunRegistered(copy, Stored(L"Drive\\shell\\Quorvex\\command"), L"C:\\"), 0);
  EXPECT_EQ(ProfileValue(copy, "QVRX", "LastFolder"), "C:\\");
  EXPECT_EQ(RunRegistered(copy, Stored(L"QVRX\\shell\\open\\command"), settingsFile), 0);
  EXPECT_EQ(ProfileValue(copy, "QK", "R1"), "<Case,n,2>");

  // Both options off: the next start removes what this copy registered.
  copy.Folder().WriteFile(L"QVRX.INI", "[QVRX]\r\nOpt=32\r\nLanguage=US\r\n");
  {
    ProcessDriver driver;
    HWND window = copy.Start(&driver);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WaitForStored(L"Drive\\shell\\Quorvex\\command", false), L"(missing)");
    EXPECT_EQ(ProgramCopy::Close(&driver, window), 0);
  }
  for (const wchar_t* key : {L"Directory\\shell\\Quorvex", L"Drive\\shell\\Quorvex", L".zqr", L"QVRX"}) {
    EXPECT_FALSE(KeyExists(key)) << std::string(key, key + wcslen(key));
  }
  RemoveAllRegistrations();
}

}  // namespace
