#include "views/path_edit.h"

#include <commctrl.h>

#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/pattern_list.h"
#include "foundation/ui/clipboard.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr DWORD kComboStyle = WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | CBS_HASSTRINGS;
constexpr UINT_PTR kRestoreTimer = 1;
constexpr UINT kRestoreDelayMs = 70;

WNDPROC g_previousComboProc = nullptr;
WNDPROC g_previousEditProc = nullptr;

CompletionData* DataOf(HWND combo) { return reinterpret_cast<CompletionData*>(GetWindowUserData(combo)); }

int CollectName(ProviderItem* item, void* names) {
  if ((item->info.attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDotEntry(item->name)) {
    RecordBufferAppendString(static_cast<RecordBuffer*>(names), item->name);
  }
  return 0;
}

void FreeData(HWND combo) {
  CompletionData* data = DataOf(combo);
  SetWindowUserData(combo, 0);
  FreeAndNull(&data);
}

// The names after the folder, one by one; an empty name ends them.
const wchar_t* FirstName(const CompletionData& data) { return data.folder + wcslen(data.folder) + 1; }

void ClearList(HWND combo) {
  while (SendMessageW(combo, CB_DELETESTRING, 0, 0) > 0) {
  }
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

// The part of the typed text after its last separator, as a mask.
void NamePattern(const wchar_t* text, wchar_t* pattern, int capacity) {
  const wchar_t* name = text;
  for (const wchar_t* c = text; *c; ++c) {
    if (*c == L'\\' || *c == L'/') name = c + 1;
  }
  CopyWideBounded(name, pattern, capacity - 1);
  const size_t length = wcslen(pattern);
  if (length == 0 || pattern[length - 1] != L'*') AppendWideBounded(L"*", pattern, capacity);
}

// The folder the typed name lies in: the text without its last component; a text that ends with a separator
// is the folder itself.
void TypedFolder(const wchar_t* text, wchar_t* folder, int capacity) {
  CopyWideBounded(text, folder, capacity);
  const size_t length = wcslen(folder);
  if (length > 0 && (folder[length - 1] == L'\\' || folder[length - 1] == L'/')) {
    RemoveTrailingBackslash(folder);
  } else {
    CutToParentFolder(folder);
  }
}

// The data for the typed text: the loaded folder when the text is that folder or lies in it; else the data of
// the text's folder, when the provider knows it; else none.
CompletionData* DataForText(HWND combo, int32_t provider, const wchar_t* text) {
  CompletionData* data = DataOf(combo);
  if (!data) {
    LoadCompletionData(combo, provider, text);
    return DataOf(combo);
  }
  if (EqualsIgnoreCaseWide(text, data->folder)) return data;
  wchar_t folder[kPathCapacity];
  TypedFolder(text, folder, kPathCapacity);
  if (EqualsIgnoreCaseWide(folder, data->folder)) return data;
  if (VfsGetAttributes(nullptr, folder, nullptr) < 0) return nullptr;
  LoadCompletionData(combo, provider, folder);
  return DataOf(combo);
}

int OfferMatchingNames(HWND combo, const CompletionData& data, const wchar_t* text) {
  wchar_t pattern[kPathCapacity];
  NamePattern(text, pattern, kPathCapacity);
  int offered = 0;
  for (const wchar_t* name = FirstName(data); name[0] != 0; name += wcslen(name) + 1) {
    if (!MatchesPatternList(name, pattern)) continue;
    wchar_t entry[kPathCapacity];
    if (CopyAndAppendPath(data.folder, name, entry, kPathCapacity) != 0) continue;
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    ++offered;
  }
  return offered;
}

void TakePath(HWND combo) {
  CompletionData* data = DataOf(combo);
  if (data && data->finished) return;
  if (data) data->finished = 1;
  wchar_t text[kPathCapacity];
  GetWindowTextSafe(combo, text, kPathCapacity);
  if (text[0] != 0) {
    if (VfsGetAttributes(nullptr, text, nullptr) < 0) {
      BeepError();
    } else {
      ReleaseCapture();
      HWND bar = GetParent(combo);
      SendWindowMessage(GetParent(bar), kNavigateToPathMessage, static_cast<WPARAM>(data ? data->provider : -1),
                        reinterpret_cast<LPARAM>(text));
    }
  }
  PostWindowMessage(combo, WM_CLOSE, 0, 0);
}

void OnRestoreTimer(HWND combo) {
  KillTimer(combo, kRestoreTimer);
  CompletionData* data = DataOf(combo);
  if (!data) return;
  if (data->pendingRestore != 0) {
    data->pendingRestore = 0;
    SetWindowTextSafe(combo, data->savedText);
    SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(data->selectionStart, data->selectionEnd));
    return;
  }
  SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(wcslen(data->savedText), -1));
}

// The editor is gone: the application no longer has one, and the focus goes back to the main window's pane.
void ForgetEditor(HWND combo) {
  if (g_app && g_app->inlineEditor == combo) g_app->inlineEditor = nullptr;
}

LRESULT CALLBACK PathEditSubclassProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kRestoreTimer) {
        OnRestoreTimer(combo);
        return 0;
      }
      break;
    case kEditorCommitMessage:
      TakePath(combo);
      return 0;
    case kEditorDropDownEscMessage:
      if (CompletionData* data = DataOf(combo)) ++data->pendingRestore;
      SetTimer(combo, kRestoreTimer, kRestoreDelayMs, nullptr);
      SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (HBRUSH dark = HandleCtlColorDark(reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(dark);
      break;
    case WM_CLOSE: {
      ForgetEditor(combo);
      HWND main = GetAncestor(combo, GA_ROOT);
      DestroyWindow(combo);
      SetFocusSafe(main);
      return 0;
    }
    case WM_DESTROY:
      ForgetEditor(combo);
      FreeData(combo);
      break;
  }
  return CallPreviousWindowProc(g_previousComboProc, combo, message, wParam, lParam);
}

// The combo box's edit field: Enter opens the typed path, Escape closes the drop-down list, then the box.
LRESULT CALLBACK PathEditFieldProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND combo = GetParent(edit);
  if (message == WM_KEYDOWN && wParam == VK_RETURN) {
    PostWindowMessage(combo, kEditorCommitMessage, 0, 0);
    return 0;
  }
  // Escape closes an open drop-down list (the keyboard hook has asked the box to, keeping the typed text), else
  // the box.
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
    if (!SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) PostWindowMessage(combo, WM_CLOSE, 0, 0);
    return 0;
  }
  if (message == WM_CHAR && (wParam == L'\r' || wParam == VK_ESCAPE)) return 0;
  return CallPreviousWindowProc(g_previousEditProc, edit, message, wParam, lParam);
}

void SubclassEditor(HWND combo) {
  SubclassWindow(combo, PathEditSubclassProc, &g_previousComboProc);
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(combo, &info) && info.hwndItem) {
    SubclassWindow(info.hwndItem, PathEditFieldProc, &g_previousEditProc);
  }
}

// The text an edit begins with; false when there is nothing to edit (the copy command is done then).
bool StartingText(const AddressBar* bar, HWND barWindow, int command, wchar_t* text) {
  if (command == IDM_PATH_COPY) {
    SetClipboardText(barWindow, bar->path);
    return false;
  }
  if (command != IDM_PATH_PASTE) {
    CopyWideBounded(bar->path, text, kPathCapacity);
    return true;
  }
  wchar_t* clipboard = GetClipboardTextAlloc(barWindow);
  CopyWideBounded(clipboard ? clipboard : L"", text, kPathCapacity);
  FreeAndNull(&clipboard);
  return true;
}

HWND CreateCombo(const AddressBar* bar, HWND barWindow) {
  RECT client = {};
  GetClientRect(barWindow, &client);
  return CreateWindowExW(0, WC_COMBOBOXW, nullptr, kComboStyle, 0, 0, client.right,
                         bar->rowHeight + kPathEditListHeight, barWindow,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPathEditId)), InstanceOfWindow(barWindow),
                         nullptr);
}

}  // namespace

void BeginPathBarEdit(AddressBar* bar, HWND barWindow, int command) {
  if (!bar || !barWindow) return;
  if ((g_app && g_app->inlineEditor) || GetDlgItem(barWindow, kPathEditId)) return;
  wchar_t text[kPathCapacity];
  if (!StartingText(bar, barWindow, command, text)) return;
  HWND combo = CreateCombo(bar, barWindow);
  if (!combo) return;
  ApplyDarkModeToCombo(combo, 0, true);
  SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(bar->font), FALSE);
  SendMessageW(combo, CB_LIMITTEXT, kPathCapacity - 1, 0);
  SetWindowTextSafe(combo, text);
  SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  SetFocus(combo);
  if (g_app) g_app->inlineEditor = combo;
  LoadCompletionData(combo, bar->provider, text);
  SubclassEditor(combo);
}

void OnPathEditNotification(AddressBar* bar, WORD code, HWND combo) {
  switch (code) {
    case CBN_KILLFOCUS:
      PostWindowMessage(combo, WM_CLOSE, 0, 0);
      break;
    case CBN_EDITCHANGE:
      AutoCompletePath(combo, bar->provider);
      break;
    case CBN_DROPDOWN:
      SetTimer(combo, kRestoreTimer, kRestoreDelayMs, nullptr);
      break;
    case CBN_SELENDOK:
      PostWindowMessage(combo, kEditorCommitMessage, 0, 0);
      break;
  }
}

void MovePathEditToBar(const AddressBar* bar) {
  HWND combo = GetDlgItem(bar->window, kPathEditId);
  if (!combo) return;
  RECT client = {};
  GetClientRect(bar->window, &client);
  MoveWindow(combo, 0, 0, client.right, bar->rowHeight + kPathEditListHeight, TRUE);
}

void AutoCompletePath(HWND combo, int32_t provider) {
  wchar_t text[kPathCapacity];
  GetWindowTextSafe(combo, text, kPathCapacity);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  CompletionData* data = DataForText(combo, provider, text);
  ClearList(combo);
  if (!data) return;
  CopyWideBounded(text, data->savedText, kPathCapacity);
  data->selectionStart = start;
  data->selectionEnd = end;
  if (OfferMatchingNames(combo, *data, text) == 0) return;
  ++data->pendingRestore;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
}

void LoadCompletionData(HWND combo, int32_t provider, const wchar_t* folder) {
  RecordBuffer names;
  RecordBufferInit(&names, true);
  RecordBufferAppendString(&names, folder);
  VfsEnumerate(nullptr, folder, CollectName, &names);
  const uint32_t bytes = RecordBufferUsedBytes(&names);
  auto* data = static_cast<CompletionData*>(AllocZeroed(sizeof(CompletionData) + bytes + sizeof(wchar_t)));
  if (data) {
    if (const CompletionData* old = DataOf(combo)) {
      data->pendingRestore = old->pendingRestore;
      data->selectionStart = old->selectionStart;
      data->selectionEnd = old->selectionEnd;
      CopyWideBounded(old->savedText, data->savedText, kPathCapacity);
    }
    data->provider = provider;
    memcpy(data->folder, RecordBufferData(&names), bytes);
    FreeData(combo);
    SetWindowUserData(combo, reinterpret_cast<LONG_PTR>(data));
  }
  RecordBufferDestroy(&names);
}

const CompletionData* GetCompletionData(HWND combo) { return DataOf(combo); }
