// A hidden window on the test's thread that stands in for the main window: it answers
// kRunOnGuiThreadMessage as the main window procedure does and counts the calls it ran.
#pragma once
#include <windows.h>

#include <functional>

class MainWindowStandIn {
 public:
  // Creates the window on the calling thread and makes it g_mainWindow.
  MainWindowStandIn();
  // Destroys it and clears g_mainWindow.
  ~MainWindowStandIn();
  MainWindowStandIn(const MainWindowStandIn&) = delete;
  MainWindowStandIn& operator=(const MainWindowStandIn&) = delete;

  HWND Window() const { return window_; }
  long CallsRun() const;
  // Dispatches messages until done() holds; false when it did not within timeoutMs.
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000);

 private:
  HWND window_;
};

// Runs work on a new thread; Finished() tells whether it has returned.
class WorkerThread {
 public:
  explicit WorkerThread(std::function<void()> work);
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  bool Finished() const;
  // Waits for the worker without pumping messages.
  void Join();

 private:
  static DWORD WINAPI Run(void* self);
  std::function<void()> work_;
  HANDLE thread_;
};

// Holds a mutex from another thread until the object goes, so that every wait of this thread times out.
class MutexHeldElsewhere {
 public:
  explicit MutexHeldElsewhere(HANDLE mutex);
  ~MutexHeldElsewhere();
  MutexHeldElsewhere(const MutexHeldElsewhere&) = delete;
  MutexHeldElsewhere& operator=(const MutexHeldElsewhere&) = delete;

 private:
  static DWORD WINAPI Hold(void* self);
  HANDLE mutex_;
  HANDLE taken_;
  HANDLE release_;
  HANDLE thread_;
};
