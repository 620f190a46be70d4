// Paths taken apart and put together: trailing backslashes, roots, the long form handed to the file functions,
// short names, invalid file-name characters and quoting; separators, file name and extension come from
// foundation/text/name_parts.h, which this header includes.
#pragma once
#include <cstdint>

#include "foundation/text/name_parts.h"

struct InlineTextBuffer;

// Capacities of path buffers, in characters with the terminator.
// A path the program keeps, stores or shows: the current folder, settings files, folders of its own.
constexpr int kPathCapacity = 1024;
// The full path of a listed file or folder: listings go as deep as the system allows (32767 characters).
constexpr int kLongPathCapacity = 32768;
// A path in the system's classic limit, where a stored record fixes it (the recent settings files).
constexpr int kShortPathCapacity = 260;
// A kept path being rewritten: with a suffix or a temporary name added, or cut to its parent.
constexpr int kRewrittenPathCapacity = 2048;

// True when the path begins with a letter A-Z or a-z followed by ':'.
bool IsDrivePath(const wchar_t* path);

// Cuts a path at its extension dot.
void StripExtension(wchar_t* path);

// The file-name part of a path without its extension, cut to the capacity; empty for a null path.
void FileTitleOfPath(const wchar_t* path, wchar_t* out, int capacity);

// The extension without its dot, in the active code page and upper case; the result is its length.
int GetUpperExtensionAnsi(const wchar_t* path, char* target, int capacity);

// True for the entries "." and "..", which every folder lists and which name no item of its own.
bool IsDotEntry(const wchar_t* name);

// Appends '\' to a non-empty path whose last character is no separator; the result is the append's.
int AddTrailingBackslash(wchar_t* path, int capacity);

// Turns every '/' into '\', then cuts a final '\' when the path has at least three characters and the
// character before it is neither ':' nor '\' (so "D:\" and "\\" keep theirs).
void RemoveTrailingBackslash(wchar_t* path);

void BackslashesToSlashes(wchar_t* path);

// Adds a separator when the path needs one, then appends the component without one leading separator; when
// the path then holds a '/', every '\' becomes '/'. 0, or the negative result of a cut append.
int AppendPathComponent(const wchar_t* component, wchar_t* path, int capacity);

// Copies `base` into the target, then AppendPathComponent. 0, or the negative result of a cut copy.
int CopyAndAppendPath(const wchar_t* base, const wchar_t* component, wchar_t* target, int capacity);

// Resolves the "." and ".." parts of a drive or UNC path as the system does (also turning '/' into '\'), so
// that a typed "D:\a\..\b" names the folder the tree shows as "D:\b". A path without such parts, any other
// path, and a result that does not fit stay as they are.
void ResolveDotComponents(wchar_t* path, int capacity);

// True when `prefix` begins `path` as a whole folder: compared upper-cased with '/', '\' and ':' as one
// another, and the path ends there, goes on with a separator or ':', or the prefix itself ends with one.
// False for an empty prefix or a shorter path.
bool PathStartsWith(const wchar_t* path, const wchar_t* prefix);

// The root of a path ("D:\", "\\server\share", "\" or empty) into `target`; the path itself is never
// changed. A bare "d:" gives "D:\". The result is the root's length.
int GetPathRoot(const wchar_t* path, wchar_t* target, int capacity);

// True when the system's path normalisation would change what a path names: one of its names ends in a dot or a
// blank (a component other than "." and ".."), which the system strips, so that the path would name a twin
// ("notes." names "notes"). Such names exist on other systems and network shares.
bool NeedsLiteralPath(const wchar_t* path);

// The form of a path that is handed to the system's file functions, so that every file operation names exactly
// the file it is given: drive and UNC paths of 260 or more characters, and absolute ones that NeedsLiteralPath,
// get the "\\?\" prefix, behind which what the system's normalisation would have done is done here ('/' turned
// into '\', "." and ".." components resolved, repeated separators dropped) except stripping final dots and
// blanks; everything else is used as given. Lives for the duration of one system call.
struct LongPath {
  LongPath() = default;
  explicit LongPath(const wchar_t* source);
  ~LongPath();
  LongPath(const LongPath&) = delete;
  LongPath& operator=(const LongPath&) = delete;

  const wchar_t* path = nullptr;       // the path to use: the caller's text or `owned`'s
  InlineTextBuffer* owned = nullptr;   // the prefixed copy, when one was made
};

// Fills `longPath` for `path` and returns the path to use. When no copy can be had the path is used as given.
const wchar_t* MakeLongPath(LongPath* longPath, const wchar_t* path);

// Undoes the long form: "\\?\UNC\x" gives "\\x", any other "\\?\x" gives "x", anything else is copied.
// The result is the copy's.
int StripLongPathPrefix(const wchar_t* path, wchar_t* target, int capacity);

// 1-based position of the first character not allowed in a file name: '\', '/', ':', '*', '?', '"', '<',
// '>', '|' and the control characters U+0001-U+001F; with `allowSeparators` set, '\' and '/' pass. 0 when none.
int FindInvalidFileNameChar(const wchar_t* name, bool allowSeparators);

// True for a name the system takes for a device: CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9 (also with a
// superscript 1, 2 or 3, U+00B9, U+00B2, U+00B3, as the port) in any letter case, alone or before a dot or blanks
// ("con.txt", "NUL .log"). A file cannot be given such a name.
bool IsReservedDeviceName(const wchar_t* name);

// Replaces every character that FindInvalidFileNameChar rejects (separators included) by '_'.
void ReplaceInvalidFileNameChars(wchar_t* name);

// 123 when the file-name part of a path holds a character not allowed in a file name, else 0.
int CheckFileNameChars(const wchar_t* path);

// The path's short (8.3) form into `target`: 0 when the system gave it; 2 when it failed and 1 when the
// name part is "..", both with the path copied unchanged.
int GetShortPathOrCopy(const wchar_t* path, wchar_t* target, int capacity);

// The path in the active code page; when that loses characters (a '?' appears), its short form instead.
// The result is GetShortPathOrCopy's when the short form was asked for, else 0.
int WideToAnsiOrShortPath(const wchar_t* path, char* target, int capacity);

// The quoted form: '"', the text with a '\' before each '"', and a closing '"'. Characters that no longer fit
// are dropped; the closing quote and the terminator always fit. Nothing is written for a capacity below 3.
// Source and target may be the same buffer.
void QuoteText(const wchar_t* source, wchar_t* target, int capacity);

// The quoted form when the text holds a blank or a '"', else a plain copy.
void QuoteTextIfNeeded(const wchar_t* source, wchar_t* target, int capacity);

// Undoes QuoteText in place. A text that begins with '"' and is longer than two characters loses a closing
// '"' together with the opening one, and the '\' of every '\"' inside; '""' becomes empty.
void UnquoteText(wchar_t* text);
