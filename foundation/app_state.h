// The one application state record. WinMain allocates it zero-filled and every part of the program reads it
// through `g_app`. Counters shared between threads are 32-bit and changed with interlocked operations.
#pragma once
#include <windows.h>

#include <cstdint>

struct ItemListControl;
struct UndoList;
struct UiStringTable;
struct AddressBar;

// Folders, files and total bytes of a set of list rows.
struct ListStatistics {
  uint64_t folders;
  uint64_t files;
  uint64_t bytes;
};

constexpr size_t kFilterRecordSize = 1115;

struct AppState {
  int32_t restartCounter;
  HICON largeIcon;
  HINSTANCE instance;
  wchar_t title[40];
  char languageCode[4];
  const UiStringTable* uiStrings;
  HCURSOR splitterCursors[2];
  int32_t treeWidth;
  int32_t chainHeight;
  int32_t dragStart;
  int16_t dragKind;
  HWND paneWindows[3];
  int16_t activePane;
  HWND tabStopPanes[4];
  uint32_t options;
  volatile LONG busyCounter;
  volatile LONG pendingListings;
  int32_t compareMode;
  volatile LONG cancelCounter;
  // The file filter's packed record; views/file_filter.h gives it its type.
  alignas(8) uint8_t filter[kFilterRecordSize];
  int32_t closingCount;
  AddressBar* addressBar;
  wchar_t currentFolder[1024];
  HWND inlineEditor;
  HICON problemIcon;
  ListStatistics listingStatistics;
  ListStatistics selectionStatistics;
  ItemListControl* chainList;
  ItemListControl* fileList;
  int32_t displayMode;
  int32_t exportMode;
  wchar_t exportPath[1024];
  uint16_t listIconSize;
  uint16_t menuIconSize;
  uint16_t toolbarIconSize;
  const wchar_t* titlePointer;
  uint16_t optionsPage;
  volatile LONG problemCount;
  UndoList* undoList;
  int32_t undoPairCount;
  int32_t moduleOfferCount;
  uint64_t selectionChangeCount;
  uint64_t lastSeenChangeCount;
  HWND fileManagerWindow;
  volatile LONG listRebuildGuard;
  volatile LONG recomputationSuspended;
  int32_t settingsFileCurrent;
  volatile LONG settingsChanged;
  wchar_t* startFolder;
  // Raised when the chain list's texts changed, so that its columns are fitted to them again.
  volatile LONG chainColumnFitCounter;
  // Raised when the chain changed while a job was busy: the preview is computed again when the job ends.
  volatile LONG previewDeferred;
  // Room for the state later parts of the program keep here; the block is a fixed 6160 bytes.
  uint8_t reserved[512];
};
static_assert(sizeof(AppState) == 6160, "the application state block is 6160 bytes");

// The state of the running program; null before WinMain has allocated it.
extern AppState* g_app;
// The main window; null before it exists and after it is destroyed.
extern HWND g_mainWindow;
