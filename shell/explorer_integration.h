// The program's registrations in Explorer, under HKEY_CLASSES_ROOT: the verb "Quorvex" of folders and drives
// ("Directory" and "Drive"), which opens one in the program, and the settings-file type (".zqr" of class
// "QVRX"), which opens a settings file with it. They follow option bits 0x10000 and 0x400 at each start.
// Writes the system refuses for lack of rights go through the elevated companion
// (foundation/profile/registry_helper.h); other failures end a registration at that step without a message.
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
// command key and then the verb key are deleted. The result of the last write, 0 when nothing needed doing.
LSTATUS SetExplorerVerb(const wchar_t* command, const wchar_t* className, bool on);

// Both verbs on (a non-null parameter) or off: "Directory", and "Drive" only when that gave 0. A thread of
// its own (never joined), started after the chain's restore at start with option bit 0x10000 read on the GUI
// thread.
DWORD WINAPI UpdateExplorerVerbsThread(void* on);
void StartExplorerVerbsUpdate();

// The settings-file type of `extension` (without its dot): on, registered when the extension has no type
// yet; off, removed when it is this program's. Registering writes, in this order and stopping at the first
// failure: the extension's class name, the class's description (the program's display name), its
// "shell\open\command" (the quoted program path, a blank and "%1" in quotes) and its "DefaultIcon" (the
// quoted program path, "," and "1"). Removing deletes the extension's value and key and, unless `keepClass`,
// the class's "DefaultIcon", "shell\open\command", "shell\open", "shell" and the class key.
void RegisterSettingsFileType(const wchar_t* extension, bool on, bool keepClass);
