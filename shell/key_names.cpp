#include "shell/key_names.h"

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "shell/keyboard_hook.h"
#include "shell/main_commands.h"

namespace {

constexpr int kCharacterCount = 256;

struct ModifierName {
  uint16_t bit;
  int16_t textId;
};

// In the order the names show them.
constexpr ModifierName kModifierNames[] = {
    {kKeyAlt, kTextKeyAlt}, {kKeyCtrl, kTextKeyCtrl}, {kKeyShift, kTextKeyShift}};

// Keys whose name is the UI text 9000 + the virtual key.
bool HasTextName(int key) {
  switch (key) {
    case VK_BACK:
    case VK_TAB:
    case VK_CLEAR:
    case VK_RETURN:
    case VK_PAUSE:
    case VK_CAPITAL:
    case VK_ESCAPE:
    case VK_NUMLOCK:
    case VK_SCROLL:
      return true;
    default:
      return key >= VK_SPACE && key <= VK_DELETE;
  }
}

// The character each virtual key types without modifiers, in the active code page's range; taken once.
const wchar_t* KeyCharacters() {
  static wchar_t characters[kCharacterCount] = {};
  static bool built = false;
  if (built) return characters;
  built = true;
  for (int code = 1; code < kCharacterCount; ++code) {
    const char narrow = static_cast<char>(code);
    wchar_t wide = 0;
    if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wide, 1) != 1) continue;
    const SHORT scan = VkKeyScanW(wide);
    if (scan == -1 || HIBYTE(scan) != 0) continue;
    if (characters[LOBYTE(scan)] == 0) characters[LOBYTE(scan)] = wide;
  }
  return characters;
}

void AppendUiText(int id, wchar_t* buffer, int capacity) {
  wchar_t text[kUiTextCapacity];
  GetUiText(id, text, kUiTextCapacity);
  AppendWideBounded(text, buffer, capacity);
}

void AppendCharacter(wchar_t character, wchar_t* buffer, int capacity) {
  const wchar_t text[2] = {character, 0};
  AppendWideBounded(text, buffer, capacity);
}

// The key's own name after the modifiers; false when the key has none and the whole name must stay empty.
bool AppendKeyPart(int key, wchar_t* buffer, int capacity) {
  static const wchar_t kNumpadOperators[] = L"*+?-?/";
  static const wchar_t kPunctuation[] = L"+,-.";
  if (key == VK_SEPARATOR || key == VK_DECIMAL) return false;
  wchar_t text[16] = {};
  if (key >= VK_F1 && key <= VK_F24) {
    swprintf(text, 16, L"F%d", key - VK_F1 + 1);
  } else if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) {
    AppendUiText(kTextKeyNumDigit, buffer, capacity);
    text[0] = static_cast<wchar_t>(L'0' + key - VK_NUMPAD0);
  } else if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    text[0] = static_cast<wchar_t>(key);
  } else if (key >= VK_MULTIPLY && key <= VK_DIVIDE) {
    AppendUiText(kTextKeyNumOperator, buffer, capacity);
    text[0] = L' ';
    text[1] = kNumpadOperators[key - VK_MULTIPLY];
  } else if (HasTextName(key)) {
    AppendUiText(kTextKeyNameBase + key, buffer, capacity);
  } else if (key >= VK_OEM_PLUS && key <= VK_OEM_PERIOD) {
    text[0] = kPunctuation[key - VK_OEM_PLUS];
  } else if (key < VK_SHIFT || key > VK_MENU) {
    text[0] = KeyCharacters()[key];
  }
  AppendWideBounded(text, buffer, capacity);
  return true;
}

// A UI text up to its first ';', without menu decorations.
void PlainUiText(int id, wchar_t* buffer, int capacity) {
  buffer[0] = 0;
  if (id == 0) return;
  GetUiText(id, buffer, capacity);
  if (wchar_t* status = wcschr(buffer, L';')) *status = 0;
  StripMenuTextDecorations(buffer);
}

const CommandNameEntry* NamedEntryOf(const KeyHookState* state, const CommandNameEntry* entry) {
  if (entry->name && entry->name[0]) return entry;
  // The end entry has command id 0.
  for (const CommandNameEntry* named = state->commandNames; named && named->commandId != 0; ++named) {
    if (named->commandId == entry->commandId && named->name && named->name[0]) return named;
  }
  return entry;
}

// '#' and the name from its first digit on; nothing for a name without a digit.
void NumberedName(const char* name, wchar_t* buffer, int capacity) {
  const char* digits = name;
  while (digits && *digits && (*digits < '0' || *digits > '9')) ++digits;
  if (!digits || *digits == 0) return;
  CopyWideBounded(L"#", buffer, capacity);
  for (; *digits; ++digits) {
    AppendCharacter(static_cast<wchar_t>(static_cast<unsigned char>(*digits)), buffer, capacity);
  }
}

}  // namespace

void FormatKeyName(uint16_t keyCode, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  for (const ModifierName& modifier : kModifierNames) {
    if (!(keyCode & modifier.bit)) continue;
    AppendUiText(modifier.textId, buffer, capacity);
    AppendWideBounded(L"+", buffer, capacity);
  }
  if (!AppendKeyPart(keyCode & kVirtualKeyMask, buffer, capacity)) buffer[0] = 0;
}

void AppendShortcutToMenuText(const KeyHookState* state, int commandId, wchar_t* text, int capacity) {
  if (commandId == IDM_WINDOW_LIST) return;
  if (wchar_t* tab = wcschr(text, L'\t')) *tab = 0;
  const uint16_t keyCode = HighestKeyOfCommand(state, commandId);
  if (keyCode == 0) return;
  wchar_t name[kKeyNameCapacity];
  FormatKeyName(keyCode, name, kKeyNameCapacity);
  if (name[0] == 0) return;
  AppendWideBounded(L"\t", text, capacity);
  AppendWideBounded(name, text, capacity);
}

void GetCommandLabel(const KeyHookState* state, const CommandNameEntry* entry, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  entry = NamedEntryOf(state, entry);
  wchar_t group[kUiTextCapacity];
  wchar_t command[kUiTextCapacity];
  PlainUiText(entry->groupTextId, group, kUiTextCapacity);
  PlainUiText(entry->commandId, command, kUiTextCapacity);
  if (command[0] == 0) NumberedName(entry->name, command, kUiTextCapacity);
  CopyWideBounded(group, buffer, capacity);
  if (group[0] && command[0]) AppendWideBounded(L" - ", buffer, capacity);
  AppendWideBounded(command, buffer, capacity);
}
