#include "pane_test_parent.h"

#include <commctrl.h>

#include "foundation/win32/window_wrappers.h"
#include "views/address_bar.h"
#include "views/folder_tree.h"

namespace {

constexpr wchar_t kParentClass[] = L"QvrxPaneTestParent";

bool IsLogged(UINT message) {
  return message == WM_SIZE || (message >= kAddressBarMenuMessage && message <= kNavigateToPathMessage);
}

}  // namespace

PaneTestParent::PaneTestParent(int width, int height) {
  WindowClassFields fields = {Proc, 0, nullptr, nullptr, nullptr, nullptr, kParentClass, GetModuleHandleW(nullptr)};
  WindowFields create = {0, L"pane test", WS_POPUP | WS_CLIPCHILDREN, nullptr, nullptr, nullptr, nullptr, this};
  window_ = CreateWindowRegistered(fields, create);
  SetWindowPos(window_, nullptr, 20, 20, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  messages.clear();
}

PaneTestParent::~PaneTestParent() {
  if (IsWindow(window_)) DestroyWindow(window_);
}

void PaneTestParent::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool PaneTestParent::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    Pump();
  }
  return true;
}

int PaneTestParent::Count(UINT message) const {
  int count = 0;
  for (const PaneMessage& logged : messages) count += logged.message == message;
  return count;
}

std::vector<std::wstring> PaneTestParent::Navigations() const {
  std::vector<std::wstring> paths;
  for (const PaneMessage& logged : messages) {
    if (logged.message == kNavigateToPathMessage) paths.push_back(logged.path);
  }
  return paths;
}

LRESULT CALLBACK PaneTestParent::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    SetWindowUserData(window, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<PaneTestParent*>(GetWindowUserData(window));
  return self ? self->Handle(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT PaneTestParent::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsLogged(message)) {
    const bool navigation = message == kNavigateToPathMessage;
    messages.push_back({message, wParam, lParam, navigation ? reinterpret_cast<const wchar_t*>(lParam) : L""});
    if (navigation) return 1;
  }
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->idFrom != kFolderTreeId) return 0;
    if (header->code == TVN_SELCHANGEDW) {
      wchar_t path[kTreeNodePathCapacity];
      const auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
      GetTreeNodePath(header->hwndFrom, change->itemNew.hItem, path, kTreeNodePathCapacity, kPathToOpen);
      selectedFolders.push_back(path);
      return 0;
    }
    return HandleFolderTreeNotify(header);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
