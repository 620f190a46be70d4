// Answering the message boxes a dialog shows from inside its modal loop, on the dialog's own thread, so that a
// test can press a dialog's button that asks or warns and go on once the box is answered.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Answers with OK each message box shown over a dialog of this thread, and keeps its text.
class BoxesOverDialog {
 public:
  explicit BoxesOverDialog(HWND dialog) {
    dialog_ = dialog;
    texts_.clear();
    timer_ = SetTimer(nullptr, 0, 20, Answer);
  }
  ~BoxesOverDialog() { KillTimer(nullptr, timer_); }
  BoxesOverDialog(const BoxesOverDialog&) = delete;
  BoxesOverDialog& operator=(const BoxesOverDialog&) = delete;
  const std::vector<std::wstring>& Texts() const { return texts_; }

 private:
  static BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (window == dialog_ || wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  static void CALLBACK Answer(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr || box == answered_) return;
    answered_ = box;
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    texts_.push_back(text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }

  UINT_PTR timer_;
  inline static HWND dialog_ = nullptr;
  inline static HWND answered_ = nullptr;
  inline static std::vector<std::wstring> texts_;
};
