#include "foundation/text/packed_date_text.h"

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"

namespace {

constexpr int kDigitsCapacity = 32;

using LocaleFormatter = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

// How one kind of packed value becomes text: the system's formatter with its buffer size, and the digits used
// without a picture.
struct PackedTextForm {
  LocaleFormatter format;
  int systemCapacity;
  const wchar_t* digits;
  WORD SYSTEMTIME::*fields[3];
};

const PackedTextForm kDateForm = {GetDateFormatW, kDateTextCapacity, L"%04u%02u%02u",
                                  {&SYSTEMTIME::wYear, &SYSTEMTIME::wMonth, &SYSTEMTIME::wDay}};
const PackedTextForm kTimeForm = {GetTimeFormatW, kTimeTextCapacity, L"%02u%02u%02u",
                                  {&SYSTEMTIME::wHour, &SYSTEMTIME::wMinute, &SYSTEMTIME::wSecond}};

unsigned Field(const SYSTEMTIME& time, WORD SYSTEMTIME::*field) { return time.*field; }

int CopyResult(const wchar_t* text, wchar_t* out, int capacity) {
  CopyWideBounded(text, out, capacity);
  return static_cast<int>(WideLength(out));
}

// With a picture the system formats; without one, or when the system rejects it, the fallback digits.
int FormatPacked(PackedDateTime packed, const wchar_t* pattern, const PackedTextForm& form, wchar_t* out,
                 int capacity) {
  if (out == nullptr || capacity <= 0) return 0;
  out[0] = 0;
  if (PackedDay(packed) == 0) return 0;
  const SYSTEMTIME time = UnpackDateTime(packed);
  wchar_t text[kDateTextCapacity];
  const bool hasPattern = pattern != nullptr && pattern[0] != 0;
  if (!hasPattern || form.format(LOCALE_USER_DEFAULT, 0, &time, pattern, text, form.systemCapacity) <= 0) {
    swprintf(text, kDigitsCapacity, form.digits, Field(time, form.fields[0]), Field(time, form.fields[1]),
             Field(time, form.fields[2]));
  }
  return CopyResult(text, out, capacity);
}

}  // namespace

int FormatPackedDate(PackedDateTime packed, const wchar_t* pattern, wchar_t* out, int capacity) {
  return FormatPacked(packed, pattern, kDateForm, out, capacity);
}

int FormatPackedTime(PackedDateTime packed, const wchar_t* pattern, wchar_t* out, int capacity) {
  return FormatPacked(packed, pattern, kTimeForm, out, capacity);
}

int FormatPackedDateTimeCompact(PackedDateTime packed, wchar_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return 0;
  out[0] = 0;
  if (PackedDay(packed) == 0) return 0;
  const SYSTEMTIME time = UnpackDateTime(packed);
  wchar_t text[kDigitsCapacity];
  swprintf(text, kDigitsCapacity, L"%04u%02u%02u%02u%02u%02u", unsigned{time.wYear}, unsigned{time.wMonth},
           unsigned{time.wDay}, unsigned{time.wHour}, unsigned{time.wMinute}, unsigned{time.wSecond});
  return CopyResult(text, out, capacity);
}
