#include "shell/list_editor.h"

#include <commctrl.h>

#include <cwchar>
#include <initializer_list>

#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/window_wrappers.h"
#include "metadata/field_menu.h"

namespace {

constexpr int kEditorColumns = 2;
constexpr uint32_t kNoAlignmentData = 0x80000000;

int RowCount(HWND list) { return static_cast<int>(SendWindowMessage(list, LVM_GETITEMCOUNT, 0, 0)); }

bool ValidRow(HWND list, int index) { return index >= 0 && index < RowCount(list); }

void EnableButton(HWND toolbar, int command, bool enable) {
  SendWindowMessage(toolbar, TB_ENABLEBUTTON, command, MAKELPARAM(enable ? TRUE : FALSE, 0));
}

FieldMenu* MenuOf(HWND list) { return reinterpret_cast<FieldMenu*>(GetWindowUserData(list)); }

void FitColumns(HWND list) {
  for (int column = 0; column < kEditorColumns; ++column) ListViewAutoSizeColumn(list, column);
}

// A row's texts, image and item data, inserted after the focused row of `to` and selected there.
int CopyRowAfterFocused(HWND from, int row, HWND to, int image) {
  wchar_t text[kEditorTextCapacity];
  wchar_t second[kEditorSecondCapacity];
  ListViewGetItemText(from, row, 0, text, kEditorTextCapacity);
  ListViewGetItemText(from, row, 1, second, kEditorSecondCapacity);
  const auto data = reinterpret_cast<const void*>(ListViewItemParam(from, row));
  const int inserted = ListViewInsertItemAndSelect(to, text, -1, image, data, 0);
  if (inserted >= 0) ListViewSetItemText(to, inserted, 1, second);
  FitColumns(to);
  return inserted;
}

HMENU MenuOfRow(HWND list, int row) {
  if (ListViewItemImage(list, row) != kMenuRowImage) return nullptr;
  const auto menu = reinterpret_cast<HMENU>(ListViewItemParam(list, row));
  return IsMenu(menu) ? menu : nullptr;
}

void AddFocusedSourceRow(HWND dialog, HWND source, HWND target) {
  const int row = ListViewFocusedItem(source);
  if (row < 0) return;
  if (HMENU menu = MenuOfRow(source, row)) {
    ChooseListEntryFromMenu(dialog, source, menu, target);
  } else if (ListViewItemParam(source, row) < 0) {
    MessageBeep(MB_OK);
  } else {
    const int image = ListViewItemImage(source, row);
    CopyRowAfterFocused(source, row, target, image == kMenuRowImage ? 0 : image);
    ListViewDeleteItem(source, row);
    if (RowCount(source) > 0) ListViewSelectOnly(source, row > 0 ? row - 1 : 0);
  }
}

// A row made from a menu goes; any other goes back to the source list.
void RemoveFocusedTargetRow(HWND source, HWND target) {
  const int row = ListViewFocusedItem(target);
  if (row < 0) return;
  wchar_t second[kEditorSecondCapacity];
  ListViewGetItemText(target, row, 1, second, kEditorSecondCapacity);
  if (second[0] == 0) CopyRowAfterFocused(target, row, source, ListViewItemImage(target, row));
  ListViewDeleteItem(target, row);
  if (RowCount(target) > 0) ListViewSelectOnly(target, row < RowCount(target) ? row : row - 1);
}

void AlignFocusedTargetRow(HWND target, int image) {
  const int row = ListViewFocusedItem(target);
  if (row < 0) return;
  const LPARAM data = ListViewItemParam(target, row);
  if (data == 0 || static_cast<uint32_t>(data) == kNoAlignmentData) return;
  ListViewSetItemImage(target, row, image);
}

}  // namespace

void ListEditorCommand(HWND dialog, int command, int placeholderId, int sourceId, int targetId) {
  HWND source = GetDialogItem(dialog, sourceId);
  HWND target = GetDialogItem(dialog, targetId);
  switch (command) {
    case IDC_ENTRY_ADD:
      AddFocusedSourceRow(dialog, source, target);
      if (GetFocus() == source) EnableButton(GetDialogItem(dialog, placeholderId), IDC_ENTRY_ADD, false);
      break;
    case IDC_ENTRY_REMOVE:
      RemoveFocusedTargetRow(source, target);
      UpdateListEditorButtons(dialog, placeholderId, target, -1);
      break;
    case IDC_ENTRY_UP:
      ListViewMoveFocusedUp(target);
      break;
    case IDC_ENTRY_DOWN:
      ListViewMoveFocusedDown(target);
      break;
    case IDC_ENTRY_FROM_MENU:
      if (const FieldMenu* menu = MenuOf(source)) ChooseListEntryFromMenu(dialog, source, menu->menu, target);
      break;
    default:
      if (command >= IDC_ALIGN_LEFT && command <= IDC_ALIGN_RIGHT) {
        AlignFocusedTargetRow(target, command - IDC_ALIGN_LEFT);
      }
      break;
  }
}

bool IsListMenuRow(HWND list, int row) { return MenuOfRow(list, row) != nullptr; }

void UpdateListEditorAddButton(HWND dialog, int placeholderId, HWND list, int index) {
  if (GetFocus() != list) return;
  EnableButton(GetDialogItem(dialog, placeholderId), IDC_ENTRY_ADD, ValidRow(list, index));
}

void UpdateListEditorButtons(HWND dialog, int placeholderId, HWND list, int index) {
  if (GetFocus() != list) return;
  if (index < 0) index = ListViewFocusedItem(list);
  HWND toolbar = GetDialogItem(dialog, placeholderId);
  const bool valid = ValidRow(list, index);
  for (int command : {IDC_ENTRY_REMOVE, IDC_ALIGN_LEFT, IDC_ALIGN_CENTRE, IDC_ALIGN_RIGHT}) {
    EnableButton(toolbar, command, valid);
  }
  EnableButton(toolbar, IDC_ENTRY_UP, valid && index > 0);
  EnableButton(toolbar, IDC_ENTRY_DOWN, valid && index < RowCount(list) - 1);
}

void SetListEditorMenu(HWND list, FieldMenu* menu) {
  FreeListEditorMenu(list);
  SetWindowUserData(list, reinterpret_cast<LONG_PTR>(menu));
}

void FreeListEditorMenu(HWND list) {
  FieldMenu* menu = MenuOf(list);
  if (!menu) return;
  SetWindowUserData(list, 0);
  FreeFieldMenu(menu);
  FreeAndNull(&menu);
}

bool ParseListMenuEntry(const wchar_t* payload, ListMenuEntry* entry) {
  *entry = ListMenuEntry{};
  if (!payload || payload[0] == 0) return false;
  const wchar_t* a = payload + 1;
  const wchar_t* b = wcschr(a, L'=');
  const wchar_t* c = b ? wcschr(b + 1, L'=') : nullptr;
  if (!c) return false;
  entry->image = payload[0] == L'R' ? 2 : 0;
  CopyWideBounded(b + 1, entry->second, kEditorSecondCapacity);
  if (b > a) {
    const int length = static_cast<int>(b - a);
    CopyWideBounded(a, entry->text, length + 1 < kEditorTextCapacity ? length + 1 : kEditorTextCapacity);
  } else {
    CopyWideBounded(c + 1, entry->text, kEditorTextCapacity);
    if (wchar_t* dot = wcschr(entry->text, L'.')) *dot = 0;
  }
  return true;
}

bool AddListEntryFromMenu(HWND target, const FieldMenu* menu, int n) {
  wchar_t payload[kEditorSecondCapacity];
  ListMenuEntry entry;
  if (!GetFieldMenuPayload(menu, n, payload, kEditorSecondCapacity) || !ParseListMenuEntry(payload, &entry)) {
    return false;
  }
  const int row = ListViewInsertItem(target, entry.text, -1, entry.image, reinterpret_cast<const void*>(-n), 0);
  if (row < 0) return false;
  ListViewSetItemText(target, row, 1, entry.second);
  FitColumns(target);
  return true;
}

void ChooseListEntryFromMenu(HWND dialog, HWND source, HMENU popup, HWND target) {
  const FieldMenu* menu = MenuOf(source);
  if (!menu || !popup) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  const int chosen = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, dialog, nullptr);
  if (chosen > 0) AddListEntryFromMenu(target, menu, chosen);
}
