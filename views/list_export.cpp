#include "views/list_export.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "foundation/core/guard.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/files/file_io.h"
#include "foundation/providers/file_creation.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/file_dialogs.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/window_wrappers.h"
#include "views/html_escape.h"
#include "views/list_text_columns.h"
#include "views/row_walk.h"
#include "foundation/files/paths.h"

namespace {

constexpr wchar_t kExportFilter[] =
    L"Text\0*.txt\0Text Unicode\0*.txt\0CSV\0*.csv\0CSV Unicode\0*.csv\0HTML\0*.htm\0HTML Unicode\0*.htm\0"
    L"HTML Unicode UTF-8\0*.htm\0";
// A name typed without an extension gets the chosen file type's from the dialog, which then asks before it
// replaces a file of that name.
constexpr wchar_t kDefaultExtension[] = L"txt";

constexpr wchar_t kHeaderCellStart[] = L"<th bgcolor=\"#c0c0c0\">";
constexpr wchar_t kEvenRowCellStart[] = L"<td bgcolor=\"#f0f0f0\"";
constexpr wchar_t kOddRowCellStart[] = L"<td bgcolor=\"#ffffff\"";
constexpr wchar_t kRightAlign[] = L" align=right";
constexpr wchar_t kEmptyCell[] = L"&nbsp;";

// Bytes gathered before they go to the file; a piece of text is converted in chunks that always fit the room
// kept free (3 bytes per UTF-16 unit in UTF-8, 2 in a double-byte code page).
constexpr uint32_t kWriterCapacity = 65536;
constexpr uint32_t kWriterRoom = 8192;
constexpr int kConvertedChunk = 1024;
static_assert(kConvertedChunk * 3 <= static_cast<int>(kWriterRoom), "a converted chunk fits the room kept free");

constexpr int kEscapedCellCapacity = kCellTextCapacity * kHtmlEscapedUnitMax;
static_assert(kEscapedCellCapacity >= (kCellTextCapacity - 1) * kHtmlEscapedUnitMax + 1,
              "every cell of the list fits its escaped form");

struct ExportWriter {
  HANDLE file;
  bool utf16;     // UTF-16LE, else converted to the code page
  UINT codePage;
  int error;      // the first write error; nothing is written after it
  uint32_t used;
  uint8_t bytes[kWriterCapacity];
};

// Everything one export needs; the cell buffers are large, so it lives on the heap. It is written on the list's
// thread, or as a job on a worker (views/row_walk.h).
struct ExportJob {
  ListCellReader reader;
  int form;
  bool page;  // inside the HTML page
  ListTextColumn* columns;
  int columnCount;
  int rowCount;
  RowWalk walk;
  bool cellFailed;  // a cell could not be made: the file does not hold the list
  HWND owner;  // for a job: the failure is shown to it, with the path
  wchar_t path[kPathCapacity];
  int32_t widths[kExportColumnLimit];
  wchar_t cell[kCellTextCapacity];
  wchar_t escaped[kEscapedCellCapacity];
  ExportWriter writer;
};

bool IsExportForm(int form) { return form >= kExportText && form <= kExportHtmlUtf8; }
bool IsHtmlForm(int form) { return form >= kExportHtml; }

bool IsUtf16Form(int form) {
  return form == kExportTextUnicode || form == kExportListUnicode || form == kExportHtmlUnicode;
}

void Flush(ExportWriter* writer) {
  if (writer->error == 0 && writer->used > 0) {
    writer->error = FileWriteHandle(writer->file, writer->bytes, writer->used);
  }
  writer->used = 0;
}

void KeepRoom(ExportWriter* writer) {
  if (kWriterCapacity - writer->used < kWriterRoom) Flush(writer);
}

void PutBytes(ExportWriter* writer, const void* bytes, size_t count) {
  const auto* from = static_cast<const uint8_t*>(bytes);
  while (count > 0 && writer->error == 0) {
    KeepRoom(writer);
    const size_t piece = count < kWriterRoom ? count : kWriterRoom;
    memcpy(writer->bytes + writer->used, from, piece);
    writer->used += static_cast<uint32_t>(piece);
    from += piece;
    count -= piece;
  }
}

// A chunk of at most `limit` units that does not end between the halves of a surrogate pair.
int ChunkLength(const wchar_t* text, int length, int limit) {
  if (length <= limit) return length;
  const wchar_t last = text[limit - 1];
  return (last >= 0xD800 && last <= 0xDBFF) ? limit - 1 : limit;
}

void PutText(ExportWriter* writer, const wchar_t* text, int length) {
  if (writer->utf16) {
    PutBytes(writer, text, static_cast<size_t>(length) * sizeof(wchar_t));
    return;
  }
  while (length > 0 && writer->error == 0) {
    KeepRoom(writer);
    const int chunk = ChunkLength(text, length, kConvertedChunk);
    writer->used += static_cast<uint32_t>(WideCharToMultiByte(writer->codePage, 0, text, chunk,
                                                              reinterpret_cast<char*>(writer->bytes + writer->used),
                                                              static_cast<int>(kWriterCapacity - writer->used),
                                                              nullptr, nullptr));
    text += chunk;
    length -= chunk;
  }
}

void Put(ExportWriter* writer, const wchar_t* text) { PutText(writer, text, static_cast<int>(WideLength(text))); }

void PutRepeated(ExportWriter* writer, wchar_t c, int count) {
  wchar_t run[64];
  for (wchar_t& slot : run) slot = c;
  for (; count > 0; count -= 64) PutText(writer, run, count < 64 ? count : 64);
}

void EndLine(ExportWriter* writer) { Put(writer, L"\r\n"); }

void PutLine(ExportWriter* writer, const wchar_t* text) {
  Put(writer, text);
  EndLine(writer);
}

// The caption for row -1, else the cell text of the row, in the job's cell buffer.
const wchar_t* TextAt(ExportJob* job, int row, int column) {
  if (row < 0) return job->columns[column].caption;
  if (ReadCellText(job->reader, row, job->columns[column], job->cell, kCellTextCapacity) < 0) job->cellFailed = true;
  return job->cell;
}

// Aligned text: every column but the last is padded to its width + 1, left- or right-aligned (a right-aligned
// text then has one blank after it). The result is the line's length in characters.
int PutAlignedLine(ExportJob* job, int row) {
  int length = 0;
  for (int i = 0; i < job->columnCount; ++i) {
    const wchar_t* text = TextAt(job, row, i);
    const int textLength = static_cast<int>(WideLength(text));
    const bool last = i == job->columnCount - 1;
    const int padding = last ? 0 : job->widths[i] - textLength;
    const bool right = job->columns[i].rightAligned;
    if (right) PutRepeated(&job->writer, L' ', padding);
    PutText(&job->writer, text, textLength);
    if (!last) PutRepeated(&job->writer, L' ', right ? 1 : padding + 1);
    length += textLength + (last ? 0 : padding + 1);
  }
  EndLine(&job->writer);
  return length;
}

// Row by row, so that a job's progress follows the rows.
void MeasureWidths(ExportJob* job) {
  for (int i = 0; i < job->columnCount; ++i) {
    int width = static_cast<int>(WideLength(job->columns[i].caption));
    job->widths[i] = width;
  }
  for (int row = 0; row < job->rowCount && StepRowWalk(&job->walk); ++row) {
    for (int i = 0; i < job->columnCount; ++i) {
      const int length = static_cast<int>(WideLength(TextAt(job, row, i)));
      if (length > job->widths[i]) job->widths[i] = length;
    }
  }
}

void WriteAlignedText(ExportJob* job) {
  MeasureWidths(job);
  const int headerLength = PutAlignedLine(job, -1);
  PutRepeated(&job->writer, L'-', headerLength);
  EndLine(&job->writer);
  for (int row = 0; row < job->rowCount && StepRowWalk(&job->walk); ++row) PutAlignedLine(job, row);
}

template <typename Char>
bool NeedsQuotes(const Char* text) {
  for (; *text; ++text) {
    if (*text == ';' || *text == '"') return true;
  }
  return false;
}

// One ';'-separated cell: enclosed in double quotes when it holds ';' or '"'. The 8-bit form is converted to
// the active code page before it is looked at.
void PutListCell(ExportJob* job, const wchar_t* text) {
  if (job->form == kExportListUnicode) {
    const bool quoted = NeedsQuotes(text);
    if (quoted) Put(&job->writer, L"\"");
    Put(&job->writer, text);
    if (quoted) Put(&job->writer, L"\"");
    return;
  }
  char narrow[kCellTextCapacity * 2];
  WideToMultiByteBounded(text, narrow, sizeof narrow, CP_ACP);
  const bool quoted = NeedsQuotes(narrow);
  if (quoted) PutBytes(&job->writer, "\"", 1);
  PutBytes(&job->writer, narrow, NarrowLength(narrow));
  if (quoted) PutBytes(&job->writer, "\"", 1);
}

// Every cell gets its place, an empty one too; a line that would be empty is a lone ';'.
void PutListLine(ExportJob* job, int row) {
  bool written = false;
  for (int i = 0; i < job->columnCount; ++i) {
    const wchar_t* text = TextAt(job, row, i);
    if (i > 0) Put(&job->writer, L";");
    PutListCell(job, text);
    written = written || i > 0 || text[0] != 0;
  }
  if (!written) Put(&job->writer, L";");
  EndLine(&job->writer);
}

void WriteList(ExportJob* job) {
  PutListLine(job, -1);
  for (int row = 0; row < job->rowCount && StepRowWalk(&job->walk); ++row) PutListLine(job, row);
}

// Captions and cells alike: a caption can be a field's name that a plug-in or the user gave.
void PutHtmlText(ExportJob* job, const wchar_t* text) {
  const bool escaped = text[0] != 0 && HtmlEscapeText(text, job->escaped, kEscapedCellCapacity) == 0;
  Put(&job->writer, escaped ? job->escaped : kEmptyCell);
}

void PutHtmlHeader(ExportJob* job) {
  for (int i = 0; i < job->columnCount; ++i) {
    Put(&job->writer, kHeaderCellStart);
    PutHtmlText(job, job->columns[i].caption);
    Put(&job->writer, L"</th>");
  }
  PutLine(&job->writer, L"</tr>");
}

void PutHtmlRow(ExportJob* job, int row) {
  Put(&job->writer, L"<tr>");
  for (int i = 0; i < job->columnCount; ++i) {
    Put(&job->writer, row % 2 == 0 ? kEvenRowCellStart : kOddRowCellStart);
    if (job->columns[i].rightAligned) Put(&job->writer, kRightAlign);
    Put(&job->writer, L">");
    PutHtmlText(job, TextAt(job, row, i));
    Put(&job->writer, L"</td>");
  }
  PutLine(&job->writer, L"</tr>");
}

void WriteHtmlTable(ExportJob* job) {
  PutLine(&job->writer, L"<table border=0><tr>");
  PutHtmlHeader(job);
  for (int row = 0; row < job->rowCount && StepRowWalk(&job->walk); ++row) PutHtmlRow(job, row);
  PutLine(&job->writer, L"</table>");
}

// Writes the list in the form, inside the HTML page when `page` is set. 0, the first write error, ERROR_CANCELLED
// when a job's Stop ended it, or ERROR_INVALID_DATA when a cell could not be made.
int WriteListFile(ExportJob* job) {
  if (job->page) PutLine(&job->writer, L"<html><body>");
  if (job->form <= kExportTextUnicode) {
    WriteAlignedText(job);
  } else if (job->form <= kExportListUnicode) {
    WriteList(job);
  } else {
    WriteHtmlTable(job);
  }
  if (job->page) PutLine(&job->writer, L"</body></html>");
  Flush(&job->writer);
  if (job->writer.error != 0) return job->writer.error;
  if (job->walk.stopped) return ERROR_CANCELLED;
  return job->cellFailed ? ERROR_INVALID_DATA : 0;
}

ExportJob* NewExportJob(HWND list, HANDLE file, int form) {
  auto* job = static_cast<ExportJob*>(AllocZeroed(sizeof(ExportJob)));
  if (!job) return nullptr;
  job->reader = CellReaderOf(list);
  job->form = form;
  job->page = IsHtmlForm(form);
  job->writer.file = file;
  job->writer.utf16 = IsUtf16Form(form);
  job->writer.codePage = form == kExportHtmlUtf8 ? CP_UTF8 : CP_ACP;
  job->columns = ReadListTextColumns(list, &job->columnCount);
  if (job->columnCount > kExportColumnLimit) job->columnCount = kExportColumnLimit;
  job->rowCount = static_cast<int>(ReaderRowCount(job->reader));
  return job;
}

// The file is closed; a file cut short must not pass for the whole list: a failure is shown, and the part of a
// stopped export is removed.
void FinishExport(ExportJob* job, int error) {
  CloseHandle(job->writer.file);
  if (error == ERROR_CANCELLED || error == ERROR_BUSY) DeleteFileW(job->path);
  if (error != 0 && error != ERROR_CANCELLED && error != ERROR_BUSY) ShowLastErrorMessage(job->owner, static_cast<DWORD>(error), job->path);
  FreeAndNull(&job->columns);
  FreeAndNull(&job);
}

DWORD WINAPI ExportJobThread(void* argument) {
  auto* job = static_cast<ExportJob*>(argument);
  job->walk = StartRowWalk(true, static_cast<uint32_t>(job->rowCount) * (job->form <= kExportTextUnicode ? 2 : 1));
  const int error = GuardedCall(static_cast<int>(ERROR_INVALID_FUNCTION), [&] { return WriteListFile(job); });
  FinishExport(job, error);
  EndExclusiveJob();
  return 0;
}

bool ExportsAsJob(HWND list) {
  const ListCellReader reader = CellReaderOf(list);
  const int columns = reader.rows ? std::min(ListViewColumnCount(list), kExportColumnLimit) : 0;
  return WalksAsJob(reader, static_cast<uint64_t>(ReaderRowCount(reader)) * static_cast<uint64_t>(columns));
}

}  // namespace

void SaveListAsTextOrHtml(HWND owner, HWND list, wchar_t* path, int32_t* form) {
  // A long export runs as a job, which waits for no other.
  if (ExportsAsJob(list) && IsJobBusy()) {
    BeepError();
    return;
  }
  wchar_t title[kTitleCapacity];
  GetUiTooltipText(IDM_EXPORT_LIST, title, kTitleCapacity);
  const int chosen = ShowSaveFileDialog(owner, path, kPathCapacity, kExportFilter, title,
                                        IsExportForm(*form) ? *form : 1, kDefaultExtension);
  if (chosen == 0) return;
  *form = IsExportForm(chosen) ? chosen : kExportText;
  HANDLE file = INVALID_HANDLE_VALUE;
  if (FileCreateWithEncoding(owner, &file, path, *form) != 0) return;
  ExportJob* job = NewExportJob(list, file, *form);
  if (!job) {
    CloseHandle(file);
    ShowLastErrorMessage(owner, ERROR_NOT_ENOUGH_MEMORY, path);
    return;
  }
  job->owner = owner;
  CopyWideBounded(path, job->path, kPathCapacity);
  const uint64_t cells = static_cast<uint64_t>(job->rowCount) * static_cast<uint64_t>(job->columnCount);
  if (WalksAsJob(job->reader, cells)) {
    if (!StartExclusiveJob(ExportJobThread, job)) {
      BeepError();
      FinishExport(job, ERROR_BUSY);
    }
    return;
  }
  job->walk = StartRowWalk(false, 0);
  FinishExport(job, WriteListFile(job));
}
