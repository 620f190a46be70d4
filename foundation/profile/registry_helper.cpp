#include "foundation/profile/registry_helper.h"

#include <shellapi.h>

#include <cstdint>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/threads.h"
#include "foundation/core/windows_version.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/profile/companion_protocol.h"
#include "foundation/profile/registry.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_seams.h"

namespace {

// The companion runs elevated only from the Server 2003 family on; older systems have no use for it.
constexpr int kFirstVersionWithHelper = 9;
constexpr int kPollCount = 100;
constexpr DWORD kPollMs = 100;
// The companion's window shows only once the user has consented to its rights, which may take a while; only the
// registration's own thread waits for it, so it is given minutes.
constexpr int kStartPollCount = 1200;
const HWND kStartFailed = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

struct HelperConnection {
  HWND window;  // cached; kStartFailed after a start that failed or showed no window
  CompanionBlock* block;
  HANDLE mapping;
};

HelperConnection g_helper = {};
SRWLOCK g_sendLock = SRWLOCK_INIT;

RegistryHelperSeams RealHelperCalls() { return {GetWindowsVersionCodeCached, ::FindWindowA, ::Sleep}; }

// An access list that lets only the user open the block: any process of the session could otherwise hand
// registry commands to an elevated program.
struct UserOnlySecurity {
  SECURITY_ATTRIBUTES attributes;
  SECURITY_DESCRIPTOR descriptor;
  alignas(8) uint8_t acl[128];
  alignas(8) uint8_t user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};

bool ReadUserSid(uint8_t* buffer, DWORD size) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD used = 0;
  const bool read = GetTokenInformation(token, TokenUser, buffer, size, &used) != FALSE;
  CloseHandle(token);
  return read;
}

bool BuildUserOnlySecurity(UserOnlySecurity* security) {
  if (!ReadUserSid(security->user, sizeof security->user)) return false;
  PSID user = reinterpret_cast<TOKEN_USER*>(security->user)->User.Sid;
  PACL acl = reinterpret_cast<PACL>(security->acl);
  if (!InitializeAcl(acl, sizeof security->acl, ACL_REVISION) ||
      !AddAccessAllowedAce(acl, ACL_REVISION, SECTION_ALL_ACCESS, user) ||
      !InitializeSecurityDescriptor(&security->descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&security->descriptor, TRUE, acl, FALSE)) {
    return false;
  }
  security->attributes = {sizeof(SECURITY_ATTRIBUTES), &security->descriptor, FALSE};
  return true;
}

void UnmapBlock() {
  void* view = g_helper.block;
  CloseMappedFileView(&view, &g_helper.mapping);
  g_helper.block = nullptr;
}

// The block is made before the companion starts, so that the companion finds it when it looks. A block of
// that name made by someone else is not used: its access list is not ours.
bool MapBlock() {
  if (g_helper.block) return true;
  UserOnlySecurity security;
  if (!BuildUserOnlySecurity(&security)) return false;
  void* view = nullptr;
  HANDLE mapping = nullptr;
  const int made = CreateNamedSharedMemory(&view, &mapping, sizeof(CompanionBlock), kCompanionName, &security.attributes);
  if (made == 1) CloseMappedFileView(&view, &mapping);
  if (made != 0) return false;
  g_helper.block = static_cast<CompanionBlock*>(view);
  g_helper.mapping = mapping;
  return true;
}

bool HelperPath(wchar_t (&path)[kPathCapacity]) {
  if (GetProgramFolder(path, kPathCapacity) == 0) return false;
  int cut = AddTrailingBackslash(path, kPathCapacity);
  cut |= AppendWideBounded(kCompanionName, path, kPathCapacity);
  cut |= AppendWideBounded(L".exe", path, kPathCapacity);
  return cut == 0;
}

HWND FindHelperWindow() { return g_registryHelperSeams.findWindowA(kCompanionClassName, nullptr); }

void Pause() { g_registryHelperSeams.sleep(kPollMs); }

bool HasEnded(HANDLE process) { return process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

// Until the window shows, the companion's process ends without one, or the minutes run out.
HWND WaitForHelperWindow(HANDLE process) {
  for (int i = 0; i < kStartPollCount; ++i) {
    if (HWND window = FindHelperWindow()) return window;
    if (HasEnded(process)) return FindHelperWindow();
    Pause();
  }
  return nullptr;
}

// A start that fails or shows no window is not tried again: the user would be asked for the rights each time.
HWND StartHelper() {
  wchar_t path[kPathCapacity];
  if (!HelperPath(path) || !PathExists(path)) return nullptr;
  g_helper.window = kStartFailed;
  if (!MapBlock()) return nullptr;
  // A companion that ended in the middle of a command may have left the block busy.
  WriteCompanionState(g_helper.block, kCompanionIdle);
  HANDLE process = nullptr;
  if (!StartHelperProgram(path, &process)) return nullptr;
  const HWND window = WaitForHelperWindow(process);
  CloseHandleSafe(process);
  if (window) g_helper.window = window;
  return window;
}

enum class Waited { kIdle, kCompanionGone, kTimedOut };

// The companion sets the state byte back to 0; one that ended (with the main window it served) never will.
Waited WaitUntilIdle(const CompanionBlock* block, HWND companion) {
  for (int i = 0; i < kPollCount; ++i) {
    if (ReadCompanionState(block) == kCompanionIdle) return Waited::kIdle;
    if (!IsWindow(companion)) return Waited::kCompanionGone;
    Pause();
  }
  return ReadCompanionState(block) == kCompanionIdle ? Waited::kIdle : Waited::kTimedOut;
}

void TakeAnswer(const CompanionBlock* block, wchar_t* answer) {
  for (int i = 0; i < kCompanionTextCapacity; ++i) answer[i] = block->second[i];
  answer[kCompanionTextCapacity - 1] = 0;
}

// One command to the companion there is; kCompanionGone when it ended before it answered.
Waited SendOnce(char command, const wchar_t* first, const wchar_t* second, wchar_t* answer, int* result) {
  *result = kHelperUnavailable;
  const HWND companion = FindOrStartHelper();
  CompanionBlock* block = g_helper.block;
  if (!companion || !block) return Waited::kTimedOut;
  const Waited free = WaitUntilIdle(block, companion);
  if (free != Waited::kIdle) return free;
  WriteCompanionState(block, kCompanionFilling);
  CopyWideBounded(first, block->first, kCompanionTextCapacity);
  CopyWideBounded(second, block->second, kCompanionTextCapacity);
  block->mainWindow = reinterpret_cast<uintptr_t>(g_mainWindow);
  block->result = kHelperUnavailable;
  WriteCompanionState(block, command);
  const Waited answered = WaitUntilIdle(block, companion);
  if (answered == Waited::kIdle) {
    *result = block->result;
    if (command == kCompanionQuery && answer) TakeAnswer(block, answer);
  }
  WriteCompanionState(block, kCompanionIdle);
  return answered;
}

// A companion ends with the main window it served, as when the program restarts its window: a new one is
// started and takes the command.
int SendToHelper(char command, const wchar_t* first, const wchar_t* second, wchar_t* answer) {
  int result = kHelperUnavailable;
  if (SendOnce(command, first, second, answer, &result) == Waited::kCompanionGone)
    SendOnce(command, first, second, answer, &result);
  return result;
}

bool FitsInBlock(const wchar_t* text) { return WideLength(text) < static_cast<size_t>(kCompanionTextCapacity); }

// A write the system refused for lack of rights goes to the companion; the key text names the value for 't'.
LSTATUS ForwardIfRefused(LSTATUS status, char command, HKEY root, const wchar_t* subkey, const wchar_t* nameInKey,
                         const wchar_t* second) {
  if (status != ERROR_ACCESS_DENIED) return status;
  wchar_t first[kCompanionTextCapacity];
  if (FormatCompanionKeyText(root, subkey, nameInKey, first) != 0) return status;
  return SendHelperCommand(command, first, second, nullptr) == 0 ? ERROR_SUCCESS : status;
}

}  // namespace

RegistryHelperSeams g_registryHelperSeams = RealHelperCalls();

void RestoreRegistryHelperSeams() { g_registryHelperSeams = RealHelperCalls(); }

LSTATUS RegCreateKeyWithHelper(HKEY root, const wchar_t* subkey, const wchar_t* defaultValue) {
  const LSTATUS status = RegistryCreateKeyWithText(root, subkey, nullptr, defaultValue);
  return ForwardIfRefused(status, kCompanionCreateKey, root, subkey, nullptr, defaultValue);
}

LSTATUS RegDeleteKeyWithHelper(HKEY root, const wchar_t* subkey) {
  return ForwardIfRefused(RegistryDeleteKey(root, subkey), kCompanionDeleteKey, root, subkey, nullptr, subkey);
}

LSTATUS RegDeleteValueWithHelper(HKEY root, const wchar_t* subkey, const wchar_t* valueName) {
  const LSTATUS status = RegistryDeleteValue(root, subkey, valueName);
  return ForwardIfRefused(status, kCompanionDeleteValue, root, subkey, nullptr, valueName);
}

LSTATUS RegSetValueWithHelper(HKEY root, const wchar_t* subkey, const wchar_t* valueName, const wchar_t* text) {
  const LSTATUS status = RegistryCreateKeyWithText(root, subkey, valueName, text);
  if (!valueName || !valueName[0]) return status;
  return ForwardIfRefused(status, kCompanionSetText, root, subkey, valueName, text);
}

int SendHelperCommand(char command, const wchar_t* first, const wchar_t* second, wchar_t* answer) {
  if (!FitsInBlock(first) || !FitsInBlock(second)) return ERROR_FILENAME_EXCED_RANGE;
  AcquireSRWLockExclusive(&g_sendLock);
  const int result =
      GuardedCall(kHelperUnavailable, [&] { return SendToHelper(command, first, second, answer); });
  ReleaseSRWLockExclusive(&g_sendLock);
  return result;
}

HWND FindOrStartHelper() {
  if (g_registryHelperSeams.windowsVersionCode() < kFirstVersionWithHelper) return nullptr;
  if (g_helper.window == kStartFailed) return nullptr;
  if (g_helper.window && IsWindow(g_helper.window)) return g_helper.window;
  // A companion that served this program has ended with the window it served: one is looked for or started
  // again.
  g_helper.window = FindHelperWindow();
  if (g_helper.window) return g_helper.window;
  return StartHelper();
}

bool StartHelperProgram(const wchar_t* path, HANDLE* process) {
  wchar_t folder[kPathCapacity];
  GetProgramFolder(folder, kPathCapacity);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = GetForegroundWindow();
  info.lpFile = path;
  info.lpDirectory = folder;
  info.nShow = SW_SHOWNORMAL;
  const bool started = g_uiSeams.shellExecuteExW(&info) != FALSE;
  *process = started ? info.hProcess : nullptr;
  return started;
}

void ReleaseHelperConnection() {
  AcquireSRWLockExclusive(&g_sendLock);
  UnmapBlock();
  g_helper = {};
  ReleaseSRWLockExclusive(&g_sendLock);
}
