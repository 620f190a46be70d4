// Whether the window keeps answering: QVRX.exe is started on heavy folders and chains while two threads of this
// program send WM_NULL every 100 ms (SendMessageTimeout), one to QVRX's main window and one to a bare Win32 window
// of this program, and record the longest wait for an answer of each. Scenes:
//   audio, exif, email, image  a folder with one 3 GB sparse file, an MP3, a JPEG with EXIF data and a mail, and
//                              one metadata step; once the listing has ended the step is unchecked and checked
//                              again (two chain changes, the second one giving the sample its module's value)
//   runaway                    100 names of 30 a's and a b, and one name ending in an a, with the step RegEx
//                              (a+)+$; two chain changes as above
//   tree                       a recursive listing (Opt=4128) of 3 330 folders and 24 000 files; then the time from
//                              a posted Stop (command IDM_STOP, as the menu posts it) to the end of a second listing
//   deep                       the start in a folder 130 levels deep
//   flat                       a flat folder of 100 000 files: the time from the program's start to a usable
//                              preview (a step inserting text), best of three starts, against a bare
//                              FindFirstFileExW walk of the same folder in this program (best of three, one
//                              before each start) and the preview's own pass over the same names in this program
//   mp3                        a listing of 10 000 MP3 files with an Audio step
//   rows                       100 000 files one folder down, listed with subfolders (the export's save dialog
//                              opens in the listed folder): select all, invert the selection, sort by each key,
//                              copy rows with titles (against plain code that formats and joins the same text from
//                              the folder's listing; the texts compared line for line), copy names and paths,
//                              the attributes dialog, fitting every column, export as HTML, the in-place rename of
//                              one row, the step unchecked and checked again (chain changes), selected files only
//                              (all rows but one kept, then one kept) and Refresh, each measured on its own
//   rows20k                    the same with 20 000 rows
//   run                        a rename run over 100 000 files (100 folders of 1 000, listed with subfolders),
//                              Refresh, then the run's undo with the 100 000 rows shown
//   recycle                    every tenth of 100 000 files (as in run) selected and recycled
//   plugin                     20 files and a PgnCont step whose content plug-in stops answering once the names
//                              show its values; then the list is sorted twice, and the preview after each sort asks
//                              the plug-in for values on the window's thread
// Targets: no stall over 0.5 s in any scene; a posted Stop ends a listing within 0.5 s; the flat folder's
// usable preview within 2 x the bare walk plus the preview's own pass; the copy within 2 x the plain code.
//
//   responsiveness_bench.exe [scene]      (default: every scene)
//
// The folders are made once under "<temp>\qvrx-responsiveness" and kept for later runs. Under Wine the first run
// takes long: every new name is looked up in the whole folder, so the 100 000 files take about half an hour;
// files made there by other means, with the marker "<folder>.complete" beside the folder, are taken as they are.
// The program is copied with its resource library into a fresh temporary folder for each scene, beside the
// profile file of the scene.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_chain.h"
#include "bench/bench_clock.h"
#include "bench/bench_files.h"
#include "bench/bench_program.h"
#include "bench/best_time.h"
#include "engine/preview.h"
#include "foundation/ui/command_ids.h"
#include "support/process_driver.h"
#include "tests/metadata/audio_samples.h"
#include "tests/metadata/exif_samples.h"
#include "views/file_list_row.h"
#include "views/item_list_control.h"
#include "views/path_pool.h"

using namespace audio_samples;

namespace {

constexpr int kFlatRuns = 3;
constexpr double kFlatTargetRatio = 2;

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

std::string Mp3Bytes(int number);

// Beside the big file, one sample that each metadata step gives a value for, so that a chain change changes a name.
bool FillBig(const std::wstring& folder) {
  return MakeSparseFile(folder + L"\\big.dat", 3LL << 30) && WriteIfMissing(folder + L"\\song.mp3", Mp3Bytes(1)) &&
         WriteIfMissing(folder + L"\\photo.jpg", ExifSampleJpeg({})) &&
         WriteIfMissing(folder + L"\\note.eml", "Subject: Minutes\r\nFrom: a@b.c\r\n\r\nText\r\n");
}
constexpr int kBigRows = 4;

// The runaway names, and one that the pattern matches at once.
bool FillRunaway(const std::wstring& folder) {
  for (int i = 0; i < 100; ++i) {
    const std::wstring name = std::wstring(30, L'a') + L"b" + std::to_wstring(i) + L".txt";
    if (!WriteIfMissing(folder + L"\\" + name, "x")) return false;
  }
  return WriteIfMissing(folder + L"\\zza.txt", "x");
}
constexpr int kRunawayRows = 101;

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

bool FillNumbered(const std::wstring& folder, int count) {
  for (int i = 0; i < count; ++i) {
    if (!WriteIfMissing(folder + L"\\n" + std::to_wstring(i) + L".txt", "x")) return false;
  }
  return true;
}

bool FillFlat(const std::wstring& folder) { return FillNumbered(folder, 100000); }

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


// The files one level down, so that the save dialog of the export, which opens in the listed folder, does not list
// them all.
template <int kCount>
bool FillRows(const std::wstring& folder) {
  return MakeFolder(folder + L"\\files") && FillNumbered(folder + L"\\files", kCount);
}

// 100 folders of 1 000 files, listed with subfolders: a rename under Wine looks its name up in the whole folder,
// so 100 000 files in one folder would take hours to rename.
bool FillRun(const std::wstring& folder) {
  for (int i = 0; i < 100; ++i) {
    const std::wstring sub = folder + L"\\d" + std::to_wstring(i);
    if (!MakeFolder(sub)) return false;
    for (int f = 0; f < 1000; ++f) {
      if (!WriteIfMissing(sub + L"\\n" + std::to_wstring(f) + L".txt", "x")) return false;
    }
  }
  return true;
}

// ---- The flat folder's baselines ------------------------------------------------------------------------------

// Walks the folder's entries as a listing asks for them; each one goes to `entry`.
template <typename Entry>
void WalkFolder(const std::wstring& folder, Entry entry) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW((folder + L"\\*.*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    entry(data);
  } while (FindNextFileW(search, &data));
  FindClose(search);
}

double BareWalkSeconds(const std::wstring& folder) {
  const double start = Seconds();
  WalkFolder(folder, [](const WIN32_FIND_DATAW&) {});
  return Seconds() - start;
}

// The preview of the flat scene's step over the folder's names, in this program: the best of three passes.
double PreviewPassSeconds(const std::wstring& folder) {
  StartBenchPreview();
  ItemListControl* files = g_app->fileList;
  const int32_t pooled = static_cast<int32_t>(AddPooledPath(files, folder.c_str(), 0));
  WalkFolder(folder, [&](const WIN32_FIND_DATAW& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
    FileListRow row{};
    SetFileListRowName(&row, data.cFileName);
    row.folderIndex = pooled;
    ItemStoreAppend(&files->rows, &row, row.length);
  });
  SetBenchChain({L"<Ins,n,l,0,\"x\">"});
  const double seconds = BestSecondsOf(3, ComputeNewNames);
  EndBenchPreview();
  return seconds;
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

bool MeasureAction(Program& program, const char* name, const std::function<bool()>& action);

// Whether a row among the first 200 shows a new name other than its current one.
bool AnyNameChanges(const Program& program) {
  const int rows = std::min(program.Rows(), 200);
  for (int row = 0; row < rows; ++row) {
    const std::wstring renamed = program.CellText(program.FileList(), row, 1);
    if (!renamed.empty() && renamed != program.CellText(program.FileList(), row, 0)) return true;
  }
  return false;
}

// The chain's step unchecked, then checked again, as a click on its box does: two chain changes, each measured on its
// own until its preview is done (unchecked: every new name is the current one; checked: a name changes).
bool ChangeChainTwice(Program& program) {
  bool ok = true;
  for (const bool checked : {false, true}) {
    ok = MeasureAction(program, checked ? "step checked again" : "step unchecked", [&] {
           program.SetCheck(program.Chain(), 0, checked);
           return WaitFor([&] { return !program.Busy(); }) &&
                  WaitFor([&] { return checked ? AnyNameChanges(program) : program.LastNewName() == program.LastName(); });
         }) &&
         ok;
  }
  return ok;
}

// Lists, then changes the chain twice.
SceneResult ListThenChangeChain(Program& program, int rows) {
  SceneResult result;
  result.ok = WaitFor([&] { return program.Idle(rows) && !program.LastNewName().empty(); });
  if (result.ok) result.ok = ChangeChainTwice(program);
  return result;
}

SceneResult ListOnly(Program& program, int rows) {
  SceneResult result;
  result.ok = WaitFor([&] { return program.Idle(rows) && !program.LastNewName().empty(); });
  result.figures = Format("listed in %.2f s", Seconds() - program.Started());
  return result;
}

// The flat scene's listings from their start (the Stop button's enabling) to the usable preview, and the usable
// previews from the window's showing, one per run.
std::vector<double> g_flatListings;
std::vector<double> g_flatFromShown;

SceneResult FlatListing(Program& program, int rows) {
  SceneResult result;
  result.ok = WaitFor([&] { return program.Busy() || program.Idle(rows); });
  const double listingStarted = Seconds();
  if (result.ok) result = ListOnly(program, rows);
  result.figures += Format(", the window shown after %.2f s", program.Shown() - program.Started());
  result.figures += Format(", the listing after %.2f s", listingStarted - program.Started());
  if (result.ok) g_flatListings.push_back(Seconds() - listingStarted);
  if (result.ok) g_flatFromShown.push_back(Seconds() - program.Shown());
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

// ---- Commands that walk every row -----------------------------------------------------------------------------

// Pings every 20 ms, so that a stall of a short command is not hidden between two pings.
constexpr DWORD kActionPingMs = 20;

// One command measured on its own: its longest stall and its time until `done` holds.
bool MeasureAction(Program& program, const char* name, const std::function<bool()>& action) {
  StallMeter meter(program.Window(), kActionPingMs);
  const double start = Seconds();
  const bool ok = action();
  const double took = Seconds() - start;
  const double stall = meter.Stop();
  printf("  %-26s longest stall %6.3f s, done in %6.2f s%s%s\n", name, stall, took, stall > 0.5 ? "  OVER 0.5 s" : "",
         ok ? "" : "  [did not finish]");
  fflush(stdout);
  return ok;
}

// A command and, when it began a job, the job's end.
bool RunCommand(Program& program, int command) {
  program.Send(command);
  return WaitFor([&] { return !program.Busy(); });
}

// Whatever the program had posted to itself before has run: posted messages are handled in order, and the
// toolbar hidden and shown again by two posted commands is seen from here.
bool Drain(Program& program, HWND toolbar) {
  program.Post(IDM_TOOLBAR);
  if (!WaitFor([&] { return !IsWindowVisible(toolbar); })) return false;
  program.Post(IDM_TOOLBAR);
  return WaitFor([&] { return IsWindowVisible(toolbar) != FALSE; });
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* data = static_cast<const wchar_t*>(GlobalLock(block))) text = data;
    GlobalUnlock(block);
  }
  CloseClipboard();
  return text;
}

void EmptyTheClipboard() {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  CloseClipboard();
}

// The plain code the copy is measured against: the cells the list shows by default (name, new name, size, last
// change, attributes, type, folder) of the folder's files, formatted by the system's calls from what the folder's
// listing gave, and joined, a line each.
// Sizes are shown in KB (a small file as 1 KB), or MB, GB, TB once they pass 1024 of the unit before.
std::wstring ByteSizeText(uint64_t size) {
  static const wchar_t kUnits[] = L"KMGT";
  int divisions = 0;
  bool remainder = false;
  while (size > 1024 && divisions < 4) {
    remainder = remainder || size % 1024 != 0;
    size /= 1024;
    ++divisions;
  }
  if (divisions == 0) size = size != 0 ? 1 : 0;
  if (divisions > 0 && remainder) ++size;
  wchar_t separator[4] = L",";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 4);
  std::wstring digits = std::to_wstring(size);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), 1, separator[0]);
  return digits + L" " + kUnits[divisions == 0 ? 0 : divisions - 1] + L"B";
}

std::wstring DateText(const FILETIME& time) {
  SYSTEMTIME utc;
  SYSTEMTIME local;
  if (!FileTimeToSystemTime(&time, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return L"";
  wchar_t date[64] = {};
  wchar_t clock[64] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 64);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, clock, 64);
  return std::wstring(date) + L"  " + clock;
}

std::wstring AttributeText(DWORD attributes) {
  static const std::pair<DWORD, wchar_t> kLetters[] = {{0x1, L'R'}, {0x20, L'A'}, {0x2, L'H'},
                                                        {0x4, L'S'}, {0x4000, L'E'}, {0x800, L'C'}};
  std::wstring letters;
  for (const auto& [bit, letter] : kLetters) {
    if (attributes & bit) letters += letter;
  }
  return letters;
}

std::wstring TypeText(const std::wstring& name, std::map<std::wstring, std::wstring>* known) {
  const size_t dot = name.rfind(L'.');
  const std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot);
  auto found = known->find(extension);
  if (found != known->end()) return found->second;
  SHFILEINFOW info = {};
  SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
  return (*known)[extension] = info.szTypeName;
}

std::vector<WIN32_FIND_DATAW> FolderFiles(const std::wstring& folder) {
  std::vector<WIN32_FIND_DATAW> files;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(found);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

std::wstring PlainRowsText(const std::vector<WIN32_FIND_DATAW>& files, const std::wstring& folder,
                           const std::wstring& newNamePrefix) {
  std::wstring text;
  std::map<std::wstring, std::wstring> types;
  for (const WIN32_FIND_DATAW& file : files) {
    const std::wstring name = file.cFileName;
    const uint64_t size = (static_cast<uint64_t>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
    text += name + L"\t" + newNamePrefix + name + L"\t" + ByteSizeText(size) + L"\t" + DateText(file.ftLastWriteTime) +
            L"\t" + AttributeText(file.dwFileAttributes) + L"\t" + TypeText(name, &types) + L"\t" + folder + L"\r\n";
  }
  return text;
}

std::vector<std::wstring> SortedLines(const std::wstring& text, size_t from) {
  std::vector<std::wstring> lines;
  for (size_t at = from; at < text.size();) {
    const size_t end = text.find(L"\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end == std::wstring::npos ? text.size() : end + 2;
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Copy rows with titles of every row, against plain code making the same text; the texts are compared line for line
// (in any order: the list's order is its sort's).
bool CopyAgainstPlainCode(Program& program, const std::wstring& folder, std::string* figures) {
  const std::vector<WIN32_FIND_DATAW> files = FolderFiles(folder);
  const double plainStart = Seconds();
  const std::wstring plain = PlainRowsText(files, folder, L"x");
  const double plainTime = Seconds() - plainStart;
  EmptyTheClipboard();
  double copyTime = 0;
  const bool ok = MeasureAction(program, "copy rows with titles", [&] {
    const double start = Seconds();
    program.Send(IDM_COPY_ROWS_WITH_TITLES);
    const bool copied =
        WaitFor([&] { return !program.Busy() && IsClipboardFormatAvailable(CF_UNICODETEXT); });
    copyTime = Seconds() - start;
    return copied;
  });
  const std::wstring copied = ClipboardText();
  const size_t body = copied.find(L"\r\n");
  const bool same = body != std::wstring::npos && SortedLines(copied, body + 2) == SortedLines(plain, 0);
  char line[256];
  snprintf(line, sizeof line, "copy %.2f s against plain code %.2f s: ratio %.2f (target at most 2); %s", copyTime,
           plainTime, plainTime > 0 ? copyTime / plainTime : 0.0, same ? "the same text" : "TEXTS DIFFER");
  *figures += std::string("; ") + line;
  return ok;
}

// Export as HTML through the save dialog: the form and the file chosen in it, then the file written whole.
bool ExportAsHtml(Program& program, const std::wstring& path) {
  DeleteFileW(path.c_str());
  program.Post(IDM_EXPORT_LIST);
  HWND dialog = nullptr;
  if (!WaitFor([&] {
        dialog = FindProcessWindow(program.ProcessId(), L"#32770", [](HWND w) { return IsWindowVisible(w) != 0; });
        return dialog != nullptr;
      })) {
    return false;
  }
  constexpr int kHtmlType = 4;
  HWND types = GetDlgItem(dialog, cmb1);
  SendMessageW(types, CB_SETCURSEL, kHtmlType, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
  // The file name is typed into the edit control of the dialog's name box.
  HWND nameBox = GetDlgItem(dialog, cmb13);
  HWND name = reinterpret_cast<HWND>(SendMessageW(nameBox, CBEM_GETEDITCONTROL, 0, 0));
  SendMessageW(name ? name : nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  const std::string end = "</body></html>\r\n";
  return WaitFor([&] {
    if (program.Busy() || IsWindow(dialog)) return false;
    const std::string bytes = ReadBenchFile(path);
    return bytes.size() > end.size() && bytes.compare(bytes.size() - end.size(), end.size(), end) == 0;
  });
}

// The in-place editor on the first row: its name typed with a prefix, Enter, and whatever the rename posted. The
// file's name on disk, which the program changed.
std::wstring RenameFirstRowInPlace(Program& program, HWND toolbar, const std::wstring& folder) {
  program.Focus(0);
  const std::wstring name = program.CellText(program.FileList(), 0, 0);
  program.Post(IDM_RENAME_IN_PLACE);
  HWND editor = nullptr;
  if (!WaitFor([&] { return (editor = program.Editor()) != nullptr; })) return L"";
  const std::wstring typed = L"r" + name;
  SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  PostMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
  const bool done = WaitFor([&] { return program.Editor() == nullptr; }) && Drain(program, toolbar) &&
                    WaitFor([&] { return !program.Busy(); });
  return done && GetFileAttributesW((folder + L"\\" + typed).c_str()) != INVALID_FILE_ATTRIBUTES ? name : L"";
}

// The attributes dialog shown for every selected row, then cancelled.
bool AttributesDialogShown(Program& program) {
  program.Post(IDM_ATTRIBUTES);
  HWND shown = nullptr;
  if (!WaitFor([&] { return (shown = program.Shown(L"#32770")) != nullptr; })) return false;
  PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
  return WaitFor([&] { return !IsWindowVisible(shown) && !program.Busy(); });
}

// Every shown column fitted to its contents through the header's menu (its second item, chosen with the keys), and
// whatever the choice began.
constexpr int kMenuClicks = 5;
constexpr double kMenuWaitSeconds = 2;

bool Failed(const char* why) {
  printf("  (%s)\n", why);
  return false;
}

bool AllColumnsFitted(Program& program) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(program.FileList(), LVM_GETHEADER, 0, 0));
  RECT place = {};
  if (header == nullptr || !GetWindowRect(header, &place)) return false;
  // The program opens the menu only while the pointer is on the list, as it is after a right click; under Wine a
  // moved pointer now and then reaches the program after the click, which is then asked again.
  HWND menu = nullptr;
  for (int click = 0; click < kMenuClicks && menu == nullptr; ++click) {
    SetCursorPos(place.left + 10, place.top + 5);
    PostMessageW(program.FileList(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(header),
                 MAKELPARAM(place.left + 10, place.top + 5));
    const double clicked = Seconds();
    while (Seconds() - clicked < kMenuWaitSeconds && (menu = program.Shown(L"#32768")) == nullptr) Sleep(20);
  }
  if (menu == nullptr) return Failed("no column menu came");
  for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 0);
  if (!WaitFor([&] { return !IsWindowVisible(menu); })) return Failed("the column menu stayed");
  program.Send(0);
  return WaitFor([&] { return !program.Busy(); }) || Failed("the fit did not end");
}

// All rows selected but the first, then selected files only: every other row stays. Then selected files only off:
// the folder is listed again.
bool SelectedOnlyAllButOne(Program& program, int rows) {
  program.SelectRows([](int row) { return row != 0; });
  const bool kept = MeasureAction(program, "selected only, all but one", [&] {
    program.Send(IDM_SELECTED_ONLY);
    return WaitFor([&] { return program.Idle(rows - 1) && program.LastNewName()[0] == L'x'; });
  });
  const bool listed = MeasureAction(program, "selected only off", [&] {
    program.Send(IDM_SELECTED_ONLY);
    return WaitFor([&] { return program.Idle(rows) && program.LastNewName()[0] == L'x'; });
  });
  return kept && listed;
}

struct RowCommand {
  const char* name;
  int command;
};

const RowCommand kSortCommands[] = {
    {"sort by name", IDM_SORT_NAME},         {"sort by extension", IDM_SORT_EXTENSION},
    {"sort by new name", IDM_SORT_NEW_NAME}, {"sort by last change", IDM_SORT_MODIFIED},
    {"sort by creation", IDM_SORT_CREATED},  {"sort by last access", IDM_SORT_ACCESSED},
    {"sort by size", IDM_SORT_SIZE},         {"sort by attributes", IDM_SORT_ATTRIBUTES},
    {"sort by type", IDM_SORT_TYPE},         {"sort by folder", IDM_SORT_FOLDER},
    {"sort descending", IDM_SORT_DESCENDING}, {"sort ascending", IDM_SORT_DESCENDING},
};

// Every command that walks the rows of a list of 100 000 files, each measured on its own.
SceneResult CommandsOverRows(Program& program, const std::wstring& folder, int rows) {
  SceneResult result = ListOnly(program, rows);
  HWND toolbar = program.HasStopButton() ? FindStopButtonBar(program.Window()) : nullptr;
  const auto command = [&](const char* name, int id) {
    result.ok = MeasureAction(program, name, [&] { return RunCommand(program, id); }) && result.ok;
  };
  if (!result.ok || toolbar == nullptr) return result;
  command("select all", IDM_SELECT_ALL);
  command("invert the selection", IDM_INVERT_SELECTION);
  command("select all again", IDM_SELECT_ALL);
  for (const RowCommand& sort : kSortCommands) command(sort.name, sort.command);
  result.ok = CopyAgainstPlainCode(program, folder, &result.figures) && result.ok;
  command("copy names", IDM_COPY_NAMES);
  command("copy paths", IDM_COPY_PATHS);
  result.ok =
      MeasureAction(program, "attributes dialog", [&] { return AttributesDialogShown(program); }) && result.ok;
  result.ok = MeasureAction(program, "fit all columns", [&] { return AllColumnsFitted(program); }) && result.ok;
  const std::wstring page = DataFolder() + L"\\export.htm";
  // The page stays for a look, until the next run.
  result.ok = MeasureAction(program, "export as HTML", [&] { return ExportAsHtml(program, page); }) && result.ok;
  std::wstring renamed;
  result.ok = MeasureAction(program, "rename one row in place", [&] {
                renamed = RenameFirstRowInPlace(program, toolbar, folder);
                return !renamed.empty();
              }) &&
              result.ok;
  // The folder as it was, for the refresh and later runs.
  if (!renamed.empty()) MoveFileW((folder + L"\\r" + renamed).c_str(), (folder + L"\\" + renamed).c_str());
  result.ok = ChangeChainTwice(program) && result.ok;
  result.ok = WaitFor([&] { return program.LastNewName()[0] == L'x'; }) && result.ok;
  result.ok = SelectedOnlyAllButOne(program, rows) && result.ok;
  command("select all again", IDM_SELECT_ALL);
  // All rows but one removed from the list, then the folder listed again.
  command("invert the selection again", IDM_INVERT_SELECTION);
  program.Focus(0);
  command("selected files only", IDM_SELECTED_ONLY);
  result.ok = MeasureAction(program, "refresh", [&] {
                program.Send(IDM_RELOAD_LIST);
                return WaitFor([&] { return program.Idle(rows) && !program.LastNewName().empty(); });
              }) &&
              result.ok;
  return result;
}

// Every tenth of 100 000 files (the run's folders) to the recycle bin, confirmed as the user would; the files are
// made again afterwards for later runs.
SceneResult RecycleEveryTenth(Program& program, const std::wstring& folder, int rows) {
  constexpr int kStride = 10;
  SceneResult result = ListOnly(program, rows);
  if (!result.ok) return result;
  program.SelectRows([](int row) { return row % kStride == 0; });
  const int kept = rows - (rows + kStride - 1) / kStride;
  result.ok = MeasureAction(program, "recycle every tenth file", [&] {
    DialogWatcher boxes(program.ProcessId(), IDYES);
    program.Post(IDM_RECYCLE);
    return WaitFor([&] { return program.Rows() == kept && !program.Busy(); });
  });
  result.ok = FillRun(folder) && result.ok;
  return result;
}

// A rename run over 100 000 files, the folder listed again with the new names, then the run's undo, which gives the
// listed rows their old names.
SceneResult RunThenUndo(Program& program, int rows) {
  SceneResult result = ListOnly(program, rows);
  if (!result.ok) return result;
  result.ok = MeasureAction(program, "rename run", [&] { return RunCommand(program, IDM_START_RENAMING); });
  result.ok = MeasureAction(program, "refresh after the run", [&] {
                program.Send(IDM_RELOAD_LIST);
                return WaitFor([&] { return program.Idle(rows) && program.LastName()[0] == L'x'; });
              }) &&
              result.ok;
  result.ok = MeasureAction(program, "undo", [&] {
                program.Send(IDM_UNDO);
                return WaitFor([&] { return !program.Busy() && program.LastName()[0] == L'n'; });
              }) &&
              result.ok;
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
      {"audio", L"samples", FillBig, StepProfile("<Audio,0,\"Artist\">"), chainChanges(kBigRows)},
      {"exif", L"samples", FillBig, StepProfile("<EXIF,0,\"Date\">"), chainChanges(kBigRows)},
      {"email", L"samples", FillBig, StepProfile("<eMail,0,\"Subject\">"), chainChanges(kBigRows)},
      {"image", L"samples", FillBig, StepProfile("<Image,0,\"Width\">"), chainChanges(kBigRows)},
      {"runaway", L"runaway101", FillRunaway, StepProfile("<RegEx,n,\"(a+)+$\",\"x\">"),
       chainChanges(kRunawayRows)},
      {"tree", L"tree", FillTree, StepProfile("<Ins,n,l,0,\"x\">", "Opt=4128\r\n"),
       [](Program& program, const std::wstring&) { return TreeWithStop(program, 24000); }},
      {"deep", L"deep", FillDeep, StepProfile("<Ins,n,l,0,\"x\">"), listing(1)},
      {"flat", L"flat", FillFlat, StepProfile("<Ins,n,l,0,\"x\">"),
       [](Program& program, const std::wstring&) { return FlatListing(program, 100000); }},
      {"mp3", L"mp3", FillMp3, StepProfile("<Audio,0,\"Artist\"-\"Title\">"), listing(10000)},
      {"rows", L"rows", FillRows<100000>, StepProfile("<Ins,n,l,0,\"x\">", "Opt=4128\r\n"),
       [](Program& program, const std::wstring& folder) {
         return CommandsOverRows(program, folder + L"\\files", 100000);
       }},
      {"rows20k", L"rows20k", FillRows<20000>, StepProfile("<Ins,n,l,0,\"x\">", "Opt=4128\r\n"),
       [](Program& program, const std::wstring& folder) {
         return CommandsOverRows(program, folder + L"\\files", 20000);
       }},
      {"run", L"run", FillRun, StepProfile("<Ins,n,l,0,\"x\">", "Opt=4128\r\n"),
       [](Program& program, const std::wstring&) { return RunThenUndo(program, 100000); }},
      {"recycle", L"recycle", FillRun, StepProfile("<Ins,n,l,0,\"x\">", "Opt=4128\r\n"),
       [](Program& program, const std::wstring& folder) { return RecycleEveryTenth(program, folder, 100000); }},
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

double Best(const std::vector<double>& seconds) { return *std::min_element(seconds.begin(), seconds.end()); }

// The flat scene kFlatRuns times, each after a bare walk of its folder: the best usable preview against the best
// walk and the preview's own pass.
void RunFlatScene(const Scene& scene) {
  const std::wstring folder = SceneFolder(scene);
  if (!MakeFolder(DataFolder()) || !MakeOnce(folder, scene.fill)) {
    printf("%-10s cannot make its folder\n", scene.name);
    return;
  }
  const double pass = PreviewPassSeconds(folder);
  std::vector<double> walks;
  std::vector<double> previews;
  for (int run = 0; run < kFlatRuns; ++run) {
    walks.push_back(BareWalkSeconds(folder));
    const double preview = RunScene(scene);
    if (preview > 0) previews.push_back(preview);
  }
  if (previews.empty() || g_flatListings.empty()) return;
  const double walk = Best(walks);
  const double preview = Best(previews);
  const double listing = Best(g_flatListings);
  printf("flat       usable preview %.2f s from the start (best of %d) against a bare FindFirstFileExW walk %.2f s "
         "(best of %d) and the preview's own pass %.2f s: (preview - pass) / walk = %.2f (target at most %.0f, a "
         "preview within %.2f s)\n",
         preview, kFlatRuns, walk, kFlatRuns, pass, (preview - pass) / walk, kFlatTargetRatio,
         kFlatTargetRatio * walk + pass);
  printf("flat       the listing alone, from its start to the usable preview, %.2f s (best of %d): (listing - pass) / "
         "walk = %.2f\n",
         listing, kFlatRuns, (listing - pass) / walk);
  // The process's start until its window shows is Wine's as much as the program's: startup_bench holds it against
  // a minimal program with the same libraries and windows.
  const double fromShown = Best(g_flatFromShown);
  printf("flat       from the window's showing to the usable preview %.2f s (best of %d): (preview - pass) / walk = "
         "%.2f; the rest of the first figure is the start until the window shows (startup_bench's floor)\n",
         fromShown, kFlatRuns, (fromShown - pass) / walk);
}

}  // namespace

int main(int argc, char** argv) {
  InitCommonControls();
  const std::string only = argc > 1 ? argv[1] : "";
  bool any = false;
  for (const Scene& scene : Scenes()) {
    const std::string name = scene.name;
    if (!only.empty() && name != only) continue;
    any = true;
    if (name == "flat") {
      RunFlatScene(scene);
    } else {
      RunScene(scene);
    }
  }
  if (!any) {
    printf("unknown scene %s: audio exif email image runaway tree deep flat mp3 rows rows20k run recycle plugin\n",
           only.c_str());
    return 2;
  }
  return 0;
}
