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

// Command IDM_LANGUAGE: the language dialog lists the built-in languages and the language files beside the program
// (by their own names) with the current one selected. The chosen language is stored as "Language" and taken
// at once; Cancel changes nothing (unless no language was set yet: then the system's one is taken).
void ShowLanguageDialog(HWND window);
INT_PTR CALLBACK LanguageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
