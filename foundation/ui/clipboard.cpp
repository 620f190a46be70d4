#include "foundation/ui/clipboard.h"

#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/files/system_errors.h"
#include "foundation/core/system_seams.h"

namespace {

// A movable global block holding a copy of `bytes` bytes; null when the heap refuses.
HGLOBAL CopyToGlobal(const void* bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  void* data = GlobalLock(block);
  if (!data) {
    GlobalFree(block);
    return nullptr;
  }
  memcpy(data, bytes, size);
  GlobalUnlock(block);
  return block;
}

// Hands a copy of the bytes to the open clipboard, which owns the block from then on.
DWORD PutOnOpenClipboard(UINT format, const void* bytes, size_t size) {
  HGLOBAL block = CopyToGlobal(bytes, size);
  if (!block) return ERROR_NOT_ENOUGH_MEMORY;
  if (SetClipboardData(format, block)) return ERROR_SUCCESS;
  const DWORD error = MapLastError(ERROR_CLIPBOARD_NOT_OPEN);
  GlobalFree(block);
  return error;
}

bool OpenClipboardOf(HWND owner) { return g_systemSeams.openClipboard(owner ? owner : g_mainWindow) != FALSE; }

DWORD OpenAndEmptyClipboard(HWND owner) {
  if (!OpenClipboardOf(owner)) return MapLastError(ERROR_ACCESS_DENIED);
  if (EmptyClipboard()) return ERROR_SUCCESS;
  const DWORD error = MapLastError(ERROR_ACCESS_DENIED);
  CloseClipboard();
  return error;
}

DWORD PutWideAndNarrow(const wchar_t* text) {
  const size_t length = WideLength(text);
  DWORD error = PutOnOpenClipboard(CF_UNICODETEXT, text, (length + 1) * sizeof(wchar_t));
  if (error != ERROR_SUCCESS) return error;
  const int narrowBytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (narrowBytes <= 0) return MapLastError(ERROR_NO_UNICODE_TRANSLATION);
  char* narrow = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(narrowBytes)));
  if (!narrow) return ERROR_NOT_ENOUGH_MEMORY;
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, narrowBytes, nullptr, nullptr);
  error = PutOnOpenClipboard(CF_TEXT, narrow, static_cast<size_t>(narrowBytes));
  FreeAndNull(&narrow);
  return error;
}

// The text of a clipboard block, read no further than the block's size.
template <typename Char>
size_t BoundedLength(const Char* text, SIZE_T blockBytes) {
  const size_t limit = blockBytes / sizeof(Char);
  size_t length = 0;
  while (length < limit && text[length] != 0) ++length;
  return length;
}

wchar_t* CopyUnicodeText(HANDLE block) {
  const auto* text = static_cast<const wchar_t*>(GlobalLock(block));
  if (!text) return nullptr;
  const size_t length = BoundedLength(text, GlobalSize(block));
  wchar_t* copy = AllocZeroedWide(static_cast<uint32_t>(length + 1));
  if (copy) memcpy(copy, text, length * sizeof(wchar_t));
  GlobalUnlock(block);
  return copy;
}

wchar_t* ConvertAnsiText(HANDLE block) {
  const auto* text = static_cast<const char*>(GlobalLock(block));
  if (!text) return nullptr;
  const int length = static_cast<int>(BoundedLength(text, GlobalSize(block)));
  const int characters = length > 0 ? MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0) : 0;
  wchar_t* copy = AllocZeroedWide(static_cast<uint32_t>(characters + 1));
  if (copy && characters > 0) MultiByteToWideChar(CP_ACP, 0, text, length, copy, characters);
  GlobalUnlock(block);
  return copy;
}

}  // namespace

DWORD SetClipboardText(HWND owner, const wchar_t* text) {
  if (!text || !*text) return ERROR_SUCCESS;
  DWORD error = OpenAndEmptyClipboard(owner);
  if (error != ERROR_SUCCESS) return error;
  error = PutWideAndNarrow(text);
  CloseClipboard();
  return error;
}

DWORD EmptyClipboardOf(HWND owner) {
  const DWORD error = OpenAndEmptyClipboard(owner);
  if (error == ERROR_SUCCESS) CloseClipboard();
  return error;
}

DWORD SetClipboardTextAnsi(HWND owner, const char* text) {
  if (!text) text = "";
  DWORD error = OpenAndEmptyClipboard(owner);
  if (error != ERROR_SUCCESS) return error;
  error = PutOnOpenClipboard(CF_TEXT, text, NarrowLength(text) + 1);
  CloseClipboard();
  return error;
}

wchar_t* GetClipboardTextAlloc(HWND owner) {
  if (!OpenClipboardOf(owner)) return nullptr;
  wchar_t* copy = nullptr;
  if (HANDLE unicode = GetClipboardData(CF_UNICODETEXT))
    copy = CopyUnicodeText(unicode);
  else if (HANDLE ansi = GetClipboardData(CF_TEXT))
    copy = ConvertAnsiText(ansi);
  CloseClipboard();
  return copy;
}
