// How soon QVRX.exe shows a window that answers: the time from the start of the process to its main window being
// visible and answering a sent WM_NULL, against a bare Win32 window program (this program started with "bare")
// and against the floor, a minimal program with QVRX's libraries and child windows and no logic of its own (this
// program started with "floor"), all started the same way in the same run, in turns. Each figure is the best (and
// the median) of a few starts.
// Target: QVRX.exe within the floor plus 25 %, judged by the median of each round's ratio: a round starts QVRX.exe
// and the floor seconds apart, under the same load, while the best or the median of either side alone moves with
// a single lucky start or a load that came and went between them.
//
// The floor copies what QVRX.exe holds when its first start answers: the libraries loaded in its process (loaded
// in the same order, the common controls of QVRX.exe's own manifest), and the child windows of its main window
// (their classes, styles, places, ids and parents; a class of QVRX's own becomes a plain window). It starts the
// common controls and OLE as QVRX.exe does, then shows its window and runs a message loop.
//
// Then how soon a folder is usable after that: the time from the window being visible to the preview of a 10-file
// folder (every row showing the new name of a step that inserts text), with the window's own start and the bare
// window's beside it. Target: the 10-file folder's preview within 0.3 s of the window.
//
//   startup_bench.exe [runs]      (default: 5)
//
// QVRX.exe is copied with its resource library into a fresh temporary folder beside a profile file, and started
// on an empty folder, so that neither a stored state nor a listing decides the first figures; for the preview, on
// a folder of 10 files with a chain of one step.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "support/process_driver.h"
#include "tests/shell/remote_program.h"
#include "views/address_bar.h"
#include "views/items_view_window.h"
#include "views/status_bar.h"
#include "support/temp_folder.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr wchar_t kBareClass[] = L"QvrxStartupBenchBare";
constexpr wchar_t kFloorClass[] = L"QvrxStartupBenchFloor";
constexpr wchar_t kCopiedChildClass[] = L"QvrxStartupBenchChild";
constexpr double kFloorAllowance = 1.25;
constexpr int kPreviewFiles = 10;
constexpr double kPreviewTargetSeconds = 0.3;

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterPlainClass(const wchar_t* name, WNDPROC procedure, int background) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = GetSysColorBrush(background);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);
}

// A plain overlapped window, by default of the default size of QVRX's main window.
HWND CreateMainWindowOf(const wchar_t* className, int width = 900, int height = 600) {
  return CreateWindowExW(0, className, className, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                         CW_USEDEFAULT, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Shows and paints the window, then runs the message loop until it closes.
int ShowAndRun(HWND window) {
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

// The baseline: a plain overlapped window of the default size, shown and painted, then a message loop.
int RunBareWindow() {
  RegisterPlainClass(kBareClass, BareWindowProc, COLOR_BTNFACE);
  HWND window = CreateMainWindowOf(kBareClass);
  return window ? ShowAndRun(window) : 1;
}

// ---- The floor ------------------------------------------------------------------------------------------------

// The description of QVRX.exe the floor copies, one item a line, fields apart by tabs:
//   Q <path of QVRX.exe>          whose manifest gives the common controls
//   M <width> <height>            of its main window
//   L <path of a library>         in the order of loading
//   W <parent> <class> <style> <extended style> <x> <y> <width> <height> <id>
// where <parent> is 0 for the main window, else the 1-based line number among the W lines.

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(child);
  return TRUE;
}

// The libraries of QVRX's process but its executable, and its main window's child windows, parents first.
std::wstring DescribeProgram(const std::wstring& program, HANDLE process, HWND window) {
  RECT frame = {};
  GetWindowRect(window, &frame);
  std::wstring text = L"Q\t" + program + L"\nM\t" + std::to_wstring(frame.right - frame.left) + L"\t" +
                      std::to_wstring(frame.bottom - frame.top) + L"\n";
  std::vector<HMODULE> modules(2048);
  DWORD needed = 0;
  if (EnumProcessModulesEx(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed,
                           LIST_MODULES_ALL)) {
    modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
    for (size_t i = 1; i < modules.size(); ++i) {
      wchar_t path[MAX_PATH] = {};
      if (GetModuleFileNameExW(process, modules[i], path, MAX_PATH)) text += L"L\t" + std::wstring(path) + L"\n";
    }
  }
  std::vector<HWND> windows = {window};
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&windows));
  for (size_t i = 1; i < windows.size(); ++i) {
    HWND child = windows[i];
    HWND parent = GetParent(child);
    size_t parentLine = std::find(windows.begin(), windows.end(), parent) - windows.begin();
    if (parentLine >= i) parentLine = 0;
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    wchar_t line[512];
    swprintf(line, 512, L"W\t%zu\t%ls\t%lx\t%lx\t%ld\t%ld\t%ld\t%ld\t%d\n", parentLine, ClassOf(child).c_str(),
             static_cast<unsigned long>(GetWindowLongPtrW(child, GWL_STYLE)),
             static_cast<unsigned long>(GetWindowLongPtrW(child, GWL_EXSTYLE)), rect.left, rect.top,
             rect.right - rect.left, rect.bottom - rect.top, GetDlgCtrlID(child));
    text += line;
  }
  return text;
}

bool WriteDescription(const std::wstring& path, const std::wstring& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  const bool ok = WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
  CloseHandle(file);
  return ok;
}

std::vector<std::wstring> ReadDescriptionLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lines;
  std::wstring text(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
  DWORD read = 0;
  ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
  CloseHandle(file);
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The system's controls that stand in for QVRX's own: its list control speaks the list view's styles and stands for
// one (whose header the list view makes itself), its status bar for the system's, its address bar for an edit box.
struct StandIn {
  const wchar_t* ownClass;
  const wchar_t* systemClass;
  const wchar_t* madeChild;  // the class of a child the system control makes itself
};
constexpr StandIn kStandIns[] = {{kItemListClassName, WC_LISTVIEWW, WC_HEADERW},
                                 {kStatusBarClass, STATUSCLASSNAMEW, nullptr},
                                 {kAddressBarClass, WC_EDITW, nullptr}};

const StandIn* StandInFor(const wchar_t* ownClass) {
  for (const StandIn& standIn : kStandIns) {
    if (wcscmp(standIn.ownClass, ownClass) == 0) return &standIn;
  }
  return nullptr;
}

// The class a copied window is made of: its own when the libraries registered it, a stand-in's, else a plain one.
const wchar_t* CopiedClass(const wchar_t* className) {
  WNDCLASSEXW known = {};
  known.cbSize = sizeof known;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &known) || GetClassInfoExW(nullptr, className, &known)) {
    return className;
  }
  const StandIn* standIn = StandInFor(className);
  return standIn ? standIn->systemClass : kCopiedChildClass;
}

// A child window as the description gives it (with the class it is made of, see CopiedClass); null for a child
// its parent's stand-in made itself. `copiedClasses` holds the own classes the windows so far were copied from.
HWND CreateCopiedChild(const std::wstring& line, const std::vector<HWND>& windows,
                       std::vector<std::wstring>* ownClasses) {
  size_t parent = 0;
  wchar_t className[256] = {};
  unsigned long style = 0, extendedStyle = 0;
  long x = 0, y = 0, width = 0, height = 0;
  int id = 0;
  if (swscanf(line.c_str(), L"W\t%zu\t%255l[^\t]\t%lx\t%lx\t%ld\t%ld\t%ld\t%ld\t%d", &parent, className, &style,
              &extendedStyle, &x, &y, &width, &height, &id) != 9 ||
      parent >= windows.size()) {
    ownClasses->push_back(L"");
    return nullptr;
  }
  ownClasses->push_back(className);
  const StandIn* parentStandIn = StandInFor((*ownClasses)[parent].c_str());
  if (parentStandIn && parentStandIn->madeChild && _wcsicmp(parentStandIn->madeChild, className) == 0) return nullptr;
  return CreateWindowExW(extendedStyle, CopiedClass(className), L"", style, x, y, width, height, windows[parent],
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

// The floor's run: QVRX's libraries, its common controls, OLE and its child windows, then the message loop.
int RunFloorWindow(const std::wstring& descriptionPath) {
  const std::vector<std::wstring> lines = ReadDescriptionLines(descriptionPath);
  if (lines.empty()) return 1;
  ACTCTXW context = {};
  context.cbSize = sizeof context;
  const std::wstring program = lines[0].substr(2);
  context.lpSource = program.c_str();
  context.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  HANDLE activation = CreateActCtxW(&context);
  ULONG_PTR cookie = 0;
  if (activation != INVALID_HANDLE_VALUE) ActivateActCtx(activation, &cookie);
  for (const std::wstring& line : lines) {
    if (line.size() > 2 && line[0] == L'L') LoadLibraryW(line.c_str() + 2);
  }
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES};
  InitCommonControlsEx(&classes);
  OleInitialize(nullptr);
  RegisterPlainClass(kFloorClass, BareWindowProc, COLOR_BTNFACE);
  RegisterPlainClass(kCopiedChildClass, DefWindowProcW, COLOR_WINDOW);
  int width = 900, height = 600;
  for (const std::wstring& line : lines) {
    if (line.size() > 2 && line[0] == L'M') swscanf(line.c_str(), L"M\t%d\t%d", &width, &height);
  }
  HWND window = CreateMainWindowOf(kFloorClass, width, height);
  if (!window) return 1;
  std::vector<HWND> windows = {window};
  std::vector<std::wstring> ownClasses = {kFloorClass};
  for (const std::wstring& line : lines) {
    if (line.size() > 2 && line[0] == L'W') windows.push_back(CreateCopiedChild(line, windows, &ownClasses));
  }
  const int result = ShowAndRun(window);
  OleUninitialize();
  return result;
}

// ---- Timing ------------------------------------------------------------------------------------------------------

// Seconds of one start: to the visible window of `className` answering, and from that window's showing to the
// preview of `rows` rows (when asked for); negative for what did not come. Once the window answers, `onAnswer`
// (when given) sees the process and the window.
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
                     const wchar_t* className, int previewRows,
                     const std::function<void(HANDLE, HWND)>& onAnswer = nullptr) {
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
  if (onAnswer && window) onAnswer(driver.Process(), window);
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

// The median of each round's ratio of `over` to `under`, over the rounds where both answered; negative for none.
double MedianRatio(const std::vector<double>& over, const std::vector<double>& under) {
  std::vector<double> ratios;
  for (size_t i = 0; i < over.size() && i < under.size(); ++i) {
    if (over[i] > 0 && under[i] > 0) ratios.push_back(over[i] / under[i]);
  }
  return FiguresOf(ratios).median;
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

// The path after "floor" on the command line (wide, as the temporary folder may need).
std::wstring FloorArgument() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::wstring path = count > 2 ? arguments[2] : L"";
  LocalFree(arguments);
  return path;
}

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "bare") == 0) return RunBareWindow();
  if (argc > 1 && std::strcmp(argv[1], "floor") == 0) return RunFloorWindow(FloorArgument());
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const ProgramHome empty("", 0);
  const ProgramHome ten("[QK]\r\nR1=<Ins,n,l,0,\"x\">\r\n", kPreviewFiles);
  if (!empty.ready || !ten.ready) {
    std::printf("startup: QVRX.exe or QVRXRES.dll could not be copied\n");
    return 1;
  }
  // One start of each first, so that none pays for loading the system's libraries from disk; QVRX.exe's first
  // start also describes it for the floor. Then they take turns, so that a load that comes and goes weighs on
  // all alike.
  const std::wstring description = empty.home / L"floor.txt";
  const std::wstring floorArguments = L"floor \"" + description + L"\"";
  const std::function<void(HANDLE, HWND)> describe = [&](HANDLE process, HWND window) {
    WriteDescription(description, DescribeProgram(empty.Program(), process, window));
  };
  std::vector<double> bareRuns;
  std::vector<double> floorRuns;
  std::vector<double> qvrxRuns;
  std::vector<double> tenRuns;
  std::vector<double> previewRuns;
  for (int run = 0; run <= runs; ++run) {
    const StartTimes bare = TimeStart(OwnPath(), L"bare", empty.home.Path(), kBareClass, 0);
    const StartTimes shown = TimeStart(empty.Program(), empty.Arguments(), empty.home.Path(), L"QVRX", 0,
                                      run == 0 ? describe : std::function<void(HANDLE, HWND)>());
    const StartTimes floor = TimeStart(OwnPath(), floorArguments, empty.home.Path(), kFloorClass, 0);
    const StartTimes listed = TimeStart(ten.Program(), ten.Arguments(), ten.home.Path(), L"QVRX", kPreviewFiles);
    if (run == 0) continue;
    bareRuns.push_back(bare.answering);
    qvrxRuns.push_back(shown.answering);
    floorRuns.push_back(floor.answering);
    tenRuns.push_back(listed.answering);
    previewRuns.push_back(listed.preview);
  }
  const Figures bare = FiguresOf(bareRuns);
  const Figures floor = FiguresOf(floorRuns);
  const Figures shown = FiguresOf(qvrxRuns);
  const Figures preview = FiguresOf(previewRuns);
  if (bare.best <= 0 || floor.best <= 0 || shown.best <= 0 || preview.best < 0) {
    std::printf("startup: a window or a preview did not come (bare %.3f s, floor %.3f s, QVRX %.3f s, preview %.3f "
                "s)\n",
                bare.best, floor.best, shown.best, preview.best);
    return 1;
  }
  const auto report = [&](const char* kind, double bareSeconds, double floorSeconds, double qvrxSeconds) {
    std::printf("startup (%s of %d): bare window %.3f s, floor (QVRX's libraries and child windows) %.3f s, QVRX.exe "
                "%.3f s; floor / bare %.2f, QVRX / bare %.2f, QVRX / floor %.2f\n",
                kind, runs, bareSeconds, floorSeconds, qvrxSeconds, floorSeconds / bareSeconds,
                qvrxSeconds / bareSeconds, qvrxSeconds / floorSeconds);
  };
  report("best", bare.best, floor.best, shown.best);
  report("median", bare.median, floor.median, shown.median);
  const double overFloor = MedianRatio(qvrxRuns, floorRuns);
  std::printf("startup, QVRX / floor of each round (median of %d): %.2f (target <= %.2f)\n", runs, overFloor,
              kFloorAllowance);
  const Figures withFiles = FiguresOf(tenRuns);
  std::printf("preview of %d files after the window (best, median of %d): %.3f s, %.3f s (target <= %.1f s); that "
              "window answered %.3f s after its start (median; bare window %.3f s)\n",
              kPreviewFiles, runs, preview.best, preview.median, kPreviewTargetSeconds, withFiles.median, bare.median);
  return overFloor <= kFloorAllowance && preview.median <= kPreviewTargetSeconds ? 0 : 1;
}
