// The resource library QVRXRES.dll beside the program file: the built-in UI string tables, the menu
// definitions and the command names. It exports one function, "r", which takes nothing and returns the
// library's list (`ResourceLibrary`); everything the list points at lives as long as the library stays loaded.
// The program and the library share this header, so it holds types only, plus the program's loader.
#pragma once
#include <cstdint>

#include "foundation/ui/ui_strings.h"

constexpr wchar_t kResourceLibraryFileName[] = L"QVRXRES.dll";
constexpr char kResourceLibraryExportName[] = "r";
// Raised whenever the layout of `ResourceLibrary` or of the records it points at changes.
constexpr uint32_t kResourceLibraryVersion = 1;

#pragma pack(push, 1)
// One item of a menu definition. A table ends with an entry whose id is 0. A separator has the item type
// kMenuSeparatorType and the id kMenuSeparatorId (-1 read as a signed 16-bit number). An entry with a child
// table opens a pop-up menu; its id names the pop-up's text.
struct MenuDefinitionEntry {
  uint16_t commandId;
  uint32_t itemType;  // MFT_ bits of the menu item
  const MenuDefinitionEntry* children;
};
#pragma pack(pop)
static_assert(sizeof(MenuDefinitionEntry) == 14, "menu definition entries are 14 bytes");

constexpr uint16_t kMenuSeparatorId = 0xFFFF;
constexpr uint32_t kMenuSeparatorType = 0x800;

// One language the library carries: its code (two letters and a terminator), the name the language choice
// shows, and its UI string table.
//
// The entry with the code "-" is the marker entry. Its table, named "-", stores 8-bit ASCII texts: for every
// text id of the default table the key under which a language file gives that text. The same keys are the
// command names of the shortcut settings (a key text resolves to its record's id); record 1, the key
// "Language" of the language's own name, is no command name, so a command-name search starts at record 2.
// The marker entry's display name is empty.
struct ResourceLanguage {
  char code[4];
  const wchar_t* displayName;
  const UiStringTable* table;
};

// What "r" returns. The first language is the default; the list ends with an entry whose table is null.
// The module-list and field-list definitions are placeholders that the program recognises by their address
// and replaces with its own contents (the rename modules, the fields of the modules and plug-ins).
struct ResourceLibrary {
  uint32_t size;     // sizeof(ResourceLibrary) as the library was built
  uint32_t version;  // kResourceLibraryVersion as the library was built
  const ResourceLanguage* languages;
  const MenuDefinitionEntry* mainMenu;
  const MenuDefinitionEntry* moduleList;
  const MenuDefinitionEntry* fieldList;
  const MenuDefinitionEntry* listPopup;  // select all, none, invert
};

using ResourceLibraryExport = const ResourceLibrary* (*)();

// The resource library's list: the first call loads QVRXRES.dll from the program file's folder and calls its
// export once; later calls return the same list. The library stays loaded until the process ends. Null when
// the library or its export is missing, the export fails, or its list has another layout.
const ResourceLibrary* LoadResourceLibrary();

// The same for the library in `folder`, loaded and asked anew at each call.
const ResourceLibrary* LoadResourceLibraryFrom(const wchar_t* folder);
