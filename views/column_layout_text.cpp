#include "views/column_layout_text.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <cwctype>

#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/profile/profile_values.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/text/string_list.h"
#include "foundation/ui/header_columns.h"
#include "foundation/win32/column_layout.h"
#include "views/item_list_control.h"
#include "views/items_view_layout.h"
#include "views/view_hooks.h"

namespace {

constexpr int kLayoutTextCapacity = 4096;
constexpr int kDisplayNameLength = 40;
constexpr int kSourceLength = 1023;
constexpr int kFieldLength = 80;
constexpr ColumnLayout kHeapTerminator = {0, 1, 0, 0};

// Takes the text up to `stop` (at most `length` characters of it) and moves past the stop; false without it.
bool TakeUntil(const wchar_t** text, wchar_t stop, wchar_t* part, int length) {
  const wchar_t* end = wcschr(*text, stop);
  if (!end) return false;
  const int taken = static_cast<int>(end - *text);
  CopyWideBounded(*text, part, (taken < length ? taken : length) + 1);
  *text = end + 1;
  return true;
}

int ParseFieldColumn(const wchar_t* text, ColumnLayout* entry, bool createReferences) {
  wchar_t display[kDisplayNameLength + 1];
  wchar_t source[kSourceLength + 1];
  wchar_t field[kFieldLength + 1];
  if (!TakeUntil(&text, L'=', display, kDisplayNameLength) || !TakeUntil(&text, L'=', source, kSourceLength) ||
      !TakeUntil(&text, L']', field, kFieldLength)) {
    return -1;
  }
  if (*text == L',') ++text;
  entry->width = WideToLong(text);
  if (entry->width == 0) return -1;
  const int number = createReferences ? AddFieldColumnHook(display, source, field) : 0;
  if (number <= 0 || number > INT16_MAX) return -1;
  entry->id = static_cast<int16_t>(-number);
  return 0;
}

int ParseDefaultColumn(const wchar_t* text, const ColumnLayout* defaults, ColumnLayout* entry) {
  const wchar_t* comma = wcschr(text, L',');
  if (!comma || !iswdigit(*text)) return -1;
  const int position = WideToLong(text);
  if (position >= ColumnLayoutCount(defaults)) return -1;
  entry->id = defaults[position].id;
  entry->width = WideToLong(comma + 1);
  entry->flags = static_cast<uint16_t>((defaults[position].flags & ~kColumnAlignMask) | entry->flags);
  return 0;
}

// The stored "Col<position>" values of the default columns: width and display order.
int GatherColumnValues(const ColumnLayout* defaults, const char* section, ColumnLayout* gathered) {
  int count = 0;
  for (int n = 0; defaults[n].id != 0; ++n) {
    char key[16] = "Col";
    IntToNarrowDecimal(n, key + 3, sizeof key - 3);
    char value[64];
    if (ProfileGetString(&g_settingsStore, section, key, "", value, sizeof value) != 0 || !strchr(value, ',')) continue;
    const int32_t order = NarrowToLong(strchr(value, ',') + 1);
    if (order < 0) continue;
    gathered[count] = defaults[n];
    gathered[count].width = NarrowToLong(value);
    gathered[count++].order = order;
  }
  return count;
}

bool Holds(const ColumnLayout* gathered, int count, int id) {
  for (int i = 0; i < count; ++i) {
    if (gathered[i].id == id) return true;
  }
  return false;
}

// The items of a stored text, each a column in running display order; none when the main column is missing.
int GatherItems(const StringList& items, int first, const ColumnLayout* defaults, bool createReferences,
                ColumnLayout* gathered) {
  int count = 0;
  for (int i = first; i < StringListGetCount(&items); ++i) {
    wchar_t item[kColumnItemCapacity];
    ColumnLayout entry;
    if (StringListGetItem(&items, i, item, kColumnItemCapacity) != 0 ||
        ParseColumnDefinition(item, defaults, &entry, createReferences) != 0 || Holds(gathered, count, entry.id)) {
      continue;
    }
    entry.order = count;
    gathered[count++] = entry;
  }
  return Holds(gathered, count, defaults[0].id) ? count : 0;
}

// The default table's shown columns in display order (ties in table order).
int GatherDefaults(const ColumnLayout* defaults, ColumnLayout* gathered) {
  int count = 0;
  for (int i = 0; defaults[i].id != 0; ++i) {
    if (!IsColumnVisible(defaults[i])) continue;
    int at = count++;
    for (; at > 0 && gathered[at - 1].order > defaults[i].order; --at) gathered[at] = gathered[at - 1];
    gathered[at] = defaults[i];
  }
  return count;
}

ColumnLayout* FinishLayout(ColumnLayout* gathered, int count, int mainId) {
  gathered[count] = kHeapTerminator;
  if (HasColumnOrderGap(gathered)) RenumberColumnOrders(gathered);
  for (int i = 1; i < count; ++i) {
    if (gathered[i].id != mainId) continue;
    const ColumnLayout first = gathered[0];
    gathered[0] = gathered[i];
    gathered[i] = first;
    break;
  }
  return gathered;
}

// The stored text split into items; false when there is none.
bool ReadStoredItems(const char* section, const char* key, StringList* items) {
  char text[kLayoutTextCapacity + 1];
  ProfileGetString(&g_settingsStore, section, key ? key : kColumnLayoutKey, "", text, sizeof text);
  return text[0] != 0 && StringListSplit(items, text, 1, 0) == 0 && StringListGetCount(items) > 0;
}

int GatherStored(const ColumnLayout* defaults, const char* section, const char* key, wchar_t* firstItem,
                 int capacity, bool createReferences, ColumnLayout** gathered) {
  StringList items;
  const bool stored = ReadStoredItems(section, key, &items);
  const int slots = ColumnLayoutCount(defaults) + (stored ? StringListGetCount(&items) : 0) + 1;
  *gathered = static_cast<ColumnLayout*>(AllocZeroed(static_cast<uint32_t>(slots) * sizeof(ColumnLayout)));
  if (!*gathered) return 0;
  if (!stored) return GatherColumnValues(defaults, section, *gathered);
  if (firstItem && capacity > 0) StringListGetItem(&items, 0, firstItem, capacity);
  return GatherItems(items, firstItem ? 1 : 0, defaults, createReferences, *gathered);
}

void AppendAlignment(uint16_t flags, wchar_t* item) {
  const uint16_t alignment = flags & kColumnAlignMask;
  if (alignment == kColumnAlignCentre) AppendWideBounded(L"C", item, kColumnItemCapacity);
  if (alignment == kColumnAlignRight) AppendWideBounded(L"R", item, kColumnItemCapacity);
}

// The item of one column; empty for a field column that cannot be described.
void FormatColumnItem(const ColumnLayout& column, const ColumnLayout* defaults, wchar_t* item) {
  item[0] = 0;
  wchar_t number[kColumnItemCapacity];
  if (column.id < 0) {
    DescribeFieldColumnHook(column.id, number, kColumnItemCapacity);
    if (number[0] == 0) return;
  } else {
    const ColumnLayout* known = ColumnLayoutFindById(const_cast<ColumnLayout*>(defaults), column.id);
    IntToWideDecimal(known ? static_cast<int>(known - defaults) : column.id, number, kColumnItemCapacity);
  }
  AppendAlignment(column.flags, item);
  AppendWideBounded(number, item, kColumnItemCapacity);
  wchar_t width[16] = L",";
  IntToWideDecimal(column.width, width + 1, 15);
  AppendWideBounded(width, item, kColumnItemCapacity);
}

}  // namespace

int ParseColumnDefinition(const wchar_t* item, const ColumnLayout* defaults, ColumnLayout* entry,
                          bool createReferences) {
  if (!entry) return -1;
  memset(entry, 0, sizeof *entry);
  if (!item || !defaults) return -1;
  const wchar_t letter = static_cast<wchar_t>(towupper(*item));
  if (letter == L'C' || letter == L'L' || letter == L'R') {
    entry->flags = letter == L'C' ? kColumnAlignCentre : (letter == L'R' ? kColumnAlignRight : kColumnAlignLeft);
    ++item;
  }
  if (*item == L'[') return ParseFieldColumn(item + 1, entry, createReferences);
  return ParseDefaultColumn(item, defaults, entry);
}

ColumnLayout* ParseColumnLayout(const ColumnLayout* defaults, const char* section, const char* key,
                                wchar_t* firstItem, int capacity, bool createReferences) {
  if (!defaults || defaults[0].id == 0) return nullptr;
  ColumnLayout* gathered = nullptr;
  int count = 0;
  if (!ProfileDesktopSizeChanged(&g_settingsStore)) {
    count = GatherStored(defaults, section, key, firstItem, capacity, createReferences, &gathered);
  } else {
    gathered = static_cast<ColumnLayout*>(AllocZeroed((ColumnLayoutCount(defaults) + 1) * sizeof(ColumnLayout)));
  }
  if (gathered && count == 0 && createReferences) count = GatherDefaults(defaults, gathered);
  if (count == 0) {
    FreeAndNull(&gathered);
    return nullptr;
  }
  return FinishLayout(gathered, count, defaults[0].id);
}

void SaveColumnLayout(const ColumnLayout* layout, const ColumnLayout* defaults, const char* section,
                      const char* key, const wchar_t* prefix) {
  const int visible = ColumnLayoutVisibleCount(layout);
  int* order = static_cast<int*>(AllocZeroed(static_cast<uint32_t>(visible + 1) * sizeof(int)));
  if (!order) return;
  char text[kLayoutTextCapacity + 1] = "";
  if (prefix) AppendListItemQuoted(prefix, text, sizeof text);
  ColumnLayoutOrderArray(layout, order, visible);
  for (int shown = 0; shown < visible; ++shown) {
    wchar_t item[kColumnItemCapacity];
    FormatColumnItem(*ColumnLayoutNthVisible(layout, order[shown]), defaults, item);
    if (item[0] != 0) AppendListItemQuoted(item, text, sizeof text);
  }
  FreeAndNull(&order);
  ProfileSetString(&g_settingsStore, section, key ? key : kColumnLayoutKey, text);
}

void ApplyColumnLayoutFromProfile(ItemListControl* list, const char* section) {
  if (!list) return;
  if (!(list->creation.styleFlags & kListReorderColumns)) {
    ProfileGetColumnWidths(&g_settingsStore, list->creation.columns, section, nullptr);
    ItemsViewReplaceColumns(list, list->creation.columns);
    return;
  }
  ColumnLayout* stored = ParseColumnLayout(list->creationColumns, section, nullptr, nullptr, 0, true);
  if (stored) ItemsViewReplaceColumns(list, stored);
}

void TakeColumnLayout(ItemListControl* list, ColumnLayout* layout) {
  if (list && layout) ItemsViewReplaceColumns(list, layout);
}

void SaveColumnLayoutToProfile(ItemListControl* list, const char* section) {
  if (!list || !list->creation.columns) return;
  ReadHeaderColumnLayout(list->header, list->creation.columns);
  if (list->creation.styleFlags & kListReorderColumns) {
    SaveColumnLayout(list->creation.columns, list->creationColumns, section, nullptr, nullptr);
  } else {
    ProfileSetColumnWidths(&g_settingsStore, list->creation.columns, section, nullptr);
  }
}
