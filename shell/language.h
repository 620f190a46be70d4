// The language of the user interface: the UI string table in use, chosen by "Language" of section "QVRX"
// among the resource library's tables and the language files beside the program.
#pragma once
#include <windows.h>

// Fills an empty code from "Language"; when that is empty too, from the system's language ("DE" or "US"),
// which is then stored.
void ReadLanguageSetting(char* code, int capacity);

// Takes the UI string table of the language setting: a built-in table of that code, else the language file of
// that code, else the first built-in table. Then the menus, the word for files without a type name and the
// lists' captions are built anew in that language.
void LoadLanguage(HWND window);
