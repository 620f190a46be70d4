#include "foundation/win32/scroll_bar_theme.h"

#include "foundation/text/bounded_text.h"
#include "foundation/win32/module_images.h"
#include "foundation/win32/platform_declarations.h"
#include "foundation/win32/theme.h"

namespace {

bool Redirecting() { return g_theme && g_theme->scrollBarHookInstalled && !g_theme->scrollBarRedirectionPaused; }

}  // namespace

bool InstallScrollBarThemeHook() {
  if (!g_theme) return false;
  if (g_theme->scrollBarHookInstalled) return true;
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  const auto hook = reinterpret_cast<const void*>(&OpenThemeDataScrollBarHook);
  g_theme->scrollBarHookInstalled = PatchImportByOrdinal(controls, "UxTheme.dll", kOpenNcThemeDataOrdinal, hook) > 0;
  return g_theme->scrollBarHookInstalled;
}

HTHEME WINAPI OpenThemeDataScrollBarHook(HWND window, const wchar_t* classList) {
  if (!g_theme) return nullptr;
  if (IsDarkModeOn() && !g_theme->scrollBarRedirectionPaused && classList &&
      EqualsIgnoreCaseWide(classList, L"ScrollBar")) {
    return g_theme->OpenThemeData(nullptr, L"Explorer::ScrollBar");
  }
  return g_theme->OpenThemeData(window, classList);
}

bool SetScrollBarRedirection(bool on) {
  const bool before = Redirecting();
  if (g_theme && g_theme->scrollBarHookInstalled) g_theme->scrollBarRedirectionPaused = !on;
  return before;
}
