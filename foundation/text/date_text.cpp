#include "foundation/text/date_text.h"

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/text/packed_date.h"

namespace {

// Three 32-bit numbers of ten digits, two separators and the terminator.
constexpr int kNumbersCapacity = 40;

void FormatThreeNumbers(const wchar_t* format, unsigned first, unsigned second, unsigned third, wchar_t* text,
                        int capacity) {
  wchar_t formatted[kNumbersCapacity];
  if (std::swprintf(formatted, kNumbersCapacity, format, first, second, third) < 0) formatted[0] = 0;
  CopyWideString(formatted, text, capacity);
}

}  // namespace

void FormatDateDMY(unsigned day, unsigned month, unsigned year, wchar_t* text, int capacity) {
  FormatThreeNumbers(L"%02u.%02u.%04u", day, month, year, text, capacity);
}

void FormatTimeHMS(unsigned hour, unsigned minute, unsigned second, wchar_t* text, int capacity) {
  FormatThreeNumbers(L"%02u:%02u:%02u", hour, minute, second, text, capacity);
}

void FormatLocalDateTime(int withSeconds, const SYSTEMTIME& local, wchar_t* text, int capacity) {
  if (text == nullptr || capacity <= 0) return;
  // A buffer too small for the date may be left holding part of it.
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, text, capacity) == 0) text[0] = 0;
  if (text[0] == 0) return;
  AppendWideBounded(L"  ", text, capacity);
  const int used = static_cast<int>(WideLength(text));
  // Room for at least one character of the time besides the terminator.
  if (capacity - used < 2) return;
  const DWORD flags = withSeconds == 1 ? 0 : TIME_NOSECONDS;
  if (GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &local, nullptr, text + used, capacity - used) == 0) text[used] = 0;
}

void FormatFileDate(int withSeconds, const FILETIME* utc, wchar_t* text, int capacity) {
  if (text == nullptr || capacity <= 0) return;
  text[0] = 0;
  SYSTEMTIME local;
  UtcFileTimeToLocalSystemTime(utc, &local);
  if (local.wDay != 0) FormatLocalDateTime(withSeconds, local, text, capacity);
}
