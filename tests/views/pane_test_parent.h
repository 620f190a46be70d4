// A hidden top-level window that parents the folder tree and the bars in tests as the main window would: it hands
// the tree's notifications to the tree's handler and logs the selected folders, the bars' messages (the path of
// a navigation among them) and the layout requests it receives.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct PaneMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::wstring path;  // the path of kNavigateToPathMessage
};

class PaneTestParent {
 public:
  PaneTestParent(int width, int height);
  ~PaneTestParent();
  PaneTestParent(const PaneTestParent&) = delete;
  PaneTestParent& operator=(const PaneTestParent&) = delete;

  HWND Window() const { return window_; }
  // Dispatches messages until done() holds; false when it did not within the timeout.
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
  void Pump();
  int Count(UINT message) const;
  // The paths of the navigations asked for, in order.
  std::vector<std::wstring> Navigations() const;

  std::vector<PaneMessage> messages;
  std::vector<std::wstring> selectedFolders;  // TVN_SELCHANGEDW: the new node's path to open

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_;
};
