// The timestamps tool (command IDM_TIMESTAMPS): sets the creation or modification time, or both, of each selected
// file from a source inside or about the file, tried in this order until one has a time: the file's EXIF date, the
// "Date:" line of an e-mail file, the file's other time, the digits of its name. Then, when asked, the chosen times
// are rounded to the two seconds of DOS. A time equal to the file's current one, and a time before 1980, are never
// written. Refusals are listed together, with each file's path, when the run ends.
#pragma once
#include <windows.h>

#include <cstdint>

struct ToolRun;
struct ToolRow;

// What a source gives when it has no time for the file.
constexpr int kSourceHasNothing = ERROR_GEN_FAILURE;

// Reads "OptTS", shows the options and, after OK, stores them and starts the worker on the selected rows.
// Nothing happens while a job is busy. 1 when the worker started.
int ShowTimestampOptionDialog(HWND owner);

// Starts the worker with the given options; false while another job is busy.
bool StartTimestampJob(HWND owner, uint32_t options);

// The worker's thread: its parameter is the run StartTimestampJob made.
DWORD WINAPI ApplyTimestampOptionThread(void* run);

// Sets the times the options choose that are real and differ from the row's: 0 when there is nothing to set or
// they were set, else the provider's error (listed for the user at the end of the run).
int SetTimesIfValid(ToolRun* run, ToolRow* row, const FILETIME* creation, const FILETIME* lastWrite);

// The local date and time the digits of a file name (without its extension) give: at the name's first digit
// four digits of year, two of month and two of day, then, after anything but digits, two digits each of hour,
// minute and second. Year, month and day must not be 0, and the date and time must be valid (up to the
// current year); when they are not, the search starts again after those digits. False when no such digits
// are found.
bool ReadNameDateTime(const wchar_t* name, SYSTEMTIME* local);
