// The values the views keep in the profile store, each read and written by one pair of functions beside its
// key. The values live in section "QVRX".
#pragma once
#include <windows.h>

// "Color": the lists' and the tree's own text and background colours, and whether they are used; the pair is
// kept while it is turned off, so that the options dialog offers it again.
struct ListColoursSetting {
  COLORREF text;
  COLORREF background;
  bool used;
};
// False (and all zero) when nothing is stored or the two colours are too alike to read text on.
bool LoadListColoursSetting(ListColoursSetting* colours);
void StoreListColoursSetting(const ListColoursSetting& colours);
