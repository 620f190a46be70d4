// The library's menu definitions.
#pragma once
#include "foundation/ui/resource_library.h"

extern const MenuDefinitionEntry kMainMenu[];
// Placeholders the program fills with the rename modules and with the fields of modules and plug-ins.
extern const MenuDefinitionEntry kModuleListMenu[];
extern const MenuDefinitionEntry kFieldListMenu[];
// The pop-up of check-box lists: tick all, tick none, invert.
extern const MenuDefinitionEntry kListPopupMenu[];
