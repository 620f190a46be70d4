// Exporting a list: the seven forms byte for byte (through the save dialog's choice), at most 20 columns in
// display order, cells that would otherwise become markup, a write that fails, and the HTML forms read back by
// Python's HTML parser.
#include "views/list_export.h"

#include <commdlg.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/core/system_seams.h"
#include "foundation/files/file_io.h"
#include "foundation/ui/ui_seams.h"
#include "list_test_parent.h"
#include "program_state_scope.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"
#include "system_seams_scope.h"
#include "ui_seams_scope.h"
#include "foundation/files/paths.h"

namespace {

using Rows = std::vector<std::vector<std::wstring>>;  // cell texts by row and sub-item

// The save dialog's answer: this path and form; and the form it offered.
std::wstring g_chosenPath;
DWORD g_chosenForm = 0;
DWORD g_offeredForm = 0;

// As the dialog does with a default extension: a name typed without one gets the chosen type's extension.
BOOL WINAPI ChooseExportFile(OPENFILENAMEW* record) {
  g_offeredForm = record->nFilterIndex;
  std::wstring path = g_chosenPath;
  const size_t dot = path.rfind(L'.');
  const bool typedExtension = dot != std::wstring::npos && dot > path.rfind(L'\\');
  if (record->lpstrDefExt && std::wstring(record->lpstrDefExt) == L"txt" && !typedExtension) {
    const wchar_t* pattern = record->lpstrFilter;
    for (DWORD i = 1; i < 2 * g_chosenForm; ++i) pattern += wcslen(pattern) + 1;
    path += pattern + 1;
  }
  record->lpstrFile[path.copy(record->lpstrFile, record->nMaxFile - 1)] = 0;
  record->nFilterIndex = g_chosenForm;
  return TRUE;
}

// What a file of the form holds for a text: its mark and the text in its encoding.
std::string FileBytesOf(int form, const std::wstring& text) {
  if (form == kExportTextUnicode || form == kExportListUnicode || form == kExportHtmlUnicode) {
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  }
  const UINT codePage = form == kExportHtmlUtf8 ? CP_UTF8 : CP_ACP;
  const int length = static_cast<int>(text.size());
  std::string bytes(text.size() * 3, '\0');
  bytes.resize(static_cast<size_t>(WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(),
                                                       static_cast<int>(bytes.size()), nullptr, nullptr)));
  return form == kExportHtmlUtf8 ? "\xEF\xBB\xBF" + bytes : bytes;
}

std::wstring FromUtf16(const std::string& bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

class ListExport : public testing::Test {
 protected:
  ListExport() {
    g_uiSeams.getSaveFileNameW = ChooseExportFile;
    UseCaptions({{52, L"Size"}, {50, L"Name"}, {41, L"Note"}, {51, L"Hidden"}});
  }

  void UseCaptions(const std::vector<std::pair<int16_t, std::wstring>>& captions) {
    captions_ = captions;
    records_ = {{-1, L"US"}};
    for (const auto& caption : captions_) records_.push_back({caption.first, caption.second.c_str()});
    records_.push_back({0, nullptr});
    state_->uiStrings = reinterpret_cast<const UiStringTable*>(records_.data());
  }

  // A report list of these columns (table order) whose parent answers the cells from `rows`.
  HWND MakeList(const std::vector<ColumnLayout>& columns, Rows rows) {
    rows_ = std::move(rows);
    parent_.cellText = [this](int row, int subItem) {
      const bool known = row >= 0 && static_cast<size_t>(row) < rows_.size() && subItem >= 0 &&
                         static_cast<size_t>(subItem) < rows_[static_cast<size_t>(row)].size();
      return known ? rows_[static_cast<size_t>(row)][static_cast<size_t>(subItem)] : std::wstring();
    };
    ItemListControl* list = parent_.CreateList(1, 0, columns);
    AppendPlainRows(list, static_cast<int>(rows_.size()));
    return list->window;
  }

  // Exports through the save dialog's choice of path and form; the form stored for the next time.
  int32_t Export(HWND list, const std::wstring& path, int form, int32_t stored = 0) {
    g_chosenPath = path;
    g_chosenForm = static_cast<DWORD>(form);
    wchar_t buffer[kPathCapacity] = {};
    SaveListAsTextOrHtml(parent_.Window(), list, buffer, &stored);
    return stored;
  }

  TempFolder temp_;
  ProgramStateScope state_;
  UiSeamsScope seams_;
  ListTestParent parent_{600, 300};
  std::vector<std::pair<int16_t, std::wstring>> captions_;
  std::vector<UiStringRecord> records_;
  Rows rows_;
};

}  // namespace

TEST_F(ListExport, EachOfTheSevenFormsWritesItsBytesAndTheChosenFormIsOfferedNextTime) {
  // Size is displayed first although it stands last in the table; the hidden column is never exported. Cells
  // by sub-item: name, note, hidden, size.
  const HWND list = MakeList({{50, 100, 1, 0}, {41, 100, 2, 0}, {51, 100, -1, 0}, {52, 60, 0, 1}},
                             {{L"a&b c", L"a;b", L"x", L"5"}, {L"\x160\x20AC", L"", L"x", L"1,234"},
                              {L"", L"c", L"x", L""}});
  const std::wstring aligned = L" Size Name  Note\r\n----------------\r\n    5 a&b c a;b\r\n1,234 \x160\x20AC    \r\n"
                               L"            c\r\n";
  // Every cell keeps its place, empty ones too.
  const std::wstring separated = L"Size;Name;Note\r\n5;a&b c;\"a;b\"\r\n1,234;\x160\x20AC;\r\n;;c\r\n";
  const std::wstring html =
      L"<html><body>\r\n<table border=0><tr>\r\n"
      L"<th bgcolor=\"#c0c0c0\">Size</th><th bgcolor=\"#c0c0c0\">Name</th><th bgcolor=\"#c0c0c0\">Note</th></tr>\r\n"
      L"<tr><td bgcolor=\"#f0f0f0\" align=right>5</td><td bgcolor=\"#f0f0f0\">a&amp;b&nbsp;c</td>"
      L"<td bgcolor=\"#f0f0f0\">a;b</td></tr>\r\n"
      L"<tr><td bgcolor=\"#ffffff\" align=right>1,234</td><td bgcolor=\"#ffffff\">&#352;&euro;</td>"
      L"<td bgcolor=\"#ffffff\">&nbsp;</td></tr>\r\n"
      L"<tr><td bgcolor=\"#f0f0f0\" align=right>&nbsp;</td><td bgcolor=\"#f0f0f0\">&nbsp;</td>"
      L"<td bgcolor=\"#f0f0f0\">c</td></tr>\r\n</table>\r\n</body></html>\r\n";
  const std::wstring* texts[] = {nullptr, &aligned, &aligned, &separated, &separated, &html, &html, &html};
  const wchar_t* extensions[] = {nullptr, L".txt", L".txt", L".csv", L".csv", L".htm", L".htm", L".htm"};
  int32_t stored = 0;
  for (int form = kExportText; form <= kExportHtmlUtf8; ++form) {
    SCOPED_TRACE(form);
    const std::wstring name = temp_ / (L"list" + std::to_wstring(form));
    const int32_t offered = stored ? stored : 1;
    stored = Export(list, name, form, stored);
    EXPECT_EQ(g_offeredForm, static_cast<DWORD>(offered));
    EXPECT_EQ(stored, form);
    EXPECT_EQ(ReadWholeFile(name + extensions[form]), FileBytesOf(form, *texts[form])) << "the form's extension";
  }
}

TEST_F(ListExport, AnEmptyListWritesItsHeaderLinesOnly) {
  const HWND list = MakeList({{50, 100, 1, 0}, {52, 60, 0, 1}}, {});
  const std::wstring header = L"<th bgcolor=\"#c0c0c0\">Size</th><th bgcolor=\"#c0c0c0\">Name</th></tr>\r\n";
  const std::pair<int, std::wstring> cases[] = {
      {kExportTextUnicode, L"Size Name\r\n---------\r\n"},
      {kExportListUnicode, L"Size;Name\r\n"},
      {kExportHtmlUnicode, L"<html><body>\r\n<table border=0><tr>\r\n" + header + L"</table>\r\n</body></html>\r\n"},
  };
  for (const auto& [form, text] : cases) {
    Export(list, temp_ / (L"empty" + std::to_wstring(form) + L".txt"), form);
    EXPECT_EQ(ReadWholeFile(g_chosenPath), FileBytesOf(form, text)) << form;
  }
}

TEST_F(ListExport, TwentyColumnsInDisplayOrderWithCaptionsAndCellsEscaped) {
  std::vector<std::pair<int16_t, std::wstring>> captions;
  for (int16_t id = 1001; id <= 1025; ++id) captions.push_back({id, L"C" + std::to_wstring(id - 1000)});
  captions.back().second = L"<i>C25</i>";
  UseCaptions(captions);
  std::vector<ColumnLayout> table;
  for (int i = 0; i < 25; ++i) table.push_back({static_cast<int16_t>(1001 + i), 40, 24 - i, 0});
  Rows rows(1, std::vector<std::wstring>(25));
  rows[0][24] = std::wstring(1023, L'<');
  const HWND list = MakeList(table, rows);
  const std::wstring path = temp_ / L"table.htm";
  Export(list, path, kExportHtmlUnicode);
  std::wstring expected = L"<html><body>\r\n<table border=0><tr>\r\n<th bgcolor=\"#c0c0c0\">&lt;i&gt;C25&lt;/i&gt;</th>";
  for (int c = 24; c > 5; --c) expected += L"<th bgcolor=\"#c0c0c0\">C" + std::to_wstring(c) + L"</th>";
  expected += L"</tr>\r\n<tr><td bgcolor=\"#f0f0f0\">";
  for (int i = 0; i < 1023; ++i) expected += L"&lt;";
  for (int c = 0; c < 19; ++c) expected += L"</td><td bgcolor=\"#f0f0f0\">&nbsp;";
  expected += L"</td></tr>\r\n</table>\r\n</body></html>\r\n";
  EXPECT_EQ(ReadWholeFile(g_chosenPath), FileBytesOf(kExportHtmlUnicode, expected));
}

namespace {

DWORD g_bytesBeforeFailure = 0;

BOOL WINAPI WriteUntilTheDiskIsFull(HANDLE file, const void* data, DWORD size, DWORD* written, OVERLAPPED* overlap) {
  if (size > g_bytesBeforeFailure) {
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  g_bytesBeforeFailure -= size;
  return WriteFile(file, data, size, written, overlap);
}

}  // namespace

TEST_F(ListExport, AWriteThatFailsStopsTheExportAndIsShownWithThePath) {
  SystemSeamsScope systemSeams;
  const HWND list = MakeList({{50, 100, 0, 0}}, Rows(3000, {std::wstring(60, L'n')}));
  g_bytesBeforeFailure = 100000;
  g_systemSeams.writeFile = WriteUntilTheDiskIsFull;
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  Export(list, temp_ / L"full.txt", kExportTextUnicode);
  EXPECT_EQ(boxes.Answered(), 1);
  EXPECT_NE(boxes.LastText().find(g_chosenPath), std::wstring::npos) << "the box names the file";
  EXPECT_LE(ReadWholeFile(g_chosenPath).size(), 100000u);
}

namespace {

// Python's HTML parser reads the page and writes each row's cell texts (UTF-16LE, each cell ended by U+001F,
// each row by U+001E).
constexpr char kParserScript[] = R"(import html.parser, os, sys
class Cells(html.parser.HTMLParser):
    rows, cell = [], None
    def handle_starttag(self, tag, attrs):
        if tag == 'tr': self.rows.append([])
        if tag in ('td', 'th'): self.cell = []
    def handle_endtag(self, tag):
        if tag in ('td', 'th'): self.rows[-1].append(''.join(self.cell))
    def handle_data(self, data):
        if self.cell is not None: self.cell.append(data)
raw = open(sys.argv[1], 'rb').read()
boms = {b'\xff\xfe': 'utf-16-le', b'\xef\xbb\xbf': 'utf-8'}
mark = raw[:3] if raw[:3] in boms else raw[:2] if raw[:2] in boms else b''
parser = Cells()
parser.feed(raw[len(mark):].decode(boms.get(mark, 'ascii')))
out = ''.join(''.join(cell + '\x1f' for cell in row) + '\x1e' for row in parser.rows)
open(sys.argv[2] + '.part', 'wb').write(out.encode('utf-16-le'))
os.replace(sys.argv[2] + '.part', sys.argv[2])
)";

constexpr wchar_t kPython[] = L"Z:\\usr\\bin\\python3";
using UnixFileName = char*(CDECL*)(const wchar_t* path);

std::string UnixPath(UnixFileName convert, const std::wstring& path) {
  char* unix = convert(path.c_str());
  const std::string copy = unix ? unix : "";
  HeapFree(GetProcessHeap(), 0, unix);
  return "\"" + copy + "\"";
}

// The parser's rows of cells for the page; none when it wrote nothing within a minute.
Rows ParsedCells(UnixFileName convert, const TempFolder& temp, const std::wstring& page) {
  const std::wstring out = temp / L"cells.out";
  DeleteFileW(out.c_str());
  const std::string command = "python3 " + UnixPath(convert, temp.WriteFile(L"cells.py", kParserScript)) + " " +
                              UnixPath(convert, page) + " " + UnixPath(convert, out);
  std::wstring line(command.begin(), command.end());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(kPython, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return {};
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // A Unix process started by Wine gives no handle to wait on: its result file appears whole when it is done.
  for (int waited = 0; waited < 60000 && !PathExists(out); waited += 50) Sleep(50);
  Rows rows;
  std::vector<std::wstring> row;
  std::wstring cell;
  for (wchar_t c : FromUtf16(ReadWholeFile(out))) {
    if (c == 0x1F) {
      row.push_back(cell);
      cell.clear();
    } else if (c == 0x1E) {
      rows.push_back(row);
      row.clear();
    } else {
      cell += c;
    }
  }
  return rows;
}

}  // namespace

TEST_F(ListExport, PythonsHtmlParserReadsBackEveryCellOfEachHtmlForm) {
  const auto convert = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!convert || GetFileAttributesW(kPython) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "the parser is Python's, started through Wine's Unix file system (scripts/setup installs python3)";
  }
  std::wstring thousand;
  while (thousand.size() < 1000) thousand += L"<a href=\"x\">&amp; \xFC \x65E5 \xD83D\xDE00</a> ";
  thousand.resize(thousand[999] >= 0xD800 && thousand[999] <= 0xDBFF ? 999 : 1000);
  const std::vector<std::wstring> values = {L"<b>bold</b> & \"quoted\" 'single' > less",
                                            L"\xDCn\xEF" L"c\xF6" L"d\xE9 \xF1 \x2014 \xA1\x20AC\x2122",
                                            L"\x65E5\x672C\x8A9E\x306E\x30D5\x30A1\x30A4\x30EB",
                                            L"\xD83D\xDE00 \xD834\xDD1E", thousand, L"", L"  two  blanks  "};
  Rows rows = {{L"Name", L"Size"}};
  for (const std::wstring& value : values) rows.push_back({value, std::to_wstring(value.size())});
  const HWND list = MakeList({{50, 100, 0, 0}, {52, 60, 1, 1}}, Rows(rows.begin() + 1, rows.end()));
  // A blank is written as a non-breaking space, and so is an empty cell.
  for (auto& row : rows) {
    if (row[0].empty()) row[0] = L" ";
    for (wchar_t& c : row[0]) c = c == L' ' ? L'\xA0' : c;
  }
  for (int form : {kExportHtml, kExportHtmlUnicode, kExportHtmlUtf8}) {
    SCOPED_TRACE(form);
    Export(list, temp_ / (L"page" + std::to_wstring(form) + L".htm"), form);
    EXPECT_EQ(ParsedCells(convert, temp_, g_chosenPath), rows);
  }
}
