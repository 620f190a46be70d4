#include "shell/keys_html.h"

#include <cstdio>

#include "foundation/files/file_entries.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/providers/file_creation.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/help_topics.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "shell/key_names.h"
#include "shell/keyboard_hook.h"
#include "shell/main_commands.h"
#include "views/html_escape.h"

namespace {

constexpr wchar_t kPageName[] = L"Keys.htm";
constexpr int kEscapedKeyNameCapacity = kHtmlEscapedUnitMax * kKeyNameCapacity;
constexpr int kUtf8BomType = 7;
constexpr COLORREF kRowColours[2] = {0xF4F3FA, 0xFFFFFF};

constexpr char kPageStart[] = "<html><head>\r\n";
constexpr char kStyle[] =
    "<style type=\"text/css\">body {background:#FFFFFF;color:#000000;FONT-FAMILY:Verdana,Arial;font-size:80%;}"
    "table {background:#FFFFFF;color:#000000;FONT-FAMILY:Verdana,Arial;font-size:100%;}</style>\r\n";
constexpr char kBodyStart[] = "</head><body>";
constexpr char kPageEnd[] = "</table></body></html>";

// Writes the file's pieces until the first error, which it keeps.
struct PageWriter {
  HANDLE file;
  int error;
};

void PutNarrow(PageWriter* writer, const char* text) {
  if (writer->error != 0) return;
  writer->error = FileWriteHandle(writer->file, text, static_cast<uint32_t>(NarrowLength(text)));
}

// A text of the UI, escaped: plain ASCII, which UTF-8 keeps as it is.
void PutText(PageWriter* writer, const wchar_t* text) {
  wchar_t escaped[kEscapedKeyNameCapacity];
  char ascii[kEscapedKeyNameCapacity];
  HtmlEscapeText(text, escaped, kEscapedKeyNameCapacity);
  WideToMultiByteBounded(escaped, ascii, kEscapedKeyNameCapacity, CP_UTF8);
  PutNarrow(writer, ascii);
}

void PutCell(PageWriter* writer, const char* tag, const wchar_t* text) {
  char open[8];
  char close[8];
  snprintf(open, sizeof open, "<%s>", tag);
  snprintf(close, sizeof close, "</%s>", tag);
  PutNarrow(writer, open);
  PutText(writer, text);
  PutNarrow(writer, close);
}

void PutHeading(PageWriter* writer) {
  wchar_t heading[kUiTextCapacity];
  GetUiText(kTextSettingsPageShortcuts, heading, kUiTextCapacity);
  if (heading[0] == 0) return;
  PutCell(writer, "h3", heading);
  PutNarrow(writer, "\r\n");
}

void PutColumnTitles(PageWriter* writer) {
  wchar_t command[kUiTextCapacity];
  wchar_t key[kUiTextCapacity];
  GetUiText(kTextDescription, command, kUiTextCapacity);
  GetUiText(kTextShortcutKey, key, kUiTextCapacity);
  PutNarrow(writer, "<table border=0>\r\n<tr>");
  PutCell(writer, "th", command);
  PutCell(writer, "th", key);
  PutNarrow(writer, "</tr>\r\n");
}

void PutRow(PageWriter* writer, const wchar_t* label, const wchar_t* key, COLORREF colour) {
  char start[32];
  snprintf(start, sizeof start, "<tr bgcolor=\"#%06lx\">", static_cast<unsigned long>(colour));
  PutNarrow(writer, start);
  PutCell(writer, "td", label);
  PutCell(writer, "td", key);
  PutNarrow(writer, "</tr>\r\n");
}

}  // namespace

void ExportKeysHtml(HWND owner) {
  wchar_t path[kPathCapacity];
  if (MakeUniqueFileName(kPageName, nullptr, path, kPathCapacity) == 0) return;
  if (WriteKeysHtml(&g_keyHookState, owner, path) == 0) ShellOpen(owner, path);
}

int WriteKeysHtml(const KeyHookState* state, HWND owner, const wchar_t* path) {
  HANDLE file = INVALID_HANDLE_VALUE;
  const int created = FileCreateWithEncoding(owner, &file, path, kUtf8BomType);
  if (created != 0) return created;
  PageWriter writer = {file, 0};
  PutNarrow(&writer, kPageStart);
  PutNarrow(&writer, kStyle);
  PutNarrow(&writer, kBodyStart);
  PutHeading(&writer);
  PutColumnTitles(&writer);
  if (writer.error == 0) writer.error = WriteKeysHtmlRows(state, file);
  PutNarrow(&writer, kPageEnd);
  CloseHandle(file);
  return writer.error;
}

int WriteKeysHtmlRows(const KeyHookState* state, HANDLE file) {
  PageWriter writer = {file, 0};
  int row = 0;
  for (const CommandNameEntry* entry = state->commandNames; entry && entry->commandId != 0; ++entry) {
    if (!entry->name || entry->name[0] == 0) continue;
    const uint16_t keyCode = LowestKeyOfCommand(state, entry->commandId);
    if (keyCode == 0) continue;
    wchar_t label[kKeyNameCapacity];
    wchar_t key[kKeyNameCapacity];
    GetCommandLabel(state, entry, label, kKeyNameCapacity);
    FormatKeyName(keyCode, key, kKeyNameCapacity);
    PutRow(&writer, label, key, kRowColours[row++ % 2]);
    if (writer.error != 0) break;
  }
  return writer.error;
}
