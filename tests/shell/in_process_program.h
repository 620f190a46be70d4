// Runs the program's restart loop on a thread of the test process, with the profile store on a file of the
// test's folder, and drives its main window from the test thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class InProcessProgram {
 public:
  // The profile store of the run keeps its settings in `profilePath`; the keyboard-hook state is set up and the
  // theme object built when there is none, as the program builds them before it starts.
  explicit InProcessProgram(const std::wstring& profilePath);
  ~InProcessProgram();
  InProcessProgram(const InProcessProgram&) = delete;
  InProcessProgram& operator=(const InProcessProgram&) = delete;

  void Start();
  // The shown main window of this process other than `other`; null when none appears within 10 s.
  static HWND WaitForMainWindow(HWND other = nullptr);
  // Runs `work` on the thread of the window and waits for it.
  static void OnGuiThread(HWND window, const std::function<void()>& work);
  // Waits for the run to end (at most 10 s); its exit code, or -1 when it did not end.
  int Finish();

 private:
  std::thread thread_;
  HANDLE ended_;
  decltype(&::GetCommandLineW) commandLine_;
  std::atomic<DWORD> threadId_{0};
  int result_ = -1;
  bool ownsTheme_ = false;
};
