#include "foundation/profile/program_registrations.h"

#include <cwchar>
#include <initializer_list>

#include "foundation/text/bounded_text.h"

namespace {

constexpr wchar_t kQuotedArgument[] = L" \"%1\"";
constexpr wchar_t kIconIndex[] = L",1";

// The path, quoted always or only when it needs it, then `suffix`; false, with an empty text, when it does not
// fit (a cut path would name another program).
bool QuotedPathWith(const wchar_t* path, bool alwaysQuoted, const wchar_t* suffix, wchar_t* text, int capacity) {
  if (capacity <= 0) return false;
  text[0] = 0;
  if (path == nullptr || path[0] == 0) return false;
  const bool quoted = alwaysQuoted || wcspbrk(path, L" \"") != nullptr;
  size_t needed = WideLength(path) + WideLength(suffix) + 1;
  if (quoted) {
    needed += 2;
    for (const wchar_t* c = path; *c != 0; ++c) needed += *c == L'"' ? 1 : 0;
  }
  if (needed > static_cast<size_t>(capacity)) return false;
  if (quoted) {
    QuoteText(path, text, capacity);
  } else {
    CopyWideBounded(path, text, capacity);
  }
  AppendWideBounded(suffix, text, capacity);
  return true;
}

// The parts joined with backslashes; false when the key would be cut.
bool JoinKey(RegistrationKey& key, std::initializer_list<const wchar_t*> parts) {
  key[0] = 0;
  int cut = 0;
  for (const wchar_t* part : parts) {
    if (key[0] != 0) cut |= AppendWideBounded(L"\\", key, kRegistrationKeyCapacity);
    cut |= AppendWideBounded(part, key, kRegistrationKeyCapacity);
  }
  return cut == 0;
}

bool Fill(ProgramRegistration* entry, const wchar_t* key, const wchar_t* value) {
  return CopyWideBounded(key, entry->key, kRegistrationKeyCapacity) == 0 &&
         CopyWideBounded(value, entry->value, kPathCapacity) == 0;
}

}  // namespace

bool FormatVerbCommand(const wchar_t* programPath, wchar_t* command, int capacity) {
  return QuotedPathWith(programPath, false, kQuotedArgument, command, capacity);
}

bool FormatOpenCommand(const wchar_t* programPath, wchar_t* command, int capacity) {
  return QuotedPathWith(programPath, true, kQuotedArgument, command, capacity);
}

bool FormatTypeIcon(const wchar_t* programPath, wchar_t* icon, int capacity) {
  return QuotedPathWith(programPath, true, kIconIndex, icon, capacity);
}

bool BuildSettingsFileTypeKeys(const wchar_t* extension, SettingsFileTypeKeys* keys) {
  keys->extension[0] = L'.';
  keys->extension[1] = 0;
  return AppendWideBounded(extension, keys->extension, kRegistrationKeyCapacity) == 0 &&
         JoinKey(keys->classKey, {kSettingsFileClass}) &&
         JoinKey(keys->openCommand, {kSettingsFileClass, L"shell", L"open", L"command"}) &&
         JoinKey(keys->open, {kSettingsFileClass, L"shell", L"open"}) &&
         JoinKey(keys->shell, {kSettingsFileClass, L"shell"}) &&
         JoinKey(keys->icon, {kSettingsFileClass, L"DefaultIcon"});
}

bool BuildVerbKeys(const wchar_t* className, RegistrationKey& verb, RegistrationKey& command) {
  return JoinKey(verb, {className, L"shell", kExplorerVerbName}) &&
         JoinKey(command, {className, L"shell", kExplorerVerbName, L"command"});
}

bool BuildProgramRegistrations(const wchar_t* programPath, ProgramRegistrations& set) {
  SettingsFileTypeKeys type;
  wchar_t openCommand[kPathCapacity];
  wchar_t icon[kPathCapacity];
  wchar_t verbCommand[kPathCapacity];
  const bool made = BuildSettingsFileTypeKeys(kSettingsFileExtension, &type) &&
                    FormatOpenCommand(programPath, openCommand, kPathCapacity) &&
                    FormatTypeIcon(programPath, icon, kPathCapacity) &&
                    FormatVerbCommand(programPath, verbCommand, kPathCapacity);
  if (!made) return false;
  bool built = Fill(&set[0], type.extension, kSettingsFileClass) &&
               Fill(&set[1], type.classKey, kProgramDisplayName) && Fill(&set[2], type.openCommand, openCommand) &&
               Fill(&set[3], type.icon, icon) && Fill(&set[4], type.open, L"") && Fill(&set[5], type.shell, L"");
  for (int i = 0; i < kVerbClassCount && built; ++i) {
    RegistrationKey verb;
    RegistrationKey command;
    built = BuildVerbKeys(kVerbClasses[i], verb, command) && Fill(&set[6 + 2 * i], verb, L"") &&
            Fill(&set[7 + 2 * i], command, verbCommand);
  }
  return built;
}
