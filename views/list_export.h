// Export of a list as the user sees it (its shown columns with their captions, in display order, and every row
// in the current order) into a file: as aligned plain text, as a ';'-separated list or as an HTML table, each
// in an 8-bit (active code page) or a Unicode form. Lines end with CR LF in the file's encoding.
//
// Cells of the HTML table are always escaped (every blank, markup character and character above 128 becomes
// an entity or a reference), so texts from untrusted files (tags, mail subjects) never become markup.
#pragma once
#include <windows.h>

#include <cstdint>

// The forms in the order of the save dialog's file types.
enum ExportForm : int32_t {
  kExportText = 1,          // aligned text, 8-bit
  kExportTextUnicode = 2,   // aligned text, UTF-16LE after FF FE
  kExportList = 3,          // ';'-separated, 8-bit
  kExportListUnicode = 4,   // ';'-separated, UTF-16LE after FF FE
  kExportHtml = 5,          // HTML table, 8-bit
  kExportHtmlUnicode = 6,   // HTML table, UTF-16LE after FF FE
  kExportHtmlUtf8 = 7,      // HTML table, UTF-8 after EF BB BF
};

// At most this many columns are exported: the first ones in display order.
constexpr int kExportColumnLimit = 20;

// The export command: the save dialog (starting at `path`, offering `form` first, 1 when it holds no form)
// chooses the file and the form; `path` (kPathCapacity characters) and `form` keep the choice for the next
// export. The file is written with the frame of its form; a failure is shown to the user. Nothing happens
// when the dialog is cancelled. A long export of the file list runs as a job (views/row_walk.h) whose Stop removes
// the part written; while another job is busy it is refused with a beep.
void SaveListAsTextOrHtml(HWND owner, HWND list, wchar_t* path, int32_t* form);
