#include "foundation/ui/ui_seams.h"

#include "foundation/win32/system_functions.h"

namespace {

// HtmlHelpW of hhctrl.ocx, loaded once; null (and no help window) when the control is missing.
HWND WINAPI HtmlHelpOfControl(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) {
  static const HtmlHelpFunction htmlHelp = reinterpret_cast<HtmlHelpFunction>(
      reinterpret_cast<void*>(GetProcAddressSafe(LoadLibraryQuiet(L"hhctrl.ocx"), "HtmlHelpW")));
  return htmlHelp ? htmlHelp(caller, file, command, data) : nullptr;
}

UiSeams RealUiCalls() {
  return {::GetModuleFileNameW, HtmlHelpOfControl, ::WinHelpW, ::ShellExecuteExW, ::GetOpenFileNameW,
          ::GetSaveFileNameW, ::TrackPopupMenuEx};
}

}  // namespace

UiSeams g_uiSeams = RealUiCalls();

void RestoreUiSeams() { g_uiSeams = RealUiCalls(); }
