#include "foundation/win32/menu_icons.h"

#include "foundation/win32/icons.h"
#include "foundation/core/memory.h"
#include "foundation/win32/menus.h"

MenuIconHelper g_menuIcons;

namespace {

constexpr int kIconColumnPadding = 26;
constexpr int kTextItemPadding = 2;

int CommandCount(const uint16_t* list, int step) {
  int count = 0;
  for (const uint16_t* at = list; *at != 0; at += step) ++count;
  return count;
}

// The strip's image i is command i's image.
void FillFromBitmap(HIMAGELIST images, HINSTANCE instance, int bitmapId, const uint16_t* list, MenuIconEntry* table) {
  HBITMAP strip = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, 0));
  if (strip) {
    ImageList_AddMasked(images, strip, kBitmapMaskColor);
    DeleteObject(strip);
  }
  if (!table) return;
  for (int i = 0; list[i] != 0; ++i) table[i] = MenuIconEntry{list[i], static_cast<uint16_t>(i)};
}

void FillFromIcons(HIMAGELIST images, HINSTANCE instance, const uint16_t* pairs, int size, MenuIconEntry* table) {
  int entries = 0;
  for (const uint16_t* pair = pairs; pair[0] != 0; pair += 2) {
    const int added = ImageListAppendLoadedIcon(images, instance, MAKEINTRESOURCEW(pair[1]), size, 0);
    if (table && added != 0) table[entries++] = MenuIconEntry{pair[0], static_cast<uint16_t>(added - 1)};
  }
}

}  // namespace

void InitMenuIconHelper(MenuIconHelper* helper) {
  if (helper) *helper = MenuIconHelper{};
}

void DestroyMenuIconHelper(MenuIconHelper* helper) {
  if (!helper) return;
  DestroyHeldImageList(&helper->imageList);
  FreeAndNull(&helper->table);
}

int MenuIconIndexForCommand(const MenuIconHelper* helper, int commandId) {
  if (!helper || !helper->table) return -1;
  for (const MenuIconEntry* entry = helper->table; entry->commandId != 0; ++entry) {
    if (entry->commandId == commandId) return entry->imageIndex;
  }
  return -1;
}

int MeasureOwnerDrawnMenuItem(const MenuIconHelper* helper, MEASUREITEMSTRUCT* item) {
  if (!item || item->itemData == 0) return 0;
  const auto* record = reinterpret_cast<const MenuItemRecord*>(item->itemData);
  const UINT height = record->measure & 0xFF;
  const UINT extraWidth = (record->measure >> 8) & 0xFF;
  const UINT labelWidth = record->measure >> 16;
  item->itemHeight = height;
  if (height == 0) {
    item->itemWidth = labelWidth + kTextItemPadding;
  } else {
    const int iconWidth = ImageListIconWidth(helper ? helper->imageList : nullptr);
    item->itemWidth = extraWidth + labelWidth + iconWidth + kIconColumnPadding;
  }
  return 1;
}

HIMAGELIST MenuIconsLoadImageList(MenuIconHelper* helper, HINSTANCE instance, int bitmapId, const uint16_t* list,
                                  int size, bool keepTable) {
  if (!helper || !list) return nullptr;
  const int step = bitmapId ? 1 : 2;
  MenuIconEntry* table = nullptr;
  if (!keepTable) {
    DestroyMenuIconHelper(helper);
    table = static_cast<MenuIconEntry*>(AllocZeroed((CommandCount(list, step) + 1) * sizeof(MenuIconEntry)));
    helper->table = table;
  }
  HIMAGELIST images = CreateIconImageList(size, 0, kKeepBackground);
  if (!images) return nullptr;
  if (bitmapId) {
    FillFromBitmap(images, instance, bitmapId, list, table);
  } else {
    FillFromIcons(images, instance, list, size, table);
  }
  if (!keepTable) helper->imageList = images;
  return images;
}
