// The controls module dialogs share: the part combo box, comment edits with their placeholder, menu items.
#include "engine/module_dialog_helpers.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "ui_text_scope.h"

namespace {

const UiStringRecord kTexts[] = {
    {-1, L"US"}, {41, L"<none>"}, {2301, L"Name"}, {13211, L"Extension"}, {0, nullptr}};

class DialogHelpers : public testing::Test {
 protected:
  HWND Control(const wchar_t* className, DWORD style) {
    HWND window = CreateWindowExW(0, className, L"", style, 0, 0, 200, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    windows_.push_back(window);
    return window;
  }

  void TearDown() override {
    for (HWND window : windows_) DestroyWindow(window);
  }

  static std::wstring EditText(HWND edit) {
    wchar_t text[512];
    GetEditTextNoPlaceholder(edit, text, 512);
    return text;
  }

  UiTextScope texts_{kTexts};
  std::vector<HWND> windows_;
};

}  // namespace

TEST_F(DialogHelpers, NamePartComboHoldsNameAndExtension) {
  HWND combo = Control(L"COMBOBOX", CBS_DROPDOWNLIST);
  FillNamePartCombo(combo);
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
  wchar_t text[64];
  SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Name");
  SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Extension");
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 0, 0), L'n');
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 1, 0), L'e');
  FillNamePartCombo(nullptr);
}

TEST_F(DialogHelpers, EmptyCommentShowsTheSelectedPlaceholderAndReadsEmpty) {
  HWND edit = Control(L"EDIT", ES_MULTILINE);
  InitEditWithPlaceholder(edit, L"");
  wchar_t shown[64];
  GetWindowTextW(edit, shown, 64);
  EXPECT_STREQ(shown, L"<none>");
  DWORD start = 1, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 6u);
  EXPECT_EQ(EditText(edit), L"");
  SetWindowTextW(edit, L"<NONE>");
  EXPECT_EQ(EditText(edit), L"");
}

TEST_F(DialogHelpers, CommentEditShowsAndReadsTheCommentWithinItsLimit) {
  HWND edit = Control(L"EDIT", ES_MULTILINE);
  InitEditWithPlaceholder(edit, L"line one\r\nline two");
  EXPECT_EQ(EditText(edit), L"line one\r\nline two");
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 255);
  wchar_t cut[4];
  GetEditTextNoPlaceholder(edit, cut, 4);
  EXPECT_STREQ(cut, L"lin");
  GetEditTextNoPlaceholder(nullptr, cut, 4);
  EXPECT_STREQ(cut, L"");
}

TEST_F(DialogHelpers, AFieldReferenceGoesWholeInQuotesAtTheCaretWhileItStandsAt1018OrBeforeAndTheCaretFollowsIt) {
  HWND edit = Control(L"EDIT", ES_AUTOHSCROLL);
  SendMessageW(edit, EM_LIMITTEXT, 1023, 0);
  const std::wstring x1000(1000, L'x');
  const struct {
    std::wstring text;
    int caret;
    int selectionEnd;
    const wchar_t* reference;
    std::wstring expected;
  } cases[] = {
      {L"ab", 1, 1, L"Title", L"a\"Title\"b"},
      {L"", 0, 0, L"Date,yyyy.MM.dd", L"\"Date,yyyy.MM.dd\""},
      {L"a\"Album\"b", 1, 8, L"Title", L"a\"Title\"b"},
      {std::wstring(1018, L'x'), 1018, 1018, L"OFN", std::wstring(1018, L'x') + L"\"OFN\""},
      {std::wstring(1019, L'x'), 1019, 1019, L"OFN", std::wstring(1019, L'x')},
      {x1000, 0, 0, L"Date Digitized,dddd, d. MMMM yyyy", x1000},
      {x1000, 0, 20, L"Date Digitized,dddd, d. MMMM yyyy",
       L"\"Date Digitized,dddd, d. MMMM yyyy\"" + x1000.substr(20)},
  };
  for (const auto& c : cases) {
    SetWindowTextW(edit, c.text.c_str());
    SendMessageW(edit, EM_SETSEL, c.caret, c.selectionEnd);
    InsertPatternReference(edit, c.reference);
    wchar_t text[1100];
    GetWindowTextW(edit, text, 1100);
    EXPECT_EQ(std::wstring(text), c.expected) << "caret " << c.caret;
    DWORD caret = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
    const size_t inserted = c.expected == c.text ? 0 : wcslen(c.reference) + 2;
    EXPECT_EQ(caret, static_cast<DWORD>(c.caret + inserted)) << "the caret stands after the inserted reference";
  }
  SetWindowTextW(edit, L"");
  InsertPatternReference(edit, L"Title");
  InsertPatternReference(edit, L"Artist");
  wchar_t text[64];
  GetWindowTextW(edit, text, 64);
  EXPECT_STREQ(text, L"\"Title\"\"Artist\"") << "fields come in the order they were chosen";
}
