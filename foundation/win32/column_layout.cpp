#include "foundation/win32/column_layout.h"

#include <algorithm>

namespace {

int PositiveWidth(const ColumnLayout& entry) { return entry.width > 0 ? entry.width : 0; }

// How many visible columns are displayed before the visible column at table position `position`.
int DisplayPositionOfVisible(const ColumnLayout* table, int position) {
  int before = 0;
  for (int i = 0; table[i].id != 0; ++i) {
    if (!IsColumnVisible(table[i]) || i == position) continue;
    if (table[i].order < table[position].order || (table[i].order == table[position].order && i < position)) {
      ++before;
    }
  }
  return before;
}

}  // namespace

int ColumnLayoutCount(const ColumnLayout* table) {
  int count = 0;
  while (table && table[count].id != 0) ++count;
  return count;
}

int ColumnLayoutVisibleCount(const ColumnLayout* table) {
  int count = 0;
  for (int i = 0; table && table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i])) ++count;
  }
  return count;
}

ColumnLayout* ColumnLayoutNthVisible(ColumnLayout* table, int n) {
  return const_cast<ColumnLayout*>(ColumnLayoutNthVisible(static_cast<const ColumnLayout*>(table), n));
}

const ColumnLayout* ColumnLayoutNthVisible(const ColumnLayout* table, int n) {
  if (n < 0) return nullptr;
  for (int i = 0; table && table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i]) && n-- == 0) return &table[i];
  }
  return nullptr;
}

int ColumnLayoutNthVisibleId(const ColumnLayout* table, int n) {
  const ColumnLayout* entry = ColumnLayoutNthVisible(table, n);
  return entry ? entry->id : -1;
}

ColumnLayout* ColumnLayoutFindByOrder(ColumnLayout* table, int order, int* index) {
  if (index) *index = -1;
  for (int i = 0; table && table[i].id != 0; ++i) {
    if (table[i].order == order) {
      if (index) *index = i;
      return &table[i];
    }
  }
  return nullptr;
}

ColumnLayout* ColumnLayoutFindById(ColumnLayout* table, int id) {
  for (int i = 0; table && table[i].id != 0; ++i) {
    if (table[i].id == id) return &table[i];
  }
  return nullptr;
}

int ColumnLayoutDisplayPosition(const ColumnLayout* table, int id) {
  const ColumnLayout* column = ColumnLayoutFindById(const_cast<ColumnLayout*>(table), id);
  if (!column || !IsColumnVisible(*column)) return -1;
  int before = 0;
  for (int i = 0; table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i]) && table[i].order < column->order) ++before;
  }
  return before;
}

bool ColumnLayoutIsHeapOwned(const ColumnLayout* table) { return table && table[ColumnLayoutCount(table)].width != 0; }

int ColumnLayoutTotalWidth(const ColumnLayout* table) {
  int total = 0;
  for (int i = 0; table && table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i])) total += PositiveWidth(table[i]);
  }
  return total;
}

int ColumnLayoutFirstColumnOffset(const ColumnLayout* table) {
  if (!table || table[0].id == 0 || !IsColumnVisible(table[0])) return 0;
  int offset = 0;
  for (int i = 1; table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i]) && table[i].order < table[0].order) offset += PositiveWidth(table[i]);
  }
  return offset;
}

bool HasColumnOrderGap(const ColumnLayout* table) {
  int visible = ColumnLayoutVisibleCount(table);
  for (int order = 0; order < visible; ++order) {
    if (!ColumnLayoutFindByOrder(const_cast<ColumnLayout*>(table), order, nullptr)) return true;
  }
  return false;
}

int ColumnLayoutVisibleIndexOf(const ColumnLayout* table, int position) {
  if (position < 0 || position >= ColumnLayoutCount(table) || !IsColumnVisible(table[position])) return -1;
  int before = 0;
  for (int i = 0; i < position; ++i) {
    if (IsColumnVisible(table[i])) ++before;
  }
  return before;
}

int ColumnLayoutOrderArray(const ColumnLayout* table, int* order, int count) {
  if (!order || count <= 0 || ColumnLayoutVisibleCount(table) != count) return 0;
  int item = 0;
  for (int i = 0; table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i])) order[DisplayPositionOfVisible(table, i)] = item++;
  }
  return item;
}

void RenumberColumnOrders(ColumnLayout* table) {
  int order = 0;
  for (int i = 0; table && table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i])) table[i].order = order++;
  }
}

int CompareColumnLayouts(const ColumnLayout* a, const ColumnLayout* b) {
  if (!a || !b) return 1;
  const int visible = ColumnLayoutVisibleCount(a);
  if (visible != ColumnLayoutVisibleCount(b)) return 1;
  for (int order = 0; order < visible; ++order) {
    const ColumnLayout* column = ColumnLayoutFindByOrder(const_cast<ColumnLayout*>(a), order, nullptr);
    if (!column) return 2;
    const ColumnLayout* other = ColumnLayoutFindById(const_cast<ColumnLayout*>(b), column->id);
    if (!other) return 3;
    if (other->order != column->order || other->flags != column->flags) return 4;
  }
  return 0;
}

void ResolveColumnWidths(ColumnLayout* table, int clientWidth) {
  for (int i = 0; table && table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i]) && table[i].width == kColumnWidthHalf) {
      table[i].width = std::max(kColumnMinResolvedWidth, (clientWidth - GetSystemMetrics(SM_CXVSCROLL)) / 2);
    }
  }
  for (int i = 0; table && table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i]) && table[i].width < 0) {
      table[i].width = 0;
      table[i].width = std::max(kColumnMinResolvedWidth, clientWidth - ColumnLayoutTotalWidth(table));
    }
  }
}
