// The two commands the main window posts itself while it is created: IDM_STARTUP (recent files, the command
// line, the start folder) and IDM_RESTORE_CHAIN (the chain of the last run).
#pragma once
#include <windows.h>

// Command IDM_STARTUP: the recent files into the menu, the command line, the settings-file type registered or removed
// as option bit 0x400 says, then the start folder listed: the folder the command line named, else the folder
// of the last run ("LastFolder").
void OnStartupCommand(HWND window);

// Command IDM_RESTORE_CHAIN: the chain from section "QK"; an empty chain offers the module menu once; the Explorer
// verbs are brought in line with the option word; section "LR" goes.
void RestoreChainAtStartup(HWND window);

// The program's arguments after its name, in order: the first that names a folder becomes the start folder and
// ends the scan; a file is loaded as a settings file, and the first that loads ends the scan. An argument that
// names nothing is reported in an error box with its path, and the scan goes on.
void ProcessCommandLine(HWND window);
void ProcessArguments(HWND window, const wchar_t* const* arguments, int count);

// The folder listed at start: the command line's (freed once taken), else "LastFolder"; empty when neither.
void TakeStartFolder(wchar_t* folder, int capacity);
