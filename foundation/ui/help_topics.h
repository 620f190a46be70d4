// Help files by topic number: the HTML Help file (CHM), the WinHelp file (HLP) or an HTML page (HTM) beside
// the program file, named like language files ("QVRX_US.CHM").
#pragma once
#include <windows.h>

// The topic of the check-list dialog's help.
constexpr int kCheckListHelpTopic = 19;

// Tries the CHM, HLP and HTM file of the language `code` (8-bit) in that order, each by LanguageFilePath with
// `noFallback`, until one opens. A CHM file opens at the topic (topic 0: its default page), a HLP file at its
// contents, an HTM file with the program the system associates with it. Non-zero when one opened: the HTML
// Help window for a CHM file, 1 for the others; 0 when none did.
INT_PTR OpenHelpFile(HWND window, const char* code, bool noFallback, int topic);

// OpenHelpFile for the language without fallback, then with the fallback to "US"; when neither opens, a
// message names the help file the program looks for.
INT_PTR ShowHelpTopic(HWND window, const char* code, int topic);

// ShowHelpTopic with the language in use and kCheckListHelpTopic; always 1.
int ShowCheckListHelp(HWND window);

// The HTML Help window of a CHM file: HtmlHelpW with the command and data. Attached, it belongs to `window`;
// otherwise to the desktop, and it is brought to the front and put on top of the z-order without being moved
// or sized. The help window, or null.
HWND ShowHelpWindow(HWND window, const wchar_t* file, UINT command, DWORD_PTR data, bool attach);

// A WinHelp file: WinHelpW with the command and data before Windows Vista; from Vista on the program "WinHelp"
// with the file (quoted when needed) as its argument, command and data then being left out. True when the
// help opened or started.
bool ShowWinHelp(HWND window, const wchar_t* file, UINT command, ULONG_PTR data);

// Opens a file (at most 1024 characters) with its default verb; true when the system did.
bool ShellOpen(HWND window, const wchar_t* file);
