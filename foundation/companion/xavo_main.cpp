// XAVO, the program's companion: started by the program (with administrator rights, which its manifest asks
// for) when the system refused one of the program's registry writes. It owns a hidden window of class "XAVO"
// by which the program finds it, opens the block "XAVO" the program made, and polls the block's state byte:
// each command it finds is carried out, its result written and the byte set back to 0. It serves only the
// process that started it (the system makes the program that asked for the start its parent, also when the
// start asked for administrator rights), and writes only that program's registrations with the values made from
// the image path it reads from that process (companion_protocol.h). It ends when the program window it serves is
// gone, when that process has ended, or when no command came within a minute of its start.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>

#include "foundation/files/paths.h"
#include "foundation/profile/companion_protocol.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 50;
constexpr int kOpenTries = 100;
constexpr DWORD kOpenPauseMs = 100;
constexpr DWORD kFirstCommandLimitMs = 60000;

struct Companion {
  CompanionBlock* block;
  HWND served;  // the main window of the first command
  ULONGLONG started;
  HANDLE program;     // the process that started the companion, held so that its id stays its own
  DWORD programId;
  wchar_t programPath[kPathCapacity];  // that process's image path, read from the process
};

Companion g_companion = {};

DWORD ParentProcessId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

ULONGLONG CreationTime(HANDLE process) {
  FILETIME created = {};
  FILETIME unused[3] = {};
  if (!GetProcessTimes(process, &created, &unused[0], &unused[1], &unused[2])) return ~0ull;
  return static_cast<ULONGLONG>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

bool ReadImagePath(HANDLE process, wchar_t (&path)[kPathCapacity]) {
  DWORD length = kPathCapacity;
  return QueryFullProcessImageNameW(process, 0, path, &length) && length > 0 && length < kPathCapacity;
}

// The parent, opened, with its image path; a process that took the id of a parent that has already ended
// started after the companion and is not served.
bool OpenProgramProcess() {
  const DWORD id = ParentProcessId();
  HANDLE process = id ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id) : nullptr;
  if (!process) return false;
  if (CreationTime(process) > CreationTime(GetCurrentProcess()) || !ReadImagePath(process, g_companion.programPath)) {
    CloseHandle(process);
    return false;
  }
  g_companion.program = process;
  g_companion.programId = id;
  return true;
}

// The program makes the block before it starts the companion; the retries cover a program that did not.
CompanionBlock* OpenBlock() {
  for (int i = 0; i < kOpenTries; ++i) {
    if (HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kCompanionName)) {
      void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(CompanionBlock));
      CloseHandle(mapping);
      return static_cast<CompanionBlock*>(view);
    }
    Sleep(kOpenPauseMs);
  }
  return nullptr;
}

bool IsCommand(char state) { return state != kCompanionIdle && state != kCompanionFilling; }

bool NoLongerNeeded() {
  if (WaitForSingleObject(g_companion.program, 0) == WAIT_OBJECT_0) return true;
  if (g_companion.served) return !IsWindow(g_companion.served);
  return GetTickCount64() - g_companion.started > kFirstCommandLimitMs;
}

void Serve(HWND window) {
  CompanionBlock* block = g_companion.block;
  if (IsCommand(ReadCompanionState(block))) {
    const HWND sender = reinterpret_cast<HWND>(static_cast<uintptr_t>(block->mainWindow));
    block->result = CarryOutCompanionCommand(block, g_companion.programId, g_companion.programPath);
    if (!g_companion.served && block->result != ERROR_ACCESS_DENIED) g_companion.served = sender;
    WriteCompanionState(block, kCompanionIdle);
  }
  if (NoLongerNeeded()) DestroyWindow(window);
}

LRESULT CALLBACK CompanionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kPollTimer) {
    Serve(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateCompanionWindow(HINSTANCE instance) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = CompanionWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kCompanionName;
  if (!RegisterClassW(&windowClass)) return nullptr;
  return CreateWindowExW(0, kCompanionName, kCompanionName, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance,
                         nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  g_companion.started = GetTickCount64();
  if (!OpenProgramProcess()) return 3;
  HWND window = CreateCompanionWindow(instance);
  if (!window) return 1;
  g_companion.block = OpenBlock();
  if (!g_companion.block) return 2;
  SetTimer(window, kPollTimer, kPollMs, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  UnmapViewOfFile(g_companion.block);
  CloseHandle(g_companion.program);
  return 0;
}
