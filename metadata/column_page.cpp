#include "metadata/column_page.h"

#include <commctrl.h>

#include <cwchar>
#include <initializer_list>

#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/toolbars.h"
#include "foundation/win32/window_wrappers.h"
#include "metadata/field_references.h"
#include "metadata/option_pages.h"

namespace {

constexpr int kFieldColumnWidth = 80;
constexpr int kCellCapacity = 1200;
constexpr int kImageSize = 16;
constexpr int kColumnListColumns = 2;
// Captions of the two lists' columns: the column, and its field.
constexpr int kColumnCaptionIds[kColumnListColumns] = {kTextSettingsPageColumns, kTextColumnField};
constexpr int kColumnCaptionWidths[kColumnListColumns] = {120, 160};

constexpr ToolbarIconRow kColumnToolbar[] = {
    {IDC_ENTRY_ADD, IDC_ENTRY_ADD, BTNS_BUTTON},
    {IDC_ENTRY_UP, IDC_ENTRY_UP, BTNS_BUTTON},
    {IDC_ENTRY_DOWN, IDC_ENTRY_DOWN, BTNS_BUTTON},
    {IDC_ENTRY_REMOVE, IDC_ENTRY_REMOVE, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {IDC_ALIGN_LEFT, IDC_ALIGN_LEFT, BTNS_BUTTON},
    {IDC_ALIGN_CENTRE, IDC_ALIGN_CENTRE, BTNS_BUTTON},
    {IDC_ALIGN_RIGHT, IDC_ALIGN_RIGHT, BTNS_BUTTON},
    {-2, 0, BTNS_SEP},
    {IDC_ENTRY_FROM_MENU, IDC_ENTRY_FROM_MENU, BTNS_BUTTON},
    {0, 0, 0},
};

// Alignment images: left, centred, right; the dark set replaces the light one.
constexpr int kLightAlignIcons[] = {701, 702, 703};
constexpr int kDarkAlignIcons[] = {704, 705, 706};
// The image of a row that opens a menu of fields.
constexpr int kMenuRowIcon = 123;

int ImageOfAlignment(uint16_t flags) {
  switch (flags & kColumnAlignMask) {
    case kColumnAlignCentre:
      return 1;
    case kColumnAlignRight:
      return 2;
    default:
      return 0;
  }
}

uint16_t AlignmentOfImage(int image) {
  return image == 1 ? kColumnAlignCentre : (image == 2 ? kColumnAlignRight : kColumnAlignLeft);
}

// A row's item data: the column id, its flags and its width.
LPARAM RowData(const ColumnLayout& column) {
  return static_cast<LPARAM>(static_cast<uint16_t>(column.id)) | static_cast<LPARAM>(column.flags) << 16 |
         static_cast<LPARAM>(static_cast<uint32_t>(column.width)) << 32;
}

void AddColumnRow(HWND list, const ColumnLayout& column) {
  wchar_t caption[kCellCapacity];
  wchar_t field[kCellCapacity] = {};
  if (column.id < 0) {
    GetPluginFieldName(g_columnFieldList, column.id, caption, kCellCapacity);
    wchar_t written[kCellCapacity];
    FormatCustomColumnSpec(g_columnFieldList, column.id, written, kCellCapacity);
    const size_t length = WideLength(written);
    if (length >= 2) CopyWideBounded(written + 1, field, static_cast<int>(length) - 1);
  } else {
    GetUiText(column.id, caption, kCellCapacity);
    StripMenuTextDecorations(caption);
  }
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = ListRowCount(list);
  item.pszText = caption;
  item.iImage = ImageOfAlignment(column.flags);
  item.lParam = RowData(column);
  const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row >= 0) ListViewSetItemText(list, row, 1, field);
}

bool Shows(const ColumnLayout* layout, int id) {
  for (int i = 0; layout != nullptr && layout[i].id != 0; ++i) {
    if (layout[i].id == id && IsColumnVisible(layout[i])) return true;
  }
  return false;
}

void PrepareList(HWND list) {
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  if (SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0) == 0) {
    AddListColumns(list, kColumnCaptionIds, kColumnCaptionWidths, kColumnListColumns);
  }
}

struct ChosenRow {
  LPARAM data;
  int image;
  wchar_t caption[kFieldDisplayNameCapacity];
  wchar_t field[kCellCapacity];
};

void ReadChosenRow(HWND list, int row, ChosenRow* chosen) {
  LVITEMW item = {};
  item.mask = LVIF_IMAGE | LVIF_PARAM;
  item.iItem = row;
  SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  chosen->data = item.lParam;
  chosen->image = item.iImage;
  ListViewGetItemText(list, row, 0, chosen->caption, kFieldDisplayNameCapacity);
  ListViewGetItemText(list, row, 1, chosen->field, kCellCapacity);
}

// A written reference "display=source=field" (a stored column) or "source=field" (a field chosen from the
// menu) as a field column named by the row's caption: its id, 0 when it does not resolve.
int16_t FieldColumnId(ChosenRow* row) {
  wchar_t* source = row->field;
  wchar_t* field = wcschr(source, L'=');
  if (field == nullptr) return 0;
  if (wchar_t* third = wcschr(field + 1, L'=')) {
    source = field + 1;
    field = third;
  }
  *field = 0;
  const int n = AddPluginFieldEntry(g_columnFieldList, row->caption, source, field + 1);
  return static_cast<int16_t>(-n);
}

}  // namespace

void SetupColumnPage(HWND dialog) {
  ReplacePlaceholderWithToolbar(dialog, kColumnToolbarPlaceholder, kColumnToolbar);
  for (int id : {kAvailableColumnsList, kChosenColumnsList}) {
    HIMAGELIST images = ImageList_Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, 4, 0);
    for (int icon : IsDarkModeOn() ? kDarkAlignIcons : kLightAlignIcons) {
      AddIconToImageList(ProgramInstance(), icon, kImageSize, images);
    }
    AddIconToImageList(ProgramInstance(), kMenuRowIcon, kImageSize, images);
    SendMessageW(GetDialogItem(dialog, id), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  }
}

void SetupColumnLists(HWND dialog, const ColumnLayout* columnTable, const ColumnLayout* layout) {
  HWND available = GetDialogItem(dialog, kAvailableColumnsList);
  HWND chosen = GetDialogItem(dialog, kChosenColumnsList);
  PrepareList(available);
  PrepareList(chosen);
  for (int i = 0; columnTable != nullptr && columnTable[i].id != 0; ++i) {
    if (!Shows(layout, columnTable[i].id)) AddColumnRow(available, columnTable[i]);
  }
  ColumnLayout* shown = const_cast<ColumnLayout*>(layout);
  for (int order = 0; ColumnLayout* column = ColumnLayoutFindByOrder(shown, order, nullptr); ++order) {
    AddColumnRow(chosen, *column);
  }
}

ColumnLayout* ReadChosenColumns(HWND dialog) {
  HWND chosen = GetDialogItem(dialog, kChosenColumnsList);
  const int count = ListRowCount(chosen);
  if (count <= 0) return nullptr;
  ColumnLayout* layout = static_cast<ColumnLayout*>(AllocZeroed(static_cast<uint32_t>(count + 1) * sizeof(ColumnLayout)));
  ChosenRow* row = static_cast<ChosenRow*>(AllocZeroed(sizeof(ChosenRow)));
  int used = 0;
  for (int i = 0; layout != nullptr && row != nullptr && i < count; ++i) {
    ReadChosenRow(chosen, i, row);
    ColumnLayout& column = layout[used];
    column.id = static_cast<int16_t>(LOWORD(row->data));
    column.flags = HIWORD(row->data);
    column.width = static_cast<int32_t>(static_cast<uint64_t>(row->data) >> 32);
    if (row->field[0] != 0) {
      column.id = FieldColumnId(row);
      column.width = kFieldColumnWidth;
    }
    if (column.id == 0) continue;
    column.flags = static_cast<uint16_t>((column.flags & ~kColumnAlignMask) | AlignmentOfImage(row->image));
    column.order = used++;
  }
  FreeAndNull(&row);
  if (layout != nullptr) layout[used] = ColumnLayout{0, 1, 0, 0};
  return layout;
}
