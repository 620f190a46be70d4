// The Windows folder and the temporary folder of this run.
#pragma once

// The Windows folder; "C:\" when the system cannot tell it (or it does not fit). The result is its length.
int GetWindowsFolder(wchar_t* buffer, int capacity);

// Sets the temporary folder of this run; null or an empty text goes back to the default.
void SetTempFolderForRun(const wchar_t* folder);
// The temporary folder of this run: the one set, else the system's temporary folder joined with the program
// file's name without extension. The result is its length (0 and an empty text when there is none).
int GetTempFolderPath(wchar_t* buffer, int capacity);
