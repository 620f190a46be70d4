#include "foundation/ui/message_boxes.h"

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/core/record_buffer.h"
#include "foundation/files/system_errors.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"

namespace {

constexpr wchar_t kLineBreak[] = L"\r\n";

HWND DefaultOwner() {
  HWND active = GetActiveWindow();
  if (active) return active;
  // A background program has no active window; a box of the main window's thread still belongs to it.
  // A worker's box gets no owner: making it owned by another thread's window could deadlock that thread.
  HWND main = g_mainWindow;
  if (main && GetWindowThreadProcessId(main, nullptr) == GetCurrentThreadId()) return main;
  return nullptr;
}

const wchar_t* ProgramTitle() { return g_app ? g_app->title : nullptr; }

bool EndsWithLineBreak(const wchar_t* text) {
  const size_t length = WideLength(text);
  return length >= 2 && text[length - 2] == L'\r' && text[length - 1] == L'\n';
}

// The message, a line break unless it ends with one, an empty line and the path; null without memory.
const wchar_t* ComposeMessageWithPath(const wchar_t* message, const wchar_t* path, InlineTextBuffer* buffer) {
  const uint32_t length = static_cast<uint32_t>(WideLength(message) + 4 + WideLength(path));
  wchar_t* text = PrepareInlineWideBuffer(buffer, length);
  if (!text) return nullptr;
  const int capacity = static_cast<int>(length) + 1;
  AppendWideBounded(message, text, capacity);
  if (!EndsWithLineBreak(message)) AppendWideBounded(kLineBreak, text, capacity);
  AppendWideBounded(kLineBreak, text, capacity);
  AppendWideBounded(path, text, capacity);
  return text;
}

}  // namespace

int ShowMessageWithPath(HWND owner, int textId, const wchar_t* text, const wchar_t* path, const wchar_t* caption,
                        UINT type) {
  wchar_t uiText[kMessageCapacity];
  const wchar_t* message = text;
  if (textId != 0) {
    GetUiText(textId, uiText, kMessageCapacity);
    message = uiText;
  }
  if (!message || !*message) return IDCANCEL;
  if (!owner) owner = DefaultOwner();
  if (!caption) caption = ProgramTitle();
  if (path && (type & kMessageShowFileNameOnly)) path += FileNameOffset(path);
  InlineTextBuffer buffer;
  InitInlineTextBuffer(&buffer);
  const wchar_t* boxText = message;
  if (path && *path) {
    const wchar_t* composed = ComposeMessageWithPath(message, path, &buffer);
    if (composed) boxText = composed;
  }
  const int answer = MessageBoxW(owner, boxText, caption, type & ~kMessageShowFileNameOnly);
  ReleaseInlineTextBuffer(&buffer);
  return answer;
}

int ShowMessageBoxWide(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  return MessageBoxW(owner, text, caption, type);
}

int ShowMessageBoxNarrow(HWND owner, const char* text, const char* caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}

void BeepError() { MessageBeep(MB_ICONHAND); }
