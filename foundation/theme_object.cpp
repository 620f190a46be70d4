#include "foundation/theme_object.h"

#include <new>

#include "foundation/system_functions.h"
#include "foundation/windows_version.h"

KTheme* g_theme = nullptr;

KTheme::KTheme()
    : versionCode_(GetWindowsVersionCodeCached()),
      themeLibrary_(LoadLibraryQuiet(L"UxTheme.dll")),
      windowLibrary_(LoadLibraryQuiet(L"user32.dll")) {}

KTheme::~KTheme() {
  if (themeLibrary_) FreeLibrary(themeLibrary_);
  if (windowLibrary_) FreeLibrary(windowLibrary_);
}

bool ConstructThemeObject() {
  if (!g_theme) g_theme = new (std::nothrow) KTheme();
  return g_theme != nullptr;
}

void DestroyThemeObject() {
  delete g_theme;
  g_theme = nullptr;
}
