#include "shell/status_notices.h"

#include <windows.h>

#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "views/items_view.h"
#include "views/status_bar.h"

namespace {

constexpr int kStatusNoticeCapacity = 256;
constexpr int kProblemIconSize = 16;

// Raised while a job's progress is on show.
volatile LONG g_progressShown = 0;

bool IsIntegerField(wchar_t c) { return c == L'd' || c == L'i' || c == L'u'; }

HICON ProblemIcon() {
  if (!g_app->problemIcon) {
    g_app->problemIcon = static_cast<HICON>(
        LoadImageW(g_app->instance, MAKEINTRESOURCEW(IDI_PROBLEM), IMAGE_ICON, kProblemIconSize, kProblemIconSize, 0));
  }
  return g_app->problemIcon;
}

// The count in the text `textId` after the notice so far (joined by " - "); nothing for a count of 0.
void AppendCountNotice(int16_t textId, LONG count, wchar_t* text, int capacity) {
  if (count == 0) return;
  wchar_t pattern[kStatusNoticeCapacity];
  GetUiText(textId, pattern, kStatusNoticeCapacity);
  wchar_t notice[kStatusNoticeCapacity];
  FormatCountText(pattern, count, notice, kStatusNoticeCapacity);
  if (text[0] != 0) AppendWideBounded(L" - ", text, capacity);
  AppendWideBounded(notice, text, capacity);
}

bool NoticeShown() { return g_app->problemCount != 0 || g_app->unlistedFolders != 0; }

}  // namespace

void UpdateProblemCountNotice() {
  if (!g_app) return;
  wchar_t notice[kStatusNoticeCapacity] = {};
  AppendCountNotice(kTextProblemCount, g_app->problemCount, notice, kStatusNoticeCapacity);
  AppendCountNotice(kTextUnlistedFolders, g_app->unlistedFolders, notice, kStatusNoticeCapacity);
  if (notice[0] == 0) {
    SetStatusPart(&g_statusBar, kStatusSelectionPart, nullptr, nullptr);
    ShowSelectionCounts();
    return;
  }
  SetStatusPart(&g_statusBar, kStatusSelectionPart, notice, ProblemIcon());
}

void ShowSelectionCounts() {
  if (g_app && !NoticeShown()) UpdateStatusText(&g_app->selectionStatistics, kTextStatusSelected);
}

void ResetProgressNotice() {
  InterlockedExchange(&g_progressShown, 1);
  ShowStatusProgress(&g_statusBar, true);
  SetProgressPercent(&g_statusBar, 0);
}

void ShowProgressNotice(uint32_t percent) { SetProgressPercent(&g_statusBar, percent > 100 ? 100 : percent); }

void EndProgressNotice() {
  if (!g_app || InterlockedExchange(&g_progressShown, 0) == 0) return;
  ShowStatusProgress(&g_statusBar, false);
  if (const ItemListControl* files = g_app->fileList) {
    CountListedItems(files);
    CountSelectedItems(files);
  }
  UpdateStatusText(&g_app->listingStatistics, kTextStatusListed);
  ShowSelectionCounts();
}

void ShowPluginLoadingNotice(const wchar_t* name) {
  wchar_t notice[kStatusNoticeCapacity];
  GetUiText(kTextPluginLoading, notice, kStatusNoticeCapacity);
  AppendWideBounded(L" ", notice, kStatusNoticeCapacity);
  AppendWideBounded(name, notice, kStatusNoticeCapacity);
  AppendWideBounded(L"...", notice, kStatusNoticeCapacity);
  StatusBarSetHintText(&g_statusBar, notice);
  if (g_statusBar.window) UpdateWindow(g_statusBar.window);
}

void EndPluginLoadingNotice() {
  StatusBarSetHintText(&g_statusBar, nullptr);
  if (g_statusBar.window) UpdateWindow(g_statusBar.window);
}

void FormatCountText(const wchar_t* pattern, int count, wchar_t* text, int capacity) {
  if (!text || capacity <= 0) return;
  text[0] = 0;
  wchar_t number[16];
  swprintf(number, 16, L"%d", count);
  bool placed = false;
  wchar_t piece[2] = {};
  for (const wchar_t* c = pattern; c && *c; ++c) {
    if (c[0] == L'%' && c[1] == L'%') {
      AppendWideBounded(L"%", text, capacity);
      ++c;
    } else if (c[0] == L'%' && IsIntegerField(c[1]) && !placed) {
      AppendWideBounded(number, text, capacity);
      placed = true;
      ++c;
    } else {
      piece[0] = *c;
      AppendWideBounded(piece, text, capacity);
    }
  }
}
