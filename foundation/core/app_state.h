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

// The option word ("Opt" of section "QVRX"). A set bit means:
constexpr uint32_t kOptionToolbarHidden = 0x1;
constexpr uint32_t kOptionStatusBarHidden = 0x2;
constexpr uint32_t kOptionFolderTreeHidden = 0x4;
constexpr uint32_t kOptionFileIconsOff = 0x8;
constexpr uint32_t kOptionFullRowSelect = 0x20;     // list-control style bit 0x20
constexpr uint32_t kOptionGridLines = 0x40;         // list-control style bit 0x1
constexpr uint32_t kOptionItemActivation = 0x80;    // activation opens and edits; list-control style bits 0x848
constexpr uint32_t kOptionAlwaysOnTop = 0x100;
constexpr uint32_t kOptionSystemMenus = 0x200;      // no owner-drawn menus; also the dark state kept over a restart
constexpr uint32_t kOptionSettingsFileType = 0x400;
constexpr uint32_t kOptionFilterApplied = 0x800;
constexpr uint32_t kOptionRecursive = 0x1000;       // subfolders are listed too
constexpr uint32_t kOptionSelectedOnly = 0x2000;    // only the selected files kept, until the next listing
constexpr uint32_t kOptionNaturalNumberOrder = 0x4000;  // digit runs in names sort by their value
constexpr uint32_t kOptionAddressBarHidden = 0x8000;
constexpr uint32_t kOptionExplorerVerbs = 0x10000;
constexpr uint32_t kOptionPlainSizes = 0x20000;     // sizes as grouped numbers instead of KB, MB, ...
constexpr uint32_t kOptionCompareModeOne = 0x40000;
constexpr uint32_t kOptionNoInfoTips = 0x80000;     // clear: list-control style bit 0x400
constexpr uint32_t kOptionColumnLines = 0x100000;   // list-control style bit 0x2
constexpr uint32_t kOptionNoHoverColour = 0x200000; // list-control style bit 0x4000000
// The option word of a profile without one: only kOptionFullRowSelect.
constexpr int kDefaultOptions = 32;

// The option word as AppState keeps it: read anywhere as a number, written only through Change, because the GUI
// thread and a listing's worker both change bits of it and a plain read-modify-write would lose one of them.
class OptionWord {
 public:
  operator uint32_t() const { return static_cast<uint32_t>(value_); }
  // The one writer: clears the bits of `clear`, then flips those of `flip`, as one atomic step; the new word.
  uint32_t Change(uint32_t clear, uint32_t flip);

 private:
  volatile LONG value_;
};

// What the open in-place editor (`inlineEditor`: the file list's or the address bar's) takes besides WM_CLOSE:
// take the typed text (Enter); close the open drop-down list and put back the text (Esc).
constexpr UINT kEditorCommitMessage = WM_USER;
constexpr UINT kEditorDropDownEscMessage = WM_USER + 1;

// Grouped by the part of the program that writes each field; every part may read them all.
//
// Threads. Besides the GUI thread, job threads (foundation/core/jobs.h: a listing, the rename run, the undo, the
// file tools, the recycling, the folder tree's filling) and a few threads of their own (the update check, the
// Explorer registration) run. A field this table does not name is the GUI thread's alone. One row per field:
// field: who writes it; who else reads it; the rule.
//   instance, title: the GUI thread as the main window is made; any thread; fixed from then on.
//   uiStrings: the GUI thread at start-up and at a language choice; any thread reads texts through it; a plain
//     pointer write.
//   options: the GUI thread and a listing's worker; any thread; written only through OptionWord::Change.
//   compareMode: the GUI thread (start-up, options dialog); job threads (field values, mail dates); one aligned
//     32-bit write: a reader has the old mode or the new.
//   listRebuildGuard: the GUI thread; a listing's worker; interlocked.
//   busyCounter, cancelCounter: the GUI thread and the job's thread; any thread; interlocked (the job rule).
//   chainList, fileList: the GUI thread as the lists are made and destroyed; job threads; a destroyed list
//     leaves its slot at once and is freed only once no job thread runs (views/items_view_window.h).
//   pendingListings, unlistedFolders: the GUI thread and a listing's worker; the GUI thread; interlocked.
//   filter: the GUI thread (filter dialog, start-up); a listing works on a copy (views/file_filter.h).
//   listingStatistics: the job that lists or removes rows, the GUI thread while no job runs; the status texts of
//     both; the job rule.
//   selectionStatistics: the GUI thread alone; a worker's count is made there (CountSelectedItems).
//   problemCount, recomputationSuspended, settingsChanged: the preview on the GUI thread and on a listing's
//     worker; any thread; interlocked.
//   undoList, undoPairCount: the rename run's and the undo's worker, the GUI thread while no job runs; the GUI
//     thread; interlocked and the job rule.
//   previewDeferred: a job's worker and the GUI thread; the GUI thread; interlocked.
struct AppState {
  // The run and the main window (shell/). The restart counter comes first.
  int32_t restartCounter;
  HICON largeIcon;
  HINSTANCE instance;
  wchar_t title[40];
  const wchar_t* titlePointer;
  char languageCode[4];
  const UiStringTable* uiStrings;
  OptionWord options;  // the option word, bits above
  int32_t compareMode;
  int32_t closingCount;
  HCURSOR splitterCursors[2];
  int32_t treeWidth;
  int32_t chainHeight;
  int32_t dragStart;
  int16_t dragKind;
  HWND paneWindows[3];
  int16_t activePane;
  HWND tabStopPanes[4];
  HICON problemIcon;
  int32_t displayMode;
  uint16_t listIconSize;
  uint16_t menuIconSize;
  uint16_t toolbarIconSize;
  uint16_t optionsPage;
  int32_t moduleOfferCount;
  uint64_t selectionChangeCount;
  uint64_t lastSeenChangeCount;
  HWND fileManagerWindow;
  volatile LONG listRebuildGuard;  // while a command rewrites the file list in place, listings return at once
  wchar_t* startFolder;

  // The job rule (foundation/core/jobs.h): raised on the GUI thread, lowered by the job's worker.
  volatile LONG busyCounter;
  // Raised by the Stop command on the GUI thread, cleared when a job begins.
  volatile LONG cancelCounter;

  // The two lists, the folder listing and the bars (views/).
  ItemListControl* chainList;
  ItemListControl* fileList;
  wchar_t currentFolder[1024];
  volatile LONG pendingListings;
  // Folders of the last listing that could not be listed (their files are missing from the list).
  volatile LONG unlistedFolders;
  // The file filter's packed record; views/file_filter.h gives it its type.
  alignas(8) uint8_t filter[kFilterRecordSize];
  AddressBar* addressBar;
  HWND inlineEditor;
  ListStatistics listingStatistics;
  ListStatistics selectionStatistics;
  int32_t exportMode;
  wchar_t exportPath[1024];

  // The preview, the chain and the rename run (engine/).
  volatile LONG problemCount;
  volatile LONG recomputationSuspended;
  volatile LONG settingsChanged;
  int32_t settingsFileCurrent;
  UndoList* undoList;
  volatile LONG undoPairCount;
  // Raised when the chain list's texts changed, so that its columns are fitted to them again.
  volatile LONG chainColumnFitCounter;
  // Raised when the chain changed while a job was busy: the preview is computed again when the job ends.
  volatile LONG previewDeferred;

  // The date and time dialog while it is open, else null.
  HWND dateTimeDialog;

  // Room for the state later parts of the program keep here; the block is a fixed 6160 bytes.
  uint8_t reserved[488];
};
static_assert(sizeof(AppState) == 6160, "the application state block is 6160 bytes");

// The state of the running program; null before WinMain has allocated it. WinMain's thread (the GUI thread)
// allocates it, and zero-fills it for a restart or frees it only once every job thread has ended (while one still
// runs, the block is left to it).
extern AppState* g_app;
// The main window; null before it exists and after it is destroyed. The GUI thread sets it; any thread reads it.
extern HWND g_mainWindow;

// The chain list and the file list; null before they exist (and without an application state).
// The application's option word changed through OptionWord::Change; nothing without an application state.
void SetOptionBits(uint32_t bits, bool on);
void ToggleOptionBits(uint32_t bits);
void ReplaceOptionWord(uint32_t word);

inline ItemListControl* AppChainList() { return g_app != nullptr ? g_app->chainList : nullptr; }
inline ItemListControl* AppFileList() { return g_app != nullptr ? g_app->fileList : nullptr; }
