// Commands that held QVRX's window, run in QVRX.exe itself while the longest stall of its window's thread is
// measured against a bare window of this program in the same run (bench/bench_program.h). Scenes:
//   timestamps  10 000 files listed and selected, under a chain with an EXIF step (which reads every file); the
//               timestamps tool set to take the modification time from the digits of each name; the time and the
//               longest stall from OK in its dialog to the end of the run and the preview after it
//   chain       settings files of 1, 10 000 and 100 000 steps named on the command line: the time until the
//               chain list shows every step and the window answers, the longest stall, and a scroll to the end
//               of the chain list
//   lookup      a CSV lookup step over a list of some hundred megabytes (made in a temporary folder and deleted
//               afterwards) on 12 files: the first preview when the step is in the chain at start (the
//               listing's pass reads the list), then a Refresh over the unchanged list, and the first preview
//               when the step is checked later (a job of its own reads it); each against the list read by lines
//               in this program, with the program's peak working set against the list's size
// Targets: no stall over 0.5 s; 100 000 steps usable within 2 s; the lookup's first preview within 2 x the read
// by lines and its memory within 2 x the list; a Refresh over an unchanged list reads nothing.
//
//   window_scenes_bench.exe [scene] [--program FOLDER] [--list-mb MEGABYTES]
//
// --program takes QVRX.exe and QVRXRES.dll from another folder (an older build, for figures before a change).
// The timestamps scene makes its 10 000 files once under "<temp>\qvrx-responsiveness\stamps" and keeps them.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_files.h"
#include "bench/bench_program.h"
#include "engine/modules/name_lists.h"
#include "support/temp_folder.h"

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;
constexpr int kDialogOk = 99;
int kChainFiles = 100;

struct Stalls {
  double program;
  double bare;
};

void PrintStalls(const char* scene, const Stalls& stalls, const std::string& figures) {
  printf("%-11s longest stall %6.3f s (bare window %6.3f s)%s; %s\n", scene, stalls.program, stalls.bare,
         stalls.program > 0.5 ? "  OVER 0.5 s" : "", figures.c_str());
  fflush(stdout);
}

// Waits until the program's window has answered a message sent after everything queued before it.
void WaitForAnswer(const Program& program) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(program.Window(), WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer);
}

std::string Figure(const char* format, double value) {
  char text[160];
  snprintf(text, sizeof text, format, value);
  return text;
}

// ---- timestamps -------------------------------------------------------------------------------------------------

std::wstring StampsFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  CreateDirectoryW((std::wstring(temp) + L"qvrx-responsiveness").c_str(), nullptr);
  return std::wstring(temp) + L"qvrx-responsiveness\\stamps";
}

std::wstring StampName(int i) { return L"IMG_20200503_121314_" + std::to_wstring(i) + L".jpg"; }

bool MakeStampFiles(const std::wstring& folder) {
  const std::wstring marker = folder + L".complete";
  if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  printf("  making %ls ...\n", folder.c_str());
  fflush(stdout);
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < 10000; ++i) {
    if (!WriteBenchFile(folder + L"\\" + StampName(i), "x") && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return WriteBenchFile(marker, "");
}

// Every file gets a modification time the tool will change.
void AgeStampFiles(const std::wstring& folder) {
  SYSTEMTIME old = {2001, 1, 1, 1, 12, 0, 0, 0};
  FILETIME time;
  SystemTimeToFileTime(&old, &time);
  for (int i = 0; i < 10000; ++i) {
    HANDLE file = CreateFileW((folder + L"\\" + StampName(i)).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
  }
}

bool LastFileDated(const std::wstring& folder) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW((folder + L"\\" + StampName(9999)).c_str(), GetFileExInfoStandard, &data);
  SYSTEMTIME time{};
  FileTimeToSystemTime(&data.ftLastWriteTime, &time);
  return time.wYear == 2020;
}

void RunTimestamps() {
  const std::wstring folder = StampsFolder();
  if (!MakeStampFiles(folder)) {
    printf("timestamps  cannot make its folder\n");
    return;
  }
  AgeStampFiles(folder);
  // Options: the modification time (0x400) from the digits of the name (0x100).
  Program program("OptTS=1280\r\n[QK]\r\nR1=<EXIF,0,\"Date\">\r\n", folder);
  if (program.Window() == nullptr || !WaitFor([&] { return program.Idle(10000) && !program.LastNewName().empty(); })) {
    printf("timestamps  the program did not list the folder\n");
    return;
  }
  program.Send(IDM_SELECT_ALL);
  program.Post(IDM_TIMESTAMPS);
  HWND dialog = nullptr;
  WaitFor([&] { return (dialog = FindProcessWindow(program.ProcessId(), L"#32770")) != nullptr; });
  BareWindow bare;
  StallMeter bareMeter(bare.Window());
  StallMeter meter(program.Window());
  const double ok = Seconds();
  PostMessageW(dialog, WM_COMMAND, kDialogOk, 0);
  // The preview after the run may be a job of its own that begins once the run has ended.
  const bool done = WaitFor([&] { return LastFileDated(folder) && !program.Busy(); });
  WaitForAnswer(program);
  WaitFor([&] { return !program.Busy(); });
  WaitForAnswer(program);
  const double seconds = Seconds() - ok;
  const Stalls stalls = {meter.Stop(), bareMeter.Stop()};
  PrintStalls("timestamps", stalls,
              Figure("10 000 files dated in %.2f s from OK", seconds) + (done ? "" : "  [did not finish]"));
}

// ---- chain ------------------------------------------------------------------------------------------------------

std::wstring StepText(uint32_t i) {
  return i % 2 == 0 ? L"<Case,n," + std::to_wstring(1 + i % 4) + L">" : L"<Ext,\"e" + std::to_wstring(i) + L"\">";
}

std::wstring WriteSettingsFile(const TempFolder& folder, uint32_t steps) {
  std::wstring text = L"\xFEFF";
  for (uint32_t i = 0; i < steps; ++i) text += StepText(i) + L"\r\n";
  const std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return folder.WriteFile(L"chain" + std::to_wstring(steps) + L".zqr", bytes);
}

// The time from the start until the chain list shows every step and the window answers, and until the listed
// files are previewed, with the longest stall; then a chain change over the listed files.
double RunChain(uint32_t steps, const TempFolder& data) {
  const std::wstring file = WriteSettingsFile(data, steps);
  const std::string lastFolder = "LastFolder=" + std::string(data.Path().begin(), data.Path().end()) + "\\files\r\n";
  BareWindow bare;
  StallMeter bareMeter(bare.Window());
  Program program(lastFolder, file);
  if (program.Window() == nullptr) {
    printf("chain       the program did not start\n");
    return -1;
  }
  StallMeter meter(program.Window());
  const bool shown = WaitFor([&] { return program.Steps() == static_cast<int>(steps); });
  WaitForAnswer(program);
  const double usable = Seconds() - program.Started();
  const bool previewed = WaitFor([&] { return program.Idle(kChainFiles) && !program.LastNewName().empty(); });
  WaitForAnswer(program);
  const double preview = Seconds() - program.Started();
  const double scrolled = Seconds();
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(program.Chain(), WM_KEYDOWN, VK_END, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer);
  WaitForAnswer(program);
  const double scroll = Seconds() - scrolled;
  const Stalls stalls = {meter.Stop(), bareMeter.Stop()};
  PrintStalls("chain", stalls,
              Figure("%.0f steps", static_cast<double>(steps)) + Figure(" shown after %.2f s", usable) +
                  Figure(", the preview of the listed files after %.2f s", preview) +
                  Figure(", End in the chain list %.3f s", scroll) + (shown && previewed ? "" : "  [did not finish]"));
  // A chain change over the listed files: the first step unchecked.
  StallMeter changeMeter(program.Window());
  StallMeter changeBareMeter(bare.Window());
  const double restored = Seconds();
  program.SetCheck(program.Chain(), 0, false);
  WaitForAnswer(program);
  const bool changed = WaitFor([&] { return !program.Busy(); });
  WaitForAnswer(program);
  const double change = Seconds() - restored;
  PrintStalls("chain", {changeMeter.Stop(), changeBareMeter.Stop()},
              Figure("%.0f steps: a step unchecked", static_cast<double>(steps)) +
                  Figure(" and previewed in %.2f s", change) + (changed ? "" : "  [did not finish]"));
  return usable;
}

void RunChains() {
  TempFolder data;
  for (int i = 0; i < kChainFiles; ++i) data.WriteFile(L"files\\f" + std::to_wstring(i) + L".txt", "x");
  const double one = RunChain(1, data);
  RunChain(10000, data);
  const double large = RunChain(100000, data);
  printf("chain       100 000 steps shown after %.2f s against %.2f s for one step (target: within 2 s)\n", large,
         one);
}

// ---- lookup -----------------------------------------------------------------------------------------------------

constexpr int kLookupFiles = 12;

std::wstring WriteLookupList(const TempFolder& folder, double megabytes) {
  const std::wstring path = folder / L"lookup.csv";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::string block;
  char line[64];
  double written = 0;
  for (unsigned i = 0; written < megabytes * kMegabyte; ++i) {
    block.append(line, static_cast<size_t>(snprintf(line, sizeof line, "f%07u.txt;n%07u.txt\r\n", i, i)));
    if (block.size() < (1u << 20)) continue;
    DWORD done = 0;
    WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &done, nullptr);
    written += static_cast<double>(block.size());
    block.clear();
  }
  DWORD done = 0;
  WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &done, nullptr);
  CloseHandle(file);
  return path;
}

double SecondsOfLineRead(const std::wstring& path) {
  const double start = Seconds();
  ListFile file;
  if (!OpenListFile(path.c_str(), &file)) return 0;
  static wchar_t line[2731];
  while (NextListLine(&file, ListLineEnds::kEveryBreak, line, 2731)) {
  }
  CloseListFile(&file);
  return Seconds() - start;
}

double PeakMegabytes(const Program& program) {
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(program.Process(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / kMegabyte;
}

struct LookupData {
  TempFolder folder;
  std::wstring list;
  double megabytes;
  double linesRead;
};

std::string LookupProfile(const LookupData& data, bool checked) {
  const std::string list(data.list.begin(), data.list.end());
  return std::string("[QK]\r\nR1=") + (checked ? "" : "-") + "<CSV," + list + ">\r\n";
}

bool NamesLookedUp(const Program& program) {
  return program.Rows() == kLookupFiles && program.LastNewName() == L"n0000011.txt";
}

std::string TimeAgainstLines(const char* what, double seconds, const LookupData& data) {
  return Figure(what, seconds) + Figure(" (%.2f x read by lines)", seconds / data.linesRead);
}

// The step in the chain at start: the listing's pass reads the list; then a Refresh.
void RunLookupAtStart(const LookupData& data) {
  BareWindow bare;
  StallMeter bareMeter(bare.Window());
  Program program(LookupProfile(data, true), data.folder / L"files");
  if (program.Window() == nullptr) return;
  StallMeter meter(program.Window());
  const bool read = WaitFor([&] { return NamesLookedUp(program) && !program.Busy(); });
  const double first = Seconds() - program.Started();
  const double peak = PeakMegabytes(program);
  const double refreshed = Seconds();
  program.Post(IDM_REFRESH_TREE);
  WaitFor([&] { return program.Rows() < kLookupFiles || program.Busy(); });
  const bool again = WaitFor([&] { return NamesLookedUp(program) && !program.Busy(); });
  WaitForAnswer(program);
  const double refresh = Seconds() - refreshed;
  const Stalls stalls = {meter.Stop(), bareMeter.Stop()};
  PrintStalls("lookup", stalls,
              TimeAgainstLines("at start: first preview %.2f s", first, data) +
                  Figure(", peak working set %.0f MB", peak) + Figure(" (%.2f x list)", peak / data.megabytes) +
                  Figure(", Refresh %.2f s", refresh) + (read && again ? "" : "  [did not finish]"));
}

// The step checked once the files are listed: a job of its own reads the list.
void RunLookupChecked(const LookupData& data) {
  BareWindow bare;
  StallMeter bareMeter(bare.Window());
  Program program(LookupProfile(data, false), data.folder / L"files");
  if (program.Window() == nullptr ||
      !WaitFor([&] { return program.Idle(kLookupFiles) && program.LastNewName() == L"f0000011.txt"; }))
    return;
  StallMeter meter(program.Window());
  const double checked = Seconds();
  program.SetCheck(program.Chain(), 0, true);
  const bool read = WaitFor([&] { return NamesLookedUp(program) && !program.Busy(); });
  WaitForAnswer(program);
  const double first = Seconds() - checked;
  const double peak = PeakMegabytes(program);
  const Stalls stalls = {meter.Stop(), bareMeter.Stop()};
  PrintStalls("lookup", stalls,
              TimeAgainstLines("checked later: first preview %.2f s", first, data) +
                  Figure(", peak working set %.0f MB", peak) + (read ? "" : "  [did not finish]"));
}

void RunLookup(double megabytes) {
  LookupData data;
  for (int i = 0; i < kLookupFiles; ++i) {
    wchar_t name[32];
    swprintf(name, 32, L"files\\f%07u.txt", i);
    data.folder.WriteFile(name, "x");
  }
  data.list = WriteLookupList(data.folder, megabytes);
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  GetFileAttributesExW(data.list.c_str(), GetFileExInfoStandard, &attributes);
  data.megabytes = (static_cast<double>(attributes.nFileSizeHigh) * 4294967296.0 + attributes.nFileSizeLow) / kMegabyte;
  data.linesRead = SecondsOfLineRead(data.list);
  printf("lookup      list of %.0f MB, read by lines in %.2f s\n", data.megabytes, data.linesRead);
  RunLookupAtStart(data);
  RunLookupChecked(data);
}

}  // namespace

int main(int argc, char** argv) {
  std::string only;
  double listMegabytes = 300;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--program") == 0 && i + 1 < argc) {
      const std::string folder = argv[++i];
      g_programFolder.assign(folder.begin(), folder.end());
    } else if (strcmp(argv[i], "--list-mb") == 0 && i + 1 < argc) {
      listMegabytes = atof(argv[++i]);
    } else {
      only = argv[i];
    }
  }
  if (only.empty() || only == "timestamps") RunTimestamps();
  if (only.empty() || only == "chain") RunChains();
  if (only.empty() || only == "lookup") RunLookup(listMegabytes);
  return 0;
}
