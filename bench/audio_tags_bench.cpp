// Reading the audio tags of many files through ReadAudioTags against a bare open, read and close of the same
// files, in the same run. The files are a mix of the five formats (MP3 with ID3v2 and ID3v1, Ogg Vorbis and
// FLAC made by their encoders, WMA, M4A), each small enough that a reader reads it whole, so both loops read
// the same bytes. Prints both times and their ratio; the target is a ratio of at most 2.
//
//   audio_tags_bench.exe [count]      (default: 10000)
//
// Each loop runs three times in alternating order (bare, tags, bare, tags, ...); the fastest run of each
// counts, so that a moment of load from elsewhere on the machine does not decide the ratio.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_files.h"
#include "metadata/audio_tags.h"
#include "tests/metadata/audio_samples.h"

using namespace audio_samples;

namespace {

constexpr int kFilesPerFolder = 1000;
constexpr int kRounds = 3;

struct BenchFiles {
  std::wstring root;
  std::vector<std::wstring> folders;
  std::vector<std::wstring> paths;
};

std::string Mp3Bytes(int number) {
  const std::string title = "Title " + std::to_string(number);
  const std::string frames = Id3v2Frame(3, "TIT2", '\0' + title) + Id3v2Frame(3, "TPE1", std::string("\0Artist", 7)) +
                             Id3v2Frame(3, "TALB", std::string("\0Album", 6)) +
                             Id3v2Frame(3, "TRCK",
                                        std::string("\0"
                                                    "3/12",
                                                    5)) +
                             Id3v2Frame(3, "TCON", std::string("\0(17)", 5));
  return Id3v2Tag(3, frames, 0, 1024) + MpegFrame(8000) + Id3v1Tag(title, "Artist", "2001", 3, 17);
}

std::string WmaBytes(int number) {
  return AsfFile({AsfStreamProperties(2, 44100, 16000),
                  AsfContentDescription(AsfText(L"Title " + std::to_wstring(number)), AsfText(L"Artist"), ""),
                  AsfExtendedContent({AsfDescriptor(L"WM/AlbumTitle", 0, AsfText(L"Album")),
                                      AsfDescriptor(L"WM/Track", 3, LittleEndian(2, 4))})},
                 std::string(8000, '\0'));
}

std::string M4aBytes(int number) {
  const std::string items = Mp4Item("\251nam", "Title " + std::to_string(number)) + Mp4Item("\251ART", "Artist") +
                            Mp4Item("trkn", std::string("\0\0\0\x03\0\x0C\0\0", 8), 0);
  return Mp4File("M4A ", items, Mp4AudioTrack(1, 128000)) + Mp4Atom("mdat", std::string(8000, '\x22'));
}

// The encoders' output, made once and written under every name of its format.
bool MakeEncodedSamples(const std::wstring& root, std::string* ogg, std::string* flac) {
  const Comments comments = {{"TITLE", "Title"}, {"ARTIST", "Artist"}, {"TRACKNUMBER", "3/12"}, {"DATE", "2001"}};
  const std::wstring oggPath = root + L"\\sample.ogg", flacPath = root + L"\\sample.flac";
  if (!EncodeOggVorbis(oggPath, comments) || !EncodeFlac(flacPath, comments, {4410, 2, 44100})) return false;
  *ogg = ReadBenchFile(oggPath);
  *flac = ReadBenchFile(flacPath);
  DeleteFileW(oggPath.c_str());
  DeleteFileW(flacPath.c_str());
  return !ogg->empty() && !flac->empty();
}

bool MakeFiles(int count, BenchFiles* files) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  files->root = std::wstring(temp) + L"qvrx-audio-bench-" + std::to_wstring(GetCurrentProcessId());
  std::string ogg, flac;
  if (!CreateDirectoryW(files->root.c_str(), nullptr) || !MakeEncodedSamples(files->root, &ogg, &flac)) return false;
  static const wchar_t* const kExtensions[] = {L".mp3", L".ogg", L".flac", L".wma", L".m4a"};
  for (int i = 0; i < count; ++i) {
    if (i % kFilesPerFolder == 0) {
      files->folders.push_back(files->root + L"\\d" + std::to_wstring(i / kFilesPerFolder));
      if (!CreateDirectoryW(files->folders.back().c_str(), nullptr)) return false;
    }
    const int kind = i % 5;
    const std::string bytes = kind == 0   ? Mp3Bytes(i)
                              : kind == 1 ? ogg
                              : kind == 2 ? flac
                              : kind == 3 ? WmaBytes(i)
                                          : M4aBytes(i);
    files->paths.push_back(files->folders.back() + L"\\song " + std::to_wstring(i) + kExtensions[kind]);
    if (!WriteBenchFile(files->paths.back(), bytes)) return false;
  }
  return true;
}

void RemoveFiles(const BenchFiles& files) {
  for (const std::wstring& path : files.paths) DeleteFileW(path.c_str());
  for (const std::wstring& folder : files.folders) RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(files.root.c_str());
}

// Seconds for opening, reading whole and closing every file; negative when a file could not be read.
double TimeBareReads(const std::vector<std::wstring>& paths) {
  static char buffer[65536];
  const double start = Seconds();
  for (const std::wstring& path : paths) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got != 0) {
    }
    CloseHandle(file);
  }
  return Seconds() - start;
}

// Seconds for reading the tags of every file; negative when a file gave no format.
double TimeTagReads(const std::vector<std::wstring>& paths) {
  const double start = Seconds();
  for (const std::wstring& path : paths) {
    AudioTagInfo info{};
    if (ReadAudioTags(path.c_str(), &info) != 0 || info.format[0] == 0) return -1;
  }
  return Seconds() - start;
}

double Faster(double a, double b) { return a < 0 || b < 0 ? -1 : (a < b ? a : b); }

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? atoi(argv[1]) : 10000;
  BenchFiles files;
  if (count <= 0 || !MakeFiles(count, &files)) {
    fprintf(stderr, "could not make the files\n");
    RemoveFiles(files);
    return 1;
  }
  double bare = TimeBareReads(files.paths), tags = TimeTagReads(files.paths);
  for (int round = 1; round < kRounds; ++round) {
    bare = Faster(bare, TimeBareReads(files.paths));
    tags = Faster(tags, TimeTagReads(files.paths));
  }
  RemoveFiles(files);
  if (bare <= 0 || tags < 0) {
    fprintf(stderr, "a file could not be read\n");
    return 1;
  }
  printf("%d files: bare open and read %.3f s, audio tags %.3f s, ratio %.2f (target <= 2)\n", count, bare, tags,
         tags / bare);
  return 0;
}
