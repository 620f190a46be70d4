#include "shell/explorer_integration.h"

#include <initializer_list>

#include "foundation/core/app_state.h"
#include "foundation/core/threads.h"
#include "foundation/files/paths.h"
#include "foundation/files/system_errors.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/profile/program_registrations.h"
#include "foundation/profile/registry.h"
#include "foundation/profile/registry_helper.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_seams.h"
#include "shell/main_commands.h"

namespace {

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

bool DefaultValueEquals(const wchar_t* key, const wchar_t* text) {
  wchar_t value[kPathCapacity];
  ReadRegistryString(HKEY_CLASSES_ROOT, key, nullptr, value, kPathCapacity);
  return EqualsIgnoreCaseWide(value, text);
}

void BuildOpenCommand(wchar_t (&command)[kPathCapacity]) {
  wchar_t path[kPathCapacity];
  ProgramPath(path);
  FormatOpenCommand(path, command, kPathCapacity);
}

// Each value is a key's default value, which the companion writes as "create the key with this value" when
// the system refuses it.
LSTATUS RegisterType(const SettingsFileTypeKeys& keys) {
  wchar_t path[kPathCapacity];
  wchar_t openCommand[kPathCapacity];
  wchar_t icon[kPathCapacity];
  ProgramPath(path);
  if (!FormatOpenCommand(path, openCommand, kPathCapacity) || !FormatTypeIcon(path, icon, kPathCapacity)) {
    return ERROR_FILENAME_EXCED_RANGE;
  }
  LSTATUS status = RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, keys.extension, kSettingsFileClass);
  if (status == ERROR_SUCCESS) status = RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, keys.classKey, kProgramDisplayName);
  if (status == ERROR_SUCCESS) status = RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, keys.openCommand, openCommand);
  if (status == ERROR_SUCCESS) status = RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, keys.icon, icon);
  return status;
}

LSTATUS RemoveType(const SettingsFileTypeKeys& keys, bool keepClass) {
  LSTATUS first = ERROR_SUCCESS;
  KeepFirstFailure(&first, RegDeleteValueWithHelper(HKEY_CLASSES_ROOT, keys.extension, nullptr));
  KeepFirstFailure(&first, RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, keys.extension));
  if (keepClass) return first;
  for (const wchar_t* key : {keys.icon, keys.openCommand, keys.open, keys.shell, keys.classKey}) {
    KeepFirstFailure(&first, RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, key));
  }
  return first;
}

bool IsOwnType(const SettingsFileTypeKeys& keys) {
  wchar_t openCommand[kPathCapacity];
  BuildOpenCommand(openCommand);
  return DefaultValueEquals(keys.extension, kSettingsFileClass) && DefaultValueEquals(keys.openCommand, openCommand);
}

}  // namespace

void BuildVerbCommand(wchar_t* command, int capacity) {
  wchar_t path[kPathCapacity];
  ProgramPath(path);
  FormatVerbCommand(path, command, capacity);
}

LSTATUS SetExplorerVerb(const wchar_t* command, const wchar_t* className, bool on) {
  RegistrationKey verbKey;
  RegistrationKey commandKey;
  if (!BuildVerbKeys(className, verbKey, commandKey)) return ERROR_FILENAME_EXCED_RANGE;
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
  LSTATUS status = ERROR_SUCCESS;
  for (int i = 0; i < kVerbClassCount && status == ERROR_SUCCESS; ++i) {
    status = SetExplorerVerb(command, kVerbClasses[i], on != nullptr);
  }
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
  SettingsFileTypeKeys typeKeys;
  BuildSettingsFileTypeKeys(kSettingsFileExtension, &typeKeys);
  RegistrationKey verbKey;
  RegistrationKey commandKey;
  BuildVerbKeys(kVerbClasses[0], verbKey, commandKey);
  AppendFailure(kTextRegistrationFileType, typeKeys.extension, type, failures);
  AppendFailure(kTextRegistrationVerbs, verbKey, verbs, failures);
  if (failures[0] != 0)
    ShowMessageWithPath(nullptr, kTextRegistrationFailed, nullptr, failures, nullptr, MB_OK | MB_ICONWARNING);
  return static_cast<DWORD>(type != ERROR_SUCCESS ? type : verbs);
}

void StartRegistrationsUpdate() {
  void* options = reinterpret_cast<void*>(static_cast<uintptr_t>(g_app->options));
  CloseHandleSafe(StartThread(UpdateRegistrationsThread, options));
}

LSTATUS RegisterSettingsFileType(const wchar_t* extension, bool on, bool keepClass) {
  SettingsFileTypeKeys keys;
  if (!BuildSettingsFileTypeKeys(extension, &keys)) return ERROR_FILENAME_EXCED_RANGE;
  wchar_t className[kPathCapacity];
  ReadRegistryString(HKEY_CLASSES_ROOT, keys.extension, nullptr, className, kPathCapacity);
  if (on && className[0] == 0) return RegisterType(keys);
  if (!on && className[0] != 0 && IsOwnType(keys)) return RemoveType(keys, keepClass);
  return ERROR_SUCCESS;
}
