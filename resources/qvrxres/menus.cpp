#include "resources/qvrxres/menus.h"

// Every id is a command of the main window and names the item's text; a pop-up's id names its title.
namespace {

constexpr MenuDefinitionEntry kSeparator = {kMenuSeparatorId, kMenuSeparatorType, nullptr};
constexpr MenuDefinitionEntry kEnd = {0, 0, nullptr};

// The recent settings files are inserted before Exit (101), so it stays the file menu's last item.
const MenuDefinitionEntry kFileMenu[] = {
    {102, 0, nullptr}, {103, 0, nullptr}, {104, 0, nullptr}, kSeparator,
    {105, 0, nullptr}, {106, 0, nullptr}, {171, 0, nullptr}, {121, 0, nullptr}, kSeparator,
    {107, 0, nullptr}, {175, 0, nullptr}, {108, 0, nullptr}, {109, 0, nullptr}, {110, 0, nullptr}, kSeparator,
    {101, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kEditMenu[] = {
    {123, 0, nullptr}, {124, 0, nullptr}, {125, 0, nullptr}, {126, 0, nullptr}, {127, 0, nullptr}, kSeparator,
    {130, 0, nullptr}, {131, 0, nullptr}, {132, 0, nullptr}, kSeparator,
    {133, 0, nullptr}, {134, 0, nullptr}, {135, 0, nullptr}, {136, 0, nullptr}, kSeparator,
    {111, 0, nullptr}, {112, 0, nullptr}, kEnd,
};

// Sorting by a content field (600) takes its items from the field list.
const MenuDefinitionEntry kSortMenu[] = {
    {141, 0, nullptr}, {142, 0, nullptr}, {143, 0, nullptr}, {144, 0, nullptr}, {145, 0, nullptr},
    {146, 0, nullptr}, {147, 0, nullptr}, {148, 0, nullptr}, {149, 0, nullptr}, {150, 0, nullptr}, kSeparator,
    {600, 0, kFieldListMenu}, kSeparator,
    {152, 0, nullptr}, kEnd,
};

// The view menu must stay third: its check marks are set when the menu at position 2 opens.
const MenuDefinitionEntry kViewMenu[] = {
    {161, 0, nullptr}, {162, 0, nullptr}, {163, 0, nullptr}, {164, 0, nullptr}, kSeparator,
    {165, 0, nullptr}, {166, 0, nullptr}, {167, 0, nullptr}, {168, 0, nullptr}, kSeparator,
    {140, 0, kSortMenu}, kSeparator,
    {139, 0, nullptr}, {169, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kToolsMenu[] = {
    {172, 0, nullptr}, {178, 0, nullptr}, {179, 0, nullptr}, kSeparator,
    {30000, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kDisplayMenu[] = {
    {211, 0, nullptr}, {212, 0, nullptr}, {213, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kOptionsMenu[] = {
    {183, 0, nullptr}, {184, 0, nullptr}, {182, 0, nullptr}, {181, 0, nullptr}, {185, 0, nullptr},
    {210, 0, kDisplayMenu}, kSeparator,
    {186, 0, nullptr}, {187, 0, nullptr}, {188, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kHelpMenu[] = {
    {191, 0, nullptr}, {192, 0, nullptr}, kSeparator,
    {194, 0, nullptr}, kSeparator,
    {196, 0, nullptr}, kEnd,
};

}  // namespace

const MenuDefinitionEntry kMainMenu[] = {
    {100, 0, kFileMenu}, {120, 0, kEditMenu}, {160, 0, kViewMenu}, {170, 0, kToolsMenu},
    {180, 0, kOptionsMenu}, {190, 0, kHelpMenu}, kEnd,
};

// Distinct objects: the program tells the two placeholders apart by their addresses.
const MenuDefinitionEntry kModuleListMenu[] = {kEnd};
const MenuDefinitionEntry kFieldListMenu[] = {kEnd};

const MenuDefinitionEntry kListPopupMenu[] = {
    {130, 0, nullptr}, {131, 0, nullptr}, {132, 0, nullptr}, kEnd,
};
