#include "shell/explorer_integration.h"

#include <initializer_list>

#include "foundation/core/app_state.h"
#include "foundation/core/threads.h"
#include "foundation/files/paths.h"
#include "foundation/profile/companion_protocol.h"
#include "foundation/profile/registry.h"
#include "foundation/profile/registry_helper.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_seams.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"

namespace {

constexpr int kKeyCapacity = 260;
constexpr wchar_t kQuotedArgument[] = L" \"%1\"";

void ProgramPath(wchar_t (&path)[kPathCapacity]) {
  const DWORD length = g_uiSeams.getModuleFileNameW(nullptr, path, kPathCapacity);
  if (length == 0 || length >= static_cast<DWORD>(kPathCapacity)) path[0] = 0;
}

// The parts joined with backslashes; false when the key would be cut.
bool JoinKey(wchar_t (&key)[kKeyCapacity], std::initializer_list<const wchar_t*> parts) {
  key[0] = 0;
  int cut = 0;
  for (const wchar_t* part : parts) {
    if (key[0] != 0) cut |= AppendWideBounded(L"\\", key, kKeyCapacity);
    cut |= AppendWideBounded(part, key, kKeyCapacity);
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
  wchar_t openCommand[kKeyCapacity];
  wchar_t open[kKeyCapacity];
  wchar_t shell[kKeyCapacity];
  wchar_t icon[kKeyCapacity];
};

void BuildClassKeys(ClassKeys* keys) {
  JoinKey(keys->openCommand, {kSettingsFileClass, L"shell", L"open", L"command"});
  JoinKey(keys->open, {kSettingsFileClass, L"shell", L"open"});
  JoinKey(keys->shell, {kSettingsFileClass, L"shell"});
  JoinKey(keys->icon, {kSettingsFileClass, L"DefaultIcon"});
}

// Each value is a key's default value, which the companion writes as "create the key with this value" when
// the system refuses it.
void RegisterType(const wchar_t* extensionKey, const ClassKeys& keys) {
  wchar_t openCommand[kPathCapacity];
  wchar_t icon[kPathCapacity];
  BuildOpenCommand(openCommand);
  BuildIconText(icon);
  if (RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, extensionKey, kSettingsFileClass) != ERROR_SUCCESS) return;
  if (RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, kSettingsFileClass, kProgramTitle) != ERROR_SUCCESS) return;
  if (RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, keys.openCommand, openCommand) != ERROR_SUCCESS) return;
  RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, keys.icon, icon);
}

void RemoveType(const wchar_t* extensionKey, const ClassKeys& keys, bool keepClass) {
  RegDeleteValueWithHelper(HKEY_CLASSES_ROOT, extensionKey, nullptr);
  RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, extensionKey);
  if (keepClass) return;
  for (const wchar_t* key : {keys.icon, keys.openCommand, keys.open, keys.shell}) {
    RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, key);
  }
  RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, kSettingsFileClass);
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
  wchar_t commandKey[kKeyCapacity];
  wchar_t verbKey[kKeyCapacity];
  if (!JoinKey(commandKey, {className, L"shell", kExplorerVerbName, L"command"}) ||
      !JoinKey(verbKey, {className, L"shell", kExplorerVerbName})) {
    return ERROR_FILENAME_EXCED_RANGE;
  }
  const bool present = DefaultValueEquals(commandKey, command);
  if (on && !present) return RegCreateKeyWithHelper(HKEY_CLASSES_ROOT, commandKey, command);
  if (on || !present) return ERROR_SUCCESS;
  RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, commandKey);
  return RegDeleteKeyWithHelper(HKEY_CLASSES_ROOT, verbKey);
}

DWORD WINAPI UpdateExplorerVerbsThread(void* on) {
  wchar_t command[kPathCapacity];
  BuildVerbCommand(command, kPathCapacity);
  const bool verbsOn = on != nullptr;
  if (SetExplorerVerb(command, L"Directory", verbsOn) == ERROR_SUCCESS) SetExplorerVerb(command, L"Drive", verbsOn);
  return 0;
}

void StartExplorerVerbsUpdate() {
  void* on = reinterpret_cast<void*>(static_cast<uintptr_t>((g_app->options & kOptionExplorerVerbs) != 0));
  CloseHandleSafe(StartThread(UpdateExplorerVerbsThread, on));
}

void RegisterSettingsFileType(const wchar_t* extension, bool on, bool keepClass) {
  wchar_t extensionKey[kKeyCapacity] = L".";
  if (AppendWideBounded(extension, extensionKey, kKeyCapacity) != 0) return;
  wchar_t className[kPathCapacity];
  ReadRegistryString(HKEY_CLASSES_ROOT, extensionKey, nullptr, className, kPathCapacity);
  ClassKeys keys;
  BuildClassKeys(&keys);
  if (on && className[0] == 0) RegisterType(extensionKey, keys);
  if (!on && className[0] != 0 && IsOwnType(extensionKey, keys)) RemoveType(extensionKey, keys, keepClass);
}
