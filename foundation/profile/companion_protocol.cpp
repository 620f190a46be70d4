#include "foundation/profile/companion_protocol.h"

#include <cwchar>
#include <initializer_list>

#include "foundation/profile/program_registrations.h"
#include "foundation/profile/registry.h"
#include "foundation/text/bounded_text.h"

namespace {

const HKEY kNumberedRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};
constexpr int kRootCount = 4;

int RootNumber(HKEY root) {
  for (int i = 0; i < kRootCount; ++i) {
    if (kNumberedRoots[i] == root) return i;
  }
  return -1;
}

// The registry compares names ordinally without case, and so do paths; a locale's rules must not widen what
// matches.
bool SameTexts(const wchar_t* a, const wchar_t* b) { return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL; }

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

LSTATUS Query(const wchar_t* key, CompanionBlock* block, const wchar_t* valueName) {
  wchar_t answer[kCompanionTextCapacity];
  const LSTATUS status =
      ReadRegistryString(HKEY_CLASSES_ROOT, key, valueName[0] ? valueName : nullptr, answer, kCompanionTextCapacity);
  wmemcpy(block->second, answer, kCompanionTextCapacity);
  return status;
}

bool IsCommandLetter(char command) {
  for (char letter :
       {kCompanionCreateKey, kCompanionDeleteKey, kCompanionDeleteValue, kCompanionSetText, kCompanionQuery}) {
    if (command == letter) return true;
  }
  return false;
}

// The program's registration that `subkey` names, or null.
const ProgramRegistration* RegistrationNamed(const ProgramRegistrations& set, const wchar_t* subkey) {
  for (const ProgramRegistration& entry : set) {
    if (SameTexts(entry.key, subkey)) return &entry;
  }
  return nullptr;
}

// A key may go while its default value is the program's own or there is none; another program's stays.
bool HoldsOwnValueOrNone(const ProgramRegistration& entry) {
  wchar_t present[kPathCapacity];
  const LSTATUS status = ReadRegistryString(HKEY_CLASSES_ROOT, entry.key, nullptr, present, kPathCapacity);
  if (status == ERROR_FILE_NOT_FOUND) return true;
  return status == ERROR_SUCCESS && (present[0] == 0 || SameTexts(present, entry.value));
}

// What the block asks for the registration; only the set's own value is ever written.
int32_t CarryOutOnRegistration(char command, const ProgramRegistration& entry, CompanionBlock* block,
                               const wchar_t* second) {
  switch (command) {
    case kCompanionCreateKey:
      if (entry.value[0] == 0 || !SameTexts(second, entry.value)) return ERROR_ACCESS_DENIED;
      return RegistryCreateKeyWithText(HKEY_CLASSES_ROOT, entry.key, nullptr, entry.value);
    case kCompanionDeleteKey:
      return HoldsOwnValueOrNone(entry) ? RegistryDeleteKey(HKEY_CLASSES_ROOT, entry.key) : ERROR_ACCESS_DENIED;
    case kCompanionDeleteValue:
      if (second[0] != 0 || !HoldsOwnValueOrNone(entry)) return ERROR_ACCESS_DENIED;
      return RegistryDeleteValue(HKEY_CLASSES_ROOT, entry.key, nullptr);
    case kCompanionQuery:
      return Query(entry.key, block, second);
    default:
      // The program writes no named value.
      return ERROR_ACCESS_DENIED;
  }
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

int32_t CarryOutCompanionCommand(CompanionBlock* block, DWORD served, const wchar_t* programPath) {
  if (!IsProgramWindow(block->mainWindow, served)) return ERROR_ACCESS_DENIED;
  wchar_t first[kCompanionTextCapacity];
  wchar_t second[kCompanionTextCapacity];
  TakeText(block->first, first);
  TakeText(block->second, second);
  HKEY root = nullptr;
  const wchar_t* subkey = nullptr;
  if (!ParseKeyText(first, &root, &subkey)) return ERROR_INVALID_PARAMETER;
  const char command = ReadCompanionState(block);
  if (!IsCommandLetter(command)) return ERROR_INVALID_FUNCTION;
  ProgramRegistrations set;
  if (root != HKEY_CLASSES_ROOT || !BuildProgramRegistrations(programPath, set)) return ERROR_ACCESS_DENIED;
  const ProgramRegistration* entry = RegistrationNamed(set, subkey);
  return entry ? CarryOutOnRegistration(command, *entry, block, second) : ERROR_ACCESS_DENIED;
}
