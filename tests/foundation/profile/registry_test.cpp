// Text values of the registry: their type, reading them back bounded, and the 8-bit retry of a refused write.
#include "foundation/profile/registry.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "system_seams_scope.h"

namespace {

// A fresh key under HKCU for each test, one per test process, removed with its values at the end.
class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    swprintf(testKey_, 64, L"Software\\QvrxTest\\Registry%lu", GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, testKey_);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, testKey_, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, testKey_);
  }

  DWORD StoredType(const wchar_t* name) const {
    DWORD type = 0;
    return RegQueryValueExW(key_, name, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS ? type : REG_NONE;
  }

  std::wstring Read(const wchar_t* name, LSTATUS* status = nullptr, int capacity = 256) const {
    wchar_t buffer[256];
    buffer[0] = L'?';
    LSTATUS result = ReadRegistryString(HKEY_CURRENT_USER, testKey_, name, buffer, capacity);
    if (status) *status = result;
    return buffer;
  }

  wchar_t testKey_[64];
  HKEY key_ = nullptr;
  SystemSeamsScope seams_;
};

// The wide write is refused as a system without wide registry functions would; the 8-bit write is counted.
int g_narrowWrites = 0;

LSTATUS WINAPI RefuseWideWrite(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD) { return ERROR_ACCESS_DENIED; }

LSTATUS WINAPI CountNarrowWrite(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  ++g_narrowWrites;
  return RegSetValueExA(key, name, reserved, type, data, size);
}

}  // namespace

TEST_F(Registry, TextsBeginningWithAPercentSignAreExpandable) {
  EXPECT_EQ(RegistrySetText(key_, L"Plain", L"abc"), ERROR_SUCCESS);
  EXPECT_EQ(RegistrySetText(key_, L"Expand", L"%SystemRoot%\\x"), ERROR_SUCCESS);
  EXPECT_EQ(RegistrySetText(key_, nullptr, L"default value"), ERROR_SUCCESS);
  EXPECT_EQ(StoredType(L"Plain"), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(StoredType(L"Expand"), static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Read(L"Plain"), L"abc");
  EXPECT_EQ(Read(L"Expand"), L"%SystemRoot%\\x");
  EXPECT_EQ(Read(nullptr), L"default value");
}

TEST_F(Registry, ReadingClearsTheBufferOnEveryFailure) {
  LSTATUS status = ERROR_SUCCESS;
  EXPECT_EQ(Read(L"Missing", &status), L"");
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);

  ASSERT_EQ(RegistrySetText(key_, L"Long", L"0123456789"), ERROR_SUCCESS);
  EXPECT_EQ(Read(L"Long", &status, 10), L"");
  EXPECT_EQ(status, ERROR_MORE_DATA);
  EXPECT_EQ(Read(L"Long", &status, 11), L"0123456789");
  EXPECT_EQ(status, ERROR_SUCCESS);

  const DWORD number = 0x00410041;  // would read as "AA" if taken for text
  ASSERT_EQ(RegSetValueExW(key_, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), 0);
  EXPECT_EQ(Read(L"Number", &status), L"");
  EXPECT_EQ(status, ERROR_INVALID_DATA);

  wchar_t buffer[8] = L"old";
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, L"Software\\QvrxTest\\NoSuchKey", L"x", buffer, 8),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(buffer[0], 0);
}

TEST_F(Registry, StoredTextsWithoutTerminatorAreTerminated) {
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  ASSERT_EQ(RegSetValueExW(key_, L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), 6), 0);
  wchar_t buffer[8];
  wmemset(buffer, L'x', 8);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, testKey_, L"Raw", buffer, 8), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(buffer), L"abc");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, testKey_, L"Raw", buffer, 4), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(buffer), L"abc");
  // Three characters fill a buffer of three, which leaves no room for the terminator.
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, testKey_, L"Raw", buffer, 3), ERROR_MORE_DATA);
  EXPECT_EQ(buffer[0], 0);
}

TEST_F(Registry, ARefusedWriteIsRetriedInTheActiveCodePage) {
  g_systemSeams.regSetValueExW = RefuseWideWrite;
  g_systemSeams.regSetValueExA = CountNarrowWrite;
  g_narrowWrites = 0;
  EXPECT_EQ(RegistrySetText(key_, L"Caf\u00e9", L"%Gr\u00fc\u00dfe%"), ERROR_SUCCESS);
  EXPECT_EQ(g_narrowWrites, 1);
  EXPECT_EQ(StoredType(L"Caf\u00e9"), static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Read(L"Caf\u00e9"), L"%Gr\u00fc\u00dfe%");
}

TEST_F(Registry, NoRetryWhenTheCodePageWouldLoseCharacters) {
  g_systemSeams.regSetValueExW = RefuseWideWrite;
  g_systemSeams.regSetValueExA = CountNarrowWrite;
  g_narrowWrites = 0;
  EXPECT_EQ(RegistrySetText(key_, L"Name", L"\u65e5\u672c"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegistrySetText(key_, L"\u0416", L"text"), ERROR_ACCESS_DENIED);
  // Longer than the 2047 bytes of the 8-bit route.
  EXPECT_EQ(RegistrySetText(key_, L"Name", std::wstring(2048, L'a').c_str()), ERROR_ACCESS_DENIED);
  EXPECT_EQ(g_narrowWrites, 0);
  EXPECT_EQ(StoredType(L"Name"), static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(RegistrySetText(key_, L"Name", std::wstring(2047, L'a').c_str()), ERROR_SUCCESS);
  EXPECT_EQ(g_narrowWrites, 1);
}
