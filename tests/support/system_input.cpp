#include "support/system_input.h"

namespace {

// Absolute mouse positions count 0 to 65535 across the primary screen.
constexpr int kAbsoluteRange = 65535;
// Time for the window under the input to take each event before the next comes.
constexpr DWORD kInputPauseMs = 15;
constexpr int kStatePolls = 200;
constexpr DWORD kStatePollMs = 10;

INPUT KeyInput(WORD key, wchar_t character, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = character;
  input.ki.dwFlags = (character != 0 ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

void Send(INPUT input) {
  SendInput(1, &input, sizeof input);
  Sleep(kInputPauseMs);
}

INPUT MouseInput(DWORD flags, LONG x, LONG y) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = x;
  input.mi.dy = y;
  input.mi.dwFlags = flags;
  return input;
}

// Polls the GUI state of the window's thread until `holds` says yes.
template <typename Condition>
bool WaitForThreadState(HWND window, Condition holds) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  for (int i = 0; i < kStatePolls; ++i) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info) && holds(info)) return true;
    Sleep(kStatePollMs);
  }
  return false;
}

void SendAt(DWORD flags, POINT screen) {
  const LONG x = screen.x * kAbsoluteRange / (GetSystemMetrics(SM_CXSCREEN) - 1);
  const LONG y = screen.y * kAbsoluteRange / (GetSystemMetrics(SM_CYSCREEN) - 1);
  Send(MouseInput(flags | MOUSEEVENTF_ABSOLUTE, x, y));
}

// Every button event carries its position too: under load Wine may give a bare button event the pointer's place
// before the move, which can be where the last test clicked (seen: a dialog's OK clicked instead of its list).
void ClickScreenPoint(POINT screen, bool rightButton) {
  SendAt(MOUSEEVENTF_MOVE, screen);
  SendAt(MOUSEEVENTF_MOVE | (rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN), screen);
  SendAt(MOUSEEVENTF_MOVE | (rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP), screen);
}

}  // namespace

void WaitForMouseLetGo(HWND window) {
  WaitForThreadState(window, [](const GUITHREADINFO& info) { return info.hwndCapture == nullptr; });
}

bool WaitForFocus(HWND window) {
  return WaitForThreadState(window, [window](const GUITHREADINFO& info) { return info.hwndFocus == window; });
}

bool WaitForMenuMode(HWND window) {
  return WaitForThreadState(window, [](const GUITHREADINFO& info) {
    return (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
  });
}

void ClickWindow(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  ClickScreenPoint(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, false);
}

void ClickAt(HWND window, POINT client, bool rightButton) {
  ClientToScreen(window, &client);
  ClickScreenPoint(client, rightButton);
}

void DragAt(HWND window, POINT from, POINT to) {
  constexpr int kSteps = 4;
  ClientToScreen(window, &from);
  ClientToScreen(window, &to);
  SendAt(MOUSEEVENTF_MOVE, from);
  SendAt(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, from);
  for (int step = 1; step <= kSteps; ++step) {
    SendAt(MOUSEEVENTF_MOVE, POINT{from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps});
  }
  SendAt(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP, to);
  WaitForMouseLetGo(window);
}

void PressKey(WORD key, UINT modifiers) {
  const struct {
    UINT flag;
    WORD key;
  } kModifierKeys[] = {{MOD_SHIFT, VK_SHIFT}, {MOD_CONTROL, VK_CONTROL}, {MOD_ALT, VK_MENU}};
  for (const auto& modifier : kModifierKeys) {
    if ((modifiers & modifier.flag) != 0) Send(KeyInput(modifier.key, 0, false));
  }
  Send(KeyInput(key, 0, false));
  Send(KeyInput(key, 0, true));
  for (const auto& modifier : kModifierKeys) {
    if ((modifiers & modifier.flag) != 0) Send(KeyInput(modifier.key, 0, true));
  }
}

void TypeText(const std::wstring& text) {
  for (wchar_t character : text) {
    Send(KeyInput(0, character, false));
    Send(KeyInput(0, character, true));
  }
}

bool TypeOver(HWND edit, const std::wstring& text) {
  if (!ClickIntoFocus(edit)) return false;
  // The text is selected by message once the click has let the mouse go: Wine drops a Ctrl or Shift given
  // before the window has the X focus, and a mouse move during the click would move the selection.
  WaitForMouseLetGo(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  if (text.empty()) PressKey(VK_DELETE);
  TypeText(text);
  return true;
}

bool ClickIntoFocus(HWND window) {
  constexpr int kClicks = 3;
  for (int click = 0; click < kClicks; ++click) {
    ClickWindow(window);
    if (WaitForFocus(window)) return true;
  }
  return false;
}
