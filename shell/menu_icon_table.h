// Which icon each menu command shows: pairs of command id and icon resource id (the command's own id), ended by
// a 0 command id. The main window builds the menus' image list from it, the shortcut page its own copy.
#pragma once
#include <cstdint>

extern const uint16_t kMenuIconTable[];
