#include "shell/explorer_integration.h"

#include <initializer_list>

#include "foundation/core/app_state.h"
#include "foundation/core/threads.h"
#include "foundation/files/paths.h"
#include "foundation/files/system_errors.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/profile/companion_protocol.h"
#include "foundation/profile/registry.h"
#include "foundation/profile/registry_helper.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_seams.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"

namespace {

constexpr int kRegistryKeyCapacity = 260;
constexpr wchar_t kQuotedArgument[] = L" \"%1\"";
constexpr int kFailureTextCapacity = 2048;
constexpr int kPartTextCapacity = 512;

// One pass at a time: a pass that waits for the companion (and the user's consent) holds the next one back,
// so that a registration and its removal never interleave.
SRWLOCK g_registrationLock = SRWLOCK_INIT;

// A key that is gone already needs no removing.
void KeepFirstFailure(LSTATUS* first, LSTATUS status) {
  if (*first == ERROR_SUCCESS && status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) *first = status;
}

void ProgramPath(wchar_t (&path)[kPathCapacity]) {
  const DWORD length = g_uiSeams.getModuleFileNameW(nullptr, path, kPathCapacity);
  if (length == 0 || length >= static_cast<DWORD>(kPathCapacity)) path[0] = 0;
}

// The parts joined with backslashes; false when the key would be cut.
bool JoinKey(wchar_t (&key)[kRegistryKeyCapacity], std::initializer_list<const wchar_t*> parts) {
  key[0] = 0;
  int cut = 0;
  for (const wchar_t* part : parts) {
    if (key[0] != 0) cut |= AppendWideBounded(L"\\", key, kRegistryKeyCapacity);
    cut |= AppendWideBounded(part, key, kRegistryKeyCapacity);
  }
  return cut == 0;
}

bool DefaultValueEquals(const wchar_t* key, const wchar_t* text) {
  wchar_t value[kPathCapacity];
  ReadRegistryString(HKEY_CLASSES_ROOT, key, nullptr, value, kPathCapacity);
  return EqualsIgnoreCaseWide(value, text);
}

void BuildOpenCommand(wchar_t (&command)[kPathCapacity]) {
  wchar_t path[kPathCapacity];
  ProgramPath(path);
  QuoteText(path, command, kPathCapacity);
  AppendWideBounded(kQuotedArgument, command, kPathCapacity);
}

void BuildIconText(wchar_t (&icon)[kPathCapacity]) {
  wchar_t path[kPathCapacity];
  ProgramPath(path);
  QuoteText(path, icon, kPathCapacity);
  AppendWideBounded(L",1", icon, kPathCapacity);
}

struct ClassKeys {
  wchar_t openCommand[kRegistryKeyCapacity];
  wchar_t open[kRegistryKeyCapacity];
  wchar_t shell[kRegistryKeyCapacity];
  wchar_t icon[kRegistryKeyCapacity];
};

void BuildClassKeys(ClassKeys* keys) {
  JoinKey(keys->openCommand, {kSettingsFileClass, L"shell", L"open", L"command"});
  JoinKey(keys->open, {kSettingsFileClass, L"shell", L"open"});
  JoinKey(keys->shell, {kSettingsFileClass, L"shell"});
  JoinKey(keys->icon, {kSettingsFileClass, L"DefaultIcon"});
}

// Each value is a key's default value, which the companion writes as "create the key with this value" when
// the system refuses it.
LSTATUS RegisterType(const wchar_t* extensionKey, const ClassKeys& keys) {
  wchar_t openCommand[kPathCapacity];
  wchar_t icon[kPathCapacity];
  BuildOpenCommand(openCommand);
  BuildIconText(icon);
  LSTATUS status = RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, extensionKey, kSettingsFileClass);
  if (status == ERROR_SUCCESS) status = RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, kSettingsFileClass, kProgramTitle);
  if (status == ERROR_SUCCESS) status = RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, keys.openCommand, openCommand);
  if (status == ERROR_SUCCESS) status = RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, keys.icon, icon);
  return status;
}

LSTATUS RemoveType(const wchar_t* extensionKey, const ClassKeys& keys, bool keepClass) {
  LSTATUS first = ERROR_SUCCESS;
  KeepFirstFailure(&first, RegDeleteValueWithHelper(HKEY_CLASSES_ROOT, extensionKey, nullptr));
  KeepFirstFailure(&first, RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, extensionKey));
  if (keepClass) return first;
  for (const wchar_t* key : {keys.icon, keys.openCommand, keys.open, keys.shell}) {
    KeepFirstFailure(&first, RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, key));
  }
  KeepFirstFailure(&first, RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, kSettingsFileClass));
  return first;
}

bool IsOwnType(const wchar_t* extensionKey, const ClassKeys& keys) {
  wchar_t openCommand[kPathCapacity];
  BuildOpenCommand(openCommand);
  return DefaultValueEquals(extensionKey, kSettingsFileClass) && DefaultValueEquals(keys.openCommand, openCommand);
}

}  // namespace

void BuildVerbCommand(wchar_t* command, int capacity) {
  wchar_t path[kPathCapacity];
  ProgramPath(path);
  QuoteTextIfNeeded(path, command, capacity);
  AppendWideBounded(kQuotedArgument, command, capacity);
}

LSTATUS SetExplorerVerb(const wchar_t* command, const wchar_t* className, bool on) {
  wchar_t commandKey[kRegistryKeyCapacity];
  wchar_t verbKey[kRegistryKeyCapacity];
  if (!JoinKey(commandKey, {className, L"shell", kExplorerVerbName, L"command"}) ||
      !JoinKey(verbKey, {className, L"shell", kExplorerVerbName})) {
    return ERROR_FILENAME_EXCED_RANGE;
  }
  const bool present = DefaultValueEquals(commandKey, command);
  if (on && !present) return RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, commandKey, command);
  if (on || !present) return ERROR_SUCCESS;
  LSTATUS first = ERROR_SUCCESS;
  KeepFirstFailure(&first, RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, commandKey));
  KeepFirstFailure(&first, RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, verbKey));
  return first;
}

DWORD WINAPI UpdateExplorerVerbsThread(void* on) {
  wchar_t command[kPathCapacity];
  BuildVerbCommand(command, kPathCapacity);
  const bool verbsOn = on != nullptr;
  LSTATUS status = SetExplorerVerb(command, L"Directory", verbsOn);
  if (status == ERROR_SUCCESS) status = SetExplorerVerb(command, L"Drive", verbsOn);
  return static_cast<DWORD>(status);
}

namespace {

// One registration that failed, as a paragraph: its name, its key and the system's words for the error.
void AppendFailure(int nameId, const wchar_t* key, LSTATUS status, wchar_t (&text)[kFailureTextCapacity]) {
  if (status == ERROR_SUCCESS) return;
  wchar_t part[kPartTextCapacity];
  if (text[0] != 0) AppendWideBounded(L"\r\n\r\n", text, kFailureTextCapacity);
  GetUiText(nameId, part, kPartTextCapacity);
  AppendWideBounded(part, text, kFailureTextCapacity);
  AppendWideBounded(L": HKEY_CLASSES_ROOT\\", text, kFailureTextCapacity);
  AppendWideBounded(key, text, kFailureTextCapacity);
  if (FormatSystemErrorText(static_cast<DWORD>(status), part, kPartTextCapacity, true) == 0) return;
  AppendWideBounded(L"\r\n", text, kFailureTextCapacity);
  AppendWideBounded(part, text, kFailureTextCapacity);
}

}  // namespace

DWORD WINAPI UpdateRegistrationsThread(void* options) {
  const uint32_t bits = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(options));
  AcquireSRWLockExclusive(&g_registrationLock);
  const LSTATUS type =
      RegisterSettingsFileType(kSettingsFileExtension, (bits & kOptionSettingsFileType) != 0, false);
  const LSTATUS verbs = static_cast<LSTATUS>(
      UpdateExplorerVerbsThread(reinterpret_cast<void*>(static_cast<uintptr_t>((bits & kOptionExplorerVerbs) != 0))));
  ReleaseSRWLockExclusive(&g_registrationLock);
  wchar_t failures[kFailureTextCapacity] = L"";
  wchar_t typeKey[kRegistryKeyCapacity] = L".";
  AppendWideBounded(kSettingsFileExtension, typeKey, kRegistryKeyCapacity);
  AppendFailure(kTextRegistrationFileType, typeKey, type, failures);
  AppendFailure(kTextRegistrationVerbs, L"Directory\\shell\\Quorvex", verbs, failures);
  if (failures[0] != 0)
    ShowMessageWithPath(nullptr, kTextRegistrationFailed, nullptr, failures, nullptr, MB_OK | MB_ICONWARNING);
  return static_cast<DWORD>(type != ERROR_SUCCESS ? type : verbs);
}

void StartRegistrationsUpdate() {
  void* options = reinterpret_cast<void*>(static_cast<uintptr_t>(g_app->options));
  CloseHandleSafe(StartThread(UpdateRegistrationsThread, options));
}

LSTATUS RegisterSettingsFileType(const wchar_t* extension, bool on, bool keepClass) {
  wchar_t extensionKey[kRegistryKeyCapacity] = L".";
  if (AppendWideBounded(extension, extensionKey, kRegistryKeyCapacity) != 0) return ERROR_FILENAME_EXCED_RANGE;
  wchar_t className[kPathCapacity];
  ReadRegistryString(HKEY_CLASSES_ROOT, extensionKey, nullptr, className, kPathCapacity);
  ClassKeys keys;
  BuildClassKeys(&keys);
  if (on && className[0] == 0) return RegisterType(extensionKey, keys);
  if (!on && className[0] != 0 && IsOwnType(extensionKey, keys)) return RemoveType(extensionKey, keys, keepClass);
  return ERROR_SUCCESS;
}
