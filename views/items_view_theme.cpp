#include "views/items_view_theme.h"

#include "foundation/win32/theme.h"
#include "views/header_item_paint.h"

void ItemsViewFollowTheme(ItemListControl* control) {
  const bool turnsLight = control->dark && !IsDarkModeOn();
  control->dark = IsDarkModeOn() ? 1 : 0;
  SetClassLongPtrW(control->window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetThemeBrushByIndex(kSlotWindow)));
  if (control->dark || turnsLight) ApplyDarkModeToWindow(control->window);
  if (turnsLight) ApplyDarkModeToWindow(control->header);
  FreeHeaderBackgrounds(&control->headerBackgrounds);
  ItemsViewThemeHeader(control);
  InvalidateRect(control->window, nullptr, FALSE);
}

void ItemsViewThemeHeader(const ItemListControl* control) {
  if (!control->header) return;
  if (control->dark) {
    ApplyDarkModeToHeader(control->header);
  } else {
    SetExplorerTheme(control->header);
  }
}

LRESULT ItemsViewHeaderCustomDraw(ItemListControl* control, NMCUSTOMDRAW* draw) {
  if (draw->dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  const COLORREF text = GetThemeColorByIndex(control->dark ? kSlotWindowText : kSlotButtonText);
  if (DrawHeaderItem(&control->headerBackgrounds, draw, text) == CDRF_SKIPDEFAULT) return CDRF_SKIPDEFAULT;
  return control->dark ? DrawDarkHeaderItem(draw, text) : CDRF_DODEFAULT;
}
