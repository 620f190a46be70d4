#include "foundation/win32/toolbars.h"

#include "foundation/win32/icons.h"
#include "foundation/core/memory.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"

namespace {

HINSTANCE ResourceInstance(const ToolbarPlacement& placement) {
  bool own = placement.instance && placement.instance != HINST_COMMCTRL;
  return own ? placement.instance : InstanceOfWindow(placement.parent);
}

HWND CreateToolbarWindow(const ToolbarPlacement& placement) {
  if (!placement.parent) return nullptr;
  HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(placement.controlId));
  HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, placement.style | kToolbarStyle, 0, 0, 0, 0,
                                 placement.parent, id, ResourceInstance(placement), nullptr);
  if (toolbar && IsDarkModeOn()) {
    ApplyDarkModeToWindow(toolbar);
    SetWindowThemeIfSupported(toolbar, L"ItemsView");
  }
  return toolbar;
}

void FinishToolbar(HWND toolbar, HIMAGELIST images, const TBBUTTON* buttons, int count) {
  if (images) SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar, TB_ADDBUTTONSW, count, reinterpret_cast<LPARAM>(buttons));
  SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
  ShowWindow(toolbar, SW_SHOW);
}

HIMAGELIST LoadBitmapStrip(HINSTANCE instance, int bitmapId, int imageCount, int size) {
  HIMAGELIST list = CreateIconImageList(size, imageCount, kKeepBackground);
  HBITMAP strip = list ? LoadBitmapW(instance, MAKEINTRESOURCEW(bitmapId)) : nullptr;
  if (!strip) {
    DestroyHeldImageList(&list);
    return nullptr;
  }
  ImageList_AddMasked(list, strip, kBitmapMaskColor);
  DeleteObject(strip);
  return list;
}

int AppendIcon(HIMAGELIST list, HINSTANCE instance, int iconId, int size) {
  return ImageListAppendLoadedIcon(list, instance, MAKEINTRESOURCEW(iconId), size, 0) - 1;
}

int CountIconRows(const ToolbarIconRow* rows) {
  int count = 0;
  while (rows && rows[count].commandId != 0) ++count;
  return count;
}

TBBUTTON ButtonOfRow(const ToolbarIconRow& row, HIMAGELIST list, HINSTANCE instance, int iconSize) {
  TBBUTTON button = {};
  button.idCommand = row.commandId > 0 ? row.commandId : 0;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = static_cast<BYTE>(row.style | (row.commandId < 0 ? BTNS_SEP : 0));
  if (row.commandId <= 0) return button;
  button.iBitmap = row.iconId > 0 ? AppendIcon(list, instance, row.iconId, iconSize) : I_IMAGENONE;
  return button;
}

}  // namespace

int CountToolbarButtons(const TBBUTTON* buttons) {
  int count = 0;
  while (buttons && buttons[count].fsState != 0) ++count;
  return count;
}

ToolbarWindow CreateToolbarFromBitmap(const ToolbarPlacement& placement, const TBBUTTON* buttons, int bitmapId,
                                      int hotBitmapId, int imageCount, int buttonSize) {
  ToolbarWindow result = {CreateToolbarWindow(placement), nullptr, nullptr};
  if (!result.toolbar) return result;
  if (placement.instance == HINST_COMMCTRL) {
    SendMessageW(result.toolbar, TB_LOADIMAGES, bitmapId, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  } else {
    HINSTANCE instance = ResourceInstance(placement);
    result.images = LoadBitmapStrip(instance, bitmapId, imageCount, buttonSize);
    if (hotBitmapId && hotBitmapId != bitmapId) {
      result.hotImages = LoadBitmapStrip(instance, hotBitmapId, imageCount, buttonSize);
      SendMessageW(result.toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(result.hotImages));
    }
  }
  FinishToolbar(result.toolbar, result.images, buttons, CountToolbarButtons(buttons));
  return result;
}

ToolbarWindow CreateToolbarForLaterIcons(const ToolbarPlacement& placement, const TBBUTTON* buttons, int iconSize) {
  ToolbarWindow result = {CreateToolbarWindow(placement), nullptr, nullptr};
  if (!result.toolbar) return result;
  const int count = CountToolbarButtons(buttons);
  result.images = CreateIconImageList(iconSize, count, kKeepBackground);
  auto* placed = static_cast<TBBUTTON*>(AllocZeroed(static_cast<uint32_t>(count) * sizeof(TBBUTTON)));
  int iconCount = 0;
  for (int i = 0; placed && i < count; ++i) {
    placed[i] = buttons[i];
    if (placed[i].idCommand != 0 && placed[i].iBitmap >= 0) placed[i].iBitmap = iconCount++;
  }
  FinishToolbar(result.toolbar, result.images, placed, placed ? count : 0);
  FreeAndNull(&placed);
  return result;
}

ToolbarIcons ReadToolbarIcons(HWND toolbar) {
  ToolbarIcons icons = {};
  const int count = toolbar ? static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0)) : 0;
  if (count <= 0) return icons;
  icons.commands = static_cast<int*>(AllocZeroed(static_cast<uint32_t>(count) * sizeof(int)));
  icons.indexes = static_cast<int*>(AllocZeroed(static_cast<uint32_t>(count) * sizeof(int)));
  if (!icons.commands || !icons.indexes) {
    FreeToolbarIcons(&icons);
    return icons;
  }
  icons.count = count;
  for (int i = 0; i < count; ++i) {
    TBBUTTON button = {};
    SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    if (button.idCommand != 0 && button.iBitmap >= 0) icons.commands[i] = button.idCommand;
  }
  return icons;
}

void LoadToolbarIconsInto(ToolbarIcons* icons, HIMAGELIST images, HINSTANCE instance, int iconSize) {
  for (int i = 0; i < icons->count; ++i) {
    if (icons->commands[i] != 0) icons->indexes[i] = AppendIcon(images, instance, icons->commands[i], iconSize);
  }
}

void SetToolbarIconIndexes(HWND toolbar, const ToolbarIcons& icons) {
  for (int i = 0; i < icons.count; ++i) {
    if (icons.commands[i] == 0) continue;
    // Set as a whole int: TB_CHANGEBITMAP keeps 16 bits, which turns a failed load's -1 into an index.
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_IMAGE | TBIF_BYINDEX;
    info.iImage = icons.indexes[i];
    SendMessageW(toolbar, TB_SETBUTTONINFOW, i, reinterpret_cast<LPARAM>(&info));
  }
  InvalidateRect(toolbar, nullptr, TRUE);
}

void FreeToolbarIcons(ToolbarIcons* icons) {
  FreeAndNull(&icons->commands);
  FreeAndNull(&icons->indexes);
  icons->count = 0;
}

void LoadToolbarButtonIcons(const ToolbarWindow& toolbar, HINSTANCE instance, int iconSize) {
  if (!toolbar.toolbar || !toolbar.images) return;
  ToolbarIcons icons = ReadToolbarIcons(toolbar.toolbar);
  LoadToolbarIconsInto(&icons, toolbar.images, instance, iconSize);
  SetToolbarIconIndexes(toolbar.toolbar, icons);
  FreeToolbarIcons(&icons);
}

ToolbarWindow CreateToolbarFromIconTable(const ToolbarPlacement& placement, const ToolbarIconRow* rows,
                                         int iconSize) {
  ToolbarWindow result = {CreateToolbarWindow(placement), nullptr, nullptr};
  if (!result.toolbar) return result;
  int count = CountIconRows(rows);
  HINSTANCE instance = ResourceInstance(placement);
  result.images = CreateIconImageList(iconSize, count, kKeepBackground);
  TBBUTTON* buttons = static_cast<TBBUTTON*>(AllocZeroed(static_cast<uint32_t>(count) * sizeof(TBBUTTON)));
  if (buttons) {
    for (int i = 0; i < count; ++i) buttons[i] = ButtonOfRow(rows[i], result.images, instance, iconSize);
  }
  FinishToolbar(result.toolbar, result.images, buttons, buttons ? count : 0);
  FreeAndNull(&buttons);
  return result;
}

void DestroyToolbar(ToolbarWindow* toolbar) {
  if (!toolbar) return;
  DestroyWindowIfAlive(toolbar->toolbar);
  DestroyHeldImageList(&toolbar->images);
  DestroyHeldImageList(&toolbar->hotImages);
  toolbar->toolbar = nullptr;
}
