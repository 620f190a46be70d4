// Dates and times as text: fixed numeric forms, and the forms of the user's locale for local times and file
// times. Every function writes at most capacity - 1 characters and a terminator, and nothing for a null
// buffer or a capacity of 0 or less.
#pragma once
#include <windows.h>

// "DD.MM.YYYY", each number with at least two, two and four digits.
void FormatDateDMY(unsigned day, unsigned month, unsigned year, wchar_t* text, int capacity);
// "HH:MM:SS", each number with at least two digits.
void FormatTimeHMS(unsigned hour, unsigned minute, unsigned second, wchar_t* text, int capacity);
// The locale's short date, two spaces and the locale's time, with seconds when `withSeconds` is 1. An empty or
// failed date gives an empty text; a time that does not fit is left out.
void FormatLocalDateTime(int withSeconds, const SYSTEMTIME& local, wchar_t* text, int capacity);
// The local time of a UTC file time as FormatLocalDateTime writes it; an empty text for an unset time.
void FormatFileDate(int withSeconds, const FILETIME* utc, wchar_t* text, int capacity);
