#include "views/address_bar.h"

#include "foundation/window_wrappers.h"

AddressBar g_addressBar;

void InitAddressBar(AddressBar* bar) {
  if (!bar) return;
  *bar = AddressBar{};
  bar->rowHeight = kAddressBarInitialRowHeight;
}

void DestroyAddressBar(AddressBar* bar) {
  if (!bar) return;
  DestroyWindowIfAlive(bar->window);
  bar->window = nullptr;
  if (bar->handCursor) DestroyCursor(bar->handCursor);
  bar->handCursor = nullptr;
}
