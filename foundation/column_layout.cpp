#include "foundation/column_layout.h"

#include <algorithm>

namespace {

int PositiveWidth(const ColumnLayout& entry) { return entry.width > 0 ? entry.width : 0; }

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

int ColumnLayoutVisibleIds(const ColumnLayout* table, int16_t* ids, int capacity) {
  if (!ids || capacity <= 0) return 0;
  int count = 0;
  for (int i = 0; table && table[i].id != 0 && count < capacity - 1; ++i) {
    if (IsColumnVisible(table[i])) ids[count++] = table[i].id;
  }
  ids[count] = 0;
  return count;
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
