#include "shell/about_box.h"

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/paths.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/menus.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kAboutTextCapacity = 8192;
constexpr int kAboutLineCapacity = 512;
constexpr wchar_t kNotice[] =
    L"Renames many files at once by rules, with a preview of every new name.\r\n"
    L"Free to use. No warranty: keep copies of files you cannot afford to lose.\r\n";

void AppendFolderLine(const wchar_t* placeholder, const wchar_t* path, wchar_t* text, int capacity) {
  if (path[0] == 0) return;
  AppendWideBounded(L"\r\n", text, capacity);
  AppendWideBounded(placeholder, text, capacity);
  AppendWideBounded(L" - ", text, capacity);
  AppendWideBounded(path, text, capacity);
}

void AppendFolders(wchar_t* text, int capacity) {
  wchar_t path[kPathCapacity];
  GetProgramFolder(path, kPathCapacity);
  AppendFolderLine(L"%MY_PATH%", path, text, capacity);
  GetUserDataFolder(nullptr, path, kPathCapacity);
  AppendFolderLine(L"%APPDATA%", path, text, capacity);
  ExpandPathPlaceholders(L"%TEMP%", path, kPathCapacity);
  AppendFolderLine(L"%TEMP%", path, text, capacity);
  ProfileGetFileName(&g_settingsStore, path, kPathCapacity);
  AppendFolderLine(L"INI", path, text, capacity);
}

bool DialogsShowTheProgramIcon() {
  WNDCLASSEXW dialogClass = {};
  dialogClass.cbSize = sizeof dialogClass;
  return GetClassInfoExW(nullptr, WC_DIALOG, &dialogClass) && dialogClass.hIcon == g_app->largeIcon;
}

// Every dialog of the run shows the program's icon: it goes to the dialog class through a dialog that ends
// before it shows. The start-up asks twice (its command and the chain's restore); a dialog costs the window's
// thread over 10 ms under Wine, so the class is asked first.
void GiveDialogsTheProgramIcon(HWND owner) {
  if (DialogsShowTheProgramIcon()) return;
  ShowModalDialog(g_app->instance, IDD_LANGUAGE, owner, IconOnlyDialogProc, reinterpret_cast<LPARAM>(g_app->largeIcon));
}

void ShowAboutText(HWND owner) {
  wchar_t* text = AllocZeroedWide(kAboutTextCapacity);
  if (!text) return;
  BuildAboutText(text, kAboutTextCapacity);
  wchar_t caption[kAboutLineCapacity];
  GetUiText(kTextAbout, caption, kAboutLineCapacity);
  StripMenuAccelerators(caption);
  ShowMessageBoxWide(owner, text, caption, MB_ICONINFORMATION);
  FreeAndNull(&text);
}

}  // namespace

void ShowAboutBox(HWND owner, bool silent) {
  GuardedCall(0, [&] {
    if (silent) {
      GiveDialogsTheProgramIcon(owner);
    } else {
      ShowAboutText(owner);
    }
    return 0;
  });
}

void BuildAboutText(wchar_t* text, int capacity) {
  wchar_t line[kAboutLineCapacity];
  CopyWideBounded(g_app ? g_app->title : L"", text, capacity);
  AppendWideBounded(L"\r\nVersion ", text, capacity);
  AppendMultiByteAsWide(kProgramVersionText, text, capacity, CP_ACP);
  AppendWideBounded(L" (64-Bit)\r\n\r\n", text, capacity);
  AppendWideBounded(kNotice, text, capacity);
  GetUiText(kTextAboutLanguage, line, kAboutLineCapacity);
  AppendWideBounded(line, text, capacity);
  AppendWideBounded(L"\r\n", text, capacity);
  AppendFolders(text, capacity);
}
