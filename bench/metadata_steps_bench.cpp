// The preview of a folder of files with one metadata step, against a bare open, read and close of the same
// files in the same run: 10 000 MP3 files with an Audio step ("Artist" - "Title"), and 10 000 images (PNG,
// JPEG, TIFF, WebP, BMP in turn) with an Image step ("Width"x"Height"). Each file is small enough that both the
// reader and the bare loop read it whole. Prints both times and their ratio; the target is a ratio of at most 2.
//
//   metadata_steps_bench.exe [count]      (default: 10000)
//
// Each loop runs three times in alternating order; the fastest run of each counts.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_files.h"
#include "bench/bench_chain.h"
#include "bench/bench_lists.h"
#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "tests/metadata/image_samples.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/path_pool.h"

using namespace audio_samples;
using namespace image_samples;

namespace {

constexpr int kRounds = 3;

struct BenchFolder {
  std::wstring path;
  std::vector<std::wstring> names;
};

std::string Mp3Bytes(int number) {
  const std::string frames = Id3v2Frame(3, "TIT2", std::string("\0Title ", 7) + std::to_string(number)) +
                             Id3v2Frame(3, "TPE1", std::string("\0Artist", 7)) +
                             Id3v2Frame(3, "TALB", std::string("\0Album", 6));
  return Id3v2Tag(3, frames, 0, 256) + MpegFrame(2000);
}

// The images, made once by the encoders and written under every name of their format.
std::vector<std::pair<std::wstring, std::string>> ImageKinds(const std::wstring& folder) {
  const std::wstring tiff = folder + L"\\sample.tif";
  const std::string tiffBytes = WriteTiff(tiff, 48, 32, 8, 3) ? ReadBenchFile(tiff) : std::string();
  DeleteFileW(tiff.c_str());
  return {{L".png", EncodePng(64, 48, PNG_COLOR_TYPE_RGB, 8)},
          {L".jpg", CompressJpeg(64, 48, 3)},
          {L".tif", tiffBytes},
          {L".webp", EncodeWebp(64, 48, false)},
          {L".bmp", BmpFile(40, 16, 12, 24)}};
}

bool MakeFolder(const std::wstring& path, int count, const std::function<std::pair<std::wstring, std::string>(int)>& file,
                BenchFolder* folder) {
  folder->path = path;
  if (!CreateDirectoryW(path.c_str(), nullptr)) return false;
  for (int i = 0; i < count; ++i) {
    const auto [name, bytes] = file(i);
    folder->names.push_back(name);
    if (bytes.empty() || !WriteBenchFile(path + L"\\" + name, bytes)) return false;
  }
  return true;
}

void RemoveFolder(const BenchFolder& folder) {
  for (const std::wstring& name : folder.names) DeleteFileW((folder.path + L"\\" + name).c_str());
  RemoveDirectoryW(folder.path.c_str());
}

void ListFolder(const BenchFolder& folder) {
  ItemListControl* files = g_app->fileList;
  ItemStoreReset(&files->rows);
  ItemStoreReset(&files->pathPool);
  const uint32_t index = AddPooledPath(files, folder.path.c_str(), 0);
  for (const std::wstring& name : folder.names) {
    FileListRow row{};
    wcsncpy(row.currentName, name.c_str(), kFileNameCapacity - 1);
    row.length = FileListRowSize(name.size());
    row.folderIndex = static_cast<int32_t>(index);
    ItemStoreAppend(&files->rows, &row, row.length);
  }
}


// Opens, reads whole and closes every file; false when one could not be read.
bool BareReads(const BenchFolder& folder) {
  static char buffer[65536];
  for (const std::wstring& name : folder.names) {
    HANDLE file = CreateFileW((folder.path + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got != 0) {
    }
    CloseHandle(file);
  }
  return true;
}

// Rows whose new name the step changed: every one, or the step did not read its files.
uint32_t RenamedRows() {
  uint32_t renamed = 0;
  for (uint32_t i = 0; i < ItemStoreCount(&g_app->fileList->rows); ++i) {
    const FileListRow* row = reinterpret_cast<const FileListRow*>(ItemStoreGet(&g_app->fileList->rows, i));
    if (wcscmp(row->newName, row->currentName) != 0) ++renamed;
  }
  return renamed;
}

double Time(const std::function<void()>& work) {
  const double start = Seconds();
  work();
  return Seconds() - start;
}

// Prints the bare reads and the preview of the folder with the step; false when the step left a name alone.
bool Measure(const char* what, const BenchFolder& folder, const wchar_t* step) {
  ListFolder(folder);
  SetBenchChain({step});
  double bare = 1e30, preview = 1e30, seconds = 0;
  bool read = true;
  for (int round = 0; round < kRounds; ++round) {
    seconds = Time([&] { read = BareReads(folder) && read; });
    bare = seconds < bare ? seconds : bare;
    seconds = Time(ComputeNewNames);
    preview = seconds < preview ? seconds : preview;
  }
  const uint32_t renamed = RenamedRows();
  std::printf("%zu files, %s: bare open and read %.3f s, preview %.3f s, ratio %.2f (target <= 2)\n",
              folder.names.size(), what, bare, preview, preview / bare);
  return read && renamed == folder.names.size();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? atoi(argv[1]) : 10000;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"qvrx-metadata-bench-" + std::to_wstring(GetCurrentProcessId());
  BenchFolder songs, images;
  const auto kinds = ImageKinds(temp);
  const bool made =
      count > 0 && CreateDirectoryW(root.c_str(), nullptr) &&
      MakeFolder(root + L"\\songs", count,
                 [](int i) { return std::make_pair(L"song " + std::to_wstring(i) + L".mp3", Mp3Bytes(i)); }, &songs) &&
      MakeFolder(root + L"\\images", count,
                 [&](int i) {
                   const auto& kind = kinds[static_cast<size_t>(i) % kinds.size()];
                   return std::make_pair(L"image " + std::to_wstring(i) + kind.first, kind.second);
                 },
                 &images);
  StartBenchPreview();
  bool measured = made;
  if (made) {
    measured = Measure("Audio step", songs, L"<Audio,1,\"Artist\" - \"Title\">");
    measured = Measure("Image step", images, L"<Image,1,\"Width\"x\"Height\">") && measured;
  }
  EndBenchPreview();
  RemoveFolder(songs);
  RemoveFolder(images);
  RemoveDirectoryW(root.c_str());
  if (!measured) std::fprintf(stderr, "%s\n", made ? "a step left a name alone" : "could not make the files");
  return measured ? 0 : 1;
}
