#include "shell/keyboard_hook.h"

#include <commctrl.h>

#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/profile/profile_store.h"
#include "foundation/profile/profile_values.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/resource_library.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/settings_values.h"

KeyHookState g_keyHookState;

const ShortcutDefault kFixedKeyTable[] = {
    {VK_ESCAPE, IDM_CANCEL},
    {VK_TAB, IDM_NEXT_PANE},
    {kKeyShift | VK_TAB, IDM_PREVIOUS_PANE},
    {0, 0},
};

const ShortcutDefault kDefaultShortcutTable[] = {
    {VK_F3, IDM_SHOW_IN_FILE_MANAGER},
    {VK_F5, IDM_REFRESH_TREE},
    {kKeyShift | VK_F6, IDM_RENAME_IN_PLACE},
    {kKeyCtrl | VK_SPACE, IDM_FILTER},
    {kKeyAlt | VK_RETURN, IDM_PROPERTIES},
    {kKeyShift | VK_RETURN, IDM_ATTRIBUTES},
    {kKeyCtrl | 'A', IDM_SELECT_ALL},
    {kKeyCtrl | 'D', IDM_SELECT_NONE},
    {kKeyCtrl | 'G', IDM_OPEN_IN_FILE_MANAGER},
    {kKeyCtrl | 'I', IDM_INVERT_SELECTION},
    {kKeyCtrl | 'S', IDM_SAVE_SETTINGS},
    {0, 0},
};

const uint16_t kReservedShortcutKeys[] = {
    VK_F1, VK_TAB, kKeyCtrl | VK_TAB, kKeyShift | VK_TAB, VK_ESCAPE, VK_INSERT, VK_RETURN, 0,
};

namespace {

constexpr char kCommandNameTableCode[] = "-";
// Record 1 of the key table names the language itself, no command.
constexpr int kFirstCommandNameRecord = 2;
constexpr LRESULT kKeyEaten = 1;

bool IsKeyRelease(LPARAM flags) { return (HIWORD(flags) & KF_UP) != 0; }
bool HasAltContext(LPARAM flags) { return (HIWORD(flags) & KF_ALTDOWN) != 0; }
bool InDialogMode(LPARAM flags) { return (HIWORD(flags) & KF_DLGMODE) != 0; }
bool IsHeld(int virtualKey) { return GetKeyState(virtualKey) < 0; }

// The resource library's command-name table: the key table "-"; null without the library.
const UiStringTable* LibraryCommandNames() {
  const ResourceLibrary* library = LoadResourceLibrary();
  if (!library) return nullptr;
  for (const ResourceLanguage* language = library->languages; language->table; ++language) {
    if (strcmp(language->code, kCommandNameTableCode) == 0) return language->table;
  }
  return nullptr;
}

const char* LibraryName(const UiStringRecord& record) { return static_cast<const char*>(record.text); }

int LibraryCommandOfName(const char* name) {
  const UiStringTable* table = LibraryCommandNames();
  if (!table) return 0;
  for (const UiStringRecord* record = &table->records[kFirstCommandNameRecord]; record->id != 0; ++record) {
    if (LibraryName(*record) && strcmp(LibraryName(*record), name) == 0) return static_cast<uint16_t>(record->id);
  }
  return 0;
}

const char* LibraryNameOfCommand(int commandId) {
  const UiStringTable* table = LibraryCommandNames();
  if (!table) return nullptr;
  for (const UiStringRecord* record = &table->records[kFirstCommandNameRecord]; record->id != 0; ++record) {
    if (static_cast<uint16_t>(record->id) == commandId) return LibraryName(*record);
  }
  return nullptr;
}

const ShortcutDefault* FindPair(const ShortcutDefault* table, uint16_t keyCode) {
  for (const ShortcutDefault* pair = table; pair && pair->keyCode != 0; ++pair) {
    if (pair->keyCode == keyCode) return pair;
  }
  return nullptr;
}

void EnterProfileKey(uint32_t keyCode, const char* commandName, void* userData) {
  auto* state = static_cast<KeyHookState*>(userData);
  if (keyCode == 0 || keyCode >= kShortcutTableSize || IsReservedShortcutKey(static_cast<uint16_t>(keyCode))) return;
  if (commandName[0] != 0) state->shortcuts[keyCode] = static_cast<uint16_t>(ParseCommandName(commandName));
}

// Win+Alt: the main window's placement again, kept on the screen, when the user agrees.
bool ConfirmResetWindowPosition() {
  wchar_t question[512];
  GetUiText(kTextResetWindowPosition, question, 512);
  if (ShowMessageBoxWide(GetDesktopWindow(), question, g_app ? g_app->title : nullptr, MB_YESNO | MB_ICONQUESTION) !=
      IDYES) {
    return false;
  }
  NormalizeWindowPosition(g_mainWindow, &g_settingsStore, kMainSection);
  return true;
}

bool IsComboDroppedDown(HWND window) { return SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0) != 0; }

// Step 3: a shortcut of the main window while it is active. True when the key was taken.
bool RunShortcut(WPARAM virtualKey, LPARAM flags) {
  if (InDialogMode(flags) || !g_mainWindow || GetActiveWindow() != g_mainWindow) return false;
  const int command = ShortcutCommandOfKey(&g_keyHookState, KeyCodeOfPress(virtualKey, flags));
  if (command == 0) return false;
  PostMessageW(g_mainWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
  return true;
}

// Step 4: Enter and Esc of an open inline editor. The answer, or -1 when the key goes on.
LRESULT RouteToInlineEditor(WPARAM virtualKey) {
  HWND editor = g_app ? g_app->inlineEditor : nullptr;
  if (!editor || (virtualKey != VK_RETURN && virtualKey != VK_ESCAPE)) return -1;
  if (virtualKey == VK_RETURN) {
    PostMessageW(editor, kEditorCommitMessage, 0, 0);
    return kKeyEaten;
  }
  // An open drop-down list closes on the key itself.
  if (IsComboDroppedDown(editor)) {
    PostMessageW(editor, kEditorDropDownEscMessage, 0, 0);
    return 0;
  }
  PostMessageW(editor, WM_CLOSE, 0, 0);
  return kKeyEaten;
}

// The hook's work on a key taken from the queue: the answer, or -1 when the next hook decides.
LRESULT OnKeyTaken(WPARAM virtualKey, LPARAM flags) {
  if (IsKeyRelease(flags)) return -1;
  if (virtualKey == VK_LWIN && HasAltContext(flags) && ConfirmResetWindowPosition()) return kKeyEaten;
  // Esc belongs to an open inline editor before it is the main window's Esc command: it closes the editor's
  // drop-down list first, then the editor.
  if (virtualKey == VK_ESCAPE && g_app && g_app->inlineEditor) return RouteToInlineEditor(virtualKey);
  if (RunShortcut(virtualKey, flags)) return kKeyEaten;
  return RouteToInlineEditor(virtualKey);
}

}  // namespace

void InitKeyHookState(KeyHookState* state) {
  if (!state) return;
  *state = KeyHookState{};
  state->defaults = kDefaultShortcutTable;
  state->section = kShortcutsSection;
  state->commandNames = kCommandNameTable;
}

void ReleaseKeyHookState(KeyHookState* state) {
  if (!state || !state->hook) return;
  UnhookWindowsHookEx(state->hook);
  state->hook = nullptr;
  state->hookThread = 0;
}

void InstallKeyboardHook(KeyHookState* state, HINSTANCE module) {
  if (!state) return;
  FillShortcutTable(state);
  const DWORD thread = GetCurrentThreadId();
  if (state->hook && state->hookThread == thread) return;
  // A hook of an ended GUI thread (a program run on another thread of the same process) goes first.
  ReleaseKeyHookState(state);
  state->hook = SetWindowsHookExW(WH_KEYBOARD, KeyboardHookProc, module, thread);
  if (state->hook) state->hookThread = thread;
}

void FillShortcutTable(KeyHookState* state) {
  memset(state->shortcuts, 0, sizeof state->shortcuts);
  for (const ShortcutDefault* pair = state->defaults; pair && pair->keyCode != 0; ++pair) {
    if (pair->keyCode < kShortcutTableSize) state->shortcuts[pair->keyCode] = pair->commandId;
  }
  if (state->section) LoadShortcutSettings(state->section, EnterProfileKey, state);
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM virtualKey, LPARAM keyFlags) {
  if (code == HC_ACTION) {
    const LRESULT answer = GuardedCall<LRESULT>(kKeyEaten, [&] { return OnKeyTaken(virtualKey, keyFlags); });
    if (answer >= 0) return answer;
  }
  return CallNextHookEx(g_keyHookState.hook, code, virtualKey, keyFlags);
}

uint16_t KeyCodeOfPress(WPARAM virtualKey, LPARAM keyFlags) {
  uint16_t keyCode = static_cast<uint16_t>(virtualKey & kVirtualKeyMask);
  if (HasAltContext(keyFlags)) keyCode |= kKeyAlt;
  if (IsHeld(VK_CONTROL)) keyCode |= kKeyCtrl;
  if (IsHeld(VK_SHIFT)) keyCode |= kKeyShift;
  return keyCode;
}

int ShortcutCommandOfKey(const KeyHookState* state, uint16_t keyCode) {
  if (const ShortcutDefault* fixed = FindPair(kFixedKeyTable, keyCode)) return fixed->commandId;
  return keyCode < kShortcutTableSize ? state->shortcuts[keyCode] : 0;
}

bool IsReservedShortcutKey(uint16_t keyCode) {
  for (const uint16_t* reserved = kReservedShortcutKeys; *reserved != 0; ++reserved) {
    if (*reserved == keyCode) return true;
  }
  return false;
}

int DefaultCommandOfKey(const KeyHookState* state, uint16_t keyCode) {
  const ShortcutDefault* pair = FindPair(state->defaults, keyCode);
  return pair ? pair->commandId : 0;
}

uint16_t LowestKeyOfCommand(const KeyHookState* state, int commandId) {
  if (commandId <= 0) return 0;
  for (int keyCode = 1; keyCode < kShortcutTableSize; ++keyCode) {
    if (state->shortcuts[keyCode] == commandId) return static_cast<uint16_t>(keyCode);
  }
  return 0;
}

uint16_t HighestKeyOfCommand(const KeyHookState* state, int commandId) {
  if (commandId <= 0) return 0;
  for (int keyCode = kShortcutTableSize - 1; keyCode > 0; --keyCode) {
    if (state->shortcuts[keyCode] == commandId) return static_cast<uint16_t>(keyCode);
  }
  return 0;
}

int ParseCommandName(const char* name) {
  if (!name || name[0] == 0) return 0;
  if (const int command = LibraryCommandOfName(name)) return command;
  for (const CommandNameEntry& entry : kCommandNameTable) {
    if (entry.name && strcmp(entry.name, name) == 0) return entry.commandId;
  }
  return 0;
}

const char* CommandNameForId(int commandId) {
  if (commandId <= 0) return nullptr;
  if (const char* name = LibraryNameOfCommand(commandId)) return name;
  for (const CommandNameEntry& entry : kCommandNameTable) {
    if (entry.commandId == commandId) return entry.name;
  }
  return nullptr;
}
