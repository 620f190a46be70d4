// The program's registrations in Explorer, under HKEY_CLASSES_ROOT: the verb "Quorvex" of folders and drives
// ("Directory" and "Drive"), which opens one in the program, and the settings-file type (".zqr" of class
// "QVRX"), which opens a settings file with it. They follow option bits 0x10000 and 0x400 at each start.
// The keys and what is written there come from foundation/profile/program_registrations.h. Writes the system
// refuses for lack of rights go through the elevated companion (foundation/profile/registry_helper.h), which
// writes only those, with this program's path, and may wait for the user's consent: the registrations are
// brought in line on a thread of their own, and what could not be written is told to the user in one message.
//
// A registration is removed only when it is this program's own: a verb whose command is this program's, a
// file type whose class is "QVRX" with this program's open command. Another program's type for the same
// extension, or another copy of this program, keeps its registration.
#pragma once
#include <windows.h>

// The verb's command: the program path (quoted when it holds a blank or '"'), a blank and "%1" in quotes.
void BuildVerbCommand(wchar_t* command, int capacity);

// The verb of a class: `className`\shell\Quorvex\command with `command` as default value. On: written when
// the key's value differs (ignoring case) from the command. Off: when the value equals the command, the
// command key and then the verb key are deleted. The result of the write, or the first failed deletion (a key
// that is gone already counts as deleted); 0 when nothing needed doing.
LSTATUS SetExplorerVerb(const wchar_t* command, const wchar_t* className, bool on);

// Both verbs on (a non-null parameter) or off: "Directory", and "Drive" only when that gave 0. The result is
// the first failure, 0 when both are in line.
DWORD WINAPI UpdateExplorerVerbsThread(void* on);

// One pass over the registrations by the option bits it is given (0x400 the settings-file type, 0x10000 the
// verbs): the file type, then the verbs, one pass at a time; when any could not be written or removed, one
// message names each with its key and the system's words for the error. The result is the first failure.
// StartRegistrationsUpdate runs it on a thread of its own (never joined) with the option word as it is now; the
// program does so after the chain's restore at start and after the options dialog.
DWORD WINAPI UpdateRegistrationsThread(void* options);
void StartRegistrationsUpdate();

// The settings-file type of `extension` (without its dot): on, registered when the extension has no type
// yet; off, removed when it is this program's. Registering writes, in this order and stopping at the first
// failure: the extension's class name, the class's description (the program's display name), its
// "shell\open\command" (the quoted program path, a blank and "%1" in quotes) and its "DefaultIcon" (the
// quoted program path, "," and "1"). Removing deletes the extension's value and key and, unless `keepClass`,
// the class's "DefaultIcon", "shell\open\command", "shell\open", "shell" and the class key. The result is
// the failed write, or the first failed deletion; 0 when all is in line.
LSTATUS RegisterSettingsFileType(const wchar_t* extension, bool on, bool keepClass);
