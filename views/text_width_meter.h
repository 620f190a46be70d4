// The widest of many one-line texts in a font, as the lists draw them, measured without drawing each one: a text
// of plain characters (each drawn on its own, at its own advance) whose summed advances are no more than those of
// a text measured already is no wider, and is passed over. Works on any thread (a memory DC of its own).
#pragma once
#include <windows.h>

// Below this character each one is drawn on its own, at its own advance; from it on, characters may combine, join
// or be shaped, and only a measure tells a text's width.
constexpr wchar_t kFirstShapedCharacter = 0x0300;

struct TextWidthMeter {
  HDC dc;
  HGDIOBJ previousFont;
  bool advancesKnown;
  INT advances[kFirstShapedCharacter];
  int widest;
  int measuredUpTo;  // the largest summed advances of a text measured
};

// False without a DC; the meter then measures nothing (widest 0).
bool StartTextWidthMeter(TextWidthMeter* meter, HFONT font);
void MeterText(TextWidthMeter* meter, const wchar_t* text, int length);
// The widest text metered; the DC is released.
int EndTextWidthMeter(TextWidthMeter* meter);
