// Text on the clipboard: both formats written, read back as wide text, and a clipboard that cannot be opened.
#include "foundation/ui/clipboard.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/core/memory.h"
#include "system_seams_scope.h"

namespace {

// A hidden window that owns what the tests put on the clipboard. The clipboard is shared by every test
// process that runs at the same time, so each test holds it through a named mutex.
class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    turn_ = CreateMutexW(nullptr, FALSE, L"QvrxTestClipboardTurn");
    ASSERT_NE(turn_, nullptr);
    ASSERT_NE(WaitForSingleObject(turn_, 60000), static_cast<DWORD>(WAIT_TIMEOUT));
    owner_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner_);
    ReleaseMutex(turn_);
    CloseHandle(turn_);
  }

  std::wstring ReadBack() const {
    wchar_t* text = GetClipboardTextAlloc(owner_);
    std::wstring copy = text ? text : L"<null>";
    FreeAndNull(&text);
    return copy;
  }

  std::string ReadAnsiFormat() const {
    std::string copy = "<none>";
    if (!OpenClipboard(owner_)) return copy;
    if (HANDLE block = GetClipboardData(CF_TEXT)) {
      copy = static_cast<const char*>(GlobalLock(block));
      GlobalUnlock(block);
    }
    CloseClipboard();
    return copy;
  }

  HANDLE turn_ = nullptr;
  HWND owner_ = nullptr;
  SystemSeamsScope seams_;
};

BOOL WINAPI RefuseToOpen(HWND) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

}  // namespace

TEST_F(Clipboard, WideTextGoesOnInBothFormats) {
  ASSERT_EQ(SetClipboardText(owner_, L"Gr\u00fc\u00dfe \u20ac 1\r\nline 2"), 0u);
  EXPECT_EQ(ReadBack(), L"Gr\u00fc\u00dfe \u20ac 1\r\nline 2");
  EXPECT_EQ(ReadAnsiFormat(), "Gr\xFC\xDF" "e \x80 1\r\nline 2");  // code page 1252
}

TEST_F(Clipboard, AnEmptyTextLeavesTheClipboardAlone) {
  ASSERT_EQ(SetClipboardText(owner_, L"kept"), 0u);
  EXPECT_EQ(SetClipboardText(owner_, L""), 0u);
  EXPECT_EQ(SetClipboardText(owner_, nullptr), 0u);
  EXPECT_EQ(ReadBack(), L"kept");
}

TEST_F(Clipboard, AnsiTextIsReadInTheActiveCodePage) {
  ASSERT_EQ(SetClipboardTextAnsi(owner_, "Caf\xE9 \x80"), 0u);
  EXPECT_EQ(ReadAnsiFormat(), "Caf\xE9 \x80");
  EXPECT_EQ(ReadBack(), L"Caf\u00e9 \u20ac");
}

TEST_F(Clipboard, AClipboardThatCannotBeOpenedIsReported) {
  ASSERT_EQ(SetClipboardText(owner_, L"before"), 0u);
  g_systemSeams.openClipboard = RefuseToOpen;
  EXPECT_EQ(SetClipboardText(owner_, L"after"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(SetClipboardTextAnsi(owner_, "after"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetClipboardTextAlloc(owner_), nullptr);
  RestoreSystemSeams();
  EXPECT_EQ(ReadBack(), L"before");
}

TEST_F(Clipboard, NoTextGivesNull) {
  ASSERT_TRUE(OpenClipboard(owner_));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(GetClipboardTextAlloc(owner_), nullptr);
}
