// The list steps over large list files: a Text step and a CSV sequence (one name a line) and a CSV lookup
// (old name;new name a line) over lists of 1, 100 and 700 MB, for 12 and for 10 000 listed files. Each pass runs
// as the preview pass of a job, as at the end of a listing, where a long read is allowed. For each it prints the
// first pass (which reads the list) and a later pass over the unchanged list against the list read by lines in
// the same run (and a bare read of the file in 1 MB blocks), and the memory the pass took at its peak and kept
// afterwards against the list's size; for a lookup also what its table keeps.
// Targets: a lookup's first pass within 2 x the read by lines, its peak and kept memory within 2 x the list;
// a later pass over an unchanged list costs no read of it; a sequence keeps a line for each listed file.
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "bench/bench_chain.h"
#include "bench/bench_lists.h"
#include "bench/best_time.h"
#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "engine/modules/csv_module.h"
#include "engine/modules/name_lists.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "views/file_list_row.h"
#include "views/path_pool.h"

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

// The process's resident memory (what Wine reports most faithfully).
size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize;
}

// The seconds of `work` and the most private memory above the start that it took meanwhile.
template <typename Work>
double Measured(Work&& work, double* peakMegabytes) {
  const size_t start = PrivateBytes();
  std::atomic<bool> done{false};
  std::atomic<size_t> peak{start};
  std::thread sampler([&] {
    while (!done) {
      const size_t now = PrivateBytes();
      if (now > peak) peak = now;
      Sleep(2);
    }
  });
  const double seconds = BestSecondsOf(1, work);
  done = true;
  sampler.join();
  *peakMegabytes = (static_cast<double>(peak) - static_cast<double>(start)) / kMegabyte;
  return seconds;
}

std::wstring WriteList(const wchar_t* name, double megabytes, bool lookup) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::string block;
  char line[64];
  const double bytes = megabytes * kMegabyte;
  for (unsigned i = 0; static_cast<double>(i) * 17 < bytes; ++i) {
    const int length = lookup ? std::snprintf(line, sizeof line, "f%07u.txt;n%07u.txt\r\n", i, i)
                              : std::snprintf(line, sizeof line, "n%07u.txt\r\n", i);
    block.append(line, static_cast<size_t>(length));
    if (block.size() >= (1u << 20)) {
      DWORD written = 0;
      WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
      block.clear();
    }
    if (lookup) ++i;
  }
  DWORD written = 0;
  WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

double MegabytesOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / kMegabyte;
}

double SecondsOfBareRead(const std::wstring& path) {
  static char block[1 << 20];
  return BestSecondsOf(1, [&] {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got != 0) {
    }
    CloseHandle(file);
  });
}

// The list's lines read one after another and dropped: what reading costs before any step keeps a line.
double SecondsOfLineRead(const std::wstring& path) {
  return BestSecondsOf(1, [&] {
    ListFile file;
    if (!OpenListFile(path.c_str(), &file)) return;
    static wchar_t line[2731];
    while (NextListLine(&file, ListLineEnds::kEveryBreak, line, 2731)) {
    }
    CloseListFile(&file);
  });
}

void FillFiles(uint32_t count) {
  ItemListControl* files = g_app->fileList;
  ItemStoreReset(&files->rows);
  ItemStoreReset(&files->pathPool);
  const uint32_t folder = AddPooledPath(files, L"C:\\bench", 0);
  for (uint32_t i = 0; i < count; ++i) {
    FileListRow row{};
    swprintf(row.currentName, kFileNameCapacity, L"f%07u.txt", 2 * i);
    row.length = FileListRowSize(wcslen(row.currentName));
    row.folderIndex = static_cast<int32_t>(folder);
    ItemStoreAppend(&files->rows, &row, row.length);
  }
}

// A pass as a job's worker runs it at the end of a listing.
void PassOfJob() {
  BeginExclusiveJob();
  ComputeNewNames();
  EndExclusiveJob();
}

struct ListSizes {
  double megabytes;
  double linesRead;  // seconds to read the list by lines
};

void MeasureStep(const wchar_t* title, const std::wstring& step, const ListSizes& list, uint32_t files) {
  FillFiles(files);
  const size_t before = PrivateBytes();
  SetBenchChain({step.c_str()});
  double firstPeak = 0, laterPeak = 0;
  const double first = Measured(PassOfJob, &firstPeak);
  const double kept = (static_cast<double>(PrivateBytes()) - static_cast<double>(before)) / kMegabyte;
  const double later = Measured(PassOfJob, &laterPeak);
  std::printf("  %-13ls %6u files: first pass %7.3f s (%5.2f x lines)  later pass %7.4f s (%6.4f x lines)  "
              "peak %7.1f MB (%4.2f x list)  kept %7.1f MB (%4.2f x list)",
              title, files, first, first / list.linesRead, later, later / list.linesRead, firstPeak,
              firstPeak / list.megabytes, kept, kept / list.megabytes);
  const auto* csv = reinterpret_cast<const CsvSettings*>(GetStepInstance(0));
  if (step.rfind(L"<CSV", 0) == 0 && csv->lookup != nullptr) {
    const double table = static_cast<double>(LookupTableBytes(csv->lookup)) / kMegabyte;
    std::printf("  table %7.1f MB (%4.2f x list)", table, table / list.megabytes);
  }
  std::printf("\n");
  ClearBenchChain();
}

}  // namespace

int main() {
  StartBenchPreview();
  for (double megabytes : {1.0, 100.0, 700.0}) {
    const std::wstring sequence = WriteList(L"qvrx-bench-sequence.txt", megabytes, false);
    const std::wstring lookup = WriteList(L"qvrx-bench-lookup.csv", megabytes, true);
    const double read = SecondsOfBareRead(lookup);
    const ListSizes list = {MegabytesOf(lookup), SecondsOfLineRead(lookup)};
    std::printf("list of %.0f MB (lookup %.0f MB): bare read %.3f s, read by lines %.3f s\n", megabytes,
                list.megabytes, read, list.linesRead);
    for (uint32_t files : {12u, 10000u}) {
      MeasureStep(L"Text", L"<Text," + sequence + L">", list, files);
      MeasureStep(L"CSV sequence", L"<CSV," + sequence + L">", list, files);
      MeasureStep(L"CSV lookup", L"<CSV," + lookup + L">", list, files);
    }
    DeleteFileW(sequence.c_str());
    DeleteFileW(lookup.c_str());
  }
  EndBenchPreview();
  return 0;
}
