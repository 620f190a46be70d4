// The export of QVRXRES.dll: the list of its string tables and menu definitions.
#include "foundation/ui/resource_library.h"
#include "resources/qvrxres/menus.h"
#include "resources/qvrxres/string_tables.h"

namespace {

const ResourceLanguage* Languages() {
  static const ResourceLanguage languages[] = {
      {"US", L"English", EnglishTable()},
      {"-", L"", KeyTable()},
      {"", nullptr, nullptr},
  };
  return languages;
}

}  // namespace

extern "C" __declspec(dllexport) const ResourceLibrary* r() {
  static const ResourceLibrary library = {
      sizeof(ResourceLibrary), kResourceLibraryVersion, Languages(), kMainMenu, kModuleListMenu,
      kFieldListMenu,          kListPopupMenu,
  };
  return &library;
}
