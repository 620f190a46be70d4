// How soon QVRX.exe shows a window that answers: the time from the start of the process to its main window being
// visible and answering a sent WM_NULL, against a bare Win32 window program (this program started with "bare")
// started the same way in the same run, the two starting in turns. Then how soon a folder is usable after that:
// the time from the window being visible to the preview of a 10-file folder (every row showing the new name of
// a step that inserts text), with the window's own start and the bare window's beside it. Each figure is the
// best (and the median) of a few starts.
// Targets: QVRX.exe within 2 x the bare window; the 10-file folder's preview within 0.3 s of the window.
//
//   startup_bench.exe [runs]      (default: 5)
//
// QVRX.exe is copied with its resource library into a fresh temporary folder beside a profile file, and started
// on an empty folder, so that neither a stored state nor a listing decides the first figure; for the second, on
// a folder of 10 files with a chain of one step.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "support/process_driver.h"
#include "tests/shell/remote_program.h"
#include "support/temp_folder.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr wchar_t kBareClass[] = L"QvrxStartupBenchBare";
constexpr int kPreviewFiles = 10;
constexpr double kPreviewTargetSeconds = 0.3;

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

// Seconds of one start: to the visible window of `className` answering, and from that window's showing to the
// preview of `rows` rows (when asked for); negative for what did not come.
struct StartTimes {
  double answering = -1;
  double preview = -1;
};

// Every row of the file list shows a new name that differs from its name: the step's preview is there.
bool PreviewShown(const RemoteList& list, int rows) {
  if (list.Count() != rows) return false;
  for (int row = 0; row < rows; ++row) {
    const std::wstring newName = list.Cell(row, kNewNameColumn);
    if (newName.empty() || newName == list.Cell(row, kNameColumn)) return false;
  }
  return true;
}

double SecondsToPreview(const ProcessDriver& driver, HWND window, int rows, double shown) {
  RemoteList list(driver.Process(), GetDlgItem(window, kFileListId));
  while (Seconds() - shown < kStartTimeoutMs / 1000.0) {
    if (PreviewShown(list, rows)) return Seconds() - shown;
    Sleep(1);
  }
  return -1;
}

StartTimes TimeStart(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                     const wchar_t* className, int previewRows) {
  ProcessDriver driver;
  StartTimes times;
  const double started = Seconds();
  if (!driver.Start(program, arguments, folder)) return times;
  HWND window = nullptr;
  while (!window && Seconds() - started < kStartTimeoutMs / 1000.0) {
    window = FindProcessWindow(driver.ProcessId(), className, [](HWND w) { return IsWindowVisible(w) != 0; });
    if (!window && WaitForSingleObject(driver.Process(), 1) == WAIT_OBJECT_0) break;
  }
  const double shown = Seconds();
  DWORD_PTR answer = 0;
  if (window && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kStartTimeoutMs, &answer) != 0) {
    times.answering = Seconds() - started;
  }
  if (window && previewRows > 0) times.preview = SecondsToPreview(driver, window, previewRows, shown);
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (driver.WaitForExit(10000) == -1) driver.Kill();
  return times;
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

// QVRX.exe beside a fresh profile file, with a folder of `files` files to start on.
struct ProgramHome {
  TempFolder home;
  std::wstring startFolder;
  bool ready = true;
  ProgramHome(const std::string& profile, int files) {
    const std::wstring bin = ExecutableFolder();
    for (const wchar_t* name : {L"QVRX.exe", L"QVRXRES.dll"}) {
      ready &= CopyFileW((bin + L"\\" + name).c_str(), (home / name).c_str(), FALSE) != FALSE;
    }
    home.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n" + profile);
    startFolder = home.MakeFolder(L"start");
    for (int i = 0; i < files; ++i) home.WriteFile(L"start\\file" + std::to_wstring(i) + L".txt", "x");
  }
  std::wstring Program() const { return home / L"QVRX.exe"; }
  std::wstring Arguments() const { return L"\"" + startFolder + L"\""; }
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
  const ProgramHome empty("", 0);
  const ProgramHome ten("[QK]\r\nR1=<Ins,n,l,0,\"x\">\r\n", kPreviewFiles);
  if (!empty.ready || !ten.ready) {
    std::printf("startup: QVRX.exe or QVRXRES.dll could not be copied\n");
    return 1;
  }
  // One start of each first, so that none pays for loading the system's libraries from disk. Then they take
  // turns, so that a load that comes and goes weighs on all alike.
  std::vector<double> bareRuns;
  std::vector<double> qvrxRuns;
  std::vector<double> tenRuns;
  std::vector<double> previewRuns;
  for (int run = 0; run <= runs; ++run) {
    const StartTimes bare = TimeStart(OwnPath(), L"bare", empty.home.Path(), kBareClass, 0);
    const StartTimes shown = TimeStart(empty.Program(), empty.Arguments(), empty.home.Path(), L"QVRX", 0);
    const StartTimes listed = TimeStart(ten.Program(), ten.Arguments(), ten.home.Path(), L"QVRX", kPreviewFiles);
    if (run == 0) continue;
    bareRuns.push_back(bare.answering);
    qvrxRuns.push_back(shown.answering);
    tenRuns.push_back(listed.answering);
    previewRuns.push_back(listed.preview);
  }
  const Figures bare = FiguresOf(bareRuns);
  const Figures shown = FiguresOf(qvrxRuns);
  const Figures preview = FiguresOf(previewRuns);
  if (bare.best <= 0 || shown.best <= 0 || preview.best < 0) {
    std::printf("startup: a window or a preview did not come (bare %.3f s, QVRX %.3f s, preview %.3f s)\n", bare.best,
                shown.best, preview.best);
    return 1;
  }
  const Figures withFiles = FiguresOf(tenRuns);
  std::printf("startup (best of %d): bare window %.3f s, QVRX.exe %.3f s, ratio %.2f (target <= 2)\n", runs, bare.best,
              shown.best, shown.best / bare.best);
  std::printf("startup (median of %d): bare window %.3f s, QVRX.exe %.3f s, ratio %.2f\n", runs, bare.median,
              shown.median, shown.median / bare.median);
  std::printf("preview of %d files after the window (best, median of %d): %.3f s, %.3f s (target <= %.1f s); that "
              "window answered %.3f s after its start (median; bare window %.3f s)\n",
              kPreviewFiles, runs, preview.best, preview.median, kPreviewTargetSeconds, withFiles.median, bare.median);
  return shown.best / bare.best <= 2 && preview.median <= kPreviewTargetSeconds ? 0 : 1;
}
