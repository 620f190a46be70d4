// Whether the window keeps answering: QVRX.exe is started on heavy folders and chains while two threads of this
// program send WM_NULL every 100 ms (SendMessageTimeout), one to QVRX's main window and one to a bare Win32 window
// of this program, and record the longest wait for an answer of each. Scenes:
//   audio, exif, email, image  a folder with one 3 GB sparse file and one metadata step; the chain is restored
//                              twice more (chain changes) once the listing has ended
//   runaway                    100 names of 30 a's and a b with the step RegEx (a+)+$; two chain changes
//   tree                       a recursive listing (Opt=4128) of 3 330 folders and 24 000 files; then the time from
//                              a posted Stop (command IDM_STOP, as the menu posts it) to the end of a second listing
//   deep                       the start in a folder 130 levels deep
//   flat                       a flat folder of 100 000 files: the time to a usable preview (a step inserting
//                              text) against the bare listing (an unchecked step), both from the program's start
//   mp3                        a listing of 10 000 MP3 files with an Audio step
//   plugin                     20 files and a PgnCont step whose content plug-in stops answering once the names
//                              show its values; then the list is sorted twice, and the preview after each sort asks
//                              the plug-in for values on the window's thread
// Targets: no stall over 0.5 s in any scene; a posted Stop ends a listing within 0.5 s; the flat folder's
// preview within 2 x the bare listing.
//
//   responsiveness_bench.exe [scene]      (default: every scene)
//
// The folders are made once under "<temp>\qvrx-responsiveness" and kept for later runs. Under Wine the first run
// takes long: every new name is looked up in the whole folder, so the 100 000 files take about half an hour;
// files made there by other means, with the marker "flat.complete" beside the folder, are taken as they are.
// The program is copied with its resource library into a fresh temporary folder for each scene, beside the
// profile file of the scene.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_files.h"
#include "foundation/ui/command_ids.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"
#include "tests/metadata/audio_samples.h"
#include "views/item_list_control.h"

using namespace audio_samples;

namespace {

constexpr DWORD kPingPeriodMs = 100;
constexpr DWORD kAnswerTimeoutMs = 60000;
constexpr double kSceneTimeoutSeconds = 300;

// ---- The longest stall of a window ----------------------------------------------------------------------------

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

// ---- The folders ------------------------------------------------------------------------------------------------

std::wstring DataFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"qvrx-responsiveness";
}

std::wstring LongForm(const std::wstring& path) { return L"\\\\?\\" + path; }

bool MakeFolder(const std::wstring& path) {
  return CreateDirectoryW(LongForm(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Makes a folder's content once: a folder with the marker "complete" is taken as it stands.
bool MakeOnce(const std::wstring& folder, const std::function<bool(const std::wstring&)>& fill) {
  const std::wstring marker = folder + L".complete";
  if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  printf("  making %ls ...\n", folder.c_str());
  fflush(stdout);
  if (!MakeFolder(folder) || !fill(folder)) return false;
  return WriteBenchFile(marker, "");
}

bool WriteIfMissing(const std::wstring& path, const std::string& bytes) {
  return WriteBenchFile(LongForm(path), bytes) || GetLastError() == ERROR_FILE_EXISTS;
}

bool MakeSparseFile(const std::wstring& path, int64_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  const bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

bool FillBig(const std::wstring& folder) { return MakeSparseFile(folder + L"\\big.dat", 3LL << 30); }

bool FillRunaway(const std::wstring& folder) {
  for (int i = 0; i < 100; ++i) {
    const std::wstring name = std::wstring(30, L'a') + L"b" + std::to_wstring(i) + L".txt";
    if (!WriteIfMissing(folder + L"\\" + name, "x")) return false;
  }
  return true;
}

// 30 folders, 10 in each, 10 in each of those (3 330), and 8 files in each of the last (24 000).
bool FillTree(const std::wstring& folder) {
  for (int a = 0; a < 30; ++a) {
    const std::wstring first = folder + L"\\f" + std::to_wstring(a);
    if (!MakeFolder(first)) return false;
    for (int b = 0; b < 10; ++b) {
      const std::wstring second = first + L"\\g" + std::to_wstring(b);
      if (!MakeFolder(second)) return false;
      for (int c = 0; c < 10; ++c) {
        const std::wstring third = second + L"\\h" + std::to_wstring(c);
        if (!MakeFolder(third)) return false;
        for (int f = 0; f < 8; ++f) {
          if (!WriteIfMissing(third + L"\\file" + std::to_wstring(f) + L".txt", "x")) return false;
        }
      }
    }
  }
  return true;
}

std::wstring DeepFolder(const std::wstring& folder) {
  std::wstring path = folder;
  for (int level = 0; level < 130; ++level) path += L"\\d";
  return path;
}

bool FillDeep(const std::wstring& folder) {
  std::wstring path = folder;
  for (int level = 0; level < 130; ++level) {
    path += L"\\d";
    if (!MakeFolder(path)) return false;
  }
  return WriteIfMissing(path + L"\\deep.txt", "x");
}

bool FillFlat(const std::wstring& folder) {
  for (int i = 0; i < 100000; ++i) {
    if (!WriteIfMissing(folder + L"\\n" + std::to_wstring(i) + L".txt", "x")) return false;
  }
  return true;
}

std::string Mp3Bytes(int number) {
  const std::string frames = Id3v2Frame(3, "TIT2", std::string("\0Title ", 7) + std::to_string(number)) +
                             Id3v2Frame(3, "TPE1", std::string("\0Artist", 7));
  return Id3v2Tag(3, frames, 0, 256) + MpegFrame(2000);
}

bool FillPlugin(const std::wstring& folder) {
  for (int i = 0; i < 20; ++i) {
    if (!WriteIfMissing(folder + L"\\p" + std::to_wstring(i) + L".txt", "x")) return false;
  }
  return true;
}

bool FillMp3(const std::wstring& folder) {
  for (int i = 0; i < 10000; ++i) {
    if (!WriteIfMissing(folder + L"\\song " + std::to_wstring(i) + L".mp3", Mp3Bytes(i))) return false;
  }
  return true;
}

// ---- The program ------------------------------------------------------------------------------------------------

// The toolbar (at any depth under the main window) that holds the Stop button.
HWND FindStopButtonBar(HWND window) {
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

// QVRX.exe copied beside the scene's profile file, started on a folder.
class Program {
 public:
  Program(const std::string& profile, const std::wstring& folder) {
    const std::wstring bin = ExecutableFolder();
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
  DWORD ProcessId() const { return driver_.ProcessId(); }
  bool HasStopButton() const { return toolbar_ != nullptr; }
  double Started() const { return started_; }
  int Rows() const { return static_cast<int>(SendMessageW(files_, LVM_GETITEMCOUNT, 0, 0)); }
  // A job (a listing) is busy while the Stop button is enabled.
  bool Busy() const { return toolbar_ != nullptr && SendMessageW(toolbar_, TB_ISBUTTONENABLED, IDM_STOP, 0) != 0; }
  bool Idle(int rows) const { return Rows() == rows && !Busy(); }
  void Post(int command) const { PostMessageW(window_, WM_COMMAND, command, 0); }
  void Send(int command) const {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window_, WM_COMMAND, command, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer);
  }

  // The new name of the last row, read through memory of the program's process.
  std::wstring LastNewName() const {
    const int row = Rows() - 1;
    if (row < 0) return L"";
    constexpr int kCapacity = 300;
    void* remote =
        VirtualAllocEx(driver_.Process(), nullptr, sizeof(LVITEMW) + kCapacity * 2, MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr) return L"";
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
    LVITEMW item = {};
    item.iSubItem = 1;
    item.pszText = remoteText;
    item.cchTextMax = kCapacity;
    WriteProcessMemory(driver_.Process(), remote, &item, sizeof item, nullptr);
    SendMessageW(files_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
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
  HWND toolbar_ = nullptr;
  double started_ = 0;
};

// Polls `done` every 20 ms; false after the scene's time-out.
bool WaitFor(const std::function<bool()>& done) {
  const double start = Seconds();
  while (!done()) {
    if (Seconds() - start > kSceneTimeoutSeconds) return false;
    Sleep(20);
  }
  return true;
}

// ---- The scenes ------------------------------------------------------------------------------------------------

struct SceneResult {
  bool ok = true;
  std::string figures;  // further figures of the scene
};

struct Scene {
  const char* name;
  const wchar_t* folder;
  bool (*fill)(const std::wstring& folder);
  std::string profile;
  std::function<SceneResult(Program& program, const std::wstring& folder)> drive;
};

char* Format(const char* format, double value) {
  static char text[128];
  snprintf(text, sizeof text, format, value);
  return text;
}

// Lists, then changes the chain twice.
SceneResult ListThenChangeChain(Program& program, int rows) {
  SceneResult result;
  result.ok = WaitFor([&] { return program.Idle(rows) && !program.LastNewName().empty(); });
  for (int change = 0; change < 2 && result.ok; ++change) program.Send(IDM_RESTORE_CHAIN);
  return result;
}

SceneResult ListOnly(Program& program, int rows) {
  SceneResult result;
  result.ok = WaitFor([&] { return program.Idle(rows) && !program.LastNewName().empty(); });
  result.figures = Format("listed in %.2f s", Seconds() - program.Started());
  return result;
}

SceneResult TreeWithStop(Program& program, int rows) {
  SceneResult result = ListOnly(program, rows);
  if (!result.ok) return result;
  program.Post(IDM_RELOAD_LIST);
  // The second listing empties the list first; Stop comes once it is under way.
  result.ok = WaitFor([&] { return program.Rows() < rows; }) && WaitFor([&] { return program.Rows() >= 2000; });
  if (!result.ok) return result;
  const double stopped = Seconds();
  program.Post(IDM_STOP);
  result.ok = WaitFor([&] { return !program.Busy(); });
  result.figures += Format(", Stop to end of listing %.3f s", Seconds() - stopped);
  result.figures += " (" + std::to_string(program.Rows()) + " rows kept; target 0.5 s)";
  return result;
}

std::string StepProfile(const std::string& step, const char* options = "") {
  return std::string(options) + "[QK]\r\nR1=" + step + "\r\n";
}

// The chain takes the test plug-in's value; the plug-in stops answering when the event named after the program's
// process is set.
std::string HangingPluginProfile() {
  const std::wstring library = ExecutableFolder() + L"\\HangWhenToldTestPlugin.wdx64";
  return StepProfile("<PgnCont,0,\"OFN\"-\"Hostile=Value\">") + "[pgnCont]\r\n1=Hostile;+" +
         std::string(library.begin(), library.end()) + ";;\r\n";
}

SceneResult PluginStopsAnswering(Program& program, int rows) {
  SceneResult result;
  result.ok = WaitFor([&] {
    const std::wstring name = program.LastNewName();
    return program.Idle(rows) && name.size() > 6 && name.substr(name.size() - 6) == L"-7.txt";
  });
  if (!result.ok) return result;
  const std::wstring hangName = L"QVRXHostilePluginHang" + std::to_wstring(program.ProcessId());
  HANDLE hang = CreateEventW(nullptr, TRUE, TRUE, hangName.c_str());
  for (int sort = 0; sort < 2; ++sort) program.Send(IDM_SORT_NAME);
  CloseHandle(hang);
  return result;
}

std::vector<Scene> Scenes() {
  const auto chainChanges = [](int rows) {
    return [rows](Program& program, const std::wstring&) { return ListThenChangeChain(program, rows); };
  };
  const auto listing = [](int rows) {
    return [rows](Program& program, const std::wstring&) { return ListOnly(program, rows); };
  };
  return {
      {"audio", L"big", FillBig, StepProfile("<Audio,0,\"Artist\">"), chainChanges(1)},
      {"exif", L"big", FillBig, StepProfile("<EXIF,0,\"Date\">"), chainChanges(1)},
      {"email", L"big", FillBig, StepProfile("<eMail,0,\"Subject\">"), chainChanges(1)},
      {"image", L"big", FillBig, StepProfile("<Image,0,\"Width\">"), chainChanges(1)},
      {"runaway", L"runaway", FillRunaway, StepProfile("<RegEx,n,\"(a+)+$\",\"x\">"), chainChanges(100)},
      {"tree", L"tree", FillTree, StepProfile("<Ins,n,l,0,\"x\">", "Opt=4128\r\n"),
       [](Program& program, const std::wstring&) { return TreeWithStop(program, 24000); }},
      {"deep", L"deep", FillDeep, StepProfile("<Ins,n,l,0,\"x\">"), listing(1)},
      {"flat-bare", L"flat", FillFlat, StepProfile("-<Ins,n,l,0,\"x\">"), listing(100000)},
      {"flat", L"flat", FillFlat, StepProfile("<Ins,n,l,0,\"x\">"), listing(100000)},
      {"mp3", L"mp3", FillMp3, StepProfile("<Audio,0,\"Artist\"-\"Title\">"), listing(10000)},
      {"plugin", L"plugin", FillPlugin, HangingPluginProfile(),
       [](Program& program, const std::wstring&) { return PluginStopsAnswering(program, 20); }},
  };
}

std::wstring SceneFolder(const Scene& scene) {
  const std::wstring folder = DataFolder() + L"\\" + scene.folder;
  return std::string(scene.name) == "deep" ? DeepFolder(folder) : folder;
}

// Runs one scene; its listing time (from the program's start) when it has one, else 0; -1 on failure.
double RunScene(const Scene& scene) {
  if (!MakeFolder(DataFolder()) || !MakeOnce(DataFolder() + L"\\" + scene.folder, scene.fill)) {
    printf("%-10s cannot make its folder\n", scene.name);
    return -1;
  }
  BareWindow bare;
  StallMeter bareMeter(bare.Window());
  Program program(scene.profile, SceneFolder(scene));
  if (program.Window() == nullptr || !program.HasStopButton()) {
    printf("%-10s the program did not start, or shows no Stop button\n", scene.name);
    return -1;
  }
  StallMeter meter(program.Window());
  const SceneResult result = scene.drive(program, SceneFolder(scene));
  const double listed = Seconds() - program.Started();
  const double stall = meter.Stop();
  const double bareStall = bareMeter.Stop();
  printf("%-10s longest stall %6.3f s (bare window %6.3f s)%s%s%s%s\n", scene.name, stall, bareStall,
         stall > 0.5 ? "  OVER 0.5 s" : "", result.figures.empty() ? "" : "; ", result.figures.c_str(),
         result.ok ? "" : "  [did not finish]");
  fflush(stdout);
  return result.ok ? listed : -1;
}

}  // namespace

int main(int argc, char** argv) {
  InitCommonControls();
  const std::string only = argc > 1 ? argv[1] : "";
  double bareFlat = 0;
  double flat = 0;
  bool any = false;
  for (const Scene& scene : Scenes()) {
    const std::string name = scene.name;
    if (!only.empty() && name != only && !(only == "flat" && name == "flat-bare")) continue;
    any = true;
    const double listed = RunScene(scene);
    if (name == "flat-bare") bareFlat = listed;
    if (name == "flat") flat = listed;
  }
  if (!any) {
    printf("unknown scene %s: audio exif email image runaway tree deep flat mp3 plugin\n", only.c_str());
    return 2;
  }
  if (bareFlat > 0 && flat > 0) {
    printf("flat       usable preview %.2f s against the bare listing %.2f s: ratio %.2f (target at most 2)\n", flat,
           bareFlat, flat / bareFlat);
  }
  return 0;
}
