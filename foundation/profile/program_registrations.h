// The program's registrations under HKEY_CLASSES_ROOT and what it writes there, in one place. The settings-file
// type: the extension ".zqr" names the class "QVRX", whose default value is the program's display name, whose
// "shell\open\command" opens a settings file in the program and whose "DefaultIcon" is the program's icon. The
// verb "Quorvex" of folders ("Directory") and drives ("Drive"): its "command" opens one in the program. The
// values that name the program are made here from its path: by the program for its own writes
// (shell/explorer_integration.h), and by the elevated companion, from the image path of the process it serves,
// for the only writes it makes (companion_protocol.h).
#pragma once
#include <windows.h>

#include "foundation/files/paths.h"

constexpr wchar_t kSettingsFileExtension[] = L"zqr";
constexpr wchar_t kSettingsFileClass[] = L"QVRX";
constexpr wchar_t kExplorerVerbName[] = L"Quorvex";
// The program's display name, which is also the description of the settings-file class.
constexpr wchar_t kProgramDisplayName[] = L"Quorvex";
// The classes whose items get the verb, in the order the program writes them.
constexpr const wchar_t* kVerbClasses[] = {L"Directory", L"Drive"};
constexpr int kVerbClassCount = static_cast<int>(sizeof kVerbClasses / sizeof kVerbClasses[0]);

// Characters of a registration's key, the terminator included.
constexpr int kRegistrationKeyCapacity = 260;
using RegistrationKey = wchar_t[kRegistrationKeyCapacity];

// The values made of the program's path; each false, with an empty text, when it does not fit `capacity`.
// The verb's command: the path (quoted when it holds a blank or '"'), a blank and "%1" in quotes.
bool FormatVerbCommand(const wchar_t* programPath, wchar_t* command, int capacity);
// The settings file's open command: the quoted path, a blank and "%1" in quotes.
bool FormatOpenCommand(const wchar_t* programPath, wchar_t* command, int capacity);
// The settings file's icon: the quoted path, "," and "1".
bool FormatTypeIcon(const wchar_t* programPath, wchar_t* icon, int capacity);

// The keys of the settings-file type of `extension` (without its dot). False when one would not fit.
struct SettingsFileTypeKeys {
  RegistrationKey extension;    // '.' and the extension
  RegistrationKey classKey;     // the class
  RegistrationKey openCommand;  // class\shell\open\command
  RegistrationKey open;         // class\shell\open
  RegistrationKey shell;        // class\shell
  RegistrationKey icon;         // class\DefaultIcon
};
bool BuildSettingsFileTypeKeys(const wchar_t* extension, SettingsFileTypeKeys* keys);
// The verb's key under a class (class\shell\Quorvex) and its "command" key. False when one would not fit.
bool BuildVerbKeys(const wchar_t* className, RegistrationKey& verb, RegistrationKey& command);

// One key the program writes or removes, with the default value it writes there (empty: it only removes it).
struct ProgramRegistration {
  RegistrationKey key;
  wchar_t value[kPathCapacity];
};
// The settings-file type's six keys, then each verb class's verb key and command key.
constexpr int kProgramRegistrationCount = 6 + 2 * kVerbClassCount;
using ProgramRegistrations = ProgramRegistration[kProgramRegistrationCount];
// Every registration of the program at `programPath`, with what it writes; false when a key or a value would
// not fit.
bool BuildProgramRegistrations(const wchar_t* programPath, ProgramRegistrations& set);
