// The library's UI string tables, built from its text rows on first use.
#pragma once
#include "foundation/ui/ui_strings.h"

// The English table: UTF-16 texts, named "US".
const UiStringTable* EnglishTable();
// The marker table: the language-file key of every text as 8-bit ASCII, named "-".
const UiStringTable* KeyTable();
