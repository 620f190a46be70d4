#include "list_test_parent.h"

#include <cstring>
#include <deque>

#include "foundation/text/bounded_text.h"
#include "foundation/core/item_store.h"
#include "foundation/win32/window_wrappers.h"
#include "views/items_view_layout.h"
#include "views/items_view_notify.h"
#include "views/items_view_window.h"

namespace {

constexpr wchar_t kParentClass[] = L"QvrxListTestParent";

std::wstring CellOf(int row, int subItem, const uint8_t* record) {
  uint16_t length = 0;
  if (record) memcpy(&length, record, sizeof length);
  if (record && length >= FileListRowSize(0)) {
    FileListRow file = {};
    memcpy(&file, record, std::min<size_t>(length, sizeof file));
    if (subItem == 0) return file.currentName;
    if (subItem == 1) return file.newName;
    if (subItem == 2) return std::to_wstring(file.info.size);
  }
  return L"r" + std::to_wstring(row) + L"c" + std::to_wstring(subItem);
}

}  // namespace

ListTestParent::ListTestParent(int width, int height) {
  WindowClassFields fields = {Proc, 0, nullptr, nullptr, nullptr, nullptr, kParentClass, GetModuleHandleW(nullptr)};
  WindowFields create = {0, L"list test", WS_POPUP | WS_CLIPCHILDREN, nullptr, nullptr, nullptr, nullptr, this};
  window_ = CreateWindowRegistered(fields, create);
  // Hidden: taking the focus inside a hidden window never takes the display's focus from other test processes.
  SetWindowPos(window_, nullptr, 20, 20, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

ListTestParent::~ListTestParent() {
  if (IsWindow(window_)) DestroyWindow(window_);
}

ItemListControl* ListTestParent::CreateList(uint32_t viewWord, uint32_t style,
                                            const std::vector<ColumnLayout>& columns, uint16_t id,
                                            ItemDeletionCallback deleteItem, const uint16_t* sortTable,
                                            SortKeyFunction sortKey) {
  // Lists keep their layout beyond their window, so each layout stays for the process's life.
  static std::deque<std::vector<ColumnLayout>> layouts;
  layouts.emplace_back(columns);
  layouts.back().push_back(ColumnLayout{0, 0, 0, 0});
  ItemListControl* control = CreateItemsViewWindow(window_, viewWord, style, id, layouts.back().data(), sortTable,
                                                   sortKey, deleteItem, nullptr);
  if (!control) return nullptr;
  RECT client = {};
  GetClientRect(window_, &client);
  MoveWindow(control->window, 0, 0, client.right, client.bottom, TRUE);
  return control;
}

int ListTestParent::Count(int code, bool pane) const {
  int count = 0;
  for (const ListEvent& event : events) count += event.pane == pane && event.code == code;
  return count;
}

const ListEvent* ListTestParent::Last(int code, bool pane) const {
  for (auto event = events.rbegin(); event != events.rend(); ++event) {
    if (event->pane == pane && event->code == code) return &*event;
  }
  return nullptr;
}

bool ListTestParent::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

void ListTestParent::FillCell(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  std::wstring text = cellText ? cellText(item.iItem, item.iSubItem)
                               : CellOf(item.iItem, item.iSubItem, reinterpret_cast<const uint8_t*>(item.lParam));
  if ((item.mask & LVIF_TEXT) && item.pszText) CopyWideBounded(text.c_str(), item.pszText, item.cchTextMax);
  if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0 && imageOfRow) item.iImage = imageOfRow(item.iItem);
}

LRESULT ListTestParent::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
  DWORD stage = draw->nmcd.dwDrawStage;
  if (stage == CDDS_PREPAINT) {
    // A sub-item number asks for every cell to be announced.
    if (colouredSubItem > 0) draw->iSubItem = colouredSubItem;
    return prepaintAnswer;
  }
  bool cell = stage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM);
  bool wanted = cell ? draw->iSubItem == colouredSubItem : stage == CDDS_ITEMPREPAINT && colouredSubItem <= 0;
  if (wanted && static_cast<int>(draw->nmcd.dwItemSpec) == colouredRow) {
    draw->clrText = colouredText;
    draw->clrTextBk = colouredBack;
    return CDRF_NEWFONT;
  }
  return CDRF_DODEFAULT;
}

LRESULT ListTestParent::OnNotify(NMHDR* header) {
  ListEvent event = {false, static_cast<int>(header->code), -1, 0, 0, 0, L"", 0};
  switch (header->code) {
    case LVN_GETDISPINFOW:
      FillCell(reinterpret_cast<NMLVDISPINFOW*>(header));
      return 0;
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case LVN_BEGINLABELEDITW:
    case LVN_ENDLABELEDITW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      event.item = info->item.iItem;
      if (info->item.pszText) event.text = info->item.pszText;
      break;
    }
    case LVN_ITEMCHANGED:
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG:
    case LVN_COLUMNCLICK:
    case NM_CLICK:
    case NM_DBLCLK:
    case LVN_ITEMACTIVATE: {
      auto* list = reinterpret_cast<NMLISTVIEW*>(header);
      event.item = list->iItem;
      event.subItem = list->iSubItem;
      event.oldState = list->uOldState;
      event.newState = list->uNewState;
      break;
    }
    default:
      break;
  }
  events.push_back(event);
  if (header->code == LVN_ENDLABELEDITW && endEditAnswer) return endEditAnswer(event.text);
  return header->code == LVN_BEGINLABELEDITW ? beginEditAnswer : 0;
}

LRESULT ListTestParent::OnPane(WPARAM code, LPARAM record) {
  ListEvent event = {true, static_cast<int>(code), -1, 0, 0, 0, L"", 0};
  if (code == kPaneKey) {
    auto* key = reinterpret_cast<const PaneKeyRecord*>(record);
    event.key = key->keyCode;
    // Like the main window: F2 renames the focused row.
    ItemListControl* control = ItemListFromWindow(GetDlgItem(window_, key->controlId));
    if (key->keyCode == VK_F2 && control) SendMessageW(control->window, LVM_EDITLABELW, control->focusedIndex, 0);
  }
  events.push_back(event);
  return code == kPaneScrolled ? 1 : 0;
}

LRESULT CALLBACK ListTestParent::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<ListTestParent*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && message == WM_NOTIFY) return self->OnNotify(reinterpret_cast<NMHDR*>(lParam));
  if (self && message == kPaneNotifyMessage) return self->OnPane(wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

FileListRow MakeFileRow(const wchar_t* name, const wchar_t* newName, uint64_t size, uint16_t attributes) {
  FileListRow row = {};
  size_t length = WideLength(name);
  row.length = FileListRowSize(length);
  row.folderIndex = 1;
  row.info.attributes = attributes;
  row.info.size = size;
  CopyWideBounded(name, row.currentName, kFileNameCapacity);
  CopyWideBounded(newName, row.newName, kFileNameCapacity);
  return row;
}

std::vector<uint8_t> MakePlainRow(uint16_t length) {
  std::vector<uint8_t> row(length, 0);
  memcpy(row.data(), &length, sizeof length);
  return row;
}

void AppendFileRows(ItemListControl* control, int count) {
  for (int i = 0; i < count; ++i) {
    std::wstring name = L"file" + std::to_wstring(i) + L".txt";
    std::wstring renamed = L"renamed" + std::to_wstring(i) + L".txt";
    FileListRow row = MakeFileRow(name.c_str(), renamed.c_str(), 100 + i);
    ItemStoreAppend(&control->rows, &row, row.length);
  }
  ItemsViewLayout(control, false);
}

void AppendPlainRows(ItemListControl* control, int count) {
  std::vector<uint8_t> row = MakePlainRow();
  for (int i = 0; i < count; ++i) ItemStoreAppend(&control->rows, row.data(), static_cast<uint32_t>(row.size()));
  ItemsViewLayout(control, false);
}
