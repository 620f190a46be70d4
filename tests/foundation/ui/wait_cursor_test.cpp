// The wait cursor of long GUI operations and the cursor put back afterwards.
#include "foundation/ui/wait_cursor.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(WaitCursor, PreviousCursorComesBackAlsoAfterAnException) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  SetCursor(arrow);
  try {
    WaitCursor busy;
    EXPECT_EQ(GetCursor(), wait);
    throw std::runtime_error("operation failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(GetCursor(), arrow);
}

TEST(WaitCursor, RestoringNoSavedCursorKeepsTheCurrentOne) {
  HCURSOR cross = LoadCursorW(nullptr, IDC_CROSS);
  SetCursor(cross);
  RestoreSavedCursor(nullptr);
  EXPECT_EQ(GetCursor(), cross);
}
