#include "engine/module_dialog_helpers.h"

#include "engine/module_table.h"
#include "foundation/bounded_text.h"
#include "foundation/text_encoding.h"
#include "foundation/ui_strings.h"

namespace {

constexpr int kNamePartTextId = 2301;
constexpr int kExtensionPartTextId = 13211;
constexpr int kPlaceholderTextId = 41;
constexpr int kUiTextCapacity = 256;
constexpr int kMenuTextCapacity = 1024;

void AddNamePart(HWND combo, int textId, wchar_t part) {
  wchar_t text[kUiTextCapacity];
  GetUiText(textId, text, kUiTextCapacity);
  const LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  if (item >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), part);
}

}  // namespace

void FillNamePartCombo(HWND combo) {
  if (combo == nullptr) return;
  AddNamePart(combo, kNamePartTextId, L'n');
  AddNamePart(combo, kExtensionPartTextId, L'e');
}

void InitEditWithPlaceholder(HWND edit, const wchar_t* text) {
  if (edit == nullptr) return;
  // The record keeps 255 characters of a comment; the edit takes no more than that.
  SendMessageW(edit, EM_LIMITTEXT, kStepCommentCapacity - 1, 0);
  if (text != nullptr && text[0] != 0) {
    SetWindowTextW(edit, text);
    return;
  }
  wchar_t placeholder[kUiTextCapacity];
  GetUiText(kPlaceholderTextId, placeholder, kUiTextCapacity);
  SetWindowTextW(edit, placeholder);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

void GetEditTextNoPlaceholder(HWND edit, wchar_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return;
  out[0] = 0;
  if (edit == nullptr) return;
  GetWindowTextW(edit, out, capacity);
  wchar_t placeholder[kUiTextCapacity];
  GetUiText(kPlaceholderTextId, placeholder, kUiTextCapacity);
  if (placeholder[0] != 0 && EqualsIgnoreCaseWide(out, placeholder)) out[0] = 0;
}

int AddAnsiStringItems(HMENU menu, int firstId, const char* const* texts) {
  if (menu == nullptr || texts == nullptr) return 0;
  int count = 0;
  wchar_t text[kMenuTextCapacity];
  for (; texts[count] != nullptr; ++count) {
    MultiByteToWideBounded(texts[count], text, kMenuTextCapacity, CP_ACP);
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(firstId + count + 1), text);
  }
  return count;
}
