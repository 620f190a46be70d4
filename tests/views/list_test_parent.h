// A hidden top-level window that parents list controls in tests: it answers LVN_GETDISPINFOW with cell texts (file rows
// give their names and size, other rows "r<row>c<column>"), custom draw and label edits as configured, turns F2
// into LVM_EDITLABELW like the main window, and logs every notification it receives.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/win32/column_layout.h"
#include "views/file_list_row.h"
#include "views/item_list_control.h"

struct ListEvent {
  bool pane;  // a pane notification (kPaneNotifyMessage) rather than WM_NOTIFY
  int code;   // the notification code, or the pane code
  int item;
  int subItem;
  UINT oldState;
  UINT newState;
  std::wstring text;  // label-edit text
  int key;            // pane key code
};

class ListTestParent {
 public:
  ListTestParent(int width, int height);
  ~ListTestParent();
  ListTestParent(const ListTestParent&) = delete;
  ListTestParent& operator=(const ListTestParent&) = delete;

  HWND Window() const { return window_; }
  // A control filling the parent's client area; the layout is copied and kept for the process's life.
  ItemListControl* CreateList(uint32_t viewWord, uint32_t style, const std::vector<ColumnLayout>& columns,
                              uint16_t id = kFileListId, ItemDeletionCallback deleteItem = nullptr,
                              const uint16_t* sortTable = nullptr, SortKeyFunction sortKey = nullptr);

  int Count(int code, bool pane = false) const;
  const ListEvent* Last(int code, bool pane = false) const;
  void ClearEvents() { events.clear(); }
  // Dispatches messages until done() holds; false when it did not within the timeout.
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

  std::vector<ListEvent> events;
  // Cell texts by row and sub-item in place of the built-in ones, when set.
  std::function<std::wstring(int row, int subItem)> cellText;
  // 1-based image of a row's main cell; none by default.
  std::function<int(int row)> imageOfRow;
  LRESULT prepaintAnswer = CDRF_DODEFAULT;
  int colouredRow = -1;
  int colouredSubItem = 0;  // 0: the row's colours; above 0: only that cell's
  COLORREF colouredText = 0;
  COLORREF colouredBack = 0;
  LRESULT beginEditAnswer = 0;
  // The answer to LVN_ENDLABELEDITW for the committed text; 0 when not set.
  std::function<LRESULT(const std::wstring& text)> endEditAnswer;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(NMHDR* header);
  LRESULT OnPane(WPARAM code, LPARAM record);
  void FillCell(NMLVDISPINFOW* info);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);

  HWND window_;
};

// A file-list row of that name, new name, size and attributes; its stored length follows the name.
FileListRow MakeFileRow(const wchar_t* name, const wchar_t* newName, uint64_t size = 10, uint16_t attributes = 0x20);
// A minimal row of the given length (state byte 0).
std::vector<uint8_t> MakePlainRow(uint16_t length = 8);
// Appends rows to the control and lays it out again.
void AppendFileRows(ItemListControl* control, int count);
void AppendPlainRows(ItemListControl* control, int count);
