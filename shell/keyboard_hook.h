// The keyboard hook's state: the hook that turns keys into commands, and the table it looks them up in. The
// state lives for the whole process; the hook, once installed, stays across restarts of the main window.
#pragma once
#include <windows.h>

#include <cstdint>

struct ShortcutDefault;
struct CommandNameEntry;

constexpr int kShortcutTableSize = 2048;

struct KeyHookState {
  const ShortcutDefault* defaults;        // the default key of each command; null until shortcuts exist
  HHOOK hook;                             // null until installed
  const char* section;                    // the profile section of the user's keys
  const CommandNameEntry* commandNames;   // the command names of the settings; null until commands exist
  uint16_t shortcuts[kShortcutTableSize]; // command id by key code, 0 for none
};

extern KeyHookState g_keyHookState;

// Sets the state up: no hook, an empty table, section "Keys".
void InitKeyHookState(KeyHookState* state);
// Removes the hook when one was installed.
void ReleaseKeyHookState(KeyHookState* state);
