// What the benchmarks that start QVRX.exe share: the program copied beside a profile of the scene and started
// on a folder or file, read through its windows, and the longest stall of a window's thread, measured by a
// thread that sends it WM_NULL every 100 ms, for QVRX's main window and for a bare window of the benchmark
// (the baseline of the same run).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "bench/bench_clock.h"
#include "foundation/ui/command_ids.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"
#include "views/item_list_control.h"

constexpr DWORD kPingPeriodMs = 100;
constexpr DWORD kAnswerTimeoutMs = 60000;
constexpr double kSceneTimeoutSeconds = 300;

// The longest wait of a window's thread for WM_NULL, sent every 100 ms from a thread of its own.
class StallMeter {
 public:
  explicit StallMeter(HWND window) : window_(window), thread_([this] { Run(); }) {}
  ~StallMeter() { Stop(); }
  double Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return longest_;
  }

 private:
  void Run() {
    while (!stop_) {
      const double start = Seconds();
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer);
      const double waited = Seconds() - start;
      longest_ = std::max(longest_, waited);
      const DWORD spent = static_cast<DWORD>(waited * 1000);
      if (spent < kPingPeriodMs) Sleep(kPingPeriodMs - spent);
    }
  }

  HWND window_;
  std::atomic<bool> stop_{false};
  double longest_ = 0;
  std::thread thread_;
};

// A bare window on a thread of its own, answering its messages at once.
class BareWindow {
 public:
  BareWindow() : thread_([this] { Run(); }) {
    while (window_ == nullptr) Sleep(1);
  }
  ~BareWindow() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  HWND Window() const { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  void Run() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"BareBenchWindow";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, windowClass.lpszClassName, L"bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  }

  std::atomic<HWND> window_{nullptr};
  std::thread thread_;
};

// The toolbar (at any depth under the main window) that holds the Stop button.
inline HWND FindStopButtonBar(HWND window) {
  HWND found = nullptr;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM result) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (_wcsicmp(name, TOOLBARCLASSNAMEW) != 0 || SendMessageW(child, TB_COMMANDTOINDEX, IDM_STOP, 0) < 0)
          return TRUE;
        *reinterpret_cast<HWND*>(result) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Where Program takes QVRX.exe and its resource library from; empty: beside the benchmark.
inline std::wstring g_programFolder;

// QVRX.exe copied beside the scene's profile file, started on a folder or a file.
class Program {
 public:
  Program(const std::string& profile, const std::wstring& folder) {
    const std::wstring bin = g_programFolder.empty() ? ExecutableFolder() : g_programFolder;
    bool copied = true;
    for (const wchar_t* name : {L"QVRX.exe", L"QVRXRES.dll"}) {
      copied &= CopyFileW((bin + L"\\" + name).c_str(), (home_ / name).c_str(), FALSE) != FALSE;
    }
    home_.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n" + profile);
    started_ = Seconds();
    if (copied && driver_.Start(home_ / L"QVRX.exe", L"\"" + folder + L"\"", home_.Path())) {
      window_ = driver_.WaitForWindow(L"QVRX", 60000);
    }
    if (window_ != nullptr) {
      files_ = GetDlgItem(window_, kFileListId);
      chain_ = GetDlgItem(window_, kChainListId);
      toolbar_ = FindStopButtonBar(window_);
    }
  }
  ~Program() {
    if (window_ == nullptr) {
      driver_.Kill();
      return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
      PostMessageW(window_, WM_CLOSE, 0, 0);
      if (driver_.WaitForExit(300) != -1) return;
    }
    driver_.Kill();
  }

  HWND Window() const { return window_; }
  HWND Chain() const { return chain_; }
  HANDLE Process() const { return driver_.Process(); }
  DWORD ProcessId() const { return driver_.ProcessId(); }
  bool HasStopButton() const { return toolbar_ != nullptr; }
  double Started() const { return started_; }
  int Rows() const { return static_cast<int>(SendMessageW(files_, LVM_GETITEMCOUNT, 0, 0)); }
  int Steps() const { return static_cast<int>(SendMessageW(chain_, LVM_GETITEMCOUNT, 0, 0)); }
  // A job (a listing) is busy while the Stop button is enabled.
  bool Busy() const { return toolbar_ != nullptr && SendMessageW(toolbar_, TB_ISBUTTONENABLED, IDM_STOP, 0) != 0; }
  bool Idle(int rows) const { return Rows() == rows && !Busy(); }
  void Post(int command) const { PostMessageW(window_, WM_COMMAND, command, 0); }
  void Send(int command) const {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window_, WM_COMMAND, command, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer);
  }

  // The new name of the last row, read through memory of the program's process.
  std::wstring LastNewName() const { return CellText(files_, Rows() - 1, 1); }

  // Sets or clears the check box of a list's row, as a click on it does.
  void SetCheck(HWND list, int row, bool checked) const {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    void* remote = VirtualAllocEx(driver_.Process(), nullptr, sizeof item, MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr) return;
    WriteProcessMemory(driver_.Process(), remote, &item, sizeof item, nullptr);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL,
                        kAnswerTimeoutMs, &answer);
    VirtualFreeEx(driver_.Process(), remote, 0, MEM_RELEASE);
  }

  // A cell of a list, read through memory of the program's process.
  std::wstring CellText(HWND list, int row, int column) const {
    if (row < 0) return L"";
    constexpr int kCapacity = 300;
    void* remote =
        VirtualAllocEx(driver_.Process(), nullptr, sizeof(LVITEMW) + kCapacity * 2, MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr) return L"";
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = kCapacity;
    WriteProcessMemory(driver_.Process(), remote, &item, sizeof item, nullptr);
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
    wchar_t text[kCapacity] = {};
    ReadProcessMemory(driver_.Process(), remoteText, text, sizeof text - sizeof(wchar_t), nullptr);
    VirtualFreeEx(driver_.Process(), remote, 0, MEM_RELEASE);
    return text;
  }

 private:
  TempFolder home_;
  ProcessDriver driver_;
  HWND window_ = nullptr;
  HWND files_ = nullptr;
  HWND chain_ = nullptr;
  HWND toolbar_ = nullptr;
  double started_ = 0;
};

// Polls `done` every 20 ms; false after the scene's time-out.
inline bool WaitFor(const std::function<bool()>& done) {
  const double start = Seconds();
  while (!done()) {
    if (Seconds() - start > kSceneTimeoutSeconds) return false;
    Sleep(20);
  }
  return true;
}
