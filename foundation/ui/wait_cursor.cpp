#include "foundation/ui/wait_cursor.h"

void RestoreSavedCursor(HCURSOR saved) {
  if (saved) SetCursor(saved);
}

WaitCursor::WaitCursor() : saved_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}

WaitCursor::~WaitCursor() { RestoreSavedCursor(saved_); }
