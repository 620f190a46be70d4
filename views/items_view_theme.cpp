#include "views/items_view_theme.h"

#include "foundation/win32/theme.h"

void ItemsViewFollowTheme(ItemListControl* control) {
  const bool turnsLight = control->dark && !IsDarkModeOn();
  control->dark = IsDarkModeOn() ? 1 : 0;
  SetClassLongPtrW(control->window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetThemeBrushByIndex(kSlotWindow)));
  if (control->dark || turnsLight) ApplyDarkModeToWindow(control->window);
  if (turnsLight) ApplyDarkModeToWindow(control->header);
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

LRESULT ItemsViewHeaderCustomDraw(const ItemListControl* control, NMCUSTOMDRAW* draw) {
  return control->dark ? DrawDarkHeaderItem(draw, GetThemeColorByIndex(kSlotWindowText)) : CDRF_DODEFAULT;
}
