#include "views/text_width_meter.h"

#include <algorithm>

#include "foundation/win32/gdi.h"

namespace {

// The text's width as the sum of its characters' advances; -1 for a text that only a measure tells.
int SummedAdvances(const TextWidthMeter& meter, const wchar_t* text, int length) {
  if (!meter.advancesKnown) return -1;
  int sum = 0;
  for (int i = 0; i < length; ++i) {
    if (text[i] < L' ' || text[i] >= kFirstShapedCharacter) return -1;
    sum += meter.advances[text[i]];
  }
  return sum;
}

}  // namespace

bool StartTextWidthMeter(TextWidthMeter* meter, HFONT font) {
  meter->dc = CreateCompatibleDC(nullptr);
  meter->previousFont = meter->dc && font ? SelectObject(meter->dc, font) : nullptr;
  meter->advancesKnown = meter->dc && GetCharWidth32W(meter->dc, 0, kFirstShapedCharacter - 1, meter->advances);
  meter->widest = 0;
  meter->measuredUpTo = -1;
  return meter->dc != nullptr;
}

void MeterText(TextWidthMeter* meter, const wchar_t* text, int length) {
  if (!meter->dc || length <= 0) return;
  const int summed = SummedAdvances(*meter, text, length);
  if (summed >= 0 && summed <= meter->measuredUpTo) return;
  meter->widest = std::max(meter->widest, MeasureTextWidth(meter->dc, text, length));
  meter->measuredUpTo = std::max(meter->measuredUpTo, summed);
}

int EndTextWidthMeter(TextWidthMeter* meter) {
  if (meter->dc) {
    if (meter->previousFont) SelectObject(meter->dc, meter->previousFont);
    DeleteDC(meter->dc);
    meter->dc = nullptr;
  }
  return meter->widest;
}
