#include "foundation/profile/companion_protocol.h"

#include <cwchar>

#include "foundation/profile/registry.h"
#include "foundation/text/bounded_text.h"

namespace {

const HKEY kNumberedRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};
constexpr int kRootCount = 4;
constexpr int kClassesRootNumber = 0;
constexpr wchar_t kClassesBelowSoftware[] = L"Software\\Classes\\";

int RootNumber(HKEY root) {
  for (int i = 0; i < kRootCount; ++i) {
    if (kNumberedRoots[i] == root) return i;
  }
  return -1;
}

// The registry compares names ordinally without case; a locale's rules must not widen what matches.
bool SameNames(const wchar_t* a, const wchar_t* b, int count) {
  return CompareStringOrdinal(a, count, b, count, TRUE) == CSTR_EQUAL;
}

bool KeyIsOrIsBelow(const wchar_t* key, const wchar_t* base) {
  const int length = static_cast<int>(WideLength(base));
  if (static_cast<int>(WideLength(key)) < length || !SameNames(key, base, length)) return false;
  return key[length] == 0 || key[length] == L'\\';
}

bool IsRegistrationBelowClasses(const wchar_t* key) {
  wchar_t bases[4][64] = {L".", L"", L"Directory\\shell\\", L"Drive\\shell\\"};
  AppendWideBounded(kSettingsFileExtension, bases[0], 64);
  AppendWideBounded(kSettingsFileClass, bases[1], 64);
  AppendWideBounded(kExplorerVerbName, bases[2], 64);
  AppendWideBounded(kExplorerVerbName, bases[3], 64);
  for (const wchar_t* base : bases) {
    if (KeyIsOrIsBelow(key, base)) return true;
  }
  return false;
}

// One text of the block, terminated whatever the other process left in it.
void TakeText(const wchar_t* source, wchar_t (&target)[kCompanionTextCapacity]) {
  wmemcpy(target, source, kCompanionTextCapacity);
  target[kCompanionTextCapacity - 1] = 0;
}

// "N subkey" into its root and the subkey's start; false when it does not parse.
bool ParseKeyText(const wchar_t* text, HKEY* root, const wchar_t** subkey) {
  if (text[0] < L'0' || text[0] >= L'0' + kRootCount || text[1] != L' ' || text[2] == 0) return false;
  *root = kNumberedRoots[text[0] - L'0'];
  *subkey = text + 2;
  return true;
}

bool IsProgramWindow(uint64_t handle, DWORD served) {
  const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
  wchar_t className[32] = {};
  DWORD owner = 0;
  return window && IsWindow(window) && GetWindowThreadProcessId(window, &owner) != 0 && served != 0 &&
         owner == served && GetClassNameW(window, className, 32) > 0 && wcscmp(className, kCompanionCallerClass) == 0;
}

LSTATUS Query(HKEY root, const wchar_t* subkey, CompanionBlock* block, const wchar_t* valueName) {
  wchar_t answer[kCompanionTextCapacity];
  const LSTATUS status = ReadRegistryString(root, subkey, valueName[0] ? valueName : nullptr, answer,
                                            kCompanionTextCapacity);
  wmemcpy(block->second, answer, kCompanionTextCapacity);
  return status;
}

// 't': the value name follows the key after the last separator.
LSTATUS SetText(HKEY root, wchar_t* keyAndName, const wchar_t* text) {
  wchar_t* separator = wcsrchr(keyAndName, L'\\');
  if (!separator || separator == keyAndName || separator[1] == 0) return ERROR_INVALID_PARAMETER;
  *separator = 0;
  if (!IsProgramRegistrationKey(root, keyAndName)) return ERROR_ACCESS_DENIED;
  return RegistryCreateKeyWithText(root, keyAndName, separator + 1, text);
}

}  // namespace

char ReadCompanionState(const CompanionBlock* block) {
  const char state = *reinterpret_cast<const volatile char*>(&block->state);
  MemoryBarrier();
  return state;
}

void WriteCompanionState(CompanionBlock* block, char state) {
  MemoryBarrier();
  *reinterpret_cast<volatile char*>(&block->state) = state;
  MemoryBarrier();
}

int FormatCompanionKeyText(HKEY root, const wchar_t* subkey, const wchar_t* valueName,
                           wchar_t (&target)[kCompanionTextCapacity]) {
  target[0] = 0;
  const int number = RootNumber(root);
  if (number < 0 || !subkey) return ERROR_INVALID_PARAMETER;
  const wchar_t prefix[] = {static_cast<wchar_t>(L'0' + number), L' ', 0};
  int cut = CopyWideBounded(prefix, target, kCompanionTextCapacity);
  cut |= AppendWideBounded(subkey, target, kCompanionTextCapacity);
  const size_t length = WideLength(subkey);
  if (valueName && (length == 0 || subkey[length - 1] != L'\\')) cut |= AppendWideBounded(L"\\", target, kCompanionTextCapacity);
  if (valueName) cut |= AppendWideBounded(valueName, target, kCompanionTextCapacity);
  if (cut == 0) return 0;
  target[0] = 0;
  return ERROR_FILENAME_EXCED_RANGE;
}

bool IsProgramRegistrationKey(HKEY root, const wchar_t* subkey) {
  const int number = RootNumber(root);
  if (!subkey || number < 0) return false;
  if (number == kClassesRootNumber) return IsRegistrationBelowClasses(subkey);
  if (root != HKEY_CURRENT_USER && root != HKEY_LOCAL_MACHINE) return false;
  const int prefix = static_cast<int>(WideLength(kClassesBelowSoftware));
  if (static_cast<int>(WideLength(subkey)) <= prefix || !SameNames(subkey, kClassesBelowSoftware, prefix)) return false;
  return IsRegistrationBelowClasses(subkey + prefix);
}

int32_t CarryOutCompanionCommand(CompanionBlock* block, DWORD served) {
  if (!IsProgramWindow(block->mainWindow, served)) return ERROR_ACCESS_DENIED;
  wchar_t first[kCompanionTextCapacity];
  wchar_t second[kCompanionTextCapacity];
  TakeText(block->first, first);
  TakeText(block->second, second);
  HKEY root = nullptr;
  const wchar_t* subkey = nullptr;
  if (!ParseKeyText(first, &root, &subkey)) return ERROR_INVALID_PARAMETER;
  const char command = ReadCompanionState(block);
  if (command == kCompanionSetText) return SetText(root, first + 2, second);
  if (!IsProgramRegistrationKey(root, subkey)) return ERROR_ACCESS_DENIED;
  switch (command) {
    case kCompanionCreateKey: return RegistryCreateKeyWithText(root, subkey, nullptr, second);
    case kCompanionDeleteKey: return RegistryDeleteKey(root, subkey);
    case kCompanionDeleteValue: return RegistryDeleteValue(root, subkey, second);
    case kCompanionQuery: return Query(root, subkey, block, second);
    default: return ERROR_INVALID_FUNCTION;
  }
}
