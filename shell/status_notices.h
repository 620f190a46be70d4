// The notices of the status bar that the shell keeps: the number of new names that cannot be used and the
// number of folders the last listing could not list (in place of the selection counts while either is not 0),
// the progress of a job (in place of the listing counts while it runs), and the content plug-in being loaded.
#pragma once
#include <cstdint>

// The problem notice follows the application's problem count and unlisted folders: icon and the count text of
// each that is not 0 (joined by " - ") in the selection part, or the selection counts again. Any thread.
void UpdateProblemCountNotice();
// The selection counts in their part, unless the problem notice is there.
void ShowSelectionCounts();

// A job starts: its progress bar shows at 0 %; then the percentage done. Called from the job's thread.
void ResetProgressNotice();
void ShowProgressNotice(uint32_t percent);
// Once no job is busy, a progress shown goes and the listing and selection counts of the list as it now
// stands come back. GUI thread.
void EndProgressNotice();

// A plug-in's load runs long: the status bar names the plug-in (as its hint, painted at once, since the
// loading thread may handle no messages meanwhile) until the load ends. On the loading thread.
void ShowPluginLoadingNotice(const wchar_t* name);
void EndPluginLoadingNotice();

// Text of UI text 10011 with the count in place of its one integer field ("%d", "%i" or "%u"; "%%" is a '%').
// Other '%' sequences are kept as they stand, so a language file's text cannot make the formatting read
// arguments that are not there.
void FormatCountText(const wchar_t* pattern, int count, wchar_t* text, int capacity);
