// The real program seen from outside as a test drives it: the cells of its lists read through memory of its
// process, the files of a folder, and commands sent until their effect shows.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "views/items_view.h"

using Names = std::vector<std::wstring>;

constexpr int kNameColumn = 0;
constexpr int kNewNameColumn = 1;

// Reads the cells of a list of another process through memory of that process.
class RemoteList {
 public:
  RemoteList(HANDLE process, HWND list) : process_(process), list_(list) {
    memory_ = VirtualAllocEx(process_, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteList() { VirtualFreeEx(process_, memory_, 0, MEM_RELEASE); }
  RemoteList(const RemoteList&) = delete;
  RemoteList& operator=(const RemoteList&) = delete;

  int Count() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

  std::wstring Cell(int row, int column) const {
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(memory_) + sizeof(LVITEMW));
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = kTextCapacity;
    WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr);
    SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(memory_));
    wchar_t text[kTextCapacity] = {};
    ReadProcessMemory(process_, remoteText, text, sizeof text - sizeof(wchar_t), nullptr);
    return text;
  }

  // The cells of a column, sorted.
  Names Column(int column) const {
    Names cells;
    for (int row = 0; row < Count(); ++row) cells.push_back(Cell(row, column));
    std::sort(cells.begin(), cells.end());
    return cells;
  }

 private:
  static constexpr int kTextCapacity = 512;
  static constexpr SIZE_T kBytes = sizeof(LVITEMW) + kTextCapacity * sizeof(wchar_t);
  HANDLE process_;
  HWND list_;
  void* memory_;
};

// A block of memory in another process, for messages that carry a pointer to a record: the record is written
// there, the message sent with the block's address, and the answer read back.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, SIZE_T bytes) : process_(process) {
    address_ = VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBlock() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
  template <typename Record>
  void Write(const Record& record) const {
    WriteProcessMemory(process_, address_, &record, sizeof record, nullptr);
  }
  template <typename Record>
  Record Read() const {
    Record record = {};
    ReadProcessMemory(process_, address_, &record, sizeof record, nullptr);
    return record;
  }

 private:
  HANDLE process_;
  void* address_;
};

inline Names FilesIn(const std::wstring& folder) {
  Names names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// "name=content" of every file in the folder, sorted.
inline Names FilesWithContents(const std::wstring& folder) {
  Names files;
  for (const std::wstring& name : FilesIn(folder)) {
    const std::string bytes = ReadWholeFile(folder + L"\\" + name);
    files.push_back(name + L"=" + std::wstring(bytes.begin(), bytes.end()));
  }
  return files;
}

inline bool WaitUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 500; ++i) {
    if (condition()) return true;
    Sleep(20);
  }
  return false;
}

inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Sends a command until its effect shows: while a listing or a run is still busy the program greys the run,
// undo and refresh commands and ignores them. None of them does anything a second time once it has done its work.
inline bool SendUntil(HWND window, UINT command, const std::function<bool()>& done) {
  // Two seconds before the next send: on a loaded machine a command that was taken may need that long to show,
  // and a second send after it would find nothing left to do and say so.
  for (int attempt = 0; attempt < 15; ++attempt) {
    SendMessageW(window, WM_COMMAND, command, 0);
    for (int i = 0; i < 100; ++i) {
      if (done()) return true;
      Sleep(20);
    }
  }
  return false;
}
