#include "shell/toolbar_descriptor.h"

#include "foundation/icons.h"
#include "foundation/memory.h"
#include "foundation/window_wrappers.h"

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

}  // namespace

void InitMainToolbarDescriptor(ToolbarDescriptor* descriptor, SettingsStore* store) {
  if (!descriptor) return;
  *descriptor = ToolbarDescriptor{};
  descriptor->extraStyle = kMainToolbarStyle;
  descriptor->buttons = kMainToolbarButtons;
  descriptor->defaultChoice = kMainToolbarDefaultChoice;
  descriptor->store = store;
  descriptor->key = "TB";
  descriptor->separatorId = kSeparatorCommand;
  descriptor->controlId = kMainToolbarControlId;
}

void DestroyToolbarDescriptor(ToolbarDescriptor* descriptor) {
  if (!descriptor) return;
  DestroyWindowIfAlive(descriptor->toolbar);
  descriptor->toolbar = nullptr;
  FreeAndNull(&descriptor->choice);
  DestroyHeldImageList(&descriptor->dialogImages);
}
