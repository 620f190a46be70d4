// Pictures of windows for pixel checks: a window's client area as it paints itself for WM_PRINTCLIENT, or a
// window with its frame and children, and PNG files of them kept as test artefacts.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class WindowImage {
 public:
  WindowImage(int width, int height);
  ~WindowImage();
  WindowImage(const WindowImage&) = delete;
  WindowImage& operator=(const WindowImage&) = delete;

  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const;
  // True when some pixel of the rectangle differs from the colour.
  bool AnyOtherThan(const RECT& rect, COLORREF colour) const;
  // Writes the image as an RGB PNG; false on failure.
  bool SavePng(const std::wstring& path) const;

 private:
  int width_;
  int height_;
  uint32_t* bits_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

// The client area as the window paints it into a DC (WM_PRINTCLIENT).
void RenderClient(HWND window, WindowImage* image);
// The window with its frame, then every child with WS_VISIBLE over it, at their places inside the window (the
// window itself need not be shown).
void RenderWindowTree(HWND window, WindowImage* image);
// The screen's pixels of a rectangle (screen coordinates), as the windows over it show them.
void CaptureScreen(const RECT& rect, WindowImage* image);
// Keeps the window as the screen shows it, frame and caption included, as a PNG among the test artefacts.
bool SaveScreenPicture(HWND window, const wchar_t* name);
// A file in the build's artefact folder "artifacts" (created when missing), beside the folder of the test
// programs, whatever the current folder is.
std::wstring ArtifactPath(const wchar_t* name);
