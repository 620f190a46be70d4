#include "shell/list_colours.h"

#include <commdlg.h>

#include <initializer_list>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/profile/profile_values.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/dialog_list_views.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/fonts.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/main_window.h"
#include "shell/settings_values.h"
#include "views/file_list_row.h"
#include "views/folder_tree.h"
#include "views/items_view.h"
#include "views/settings_values.h"

namespace {

constexpr int kPreviewRows = 5;
// The file list's own rows are shown once it has more than this many.
constexpr uint32_t kFewestListedRows = 3;
constexpr int kSampleCapacity = 128;
constexpr int kTextRow = 0;
constexpr int kBackgroundRow = 1;

HWND Preview(HWND dialog) { return GetDialogItem(dialog, IDC_COLOUR_PREVIEW); }

void AddPreviewRows(HWND list) {
  const ItemListControl* files = AppFileList();
  const uint32_t listed = files ? ItemStoreCount(&files->rows) : 0;
  wchar_t sample[kSampleCapacity];
  GetUiText(kTextSampleFileName, sample, kSampleCapacity);
  for (uint32_t i = 0; i < kPreviewRows; ++i) {
    const auto* row = listed > kFewestListedRows && i < listed
                          ? reinterpret_cast<const FileListRow*>(ItemStoreGet(&files->rows, i))
                          : nullptr;
    if (listed > kFewestListedRows && !row) break;
    ListViewInsertItem(list, row ? row->currentName : sample, -1, -1, nullptr, 0);
  }
}

// The stored pair when it is usable (its third value tells whether it is used), else the theme's colours.
bool ReadStoredColours(COLORREF* pair) {
  ListColoursSetting stored;
  if (!LoadListColoursSetting(&stored)) {
    pair[0] = GetThemeColorByIndex(kSlotWindowText);
    pair[1] = GetThemeColorByIndex(kSlotWindow);
    return false;
  }
  pair[0] = stored.text;
  pair[1] = stored.background;
  return stored.used;
}

void ReadPreviewColours(HWND list, COLORREF* pair) {
  pair[0] = static_cast<COLORREF>(ListViewItemParam(list, kTextRow));
  pair[1] = static_cast<COLORREF>(ListViewItemParam(list, kBackgroundRow));
}

void ChoosePreviewColour(HWND dialog, int row) {
  HWND list = Preview(dialog);
  COLORREF colour = static_cast<COLORREF>(ListViewItemParam(list, row));
  if (!RunChooseColorWithCustom(dialog, &colour)) return;
  ListViewSetItemParam(list, row, static_cast<LPARAM>(colour));
  COLORREF pair[2];
  ReadPreviewColours(list, pair);
  ListViewSetFontAndColors(list, nullptr, pair);
  InvalidateWindowRect(list, nullptr, true);
}

void SetListsFont(HFONT font) {
  for (ItemListControl* list : {AppChainList(), AppFileList()}) {
    if (list) SendWindowMessage(list->window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

HWND FolderTree() { return g_app->paneWindows[0]; }

}  // namespace

void InitColourPreviewList(HWND dialog) {
  HWND list = SetupDialogListViewById(dialog, IDC_COLOUR_PREVIEW, nullptr, nullptr, 0);
  COLORREF pair[2];
  if (ReadStoredColours(pair)) CheckDlgButtonOn(dialog, IDC_COLOUR_OWN);
  const ItemListControl* files = AppFileList();
  ListViewSetFontAndColors(list, files ? files->font : nullptr, pair);
  AddPreviewRows(list);
  ListViewSetItemParam(list, kTextRow, static_cast<LPARAM>(pair[0]));
  ListViewSetItemParam(list, kBackgroundRow, static_cast<LPARAM>(pair[1]));
}

void SaveListColours(HWND dialog) {
  COLORREF pair[2];
  ReadPreviewColours(Preview(dialog), pair);
  const bool own = IsDlgButtonCheckedById(dialog, IDC_COLOUR_OWN) == BST_CHECKED;
  StoreListColoursSetting({pair[0], pair[1], own});
  ApplyListColours(FolderTree());
}

void ChooseListTextColor(HWND dialog) { ChoosePreviewColour(dialog, kTextRow); }

void ChooseListBackColor(HWND dialog) { ChoosePreviewColour(dialog, kBackgroundRow); }

int RunChooseColorWithCustom(HWND owner, COLORREF* colour) {
  COLORREF custom[kCustomColorCount];
  LoadCustomColoursSetting(custom);
  CHOOSECOLORW choose = {};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = owner;
  choose.rgbResult = *colour;
  choose.lpCustColors = custom;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorW(&choose)) return 0;
  *colour = choose.rgbResult;
  StoreCustomColoursSetting(custom);
  return 1;
}

void ChooseListFont(HWND window) {
  ItemListControl* files = AppFileList();
  if (!files) return;
  HFONT chosen = RunChooseFontDialog(window, files->font, nullptr, 0);
  if (!chosen) return;
  HFONT old = files->font;
  SetListsFont(chosen);
  StoreListFontSetting(chosen);
  ApplyListColours(FolderTree());
  if (old && old != chosen) DeleteObject(old);
}

void ApplyListFont(HWND window) {
  HFONT font = LoadListFontSetting();
  if (!font) CreateUiFont(window, &font, nullptr, true);
  const ItemListControl* files = AppFileList();
  HFONT old = files ? files->font : nullptr;
  SetListsFont(font);
  ApplyListColours(FolderTree());
  if (old && old != font) DeleteObject(old);
}
