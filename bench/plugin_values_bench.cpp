// The value requests of many files through the content-plug-in host against direct calls of the same library's
// ContentGetValueW, in the same run: one value at a time (GetFieldValueForFile: the detect test, one crossing to
// the plug-in's thread, the guarded dispatch, the adapter), and the pass of a field column (GetFieldValuesForFiles
// for a batch of files, one crossing for the batch). The library is the published test plug-in built beside the
// tests; its Size field asks the file system for each file's size, as a real plug-in looks at each file. Prints
// the times and their ratios to the direct calls; the target for a pass is a ratio of at most 1.3.
//
//   plugin_values_bench.exe [count]      (default: 10000)
//
// Each loop runs seven times in alternating order; the fastest run of each counts, so that a moment of a busy
// machine costs no loop its figure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "metadata/field_values.h"
#include "metadata/plugin_host.h"
#include "metadata/published_plugins.h"

namespace {

constexpr int kRounds = 7;
constexpr int kSizeField = 0;
// Files whose values a pass fetches together, as the file list's pass over its rows does.
constexpr int kPassBatch = 128;

struct BenchFiles {
  std::wstring root;
  std::vector<std::wstring> paths;
};

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

bool MakeFiles(int count, BenchFiles* files) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  files->root = std::wstring(temp) + L"qvrx-plugin-bench-" + std::to_wstring(GetCurrentProcessId());
  if (!CreateDirectoryW(files->root.c_str(), nullptr)) return false;
  for (int i = 0; i < count; ++i) {
    files->paths.push_back(files->root + L"\\file " + std::to_wstring(i) + L".txt");
    HANDLE file = CreateFileW(files->paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, "0123456789", static_cast<DWORD>(i % 10), &written, nullptr);
    CloseHandle(file);
  }
  return true;
}

void RemoveFiles(const BenchFiles& files) {
  for (const std::wstring& path : files.paths) DeleteFileW(path.c_str());
  RemoveDirectoryW(files.root.c_str());
}

double TimeDirectCalls(ContentGetValueWFunction getValue, const std::vector<std::wstring>& paths) {
  uint8_t value[kFieldValueBufferBytes];
  wchar_t path[1024];
  const double start = Seconds();
  for (const std::wstring& file : paths) {
    lstrcpynW(path, file.c_str(), 1024);
    if (getValue(path, kSizeField, 0, value, kFieldValueBytes, 0) != kFieldInteger64) return -1;
  }
  return Seconds() - start;
}

double TimeHostRequests(const std::vector<std::wstring>& paths) {
  uint8_t value[kFieldValueBufferBytes];
  const double start = Seconds();
  for (const std::wstring& file : paths) {
    if (GetFieldValueForFile(0, file.c_str(), kSizeField, 0, value, kFieldValueBytes) != kFieldInteger64) return -1;
  }
  return Seconds() - start;
}

double TimeHostPasses(const std::vector<std::wstring>& paths) {
  std::vector<uint8_t> values(static_cast<size_t>(kPassBatch) * kFieldValueBufferBytes);
  FieldValueWant wants[kPassBatch];
  const double start = Seconds();
  for (size_t first = 0; first < paths.size(); first += kPassBatch) {
    const int count = static_cast<int>(paths.size() - first < kPassBatch ? paths.size() - first : kPassBatch);
    for (int i = 0; i < count; ++i) {
      wants[i] = {0, kSizeField, 0, paths[first + i].c_str(), &values[static_cast<size_t>(i) * kFieldValueBufferBytes],
                  kFieldValueBytes, -1};
    }
    GetFieldValuesForFiles(wants, count);
    for (int i = 0; i < count; ++i) {
      if (wants[i].answer != kFieldInteger64) return -1;
    }
  }
  return Seconds() - start;
}

double Faster(double a, double b) { return a < 0 || b < 0 ? -1 : (a < b ? a : b); }

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? atoi(argv[1]) : 10000;
  const std::wstring library = ProgramFolder() + L"\\PublishedTestPlugin.wdx64";
  HMODULE module = LoadLibraryW(library.c_str());
  const auto getValue =
      reinterpret_cast<ContentGetValueWFunction>(reinterpret_cast<void*>(GetProcAddress(module, "ContentGetValueW")));
  if (getValue == nullptr || EnsureContentPluginLoaded(L"Test", library.c_str(), L"", L"") == nullptr) {
    fprintf(stderr, "the test plug-in could not be loaded from %ls\n", library.c_str());
    return 1;
  }
  BenchFiles files;
  if (count <= 0 || !MakeFiles(count, &files)) {
    fprintf(stderr, "could not make the files\n");
    RemoveFiles(files);
    return 1;
  }
  double direct = TimeDirectCalls(getValue, files.paths), host = TimeHostRequests(files.paths);
  double passes = TimeHostPasses(files.paths);
  for (int round = 1; round < kRounds; ++round) {
    direct = Faster(direct, TimeDirectCalls(getValue, files.paths));
    host = Faster(host, TimeHostRequests(files.paths));
    passes = Faster(passes, TimeHostPasses(files.paths));
  }
  RemoveFiles(files);
  UnloadAllPlugins();
  FreeLibrary(module);
  if (direct <= 0 || host < 0 || passes < 0) {
    fprintf(stderr, "a value could not be had\n");
    return 1;
  }
  printf("%d files: direct ContentGetValueW %.3f s; through the host one value at a time %.3f s, ratio %.2f; a pass "
         "of %d files per crossing %.3f s, ratio %.2f (target <= 1.3)\n",
         count, direct, host, host / direct, kPassBatch, passes, passes / direct);
  return 0;
}
