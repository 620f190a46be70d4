// The error box, attribute letters, pane and bar toggles and the language dialog's helpers.
#include "foundation/ui/ui_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ui/resource_ids.h"
#include "foundation/files/system_errors.h"
#include "program_state_scope.h"
#include "support/dialog_template.h"
#include "support/process_driver.h"
#include "support/test_window.h"

namespace {

// The system's text of a code without its closing line break.
std::wstring SystemText(DWORD code) {
  wchar_t text[1024];
  FormatSystemErrorText(code, text, 1024, false);
  std::wstring trimmed = text;
  while (!trimmed.empty() && (trimmed.back() == L'\n' || trimmed.back() == L'\r')) trimmed.pop_back();
  return trimmed;
}

std::wstring Letters(DWORD attributes, int capacity = 16) {
  wchar_t buffer[16] = L"?";
  FormatAttributeLetters(attributes, buffer, capacity);
  return buffer;
}

std::vector<LPARAM> g_sizes;

// The procedure of a main window that records the sizes its WM_SIZE messages carry.
LRESULT CALLBACK RecordSizes(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) g_sizes.push_back(lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateChild(HWND parent) {
  return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent, nullptr, nullptr, nullptr);
}

bool HasVisibleStyle(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// Fills the language list with two entries and ends the dialog through EndDialogWithSelectedItem; lParam is
// the entry to select (-1: none).
INT_PTR CALLBACK ChooseLanguageProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
  SendMessageW(list, LB_SETITEMDATA, SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"English")),
               0x5355);
  SendMessageW(list, LB_SETITEMDATA, SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Deutsch")),
               0x4544);
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(lParam), 0);
  EndDialogWithSelectedItem(dialog);
  return TRUE;
}

INT_PTR CALLBACK CountDeactivations(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) {
    ++*reinterpret_cast<int*>(GetWindowLongPtrW(dialog, DWLP_USER));
  }
  return FALSE;
}

}  // namespace

TEST(UiOperations, ErrorBoxesShowTheSystemsTextWithThePath) {
  ProgramStateScope state(L"Quorvex");
  DialogWatcher watcher(GetCurrentProcessId(), IDOK);
  EXPECT_EQ(ShowLastErrorMessage(nullptr, ERROR_FILE_NOT_FOUND, L"C:\\a\\b.txt"), IDOK);
  ASSERT_FALSE(SystemText(ERROR_FILE_NOT_FOUND).empty());
  EXPECT_EQ(watcher.LastText(), SystemText(ERROR_FILE_NOT_FOUND) + L"\r\n\r\nC:\\a\\b.txt");
  EXPECT_EQ(watcher.LastCaption(), L"Quorvex");

  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(ShowLastErrorMessage(nullptr, 0, nullptr), IDOK) << "code 0 takes the last error";
  const std::wstring denied = SystemText(ERROR_ACCESS_DENIED);
  EXPECT_EQ(watcher.LastText().substr(0, denied.size()), denied);

  SetLastError(0);
  EXPECT_EQ(ShowLastErrorMessage(nullptr, 0, L"C:\\x"), 0) << "no error, no box";
  EXPECT_EQ(ShowLastErrorMessage(nullptr, 0x2000FFFF, L"C:\\x"), 2) << "no text, no box";
  EXPECT_EQ(watcher.Answered(), 2);
}

TEST(UiOperations, AttributeLettersComeInTheirFixedOrder) {
  EXPECT_EQ(Letters(0x27), L"RAHS");
  EXPECT_EQ(Letters(0x4827 | FILE_ATTRIBUTE_DIRECTORY), L"RAHSEC");
  EXPECT_EQ(Letters(0x27, 3), L"RA");
}

TEST(UiOperations, PanesAndBarsToggleWithTheirOptionBits) {
  OwnedWindow main(CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                   nullptr, nullptr));
  SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordSizes));
  HWND pane = CreateChild(main);
  HWND bar = CreateChild(main);
  OptionWord options{};
  options.Change(0, 0x1);
  TogglePaneVisibility(main, pane, &options, 0x4);
  EXPECT_TRUE(!HasVisibleStyle(pane) && options == 0x5u);
  TogglePaneVisibility(main, pane, &options, 0x4);
  EXPECT_TRUE(HasVisibleStyle(pane) && options == 0x1u);

  int32_t shown = 1;
  ToggleBarVisibility(main, bar, &shown, &options, 0x8000);
  EXPECT_TRUE(!HasVisibleStyle(bar) && shown == 0 && options == 0x8001u) << "a set bit means hidden";
  ToggleBarVisibility(main, bar, &shown, &options, 0x8000);
  EXPECT_TRUE(HasVisibleStyle(bar) && shown == 1 && options == 0x1u);

  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(g_sizes, std::vector<LPARAM>(4, MAKELPARAM(client.right, client.bottom)))
      << "every toggle lays the main window out";
}

TEST(UiOperations, TheLanguageDialogSetsTheDialogIconOrEndsWithTheChosenLanguage) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 32, 32, 0));
  ASSERT_NE(icon, nullptr);
  DialogTemplate layout(L"Other", 80, 40);
  int deactivations = 0;
  OwnedWindow before(layout.Create(nullptr, CountDeactivations, reinterpret_cast<LPARAM>(&deactivations)));
  ShowWindow(before, SW_SHOW);
  SetActiveWindow(before);
  const LONG_PTR previous = GetClassLongPtrW(before, GCLP_HICON);
  EXPECT_EQ(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_LANGUAGE), before, IconOnlyDialogProc,
                            reinterpret_cast<LPARAM>(icon)),
            kIconOnlyDialogResult);
  // Never shown, the dialog never takes the activation from its owner either.
  EXPECT_EQ(deactivations, 0);
  EXPECT_EQ(GetActiveWindow(), static_cast<HWND>(before));
  OwnedWindow after(layout.Create(nullptr));
  EXPECT_EQ(GetClassLongPtrW(after, GCLP_HICON), reinterpret_cast<LONG_PTR>(icon));
  SetClassLongPtrW(after, GCLP_HICON, previous);
  DestroyIcon(icon);

  EXPECT_EQ(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_LANGUAGE), nullptr, ChooseLanguageProc, 1), 0x4544);
  EXPECT_EQ(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_LANGUAGE), nullptr, ChooseLanguageProc, -1), 0);
}
