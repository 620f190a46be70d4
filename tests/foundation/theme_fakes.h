// Dark mode for tests: the system's dark-mode entries answered by fakes (the system asking applications for
// dark mode or not, high contrast on or off) that record what they were told, a visual-style class
// "ItemsView" with colours of its own, and SetWindowTheme recording the names it gives windows. The theme object is
// built for the scope when there is none, and its bound functions come back afterwards.
#pragma once
#include <windows.h>

#include "foundation/win32/theme_object.h"

// What the fakes answer and what they were told.
struct FakeDarkSystem {
  bool systemDark;
  bool highContrast;
  int preferredMode;  // last mode handed over, -1 none
  int refreshCalls;
  HWND allowedWindow;  // last window dark mode was allowed or denied for
  bool allowed;
  DWORD attribute;  // last composition attribute and its value
  BOOL attributeValue;
  HWND openedWindow;  // what the last OpenThemeData was asked for
  wchar_t openedClasses[64];
};

extern FakeDarkSystem g_fakeDark;

// The colour the fake "ItemsView" class gives for a property; kUnreadableProperty cannot be read.
COLORREF FakeItemsViewColour(int property);
constexpr int kUnreadableProperty = 1625;

// The visual-style name SetWindowTheme last gave the window while the fakes answered; null when none.
const wchar_t* FakeWindowThemeOf(HWND window);

class DarkThemeScope {
 public:
  // With `available`, the full dark-mode table is injected; without it, the one the system has.
  explicit DarkThemeScope(bool available = true, int versionCode = 0);
  ~DarkThemeScope();
  DarkThemeScope(const DarkThemeScope&) = delete;
  DarkThemeScope& operator=(const DarkThemeScope&) = delete;

 private:
  KTheme* previous_;
  KTheme* own_;
};
