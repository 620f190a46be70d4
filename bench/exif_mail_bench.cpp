// Reading metadata of many files: ReadExifInfo on JPEG files written by libjpeg with an EXIF segment, and
// ReadMailInfo on stored messages, each against a bare open and read of the same bytes in the same run.
// Prints both rates and their ratio; the target is a ratio of at most 2 for each reader.
//
//   exif_mail_bench.exe [count]      (default: 10000 files of each kind)
//
// Each measurement runs twice in alternating order (bare, reader, bare, reader) after a first pass that brings
// the files into the system's cache.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "metadata/exif_info.h"
#include "metadata/mail_info.h"
#include "tests/metadata/written_jpeg.h"

namespace {

constexpr int kFilesPerFolder = 1000;

// An EXIF segment as cameras write its first directory: make, model, date, resolution and a link to an EXIF
// directory with exposure, ISO and the original date (little-endian).
const unsigned char kExifSegment[] = {
    'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
    // first directory: 5 entries
    5, 0,
    0x0F, 0x01, 2, 0, 6, 0, 0, 0, 74, 0, 0, 0,      // make "Canon" at 74
    0x10, 0x01, 2, 0, 14, 0, 0, 0, 80, 0, 0, 0,     // model at 80
    0x1A, 0x01, 5, 0, 1, 0, 0, 0, 94, 0, 0, 0,      // X resolution at 94
    0x32, 0x01, 2, 0, 20, 0, 0, 0, 102, 0, 0, 0,    // date at 102
    0x69, 0x87, 4, 0, 1, 0, 0, 0, 122, 0, 0, 0,     // EXIF directory at 122
    0, 0, 0, 0,
    'C', 'a', 'n', 'o', 'n', 0,
    'P', 'o', 'w', 'e', 'r', 'S', 'h', 'o', 't', ' ', 'S', '9', '5', 0,
    72, 0, 0, 0, 1, 0, 0, 0,
    '2', '0', '2', '1', ':', '0', '6', ':', '0', '1', ' ', '1', '0', ':', '2', '0', ':', '3', '0', 0,
    // EXIF directory at 122: 3 entries
    3, 0,
    0x9A, 0x82, 5, 0, 1, 0, 0, 0, 164, 0, 0, 0,     // exposure time at 164
    0x27, 0x88, 3, 0, 1, 0, 0, 0, 100, 0, 0, 0,     // ISO 100
    0x03, 0x90, 2, 0, 20, 0, 0, 0, 102, 0, 0, 0,    // original date
    0, 0, 0, 0,
    1, 0, 0, 0, 250, 0, 0, 0,
};

const char kMessage[] =
    "Return-Path: <jd@x.org>\r\n"
    "Received: from mx.example.org (mx.example.org [192.0.2.1])\r\n"
    "\tby mail.example.org with ESMTPS id 4711\r\n"
    "\tfor <rcpt@example.org>; Mon, 5 Feb 2024 14:03:10 +0100\r\n"
    "DKIM-Signature: v=1; a=rsa-sha256; d=x.org; s=mail; h=from:to:subject:date;\r\n"
    "\tbh=47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=; b=dGhpcyBpcyBub3QgYSByZWFsIHNpZ25hdHVyZQ==\r\n"
    "Message-ID: <20240205140309.4711@x.org>\r\n"
    "From: \"Doe, John\" <jd@x.org>\r\n"
    "To: Jane Roe <jr@example.org>, <k@example.org>\r\n"
    "Cc: =?ISO-8859-1?Q?Ren=E9?= <rene@example.org>\r\n"
    "Subject: =?utf-8?B?w6lsw6h2ZQ==?=\r\n =?utf-8?Q?_au_caf=C3=A9?=\r\n"
    "Date: Mon, 5 Feb 2024 14:03:09 +0100\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=utf-8\r\n"
    "Content-Transfer-Encoding: 8bit\r\n"
    "\r\n";

// The bytes a header reader needs: up to the end of the start-of-scan segment.
size_t HeaderLength(const std::string& jpeg) {
  const size_t scan = jpeg.find("\xFF\xDA");
  if (scan == std::string::npos) return jpeg.size();
  return scan + 2 + (static_cast<uint8_t>(jpeg[scan + 2]) << 8 | static_cast<uint8_t>(jpeg[scan + 3]));
}

struct FileSet {
  std::wstring root;
  std::vector<std::wstring> folders;
  std::vector<std::wstring> files;
};

bool MakeFiles(const wchar_t* kind, int count, const std::string& bytes, FileSet* set) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  set->root = std::wstring(temp) + L"qvrx-" + kind + L"-bench-" + std::to_wstring(GetCurrentProcessId());
  if (!CreateDirectoryW(set->root.c_str(), nullptr)) return false;
  for (int i = 0; i < count; ++i) {
    if (i % kFilesPerFolder == 0) {
      set->folders.push_back(set->root + L"\\d" + std::to_wstring(i / kFilesPerFolder));
      if (!CreateDirectoryW(set->folders.back().c_str(), nullptr)) return false;
    }
    set->files.push_back(set->folders.back() + L"\\file " + std::to_wstring(i) + L"." + kind);
    HANDLE file = CreateFileW(set->files.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
    CloseHandle(file);
    if (!ok) return false;
  }
  return true;
}

void RemoveFiles(const FileSet& set) {
  for (const std::wstring& file : set.files) DeleteFileW(file.c_str());
  for (const std::wstring& folder : set.folders) RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(set.root.c_str());
}

// Seconds for opening each file and reading its first `bytes` bytes; negative when a read failed.
double TimeBareReads(const FileSet& set, size_t bytes) {
  std::vector<char> buffer(bytes);
  const double start = Seconds();
  for (const std::wstring& path : set.files) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD read = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    ReadFile(file, buffer.data(), static_cast<DWORD>(bytes), &read, nullptr) && read == bytes;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) return -1;
  }
  return Seconds() - start;
}

double TimeExifReads(const FileSet& set) {
  ExifInfo info;
  const double start = Seconds();
  for (const std::wstring& path : set.files)
    if (ReadExifInfo(path.c_str(), &info) != 0 || info.width != 320) return -1;
  return Seconds() - start;
}

double TimeMailReads(const FileSet& set) {
  static MailInfo info;
  const double start = Seconds();
  for (const std::wstring& path : set.files) {
    info = {};
    wcsncpy(info.path, path.c_str(), kMailTextCapacity - 1);
    if (ReadMailInfo(&info) != 0 || info.date == 0) return -1;
  }
  return Seconds() - start;
}

bool Measure(const wchar_t* kind, int count, const std::string& bytes, size_t readBytes,
             double (*timeReader)(const FileSet&)) {
  FileSet set;
  bool ok = MakeFiles(kind, count, bytes, &set) && TimeBareReads(set, readBytes) >= 0;
  double bare = 0, reader = 0;
  for (int round = 0; round < 2 && ok; ++round) {
    const double bareTime = TimeBareReads(set, readBytes);
    const double readerTime = timeReader(set);
    ok = bareTime >= 0 && readerTime >= 0;
    bare += bareTime;
    reader += readerTime;
  }
  RemoveFiles(set);
  if (!ok) {
    std::printf("%ls: %d files could not be made or read\n", kind, count);
    return false;
  }
  const double files = 2.0 * count;
  std::printf("%-4ls %6d files of %5zu bytes: bare open and read %8.0f files/s, reader %8.0f files/s, ratio %.3f "
              "(target <= 2)\n",
              kind, count, bytes.size(), files / bare, files / reader, reader / bare);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::string exif(reinterpret_cast<const char*>(kExifSegment), sizeof(kExifSegment));
  const std::string jpeg = CompressJpegWithApp1(320, 240, exif);
  const std::string message = std::string(kMessage) + std::string(2000, 'b');
  const bool exifOk = Measure(L"jpg", count, jpeg, HeaderLength(jpeg), TimeExifReads);
  const bool mailOk = Measure(L"eml", count, message, message.size(), TimeMailReads);
  return exifOk && mailOk ? 0 : 1;
}
