#include "views/settings_values.h"

#include <cstdint>

#include "foundation/profile/profile_store.h"
#include "foundation/profile/profile_values.h"

constexpr char kListColoursKey[] = "Color";

bool LoadListColoursSetting(ListColoursSetting* colours) {
  uint32_t stored[3] = {};
  const bool found = ProfileGetColorPair(&g_settingsStore, kMainProfileSection, kListColoursKey, stored);
  *colours = {stored[0], stored[1], stored[2] != 0};
  return found;
}

void StoreListColoursSetting(const ListColoursSetting& colours) {
  ProfileSetHexInts(&g_settingsStore, kMainProfileSection, kListColoursKey, colours.text, colours.background,
                    colours.used ? 1 : 0);
}
