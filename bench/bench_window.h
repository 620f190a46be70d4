// The visible top-level window a benchmark's control lives in, answering through `procedure`.
#pragma once
#include <windows.h>

inline HWND CreateBenchParent(WNDPROC procedure, const wchar_t* className, int width, int height) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, className, L"bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}
