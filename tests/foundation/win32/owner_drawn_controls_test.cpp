// Dialog controls drawn by the program: which controls change in which state, the triangle and the button
// painters, and a dialog with owner-drawn buttons, check boxes, radio buttons and a combo box in the light and
// the dark state (kept as pictures among the test artefacts).
#include "foundation/win32/owner_drawn_controls.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <vssym32.h>

#include "foundation/win32/theme.h"
#include "support/dialog_template.h"
#include "theme_fakes.h"
#include "window_image.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kLaterButton = 101;
constexpr int kCheckedBox = 102;
constexpr int kClearBox = 103;
constexpr int kRadio = 104;
constexpr int kCombo = 105;

int CountColour(const WindowImage& image, const RECT& rect, COLORREF colour) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) count += image.At(x, y) == colour ? 1 : 0;
  }
  return count;
}

void Fill(const WindowImage& image, COLORREF colour) {
  const RECT all = {0, 0, image.Width(), image.Height()};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(image.Dc(), &all, brush);
  DeleteObject(brush);
}

INT_PTR CALLBACK ThemedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  static const int kCheckBoxes[] = {kCheckedBox, kClearBox, 0};
  switch (message) {
    case WM_INITDIALOG:
      ApplyWindowTheme(dialog);
      ApplyDarkModeToDlgItem(dialog, IDOK);
      ApplyDarkModeToDlgItem(dialog, kLaterButton);
      SubclassDlgItemsForPaint(dialog, kCheckBoxes);
      SubclassButtonForHover(dialog, kRadio);
      ApplyDarkModeToComboById(dialog, kCombo, kComboPaintPlain, true);
      CheckDlgButton(dialog, kCheckedBox, BST_CHECKED);
      CheckDlgButton(dialog, kRadio, BST_CHECKED);
      SendDlgItemMessageW(dialog, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Name"));
      SendDlgItemMessageW(dialog, kCombo, CB_SETCURSEL, 0, 0);
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(HandleCtlColorDark(reinterpret_cast<HDC>(wParam)));
    case WM_DRAWITEM:
      return RedrawOwnerDrawnButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    default:
      return FALSE;
  }
}

HWND CreateThemedDialog() {
  DialogTemplate dialog(L" Controls", 160, 90);
  dialog.AddControl(L"BUTTON", L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 8, 66, 60, 16);
  dialog.AddControl(L"BUTTON", L"Later", kLaterButton, BS_PUSHBUTTON | WS_DISABLED, 76, 66, 60, 16);
  dialog.AddControl(L"BUTTON", L"Checked", kCheckedBox, BS_AUTOCHECKBOX | WS_TABSTOP, 8, 8, 70, 12);
  dialog.AddControl(L"BUTTON", L"Clear", kClearBox, BS_AUTOCHECKBOX | WS_TABSTOP, 8, 24, 70, 12);
  dialog.AddControl(L"BUTTON", L"Radio", kRadio, BS_AUTORADIOBUTTON, 8, 40, 70, 12);
  dialog.AddControl(L"COMBOBOX", L"", kCombo, CBS_DROPDOWNLIST | WS_VSCROLL, 86, 8, 66, 60);
  return dialog.Create(nullptr, ThemedDialogProc);
}

// Where a control lies in the picture of its dialog's client area.
RECT ChildRectInClient(HWND dialog, int id) {
  RECT rect = {};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The dialog's client area with its background, then each control printed on its own and copied to its place
// (controls that draw their parent's background behind them do not print at an offset).
void RenderDialog(HWND dialog, WindowImage* image) {
  SendMessageW(dialog, WM_PRINT, reinterpret_cast<WPARAM>(image->Dc()), PRF_CLIENT | PRF_ERASEBKGND);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect = ChildRectInClient(dialog, GetDlgCtrlID(child));
    WindowImage control(rect.right - rect.left, rect.bottom - rect.top);
    SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(control.Dc()), PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
    BitBlt(image->Dc(), rect.left, rect.top, control.Width(), control.Height(), control.Dc(), 0, 0, SRCCOPY);
  }
}

DRAWITEMSTRUCT ButtonItem(HDC dc, UINT state) {
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_BUTTON;
  item.itemState = state;
  item.hDC = dc;
  item.rcItem = RECT{0, 0, 90, 30};
  return item;
}

}  // namespace

TEST(OwnerDrawnControls, TheTriangleHasRowsOfOneToFourPixelsAndTouchesNothingElse) {
  WindowImage image(12, 12);
  Fill(image, kWhite);
  const COLORREF red = RGB(255, 0, 0);
  DrawRightTriangle(image.Dc(), 2, 2, red);
  const int rows[12] = {0, 0, 1, 2, 3, 4, 3, 2, 1, 0, 0, 0};
  for (int y = 0; y < 12; ++y) {
    EXPECT_EQ(CountColour(image, RECT{0, y, 12, y + 1}, red), rows[y]) << y;
    EXPECT_EQ(CountColour(image, RECT{2, y, 2 + rows[y], y + 1}, red), rows[y]) << y;
  }
  EXPECT_EQ(CountColour(image, RECT{0, 0, 12, 12}, kWhite), 144 - 16);
}

TEST(OwnerDrawnControls, ControlsChangeOnlyInDarkModeAndNeverOnOldSystems) {
  struct Case {
    int versionCode;  // 0: the system's
    bool dark;
    bool changed;
  };
  for (const Case& c : {Case{0, false, false}, Case{0, true, true}, Case{7, true, false}}) {
    DarkThemeScope scope(true, c.versionCode);
    SetDarkModePreference(c.dark ? kAppModeForceDark : kAppModeForceLight);
    DialogTemplate dialog(L" Controls", 100, 60);
    dialog.AddControl(L"BUTTON", L"OK", IDOK, BS_PUSHBUTTON, 4, 4, 40, 14);
    dialog.AddControl(L"BUTTON", L"Box", kCheckedBox, BS_AUTOCHECKBOX, 4, 20, 40, 12);
    HWND window = dialog.Create(nullptr);
    HWND button = GetDlgItem(window, IDOK);
    HWND box = GetDlgItem(window, kCheckedBox);
    const LONG_PTR boxProc = GetWindowLongPtrW(box, GWLP_WNDPROC);
    ApplyDarkModeToControl(button);
    SubclassDlgItemForPaint(window, kCheckedBox);
    EXPECT_EQ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW, c.changed) << c.versionCode;
    EXPECT_EQ(GetWindowLongPtrW(box, GWLP_WNDPROC) != boxProc, c.changed) << c.versionCode;
    DestroyWindow(window);
  }
}

TEST(OwnerDrawnControls, ButtonsDrawTheirTextInTheSlotColoursAndDisabledOnesEmbossed) {
  DarkThemeScope scope;
  SetDarkModePreference(kAppModeForceDark);
  const COLORREF text = GetThemeColorByIndex(kSlotButtonText);
  const COLORREF light = GetThemeColorByIndex(kSlotButtonHighlight);
  const COLORREF grey = GetThemeColorByIndex(kSlotGrayText);
  for (bool disabled : {false, true}) {
    WindowImage image(90, 30);
    const DRAWITEMSTRUCT item = ButtonItem(image.Dc(), disabled ? ODS_DISABLED : 0);
    DrawOwnerDrawnButton(&item, L"HHHH", nullptr);
    const RECT all = {0, 0, 90, 30};
    EXPECT_EQ(CountColour(image, all, text) > 0, !disabled);
    EXPECT_EQ(CountColour(image, all, light) > 0, disabled);
    EXPECT_EQ(CountColour(image, all, grey) > 0, disabled);
  }
}

TEST(OwnerDrawnControls, ADialogInTheLightAndTheDarkStateShowsTheSlotColours) {
  DarkThemeScope scope;
  for (bool dark : {false, true}) {
    SetDarkModePreference(dark ? kAppModeForceDark : kAppModeForceLight);
    HWND dialog = CreateThemedDialog();
    ASSERT_NE(dialog, nullptr);
    // Shown, as hidden controls do not paint themselves, but not activated.
    ShowWindow(dialog, SW_SHOWNOACTIVATE);
    UpdateWindow(dialog);
    RECT client = {};
    GetClientRect(dialog, &client);
    WindowImage image(client.right, client.bottom);
    RenderDialog(dialog, &image);
    EXPECT_TRUE(image.SavePng(ArtifactPath(dark ? L"themed_dialog_dark.png" : L"themed_dialog_light.png")));
    const COLORREF background = GetThemeColorByIndex(kSlotButtonFace);
    EXPECT_EQ(background, dark ? FakeItemsViewColour(TMT_FILLCOLOR) : GetSysColor(COLOR_BTNFACE));
    // The dialog's own background, right of the check boxes and below the combo box.
    const RECT box = ChildRectInClient(dialog, kClearBox);
    const RECT combo = ChildRectInClient(dialog, kCombo);
    EXPECT_EQ(image.At(combo.left + 4, box.bottom), background);
    // The check boxes: a glyph that is not the background, on the background above it.
    const RECT checked = ChildRectInClient(dialog, kCheckedBox);
    const int cell = GetUiFontCellSize();
    EXPECT_TRUE(image.AnyOtherThan(RECT{checked.left, checked.top, checked.left + cell, checked.bottom}, background));
    if (dark) {
      EXPECT_EQ(image.At(checked.left + cell + 1, checked.top), background);
      // The combo box: its frame and its fill left of the button.
      COMBOBOXINFO info = {};
      info.cbSize = sizeof info;
      GetComboBoxInfo(GetDlgItem(dialog, kCombo), &info);
      EXPECT_EQ(image.At(combo.left, (combo.top + combo.bottom) / 2), GetThemeColorByIndex(kSlotDarkShadow));
      EXPECT_EQ(image.At(combo.left + info.rcButton.left - 3, combo.top + 3), GetThemeColorByIndex(kSlotWindow));
      EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    }
    DestroyWindow(dialog);
  }
}
