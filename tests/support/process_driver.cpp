#include "support/process_driver.h"

#include <vector>

ProcessDriver::~ProcessDriver() {
  Kill();
}

bool ProcessDriver::Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder) {
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  return CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info_) != FALSE;
}

HWND ProcessDriver::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    HWND window = FindProcessWindow(info_.dwProcessId, className, [](HWND w) { return IsWindowVisible(w) != 0; });
    if (window) return window;
    if (WaitForSingleObject(info_.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

long ProcessDriver::WaitForExit(DWORD timeoutMs) {
  if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return static_cast<long>(code);
}

void ProcessDriver::Kill() {
  if (!info_.hProcess) return;
  if (WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
  info_ = {};
}

namespace {

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  wchar_t name[256];
  if (!GetClassNameW(window, name, 256) || lstrcmpW(name, search->className) != 0) return TRUE;
  if (*search->match && !(*search->match)(window)) return TRUE;
  search->found = window;
  return FALSE;
}

std::wstring WindowText(HWND window) {
  wchar_t text[4096];
  int length = GetWindowTextW(window, text, 4096);
  return std::wstring(text, length > 0 ? length : 0);
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const wchar_t* className, const std::function<bool(HWND)>& match) {
  WindowSearch search{processId, className, &match, nullptr};
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DialogWatcher::DialogWatcher(DWORD processId, int button)
    : processId_(processId), button_(button), thread_([this] { Watch(); }) {}

DialogWatcher::~DialogWatcher() {
  stop_ = true;
  thread_.join();
}

void DialogWatcher::Watch() {
  while (!stop_) {
    HWND box = FindProcessWindow(processId_, L"#32770", [](HWND w) { return IsWindowVisible(w) != 0; });
    if (box) {
      while (busy_.test_and_set()) Sleep(0);
      lastCaption_ = WindowText(box);
      lastText_ = WindowText(GetDlgItem(box, 0xFFFF));
      lastOwner_ = GetWindow(box, GW_OWNER);
      busy_.clear();
      PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button_), 0);
      ++answered_;
      for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(10);
    }
    Sleep(20);
  }
}

std::wstring DialogWatcher::LastText() const {
  while (busy_.test_and_set()) Sleep(0);
  std::wstring text = lastText_;
  busy_.clear();
  return text;
}

std::wstring DialogWatcher::LastCaption() const {
  while (busy_.test_and_set()) Sleep(0);
  std::wstring text = lastCaption_;
  busy_.clear();
  return text;
}
