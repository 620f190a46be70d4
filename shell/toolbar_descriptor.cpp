#include "shell/toolbar_descriptor.h"

#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/win32/icons.h"
#include "foundation/win32/toolbars.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/main_window.h"
#include "shell/profile_notices.h"
#include "shell/settings_values.h"

ToolbarDescriptor g_mainToolbar;

namespace {

constexpr uint16_t kSeparatorCommand = 98;
constexpr DWORD kMainToolbarStyle = 0x800000;
constexpr uint16_t kMainToolbarControlId = 1;

constexpr uint8_t kPlain = 0;
constexpr uint8_t kSeparator = 1;
constexpr uint8_t kCheck = 2;
constexpr uint8_t kDropDown = 8;

constexpr ToolbarButtonRow kMainToolbarButtons[] = {
    {98, -1, kSeparator}, {197, 0, kDropDown}, {198, 1, kDropDown}, {199, 2, kPlain}, {169, 3, kPlain},
    {102, 4, kPlain},     {103, 5, kPlain},    {104, 6, kPlain},    {105, 7, kPlain}, {106, 8, kPlain},
    {191, 29, kPlain},    {171, 9, kPlain},    {121, 10, kPlain},   {175, 11, kPlain}, {108, 30, kPlain},
    {109, 31, kPlain},    {110, 12, kPlain},   {172, 13, kPlain},   {107, 15, kPlain}, {123, 17, kPlain},
    {124, 18, kPlain},    {125, 19, kPlain},   {126, 20, kPlain},   {127, 21, kPlain}, {184, 22, kPlain},
    {178, 23, kPlain},    {179, 24, kPlain},   {161, 25, kCheck},   {162, 26, kCheck}, {163, 27, kCheck},
    {164, 28, kCheck},    {0, 0, 0},
};

constexpr uint16_t kMainToolbarDefaultChoice[] = {169, 98,  197, 198, 199, 110, 175, 172, 98, 102,
                                                  103, 104, 98,  123, 124, 98,  125, 98,  126, 127,
                                                  98,  106, 171, 121, 98,  162, 98,  107, 0};

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
  descriptor->separatorId = kSeparatorCommand;
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
