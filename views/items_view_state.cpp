#include "views/items_view_state.h"

#include <algorithm>

#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "views/file_list_row.h"
#include "views/items_view_edit.h"
#include "views/items_view_layout.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"

namespace {

constexpr uint32_t kStateMask = kRowFocused | kRowSelected;

bool IsSingleSelection(const ItemListControl* control) {
  return (control->creation.viewWord & kViewSingleSelection) != 0;
}

uint8_t SelectingBits(const ItemListControl* control) {
  return (control->creation.styleFlags & kListFocusDoesNotSelect) ? kRowFocused : kRowFocused | kRowSelected;
}

bool RefusesSelection(const ItemListControl* control, const uint8_t* row, int index) {
  SelectionVetoCallback veto = control->creation.vetoSelection;
  if (!veto) return false;
  return GuardedCall(0, [&] { return veto(row, index); }) == 0;
}

UINT StateImage(uint8_t state) { return (state & kRowChecked) ? kStateImageSet : kStateImageClear; }

void ApplyRowState(ItemListControl* control, int index, int value, uint32_t mask);

void MoveFocusFrom(ItemListControl* control, int index) {
  int previous = control->focusedIndex;
  if (previous >= 0 && previous != index) ApplyRowState(control, previous, 0, kRowFocused);
  control->focusedIndex = index;
}

void ApplyRowState(ItemListControl* control, int index, int value, uint32_t mask) {
  const uint8_t* row = GetItemRecord(control, index);
  if (!row) return;
  uint8_t old = row[2];
  uint8_t updated = old;
  if (value < 0) {
    if (mask & kRowSelected) updated ^= kRowSelected;
  } else {
    updated = static_cast<uint8_t>((old & ~mask) | (static_cast<uint32_t>(value) & mask));
  }
  bool gainsSelection = (updated & kRowSelected) && !(old & kRowSelected);
  if (gainsSelection && RefusesSelection(control, row, index)) {
    updated &= ~kRowSelected;
    gainsSelection = false;
  }
  if ((updated & kRowFocused) && !(old & kRowFocused)) MoveFocusFrom(control, index);
  if (!(updated & kRowFocused) && (old & kRowFocused) && control->focusedIndex == index) control->focusedIndex = -1;
  if (gainsSelection && IsSingleSelection(control)) ItemsViewDeselectOthers(control, index);
  // The parent's answers to the notifications above may have moved the rows' bytes.
  uint8_t* current = GetItemRecord(control, index);
  if (!current) return;
  current[2] = updated;
  if (((old ^ updated) & ~kRowChecked) == 0) return;
  ItemsViewRedrawItem(control, index);
  NotifyItemChanged(control, index, old & ~kRowChecked, updated & ~kRowChecked);
}

}  // namespace

int ItemsViewSetItemState(ItemListControl* control, int index, int value, uint32_t mask) {
  mask &= kStateMask;
  if (index < 0) {
    if (!(mask & kRowSelected)) return 0;
    ItemsViewEndEdit(control, true);
    int count = static_cast<int>(ItemStoreCount(&control->rows));
    for (int i = 0; i < count; ++i) ApplyRowState(control, i, value, kRowSelected);
    return 1;
  }
  if (!GetItemRecord(control, index)) return 0;
  ApplyRowState(control, index, value, mask);
  return 1;
}

void ItemsViewSelectItems(ItemListControl* control, int index, int value) {
  ItemsViewSetItemState(control, index, value ? kRowSelected : 0, kRowSelected);
}

void ItemsViewDeselectOthers(ItemListControl* control, int keep) {
  int count = static_cast<int>(ItemStoreCount(&control->rows));
  for (int i = 0; i < count; ++i) {
    const uint8_t* row = GetItemRecord(control, i);
    if (i != keep && row && (row[2] & kRowSelected)) ApplyRowState(control, i, 0, kRowSelected);
  }
}

void ItemsViewFocusItem(ItemListControl* control, int index, bool extend) {
  if (!GetItemRecord(control, index)) return;
  int old = control->focusedIndex;
  if (extend && !IsSingleSelection(control) && old >= 0) {
    for (int i = std::min(old, index); i <= std::max(old, index); ++i)
      ApplyRowState(control, i, kRowSelected, kRowSelected);
  } else if (!(control->creation.styleFlags & kListFocusDoesNotSelect)) {
    ItemsViewDeselectOthers(control, index);
  }
  uint8_t bits = SelectingBits(control);
  ApplyRowState(control, index, bits, bits);
  ItemsViewEnsureVisible(control, index);
}

int ItemsViewSetItemCheck(ItemListControl* control, int index, int value) {
  if (!(control->creation.styleFlags & kListCheckBoxes)) return 0;
  uint8_t* row = GetItemRecord(control, index);
  if (!row) return 0;
  uint8_t old = row[2];
  bool checked = (old & kRowChecked) != 0;
  bool wanted = value < 0 ? !checked : value != 0;
  if (wanted == checked) return 0;
  uint8_t updated = wanted ? (old | kRowChecked) : (old & ~kRowChecked);
  row[2] = updated;
  ItemsViewRedrawItem(control, index);
  uint8_t kept = old & ~kRowChecked;
  NotifyItemChanged(control, index, kept | StateImage(old), kept | StateImage(updated));
  return 1;
}

int ItemsViewSetSelectionMark(ItemListControl* control, int index) {
  int previous = control->focusedIndex;
  if (index == previous || !GetItemRecord(control, index)) return -1;
  uint8_t bits = SelectingBits(control);
  ApplyRowState(control, index, bits, bits);
  ItemsViewEnsureVisible(control, index);
  return previous;
}

int ItemsViewMoveFocus(ItemListControl* control, int direction) {
  int focused = control->focusedIndex;
  if (!GetItemRecord(control, focused)) return -1;
  ItemsViewEndEdit(control, false);
  int moved = static_cast<int>(ItemStoreMove(&control->rows, static_cast<uint32_t>(focused), direction));
  if (moved != focused) {
    control->focusedIndex = moved;
    ItemsViewRedrawItem(control, focused);
    ItemsViewRedrawItem(control, moved);
    ItemsViewEnsureVisible(control, moved);
  }
  return moved;
}
