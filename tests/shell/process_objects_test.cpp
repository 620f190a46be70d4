// What the process-wide objects hold when start-up has built them, and what their exit handlers release.
#include <gtest/gtest.h>
#include <windows.h>

#include "foundation/ui/file_type_table.h"
#include "foundation/win32/theme_object.h"
#include "shell/keyboard_hook.h"

namespace {

LRESULT CALLBACK PassKeyOn(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(ProcessObjects, ExitUnhooksTheKeyboardHookOnlyWhenOneWasInstalled) {
  KeyHookState state;
  InitKeyHookState(&state);
  EXPECT_STREQ(state.section, "Keys");
  ReleaseKeyHookState(&state);
  EXPECT_EQ(state.hook, nullptr);
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD, PassKeyOn, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  state.hook = hook;
  ReleaseKeyHookState(&state);
  EXPECT_EQ(state.hook, nullptr);
  EXPECT_FALSE(UnhookWindowsHookEx(hook)) << "the exit handler left the hook installed";
}

TEST(ProcessObjects, FileTypesStartWithTheFolderAndLinkAndTheThemeHoldsItsLibraries) {
  FileTypeTable types;
  ASSERT_EQ(ConstructFileTypeTable(&types), 0);
  ASSERT_EQ(RecordBufferCount(&types.names), 2u);
  const uint8_t* first = RecordBufferData(&types.names);
  const uint16_t firstLength = *reinterpret_cast<const uint16_t*>(first);
  EXPECT_STREQ(reinterpret_cast<const wchar_t*>(first + firstLength + 2), L"Link");
  DestroyFileTypeTable(&types);

  ASSERT_TRUE(ConstructThemeObject());
  EXPECT_NE(g_theme->ThemeLibrary(), nullptr);
  EXPECT_NE(g_theme->WindowLibrary(), nullptr);
  DestroyThemeObject();
  EXPECT_EQ(g_theme, nullptr);
}
