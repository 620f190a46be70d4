#include "shell/attributes_tool.h"

#include <commctrl.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/packed_date.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/system_functions.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/main_window.h"
#include "shell/settings_values.h"
#include "shell/time_conditions.h"
#include "shell/tool_run.h"
#include "views/date_rows.h"
#include "views/date_time_dialog.h"
#include "views/filter_text_form.h"
#include "views/items_view.h"
#include "views/path_pool.h"

namespace {

constexpr int kDialogOk = 99;
constexpr uint32_t kEncryptedAttribute = FILE_ATTRIBUTE_ENCRYPTED;
constexpr uint32_t kReparseAttribute = FILE_ATTRIBUTE_REPARSE_POINT;

constexpr int kAttributesTextIds[] = {IDD_ATTRIBUTES,
                                      kTextOk,
                                      kTextCancel,
                                      IDC_ATTRIBUTES_GROUP,
                                      IDC_ATTRIBUTES_TIMES_GROUP,
                                      IDC_FILTER_ARCHIVE,
                                      IDC_FILTER_READ_ONLY,
                                      IDC_FILTER_HIDDEN,
                                      IDC_FILTER_SYSTEM,
                                      IDC_FILTER_COMPRESSED,
                                      IDC_FILTER_ENCRYPTED,
                                      IDC_ATTRIBUTES_REPARSE,
                                      IDC_ATTRIBUTES_CREATION_CHECK,
                                      IDC_ATTRIBUTES_MODIFIED_CHECK,
                                      IDC_ATTRIBUTES_ACCESSED_LABEL,
                                      0};

struct AttributeBox {
  int id;
  uint32_t bit;
};
// The boxes that change attributes.
constexpr AttributeBox kAttributeBoxes[] = {
    {IDC_FILTER_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE}, {IDC_FILTER_READ_ONLY, FILE_ATTRIBUTE_READONLY},
    {IDC_FILTER_HIDDEN, FILE_ATTRIBUTE_HIDDEN},   {IDC_FILTER_SYSTEM, FILE_ATTRIBUTE_SYSTEM},
    {IDC_FILTER_COMPRESSED, FILE_ATTRIBUTE_COMPRESSED},
};
// What the dialog shows of one file only, without changing it.
constexpr int kOneFileOnly[] = {IDC_FILTER_ENCRYPTED, IDC_ATTRIBUTES_REPARSE, IDC_ATTRIBUTES_ACCESSED_LABEL,
                                IDC_ATTRIBUTES_ACCESSED_DATE, IDC_ATTRIBUTES_ACCESSED_TIME};
constexpr int kPaintedBoxes[] = {IDC_FILTER_ARCHIVE,    IDC_FILTER_READ_ONLY,          IDC_FILTER_HIDDEN,
                                 IDC_FILTER_SYSTEM,     IDC_FILTER_COMPRESSED,         IDC_FILTER_ENCRYPTED,
                                 IDC_ATTRIBUTES_REPARSE, IDC_ATTRIBUTES_CREATION_CHECK, IDC_ATTRIBUTES_MODIFIED_CHECK,
                                 0};

constexpr DateRowControls kCreationRow = {IDC_ATTRIBUTES_CREATION_CHECK, IDC_FILTER_LOWER_DATE_UNIT,
                                          IDC_FILTER_LOWER_COUNT,        IDC_FILTER_LOWER_DATE,
                                          IDC_FILTER_LOWER_TIME,         IDC_FILTER_LOWER_EDIT};
constexpr DateRowControls kModifiedRow = {IDC_ATTRIBUTES_MODIFIED_CHECK, IDC_FILTER_UPPER_DATE_UNIT,
                                          IDC_FILTER_UPPER_COUNT,        IDC_FILTER_UPPER_DATE,
                                          IDC_FILTER_UPPER_TIME,         IDC_FILTER_UPPER_EDIT};
// The last-access pickers, which only show the file's time.
constexpr DateRowControls kAccessedPickers = {0, 0, 0, IDC_ATTRIBUTES_ACCESSED_DATE, IDC_ATTRIBUTES_ACCESSED_TIME, 0};

// What the dialog works on: the marked rows, the row whose values it shows, and what OK chose.
struct AttributesDialogState {
  uint32_t marked;
  FileListRow row;
  wchar_t* path;
  AttributeChanges* changes;
};

AttributesDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<AttributesDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// The row the dialog shows: the one marked row, else the focused one.
int ShownRowIndex(const ItemListControl* files) {
  int focused = -1;
  const uint32_t count = ItemStoreCount(&files->rows);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* stored = ItemStoreGet(&files->rows, i);
    if (stored == nullptr) continue;
    const uint8_t state = stored[offsetof(FileListRow, state)];
    if (state & kRowSelected) return static_cast<int>(i);
    if ((state & kRowFocused) && focused < 0) focused = static_cast<int>(i);
  }
  return focused;
}

// A file without the time shows the current one.
void ShowPickerTime(HWND dialog, const DateRowControls& row, const FILETIME& time) {
  SYSTEMTIME local;
  if (!UtcFileTimeToLocalSystemTime(&time, &local)) GetLocalTime(&local);
  SetDateRowPickers(dialog, row, local);
}

void ShowAttributeBoxes(HWND dialog, const AttributesDialogState& state) {
  for (const AttributeBox& box : kAttributeBoxes) {
    if (state.marked > 1) {
      SendDialogItemMessage(dialog, box.id, BM_SETSTYLE, BS_AUTO3STATE, TRUE);
      CheckDlgButtonIndeterminate(dialog, box.id);
    } else if (state.row.info.attributes & box.bit) {
      CheckDlgButtonOn(dialog, box.id);
    }
  }
  if (state.path[0] == 0 || !IsDrivePath(state.path) || IsNotNtfsDrive(state.path[0]))
    EnableDlgItem(dialog, IDC_FILTER_COMPRESSED, false);
}

void MoveDialogItemUp(HWND dialog, int id, int distance) {
  const RECT place = DialogItemRect(dialog, id);
  SetWindowPos(GetDialogItem(dialog, id), nullptr, place.left, place.top - distance, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Several files show no access time: its row's band goes, and the dialog keeps its centre.
void CloseAccessedRow(HWND dialog) {
  const int band =
      DialogItemRect(dialog, IDC_ATTRIBUTES_ACCESSED_DATE).top - DialogItemRect(dialog, IDC_FILTER_UPPER_DATE).top;
  const RECT group = DialogItemRect(dialog, IDC_ATTRIBUTES_TIMES_GROUP);
  SetWindowPos(GetDialogItem(dialog, IDC_ATTRIBUTES_TIMES_GROUP), nullptr, 0, 0, group.right - group.left,
               group.bottom - group.top - band, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveDialogItemUp(dialog, kDialogOk, band);
  MoveDialogItemUp(dialog, IDCANCEL, band);
  RECT frame = {};
  GetWindowRect(dialog, &frame);
  SetWindowPos(dialog, nullptr, frame.left, frame.top + band / 2, frame.right - frame.left,
               frame.bottom - frame.top - band, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowOneFileOnly(HWND dialog, const AttributesDialogState& state) {
  for (int id : kOneFileOnly) {
    if (state.marked > 1) HideDlgItem(dialog, id);
    EnableDlgItem(dialog, id, false);
  }
  if (state.marked > 1) {
    CloseAccessedRow(dialog);
    return;
  }
  if (state.row.info.attributes & kEncryptedAttribute) CheckDlgButtonOn(dialog, IDC_FILTER_ENCRYPTED);
  if (state.row.info.attributes & kReparseAttribute) CheckDlgButtonOn(dialog, IDC_ATTRIBUTES_REPARSE);
  ShowPickerTime(dialog, kAccessedPickers, state.row.info.lastAccessTime);
}

// The stored conditions in both rows; the pickers start from the file's times (several files: from now).
void ShowTimeRows(HWND dialog, const AttributesDialogState& state) {
  FillDateRowUnits(dialog, kCreationRow);
  FillDateRowUnits(dialog, kModifiedRow);
  SetUpDateRowArrows(dialog, IDC_FILTER_COPY_DATES);
  FilterRecord stored;
  LoadTimeConditionsSetting(&stored);
  ShowDateRow(dialog, kCreationRow, stored.lower);
  ShowDateRow(dialog, kModifiedRow, stored.upper);
  if (state.marked > 1) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    SetDateRowPickers(dialog, kCreationRow, now);
    SetDateRowPickers(dialog, kModifiedRow, now);
    return;
  }
  ShowPickerTime(dialog, kCreationRow, state.row.info.creationTime);
  ShowPickerTime(dialog, kModifiedRow, state.row.info.lastWriteTime);
}

void LayOutTimeRows(HWND dialog) {
  const bool creationPickers = LayOutDateRow(dialog, kCreationRow);
  const bool modifiedPickers = LayOutDateRow(dialog, kModifiedRow);
  const bool both = IsDlgButtonChecked(dialog, kCreationRow.check) == BST_CHECKED &&
                    IsDlgButtonChecked(dialog, kModifiedRow.check) == BST_CHECKED;
  EnableDlgItem(dialog, IDC_FILTER_COPY_DATES, both);
  ShowWindow(GetDialogItem(dialog, IDC_FILTER_COPY_DATES), creationPickers || modifiedPickers ? SW_SHOWNA : SW_HIDE);
}

void ApplyDarkMode(HWND dialog) {
  for (int id : {kDialogOk, static_cast<int>(IDCANCEL), kCreationRow.edit, kModifiedRow.edit})
    ApplyDarkModeToDlgItem(dialog, id);
  SubclassDlgItemsForPaint(dialog, kPaintedBoxes);
  ApplyDarkModeToComboById(dialog, kCreationRow.unit, kComboPaintPlain, true);
  ApplyDarkModeToComboById(dialog, kModifiedRow.unit, kComboPaintPlain, true);
}

void OnInitDialog(HWND dialog, AttributesDialogState* state) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  ApplyWindowTheme(dialog);
  CenterWindowOnParent(dialog);
  SetFocusSafe(GetDialogItem(dialog, kDialogOk));
  ApplyDialogTexts(dialog, kAttributesTextIds);
  ApplyDarkMode(dialog);
  ShowAttributeBoxes(dialog, *state);
  ShowTimeRows(dialog, *state);
  ShowOneFileOnly(dialog, *state);
  LayOutTimeRows(dialog);
}

// Checked boxes set their attribute, unchecked ones clear it; the third state and a disabled box leave it.
void ReadAttributeBoxes(HWND dialog, AttributeChanges* changes) {
  for (const AttributeBox& box : kAttributeBoxes) {
    if (!IsWindowEnabled(GetDialogItem(dialog, box.id))) continue;
    const int state = IsDlgButtonCheckedById(dialog, box.id);
    if (state == BST_CHECKED) changes->set |= box.bit;
    if (state == BST_UNCHECKED) changes->clear |= box.bit;
  }
}

void ReadTimeRows(HWND dialog, AttributeChanges* changes) {
  FilterRecord* times = &changes->times;
  memset(times, 0, sizeof *times);
  ReadDateRow(dialog, kCreationRow, &times->lower);
  ReadDateRow(dialog, kModifiedRow, &times->upper);
  StoreTimeConditionsSetting(times);
  changes->changeTimes = HasDateCondition(times->lower) || HasDateCondition(times->upper);
}

void OnCommand(HWND dialog, int id, int code) {
  AttributesDialogState* state = StateOf(dialog);
  if (state == nullptr) return;
  switch (id) {
    case IDOK:
    case kDialogOk:
      ReadAttributeBoxes(dialog, state->changes);
      ReadTimeRows(dialog, state->changes);
      EndDialog(dialog, 1);
      break;
    case IDCANCEL:
      EndDialog(dialog, 0);
      break;
    case IDC_ATTRIBUTES_CREATION_CHECK:
    case IDC_ATTRIBUTES_MODIFIED_CHECK:
      LayOutTimeRows(dialog);
      break;
    case IDC_FILTER_LOWER_DATE_UNIT:
    case IDC_FILTER_UPPER_DATE_UNIT:
      if (code == CBN_SELCHANGE) LayOutTimeRows(dialog);
      break;
    case IDC_FILTER_LOWER_EDIT:
      EditDateTimePickerPair(dialog, kCreationRow.date, kCreationRow.time);
      break;
    case IDC_FILTER_UPPER_EDIT:
      EditDateTimePickerPair(dialog, kModifiedRow.date, kModifiedRow.time);
      break;
    default:
      break;
  }
}

void ChangeRow(ToolRun* run, ToolRow* row) {
  const AttributeChanges& changes = *static_cast<const AttributeChanges*>(run->settings);
  if (changes.changeTimes) {
    NewFileTimes times;
    ComputeNewTimes(&times, row->record.info, changes.times);
    if (times.setCreation || times.setLastWrite) {
      SetRowTimes(run, row, times.setCreation ? &times.creation : nullptr,
                  times.setLastWrite ? &times.lastWrite : nullptr);
    }
  }
  if ((changes.set | changes.clear) != 0) SetRowAttributes(run, row, changes.set, changes.clear);
}

}  // namespace

int ShowAttributesDialog(HWND owner) {
  ItemListControl* files = AppFileList();
  if (files == nullptr || IsJobBusy()) return 0;
  AttributesDialogState state = {};
  state.marked = static_cast<uint32_t>(ListView_GetSelectedCount(files->window));
  state.path = AllocZeroedWide(kLongPathCapacity);
  state.changes = static_cast<AttributeChanges*>(AllocZeroed(sizeof(AttributeChanges)));
  const int shown = ShownRowIndex(files);
  int started = 0;
  if (state.marked > 0 && state.path != nullptr && state.changes != nullptr && shown >= 0) {
    CopyItemRecordWithPath(shown, state.path, kLongPathCapacity, &state.row);
    InitCommonControlClasses();
    const INT_PTR answer =
        ShowModalDialog(nullptr, IDD_ATTRIBUTES, owner, AttributesDialogProc, reinterpret_cast<LPARAM>(&state));
    const AttributeChanges& changes = *state.changes;
    if (answer == 1 && ((changes.set | changes.clear) != 0 || changes.changeTimes))
      started = StartAttributesJob(owner, changes) ? 1 : 0;
  }
  FreeAndNull(&state.path);
  FreeAndNull(&state.changes);
  return started;
}

bool StartAttributesJob(HWND owner, const AttributeChanges& changes) {
  auto* settings = static_cast<AttributeChanges*>(AllocZeroed(sizeof(AttributeChanges)));
  if (settings == nullptr) return false;
  *settings = changes;
  return StartToolRun(CreateToolRun(owner, ChangeRow, settings), ApplyAttributesThread);
}

DWORD WINAPI ApplyAttributesThread(void* run) { return RunToolOverSelectedRows(static_cast<ToolRun*>(run)); }

INT_PTR CALLBACK AttributesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR answer = 0;
  if (AnswerDarkDialogMessage(message, wParam, lParam, &answer)) return answer;
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<AttributesDialogState*>(lParam));
      return FALSE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      return OnDateRowArrows(dialog, reinterpret_cast<const NMHDR*>(lParam), IDC_FILTER_COPY_DATES, kCreationRow,
                             kModifiedRow);
    default:
      return FALSE;
  }
}

int IsNotNtfsDrive(wchar_t letter) {
  const wchar_t drive = CharToUpperWide(letter);
  if (drive < L'A' || drive > L'Z') return 1;
  const wchar_t root[] = {drive, L':', L'\\', 0};
  wchar_t fileSystem[MAX_PATH + 1] = L"";
  // An empty drive answers without the system's box asking for a disk.
  DWORD previousMode = 0;
  const BOOL quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
  const BOOL read = GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1);
  if (quiet) SetThreadErrorMode(previousMode, nullptr);
  return read && WideLength(fileSystem) == 4 && EqualsIgnoreCaseWide(fileSystem, L"NTFS") ? 0 : 1;
}
