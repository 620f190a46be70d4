// The main window's commands. Every menu item, toolbar button, shortcut and context-menu verb ends as a
// WM_COMMAND to the main window, which looks the id up in the command table and runs its handler. The command
// state table greys out and refuses the commands that cannot run now (nothing listed, no step selected, a job
// busy, ...) and those whose part of the program is not there yet, each with the reason.
#pragma once
#include <windows.h>

#include <cstdint>

// One row of the command state table. A command of the table is greyed and refused while its rule holds, and
// always when the part of the program it needs is missing.
struct CommandState {
  uint16_t commandId;
  uint8_t disabled;
  uint8_t applied;     // the state last given to the menu and the toolbar
  uint8_t rule;        // CommandRule
  const char* missing; // the missing part it needs; null when it can run
};

// The rows, in table order.
int CommandStateCount();
const CommandState* CommandStateAt(int index);
// The row of a command; null when the table has none.
const CommandState* FindCommandState(int commandId);

// True when the command cannot run now: its row's rule holds (worked out afresh) or its part is missing, or it
// changes the chain or the files while a job is busy. WM_COMMAND ignores such a command.
bool IsCommandDisabled(int commandId);

// Works the table out again and gives the menu and the toolbar every state that changed since it was last
// given (every state with `force`).
void UpdateMenuStates(HWND window, bool force);
// The same from any thread, for the main window; the engine's and the views' hook.
void UpdateMainMenuStates();
void RefreshAllMenuStates();

// What the shortcut settings call the commands.
#pragma pack(push, 1)
struct CommandNameEntry {
  uint16_t groupTextId;
  uint16_t commandId;
  const char* name;
};
#pragma pack(pop)
static_assert(sizeof(CommandNameEntry) == 12, "command name entries are 12 bytes");

constexpr int kCommandNameCount = 60;  // the end entry {0, 0, "-"} included
extern const CommandNameEntry kCommandNameTable[kCommandNameCount];

// A handler of the command table: the window, the command id and the message's lParam.
using CommandHandler = void (*)(HWND window, int commandId, LPARAM lParam);

// The handler of a command id (ids first, then the ranges: recent files, fields, modules); null when the table
// has none.
CommandHandler FindCommandHandler(int commandId);
// Every id the table has a row for, one by one; false past the last.
bool CommandTableId(int index, int* first, int* last);

// WM_COMMAND of the main window, after the state table let the command through.
void OnMainCommand(HWND window, WPARAM wParam, LPARAM lParam);

// The toolbar's check buttons of the folder tree, subfolders, selected-only and filter as the option word says.
void ApplyViewOptions(HWND window);
// The main window above all others while the option says so.
void ApplyAlwaysOnTop(HWND window);
// Check marks of the view menu (the menu at position 2 of the menu bar) when it opens.
void SetViewMenuChecks(HMENU popup, int position);

// Stores the option word as "Opt".
void StoreOptionWord();
