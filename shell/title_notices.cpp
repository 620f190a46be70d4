#include "shell/title_notices.h"

#include <windows.h>

#include <cwchar>

#include "foundation/app_state.h"
#include "foundation/bounded_text.h"
#include "foundation/ui_strings.h"
#include "foundation/ui_text_ids.h"

namespace {

constexpr int kNoticeCapacity = 256;
constexpr int kTitleCapacity = 600;
constexpr LONG kNoProgress = -1;

volatile LONG g_progress = kNoProgress;

bool IsIntegerField(wchar_t c) { return c == L'd' || c == L'i' || c == L'u'; }

void ProblemText(wchar_t* text, int capacity) {
  text[0] = 0;
  if (g_app->problemCount == 0) return;
  wchar_t pattern[kNoticeCapacity];
  GetUiText(kTextProblemCount, pattern, kNoticeCapacity);
  FormatCountText(pattern, g_app->problemCount, text, capacity);
}

void ShowTitle() {
  if (!g_app || !g_mainWindow) return;
  wchar_t title[kTitleCapacity];
  CopyWideBounded(g_app->title, title, kTitleCapacity);
  wchar_t notice[kNoticeCapacity];
  ProblemText(notice, kNoticeCapacity);
  if (notice[0] != 0) {
    AppendWideBounded(L" - ", title, kTitleCapacity);
    AppendWideBounded(notice, title, kTitleCapacity);
  }
  const LONG percent = g_progress;
  if (percent != kNoProgress) {
    swprintf(notice, kNoticeCapacity, L" - %ld %%", percent);
    AppendWideBounded(notice, title, kTitleCapacity);
  }
  SetWindowTextW(g_mainWindow, title);
}

}  // namespace

void UpdateProblemCountNotice() { ShowTitle(); }

void ResetProgressNotice() { ShowProgressNotice(0); }

void ShowProgressNotice(uint32_t percent) {
  const LONG shown = static_cast<LONG>(percent > 100 ? 100 : percent);
  if (InterlockedExchange(&g_progress, shown) != shown) ShowTitle();
}

void EndProgressNotice() {
  if (InterlockedExchange(&g_progress, kNoProgress) != kNoProgress) ShowTitle();
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
