#include "shell/startup_icons.h"

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/win32/icons.h"
#include "foundation/win32/menu_icons.h"
#include "foundation/win32/toolbars.h"
#include "shell/menu_icon_table.h"
#include "shell/toolbar_descriptor.h"

namespace {

struct ToolbarIconLoad {
  HWND toolbar;               // the toolbar, and the list it showed, when the load began
  HIMAGELIST imagesBefore;
  ToolbarIcons icons;
  HIMAGELIST images;          // the list being filled
  HINSTANCE instance;
  int iconSize;
};

struct MenuIconLoad {
  HIMAGELIST imagesBefore;    // the menus' list when the load began
  MenuIconHelper loaded;
  HINSTANCE instance;
  int iconSize;
};

void FreeToolbarIconLoad(ToolbarIconLoad* load) {
  DestroyHeldImageList(&load->images);
  FreeToolbarIcons(&load->icons);
  FreeAndNull(&load);
}

LRESULT TakeToolbarIcons(void* argument) {
  auto* load = static_cast<ToolbarIconLoad*>(argument);
  ToolbarDescriptor* toolbar = &g_mainToolbar;
  if (load->toolbar != nullptr && toolbar->toolbar == load->toolbar && toolbar->toolbarImages == load->imagesBefore) {
    SendMessageW(toolbar->toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(load->images));
    SetToolbarIconIndexes(toolbar->toolbar, load->icons);
    DestroyHeldImageList(&toolbar->toolbarImages);
    toolbar->toolbarImages = load->images;
    load->images = nullptr;
  }
  FreeToolbarIconLoad(load);
  return 0;
}

DWORD WINAPI LoadToolbarIconsThread(void* argument) {
  auto* load = static_cast<ToolbarIconLoad*>(argument);
  GuardedCall(0, [&] {
    load->images = CreateIconImageList(load->iconSize, load->icons.count, kKeepBackground);
    if (load->images) LoadToolbarIconsInto(&load->icons, load->images, load->instance, load->iconSize);
    return 0;
  });
  if (!PostToGuiThread(TakeToolbarIcons, load)) FreeToolbarIconLoad(load);
  return 0;
}

void FreeMenuIconLoad(MenuIconLoad* load) {
  DestroyMenuIconHelper(&load->loaded);
  FreeAndNull(&load);
}

LRESULT TakeMenuIcons(void* argument) {
  auto* load = static_cast<MenuIconLoad*>(argument);
  if (g_menuIcons.imageList == load->imagesBefore && load->loaded.imageList != nullptr) {
    DestroyMenuIconHelper(&g_menuIcons);
    g_menuIcons.imageList = load->loaded.imageList;
    g_menuIcons.table = load->loaded.table;
    load->loaded = MenuIconHelper{};
  }
  FreeMenuIconLoad(load);
  return 0;
}

DWORD WINAPI LoadMenuIconsThread(void* argument) {
  auto* load = static_cast<MenuIconLoad*>(argument);
  GuardedCall(0, [&] {
    MenuIconsLoadImageList(&load->loaded, load->instance, 0, kMenuIconTable, load->iconSize, false);
    return 0;
  });
  if (!PostToGuiThread(TakeMenuIcons, load)) FreeMenuIconLoad(load);
  return 0;
}

void StartToolbarIconLoad() {
  const ToolbarDescriptor* toolbar = &g_mainToolbar;
  if (toolbar->bitmapImageCount != 0 || !toolbar->toolbar) return;  // a strip came with the window
  auto* load = static_cast<ToolbarIconLoad*>(AllocZeroed(sizeof(ToolbarIconLoad)));
  if (!load) return;
  *load = {toolbar->toolbar, toolbar->toolbarImages, ReadToolbarIcons(toolbar->toolbar), nullptr,
           toolbar->instance, toolbar->iconSize};
  if (!StartThread(LoadToolbarIconsThread, load)) FreeToolbarIconLoad(load);
}

void StartMenuIconLoad() {
  auto* load = static_cast<MenuIconLoad*>(AllocZeroed(sizeof(MenuIconLoad)));
  if (!load) return;
  *load = {g_menuIcons.imageList, MenuIconHelper{}, g_app->instance, g_app->menuIconSize};
  if (!StartThread(LoadMenuIconsThread, load)) FreeMenuIconLoad(load);
}

}  // namespace

void StartStartupIconLoads() {
  StartToolbarIconLoad();
  StartMenuIconLoad();
}
