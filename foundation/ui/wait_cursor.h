// The wait cursor of long operations on the GUI thread, and putting the previous cursor back.
#pragma once
#include <windows.h>

// Sets the cursor to a saved one; a null cursor leaves the current one.
void RestoreSavedCursor(HCURSOR saved);

// Shows the wait cursor while it lives and puts the previous cursor back when it goes, also when the
// operation is left by an exception.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR saved_;
};
