#include "foundation/ui/owner_drawn_menus.h"

#include <commctrl.h>

#include <algorithm>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/files/system_errors.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/icons.h"
#include "foundation/win32/theme.h"

static_assert(sizeof(MENUINFO) == 40, "the menu information record is 40 bytes");

namespace {

constexpr UINT kNonClientMetricsSize = 500;
constexpr int kLabelGap = 14;
constexpr int kAcceleratorGap = 8;
constexpr int kIconInset = 3;
constexpr int kCheckFramePadding = 4;
constexpr int kTextItemRightMargin = 2;
constexpr int kItemPadding = 4;
constexpr int kTextPadding = 2;

// Blend weights of the highlight into the menu fill: selected items, hot text items, and the check frame.
constexpr int kSelectedBorderWeight = 2;
constexpr int kSelectedFillWeight = 5;
constexpr int kHotBorderWeight = 3;
constexpr int kHotFillWeight = 7;
constexpr int kCheckBorderWeight = 1;
constexpr int kCheckFillWeight = 4;

struct ItemMeasures {
  int separatorHeight;
  int itemHeight;
  int widestLabel;
  int widestAccelerator;
};

HBRUSH MenuBrush(const MenuIconHelper* helper) {
  return helper && helper->background ? helper->background : GetDialogBackgroundBrush();
}

COLORREF BrushColour(HBRUSH brush) {
  LOGBRUSH description = {};
  return GetObjectW(brush, sizeof description, &description) ? description.lbColor : GetSysColor(COLOR_MENU);
}

int IconSize(const MenuIconHelper* helper) { return ImageListIconWidth(helper ? helper->imageList : nullptr); }

MenuItemData* ItemDataAt(HMENU menu, int position, UINT* type) {
  MENUITEMINFOW info = {};
  if (!MenuGetItemInfoByPosition(menu, position, MIIM_FTYPE | MIIM_DATA, &info, nullptr, 0)) return nullptr;
  *type = info.fType;
  return reinterpret_cast<MenuItemData*>(info.dwItemData);
}

void SetOwnerDrawn(HMENU menu, int position, UINT type) {
  if (type & MFT_OWNERDRAW) return;
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  info.fType = type | MFT_OWNERDRAW;
  SetMenuItemInfoW(menu, position, TRUE, &info);
}

// The menu font of the system selected into the screen's DC for measuring; released when the object goes.
class MenuFontDc {
 public:
  MenuFontDc() : dc_(GetDC(nullptr)), font_(nullptr), previous_(nullptr) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = kNonClientMetricsSize;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
      font_ = CreateFontIndirectW(&metrics.lfMenuFont);
    }
    if (dc_ && font_) previous_ = SelectObject(dc_, font_);
  }
  ~MenuFontDc() {
    if (previous_) SelectObject(dc_, previous_);
    if (font_) DeleteObject(font_);
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  MenuFontDc(const MenuFontDc&) = delete;
  MenuFontDc& operator=(const MenuFontDc&) = delete;

  HDC Dc() const { return dc_; }
  int TextHeight() const {
    TEXTMETRICW metrics = {};
    return dc_ && GetTextMetricsW(dc_, &metrics) ? metrics.tmHeight : 0;
  }

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ previous_;
};

// The label (up to a tab) and the accelerator text (after it) of an item's text.
void SplitAtTab(const wchar_t* text, wchar_t* label, const wchar_t** accelerator) {
  CopyWideBounded(text, label, kMenuTextCapacity);
  *accelerator = L"";
  for (wchar_t* c = label; *c; ++c) {
    if (*c != L'\t') continue;
    *c = 0;
    *accelerator = text + (c - label) + 1;
    break;
  }
}

void MeasureItemText(HDC dc, const MenuItemData& data, ItemMeasures* measures) {
  wchar_t label[kMenuTextCapacity];
  const wchar_t* accelerator = nullptr;
  SplitAtTab(data.text, label, &accelerator);
  measures->widestLabel = std::max(measures->widestLabel, MeasureTextWidth(dc, label, -1));
  measures->widestAccelerator = std::max(measures->widestAccelerator, MeasureTextWidth(dc, accelerator, -1));
}

uint32_t ItemMeasure(const ItemMeasures& measures, bool separator) {
  if (separator) return static_cast<uint32_t>(measures.separatorHeight) & 0xFF;
  return static_cast<uint32_t>(measures.widestLabel) << 16 |
         (static_cast<uint32_t>(measures.widestAccelerator) & 0xFF) << 8 |
         (static_cast<uint32_t>(measures.itemHeight) & 0xFF);
}

bool KeyboardCuesShown() {
  BOOL cues = FALSE;
  return SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0) && cues;
}

UINT PrefixFormat(const DRAWITEMSTRUCT* item) {
  return (item->itemState & ODS_NOACCEL) && !KeyboardCuesShown() ? DT_HIDEPREFIX : 0;
}

COLORREF ItemTextColour(const DRAWITEMSTRUCT* item) {
  const bool dimmed = item->itemState & (ODS_INACTIVE | ODS_DISABLED | ODS_GRAYED);
  return GetThemeColorByIndex(dimmed ? kSlotButtonShadow : kSlotMenuText);
}

void FrameAndFill(HDC dc, const RECT& rect, COLORREF border, COLORREF fill) {
  HPEN pen = CreatePen(PS_SOLID, 1, border);
  HGDIOBJ previousPen = SelectObject(dc, pen);
  BrushHolder brush = {};
  SelectHeldBrush(&brush, dc, fill);
  Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
  ReleaseHeldBrush(&brush);
  SelectObject(dc, previousPen);
  DeleteObject(pen);
}

// The item's background: the highlight blended into the menu fill when selected (or, with `hotWeights`, when
// hot), else the plain menu background.
void DrawItemBackground(const MenuIconHelper* helper, const DRAWITEMSTRUCT* item, bool hotWeights) {
  const COLORREF fill = BrushColour(MenuBrush(helper));
  const COLORREF highlight = GetThemeColorByIndex(kSlotHighlight);
  const bool hot = (item->itemState & ODS_HOTLIGHT) && !(item->itemState & ODS_INACTIVE);
  if (item->itemState & ODS_SELECTED || (hot && !hotWeights)) {
    FrameAndFill(item->hDC, item->rcItem, BlendColors(highlight, fill, kSelectedBorderWeight),
                 BlendColors(highlight, fill, kSelectedFillWeight));
  } else if (hot) {
    FrameAndFill(item->hDC, item->rcItem, BlendColors(highlight, fill, kHotBorderWeight),
                 BlendColors(highlight, fill, kHotFillWeight));
  } else {
    FillRect(item->hDC, &item->rcItem, MenuBrush(helper));
  }
}

void DrawSeparator(const DRAWITEMSTRUCT* item, int iconSize) {
  const RECT& rect = item->rcItem;
  const int y = (rect.top + rect.bottom) / 2;
  FillRectSolid(item->hDC, RECT{rect.left + iconSize + kLabelGap, y, rect.right - 1, y + 1},
                GetThemeColorByIndex(kSlotButtonShadow));
}

void DrawItemTexts(const DRAWITEMSTRUCT* item, const MenuItemData& data, int iconSize) {
  wchar_t label[kMenuTextCapacity];
  const wchar_t* accelerator = nullptr;
  SplitAtTab(data.text, label, &accelerator);
  HDC dc = item->hDC;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ItemTextColour(item));
  RECT rect = item->rcItem;
  rect.left += iconSize + kLabelGap;
  DrawTextSafe(dc, label, -1, &rect, DT_SINGLELINE | DT_VCENTER | PrefixFormat(item));
  if (!accelerator[0]) return;
  rect.left += static_cast<int>(data.measure >> 16) + kAcceleratorGap;
  DrawTextSafe(dc, accelerator, -1, &rect, DT_SINGLELINE | DT_VCENTER);
}

// A check mark, or a dot for radio items, in the middle of the icon box of an item without an icon.
void DrawCheckGlyph(HDC dc, const RECT& box, bool radio, COLORREF colour) {
  const int x = (box.left + box.right) / 2;
  const int y = (box.top + box.bottom) / 2;
  BrushHolder brush = {};
  SelectHeldBrush(&brush, dc, colour);
  HPEN pen = CreatePen(PS_SOLID, radio ? 1 : 2, colour);
  HGDIOBJ previous = SelectObject(dc, pen);
  if (radio) {
    Ellipse(dc, x - 3, y - 3, x + 4, y + 4);
  } else {
    const POINT mark[] = {{x - 4, y}, {x - 1, y + 3}, {x + 4, y - 3}};
    Polyline(dc, mark, 3);
  }
  SelectObject(dc, previous);
  DeleteObject(pen);
  ReleaseHeldBrush(&brush);
}

void DrawCheckFrame(const MenuIconHelper* helper, const DRAWITEMSTRUCT* item, int iconSize) {
  const RECT& rect = item->rcItem;
  const RECT frame = {rect.left + 1, rect.top + 1, rect.left + iconSize + kCheckFramePadding, rect.bottom - 1};
  const COLORREF fill = BrushColour(MenuBrush(helper));
  const bool disabled = item->itemState & (ODS_DISABLED | ODS_GRAYED);
  const COLORREF tone = GetThemeColorByIndex(disabled ? kSlotButtonShadow : kSlotHighlight);
  FrameAndFill(item->hDC, frame, BlendColors(tone, fill, kCheckBorderWeight),
               BlendColors(tone, fill, kCheckFillWeight));
}

// The command's image from the holder; a disabled item's in one colour.
bool DrawHolderIcon(const MenuIconHelper* helper, const DRAWITEMSTRUCT* item, int x, int y, int iconSize) {
  const int index = MenuIconIndexForCommand(helper, static_cast<int>(item->itemID));
  if (index < 0 || !helper->imageList) return false;
  if (!(item->itemState & (ODS_DISABLED | ODS_GRAYED))) {
    return ImageList_Draw(helper->imageList, index, item->hDC, x, y, ILD_TRANSPARENT) != FALSE;
  }
  HICON icon = ImageList_GetIcon(helper->imageList, index, ILD_NORMAL);
  if (!icon) return false;
  DrawStateW(item->hDC, GetThemeBrushByIndex(kSlotButtonShadow), nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y,
             iconSize, iconSize, DST_ICON | DSS_MONO);
  DestroyIcon(icon);
  return true;
}

bool DrawItemIcon(const MenuIconHelper* helper, const DRAWITEMSTRUCT* item, const MenuItemData& data, int iconSize,
                  MenuIconCallback iconCallback) {
  const bool raised = (item->itemState & ODS_SELECTED) && !(item->itemState & ODS_CHECKED);
  const int inset = raised ? kIconInset - 1 : kIconInset;
  const int x = item->rcItem.left + inset;
  const int y = item->rcItem.top + inset;
  if (!(data.flags & kMenuItemIconFromOwner)) return DrawHolderIcon(helper, item, x, y, iconSize);
  HICON icon = iconCallback ? GuardedCall<HICON>(nullptr, [&] { return iconCallback(&data, iconSize); }) : nullptr;
  if (!icon) return false;
  DrawIconScaled(item->hDC, x, y, icon, iconSize, iconSize);
  DestroyIcon(icon);
  return true;
}

void DrawMenuItem(const MenuIconHelper* helper, const DRAWITEMSTRUCT* item, const MenuItemData& data,
                  MenuIconCallback iconCallback) {
  const int iconSize = IconSize(helper);
  DrawItemBackground(helper, item, false);
  if (data.flags & MFT_SEPARATOR) {
    DrawSeparator(item, iconSize);
    return;
  }
  DrawItemTexts(item, data, iconSize);
  const bool checked = item->itemState & ODS_CHECKED;
  if (checked) DrawCheckFrame(helper, item, iconSize);
  const bool drawn = DrawItemIcon(helper, item, data, iconSize, iconCallback);
  if (checked && !drawn) {
    const RECT box = {item->rcItem.left + 1, item->rcItem.top + 1, item->rcItem.left + iconSize + kCheckFramePadding,
                      item->rcItem.bottom - 1};
    DrawCheckGlyph(item->hDC, box, (data.flags & MFT_RADIOCHECK) != 0, ItemTextColour(item));
  }
}

void DrawMenuItemText(const MenuIconHelper* helper, const DRAWITEMSTRUCT* item, const MenuItemData& data) {
  DrawItemBackground(helper, item, true);
  RECT rect = item->rcItem;
  rect.right -= kTextItemRightMargin;
  SetBkMode(item->hDC, TRANSPARENT);
  SetTextColor(item->hDC, ItemTextColour(item));
  DrawTextSafe(item->hDC, data.text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | PrefixFormat(item));
}

// Items of controls come with their control's id; menu items with 0.
bool IsMenuItem(WPARAM controlId, UINT controlType) { return controlId == 0 && controlType == ODT_MENU; }

bool SystemMenusWanted() { return g_app && (g_app->options & kOptionSystemMenus); }

}  // namespace

DWORD SetMenuBackground(MenuIconHelper* helper, HMENU menu, HBRUSH brush) {
  if (helper) helper->background = brush;
  if (!g_theme || !g_theme->setMenuInfo) return ERROR_CALL_NOT_IMPLEMENTED;
  MENUINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = MIM_BACKGROUND;
  info.hbrBack = brush ? brush : GetDialogBackgroundBrush();
  return g_theme->setMenuInfo(menu, &info) ? 0 : MapLastError(ERROR_NOT_SUPPORTED);
}

void MakePopupMenuOwnerDrawn(MenuIconHelper* helper, HMENU popup) {
  if (!popup) return;
  SetMenuBackground(helper, popup, nullptr);
  const MenuFontDc font;
  const int textHeight = font.TextHeight();
  const int iconSize = IconSize(helper);
  ItemMeasures measures = {textHeight / 2 + kTextPadding, std::max(iconSize, textHeight + kTextPadding) + kItemPadding,
                           0, 0};
  const int count = GetMenuItemCount(popup);
  for (int position = 0; position < count; ++position) {
    UINT type = 0;
    MenuItemData* data = ItemDataAt(popup, position, &type);
    if (!data) continue;
    SetOwnerDrawn(popup, position, type);
    data->flags |= type & MFT_SEPARATOR;
    if (!(type & MFT_SEPARATOR)) MeasureItemText(font.Dc(), *data, &measures);
  }
  for (int position = 0; position < count; ++position) {
    UINT type = 0;
    MenuItemData* data = ItemDataAt(popup, position, &type);
    if (data) data->measure = ItemMeasure(measures, (type & MFT_SEPARATOR) != 0);
  }
}

void MakeMenuOwnerDrawn(MenuIconHelper* helper, HWND window, HMENU menu) {
  if (!menu) return;
  SetMenuBackground(helper, menu, nullptr);
  const MenuFontDc font;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    UINT type = 0;
    MenuItemData* data = ItemDataAt(menu, position, &type);
    if (!data) continue;
    SetOwnerDrawn(menu, position, type);
    data->measure = static_cast<uint32_t>(MeasureTextWidth(font.Dc(), data->text, -1)) << 16;
  }
  if (window) DrawMenuBar(window);
}

int DrawOwnerDrawnMenuItem(const MenuIconHelper* helper, const DRAWITEMSTRUCT* item, MenuIconCallback iconCallback) {
  if (!item || item->CtlType != ODT_MENU || item->itemData == 0) return 0;
  const auto& data = *reinterpret_cast<const MenuItemData*>(item->itemData);
  if (data.measure & 0xFF) {
    DrawMenuItem(helper, item, data, iconCallback);
  } else {
    DrawMenuItemText(helper, item, data);
  }
  return 1;
}

bool AnswerOwnerDrawnMenuMessage(MenuIconHelper* helper, UINT message, WPARAM wParam, LPARAM lParam,
                                 MenuIconCallback iconCallback, LRESULT* result) {
  LRESULT answer = 0;
  switch (message) {
    case WM_INITMENUPOPUP:
      if (!HIWORD(lParam) && !SystemMenusWanted()) MakePopupMenuOwnerDrawn(helper, reinterpret_cast<HMENU>(wParam));
      break;
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (!IsMenuItem(wParam, item->CtlType)) return false;
      answer = MeasureOwnerDrawnMenuItem(helper, item);
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!IsMenuItem(wParam, item->CtlType)) return false;
      answer = DrawOwnerDrawnMenuItem(helper, item, iconCallback);
      break;
    }
    case WM_MENUCHAR:
      answer =
          FindMenuAccelerator(static_cast<wchar_t>(LOWORD(wParam)), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      if (answer == 0) return false;
      break;
    default:
      return false;
  }
  if (result) *result = answer;
  return true;
}
