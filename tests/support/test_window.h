// Windows that tests create and that go away with the test.
#pragma once
#include <windows.h>

// Owns a window and destroys it when it goes.
class OwnedWindow {
 public:
  explicit OwnedWindow(HWND window = nullptr) : window_(window) {}
  ~OwnedWindow() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
  }
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
  HWND get() const { return window_; }
  operator HWND() const { return window_; }

 private:
  HWND window_;
};

// A top-level popup window of a system class at the given screen rectangle, hidden unless asked.
inline HWND CreateTestPopup(int x, int y, int width, int height, bool visible = false,
                            const wchar_t* className = L"STATIC", HWND owner = nullptr) {
  DWORD style = WS_POPUP | (visible ? WS_VISIBLE : 0);
  return CreateWindowExW(0, className, L"", style, x, y, width, height, owner, nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

// Dispatches the messages waiting for this thread.
inline void PumpWaitingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}
