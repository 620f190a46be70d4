// The shell's items: item-id lists and their names and paths, the drives (also those only the shell's
// "computer" folder shows), item-id lists of paths for a context menu, context-menu verbs on paths, and
// opening files through the shell.
//
// Item-id lists come from and go back to the shell's allocator; a function that makes one frees it before it
// returns unless it hands it to the caller. Calls into the shell are guarded: a fault gives the empty text,
// 0 or -1 its comment names.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <cstdint>

// Frees a block of the shell's allocator; null is ignored.
void FreeShellMemory(void* block);

// Bytes of the list including its two-byte terminator.
uint32_t PidlSize(LPCITEMIDLIST pidl);
// A copy of the list (of only its first item with `firstOnly`) from the shell's allocator; null on failure.
LPITEMIDLIST PidlClone(LPCITEMIDLIST pidl, bool firstOnly = false);
// A new list of `first` followed by `second`; null on failure.
LPITEMIDLIST PidlConcat(LPCITEMIDLIST first, LPCITEMIDLIST second);

// The file-system path of an absolute item-id list: non-zero when the system gave it. Otherwise the target
// holds the address-bar name, and a name of the form "computer\D\folder" becomes "D:\folder"; the result is
// then 0.
int PidlToPath(LPCITEMIDLIST pidl, wchar_t* target, int capacity);

// The desktop's display name (SHGDN flags) of an absolute item-id list; empty on failure. The result is the
// text's length.
int GetDisplayNameOfPidl(LPCITEMIDLIST pidl, DWORD flags, wchar_t* target, int capacity);

// An item's name in its folder as the file system spells it: its display name, continued from the parsing
// name where that holds it (so a name shown without its extension comes with it). The result is its length.
int GetItemFileName(IShellFolder* folder, LPCITEMIDLIST child, wchar_t* target, int capacity);

// The drive roots "X:\" in letter order, each zero-terminated, and a final zero; with `includeShellDrives`
// also the drives the shell's "computer" folder lists. Letters that do not fit are left out. The result is
// the characters used including the final zero (0 for no room at all).
int EnumerateLogicalDrives(bool includeShellDrives, wchar_t* target, int capacity);

// True when every path of a double-zero-terminated list lies in one folder (ignoring case), as the items of one
// context menu must; false for an empty list.
bool PathsShareOneFolder(const wchar_t* paths);

// Item-id lists of the paths of a double-zero-terminated list, for a context menu: the paths sorted by name,
// the shell folder of their common parent into `folder` (the caller releases it), and a zero-ended array of
// one child item-id list per path (freed with FreeShellStringArray). Paths that do not all lie in the same
// folder are refused, since a menu acts on items of one folder only. Null on any failure, with the count 0.
LPITEMIDLIST* PathListToPidls(const wchar_t* paths, int* count, IShellFolder** folder);

// Frees every entry of a zero-ended array from the shell's allocator, then the array.
void FreeShellStringArray(LPITEMIDLIST* array);

// Runs the context-menu verb (8-bit, at most 63 characters, compared ignoring case) on the paths of a
// double-zero-terminated list. 0 when invoked, 5 when no item has the verb or a step fails, -1 on a fault.
int InvokeShellVerbOnPaths(HWND window, const char* verb, const wchar_t* paths);

// Opens a file with its default verb through the shell, owned by `owner`, in `folder` (the file's own folder
// when null) with `parameters` (an empty text counts as none); show command 5 is passed as 1. True when the
// shell started it.
bool ShellOpenFile(HWND owner, const wchar_t* file, const wchar_t* folder, const wchar_t* parameters, int show);

// ShellExecuteW with an 8-bit verb (at most 63 characters, null for the default) and SW_SHOWNORMAL: its
// result (above 32 means success); a value of 0x80000000 or more gives 1989, a fault 0xFFFFFFFF.
uint32_t ShellExecuteWithVerb(HWND window, const char* verb, const wchar_t* file);
