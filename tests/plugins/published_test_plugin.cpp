// A content plug-in of the published interface, built for the tests and the benchmark of the plug-in host. It
// offers fields of every value type (text, integers with the units Bytes|KB|MB and MB|B, floating, date, time,
// boolean, multiple choice, wide text, a separator), the detect string EXT="TXT", and a switch
// (TestPluginSetFault) that makes its value functions fail inside: a null dereference, a division by zero or a
// C++ throw; a file whose name begins with "fault" makes it dereference null too, so that a program test can
// provoke the fault from outside. For a file whose name begins with "unreadable" it answers the Size field with
// the published "file error" (-2). It records what the host handed it (TestPluginDefaultParams,
// TestPluginUnloadCount), and calls a test's function at the start of every value (TestPluginSetValueHook).
//
// Built three times: as is; with TEST_PLUGIN_WITHOUT_FIELD_LIST, lacking ContentGetSupportedField, which the
// host must refuse; with TEST_PLUGIN_NARROW_ONLY, lacking ContentSetDefaultParams and ContentGetValueW, which the
// host must accept and ask through ContentGetValue.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

struct DefaultParams {
  int32_t size;
  int32_t versionLow;
  int32_t versionHigh;
  char settingsFile[MAX_PATH];
};

enum Field {
  kSize, kName, kRatio, kDate, kTime, kFlag, kChoice, kWideName, kSeparator, kDigits, kLong, kBulk, kFieldCount
};

struct FieldRow {
  const char* name;
  int type;
  const char* units;
};

constexpr FieldRow kFields[kFieldCount] = {
    {"Size", 2, "Bytes|KB|MB"}, {"Name", 8, ""},  {"Ratio", 3, ""},          {"Date", 4, ""},
    {"Time", 5, ""},            {"Flag", 6, ""},  {"Choice", 7, "red|green|blue"}, {"WName", 11, ""},
    {"-", 8, ""},               {"Digits", 1, ""}, {"Long", 11, ""},          {"Bulk", 2, "MB|B"},
};

using ValueHook = void (*)();

DefaultParams g_params;
int g_unloads = 0;
ValueHook g_valueHook = nullptr;
int g_fault = 0;
volatile int g_zero = 0;

void CopyText(const char* source, char* target, int capacity) {
  if (capacity <= 0) return;
  lstrcpynA(target, source, capacity);
}

uint64_t FileSize(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
  return static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

const wchar_t* FileName(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* at = path; *at != 0; ++at) {
    if (*at == L'\\' || *at == L'/') name = at + 1;
  }
  return name;
}

void Fail() {
  if (g_fault == 1) {
    volatile int* nothing = nullptr;
    *nothing = 1;
  }
  if (g_fault == 2) g_fault = 100 / g_zero;
  if (g_fault == 3) throw std::runtime_error("plug-in failure");
}

// The published answer for a file the plug-in cannot read.
constexpr int kFileError = -2;

int WriteValue(int field, const wchar_t* path, int unit, void* value, int size) {
  if (g_valueHook != nullptr) g_valueHook();
  const wchar_t* name = FileName(path);
  if (field == kSize && wcsncmp(name, L"unreadable", 10) == 0) return kFileError;
  switch (field) {
    case kSize:
    case kBulk: {
      const int64_t bytes = static_cast<int64_t>(FileSize(path));
      const int scale = field == kBulk ? (unit == 0 ? 2 : 0) : unit;
      const int64_t divided = scale == 2 ? bytes / (1024 * 1024) : (scale == 1 ? bytes / 1024 : bytes);
      memcpy(value, &divided, sizeof divided);
      return 2;
    }
    case kName:
      WideCharToMultiByte(CP_ACP, 0, name, -1, static_cast<char*>(value), size, nullptr, nullptr);
      return 8;
    case kRatio: {
      const double ratio = static_cast<double>(FileSize(path)) / 1000.0;
      memcpy(value, &ratio, sizeof ratio);
      return 3;
    }
    case kDate: {
      const uint16_t words[3] = {2024, 2, 29};
      memcpy(value, words, sizeof words);
      return 4;
    }
    case kTime: {
      const uint16_t words[3] = {13, 5, 9};
      memcpy(value, words, sizeof words);
      return 5;
    }
    case kFlag: {
      const int32_t flag = FileSize(path) > 100 ? 1 : 0;
      memcpy(value, &flag, sizeof flag);
      return 6;
    }
    case kChoice:
      CopyText("green", static_cast<char*>(value), size);
      return 7;
    case kWideName:
      lstrcpynW(static_cast<wchar_t*>(value), name, size / 2);
      return 11;
    case kDigits: {
      int32_t digits = 0;
      for (const wchar_t* at = name; *at != 0; ++at) digits += *at >= L'0' && *at <= L'9' ? 1 : 0;
      memcpy(value, &digits, sizeof digits);
      return 1;
    }
    case kLong:
      // The whole buffer, without a terminator.
      for (int i = 0; i + 1 < size; i += 2) static_cast<wchar_t*>(value)[i / 2] = L'W';
      return 11;
    default:
      return 0;
  }
}

}  // namespace

extern "C" {

__declspec(dllexport) int WINAPI TestPluginSetFault(int fault) {
  const int previous = g_fault;
  g_fault = fault;
  return previous;
}

__declspec(dllexport) const DefaultParams* WINAPI TestPluginDefaultParams() { return &g_params; }

__declspec(dllexport) int WINAPI TestPluginUnloadCount() { return g_unloads; }

__declspec(dllexport) void WINAPI TestPluginSetValueHook(ValueHook hook) { g_valueHook = hook; }

#ifndef TEST_PLUGIN_WITHOUT_FIELD_LIST
__declspec(dllexport) int WINAPI ContentGetSupportedField(int index, char* name, char* units, int capacity) {
  if (index < 0 || index >= kFieldCount) return 0;
  CopyText(kFields[index].name, name, capacity);
  CopyText(kFields[index].units, units, capacity);
  return kFields[index].type;
}
#endif

__declspec(dllexport) void WINAPI ContentGetDetectString(char* text, int capacity) {
  CopyText("EXT=\"TXT\"", text, capacity);
}

#ifndef TEST_PLUGIN_NARROW_ONLY
__declspec(dllexport) void WINAPI ContentSetDefaultParams(DefaultParams* params) { g_params = *params; }

__declspec(dllexport) int WINAPI ContentGetValueW(wchar_t* path, int field, int unit, void* value, int size, int) {
  Fail();
  if (wcsncmp(FileName(path), L"fault", 5) == 0) *static_cast<volatile int*>(nullptr) = 1;
  return WriteValue(field, path, unit, value, size);
}
#endif

__declspec(dllexport) int WINAPI ContentGetValue(char* path, int field, int unit, void* value, int size, int) {
  Fail();
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
  return WriteValue(field, wide, unit, value, size);
}

__declspec(dllexport) void WINAPI ContentPluginUnloading() { ++g_unloads; }
}
