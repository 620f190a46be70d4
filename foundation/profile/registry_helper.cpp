#include "foundation/profile/registry_helper.h"

#include <shellapi.h>

#include <cstdint>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
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
const HWND kStartFailed = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

struct HelperConnection {
  HWND window;  // cached; kStartFailed after a start that failed
  bool started;
  CompanionBlock* block;
  HANDLE mapping;
};

HelperConnection g_helper = {};
SRWLOCK g_sendLock = SRWLOCK_INIT;

RegistryHelperSeams RealHelperCalls() { return {GetWindowsVersionCodeCached, ::FindWindowA}; }

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

HWND WaitForHelperWindow() {
  for (int i = 0; i < kPollCount; ++i) {
    if (HWND window = FindHelperWindow()) return window;
    Sleep(kPollMs);
  }
  return nullptr;
}

HWND StartHelper() {
  wchar_t path[kPathCapacity];
  if (!HelperPath(path) || !PathExists(path)) return nullptr;
  g_helper.started = true;
  g_helper.window = kStartFailed;
  if (!MapBlock()) return nullptr;
  if (!StartHelperProgram(path)) {
    UnmapBlock();
    return nullptr;
  }
  g_helper.window = WaitForHelperWindow();
  return g_helper.window;
}

bool WaitUntilIdle(const CompanionBlock* block) {
  for (int i = 0; i < kPollCount; ++i) {
    if (ReadCompanionState(block) == kCompanionIdle) return true;
    Sleep(kPollMs);
  }
  return ReadCompanionState(block) == kCompanionIdle;
}

void TakeAnswer(const CompanionBlock* block, wchar_t* answer) {
  for (int i = 0; i < kCompanionTextCapacity; ++i) answer[i] = block->second[i];
  answer[kCompanionTextCapacity - 1] = 0;
}

int SendToHelper(char command, const wchar_t* first, const wchar_t* second, wchar_t* answer) {
  if (!FindOrStartHelper() || !g_helper.block) return kHelperUnavailable;
  CompanionBlock* block = g_helper.block;
  if (!WaitUntilIdle(block)) return kHelperUnavailable;
  WriteCompanionState(block, kCompanionFilling);
  CopyWideBounded(first, block->first, kCompanionTextCapacity);
  CopyWideBounded(second, block->second, kCompanionTextCapacity);
  block->mainWindow = reinterpret_cast<uintptr_t>(g_mainWindow);
  block->result = kHelperUnavailable;
  WriteCompanionState(block, command);
  if (!WaitUntilIdle(block)) {
    WriteCompanionState(block, kCompanionIdle);
    return kHelperUnavailable;
  }
  const int32_t result = block->result;
  if (command == kCompanionQuery && answer) TakeAnswer(block, answer);
  WriteCompanionState(block, kCompanionIdle);
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
  g_helper.window = FindHelperWindow();
  if (g_helper.window || g_helper.started) return g_helper.window;
  return StartHelper();
}

bool StartHelperProgram(const wchar_t* path) {
  wchar_t folder[kPathCapacity];
  GetProgramFolder(folder, kPathCapacity);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC;
  info.hwnd = GetForegroundWindow();
  info.lpFile = path;
  info.lpDirectory = folder;
  info.nShow = SW_SHOWNORMAL;
  return g_uiSeams.shellExecuteExW(&info) != FALSE;
}

void ReleaseHelperConnection() {
  AcquireSRWLockExclusive(&g_sendLock);
  UnmapBlock();
  g_helper = {};
  ReleaseSRWLockExclusive(&g_sendLock);
}
