// A stand-in for the file manager Halvane in the tests: a hidden window of class "Halvane" that appends one
// line per WM_COPYDATA to the record file named by its first argument ("<dwData in hex> <cbData> <path as
// UTF-8>", the path read as UTF-8 when dwData has 0x800, else as UTF-16) and answers as Halvane does: 1 for a
// folder to go to ('G'), its own window for a file to show ('V'). With the second argument "utf16" it takes
// only the UTF-16 form and answers 0 to the UTF-8 one.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::wstring g_recordFile;
bool g_utf16Only = false;

std::string Utf8Of(const COPYDATASTRUCT* copy) {
  if (!copy->lpData || copy->cbData == 0) return "";
  if (copy->dwData & 0x800) return std::string(static_cast<const char*>(copy->lpData), copy->cbData - 1);
  const auto* wide = static_cast<const wchar_t*>(copy->lpData);
  const int characters = static_cast<int>(copy->cbData / sizeof(wchar_t)) - 1;
  std::string utf8(static_cast<size_t>(characters) * 3, '\0');
  utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide, characters, utf8.data(),
                                                      static_cast<int>(utf8.size()), nullptr, nullptr)));
  return utf8;
}

void Record(const COPYDATASTRUCT* copy) {
  FILE* file = _wfopen(g_recordFile.c_str(), L"ab");
  if (!file) return;
  fprintf(file, "%llx %lu %s\n", static_cast<unsigned long long>(copy->dwData), copy->cbData, Utf8Of(copy).c_str());
  fclose(file);
}

LRESULT Answer(HWND window, const COPYDATASTRUCT* copy) {
  if (g_utf16Only && (copy->dwData & 0x800)) return 0;
  const char letter = static_cast<char>(copy->dwData & 0xFF);
  if (letter == 'G' || letter == 'g') return 1;
  if (letter == 'V' || letter == 'v') return reinterpret_cast<LRESULT>(window);
  return 0;
}

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    Record(copy);
    return Answer(window, copy);
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count < 2) return 1;
  g_recordFile = arguments[1];
  g_utf16Only = count > 2 && lstrcmpW(arguments[2], L"utf16") == 0;
  LocalFree(arguments);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = StandInProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"Halvane";
  RegisterClassW(&windowClass);
  if (!CreateWindowExW(0, L"Halvane", L"Halvane", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, instance,
                       nullptr)) {
    return 2;
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
