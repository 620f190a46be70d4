// Notices in the main window's title while the program has no status bar: the number of new names that cannot
// be used, and the progress of a rename run or an undo.
#pragma once
#include <cstdint>

// The problem notice follows the application's problem count: "<title> - <count text>", or the bare title.
void UpdateProblemCountNotice();

// A job starts at 0 %, then shows the percentage done; called from the job's thread.
void ResetProgressNotice();
void ShowProgressNotice(uint32_t percent);
// The progress leaves the title (once no job is busy).
void EndProgressNotice();

// Text of UI text 10011 with the count in place of its one integer field ("%d", "%i" or "%u"; "%%" is a '%').
// Other '%' sequences are kept as they stand, so a language file's text cannot make the formatting read
// arguments that are not there.
void FormatCountText(const wchar_t* pattern, int count, wchar_t* text, int capacity);
