// What the benchmarks that start QVRX.exe share: the program copied beside a profile of the scene and started
// on a folder or file, read and driven through its windows (list records placed in its process's memory), and the
// longest stall of a window's thread, measured by a thread that sends it WM_NULL every 100 ms (or a shorter period),
// for QVRX's main window and for a bare window of the benchmark (the baseline of the same run).
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

// The longest wait of a window's thread for WM_NULL, sent every `periodMs` from a thread of its own.
class StallMeter {
 public:
  explicit StallMeter(HWND window, DWORD periodMs = kPingPeriodMs)
      : window_(window), periodMs_(periodMs), thread_([this] { Run(); }) {}
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
      if (spent < periodMs_) Sleep(periodMs_ - spent);
    }
  }

  HWND window_;
  DWORD periodMs_;
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

// A list record, with room for its text, in memory of another process: a list control of that process reads the
// records of its messages there.
class RemoteListItem {
 public:
  explicit RemoteListItem(HANDLE process)
      : process_(process),
        remote_(static_cast<char*>(VirtualAllocEx(process, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE))) {}
  ~RemoteListItem() {
    if (remote_ != nullptr) VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
  }
  RemoteListItem(const RemoteListItem&) = delete;
  RemoteListItem& operator=(const RemoteListItem&) = delete;

  // Places `item` there, its text pointing at the room after it.
  void Write(LVITEMW item) const {
    if (remote_ == nullptr) return;
    item.pszText = RemoteText();
    item.cchTextMax = kTextCapacity;
    WriteProcessMemory(process_, remote_, &item, sizeof item, nullptr);
  }
  // Sends a list message that carries the record; a row of -1 stands for every row.
  void Send(HWND list, UINT message, int row) const {
    if (remote_ != nullptr) SendMessageW(list, message, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote_));
  }
  // The text the list left in the room after the record.
  std::wstring Text() const {
    wchar_t text[kTextCapacity] = {};
    if (remote_ != nullptr) ReadProcessMemory(process_, RemoteText(), text, sizeof text - sizeof(wchar_t), nullptr);
    return text;
  }

 private:
  static constexpr int kTextCapacity = 300;
  static constexpr size_t kBytes = sizeof(LVITEMW) + kTextCapacity * sizeof(wchar_t);
  wchar_t* RemoteText() const { return reinterpret_cast<wchar_t*>(remote_ + sizeof(LVITEMW)); }

  HANDLE process_;
  char* remote_;
};

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
      shown_ = Seconds();
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
  HWND FileList() const { return files_; }
  HWND Chain() const { return chain_; }
  HANDLE Process() const { return driver_.Process(); }
  DWORD ProcessId() const { return driver_.ProcessId(); }
  bool HasStopButton() const { return toolbar_ != nullptr; }
  double Started() const { return started_; }
  double Shown() const { return shown_; }
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

  // A visible top-level window of the program of that class (a menu: "#32768", a dialog box: "#32770").
  HWND Shown(const wchar_t* className) const {
    return FindProcessWindow(ProcessId(), className, [](HWND w) { return IsWindowVisible(w) != 0; });
  }
  HWND Editor() const { return reinterpret_cast<HWND>(SendMessageW(files_, LVM_GETEDITCONTROL, 0, 0)); }

  // The new name and the current name of the last row.
  std::wstring LastNewName() const { return CellText(files_, Rows() - 1, 1); }
  std::wstring LastName() const { return CellText(files_, Rows() - 1, 0); }

  // A cell of a list.
  std::wstring CellText(HWND list, int row, int column) const {
    if (row < 0) return L"";
    RemoteListItem remote(Process());
    LVITEMW item = {};
    item.iSubItem = column;
    remote.Write(item);
    remote.Send(list, LVM_GETITEMTEXTW, row);
    return remote.Text();
  }

  // Sets or clears the check box of a list's row, as a click on it does (in the chain: the preview follows).
  void SetCheck(HWND list, int row, bool checked) const {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SetState(list, row, item);
  }

  // Row `row` focused and selected, as a click leaves it.
  void Focus(int row) const {
    LVITEMW item = {};
    item.state = item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    SetState(files_, row, item);
  }

  // Selects the rows for which `wanted` holds and no other, as Ctrl+clicks leave them: one record in the program's
  // memory for all of them.
  void SelectRows(const std::function<bool(int row)>& wanted) const {
    RemoteListItem remote(Process());
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    remote.Write(item);
    remote.Send(files_, LVM_SETITEMSTATE, -1);
    item.state = LVIS_SELECTED;
    remote.Write(item);
    const int rows = Rows();
    for (int row = 0; row < rows; ++row) {
      if (wanted(row)) remote.Send(files_, LVM_SETITEMSTATE, row);
    }
  }

 private:
  void SetState(HWND list, int row, const LVITEMW& item) const {
    RemoteListItem remote(Process());
    remote.Write(item);
    remote.Send(list, LVM_SETITEMSTATE, row);
  }

  TempFolder home_;
  ProcessDriver driver_;
  HWND window_ = nullptr;
  HWND files_ = nullptr;
  HWND chain_ = nullptr;
  HWND toolbar_ = nullptr;
  double started_ = 0;
  double shown_ = 0;
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
