// Registry writes that may need administrator rights (the program's registrations under
// HKEY_CLASSES_ROOT). The program makes each write itself; when the system refuses it for lack of rights (5),
// the same write goes to the elevated companion XAVO (foundation/profile/companion_protocol.h) beside the
// program file. The companion is looked for by its window class on the first refused write and started when
// there is none: again when one that served the program has ended (it ends with the main window it serves, as
// when the program restarts its window), never again after a start that failed; the shared block is created, with an access list for the user alone, before
// the companion starts and stays mapped until the program ends. Every error other than 5 is returned as the
// system gave it, without the companion; a forwarded write gives 0 when the companion reports success, else
// the system's first error.
#pragma once
#include <windows.h>

// Creates the key and sets its default value.
LSTATUS RegCreateKeyWithHelper(HKEY root, const wchar_t* subkey, const wchar_t* defaultValue);
LSTATUS RegDeleteKeyWithHelper(HKEY root, const wchar_t* subkey);
// Deletes a named value (the default value when the name is null or empty).
LSTATUS RegDeleteValueWithHelper(HKEY root, const wchar_t* subkey, const wchar_t* valueName);
// Creates the key and sets a text value: REG_EXPAND_SZ for a text beginning with '%', else REG_SZ. A refused
// write of the default value (no name) is never forwarded.
LSTATUS RegSetValueWithHelper(HKEY root, const wchar_t* subkey, const wchar_t* valueName, const wchar_t* text);

// The result of a command that did not reach the companion or was not answered.
constexpr int kHelperUnavailable = -50;

// Sends one command (companion_protocol.h) and waits for it: the companion's result; 206 without sending
// when a text does not fit in the block; kHelperUnavailable when there is no companion or block, when the
// block stays busy for 10 s or the companion does not answer within 10 s (the program then sets the state
// byte back itself), or on a fault. A query's answer goes to `answer` (260 characters) when it is given.
// Senders of one process take turns.
int SendHelperCommand(char command, const wchar_t* first, const wchar_t* second, wchar_t* answer);

// The companion's window: the cached one while it lives, else the window of class "XAVO", else the companion
// started from the program's folder and waited for while its process runs, for minutes (the user may take
// that long to consent to its rights): callers wait, so they are never the GUI thread. Null on Windows
// versions before the Server 2003 family, without the companion's file, and when a start failed or showed no
// window (not tried again).
HWND FindOrStartHelper();

// Starts the companion with the shell's default verb (which asks for its rights), the program's folder as
// working folder, the foreground window as owner. True when it started; its process (or null when the shell
// gives none) goes to `process`, for the caller to close.
bool StartHelperProgram(const wchar_t* path, HANDLE* process);

// Forgets the companion and unmaps the block, as the end of the run does; the next refused write looks for
// the companion afresh.
void ReleaseHelperConnection();

// What tests replace: the Windows version code, the search for the companion's window and the pause between
// two looks at the companion.
struct RegistryHelperSeams {
  int (*windowsVersionCode)();
  HWND(WINAPI* findWindowA)(LPCSTR className, LPCSTR windowName);
  void(WINAPI* sleep)(DWORD milliseconds);
};
extern RegistryHelperSeams g_registryHelperSeams;
void RestoreRegistryHelperSeams();
