// What the program and its companion XAVO share. XAVO is a small program beside QVRX.exe that runs with
// administrator rights and carries out the registry writes the system refused the program (keys under
// HKEY_CLASSES_ROOT that an ordinary user may not change). The two talk through a named block of shared
// memory and poll its first byte: 0 idle, '.' the program is filling the block, a command letter a request
// pending; the companion writes its result at offset 9 and sets the byte back to 0.
//
// Any process of the user can write the block, so the companion trusts none of it beyond the choice of a
// registration. It takes a command only from a window of the program's class that belongs to the process that
// started it (any program of the session could make a window of that class), and carries out only what that
// program itself would do: it writes a key of the program's fixed set (program_registrations.h) with the value
// the program writes there, made from the image path of that process, which the companion reads from the
// process itself; it removes such a key, or the extension's class name, only while it holds the program's own
// value or none. The texts of the block only name the registration: what is written comes from the set. Anything
// else is refused with 5, and nothing is written.
#pragma once
#include <windows.h>

#include <cstdint>

// The name of the block, the class of the companion's window and the stem of its program file.
constexpr wchar_t kCompanionName[] = L"XAVO";
constexpr char kCompanionClassName[] = "XAVO";
// The class of the program's main window, the only sender the companion serves.
constexpr wchar_t kCompanionCallerClass[] = L"QVRX";

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

// The companion's side: carries out the command the state byte names for the program process `served`, whose
// image path is `programPath`, and gives its result (0 success, else the system's error; 5 for a sender that is
// not a main window of that process, a key outside the program's registrations, a value other than the
// program's own, or a named value; 87 for a text that does not parse; 1 for an unknown command). A query leaves
// its answer in the second text. The state byte is left as it is.
int32_t CarryOutCompanionCommand(CompanionBlock* block, DWORD served, const wchar_t* programPath);
