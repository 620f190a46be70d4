// The last error normalised the one way the whole program uses, and the system's texts of error numbers.
#pragma once
#include <windows.h>

// GetLastError normalised: 0 and 1401 give `defaultCode`, 225 gives 30, 1223 (cancelled) gives 1235.
DWORD MapLastError(DWORD defaultCode);

// The system's text of an error number in the user's language; empty for code 0, an unknown code or
// capacity 0. With `singleLine` control characters become blanks and trailing blanks go. The result is the
// text's length.
int FormatSystemErrorText(DWORD code, wchar_t* buffer, int capacity, bool singleLine);
