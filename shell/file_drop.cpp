#include "shell/file_drop.h"

#include "engine/chain_files.h"
#include "engine/chain_list.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/files/paths.h"

void OnDropFiles(HWND window, HDROP drop) {
  if (ChainChangesRefused()) {
    BeepError();
  } else {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    wchar_t path[kPathCapacity];
    for (UINT i = 0; i < count; ++i) {
      if (DragQueryFileW(drop, i, path, kPathCapacity) == 0) continue;
      if (LoadSettingsFile(window, path) == 0) break;
    }
  }
  DragFinish(drop);
}
