// What the program and its companion XAVO share. XAVO is a small program beside QVRX.exe that runs with
// administrator rights and carries out the registry writes the system refused the program (keys under
// HKEY_CLASSES_ROOT that an ordinary user may not change). The two talk through a named block of shared
// memory and poll its first byte: 0 idle, '.' the program is filling the block, a command letter a request
// pending; the companion writes its result at offset 9 and sets the byte back to 0.
//
// Since an elevated process acts on what the block says, the companion takes a command only from a window of
// the program's class that belongs to the process that started it (any program of the session could make a
// window of that class), and only for the keys of the program's own registrations (the settings-file type and
// the verb of folders and drives) under the classes root; anything else is refused with 5.
#pragma once
#include <windows.h>

#include <cstdint>

// The name of the block, the class of the companion's window and the stem of its program file.
constexpr wchar_t kCompanionName[] = L"XAVO";
constexpr char kCompanionClassName[] = "XAVO";
// The class of the program's main window, the only sender the companion serves.
constexpr wchar_t kCompanionCallerClass[] = L"QVRX";

// The program's registrations under HKEY_CLASSES_ROOT: the settings-file extension and its class, and the
// verb that opens a folder or a drive in the program.
constexpr wchar_t kSettingsFileExtension[] = L"zqr";
constexpr wchar_t kSettingsFileClass[] = L"QVRX";
constexpr wchar_t kExplorerVerbName[] = L"Quorvex";

// Characters of each text of the block, the terminator included.
constexpr int kCompanionTextCapacity = 260;

// The state byte and the commands.
constexpr char kCompanionIdle = 0;
constexpr char kCompanionFilling = '.';
constexpr char kCompanionCreateKey = 'k';    // first: root and key; second: the key's default value
constexpr char kCompanionDeleteKey = 'q';    // first: root and key
constexpr char kCompanionDeleteValue = 'v';  // first: root and key; second: the value name
constexpr char kCompanionSetText = 't';      // first: root, key, '\' and value name; second: the text
constexpr char kCompanionQuery = 'L';        // first: root and key; second: the value name, then the answer

#pragma pack(push, 1)
struct CompanionBlock {
  char state;
  uint64_t mainWindow;  // the sender's main window
  int32_t result;
  wchar_t first[kCompanionTextCapacity];
  wchar_t second[kCompanionTextCapacity];
};
#pragma pack(pop)
static_assert(sizeof(CompanionBlock) == 1053, "the companion's block is 1053 bytes");

// The state byte as the other process left it, and set for the other process to see (with a full barrier,
// so that the texts written before are seen before the byte).
char ReadCompanionState(const CompanionBlock* block);
void WriteCompanionState(CompanionBlock* block, char state);

// The first text of a command: the root's number (0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER,
// 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS), a blank, the subkey and, with a value name, '\' (unless the subkey ends
// with a separator) and the name. 0; 87 for another root; 206 when the text would not fit in the block.
int FormatCompanionKeyText(HKEY root, const wchar_t* subkey, const wchar_t* valueName,
                           wchar_t (&target)[kCompanionTextCapacity]);

// True when the key is one of the program's registrations or lies below one: under the classes root as it is,
// under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE below "Software\Classes\". Compared as the registry compares
// names (ordinal, ignoring case).
bool IsProgramRegistrationKey(HKEY root, const wchar_t* subkey);

// The companion's side: carries out the command the state byte names for the program process `served` and
// gives its result (0 success, else the system's error; 5 for a sender that is not a main window of that
// process or a key outside the program's registrations, 87 for a text that does not parse, 1 for an unknown
// command). A query leaves its answer in the second text. The state byte is left as it is.
int32_t CarryOutCompanionCommand(CompanionBlock* block, DWORD served);
