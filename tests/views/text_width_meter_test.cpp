// The widest of many texts, measured without measuring each one: the same width as measuring every text.
#include "views/text_width_meter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/win32/gdi.h"

TEST(TextWidthMeter, GivesTheWidthOfTheWidestTextAsMeasuringEachOne) {
  const std::vector<std::vector<std::wstring>> cases = {
      {L"iiiiiiii", L"WW", L"MMm", L"lll"},
      {L"n1.txt", L"n22.txt", L"n99999.txt", L"n10000.txt", L"W.txt"},
      {L"caf\u00e9 \u00c6gir", L"cafe Aegir", L"\u00ff\u00ff\u00ff"},
      // Combining marks and another script are measured as they stand.
      {L"e\u0301e\u0301e\u0301e\u0301", L"\u05e9\u05dc\u05d5\u05dd", L"ab"},
  };
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, font);
  for (const auto& texts : cases) {
    TextWidthMeter meter;
    ASSERT_TRUE(StartTextWidthMeter(&meter, font));
    int widest = 0;
    for (const std::wstring& text : texts) {
      MeterText(&meter, text.c_str(), static_cast<int>(text.size()));
      widest = std::max(widest, MeasureTextWidth(dc, text.c_str(), static_cast<int>(text.size())));
    }
    EXPECT_EQ(EndTextWidthMeter(&meter), widest) << texts[0].size();
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
}
