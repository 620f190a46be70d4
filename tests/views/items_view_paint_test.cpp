// Painting: selection and hover colours blended from the system colours, the parent's custom-draw colours, grid
// lines, check boxes, partly shown rows, and a screenshot of a file list kept as a test artefact.
#include <gtest/gtest.h>

#include "foundation/win32/gdi.h"
#include "foundation/core/item_store.h"
#include "list_test_parent.h"
#include "support/temp_folder.h"
#include "ui_text_scope.h"
#include "views/items_view.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"
#include "views/items_view_state.h"
#include "views/items_view_window.h"
#include "window_image.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(200, 0, 0);

const UiStringRecord kCaptions[] = {{-1, L"US"}, {50, L"Name"}, {51, L"New name"}, {52, L"Size"}, {0, nullptr}};

class ListPainting : public testing::Test {
 protected:
  ItemListControl* FileList(uint32_t style, int rows) {
    ItemListControl* list = parent_.CreateList(1, style, {{50, 150, 0, 0}, {51, 150, 1, 0}, {52, 75, 2, 1}});
    SendMessageW(list->window, LVM_SETBKCOLOR, 0, kWhite);
    SendMessageW(list->window, LVM_SETTEXTCOLOR, 0, kBlack);
    AppendFileRows(list, rows);
    return list;
  }

  // A pixel of a row's cell, on the side its text does not start from (the right end of a left-aligned text's
  // cell, the left end of a right-aligned one) and off the frame lines. The text is measured in the list's own
  // font, so that a font wide enough to reach the pixel fails here and not as a wrong colour.
  static POINT BesideText(const ItemListControl* list, int index, int column) {
    const struct {
      int left;
      int width;
      bool rightAligned;
    } kCells[] = {{0, 150, false}, {150, 150, false}, {300, 75, true}};
    const auto& cell = kCells[column];
    wchar_t text[kFileNameCapacity] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = kFileNameCapacity;
    SendMessageW(list->window, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    HDC dc = GetDC(list->window);
    HGDIOBJ previous = SelectObject(dc, list->font);
    const int textWidth = MeasureTextWidth(dc, text, -1);
    SelectObject(dc, previous);
    ReleaseDC(list->window, dc);
    constexpr int kFromEdge = 4;
    EXPECT_LT(textWidth + 2 * list->textMargin, cell.width - 2 * kFromEdge) << "no room beside the text of row "
                                                                            << index << ", column " << column;
    RECT row;
    GetItemPartRect(list, index, kPartWhole, &row);
    const int x = cell.rightAligned ? cell.left + kFromEdge : cell.left + cell.width - 1 - kFromEdge;
    return POINT{row.left + x, row.top + 3};
  }

  COLORREF Pixel(ItemListControl* list, POINT at) {
    RECT client;
    GetClientRect(list->window, &client);
    WindowImage image(client.right, client.bottom);
    RenderClient(list->window, &image);
    return image.At(at.x, at.y);
  }

  UiTextScope texts_{kCaptions};
  ListTestParent parent_{520, 240};
};

}  // namespace

TEST_F(ListPainting, SelectionShadesFollowTheFocus) {
  ItemListControl* list = FileList(0, 5);
  ItemsViewSetItemState(list, 1, kRowFocused | kRowSelected, kRowFocused | kRowSelected);
  ItemsViewSetItemState(list, 2, kRowSelected, kRowSelected);
  SendMessageW(list->window, WM_SETFOCUS, 0, 0);
  COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(Pixel(list, BesideText(list, 1, 0)), BlendColors(highlight, kWhite, 2));
  EXPECT_EQ(Pixel(list, BesideText(list, 2, 0)), BlendColors(highlight, kWhite, 8));
  // Without full-row selection only the main column is shaded.
  EXPECT_EQ(Pixel(list, BesideText(list, 1, 1)), kWhite);

  SendMessageW(list->window, WM_KILLFOCUS, 0, 0);
  COLORREF face = BlendColors(GetSysColor(COLOR_BTNFACE), kWhite, 1);
  EXPECT_EQ(Pixel(list, BesideText(list, 1, 0)), face);
  EXPECT_EQ(Pixel(list, BesideText(list, 2, 0)), face);

  ItemsViewApplyStyle(list, kListFullRowSelect);
  EXPECT_EQ(Pixel(list, BesideText(list, 1, 1)), face);
  ItemsViewApplyStyle(list, kListFullRowSelect | kListNoSelectionColour);
  EXPECT_EQ(Pixel(list, BesideText(list, 1, 1)), kWhite);
}

TEST_F(ListPainting, ParentColoursAnnouncedRowsAndCells) {
  ItemListControl* list = FileList(0, 5);
  parent_.prepaintAnswer = CDRF_NOTIFYITEMDRAW;
  parent_.colouredRow = 3;
  parent_.colouredText = kRed;
  parent_.colouredBack = kYellow;
  EXPECT_EQ(Pixel(list, BesideText(list, 3, 0)), kYellow);
  EXPECT_EQ(Pixel(list, BesideText(list, 2, 0)), kWhite);

  parent_.colouredSubItem = 1;
  EXPECT_EQ(Pixel(list, BesideText(list, 3, 1)), kYellow);
  EXPECT_EQ(Pixel(list, BesideText(list, 3, 0)), kWhite);
}

TEST_F(ListPainting, GridLinesUseTheDerivedColourAndCutRowsStillPaint) {
  ItemListControl* list = FileList(kListGridLines, 0);
  EXPECT_EQ(list->lineColour, RGB(235, 235, 235));
  RECT client;
  GetClientRect(list->window, &client);
  WindowImage empty(client.right, client.bottom);
  RenderClient(list->window, &empty);
  int top = list->headerHeight;
  EXPECT_EQ(empty.At(149, top + 5), list->lineColour);
  EXPECT_EQ(empty.At(10, top + list->rowHeight - 1), list->lineColour);
  EXPECT_FALSE(empty.AnyOtherThan(RECT{0, top, 148, top + list->rowHeight - 1}, kWhite));

  // A row that the bottom edge cuts in half is painted; the next one is not visited.
  AppendFileRows(list, 40);
  RECT frame;
  GetWindowRect(list->window, &frame);
  int heightBeyondClient = (frame.bottom - frame.top) - client.bottom;
  MoveWindow(list->window, 0, 0, frame.right - frame.left, heightBeyondClient + top + 5 * list->rowHeight / 2, TRUE);
  GetClientRect(list->window, &client);
  RECT cut;
  ASSERT_EQ(GetItemPartRect(list, 2, kPartWhole, &cut), 1);
  EXPECT_EQ(GetItemPartRect(list, 3, kPartWhole, &cut), 0);
  WindowImage filled(client.right, client.bottom);
  RenderClient(list->window, &filled);
  EXPECT_TRUE(filled.AnyOtherThan(RECT{0, top + 2 * list->rowHeight, 100, client.bottom}, kWhite));
}

TEST_F(ListPainting, CheckBoxesDrawTheirState) {
  ItemListControl* list = FileList(kListCheckBoxes, 2);
  ItemsViewSetItemCheck(list, 0, 1);
  RECT set;
  RECT clear;
  ASSERT_TRUE(GetItemPartRect(list, 0, kPartCheckBox, &set));
  ASSERT_TRUE(GetItemPartRect(list, 1, kPartCheckBox, &clear));
  RECT client;
  GetClientRect(list->window, &client);
  WindowImage image(client.right, client.bottom);
  RenderClient(list->window, &image);
  int differing = 0;
  for (int y = 0; y < kCheckBoxSize; ++y) {
    for (int x = 0; x < kCheckBoxSize; ++x)
      differing += image.At(set.left + x, set.top + y) != image.At(clear.left + x, clear.top + y);
  }
  EXPECT_GT(differing, 4);
}

TEST_F(ListPainting, ScreenshotOfAFileListWithNewNamesAndAMarkedName) {
  ItemListControl* list = FileList(kListGridLines | kListFullRowSelect, 12);
  FileListRow marked = MakeFileRow(L"report.txt", L"report?.txt");
  ItemsViewUpdateItem(list, 4, &marked);
  parent_.prepaintAnswer = CDRF_NOTIFYITEMDRAW;
  parent_.colouredRow = 4;
  parent_.colouredSubItem = 1;
  parent_.colouredText = kRed;
  parent_.colouredBack = kYellow;
  ItemsViewSetItemState(list, 2, kRowFocused | kRowSelected, kRowFocused | kRowSelected);
  SendMessageW(list->window, WM_SETFOCUS, 0, 0);

  // The list's own font, then a wider one such as another machine may give it: the pixels checked stay beside
  // the texts.
  const HFONT own = list->font;
  LOGFONTW description = {};
  GetObjectW(own, sizeof description, &description);
  description.lfHeight = description.lfHeight * 3 / 2;
  description.lfWidth = 0;
  const HFONT wider = CreateFontIndirectW(&description);
  for (HFONT font : {own, wider}) {
    SendMessageW(list->window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    RECT frame;
    GetWindowRect(parent_.Window(), &frame);
    WindowImage image(frame.right - frame.left, frame.bottom - frame.top);
    RenderWindowTree(parent_.Window(), &image);
    if (font == own) {
      EXPECT_TRUE(image.SavePng(ArtifactPath(L"list_control_file_list.png")));
    }

    POINT clientOrigin = {0, 0};
    ClientToScreen(list->window, &clientOrigin);
    POINT at = BesideText(list, 4, 1);
    EXPECT_EQ(image.At(at.x + clientOrigin.x - frame.left, at.y + clientOrigin.y - frame.top), kYellow);
    at = BesideText(list, 2, 2);
    EXPECT_EQ(image.At(at.x + clientOrigin.x - frame.left, at.y + clientOrigin.y - frame.top),
              BlendColors(GetSysColor(COLOR_HIGHLIGHT), kWhite, 2));
  }
  SendMessageW(list->window, WM_SETFONT, reinterpret_cast<WPARAM>(own), TRUE);
  DeleteObject(wider);
}

TEST(TestArtifacts, LieInTheBuildsArtifactFolderWhateverTheCurrentFolder) {
  std::wstring build = ExecutableFolder();
  build.erase(build.find_last_of(L'\\'));
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  TempFolder elsewhere;
  SetCurrentDirectoryW(elsewhere.Path().c_str());
  const std::wstring path = ArtifactPath(L"x.png");
  SetCurrentDirectoryW(current);
  EXPECT_EQ(path, build + L"\\artifacts\\x.png");
}
