// How soon QVRX.exe shows a window that answers: the time from the start of the process to its main window being
// visible and answering a sent WM_NULL, against a bare Win32 window program (this program started with "bare")
// started the same way in the same run, the two starting in turns. Each figure is the best (and the median) of a
// few starts.
// Target: QVRX.exe within 2 x the bare window.
//
//   startup_bench.exe [runs]      (default: 5)
//
// QVRX.exe is copied with its resource library into a fresh temporary folder beside a profile file, and started
// on an empty folder, so that neither a stored state nor a listing decides the figure.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr wchar_t kBareClass[] = L"QvrxStartupBenchBare";

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

// The baseline: a plain overlapped window of the default size, shown and painted, then a message loop.
int RunBareWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = BareWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kBareClass;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, kBareClass, L"bare", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, 900, 600, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

// Seconds from the start of `program` to its visible window of `className` answering; negative on failure.
double SecondsToAnsweringWindow(const std::wstring& program, const std::wstring& arguments,
                                const std::wstring& folder, const wchar_t* className) {
  ProcessDriver driver;
  const double started = Seconds();
  if (!driver.Start(program, arguments, folder)) return -1;
  HWND window = nullptr;
  while (!window && Seconds() - started < kStartTimeoutMs / 1000.0) {
    window = FindProcessWindow(driver.ProcessId(), className, [](HWND w) { return IsWindowVisible(w) != 0; });
    if (!window && WaitForSingleObject(driver.Process(), 1) == WAIT_OBJECT_0) break;
  }
  DWORD_PTR answer = 0;
  const bool answered =
      window && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kStartTimeoutMs, &answer) != 0;
  const double seconds = Seconds() - started;
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (driver.WaitForExit(10000) == -1) driver.Kill();
  return answered ? seconds : -1;
}

// Best and median seconds of the runs; negative when no run answered.
struct Figures {
  double best = -1;
  double median = -1;
};

Figures FiguresOf(std::vector<double> seconds) {
  seconds.erase(std::remove_if(seconds.begin(), seconds.end(), [](double s) { return s < 0; }), seconds.end());
  if (seconds.empty()) return {};
  std::sort(seconds.begin(), seconds.end());
  return {seconds.front(), seconds[seconds.size() / 2]};
}

// QVRX.exe beside a fresh profile file, with an empty folder to start on.
struct ProgramHome {
  TempFolder home;
  std::wstring startFolder;
  bool ready = true;
  ProgramHome() {
    const std::wstring bin = ExecutableFolder();
    for (const wchar_t* name : {L"QVRX.exe", L"QVRXRES.dll"}) {
      ready &= CopyFileW((bin + L"\\" + name).c_str(), (home / name).c_str(), FALSE) != FALSE;
    }
    home.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n");
    startFolder = home.MakeFolder(L"empty");
  }
};

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "bare") == 0) return RunBareWindow();
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  ProgramHome program;
  if (!program.ready) {
    std::printf("startup: QVRX.exe or QVRXRES.dll could not be copied\n");
    return 1;
  }
  // One start of each first, so that neither pays for loading the system's libraries from disk. Then the two take
  // turns, so that a load that comes and goes weighs on both alike.
  const std::wstring qvrx = program.home / L"QVRX.exe";
  const std::wstring qvrxArguments = L"\"" + program.startFolder + L"\"";
  std::vector<double> bareRuns;
  std::vector<double> qvrxRuns;
  for (int run = 0; run <= runs; ++run) {
    const double bare = SecondsToAnsweringWindow(OwnPath(), L"bare", program.home.Path(), kBareClass);
    const double shown = SecondsToAnsweringWindow(qvrx, qvrxArguments, program.home.Path(), L"QVRX");
    if (run == 0) continue;
    bareRuns.push_back(bare);
    qvrxRuns.push_back(shown);
  }
  const Figures bare = FiguresOf(bareRuns);
  const Figures shown = FiguresOf(qvrxRuns);
  if (bare.best <= 0 || shown.best <= 0) {
    std::printf("startup: a window did not show or answer (bare %.3f s, QVRX %.3f s)\n", bare.best, shown.best);
    return 1;
  }
  std::printf("startup (best of %d): bare window %.3f s, QVRX.exe %.3f s, ratio %.2f (target <= 2)\n", runs, bare.best,
              shown.best, shown.best / bare.best);
  std::printf("startup (median of %d): bare window %.3f s, QVRX.exe %.3f s, ratio %.2f\n", runs, bare.median,
              shown.median, shown.median / bare.median);
  return shown.best / bare.best <= 2 ? 0 : 1;
}
