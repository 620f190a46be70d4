#include "support/temp_folder.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace {

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((AsGiven(path) + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = path + L"\\" + name;
      SetFileAttributesW(AsGiven(full).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        DeleteFileW(AsGiven(full).c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(AsGiven(path).c_str());
}

void MakeParents(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    CreateDirectoryW(AsGiven(path.substr(0, at)).c_str(), nullptr);
}

}  // namespace

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  for (;;) {
    path_ = std::wstring(base) + L"qvrx-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create a temporary folder");
  }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::wstring TempFolder::WriteFile(const std::wstring& name, const std::string& bytes) const {
  std::wstring full = *this / name;
  MakeParents(full);
  HANDLE file =
      CreateFileW(AsGiven(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create a test file");
  DWORD written = 0;
  BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) throw std::runtime_error("cannot write a test file");
  return full;
}

std::wstring TempFolder::MakeFolder(const std::wstring& name) const {
  std::wstring full = *this / name;
  MakeParents(full + L"\\");
  return full;
}

std::string ReadWholeFile(const std::wstring& path, bool* ok) {
  std::string bytes;
  // Shared for delete too: a test that reads files while it waits for a run must not make the run's renames fail.
  HANDLE file = CreateFileW(AsGiven(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (ok) *ok = file != INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(AsGiven(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring AsGiven(const std::wstring& path) {
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\' || path.find(L'/') != std::wstring::npos) return path;
  // Behind the prefix "." and ".." would be names, and an empty name an error.
  for (const wchar_t* segment : {L"\\.\\", L"\\..\\", L"\\\\"}) {
    if ((path + L"\\").find(segment) != std::wstring::npos) return path;
  }
  return L"\\\\?\\" + path;
}

std::wstring ExecutableFolder() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path, length);
  return full.substr(0, full.rfind(L'\\'));
}
