#include "shell/menu_help.h"

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/menus.h"
#include "views/status_bar.h"

namespace {

constexpr int kHintCapacity = 128;
constexpr UINT kPositionsWithIds = 10;

int SelectedId(HMENU menu, WPARAM selection) {
  const UINT item = LOWORD(selection);
  if (!(HIWORD(selection) & MF_POPUP)) return static_cast<int>(item);
  if (!menu || item >= kPositionsWithIds) return 0;
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  return MenuGetItemInfoByPosition(menu, item, MIIM_ID, &info, nullptr, 0) ? static_cast<int>(info.wID) : 0;
}

}  // namespace

void MenuHelpText(const wchar_t* uiText, bool popup, wchar_t* hint, int capacity) {
  hint[0] = 0;
  const wchar_t* first = wcschr(uiText, L';');
  if (first) {
    const wchar_t* second = wcschr(first + 1, L';');
    const int length = static_cast<int>(second ? second - first - 1 : wcslen(first + 1));
    CopyWideBounded(first + 1, hint, length + 1 < capacity ? length + 1 : capacity);
  } else if (!popup) {
    CopyWideBounded(uiText, hint, capacity);
    StripMenuTextDecorations(hint);
  }
  const size_t length = wcslen(hint);
  if (length > 0 && hint[length - 1] != L'.') AppendWideBounded(L".", hint, capacity);
}

void MenuHelpToStatusBar(StatusBar* bar, HMENU menu, WPARAM selection) {
  const int id = SelectedId(menu, selection);
  wchar_t hint[kHintCapacity] = {};
  if (id != 0) {
    wchar_t text[kHintCapacity];
    // The string table reads some ids under another number (197 under 9008, 2400 under 2349).
    GetUiText(id, text, kHintCapacity);
    MenuHelpText(text, (HIWORD(selection) & MF_POPUP) != 0, hint, kHintCapacity);
  }
  StatusBarSetHintText(bar, hint);
}
