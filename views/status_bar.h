// The status bar at the bottom of the main window: counts and sizes of the listed and selected files, a
// progress percentage with its bar, or a hint text in place of all parts. One bar object lives for the whole
// process; its windows live with the main window.
//
// Worker threads write the part texts and the percentage without a lock; every write asks for a redraw of its
// part 100 ms later on the bar's own thread. A part's last character stays zero for good and painting reads
// at most up to it, so a text half-way through being replaced is never read past its end.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/core/app_state.h"

constexpr int kStatusPartTextCapacity = 260;
constexpr int kStatusHintCapacity = 260;
constexpr int kStatusPartCount = 3;
// The part that shows the selection counts (or the notice of unusable new names).
constexpr int kStatusSelectionPart = 0;
// The part that carries the listing counts and the progress percentage.
constexpr int kStatusProgressPart = 1;
// Width kept for the percentage text at first; it grows when a text needs more.
constexpr int32_t kStatusProgressTextWidth = 55;
constexpr wchar_t kStatusBarClass[] = L"sb";

struct StatusPart {
  int32_t rightEdge;  // client x; negative: the part stretches to the end
  HICON icon;         // 16 x 16, optional
  wchar_t text[kStatusPartTextCapacity];
};
static_assert(sizeof(StatusPart) * kStatusPartCount == 1608, "the parts of the bar take 1608 bytes");

// Sets the parts' widths for a client width and bar height.
using StatusLayoutCallback = void (*)(int clientWidth, int barHeight, int32_t* widths, int partCount);

struct StatusBar {
  StatusLayoutCallback layout;  // given at construction; null lays out nothing
  HFONT font;                   // cached fallback font
  HWND window;                  // class "sb", or null
  HWND progressBar;             // "msctls_progress32" child, or null
  int32_t progressPart;
  int32_t progressTextWidth;
  volatile LONG lastPercent;    // -1 until a percentage was shown
  int32_t partCount;
  StatusPart* parts;            // heap block of partCount parts
  wchar_t hint[kStatusHintCapacity];  // two blanks and the hint text; empty: no hint
  int32_t topLine;              // draws a line along the top edge
  int32_t shown;                // the layout gives the bar room only while it is shown
};

extern StatusBar g_statusBar;

// Sets the object up without windows: its layout callback, three zero-filled parts, the percentage in part 1,
// none shown yet. 0, or 1 when the parts' memory could not be had.
int InitStatusBar(StatusBar* bar, StatusLayoutCallback layout);
// Destroys the bar's two windows and frees the parts.
void DestroyStatusBar(StatusBar* bar);

// Registers the class and creates the bar in the parent, with its hidden progress bar (range 0 to 100).
// The bar, or null.
HWND CreateStatusBar(StatusBar* bar, HWND parent, HINSTANCE instance);

// The count text of UI text `textId`: the text, the file count and its word ("file", "files"), the total as
// a byte size (KB, MB, ...) or, with `plainSizes`, as a grouped number and its word ("byte", "bytes"). No
// files and no bytes give an empty text for the selection, else "0 files". A listing text ends in " - " and
// the word for cancelled when `cancelled`.
void FormatStatusCounts(const ListStatistics& counts, int textId, bool cancelled, bool plainSizes, wchar_t* text,
                        int capacity);
// Writes the count text into the selection part (the selection's text id) or the listing part (any other)
// of the bar and schedules its redraw. Any thread.
void UpdateStatusText(const ListStatistics* counts, int textId);

// Writes a part's text (null: empty) and icon and schedules the part's redraw. Any thread.
void SetStatusPart(StatusBar* bar, int part, const wchar_t* text, HICON icon);
// A non-empty text becomes the hint, which hides the parts it overlaps; null or empty removes it. Redraws.
void StatusBarSetHintText(StatusBar* bar, const wchar_t* text);
bool StatusBarHasHint(const StatusBar* bar);

// Shows a percentage in the progress bar and as the progress part's text; the same percentage again, or a bar
// without a progress bar, changes nothing. Any thread.
void SetProgressPercent(StatusBar* bar, uint32_t percent);
// Shows the progress bar at 0 % while a job runs, or hides it. Any thread.
void ShowStatusProgress(StatusBar* bar, bool show);

// Redraws part n: from the previous part's right edge to its own.
void InvalidateStatusPart(StatusBar* bar, int n);
// Gives the parts their right edges for the bar's client width (from the widths of the layout callback: the
// last part ends at the width, each earlier one where the later ones begin, never below 0) and lays the
// progress bar into its part.
void LayoutStatusParts(StatusBar* bar, int clientWidth, int barHeight);

// The font of the texts: the cached one; else the system's status font, created for the caller, who deletes
// it when `created` comes back true; else the theme's UI font, cached.
HFONT GetStatusBarFont(StatusBar* bar, bool* created);

// The window procedure. Besides painting, it answers SB_GETTEXTW and SB_GETTEXTLENGTHW with a part's text, as a
// status control would, for tools that read the bar.
LRESULT CALLBACK StatusBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
