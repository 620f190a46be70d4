// Stand-in texts of the status bar's counts, so that count texts read the same whatever the language.
#pragma once
#include "foundation/ui/ui_strings.h"

const UiStringRecord kStatusTexts[] = {{-1, L"US"},     {1221, L"Listed"}, {1222, L"Selected"},
                                      {1223, L"file"}, {1224, L"files"},  {1227, L"byte"},
                                      {1228, L"bytes"}, {1229, L"stopped"}, {0, nullptr}};
