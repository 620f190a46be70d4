// The library's text rows: for each UI text id its language-file key and its English text. The string tables
// of the library are built from these rows.
#pragma once
#include <cstdint>

struct UiTextRow {
  int16_t id;
  const char* key;      // ASCII; names the text in language files and, for commands, in the shortcut settings
  const wchar_t* text;  // menu texts: menu text;status text;tooltip, "\t" before a shortcut
};

// The rows in ascending id order, ended by a row whose id is 0.
extern const UiTextRow kEnglishTextRows[];

// The id, key and text of record 1 of every table: the language's own name.
constexpr int16_t kLanguageNameId = 1;
constexpr char kLanguageNameKey[] = "Language";
constexpr wchar_t kEnglishLanguageName[] = L"English";
