#include "shell/toolbar_descriptor.h"

#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/ui/command_ids.h"
#include "foundation/win32/icons.h"
#include "foundation/win32/toolbars.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/main_window.h"
#include "shell/profile_notices.h"
#include "shell/settings_values.h"

ToolbarDescriptor g_mainToolbar;

namespace {

constexpr DWORD kMainToolbarStyle = 0x800000;
constexpr uint16_t kMainToolbarControlId = 1;

constexpr uint8_t kPlain = 0;
constexpr uint8_t kSeparator = 1;
constexpr uint8_t kCheck = 2;
constexpr uint8_t kDropDown = 8;

constexpr ToolbarButtonRow kMainToolbarButtons[] = {
    {IDM_TOOLBAR_SEPARATOR, -1, kSeparator}, {IDM_FOLDER_BACK, 0, kDropDown}, {IDM_FOLDER_FORWARD, 1, kDropDown},
    {IDM_FOLDER_UP, 2, kPlain}, {IDM_REFRESH_TREE, 3, kPlain}, {IDM_NEW_LIST, 4, kPlain},
    {IDM_OPEN_SETTINGS, 5, kPlain}, {IDM_SAVE_SETTINGS, 6, kPlain}, {IDM_RENAME_IN_PLACE, 7, kPlain},
    {IDM_START_RENAMING, 8, kPlain}, {IDM_HELP_TOPICS, 29, kPlain}, {IDM_STOP, 9, kPlain}, {IDM_UNDO, 10, kPlain},
    {IDM_SHOW_IN_FILE_MANAGER, 11, kPlain}, {IDM_ATTRIBUTES, 30, kPlain}, {IDM_TIMESTAMPS, 31, kPlain},
    {IDM_PROPERTIES, 12, kPlain}, {IDM_OPEN_IN_FILE_MANAGER, 13, kPlain}, {IDM_EXPORT_LIST, 15, kPlain},
    {IDM_ADD_STEP, 17, kPlain}, {IDM_EDIT_STEP, 18, kPlain}, {IDM_REMOVE_STEP, 19, kPlain}, {IDM_STEP_UP, 20, kPlain},
    {IDM_STEP_DOWN, 21, kPlain}, {IDM_FILTER, 22, kPlain}, {IDM_CONNECT_DRIVE, 23, kPlain},
    {IDM_DISCONNECT_DRIVE, 24, kPlain}, {IDM_FOLDER_TREE, 25, kCheck}, {IDM_SUBFOLDERS, 26, kCheck},
    {IDM_SELECTED_ONLY, 27, kCheck}, {IDM_APPLY_FILTER, 28, kCheck}, {0, 0, 0},
};

constexpr uint16_t kMainToolbarDefaultChoice[] = {
    IDM_REFRESH_TREE, IDM_TOOLBAR_SEPARATOR, IDM_FOLDER_BACK, IDM_FOLDER_FORWARD, IDM_FOLDER_UP, IDM_PROPERTIES,
    IDM_SHOW_IN_FILE_MANAGER, IDM_OPEN_IN_FILE_MANAGER, IDM_TOOLBAR_SEPARATOR, IDM_NEW_LIST, IDM_OPEN_SETTINGS,
    IDM_SAVE_SETTINGS, IDM_TOOLBAR_SEPARATOR, IDM_ADD_STEP, IDM_EDIT_STEP, IDM_TOOLBAR_SEPARATOR, IDM_REMOVE_STEP,
    IDM_TOOLBAR_SEPARATOR, IDM_STEP_UP, IDM_STEP_DOWN, IDM_TOOLBAR_SEPARATOR, IDM_START_RENAMING, IDM_STOP, IDM_UNDO,
    IDM_TOOLBAR_SEPARATOR, IDM_SUBFOLDERS, IDM_TOOLBAR_SEPARATOR, IDM_EXPORT_LIST, 0,
};

int ChoiceLength(const uint16_t* choice) {
  int length = 0;
  while (choice && choice[length] != 0) ++length;
  return length;
}

uint16_t* CopyChoice(const uint16_t* choice) {
  const int length = ChoiceLength(choice);
  auto* copy = static_cast<uint16_t*>(AllocZeroed(static_cast<uint32_t>(length + 1) * sizeof(uint16_t)));
  for (int i = 0; copy && i < length; ++i) copy[i] = choice[i];
  return copy;
}

void TakeChoice(ToolbarDescriptor* descriptor, uint16_t* choice) {
  FreeAndNull(&descriptor->choice);
  descriptor->choice = choice;
}

// The command of a stored number: the button whose image number plus one it is, the separator for 0, else the
// number itself.
uint16_t CommandOfStoredNumber(const ToolbarDescriptor* descriptor, int number) {
  if (number == 0) return descriptor->separatorId;
  for (const ToolbarButtonRow* row = descriptor->buttons; row && row->commandId != 0; ++row) {
    if (row->imageNumber + 1 == number) return static_cast<uint16_t>(row->commandId);
  }
  return static_cast<uint16_t>(number);
}

int StoredNumberOfCommand(const ToolbarDescriptor* descriptor, uint16_t command) {
  const ToolbarButtonRow* row = FindToolbarButton(descriptor, command);
  return row ? row->imageNumber + 1 : command;
}

TBBUTTON ButtonOfRow(const ToolbarButtonRow& row) {
  TBBUTTON button = {};
  const bool separator = row.style == kSeparator;
  button.iBitmap = separator ? 0 : row.imageNumber;
  button.idCommand = separator ? 0 : row.commandId;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = row.style;
  return button;
}

// The buttons of the chosen commands the table holds, ended by an entry with state 0; null without memory.
TBBUTTON* BuildButtons(const ToolbarDescriptor* descriptor) {
  const int length = ChoiceLength(descriptor->choice);
  auto* buttons = static_cast<TBBUTTON*>(AllocZeroed(static_cast<uint32_t>(length + 1) * sizeof(TBBUTTON)));
  int count = 0;
  for (int i = 0; buttons && i < length; ++i) {
    const ToolbarButtonRow* row = FindToolbarButton(descriptor, descriptor->choice[i]);
    if (row) buttons[count++] = ButtonOfRow(*row);
  }
  return buttons;
}

// The window (unless it went with its parent) with the image lists it showed.
void DestroyToolbarWindow(ToolbarDescriptor* descriptor) {
  ToolbarWindow toolbar = {descriptor->toolbar, descriptor->toolbarImages, descriptor->toolbarHotImages};
  DestroyToolbar(&toolbar);
  descriptor->toolbar = nullptr;
  descriptor->toolbarImages = nullptr;
  descriptor->toolbarHotImages = nullptr;
}

}  // namespace

void InitMainToolbarDescriptor(ToolbarDescriptor* descriptor, SettingsStore* store) {
  if (!descriptor) return;
  *descriptor = ToolbarDescriptor{};
  descriptor->extraStyle = kMainToolbarStyle;
  descriptor->buttons = kMainToolbarButtons;
  descriptor->defaultChoice = kMainToolbarDefaultChoice;
  descriptor->store = store;
  descriptor->separatorId = IDM_TOOLBAR_SEPARATOR;
  descriptor->controlId = kMainToolbarControlId;
}

void DestroyToolbarDescriptor(ToolbarDescriptor* descriptor) {
  if (!descriptor) return;
  DestroyToolbarWindow(descriptor);
  FreeAndNull(&descriptor->choice);
  DestroyHeldImageList(&descriptor->dialogImages);
}

const ToolbarButtonRow* FindToolbarButton(const ToolbarDescriptor* descriptor, int commandId) {
  for (const ToolbarButtonRow* row = descriptor->buttons; row && row->commandId != 0; ++row) {
    if (row->commandId == commandId) return row;
  }
  return nullptr;
}

void LoadToolbarChoice(ToolbarDescriptor* descriptor) {
  char text[kToolbarChoiceTextCapacity] = {};
  LoadToolbarChoiceSetting(descriptor->store, text, kToolbarChoiceTextCapacity);
  uint16_t* stored = ParseToolbarChoice(descriptor, text);
  if (stored) {
    TakeChoice(descriptor, stored);
  } else {
    CopyDefaultToolbarChoice(descriptor);
  }
}

void CopyDefaultToolbarChoice(ToolbarDescriptor* descriptor) {
  TakeChoice(descriptor, CopyChoice(descriptor->defaultChoice));
}

uint16_t* ParseToolbarChoice(const ToolbarDescriptor* descriptor, const char* text) {
  const int count = ParseNarrowIntegerList(text, nullptr);
  if (count == 0) return nullptr;
  auto* numbers = static_cast<int16_t*>(AllocZeroed(static_cast<uint32_t>(count) * sizeof(int16_t)));
  auto* choice = static_cast<uint16_t*>(AllocZeroed(static_cast<uint32_t>(count + 1) * sizeof(uint16_t)));
  if (numbers && choice) {
    ParseNarrowIntegerList(text, numbers);
    for (int i = 0; i < count; ++i) choice[i] = CommandOfStoredNumber(descriptor, numbers[i]);
  } else {
    FreeAndNull(&choice);
  }
  FreeAndNull(&numbers);
  return choice;
}

void FormatToolbarChoice(const ToolbarDescriptor* descriptor, char* text, int capacity) {
  if (capacity <= 0) return;
  text[0] = 0;
  for (int i = 0; descriptor->choice && descriptor->choice[i] != 0; ++i) {
    char number[16];
    IntToNarrowDecimal(StoredNumberOfCommand(descriptor, descriptor->choice[i]), number, 16);
    if (i > 0) AppendNarrowBounded(",", text, capacity);
    AppendNarrowBounded(number, text, capacity);
  }
}

void RebuildToolbar(ToolbarDescriptor* descriptor, HINSTANCE instance, HWND parent, int iconSize,
                    uint16_t* newChoice) {
  RebuildToolbarWithoutIcons(descriptor, instance, parent, iconSize, newChoice);
  LoadToolbarIcons(descriptor);
}

void RebuildToolbarWithoutIcons(ToolbarDescriptor* descriptor, HINSTANCE instance, HWND parent, int iconSize,
                                uint16_t* newChoice) {
  descriptor->instance = instance;
  descriptor->parent = parent;
  if (iconSize != 0) descriptor->iconSize = static_cast<uint16_t>(iconSize);
  if (newChoice) TakeChoice(descriptor, newChoice);
  if (!descriptor->choice) LoadToolbarChoice(descriptor);
  DestroyToolbarWindow(descriptor);
  TBBUTTON* buttons = BuildButtons(descriptor);
  if (!buttons) return;
  const ToolbarPlacement placement = {parent, descriptor->extraStyle, descriptor->controlId, instance};
  const ToolbarWindow built =
      descriptor->bitmapImageCount != 0
          ? CreateToolbarFromBitmap(placement, buttons, descriptor->bitmapId, descriptor->hotBitmapId,
                                    descriptor->bitmapImageCount, descriptor->iconSize)
          : CreateToolbarForLaterIcons(placement, buttons, descriptor->iconSize);
  descriptor->toolbar = built.toolbar;
  descriptor->toolbarImages = built.images;
  descriptor->toolbarHotImages = built.hotImages;
  FreeAndNull(&buttons);
}

void LoadToolbarIcons(ToolbarDescriptor* descriptor) {
  if (descriptor->bitmapImageCount != 0) return;  // the strip came with the window
  const ToolbarWindow toolbar = {descriptor->toolbar, descriptor->toolbarImages, descriptor->toolbarHotImages};
  LoadToolbarButtonIcons(toolbar, descriptor->instance, descriptor->iconSize);
}

void SaveToolbarChoice(ToolbarDescriptor* descriptor) {
  char text[kToolbarChoiceTextCapacity];
  FormatToolbarChoice(descriptor, text, kToolbarChoiceTextCapacity);
  StoreToolbarChoiceSetting(descriptor->store, text);
  SaveSettings(descriptor->store, nullptr);
}

int ParseNarrowIntegerList(const char* text, int16_t* out) {
  int count = 0;
  for (const char* c = text; c && *c;) {
    const bool negative = *c == '-' && c[1] >= '0' && c[1] <= '9';
    if (!negative && (*c < '0' || *c > '9')) {
      ++c;
      continue;
    }
    if (negative) ++c;
    // Kept in 16 bits, so longer digit runs may wrap.
    uint32_t value = 0;
    for (; *c >= '0' && *c <= '9'; ++c) value = value * 10 + static_cast<uint32_t>(*c - '0');
    if (out) out[count] = static_cast<int16_t>(negative ? 0u - value : value);
    ++count;
  }
  return count;
}
