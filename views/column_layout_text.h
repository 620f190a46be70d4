// The file list's column layout as the profile store keeps it: value "L" of a section, read at start and
// written when the main window closes.
//
// The text holds one item per shown column in display order, separated by ';' (hidden columns are left out).
// An item is an optional alignment letter ('C' centre, 'L' left, 'R' right, either case), then either the
// column's position in the default column table, ',' and the width in pixels ("R2,90"), or a field column:
// '[', display name (empty when it is the field's name), '=', source, '=', field, ']', an optional ',' and the
// width ("[Pages=Docs=Pages],80"). The display name is cut to 40 characters, the source to 1023 and the field
// to 80. Older profiles kept one value per column instead: "Col<position>" = width,order (a negative order:
// hidden).
#pragma once
#include <cstdint>

struct ColumnLayout;
struct ItemListControl;

// Longest item of a stored layout.
constexpr int kColumnItemCapacity = 1280;

// One item into `entry` (zeroed first; its display order is left to the caller): the id and flags of default
// column n with the stored width and alignment, or a field column, whose reference is found or added when
// `createReferences` is set (otherwise a field column fails). 0, or -1 for a malformed item, a position the
// default table lacks, a field column of width 0 or one whose field cannot be had.
int ParseColumnDefinition(const wchar_t* item, const ColumnLayout* defaults, ColumnLayout* entry,
                          bool createReferences);

// The stored layout of the section (value `key`, "L" when null) as a new heap table (width 1 in its
// terminator), or null when nothing could be gathered (the caller keeps its default table). With `firstItem`
// the text's first item goes there instead of being a column. Malformed items are skipped; a text without
// the main column (the default table's first id) counts as none. Without a text the "Col" values are read;
// without those, and when references may be created, the default table's shown columns are taken. The
// display orders are made gapless, and the main column's entry stands first in the table. Nothing is read
// while the desktop size differs from the last run.
ColumnLayout* ParseColumnLayout(const ColumnLayout* defaults, const char* section, const char* key,
                                wchar_t* firstItem, int capacity, bool createReferences);

// Writes the layout's shown columns in display order (after the prefix item, when given): 'C' or 'R' for
// centred and right-aligned columns, the position of the id in the default table (a field column's bracketed
// form), ',' and the width.
void SaveColumnLayout(const ColumnLayout* layout, const ColumnLayout* defaults, const char* section,
                      const char* key, const wchar_t* prefix);

// At start: a list whose header columns can be reordered gets the stored layout in place of its current one;
// another list reads only its stored widths. The header gets its columns again.
void ApplyColumnLayoutFromProfile(ItemListControl* list, const char* section);
// A layout chosen in the options dialog (heap-owned, taken over): the list shows it with its own widths, and
// the header gets its columns again.
void TakeColumnLayout(ItemListControl* list, ColumnLayout* layout);
// At close: the header's widths and order go into the list's layout, which is stored the same way.
void SaveColumnLayoutToProfile(ItemListControl* list, const char* section);
