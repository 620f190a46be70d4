#include "metadata/option_pages.h"

#include <commctrl.h>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/toolbars.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kToolbarIconSize = 16;

}  // namespace

HWND ReplacePlaceholderWithToolbar(HWND dialog, int placeholderId, const ToolbarIconRow* rows) {
  HWND placeholder = GetDialogItem(dialog, placeholderId);
  if (placeholder == nullptr) return nullptr;
  RECT place;
  GetWindowRect(placeholder, &place);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  DestroyWindow(placeholder);
  const ToolbarPlacement placement{dialog, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, placeholderId,
                                   ProgramInstance()};
  const ToolbarWindow toolbar = CreateToolbarFromIconTable(placement, rows, kToolbarIconSize);
  SetWindowPos(toolbar.toolbar, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return toolbar.toolbar;
}

INT_PTR AnswerToolbarTooltip(NMHDR* header) {
  NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(header);
  GetUiTooltipText(static_cast<int>(header->idFrom), info->szText, kTooltipCapacity);
  info->lpszText = info->szText;
  return TRUE;
}

HINSTANCE ProgramInstance() {
  return g_app != nullptr && g_app->instance != nullptr ? g_app->instance : GetModuleHandleW(nullptr);
}

int ListRowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int ListFocusedRow(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)); }

void AddListColumns(HWND list, const int* captionIds, const int* widths, int count) {
  for (int i = 0; i < count; ++i) {
    wchar_t caption[kCaptionCapacity];
    GetUiText(captionIds[i], caption, kCaptionCapacity);
    StripMenuTextDecorations(caption);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = caption;
    column.cx = widths[i];
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}
