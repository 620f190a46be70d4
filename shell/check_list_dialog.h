// The check-list dialog (template 6500): the buttons a toolbar can show in one list, those it shows in order in
// the other, the separator always available and often chosen; ">>" and "<<" (or a double click) move the
// focused entry across, "Move up" and "Move down" order the shown ones, and a size list, when the dialog has
// one, gives the icon size. OK rebuilds the toolbar with the new choice and stores it.
//
// Command IDM_TOOLBAR_BUTTONS opens it for the main toolbar with the toolbar icon sizes.
#pragma once
#include <windows.h>

#include <cstdint>

struct ToolbarDescriptor;

// The control ids of a check-list dialog, in this order; a size label of 0 means no size list.
struct CheckListDescription {
  uint16_t templateId;
  uint16_t okId;
  uint16_t cancelId;
  uint16_t availableLabelId;
  uint16_t chosenLabelId;
  uint16_t availableListId;
  uint16_t chosenListId;
  uint16_t removeId;
  uint16_t addId;
  uint16_t upId;
  uint16_t downId;
  uint16_t sizeLabelId;
  uint16_t sizeListId;
};

// The main toolbar's dialog.
extern const CheckListDescription kToolbarCheckList;

// Shows the dialog for the descriptor; on OK the choice is stored (and the profile saved). The chosen icon size
// (or 1 without a size list) after OK, 0 after Cancel.
int RunCheckListDialog(ToolbarDescriptor* descriptor, HINSTANCE instance, HWND parent,
                       const CheckListDescription* description);

// Command IDM_TOOLBAR_BUTTONS: the dialog for the main toolbar; a new icon size is stored as "IconTB". The toolbar
// then takes its drop-down arrows and check states again, shows unless the option word hides it, and the window is
// laid out.
void ChooseToolbarIconSize(HWND window);
// The main toolbar as the main window shows it: built at the toolbar icon size, with drop-down arrows, the
// check states of the view options and the enabled states of its commands. Its icons come later
// (LoadToolbarIcons).
void CreateMainToolbar(HWND window);
