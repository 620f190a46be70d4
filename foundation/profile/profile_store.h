// The profile store: every setting of the program in one INI-style text file, held in memory as 8-bit text
// and edited there, and written back only when it changed and differs from the file on disk.
//
// The file is named after the program file (its name without extension cut to five characters, ".INI").
// It lives in the maker's folder under the per-user application data when that file exists and can be
// written, or beside the program file. When writing beside the program fails, the store moves to the
// per-user file and notes it there ("Opt" in section "UseThis"), so that the next start keeps that file.
//
// Text format: a section is a line "[name]" at the start of the text or after a line end; it runs to the
// next line that begins with '['. A key line is the key, '=', and the value up to the line end; blanks around
// '=' are ignored when reading and never written. Names of sections and keys compare exactly. A value is read
// as it stands, whoever wrote it; one written with leading blanks loses them (wide values keep theirs behind the
// UTF-8 mark, see ProfileSetPath). Line breaks in values are cut off. A file that begins with EF BB BF is UTF-8.
//
// One unnamed mutex guards the store. Every operation waits until it is had: it is held only while the text is
// read or edited in memory, or while a save reads, merges and writes the file, never while a save waits for
// another process (see ProfileSave).
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/core/record_buffer.h"
#include "foundation/files/paths.h"

// Store flags.
constexpr uint32_t kProfileNoAutoLocation = 1;  // only the path given at construction
constexpr uint32_t kProfileMainStore = 2;       // the program's store: "Desk" check, "Version" at save
constexpr uint32_t kProfileDesktopChanged = 8;  // the desktop size differs from the last run

// The section of the program's own settings, and the version text a main store writes into it.
constexpr char kMainProfileSection[] = "QVRX";
constexpr char kProgramVersionText[] = "26.01";

struct SettingsStore {
  HANDLE mutex;
  char* text;                  // the file's text, zero-terminated; null until first needed
  volatile LONG suppressed;    // while non-zero the file is neither loaded nor written and edits are ignored
  int32_t utf8;                // the text begins with EF BB BF
  int32_t changed;
  int32_t loadError;           // the file exists but could not be read whole: a save must not write over it
  char* baseline;              // the text as this store last read the file or saved it; null when not known
  RecordBuffer defaults;       // "section\0key\0value\0" of each read that found no value and gave its default
  char recentList[32];         // the section that lists recent entries (ProfileDeclareRecentList), or empty
  uint32_t recentListLimit;
  DWORD fileLockWait;          // how long a save waits for another process's save of the file, in ms
  int32_t problem;             // a trouble with the file the user has not been told of (kProfile...), or 0
  int32_t problemError;
  uint32_t toldProblems;       // bit n: the user was told of trouble n with this file
  wchar_t problemPath[kPathCapacity];
  uint32_t flags;
  wchar_t path[kPathCapacity];
  // Where the store looks for its file; empty means the running program file and the per-user folder.
  wchar_t programFile[kPathCapacity];
  wchar_t userFolder[kPathCapacity];
};

// Places a store looks in instead of the running program's (for tests); null members mean the real ones.
struct ProfileLocations {
  const wchar_t* programFile;  // the program file whose name and folder count
  const wchar_t* userFolder;   // the per-user folder (the maker's folder under the application data)
};

// Sets a store up: its mutex, then the given path (taken when it does not exist yet or can be written), or
// without one and unless kProfileNoAutoLocation the file found by the location rules. A main store then
// checks the desktop size.
void ProfileStoreConstruct(SettingsStore* store, const wchar_t* path, uint32_t flags,
                           const ProfileLocations* locations = nullptr);
// Saves, frees the text and closes the mutex.
void ProfileStoreDestroy(SettingsStore* store);

// The program's one store and its start-up and exit steps.
extern SettingsStore g_settingsStore;
void ConstructSettingsStore();
void DestroySettingsStore();

// Points the store at a file. -1 for its current path. An empty path, and in mode 0 a path that does not
// exist, are taken at once; otherwise the file must open for reading and writing (0), else the open error
// and the path stays. The loaded text stays.
int ProfileSwitchPath(SettingsStore* store, const wchar_t* path, int mode);
// Points the store at another file and drops the loaded text, unless it is that file already.
void ProfileSwitchFile(SettingsStore* store, const wchar_t* path);
// Writes a changed text when it differs from the file, never in place (see WriteWholeFile); when that fails
// beside the program the store moves to the per-user file. 0, or the error (the read error when the file
// exists but could not be read, 13 when it was read only in part up to a zero byte; such a file is left as it
// is).
//
// Saves of one file by several processes take turns: a save waits for the other's end (fileLockWait) without
// holding the store, and when the wait ends first it writes nothing and fails with 32 (the file is in use); its
// changes stay for the next save, as after every failed save.
//
// Another instance of the program may have written the file since this store read it. The save then writes
// only this store's changes (keys set or deleted since it read the file or last saved) over what the file
// holds now; the store's own text stays as this instance sees it. A value set to the default a read gave for it
// (the file held none) is no change. A section whose keys are all numbered (a list: the chain, the plug-ins)
// counts as one value, written whole by the instance that changed it; a list of recent entries is merged.
int ProfileSave(SettingsStore* store);

// Declares `section` a list of recent entries: wide values under keys "1", "2" ..., newest first. When another
// instance changed the file, a save puts first the entries this store added to the list or moved up, then
// those of the file's list that this store did not remove, each once (compared ignoring case), at most
// `limit`.
void ProfileDeclareRecentList(SettingsStore* store, const char* section, uint32_t limit);

// Troubles with the store's file that the user must hear of, each once for a file.
constexpr int kProfileUnreadable = 1;  // the file exists but cannot be read: no settings from it, none saved
constexpr int kProfileNotSaved = 2;    // a save failed, with nowhere else to go
constexpr int kProfileMovedAway = 3;   // writing beside the program failed: the settings went to the per-user file
struct ProfileProblem {
  int kind;
  int error;
  wchar_t path[kPathCapacity];     // the file that could not be read or written
  wchar_t movedTo[kPathCapacity];  // the file the store uses now
};
// The trouble not told yet; false when there is none. It counts as told once taken.
bool ProfileTakeProblem(SettingsStore* store, ProfileProblem* problem);
int ProfileGetFileName(SettingsStore* store, wchar_t* buffer, int capacity);
void ProfileSuppressFileAccess(SettingsStore* store);
void ProfileResumeFileAccess(SettingsStore* store);
bool ProfileDesktopSizeChanged(const SettingsStore* store);

// The value of `key` in the section that begins at `sectionLine` (the "[name]" line): where it begins in the
// text (blanks after '=' skipped), null when the section has no such key.
const char* FindIniValue(const char* sectionLine, const char* key);

// A value as 8-bit text, at most capacity - 1 bytes. 0 when found; 1 when the key or section is missing or
// no section is given. The default (or an empty text) is copied when the value is missing or empty.
int ProfileGetString(SettingsStore* store, const char* section, const char* key, const char* defaultValue,
                     char* buffer, int capacity);
// Creates or replaces a value; the changed flag is set only when the text changes. A null value deletes the
// key. Names that would break the format (empty, holding '=', ']' or a line break, a key beginning with '['
// or a blank) are refused.
void ProfileSetString(SettingsStore* store, const char* section, const char* key, const char* value);
void ProfileDeleteKey(SettingsStore* store, const char* section, const char* key);
void ProfileDeleteSection(SettingsStore* store, const char* section);

// Decimal integers; an empty or missing value gives the default.
int32_t ProfileGetInt(SettingsStore* store, const char* section, const char* key, int32_t defaultValue);
void ProfileSetInt(SettingsStore* store, const char* section, const char* key, int32_t value);
int32_t ProfileGetOptInt(SettingsStore* store, const char* section, int32_t defaultValue);
void ProfileSetOptInt(SettingsStore* store, const char* section, int32_t value);

// Wide values. Stored in the active code page when that gives the text back unchanged, else as EF BB BF and
// UTF-8 (in a UTF-8 file as plain UTF-8); a value that begins with a blank always takes the marked form, so
// that reading, which skips the blanks after '=', keeps its blanks. The result of the reader is 0 when found,
// else 1 with the default.
int ProfileGetPath(SettingsStore* store, const char* section, const char* key, const wchar_t* defaultValue,
                   wchar_t* buffer, int capacity);
void ProfileSetPath(SettingsStore* store, const char* section, const char* key, const wchar_t* value);
// Replaces a whole section by wide values in one edit, as ProfileDeleteSection followed by ProfileSetPath of
// each value in order would, and in time that grows with the section's length alone. Entries with an invalid
// key or a null value are left out; without any the section is deleted. Nothing changes when out of memory.
struct ProfilePathEntry {
  const char* key;
  const wchar_t* value;
};
void ProfileReplaceSection(SettingsStore* store, const char* section, const ProfilePathEntry* entries,
                           uint32_t count);
// A value a visitor of ProfileEnumSection receives, as wide text decoded as ProfileGetPath decodes it. The result
// is the number of characters.
int ProfileDecodeValue(const SettingsStore* store, const char* value, wchar_t* buffer, int capacity);

// A section's non-empty lines as zero-terminated lines followed by an empty one; lines that do not fit are
// left out. The result is the bytes the whole list needs (its length + 1).
int ProfileCopySection(SettingsStore* store, const char* section, char* buffer, int capacity);
int ProfileGetSectionLength(SettingsStore* store, const char* section);

// Calls `visit` with key and value of each key line of a section (lines without '=' or with an empty key are
// skipped) until it returns non-zero or fails; the result is the number of calls.
using ProfileVisitor = int (*)(const char* key, const char* value, void* userData);
int ProfileEnumSection(SettingsStore* store, const char* section, ProfileVisitor visit, void* userData);
