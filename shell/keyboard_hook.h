// The keyboard shortcuts: the main window has no accelerator table. A keyboard hook on the GUI thread turns key
// presses into commands through a table of 2048 key codes, filled from the built-in defaults and from section
// "Keys" of the profile store (one line per changed key: the key code in decimal = the command's name, "-" to
// remove a default). The hook also hands Enter and Esc to an open inline editor.
//
// A key code is the virtual key in bits 0-7 plus kKeyAlt, kKeyCtrl and kKeyShift for the modifiers held. The
// state lives for the whole process; the hook, once installed for the GUI thread, stays across restarts of
// the main window and is removed at process exit.
#pragma once
#include <windows.h>

#include <cstdint>

struct CommandNameEntry;

constexpr int kShortcutTableSize = 2048;
constexpr uint16_t kKeyAlt = 0x100;
constexpr uint16_t kKeyCtrl = 0x200;
constexpr uint16_t kKeyShift = 0x400;
constexpr uint16_t kKeyModifiers = kKeyAlt | kKeyCtrl | kKeyShift;
constexpr uint16_t kVirtualKeyMask = 0xFF;

#pragma pack(push, 1)
// A key code and its command; a table ends with a zero key code.
struct ShortcutDefault {
  uint16_t keyCode;
  uint16_t commandId;
};
#pragma pack(pop)

// Esc, Tab and Shift+Tab: looked up before the shortcut table, never changed.
extern const ShortcutDefault kFixedKeyTable[];
// The shortcuts of a profile without section "Keys".
extern const ShortcutDefault kDefaultShortcutTable[];
// Keys "Keys" never assigns and the editor refuses: F1, Tab, Ctrl+Tab, Shift+Tab, Esc, Insert, Enter; 0 ends it.
extern const uint16_t kReservedShortcutKeys[];

struct KeyHookState {
  const ShortcutDefault* defaults;        // kDefaultShortcutTable once set up
  HHOOK hook;                             // null until installed
  DWORD hookThread;                       // the GUI thread the hook belongs to
  const char* section;                    // the profile section of the user's keys
  const CommandNameEntry* commandNames;   // the main window's command names
  uint16_t shortcuts[kShortcutTableSize]; // command id by key code, 0 for none
};

extern KeyHookState g_keyHookState;

// Sets the state up: the default and command-name tables, no hook, an empty table, section "Keys".
void InitKeyHookState(KeyHookState* state);
// Removes the hook when one was installed.
void ReleaseKeyHookState(KeyHookState* state);

// Fills the table and installs the hook for the calling thread when it has none yet.
void InstallKeyboardHook(KeyHookState* state, HINSTANCE module);
// The table afresh: the defaults, then the lines of section "Keys" (reserved keys and codes of 2048 or more
// skipped; a name no table holds leaves its key without a command).
void FillShortcutTable(KeyHookState* state);

// The WH_KEYBOARD procedure. It acts only on a key taken from the queue (HC_ACTION), so a peek that leaves the
// key there does not run its command a second time.
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM virtualKey, LPARAM keyFlags);
// The key code of a key press: the Alt context bit of its flags, Ctrl and Shift as the thread's key state had
// them when the key was sent (not when the hook runs, which may be later).
uint16_t KeyCodeOfPress(WPARAM virtualKey, LPARAM keyFlags);
// The command a key code runs in the main window: the fixed keys first, then the table; 0 for none.
int ShortcutCommandOfKey(const KeyHookState* state, uint16_t keyCode);

bool IsReservedShortcutKey(uint16_t keyCode);
// The default command of a key code; 0 for none.
int DefaultCommandOfKey(const KeyHookState* state, uint16_t keyCode);
// The lowest (highest) key code whose table entry is the command; 0 for none.
uint16_t LowestKeyOfCommand(const KeyHookState* state, int commandId);
uint16_t HighestKeyOfCommand(const KeyHookState* state, int commandId);

// Command names of the settings: the resource library's command-name table (the key table "-"), then the main
// window's table, both compared exactly. 0 (null) when neither holds the name (the id).
int ParseCommandName(const char* name);
const char* CommandNameForId(int commandId);
