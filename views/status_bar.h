// The status bar at the bottom of the main window: counts and sizes of the listed and selected files, a
// progress percentage with its bar, or a hint text in place of all parts. One bar object lives for the whole
// process; its windows live with the main window.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kStatusPartTextCapacity = 260;
constexpr int kStatusHintCapacity = 260;
constexpr int kStatusPartCount = 3;
// The part that carries the progress percentage.
constexpr int kStatusProgressPart = 1;

struct StatusPart {
  int32_t rightEdge;  // client x
  HICON icon;         // 16 x 16, optional
  wchar_t text[kStatusPartTextCapacity];
};
static_assert(sizeof(StatusPart) * kStatusPartCount == 1608, "the parts of the bar take 1608 bytes");

// Sets the parts' widths for a client width and bar height.
using StatusLayoutCallback = void (*)(int clientWidth, int barHeight, int32_t* widths, int partCount);

struct StatusBar {
  StatusLayoutCallback layout;  // null until the main window's layout provides it
  HFONT font;
  HWND window;       // class "sb", or null
  HWND progressBar;  // "msctls_progress32" child, or null
  int32_t progressPart;
  int32_t progressTextWidth;
  int32_t lastPercent;  // -1 until a percentage was shown
  int32_t partCount;
  StatusPart* parts;    // heap block of partCount parts
  wchar_t hint[kStatusHintCapacity];
  int32_t topLine;
  int32_t shown;        // the layout gives the bar room only while it is shown
};

extern StatusBar g_statusBar;

// Sets the object up without windows: three zero-filled parts, the percentage in part 1, none shown yet.
// 0, or 1 when the parts' memory could not be had.
int InitStatusBar(StatusBar* bar);
// Destroys the bar's two windows and frees the parts.
void DestroyStatusBar(StatusBar* bar);
