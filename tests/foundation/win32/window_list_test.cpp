// The list of other programs' top-level windows, their executables and icons, and switching to one.
#include "foundation/win32/window_list.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/text/bounded_text.h"

namespace {

const wchar_t kIconClass[] = L"QvrxTestListedWithIcon";
const wchar_t kPlainClass[] = L"QvrxTestListedPlain";

void RegisterListedClass(const wchar_t* name, HICON icon) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = icon;
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);
}

// Three visible windows of this process; the last one shown, without a class icon, lies on top.
class WindowList : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterListedClass(kIconClass, LoadIconW(nullptr, IDI_APPLICATION));
    RegisterListedClass(kPlainClass, nullptr);
    first_ = Show(kIconClass, L"qvrx list first");
    second_ = Show(kIconClass, L"qvrx list second");
    plain_ = Show(kPlainClass, L"qvrx list plain");
  }
  void TearDown() override {
    DestroyWindow(first_);
    DestroyWindow(second_);
    DestroyWindow(plain_);
  }

  static HWND Show(const wchar_t* windowClass, const wchar_t* title) {
    HWND window = CreateWindowExW(0, windowClass, title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return window;
  }

  // The windows of this process in the list, in list order.
  static std::vector<HWND> Listed(HWND skip, DWORD skipProcess, int capacity = kWindowListLimit) {
    std::vector<TopLevelWindow> windows(static_cast<size_t>(capacity));
    int count = 0;
    EnumerateTopLevelWindows(skip, skipProcess, windows.data(), capacity, &count);
    std::vector<HWND> ours;
    for (int i = 0; i < count; ++i) {
      if (windows[i].processId == GetCurrentProcessId()) ours.push_back(windows[i].window);
    }
    return ours;
  }

  HWND first_ = nullptr;
  HWND second_ = nullptr;
  HWND plain_ = nullptr;
};

}  // namespace

TEST_F(WindowList, OneEntryPerProgramUnlessItsWindowsHaveIconsAndDifferentTitles) {
  // The plain window comes first and gives way to the second, which has a class icon; the first one has an
  // icon and another title, so it is listed too.
  EXPECT_EQ(Listed(nullptr, 0), (std::vector<HWND>{second_, first_}));
  EXPECT_EQ(Listed(second_, 0), (std::vector<HWND>{first_}));
  EXPECT_TRUE(Listed(nullptr, GetCurrentProcessId()).empty());
  SetWindowTextW(first_, L"qvrx list second");
  EXPECT_EQ(Listed(nullptr, 0), (std::vector<HWND>{second_})) << "same title, same program: one entry";
  TopLevelWindow one[1];
  int count = 0;
  EnumerateTopLevelWindows(nullptr, 0, one, 1, &count);
  EXPECT_EQ(count, 1) << "the walk stops when the array is full";
}

TEST_F(WindowList, ExecutableIconAndMenu) {
  wchar_t path[MAX_PATH];
  ASSERT_GT(GetProcessExecutablePath(GetCurrentProcessId(), path, MAX_PATH), 0);
  std::wstring name = path;
  name = name.substr(name.find_last_of(L'\\') + 1);
  EXPECT_TRUE(EqualsIgnoreCaseWide(name.c_str(), L"foundation_tests.exe")) << path;
  EXPECT_EQ(GetProcessExecutablePath(0xFFFFFFF0u, path, MAX_PATH), 0);

  TopLevelWindow listed = {first_, GetCurrentProcessId(), 1, L"qvrx list first"};
  HICON icon = GetWindowIconCallback(&listed, 16);
  EXPECT_NE(icon, nullptr);
  DestroyIcon(icon);

  TopLevelWindow windows[2] = {listed, {second_, GetCurrentProcessId(), 1, L"qvrx list second"}};
  HMENU menu = BuildWindowListMenu(windows, 2, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  EXPECT_EQ(GetMenuItemID(menu, 1), kFirstWindowListCommand + 1);
  wchar_t text[64];
  GetMenuStringW(menu, 1, text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"qvrx list second");
  DestroyMenu(menu);

  ShowWindow(first_, SW_MINIMIZE);
  ActivateListedWindow(first_);
  EXPECT_FALSE(IsIconic(first_));
}

TEST_F(WindowList, OwnerDrawnItemsCarryTheWindowWhoseIconTheyShow) {
  std::wstring longTitle(80, L'w');
  TopLevelWindow windows[2] = {{first_, GetCurrentProcessId(), 1, L""}, {plain_, GetCurrentProcessId(), 0, L""}};
  CopyWideString(longTitle.c_str(), windows[0].title, kTitleCapacity);
  CopyWideString(L"qvrx list plain", windows[1].title, kTitleCapacity);
  MenuItemData records[2] = {};
  HMENU menu = BuildWindowListMenu(windows, 2, records);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  for (int i = 0; i < 2; ++i) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_ID;
    ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &info));
    EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(&records[i]));
    EXPECT_EQ(records[i].commandId, info.wID);
    EXPECT_EQ(records[i].flags, 0x30000u);
    EXPECT_EQ(records[i].owner, windows[i].window);
  }
  EXPECT_EQ(std::wstring(records[0].text), longTitle.substr(0, 59)) << "the title cut to the record";
  EXPECT_EQ(std::wstring(records[1].text), L"qvrx list plain");
  DestroyMenu(menu);

  // The first window's class icon; the plain one's comes from the test program's file.
  for (const MenuItemData& record : records) {
    HICON icon = WindowListItemIcon(&record, 16);
    EXPECT_NE(icon, nullptr) << record.commandId;
    if (icon) DestroyIcon(icon);
  }
  MenuItemData other = records[0];
  other.commandId = 7;
  EXPECT_EQ(WindowListItemIcon(&other, 16), nullptr) << "not a window-list item";
}
