// Text lookup by number: both storage forms, id remapping, the end record's default and "\t" escapes; tooltips,
// field names and the texts of dialogs.
#include "foundation/ui/ui_strings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "program_state_scope.h"
#include "support/dialog_template.h"
#include "support/test_window.h"

namespace {

template <size_t N>
const UiStringTable* AsTable(const UiStringRecord (&records)[N]) {
  return reinterpret_cast<const UiStringTable*>(records);
}

std::wstring Lookup(const UiStringTable* table, int id, int capacity = 64) {
  wchar_t buffer[64];
  buffer[0] = L'?';
  GetUiTextFromTable(table, id, buffer, capacity);
  return buffer;
}

const UiStringRecord kWideTable[] = {
    {-1, L"XX"}, {1, L"Test language"}, {20, L"&Open..\tCtrl+O"}, {9008, L"remapped"},
    {2349, L"also remapped"}, {31, L"a\\tb\\\\tc"}, {0, L"unknown"}};
const UiStringRecord kNarrowTable[] = {{0, "US"}, {20, "Caf\xE9"}, {0, nullptr}};
const UiStringRecord kCyrillicTable[] = {{1252, "RU"}, {20, "\xC0\xE1"}, {0, nullptr}};

}  // namespace

TEST(UiStrings, FindsTextsOfBothStorageForms) {
  EXPECT_EQ(Lookup(AsTable(kWideTable), 20), L"&Open..\tCtrl+O");
  EXPECT_EQ(Lookup(AsTable(kNarrowTable), 20), L"Caf\u00e9");  // active code page 1252
  EXPECT_EQ(Lookup(AsTable(kCyrillicTable), 20), L"\u0410\u0431");  // header 1252 means code page 1251
}

TEST(UiStrings, UnknownIdsGiveTheEndRecordsText) {
  EXPECT_EQ(Lookup(AsTable(kWideTable), 4711), L"unknown");
  EXPECT_EQ(Lookup(AsTable(kNarrowTable), 4711), L"");
  EXPECT_EQ(Lookup(nullptr, 20), L"");
}

TEST(UiStrings, RemapsIdsBeforeLookup) {
  EXPECT_EQ(Lookup(AsTable(kWideTable), 197), L"remapped");
  EXPECT_EQ(Lookup(AsTable(kWideTable), 2400), L"also remapped");
}

TEST(UiStrings, TurnsTabEscapesIntoTabsAndStaysWithinCapacity) {
  EXPECT_EQ(Lookup(AsTable(kWideTable), 31), L"a\tb\\\tc");
  EXPECT_EQ(Lookup(AsTable(kWideTable), 20, 6), L"&Open");
}

namespace {

const UiStringRecord kMenuTexts[] = {{-1, L"XX"},
                                     {20, L"&Open..\tCtrl+O"},
                                     {21, L"&Save..\\tCtrl+S;Save the steps;Save settings"},
                                     {22, L"Re&name;Rename the file"},
                                     {23, L" Already blank"},
                                     {24, L"&Timestamps..;Set the times of the selected files from their contents;Times"},
                                     {0, nullptr}};

std::wstring Tooltip(int id) {
  wchar_t buffer[64] = L"?";
  GetUiTooltipText(id, buffer, 64);
  return buffer;
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

void FieldName(int number, wchar_t* buffer, int capacity) {
  swprintf(buffer, static_cast<size_t>(capacity), L"field %d", number);
}

}  // namespace

TEST(UiStrings, TooltipsTakeTheirPartWithoutMenuDecorations) {
  ProgramStateScope state;
  state.UseTexts(kMenuTexts);
  EXPECT_EQ(Tooltip(20), L"Open");
  EXPECT_EQ(Tooltip(21), L"Save settings") << "the third of three parts";
  EXPECT_EQ(Tooltip(22), L"Rename") << "the first of two parts";
  EXPECT_EQ(Tooltip(24), L"Times") << "a text longer than the tooltip";
  EXPECT_EQ(Tooltip(0), L"");
}

TEST(UiStrings, FieldIdsAskTheFieldNames) {
  ProgramStateScope state;
  state.UseTexts(kMenuTexts);
  wchar_t buffer[64] = L"?";
  GetTextById(0xFFFD, buffer, 64);
  EXPECT_STREQ(buffer, L"") << "no field names yet";
  FieldDisplayNameSource previous = SetFieldDisplayNameSource(FieldName);
  GetTextById(0xFFFD, buffer, 64);
  EXPECT_STREQ(buffer, L"field 3");
  GetTextById(22, buffer, 64);
  EXPECT_STREQ(buffer, L"Re&name;Rename the file");
  SetFieldDisplayNameSource(previous);
}

TEST(UiStrings, DialogsTakeTheirTitleAndControlTextsFromTheTable) {
  ProgramStateScope state;
  state.UseTexts(kMenuTexts);
  DialogTemplate layout(L"Template title", 120, 60);
  layout.AddControl(L"STATIC", L"", 21, SS_LEFT, 5, 5, 100, 10);
  layout.AddControl(L"BUTTON", L"", 22, BS_PUSHBUTTON, 5, 20, 50, 14);
  layout.AddControl(L"BUTTON", L"kept", 30, BS_PUSHBUTTON, 60, 20, 50, 14);
  OwnedWindow dialog(layout.Create(nullptr));
  ASSERT_NE(dialog.get(), nullptr);
  const int leaveTitle[] = {0, 21, 22, 0};
  ApplyDialogTexts(dialog, leaveTitle);
  EXPECT_EQ(WindowText(dialog), L"Template title");
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 21)), L"&Save..\tCtrl+S;Save the steps;Save settings");
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 22)), L"Re&name;Rename the file");
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 30)), L"kept");
  const int withTitle[] = {20, 0};
  ApplyDialogTexts(dialog, withTitle);
  EXPECT_EQ(WindowText(dialog), L" Open");
  const int blankTitle[] = {23, 0};
  ApplyDialogTexts(dialog, blankTitle);
  EXPECT_EQ(WindowText(dialog), L" Already blank") << "no second blank";
}
