// Drives a Windows program from a test: start it, find its windows, answer its message boxes, end it.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class ProcessDriver {
 public:
  ProcessDriver() = default;
  ~ProcessDriver();
  ProcessDriver(const ProcessDriver&) = delete;
  ProcessDriver& operator=(const ProcessDriver&) = delete;

  // Starts `program` with the command-line arguments `arguments` in `folder`; false when it cannot start.
  bool Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder);
  // The first visible top-level window of the process with the class name, within `timeoutMs` (a program started
  // on a machine whose every core is busy can take over 10 s to show its window).
  HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs = 30000) const;
  // Waits for the process to end; its exit code, or -1 on a time-out.
  long WaitForExit(DWORD timeoutMs = 10000);
  // Ends the process by force (used when a test fails half-way).
  void Kill();
  DWORD ProcessId() const { return info_.dwProcessId; }
  HANDLE Process() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_ = {};
};

// Finds the top-level windows of class `className` owned by `processId`, and the first one for which `match` is true.
HWND FindProcessWindow(DWORD processId, const wchar_t* className, const std::function<bool(HWND)>& match = nullptr);

// A thread that watches for dialog boxes (class "#32770") of one process and answers each by posting WM_COMMAND
// with `button`; it records the text, caption and owner window of the last box it answered.
class DialogWatcher {
 public:
  DialogWatcher(DWORD processId, int button);
  ~DialogWatcher();
  int Answered() const { return answered_; }
  std::wstring LastText() const;
  std::wstring LastCaption() const;
  HWND LastOwner() const { return lastOwner_; }

 private:
  void Watch();
  DWORD processId_;
  int button_;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  mutable std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
  std::wstring lastText_;
  std::wstring lastCaption_;
  std::atomic<HWND> lastOwner_{nullptr};
  std::thread thread_;
};
