// The system calls of the help, file-dialog, language-file and pop-up-menu code that tests watch or redirect:
// which file the program is, and the calls that would open windows of other programs or wait for a person.
// The program calls them through this table; it holds the real functions unless a test replaces an entry.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data);

struct UiSeams {
  decltype(&::GetModuleFileNameW) getModuleFileNameW;
  HtmlHelpFunction htmlHelpW;  // the HTML Help control's HtmlHelpW, loaded on first use
  decltype(&::WinHelpW) winHelpW;
  decltype(&::ShellExecuteExW) shellExecuteExW;
  decltype(&::GetOpenFileNameW) getOpenFileNameW;
  decltype(&::GetSaveFileNameW) getSaveFileNameW;
  decltype(&::TrackPopupMenuEx) trackPopupMenuEx;
};

extern UiSeams g_uiSeams;

// Puts the real functions back into every entry.
void RestoreUiSeams();
