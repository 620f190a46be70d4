#include "window_image.h"

#include <png.h>

#include <algorithm>
#include <cstdio>

#include "support/temp_folder.h"

namespace {

// Some controls print over the whole DC (the tree view fills all of it with its background): each window is
// printed clipped to its own place.
void RenderWithChildren(HWND window, HWND root, HDC dc) {
  RECT frame = {};
  GetWindowRect(window, &frame);
  RECT rootFrame = {};
  GetWindowRect(root, &rootFrame);
  OffsetRect(&frame, -rootFrame.left, -rootFrame.top);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, frame.left, frame.top, frame.right, frame.bottom);
  SetViewportOrgEx(dc, frame.left, frame.top, nullptr);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  RestoreDC(dc, saved);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) RenderWithChildren(child, root, dc);
  }
}

}  // namespace

WindowImage::WindowImage(int width, int height) : width_(width), height_(height), bits_(nullptr) {
  dc_ = CreateCompatibleDC(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  previous_ = SelectObject(dc_, bitmap_);
}

WindowImage::~WindowImage() {
  SelectObject(dc_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF WindowImage::At(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  GdiFlush();
  uint32_t pixel = bits_[y * width_ + x];
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

bool WindowImage::AnyOtherThan(const RECT& rect, COLORREF colour) const {
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      if (At(x, y) != colour) return true;
    }
  }
  return false;
}

bool WindowImage::SavePng(const std::wstring& path) const {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (png && info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, file);
    png_set_IHDR(png, info, width_, height_, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(width_) * 3);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        COLORREF colour = At(x, y);
        row[3 * x] = GetRValue(colour);
        row[3 * x + 1] = GetGValue(colour);
        row[3 * x + 2] = GetBValue(colour);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, info);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  fclose(file);
  return written;
}

void RenderClient(HWND window, WindowImage* image) {
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(image->Dc()), PRF_CLIENT);
}

void RenderWindowTree(HWND window, WindowImage* image) { RenderWithChildren(window, window, image->Dc()); }

void CaptureScreen(const RECT& rect, WindowImage* image) {
  HDC screen = GetDC(nullptr);
  BitBlt(image->Dc(), 0, 0, image->Width(), image->Height(), screen, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
}

std::wstring ArtifactPath(const wchar_t* name) {
  std::wstring folder = ExecutableFolder();
  folder.erase(std::min(folder.size(), folder.find_last_of(L'\\')));
  folder += L"\\artifacts";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\" + name;
}

bool SaveScreenPicture(HWND window, const wchar_t* name) {
  RECT frame = {};
  GetWindowRect(window, &frame);
  WindowImage image(frame.right - frame.left, frame.bottom - frame.top);
  CaptureScreen(frame, &image);
  return image.SavePng(ArtifactPath(name));
}
