// The theme object: the process-wide holder of the visual-style library and the window functions of user32,
// both loaded by name because older systems lack parts of them. One object lives for the whole process; it is
// built last at start and destroyed first at exit.
#pragma once
#include <windows.h>

class KTheme {
 public:
  KTheme();
  virtual ~KTheme();
  KTheme(const KTheme&) = delete;
  KTheme& operator=(const KTheme&) = delete;

  int VersionCode() const { return versionCode_; }
  HMODULE ThemeLibrary() const { return themeLibrary_; }
  HMODULE WindowLibrary() const { return windowLibrary_; }

 private:
  int versionCode_;
  HMODULE themeLibrary_;   // UxTheme.dll, or null
  HMODULE windowLibrary_;  // user32.dll, or null
};

// The program's one theme object; null before start-up has built it and after exit has destroyed it.
extern KTheme* g_theme;

// Builds g_theme; false when there was no memory for it.
bool ConstructThemeObject();
// Destroys g_theme, which frees both libraries.
void DestroyThemeObject();
