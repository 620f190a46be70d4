// Null-safe window wrappers, window classes, window creation and modal dialogs.
#include "foundation/win32/window_wrappers.h"

#include <gtest/gtest.h>

#include "foundation/win32/theme.h"
#include "foundation/win32/window_placement.h"
#include "support/dialog_template.h"
#include "support/test_window.h"

namespace {

constexpr DWORD kUntouchedError = 0x1234;

int g_styleChanges = 0;
WNDPROC g_staticProcedure = nullptr;

LRESULT CALLBACK CountStyleChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_STYLECHANGING) ++g_styleChanges;
  return CallPreviousWindowProc(g_staticProcedure, window, message, wParam, lParam);
}

LRESULT CALLBACK ProcedureA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ProcedureB(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

int g_sizeWidth = -1;
int g_sizeHeight = -1;

LRESULT CALLBACK RecordSize(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) GetClientSizeOrParam(window, lParam, &g_sizeWidth, &g_sizeHeight);
  return DefWindowProcW(window, message, wParam, lParam);
}

INT_PTR CALLBACK EndWithParameter(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  EndDialog(dialog, lParam);
  return TRUE;
}

BOOL CALLBACK TakeFirstNumericName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  if (!IS_INTRESOURCE(name)) return TRUE;
  *reinterpret_cast<int*>(found) = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
  return FALSE;
}

// The dialogs of these tests stay hidden, so their items are judged by their own visible style.
bool ItemVisible(HWND dialog, int id) { return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }

WindowClassFields TestClass(WNDPROC procedure, HBRUSH background) {
  return WindowClassFields{procedure, 0, nullptr, nullptr, nullptr, background, L"QvrxWrapperTestClass",
                         GetModuleHandleW(nullptr)};
}

WNDCLASSEXW ClassInfo(const wchar_t* name) {
  WNDCLASSEXW info = {};
  info.cbSize = sizeof info;
  GetClassInfoExW(GetModuleHandleW(nullptr), name, &info);
  return info;
}

}  // namespace

TEST(WindowWrappers, NullHandlesNeverReachTheSystem) {
  wchar_t wide[8] = L"old";
  WNDPROC slot = nullptr;
  int width = 7;
  int height = 7;
  const int ids[] = {1, 2, 0};
  const int* lists[] = {ids, nullptr};
  SetLastError(kUntouchedError);

  EXPECT_EQ(SendWindowMessage(nullptr, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_FALSE(PostWindowMessage(nullptr, WM_NULL, 0, 0));
  EXPECT_EQ(SendDialogItemMessage(nullptr, 1, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_EQ(GetDialogItem(nullptr, 1), nullptr);
  SetWindowTextSafe(nullptr, L"x");
  SetDialogItemText(nullptr, 1, L"x");
  EXPECT_EQ(GetWindowTextSafe(nullptr, wide, 8), 0);
  EXPECT_STREQ(wide, L"");
  EXPECT_EQ(GetWindowTextLengthSafe(nullptr), 0);
  SubclassWindow(nullptr, ProcedureA, &slot);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(CallPreviousWindowProc(nullptr, nullptr, WM_NULL, 0, 0), 0);
  SetDialogUserData(nullptr, 5);
  SetWindowUserData(nullptr, 5);
  EXPECT_EQ(GetWindowUserData16(nullptr), 0);
  EXPECT_EQ(GetWindowUserData(nullptr), 0);
  SetClassIcon(nullptr, nullptr);
  AddWindowStyle(nullptr, WS_BORDER);
  EXPECT_FALSE(InvalidateWindowRect(nullptr, nullptr, true));
  EXPECT_FALSE(IsWindowSafe(nullptr));
  EXPECT_FALSE(IsWindowShown(nullptr));
  SetFocusSafe(nullptr);
  DestroyWindowIfAlive(nullptr);
  ShowWindowIfAlive(nullptr);
  HideWindowIfAlive(nullptr);
  EnableDlgItem(nullptr, 1, false);
  EnableDlgItemList(nullptr, ids, false);
  HideDlgItemLists(nullptr, lists);
  BringWindowToFront(nullptr);
  PostSizeToSelf(nullptr);
  EXPECT_EQ(GetVisibleWindowHeight(nullptr), 0);
  GetClientSizeOrParam(nullptr, 0, &width, &height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
  CenterWindowOnParent(nullptr);

  // A null handle that reached the system would have set ERROR_INVALID_WINDOW_HANDLE.
  EXPECT_EQ(GetLastError(), kUntouchedError);
}

TEST(WindowWrappers, TextsAreCutToTheBuffer) {
  OwnedWindow window(CreateTestPopup(0, 0, 50, 50));
  SetWindowTextSafe(window, L"Grüße");
  EXPECT_EQ(GetWindowTextLengthSafe(window), 5);

  wchar_t wide[4];
  EXPECT_EQ(GetWindowTextSafe(window, wide, 4), 3);
  EXPECT_STREQ(wide, L"Grü");
}

TEST(WindowWrappers, DialogItemsAreReachedByTheirIds) {
  DialogTemplate layout(L"Items", 200, 100);
  layout.AddControl(L"EDIT", L"", 101, WS_BORDER, 5, 5, 100, 12);
  layout.AddControl(L"BUTTON", L"One", 102, BS_PUSHBUTTON, 5, 20, 50, 14);
  layout.AddControl(L"BUTTON", L"Two", 103, BS_PUSHBUTTON, 60, 20, 50, 14);
  OwnedWindow dialog(layout.Create(nullptr));
  ASSERT_NE(dialog.get(), nullptr);

  SetDialogItemText(dialog, 101, L"typed");
  wchar_t text[16];
  EXPECT_EQ(GetDialogItemText(dialog, 101, text, 16), 5);
  EXPECT_STREQ(text, L"typed");
  EXPECT_EQ(SendDialogItemMessage(dialog, 101, WM_GETTEXTLENGTH, 0, 0), 5);

  const int both[] = {101, 102, 0};
  EnableDlgItemList(dialog, both, false);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 101)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 102)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 103)));
  EnableDlgItem(dialog, 101, true);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 101)));

  const int first[] = {101, 0};
  const int second[] = {103, 999, 0};
  const int* lists[] = {first, second, nullptr};
  HideDlgItemLists(dialog, lists);
  EXPECT_FALSE(ItemVisible(dialog, 101));
  EXPECT_TRUE(ItemVisible(dialog, 102));
  EXPECT_FALSE(ItemVisible(dialog, 103));
  ShowWindow(GetDlgItem(dialog, 103), SW_SHOW);
  HideDlgItem(dialog, 103);
  EXPECT_FALSE(ItemVisible(dialog, 103));
}

TEST(WindowWrappers, SubclassingKeepsTheFirstOriginalProcedure) {
  OwnedWindow label(CreateTestPopup(0, 0, 50, 50));
  OwnedWindow edit(CreateTestPopup(0, 0, 50, 50, false, L"EDIT"));
  WNDPROC labelProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(label, GWLP_WNDPROC));
  g_staticProcedure = nullptr;
  SubclassWindow(label, CountStyleChanges, &g_staticProcedure);
  SubclassWindow(edit, CountStyleChanges, &g_staticProcedure);
  EXPECT_EQ(g_staticProcedure, labelProcedure);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC)), CountStyleChanges);

  // Only a change of the style is written.
  g_styleChanges = 0;
  AddWindowStyle(label, WS_POPUP);
  EXPECT_EQ(g_styleChanges, 0);
  AddWindowStyle(label, WS_BORDER);
  EXPECT_EQ(g_styleChanges, 1);
  EXPECT_NE(GetWindowLongW(label, GWL_STYLE) & WS_BORDER, 0);
}

TEST(WindowWrappers, UserDataIsZeroOnceTheWindowIsGone) {
  DialogTemplate layout(L"Data", 100, 50);
  HWND dialog = layout.Create(nullptr);
  SetDialogUserData(dialog, 0x1234567890LL);
  SetWindowUserData(dialog, 77);
  EXPECT_EQ(GetWindowUserData16(dialog), 0x1234567890LL);
  EXPECT_EQ(GetWindowUserData(dialog), 77);
  DestroyWindowIfAlive(dialog);
  EXPECT_FALSE(IsWindowSafe(dialog));
  EXPECT_EQ(GetWindowUserData16(dialog), 0);
  EXPECT_EQ(GetWindowUserData(dialog), 0);
}

TEST(WindowWrappers, InvalidateSkipsEmptyRectangles) {
  OwnedWindow window(CreateTestPopup(0, 0, 100, 100, true));
  ValidateRect(window, nullptr);
  RECT empty = {10, 10, 10, 50};
  RECT inverted = {10, 50, 60, 20};
  EXPECT_FALSE(InvalidateWindowRect(window, &empty, false));
  EXPECT_FALSE(InvalidateWindowRect(window, &inverted, false));
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
  RECT part = {10, 10, 20, 20};
  EXPECT_TRUE(InvalidateWindowRect(window, &part, false));
  RECT update;
  EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
  EXPECT_TRUE(EqualRect(&update, &part));
}

TEST(WindowWrappers, ShowingHidingAndBringingToFront) {
  OwnedWindow window(CreateTestPopup(10, 10, 120, 80));
  EXPECT_EQ(GetVisibleWindowHeight(window), 0);
  ShowWindowIfAlive(window);
  EXPECT_TRUE(IsWindowShown(window));
  EXPECT_EQ(GetVisibleWindowHeight(window), 80);
  ShowWindowCmd(window, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window));
  BringWindowToFront(window);
  EXPECT_FALSE(IsIconic(window));
  HideWindowIfAlive(window);
  EXPECT_FALSE(IsWindowShown(window));
  BringWindowToFront(window);
  EXPECT_TRUE(IsWindowShown(window));
}

TEST(WindowWrappers, ClientSizeComesFromTheSizeParameterOrTheWindow) {
  WindowClassFields fields = {RecordSize, 0, nullptr, nullptr, nullptr, nullptr, L"QvrxSizeTestClass",
                          GetModuleHandleW(nullptr)};
  WindowPlacementRecord rect = {0, 0, 130, 70, 0};
  WindowFields create = {0, nullptr, WS_POPUP, &rect, nullptr, nullptr, nullptr, nullptr};
  OwnedWindow window(CreateWindowRegistered(fields, create));
  ASSERT_NE(window.get(), nullptr);
  int width = 0;
  int height = 0;
  GetClientSizeOrParam(window, MAKELPARAM(33, 44), &width, &height);
  EXPECT_EQ(width, 33);
  EXPECT_EQ(height, 44);
  GetClientSizeOrParam(window, 0, &width, &height);
  EXPECT_EQ(width, 130);
  EXPECT_EQ(height, 70);

  g_sizeWidth = g_sizeHeight = -1;
  PostSizeToSelf(window);
  PumpWaitingMessages();
  EXPECT_EQ(g_sizeWidth, 130);
  EXPECT_EQ(g_sizeHeight, 70);
}

TEST(WindowWrappers, ClassWithTheSameBrushIsKeptAndAnotherBrushReplacesIt) {
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  ASSERT_EQ(RegisterWindowClass(TestClass(ProcedureA, black)), 0u);
  WNDCLASSEXW first = ClassInfo(L"QvrxWrapperTestClass");
  EXPECT_EQ(first.hbrBackground, black);
  EXPECT_EQ(first.cbWndExtra, kWindowClassExtraBytes);
  EXPECT_EQ(first.hCursor, LoadCursorW(nullptr, IDC_ARROW));

  EXPECT_EQ(RegisterWindowClass(TestClass(ProcedureB, black)), 0u);
  EXPECT_EQ(ClassInfo(L"QvrxWrapperTestClass").lpfnWndProc, ProcedureA);

  EXPECT_EQ(RegisterWindowClass(TestClass(ProcedureB, white)), 0u);
  WNDCLASSEXW replaced = ClassInfo(L"QvrxWrapperTestClass");
  EXPECT_EQ(replaced.hbrBackground, white);
  EXPECT_EQ(replaced.lpfnWndProc, ProcedureB);

  EXPECT_EQ(RegisterWindowClass(TestClass(ProcedureB, nullptr)), 0u);
  EXPECT_EQ(ClassInfo(L"QvrxWrapperTestClass").hbrBackground, GetDialogBackgroundBrush());

  // Without an instance the class belongs to the program's module, and registering it again keeps it.
  WindowClassFields moduleClass = TestClass(ProcedureA, black);
  moduleClass.instance = nullptr;
  EXPECT_EQ(RegisterWindowClass(moduleClass), 0u);
  EXPECT_EQ(ClassInfo(L"QvrxWrapperTestClass").hbrBackground, black);
  EXPECT_EQ(RegisterWindowClass(moduleClass), 0u);
}

TEST(WindowWrappers, ClassInUseCannotTakeAnotherBrush) {
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  WindowClassFields fields = {ProcedureA, 0, nullptr, nullptr, nullptr, black, L"QvrxBusyTestClass",
                          GetModuleHandleW(nullptr)};
  WindowFields create = {0, nullptr, WS_POPUP, nullptr, nullptr, nullptr, nullptr, nullptr};
  OwnedWindow window(CreateWindowRegistered(fields, create));
  ASSERT_NE(window.get(), nullptr);
  fields.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  EXPECT_NE(RegisterWindowClass(fields), 0u);
  EXPECT_EQ(ClassInfo(L"QvrxBusyTestClass").hbrBackground, black);
}

TEST(WindowWrappers, CreatedWindowsTakeRectangleTextAndTheParentsInstance) {
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  ASSERT_NE(shell, nullptr);
  OwnedWindow parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, shell, nullptr));
  WindowPlacementRecord rect = {12, 34, 56, 78, 0};
  WindowFields child = {0, nullptr, WS_CHILD, &rect, parent, reinterpret_cast<HMENU>(7), nullptr, nullptr};
  HWND created = CreateWindowWithRect(L"STATIC", child);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(reinterpret_cast<HMODULE>(GetWindowLongPtrW(created, GWLP_HINSTANCE)), shell);
  EXPECT_EQ(GetDlgCtrlID(created), 7);
  EXPECT_EQ(GetWindowTextLengthW(created), 0);
  RECT placed;
  GetWindowRect(created, &placed);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, 12);
  EXPECT_EQ(placed.top, 34);
  EXPECT_EQ(placed.right - placed.left, 56);
  EXPECT_EQ(placed.bottom - placed.top, 78);

  WindowFields bare = {0, L"named", WS_CHILD, nullptr, parent, nullptr, nullptr, nullptr};
  HWND unsized = CreateWindowWithRect(L"STATIC", bare);
  GetWindowRect(unsized, &placed);
  EXPECT_EQ(placed.right - placed.left, 0);
  wchar_t text[8];
  GetWindowTextW(unsized, text, 8);
  EXPECT_STREQ(text, L"named");
}

TEST(WindowWrappers, ModalDialogComesFromTheParentsModule) {
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  int templateId = 0;
  EnumResourceNamesW(shell, MAKEINTRESOURCEW(5), TakeFirstNumericName, reinterpret_cast<LONG_PTR>(&templateId));
  if (templateId == 0) GTEST_SKIP() << "shell32 has no dialog template with a numeric id here";
  OwnedWindow parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, shell, nullptr));

  OwnedWindow ownParent(CreateTestPopup(0, 0, 300, 200));

  EXPECT_EQ(ShowModalDialog(nullptr, templateId, parent, EndWithParameter, 42), 42);
  EXPECT_EQ(ShowModalDialog(shell, templateId, ownParent, EndWithParameter, 43), 43);
  // The program's own module has no such template.
  EXPECT_EQ(ShowModalDialog(nullptr, templateId, ownParent, EndWithParameter, 44), -1);
}

TEST(WindowWrappers, CenterWindowOnParentUsesTheOwner) {
  OwnedWindow owner(CreateTestPopup(100, 100, 600, 400, true));
  OwnedWindow window(CreateTestPopup(0, 0, 200, 100, true, L"STATIC", owner));
  CenterWindowOnParent(window);
  RECT rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 300);
  EXPECT_EQ(rect.top, 250);
}
