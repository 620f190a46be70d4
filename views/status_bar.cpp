#include "views/status_bar.h"

#include "foundation/memory.h"
#include "foundation/window_wrappers.h"

StatusBar g_statusBar;

int InitStatusBar(StatusBar* bar) {
  if (!bar) return 1;
  *bar = StatusBar{};
  bar->partCount = kStatusPartCount;
  bar->progressPart = kStatusProgressPart;
  bar->lastPercent = -1;
  bar->parts = static_cast<StatusPart*>(AllocZeroed(sizeof(StatusPart) * kStatusPartCount));
  return bar->parts ? 0 : 1;
}

void DestroyStatusBar(StatusBar* bar) {
  if (!bar) return;
  DestroyWindowIfAlive(bar->progressBar);
  DestroyWindowIfAlive(bar->window);
  bar->progressBar = nullptr;
  bar->window = nullptr;
  FreeAndNull(&bar->parts);
}
