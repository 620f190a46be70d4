#include "metadata/plugin_entry_dialog.h"

#include "foundation/win32/system_functions.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/file_dialogs.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "metadata/option_pages.h"
#include "metadata/plugin_host.h"

namespace {

constexpr int kProbeParameterCapacity = 128;
constexpr wchar_t kLibraryFilter[] = L"PlugIn\0*.wdx;*.uwdx;*.wdx64\0*.*\0*.*\0";

constexpr int kEntryTextIds[] = {0,
                                 IDC_PLUGIN_NAME_LABEL,
                                 IDC_PLUGIN_PATH_LABEL,
                                 IDC_PLUGIN_DETECT_LABEL,
                                 IDC_PLUGIN_PARAMETER_LABEL,
                                 IDC_PLUGIN_SETTINGS,
                                 IDC_PLUGIN_BROWSE,
                                 0};
constexpr int kLibraryControls[] = {IDC_PLUGIN_NAME, IDC_PLUGIN_PATH, IDC_PLUGIN_BROWSE, 0};

PluginListEntry* EntryOf(HWND dialog) {
  return reinterpret_cast<PluginListEntry*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void ReadLibraryPath(HWND dialog, wchar_t* path, int capacity) {
  wchar_t stored[kPathCapacity];
  GetDlgItemPathText(dialog, IDC_PLUGIN_PATH, stored, kPathCapacity);
  ExpandPathPlaceholders(stored, path, capacity);
}

void ShowSettingsButtonFor(HWND dialog, const wchar_t* path) {
  wchar_t parameter[kPluginTextCapacity];
  GetDialogItemText(dialog, IDC_PLUGIN_PARAMETER, parameter, kPluginTextCapacity);
  const bool shown = path[0] != 0 && GetPluginHasSettings(path, parameter) > 0;
  ShowWindow(GetDialogItem(dialog, IDC_PLUGIN_SETTINGS), shown ? SW_SHOW : SW_HIDE);
}

void NameAfterLibrary(const wchar_t* path, const PluginProbe& probe, wchar_t* name) {
  if (probe.nameSuggestion[0] != 0) {
    CopyWideString(probe.nameSuggestion, name, kPluginEntryNameCapacity);
    return;
  }
  CopyWideString(path + FileNameOffset(path), name, kPluginEntryNameCapacity);
  StripExtension(name);
}

void BrowsePluginLibrary(HWND dialog) {
  if (AskFileName(dialog, IDC_PLUGIN_PATH, kLibraryFilter, false) == 0) return;
  wchar_t path[kPathCapacity];
  ReadLibraryPath(dialog, path, kPathCapacity);
  wchar_t parameter[kProbeParameterCapacity];
  GetDialogItemText(dialog, IDC_PLUGIN_PARAMETER, parameter, kProbeParameterCapacity);
  PluginProbe probe;
  if (ProbePluginLibrary(path, parameter, &probe) != 0) {
    ShowMessageWithPath(dialog, kTextPluginLoadFailed, nullptr, path, nullptr, MB_ICONERROR);
    return;
  }
  wchar_t name[kPluginEntryNameCapacity];
  NameAfterLibrary(path, probe, name);
  SetDialogItemText(dialog, IDC_PLUGIN_NAME, name);
  SetDialogItemText(dialog, IDC_PLUGIN_DETECT, probe.detectString);
  ShowSettingsButtonFor(dialog, path);
}

void ShowLibrarySettings(HWND dialog) {
  wchar_t path[kPathCapacity];
  ReadLibraryPath(dialog, path, kPathCapacity);
  wchar_t parameter[kPluginTextCapacity];
  GetDialogItemText(dialog, IDC_PLUGIN_PARAMETER, parameter, kPluginTextCapacity);
  ShowPluginSettings(path, dialog, parameter, kPluginTextCapacity);
  SetDialogItemText(dialog, IDC_PLUGIN_PARAMETER, parameter);
}

void ReadPluginEntryDialog(HWND dialog, PluginListEntry* entry) {
  GetDialogItemText(dialog, IDC_PLUGIN_NAME, entry->name, kPluginEntryNameCapacity);
  GetDlgItemPathText(dialog, IDC_PLUGIN_PATH, entry->libraryPath, kPathCapacity);
  GetDialogItemText(dialog, IDC_PLUGIN_DETECT, entry->detectString, kPluginTextCapacity);
  GetDialogItemText(dialog, IDC_PLUGIN_PARAMETER, entry->initParameter, kPluginTextCapacity);
}

// The page keeps entries by name: an entry without one would be dropped on saving.
bool HasEntryName(HWND dialog) {
  if (GetWindowTextLengthW(GetDialogItem(dialog, IDC_PLUGIN_NAME)) > 0) return true;
  ShowMessageWithPath(dialog, kTextPluginNameMissing, nullptr, nullptr, nullptr, MB_ICONWARNING);
  SetFocus(GetDialogItem(dialog, IDC_PLUGIN_NAME));
  return false;
}

void LimitFields(HWND dialog) {
  LimitDlgItemText(dialog, IDC_PLUGIN_NAME, kPluginEntryNameCapacity);
  LimitDlgItemText(dialog, IDC_PLUGIN_PATH, kPathCapacity);
  LimitDlgItemText(dialog, IDC_PLUGIN_DETECT, kPluginTextCapacity);
  LimitDlgItemText(dialog, IDC_PLUGIN_PARAMETER, kPluginTextCapacity);
}

void ShowEntry(HWND dialog, const PluginListEntry& entry) {
  SetDialogItemText(dialog, IDC_PLUGIN_NAME, entry.name);
  SetDlgItemPathText(dialog, IDC_PLUGIN_PATH, entry.libraryPath);
  SetDialogItemText(dialog, IDC_PLUGIN_DETECT, entry.detectString);
  SetDialogItemText(dialog, IDC_PLUGIN_PARAMETER, entry.initParameter);
}

void SetTitle(HWND dialog, int textId) {
  const int ids[] = {textId, 0};
  ApplyDialogTexts(dialog, ids);
}

void OnInitDialog(HWND dialog, PluginListEntry* entry) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(entry));
  ApplyDarkModeToWindow(dialog);
  CenterWindowOnParent(dialog);
  ApplyDialogTexts(dialog, kEntryTextIds);
  LimitFields(dialog);
  ShowEntry(dialog, *entry);
  wchar_t path[kPathCapacity];
  ExpandPathPlaceholders(entry->libraryPath, path, kPathCapacity);
  ShowSettingsButtonFor(dialog, path);
  if (entry->name[0] == 0) {
    SetTitle(dialog, kTextAddPlugin);
    SetFocus(GetDialogItem(dialog, IDC_PLUGIN_NAME));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PLUGIN_BROWSE, BN_CLICKED), 0);
    return;
  }
  SetTitle(dialog, kTextEditPlugin);
  const bool hasLibrary = entry->libraryPath[0] != 0;
  if (!hasLibrary) EnableDlgItemList(dialog, kLibraryControls, false);
  SetFocus(GetDialogItem(dialog, hasLibrary ? IDC_PLUGIN_NAME : IDC_PLUGIN_DETECT));
}

void OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDOK:
    case IDC_PLUGIN_OK:
      if (!HasEntryName(dialog)) break;
      ReadPluginEntryDialog(dialog, EntryOf(dialog));
      EndDialog(dialog, 1);
      break;
    case IDCANCEL:
      EndDialog(dialog, 0);
      break;
    case IDC_PLUGIN_BROWSE:
      BrowsePluginLibrary(dialog);
      break;
    case IDC_PLUGIN_SETTINGS:
      ShowLibrarySettings(dialog);
      break;
    default:
      break;
  }
}

}  // namespace

int ShowPluginEntryDialog(HWND owner, PluginListEntry* entry) {
  if (entry == nullptr) return 0;
  InitCommonControlClasses();
  return ShowModalDialog(ProgramInstance(), IDD_PLUGIN_ENTRY, owner, PluginListDialogProc, reinterpret_cast<LPARAM>(entry)) == 1
             ? 1
             : 0;
}

INT_PTR CALLBACK PluginListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<PluginListEntry*>(lParam));
      return FALSE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}
