#include "foundation/profile/profile_store.h"

#include <cstring>

#include "foundation/text/bounded_text.h"
#include "foundation/providers/file_creation.h"
#include "foundation/files/file_io.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/text/numbers.h"
#include "foundation/files/paths.h"
#include "foundation/text/text_sizes.h"
#include "foundation/profile/profile_values.h"
#include "foundation/core/record_buffer.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/system_errors.h"
#include "foundation/text/text_encoding.h"
#include "foundation/core/threads.h"

SettingsStore g_settingsStore;

namespace {

void GetProfilePathBesideProgram(const SettingsStore* store, wchar_t* target, int capacity);
void GetProfilePathPerUser(const SettingsStore* store, wchar_t* target, int capacity);

constexpr int kWork = 2048;
constexpr char kUseThisSection[] = "UseThis";
constexpr char kOptKey[] = "Opt";
constexpr char kVersionKey[] = "Version";
constexpr size_t kProfileNameLength = 5;
constexpr size_t kUtf8MarkLength = 3;

constexpr DWORD kFileLockWaitMs = 10000;

// Holds a store's mutex for one operation; nobody holds it for long, so the wait has no bound.
class StoreLock {
 public:
  explicit StoreLock(SettingsStore* store) : hold_(store->mutex, INFINITE) {}

 private:
  MutexHold hold_;
};

struct TextPiece {
  const char* text;
  size_t length;
};

TextPiece Piece(const char* text) { return {text, strlen(text)}; }

// The pieces joined into one zero-terminated text in `buffer`; null without memory.
const char* JoinPieces(InlineTextBuffer* buffer, const TextPiece* pieces, int count, size_t* length) {
  *length = 0;
  for (int i = 0; i < count; ++i) *length += pieces[i].length;
  if (*length >= 0x7FFFFFF0u) return nullptr;
  char* joined = PrepareInlineTextBuffer(buffer, static_cast<uint32_t>(*length));
  if (joined == nullptr) return nullptr;
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    memcpy(joined + at, pieces[i].text, pieces[i].length);
    at += pieces[i].length;
  }
  return joined;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

const char* LineEnd(const char* p) { return p + strcspn(p, "\r\n"); }

// The start of the next line: after LF, CR LF or a lone CR; the terminator stays where it is.
const char* NextLine(const char* p) {
  p = LineEnd(p);
  if (*p == '\r') ++p;
  if (*p == '\n') ++p;
  return p;
}

char* TextStart(SettingsStore* store) { return store->text + (store->utf8 ? kUtf8MarkLength : 0); }

const char* FindSection(const char* start, const char* section) {
  const size_t length = strlen(section);
  for (const char* line = start; *line != 0; line = NextLine(line)) {
    if (line[0] == '[' && strncmp(line + 1, section, length) == 0 && line[length + 1] == ']') return line;
  }
  return nullptr;
}

const char* SectionEnd(const char* header) {
  const char* line = NextLine(header);
  while (*line != 0 && *line != '[') line = NextLine(line);
  return line;
}

// The line of a key within a section, null when missing.
const char* FindKeyLine(const char* header, const char* key) {
  const size_t length = strlen(key);
  for (const char* line = NextLine(header); *line != 0 && *line != '['; line = NextLine(line)) {
    if (strncmp(line, key, length) == 0 && *SkipBlanks(line + length) == '=') return line;
  }
  return nullptr;
}

// A value as it stands in the text: up to the line end.
TextPiece ValueAt(const char* value) { return {value, static_cast<size_t>(LineEnd(value) - value)}; }

// A value as it is written: cut at its first line break.
TextPiece StoredValue(const char* value) { return {value, strcspn(value, "\r\n")}; }

bool IsValidSectionName(const char* section) {
  return section != nullptr && section[0] != 0 && strpbrk(section, "]\r\n") == nullptr;
}

bool IsValidKey(const char* key) {
  return key != nullptr && key[0] != 0 && key[0] != '[' && !IsBlank(key[0]) && strpbrk(key, "=\r\n") == nullptr;
}

void DropText(SettingsStore* store) {
  FreeAndNull(&store->text);
  FreeAndNull(&store->baseline);
  RecordBufferReset(&store->defaults);
  store->utf8 = 0;
  store->loadError = 0;
}

char* CopyText(const char* text) {
  const size_t length = strlen(text);
  if (length >= 0x7FFFFFF0u) return nullptr;
  auto* copy = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(length) + 1));
  if (copy != nullptr) memcpy(copy, text, length);
  return copy;
}

// The text as this store last read the file or saved it: what differs from it are this store's changes.
void TakeBaseline(SettingsStore* store, const char* text) {
  FreeAndNull(&store->baseline);
  store->baseline = CopyText(text);
}

// The defaults reads gave for values the text did not hold. A value this store sets to such a default is what
// it saw, not a change of its own.
template <typename Visit>
bool AnyDefault(const SettingsStore* store, Visit visit) {
  const char* end = reinterpret_cast<const char*>(RecordBufferData(&store->defaults)) +
                    RecordBufferUsedBytes(&store->defaults);
  for (const char* at = reinterpret_cast<const char*>(RecordBufferData(&store->defaults)); at != nullptr && at < end;) {
    const char* key = at + strlen(at) + 1;
    const char* value = key + strlen(key) + 1;
    if (visit(at, key, value)) return true;
    at = value + strlen(value) + 1;
  }
  return false;
}

bool IsDefaultOf(const SettingsStore* store, const char* section, const char* key, TextPiece value) {
  return AnyDefault(store, [&](const char* s, const char* k, const char* v) {
    return strcmp(s, section) == 0 && strcmp(k, key) == 0 && strlen(v) == value.length &&
           memcmp(v, value.text, value.length) == 0;
  });
}

void NoteDefault(SettingsStore* store, const char* section, const char* key, const char* value) {
  const TextPiece stored = StoredValue(value);
  if (IsDefaultOf(store, section, key, stored)) return;
  const TextPiece pieces[] = {Piece(section), {"", 1}, Piece(key), {"", 1}, stored, {"", 1}};
  InlineTextBuffer record;
  InitInlineTextBuffer(&record);
  size_t length = 0;
  const char* joined = JoinPieces(&record, pieces, 6, &length);
  if (joined != nullptr && length < UINT32_MAX) RecordBufferAppend(&store->defaults, joined, static_cast<uint32_t>(length));
  ReleaseInlineTextBuffer(&record);
}

// Remembered until the user has been told, each kind once for a file.
void NoteProblem(SettingsStore* store, int kind, int error, const wchar_t* path) {
  if (store->toldProblems & (1u << kind)) return;
  store->problem = kind;
  store->problemError = error;
  CopyWideString(path, store->problemPath, kPathCapacity);
}

// Loads the file in place of the text. A missing file is an empty store; so is one that cannot be read, but
// that one is remembered so that no save replaces the settings it holds. A file that holds a zero byte (a
// damaged one, or UTF-16 text) is read up to it and, as it is read only in part, kept as it is too.
void LoadText(SettingsStore* store, const wchar_t* path) {
  DropText(store);
  BufferedFile file;
  InitBufferedFile(&file);
  const int result = FileLoadWhole(&file, path);
  if (result == 0) {
    store->text = reinterpret_cast<char*>(file.wholeFile);
    file.wholeFile = nullptr;
    if (strlen(store->text) != file.wholeFileSize) store->loadError = ERROR_INVALID_DATA;
  } else if (result != ERROR_FILE_NOT_FOUND && result != ERROR_PATH_NOT_FOUND) {
    store->loadError = result > 0 ? result : ERROR_FILE_TOO_LARGE;
  }
  CloseBufferedFile(&file);
  if (store->text == nullptr) store->text = static_cast<char*>(AllocZeroed(1));
  store->utf8 = store->text != nullptr && HasUtf8Bom(store->text, 0) ? 1 : 0;
  if (store->loadError != 0) {
    NoteProblem(store, kProfileUnreadable, store->loadError, path);
  } else if (store->text != nullptr && EqualsIgnoreCaseWide(path, store->path)) {
    TakeBaseline(store, store->text);
  }
}

// Loads the text on first use; false when there is none (no path, suppressed access, no memory).
bool EnsureLoaded(SettingsStore* store) {
  if (store->text == nullptr && store->suppressed == 0 && store->path[0] != 0) LoadText(store, store->path);
  return store->text != nullptr;
}

// A text to edit: the loaded one, else an empty one.
bool EnsureEditable(SettingsStore* store) {
  if (EnsureLoaded(store)) return true;
  store->text = static_cast<char*>(AllocZeroed(1));
  return store->text != nullptr;
}

// Replaces `removed` bytes at `offset` by the insertion and marks the text changed.
bool ReplaceText(SettingsStore* store, size_t offset, size_t removed, const char* insertion, size_t inserted) {
  char* text = store->text;
  const size_t length = strlen(text);
  const size_t tail = length - offset - removed;
  if (inserted <= removed) {
    memcpy(text + offset, insertion, inserted);
    memmove(text + offset + inserted, text + offset + removed, tail + 1);
  } else {
    const size_t newLength = length - removed + inserted;
    if (newLength >= 0x7FFFFFF0u) return false;
    auto* block = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(newLength) + 1));
    if (block == nullptr) return false;
    memcpy(block, text, offset);
    memcpy(block + offset, insertion, inserted);
    memcpy(block + offset + inserted, text + offset + removed, tail);
    FreeAndNull(&store->text);
    store->text = block;
  }
  store->changed = 1;
  return true;
}

size_t LineEndLengthBefore(const char* text, size_t at) {
  if (at >= 2 && text[at - 2] == '\r' && text[at - 1] == '\n') return 2;
  return at >= 1 && (text[at - 1] == '\n' || text[at - 1] == '\r') ? 1 : 0;
}

// True when the text before `at` ends with an empty line that lies after `from`.
bool EndsWithEmptyLine(const char* text, size_t from, size_t at) {
  const size_t end = LineEndLengthBefore(text, at);
  return end != 0 && at - end > from && LineEndLengthBefore(text, at - end) != 0;
}

void InsertAtSectionEnd(SettingsStore* store, const char* header, const char* key, TextPiece value) {
  const size_t headerOffset = static_cast<size_t>(header - store->text);
  size_t at = static_cast<size_t>(SectionEnd(header) - store->text);
  // The empty line before the next section stays after the new line.
  if (EndsWithEmptyLine(store->text, headerOffset, at)) at -= LineEndLengthBefore(store->text, at);
  const bool needsBreak = LineEndLengthBefore(store->text, at) == 0;
  const TextPiece pieces[] = {Piece(needsBreak ? "\r\n" : ""), Piece(key), {"=", 1}, value, {"\r\n", 2}};
  InlineTextBuffer line;
  InitInlineTextBuffer(&line);
  size_t length = 0;
  if (const char* joined = JoinPieces(&line, pieces, 5, &length)) ReplaceText(store, at, 0, joined, length);
  ReleaseInlineTextBuffer(&line);
}

// A new section at the end of the text, after an empty line, holding the given key lines.
void AppendSectionLines(SettingsStore* store, const char* section, TextPiece lines) {
  const size_t start = static_cast<size_t>(TextStart(store) - store->text);
  const size_t length = strlen(store->text);
  const char* separator = "";
  if (length > start && LineEndLengthBefore(store->text, length) == 0) {
    separator = "\r\n\r\n";
  } else if (length > start && !EndsWithEmptyLine(store->text, start, length)) {
    separator = "\r\n";
  }
  const TextPiece pieces[] = {Piece(separator), {"[", 1}, Piece(section), {"]\r\n", 3}, lines};
  InlineTextBuffer text;
  InitInlineTextBuffer(&text);
  size_t joinedLength = 0;
  if (const char* joined = JoinPieces(&text, pieces, 5, &joinedLength))
    ReplaceText(store, length, 0, joined, joinedLength);
  ReleaseInlineTextBuffer(&text);
}

void AppendSection(SettingsStore* store, const char* section, const char* key, TextPiece value) {
  const TextPiece pieces[] = {Piece(key), {"=", 1}, value, {"\r\n", 2}};
  InlineTextBuffer line;
  InitInlineTextBuffer(&line);
  size_t length = 0;
  if (const char* joined = JoinPieces(&line, pieces, 4, &length)) AppendSectionLines(store, section, {joined, length});
  ReleaseInlineTextBuffer(&line);
}

// The key lines of a whole section, "key=value" CR LF each, values encoded as ProfileSetPath stores them.
bool BuildSectionLines(const SettingsStore* store, const ProfilePathEntry* entries, uint32_t count,
                       RecordBuffer* lines) {
  bool built = true;
  for (uint32_t i = 0; i < count && built; ++i) {
    if (!IsValidKey(entries[i].key) || entries[i].value == nullptr) continue;
    InlineTextBuffer encoded;
    InitInlineTextBuffer(&encoded);
    const char* value = EncodeWideValue(store->utf8 != 0, entries[i].value, &encoded);
    const TextPiece stored = value != nullptr ? StoredValue(value) : TextPiece{"", 0};
    built = value != nullptr && RecordBufferAppendBytes(lines, entries[i].key, strlen(entries[i].key)) == 0 &&
            RecordBufferAppendBytes(lines, "=", 1) == 0 &&
            RecordBufferAppendBytes(lines, stored.text, static_cast<uint32_t>(stored.length)) == 0 &&
            RecordBufferAppendBytes(lines, "\r\n", 2) == 0;
    ReleaseInlineTextBuffer(&encoded);
  }
  return built;
}

// The section (when it exists) removed and the lines appended as it, at the end of the text.
void ReplaceSectionLocked(SettingsStore* store, const char* section, const RecordBuffer& lines) {
  if (const char* header = FindSection(TextStart(store), section))
    ReplaceText(store, static_cast<size_t>(header - store->text), static_cast<size_t>(SectionEnd(header) - header),
                "", 0);
  if (RecordBufferUsedBytes(&lines) == 0) return;
  AppendSectionLines(store, section,
                     {reinterpret_cast<const char*>(RecordBufferData(&lines)), RecordBufferUsedBytes(&lines)});
}

void SetValueLocked(SettingsStore* store, const char* section, const char* key, TextPiece value) {
  const char* header = FindSection(TextStart(store), section);
  if (header == nullptr) return AppendSection(store, section, key, value);
  const char* line = FindKeyLine(header, key);
  if (line == nullptr) return InsertAtSectionEnd(store, header, key, value);
  const char* current = SkipBlanks(SkipBlanks(line + strlen(key)) + 1);
  const size_t currentLength = static_cast<size_t>(LineEnd(current) - current);
  if (currentLength == value.length && memcmp(current, value.text, value.length) == 0) return;
  ReplaceText(store, static_cast<size_t>(current - store->text), currentLength, value.text, value.length);
}

// Merging this store's changes into the file as another instance of the program left it.
//
// A change is what differs between the baseline (the file as this store last read or wrote it) and the text:
// a key set or deleted. Only those are written over the file's text now, so that two instances never undo
// each other's changes to different keys. A section whose keys are all numbered (the chain "R1".., the recent
// files "1".., the plug-ins, the shortcuts) is one list: the instance that changed it writes it whole, so that
// two lists are never mixed into one that neither had.

constexpr int kNameCapacity = 256;

// A key line of a section: the key (cut to the buffer) and its value; false for other lines.
bool ParseKeyLine(const char* line, char (&key)[kNameCapacity], TextPiece* value) {
  const char* end = LineEnd(line);
  const char* equals = static_cast<const char*>(memchr(line, '=', static_cast<size_t>(end - line)));
  if (equals == nullptr || equals == line || line[0] == '[') return false;
  const char* keyEnd = equals;
  while (keyEnd > line && IsBlank(keyEnd[-1])) --keyEnd;
  const size_t length = static_cast<size_t>(keyEnd - line);
  if (length == 0 || length >= kNameCapacity) return false;
  memcpy(key, line, length);
  key[length] = 0;
  const char* start = SkipBlanks(equals + 1);
  *value = {start, static_cast<size_t>(end - start)};
  return true;
}

bool SectionName(const char* header, char (&name)[kNameCapacity]) {
  const char* end = header + 1 + strcspn(header + 1, "]\r\n");
  const size_t length = static_cast<size_t>(end - header - 1);
  if (*end != ']' || length == 0 || length >= kNameCapacity) return false;
  memcpy(name, header + 1, length);
  name[length] = 0;
  return true;
}

// Calls `visit` with each key line of the section that begins at `header` (null: none).
template <typename Visit>
void ForEachKeyLine(const char* header, Visit visit) {
  if (header == nullptr) return;
  char key[kNameCapacity];
  TextPiece value = {};
  for (const char* line = NextLine(header); *line != 0 && *line != '['; line = NextLine(line)) {
    if (ParseKeyLine(line, key, &value)) visit(key, value);
  }
}

bool IsNumberedKey(const char* key) {
  const char last = key[strlen(key) - 1];
  return last >= '0' && last <= '9';
}

bool IsListSection(const char* baseHeader, const char* ownHeader) {
  int keys = 0;
  bool numbered = true;
  auto check = [&](const char* key, TextPiece) {
    ++keys;
    numbered = numbered && IsNumberedKey(key);
  };
  ForEachKeyLine(baseHeader, check);
  ForEachKeyLine(ownHeader, check);
  return keys > 0 && numbered;
}

bool SameValue(TextPiece a, const char* b) {
  const TextPiece other = ValueAt(b);
  return a.length == other.length && memcmp(a.text, other.text, a.length) == 0;
}

// The next key line of a section from `line` on; null at the section's end.
const char* KeyLineFrom(const char* line) {
  char key[kNameCapacity];
  TextPiece value = {};
  for (; *line != 0 && *line != '['; line = NextLine(line)) {
    if (ParseKeyLine(line, key, &value)) return line;
  }
  return nullptr;
}

// The same key lines in the same order.
bool SameKeyLines(const char* baseHeader, const char* ownHeader) {
  const char* base = baseHeader != nullptr ? KeyLineFrom(NextLine(baseHeader)) : nullptr;
  const char* own = ownHeader != nullptr ? KeyLineFrom(NextLine(ownHeader)) : nullptr;
  for (; base != nullptr && own != nullptr; base = KeyLineFrom(NextLine(base)), own = KeyLineFrom(NextLine(own))) {
    const size_t length = static_cast<size_t>(LineEnd(base) - base);
    if (length != static_cast<size_t>(LineEnd(own) - own) || memcmp(base, own, length) != 0) return false;
  }
  return base == nullptr && own == nullptr;
}

void DeleteKeyLocked(SettingsStore* store, const char* section, const char* key) {
  const char* header = FindSection(TextStart(store), section);
  const char* line = header != nullptr ? FindKeyLine(header, key) : nullptr;
  if (line == nullptr) return;
  ReplaceText(store, static_cast<size_t>(line - store->text), static_cast<size_t>(NextLine(line) - line), "", 0);
}

void DeleteSectionLocked(SettingsStore* store, const char* section) {
  const char* header = FindSection(TextStart(store), section);
  if (header == nullptr) return;
  ReplaceText(store, static_cast<size_t>(header - store->text), static_cast<size_t>(SectionEnd(header) - header),
              "", 0);
}

// A list of recent entries as three texts hold it: this store's baseline, its text, and the file.
constexpr int kMostRecentEntries = 64;
struct RecentEntries {
  TextPiece values[kMostRecentEntries];
  int count;
};

RecentEntries CollectRecentEntries(const char* header) {
  RecentEntries list = {};
  ForEachKeyLine(header, [&](const char*, TextPiece value) {
    if (list.count < kMostRecentEntries) list.values[list.count++] = value;
  });
  return list;
}

void DecodePiece(bool utf8, TextPiece value, wchar_t (&wide)[kPathCapacity]) {
  char narrow[kPathCapacity * 3 + kUtf8MarkLength + 1];
  const size_t length = value.length < sizeof narrow - 1 ? value.length : sizeof narrow - 1;
  memcpy(narrow, value.text, length);
  narrow[length] = 0;
  DecodeWideValue(utf8, narrow, wide, kPathCapacity);
}

// Where the list holds the entry (compared as the recent files are, ignoring case); -1 when it does not.
int FindRecentEntry(bool utf8, const RecentEntries& list, TextPiece value) {
  wchar_t wanted[kPathCapacity];
  DecodePiece(utf8, value, wanted);
  for (int i = 0; i < list.count; ++i) {
    wchar_t entry[kPathCapacity];
    DecodePiece(utf8, list.values[i], entry);
    if (EqualsIgnoreCaseWide(entry, wanted)) return i;
  }
  return -1;
}

// How many entries at the head of the store's list it put there: those after them keep the baseline's order.
int MovedUpCount(bool utf8, const RecentEntries& base, const RecentEntries& own) {
  int moved = own.count;
  for (int i = own.count - 1, next = base.count; i >= 0; --i) {
    const int at = FindRecentEntry(utf8, base, own.values[i]);
    if (at < 0 || at >= next) break;
    next = at;
    moved = i;
  }
  return moved;
}

// An entry of the baseline the store's list lacks was removed by the store, unless it dropped off the end of a
// full list as newer entries came in.
bool RemovedByStore(bool utf8, const RecentEntries& base, const RecentEntries& own, int moved, uint32_t limit,
                    int baseIndex) {
  if (FindRecentEntry(utf8, own, base.values[baseIndex]) >= 0) return false;
  if (static_cast<uint32_t>(own.count) < limit) return true;
  const int lastKept = own.count > moved ? FindRecentEntry(utf8, base, own.values[own.count - 1]) : -1;
  return baseIndex < lastKept;
}

// The merged list: the store's new entries, then the file's that the store did not remove, each once.
void MergeRecentList(const SettingsStore* store, const char* section, const char* baseHeader, const char* ownHeader,
                     SettingsStore* target) {
  const bool utf8 = store->utf8 != 0;
  const RecentEntries base = CollectRecentEntries(baseHeader);
  const RecentEntries own = CollectRecentEntries(ownHeader);
  const RecentEntries file = CollectRecentEntries(FindSection(TextStart(target), section));
  const int moved = MovedUpCount(utf8, base, own);
  RecentEntries merged = {};
  auto add = [&](TextPiece value) {
    if (static_cast<uint32_t>(merged.count) < store->recentListLimit && FindRecentEntry(utf8, merged, value) < 0)
      merged.values[merged.count++] = value;
  };
  for (int i = 0; i < moved; ++i) add(own.values[i]);
  for (int i = 0; i < file.count; ++i) {
    const int atBase = FindRecentEntry(utf8, base, file.values[i]);
    if (atBase < 0 || !RemovedByStore(utf8, base, own, moved, store->recentListLimit, atBase)) add(file.values[i]);
  }
  RecordBuffer lines;
  RecordBufferInit(&lines, true);
  bool built = true;
  for (int i = 0; i < merged.count && built; ++i) {
    char key[16];
    IntToNarrowDecimal(i + 1, key, sizeof key);
    built = RecordBufferAppendBytes(&lines, key, static_cast<uint32_t>(strlen(key))) == 0 &&
            RecordBufferAppendBytes(&lines, "=", 1) == 0 &&
            RecordBufferAppendBytes(&lines, merged.values[i].text, static_cast<uint32_t>(merged.values[i].length)) == 0 &&
            RecordBufferAppendBytes(&lines, "\r\n", 2) == 0;
  }
  if (built) ReplaceSectionLocked(target, section, lines);
  RecordBufferDestroy(&lines);
}

// A value the store set to the default a read gave for it, where its baseline held none, is no change.
bool IsOwnChange(const SettingsStore* store, const char* section, const char* key, TextPiece value, const char* before) {
  if (before != nullptr && SameValue(value, before)) return false;
  const bool heldNone = before == nullptr || ValueAt(before).length == 0;
  return !(heldNone && IsDefaultOf(store, section, key, value));
}

// Carries one section's change from the baseline to the text over into `target`.
void MergeSection(const SettingsStore* store, const char* section, const char* baseHeader, const char* ownHeader,
                  SettingsStore* target) {
  const bool recent = store->recentList[0] != 0 && strcmp(section, store->recentList) == 0;
  if (recent || IsListSection(baseHeader, ownHeader)) {
    if (SameKeyLines(baseHeader, ownHeader)) return;
    if (recent) return MergeRecentList(store, section, baseHeader, ownHeader, target);
    DeleteSectionLocked(target, section);
    ForEachKeyLine(ownHeader, [&](const char* key, TextPiece value) { SetValueLocked(target, section, key, value); });
    return;
  }
  ForEachKeyLine(ownHeader, [&](const char* key, TextPiece value) {
    const char* before = baseHeader != nullptr ? FindIniValue(baseHeader, key) : nullptr;
    if (IsOwnChange(store, section, key, value, before)) SetValueLocked(target, section, key, value);
  });
  ForEachKeyLine(baseHeader, [&](const char* key, TextPiece) {
    if (ownHeader == nullptr || FindKeyLine(ownHeader, key) == nullptr) DeleteKeyLocked(target, section, key);
  });
}

// Each section of the text and each of the baseline that the text no longer has.
void MergeChanges(const SettingsStore* store, const char* baseline, const char* own, SettingsStore* target) {
  char name[kNameCapacity];
  for (const char* line = own; *line != 0; line = NextLine(line)) {
    if (line[0] == '[' && SectionName(line, name) && FindSection(own, name) == line)
      MergeSection(store, name, FindSection(baseline, name), line, target);
  }
  for (const char* line = baseline; *line != 0; line = NextLine(line)) {
    if (line[0] == '[' && SectionName(line, name) && FindSection(baseline, name) == line && !FindSection(own, name))
      MergeSection(store, name, line, nullptr, target);
  }
}

// The file's text now: true with the text (empty for a missing file), false when it cannot be read whole.
bool ReadFileText(const wchar_t* path, char** text) {
  *text = nullptr;
  BufferedFile file;
  InitBufferedFile(&file);
  const int result = FileLoadWhole(&file, path);
  if (result == 0 && strlen(reinterpret_cast<char*>(file.wholeFile)) == file.wholeFileSize) {
    *text = reinterpret_cast<char*>(file.wholeFile);
    file.wholeFile = nullptr;
  } else if (result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND) {
    *text = static_cast<char*>(AllocZeroed(1));
  }
  CloseBufferedFile(&file);
  return *text != nullptr;
}

// This store's changes written over what the file holds now, when another instance changed the file since
// this store read or saved it (and the two agree on the UTF-8 mark, which decides how values are encoded); null
// when the text is written as it stands.
char* MergedWithFile(const SettingsStore* store, const char* onDisk) {
  if (store->baseline == nullptr || strcmp(onDisk, store->baseline) == 0) return nullptr;
  const int utf8 = HasUtf8Bom(onDisk, 0) ? 1 : 0;
  if (utf8 != store->utf8 || (HasUtf8Bom(store->baseline, 0) ? 1 : 0) != utf8) return nullptr;
  SettingsStore merged = {};
  merged.text = CopyText(onDisk);
  merged.utf8 = utf8;
  if (merged.text == nullptr) return nullptr;
  const size_t skip = utf8 ? kUtf8MarkLength : 0;
  MergeChanges(store, store->baseline + skip, store->text + skip, &merged);
  return merged.text;
}

// Holds the file's name, as a named mutex, while one save reads the file, merges and writes it: a save in
// another process waits for it, at most the store's fileLockWait.
class FileSaveLock {
 public:
  FileSaveLock(const wchar_t* path, DWORD wait) : mutex_(CreateMutexW(nullptr, FALSE, LockName(path).name)),
                                                  hold_(mutex_, wait) {}
  ~FileSaveLock() {
    hold_.Release();
    CloseHandleSafe(mutex_);
  }
  FileSaveLock(const FileSaveLock&) = delete;
  FileSaveLock& operator=(const FileSaveLock&) = delete;
  bool Held() const { return mutex_ != nullptr && hold_.Held(); }

 private:
  struct Name {
    wchar_t name[64];
  };
  static Name LockName(const wchar_t* path) {
    wchar_t upper[kPathCapacity];
    CopyWideString(path, upper, kPathCapacity);
    CharUpperW(upper);
    uint64_t hash = 14695981039346656037ull;
    for (const wchar_t* c = upper; *c != 0; ++c) hash = (hash ^ static_cast<uint16_t>(*c)) * 1099511628211ull;
    Name name;
    wsprintfW(name.name, L"QVRX.profile.%08lx%08lx", static_cast<unsigned long>(hash >> 32),
              static_cast<unsigned long>(hash & 0xFFFFFFFFu));
    return name;
  }
  HANDLE mutex_;
  MutexHold hold_;
};

// Reads the file, merges and writes; the caller holds the file's lock and the store.
int WriteTextIfDifferent(SettingsStore* store) {
  char* onDisk = nullptr;
  char* merged = ReadFileText(store->path, &onDisk) ? MergedWithFile(store, onDisk) : nullptr;
  const char* written = merged != nullptr ? merged : store->text;
  int result = 0;
  if (onDisk == nullptr || strcmp(onDisk, written) != 0)
    result = WriteWholeFile(store->path, written, static_cast<uint32_t>(strlen(written)));
  FreeAndNull(&onDisk);
  FreeAndNull(&merged);
  if (result == 0) TakeBaseline(store, store->text);
  return result;
}

// One save to the store's file: its result, and whether another process kept the file so that nothing was tried.
struct SaveAttempt {
  int result;
  bool fileKept;
};

// Saves a changed text to the store's file: the file's lock first, then the store, so that the store is free
// while the save waits for another process. 0 also when another thread saved or moved the store meanwhile.
SaveAttempt SaveToCurrentFile(SettingsStore* store, wchar_t (&path)[kPathCapacity]) {
  {
    StoreLock lock(store);
    if (store->path[0] == 0 || !store->changed || store->text == nullptr) return {0, false};
    CopyWideString(store->path, path, kPathCapacity);
  }
  FileSaveLock fileLock(path, store->fileLockWait);
  StoreLock lock(store);
  if (!store->changed || !EqualsIgnoreCaseWide(path, store->path)) return {0, false};
  // Said as the system says it of a file in use.
  if (!fileLock.Held()) return {ERROR_SHARING_VIOLATION, true};
  if (store->flags & kProfileMainStore) ProfileSetString(store, kMainProfileSection, kVersionKey, kProgramVersionText);
  const int result = WriteTextIfDifferent(store);
  // A failed save stays pending, so that a later one still writes the settings.
  if (result == 0) store->changed = 0;
  return {result, false};
}

// After a failed write beside the program: the per-user file takes over and remembers it.
int MoveToPerUserFile(SettingsStore* store, int failure, const wchar_t* beside) {
  wchar_t perUser[kPathCapacity];
  GetProfilePathPerUser(store, perUser, kPathCapacity);
  if (perUser[0] == 0 || EqualsIgnoreCaseWide(perUser, beside)) return failure;
  if (ProfileSwitchPath(store, perUser, 0) != 0) return failure;
  ProfileSetPath(store, kUseThisSection, kOptKey, perUser);
  wchar_t tried[kPathCapacity];
  const int result = SaveToCurrentFile(store, tried).result;
  if (result == 0) {
    StoreLock lock(store);
    NoteProblem(store, kProfileMovedAway, failure, beside);
  }
  return result;
}

bool FileExists(const wchar_t* path) {
  const DWORD attributes = GetFileAttributesLong(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The baseline and what the user was told belong to the file before.
void TakePath(SettingsStore* store, const wchar_t* path) {
  CopyWideString(path, store->path, kPathCapacity);
  FreeAndNull(&store->baseline);
  store->toldProblems = 0;
}

// The store's file name: the program file's name without extension, cut to five characters, and ".INI".
void ProfileFileName(const SettingsStore* store, wchar_t* name, int capacity) {
  wchar_t program[kPathCapacity];
  GetProfilePathBesideProgram(store, program, kPathCapacity);
  CopyWideString(program + FileNameOffset(program), name, capacity);
}

void ProgramFile(const SettingsStore* store, wchar_t* target, int capacity) {
  if (store->programFile[0] != 0) {
    CopyWideString(store->programFile, target, capacity);
    return;
  }
  wchar_t path[kPathCapacity];
  const DWORD length = GetModuleFileNameW(nullptr, path, kPathCapacity);
  if (length == 0 || length >= static_cast<DWORD>(kPathCapacity)) path[0] = 0;
  CopyWideString(path[0] == L'"' ? path + 1 : path, target, capacity);
}

// Chooses the file: the per-user one when it can be written, the one beside the program when it exists and
// can be written and the per-user file does not insist on itself, else the one beside the program.
void LocateFile(SettingsStore* store) {
  wchar_t perUser[kPathCapacity];
  wchar_t beside[kPathCapacity];
  GetProfilePathPerUser(store, perUser, kPathCapacity);
  GetProfilePathBesideProgram(store, beside, kPathCapacity);
  if (FileExists(perUser)) ProfileSwitchPath(store, perUser, 1);
  if (FileExists(beside)) {
    char insisted[kWork] = {};
    if (store->path[0] != 0) ProfileGetString(store, kUseThisSection, kOptKey, "", insisted, kWork);
    if (insisted[0] == 0 && ProfileSwitchPath(store, beside, 2) == 0) {
      DropText(store);
      ProfileDeleteSection(store, kUseThisSection);
    }
  }
  // A file beside the program that cannot be written still gives its settings; the first save then moves
  // them to the per-user file.
  if (store->path[0] == 0) TakePath(store, beside);
}

}  // namespace

void ProfileStoreConstruct(SettingsStore* store, const wchar_t* path, uint32_t flags,
                           const ProfileLocations* locations) {
  if (store == nullptr) return;
  memset(store, 0, sizeof *store);
  store->flags = flags;
  store->mutex = CreateMutexW(nullptr, FALSE, nullptr);
  store->fileLockWait = kFileLockWaitMs;
  RecordBufferInit(&store->defaults, true);
  if (locations != nullptr) {
    CopyWideString(locations->programFile, store->programFile, kPathCapacity);
    CopyWideString(locations->userFolder, store->userFolder, kPathCapacity);
  }
  if (path != nullptr) {
    ProfileSwitchPath(store, path, 0);
  } else if (!(flags & kProfileNoAutoLocation)) {
    LocateFile(store);
  }
  if (flags & kProfileMainStore) ProfileCheckDesktopSize(store);
}

void ProfileStoreDestroy(SettingsStore* store) {
  if (store == nullptr || store->mutex == nullptr) return;
  ProfileSave(store);
  {
    StoreLock lock(store);
    DropText(store);
    RecordBufferDestroy(&store->defaults);
  }
  CloseHandleSafe(store->mutex);
  store->mutex = nullptr;
}

void ConstructSettingsStore() { ProfileStoreConstruct(&g_settingsStore, nullptr, kProfileMainStore); }

void DestroySettingsStore() { ProfileStoreDestroy(&g_settingsStore); }

namespace {

// The store's file beside the program file.
void GetProfilePathBesideProgram(const SettingsStore* store, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return;
  wchar_t program[kPathCapacity];
  ProgramFile(store, program, kPathCapacity);
  wchar_t name[kFileNameCapacity];
  CopyWideString(program + FileNameOffset(program), name, kFileNameCapacity);
  StripExtension(name);
  if (name[0] == 0) {
    target[0] = 0;
    return;
  }
  if (WideLength(name) > kProfileNameLength) name[kProfileNameLength] = 0;
  AppendWideBounded(L".INI", name, kFileNameCapacity);
  CutToParentFolder(program);
  if (CopyAndAppendPath(program, name, target, capacity) != 0) target[0] = 0;
}

// The store's file in the maker's folder under the per-user application-data folder.
void GetProfilePathPerUser(const SettingsStore* store, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return;
  target[0] = 0;
  wchar_t folder[kPathCapacity];
  if (store->userFolder[0] != 0) {
    CopyWideString(store->userFolder, folder, kPathCapacity);
  } else {
    GetUserDataFolder(nullptr, folder, kPathCapacity);
  }
  wchar_t name[kFileNameCapacity];
  ProfileFileName(store, name, kFileNameCapacity);
  if (folder[0] == 0 || name[0] == 0) return;
  if (CopyAndAppendPath(folder, name, target, capacity) != 0) target[0] = 0;
}

}  // namespace

int ProfileSwitchPath(SettingsStore* store, const wchar_t* path, int mode) {
  if (store == nullptr || path == nullptr) return ERROR_INVALID_PARAMETER;
  if (path[0] != 0 && EqualsIgnoreCaseWide(path, store->path)) return -1;
  if (path[0] != 0 && !(mode == 0 && !FileExists(path))) {
    if (CheckFileNameChars(path) != 0) return ERROR_INVALID_NAME;
    HANDLE handle = INVALID_HANDLE_VALUE;
    const int opened = OpenFileLong(path, &handle, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (opened != 0) return opened;
    CloseHandleSafe(handle);
  }
  StoreLock lock(store);
  TakePath(store, path);
  return 0;
}

void ProfileSwitchFile(SettingsStore* store, const wchar_t* path) {
  if (ProfileSwitchPath(store, path, 0) != 0) return;
  StoreLock lock(store);
  DropText(store);
}

int ProfileSave(SettingsStore* store) {
  if (store == nullptr || store->suppressed != 0) return 0;
  {
    StoreLock lock(store);
    if (store->path[0] == 0 || !store->changed || store->text == nullptr) return 0;
    if (store->loadError != 0) return store->loadError;
  }
  wchar_t tried[kPathCapacity];
  const SaveAttempt attempt = SaveToCurrentFile(store, tried);
  int result = attempt.result;
  // A file another process is saving is no reason to move away from it.
  if (result != 0 && !attempt.fileKept && !(store->flags & kProfileNoAutoLocation))
    result = MoveToPerUserFile(store, result, tried);
  if (result < 0) result = static_cast<int>(MapLastError(ERROR_ACCESS_DENIED));
  if (result != 0) {
    StoreLock lock(store);
    NoteProblem(store, kProfileNotSaved, result, tried);
  }
  return result;
}

void ProfileDeclareRecentList(SettingsStore* store, const char* section, uint32_t limit) {
  if (store == nullptr || !IsValidSectionName(section)) return;
  StoreLock lock(store);
  CopyNarrowBounded(section, store->recentList, sizeof store->recentList);
  store->recentListLimit = limit;
}

bool ProfileTakeProblem(SettingsStore* store, ProfileProblem* problem) {
  if (store == nullptr || problem == nullptr) return false;
  StoreLock lock(store);
  if (store->problem == 0) return false;
  problem->kind = store->problem;
  problem->error = store->problemError;
  CopyWideString(store->problemPath, problem->path, kPathCapacity);
  CopyWideString(store->path, problem->movedTo, kPathCapacity);
  store->toldProblems |= 1u << store->problem;
  store->problem = 0;
  return true;
}

int ProfileGetFileName(SettingsStore* store, wchar_t* buffer, int capacity) {
  if (store == nullptr || buffer == nullptr || capacity <= 0) return 0;
  StoreLock lock(store);
  CopyWideString(store->path, buffer, capacity);
  return static_cast<int>(WideLength(buffer));
}

void ProfileSuppressFileAccess(SettingsStore* store) {
  if (store != nullptr) InterlockedIncrement(&store->suppressed);
}

void ProfileResumeFileAccess(SettingsStore* store) {
  if (store != nullptr) InterlockedExchange(&store->suppressed, 0);
}

bool ProfileDesktopSizeChanged(const SettingsStore* store) {
  return store != nullptr && (store->flags & kProfileDesktopChanged) != 0;
}

const char* FindIniValue(const char* sectionLine, const char* key) {
  if (sectionLine == nullptr || key == nullptr || key[0] == 0) return nullptr;
  const char* line = FindKeyLine(sectionLine, key);
  return line != nullptr ? SkipBlanks(SkipBlanks(line + strlen(key)) + 1) : nullptr;
}

int ProfileGetString(SettingsStore* store, const char* section, const char* key, const char* defaultValue,
                     char* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 1;
  // The default goes in first, so that every way of finding nothing leaves it there.
  CopyNarrowBounded(defaultValue != nullptr ? defaultValue : "", buffer, capacity);
  if (store == nullptr || section == nullptr || key == nullptr) return 1;
  StoreLock lock(store);
  if (!EnsureLoaded(store)) return 1;
  const char* header = FindSection(TextStart(store), section);
  const char* value = header != nullptr ? FindIniValue(header, key) : nullptr;
  const TextPiece piece = value != nullptr ? ValueAt(value) : TextPiece{"", 0};
  if (piece.length == 0) {
    if (defaultValue != nullptr) NoteDefault(store, section, key, defaultValue);
    return value == nullptr ? 1 : 0;
  }
  const size_t copied = piece.length < static_cast<size_t>(capacity) ? piece.length : capacity - 1;
  memcpy(buffer, piece.text, copied);
  buffer[copied] = 0;
  return 0;
}

void ProfileSetString(SettingsStore* store, const char* section, const char* key, const char* value) {
  if (store == nullptr || !IsValidSectionName(section) || !IsValidKey(key)) return;
  if (value == nullptr) return ProfileDeleteKey(store, section, key);
  if (store->suppressed != 0) return;
  StoreLock lock(store);
  if (!EnsureEditable(store)) return;
  SetValueLocked(store, section, key, StoredValue(value));
}

void ProfileDeleteKey(SettingsStore* store, const char* section, const char* key) {
  if (store == nullptr || section == nullptr || key == nullptr || key[0] == 0 || store->suppressed != 0) return;
  StoreLock lock(store);
  if (EnsureLoaded(store)) DeleteKeyLocked(store, section, key);
}

void ProfileDeleteSection(SettingsStore* store, const char* section) {
  if (store == nullptr || section == nullptr || store->suppressed != 0) return;
  StoreLock lock(store);
  if (EnsureLoaded(store)) DeleteSectionLocked(store, section);
}

int32_t ProfileGetInt(SettingsStore* store, const char* section, const char* key, int32_t defaultValue) {
  char fallback[16];
  IntToNarrowDecimal(defaultValue, fallback, sizeof fallback);
  char text[64];
  ProfileGetString(store, section, key, fallback, text, sizeof text);
  return text[0] != 0 ? NarrowToLong(text) : defaultValue;
}

void ProfileSetInt(SettingsStore* store, const char* section, const char* key, int32_t value) {
  char text[16];
  IntToNarrowDecimal(value, text, sizeof text);
  ProfileSetString(store, section, key, text);
}

int32_t ProfileGetOptInt(SettingsStore* store, const char* section, int32_t defaultValue) {
  return ProfileGetInt(store, section, kOptKey, defaultValue);
}

void ProfileSetOptInt(SettingsStore* store, const char* section, int32_t value) {
  ProfileSetInt(store, section, kOptKey, value);
}

int ProfileGetPath(SettingsStore* store, const char* section, const char* key, const wchar_t* defaultValue,
                   wchar_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 1;
  CopyWideString(defaultValue != nullptr ? defaultValue : L"", buffer, capacity);
  InlineTextBuffer raw;
  InitInlineTextBuffer(&raw);
  const int rawCapacity = capacity * 3 + static_cast<int>(kUtf8MarkLength) + 1;
  char* bytes = PrepareInlineTextBuffer(&raw, static_cast<uint32_t>(rawCapacity));
  // The default in its stored form, so that the store knows it when it is set again.
  InlineTextBuffer encoded;
  InitInlineTextBuffer(&encoded);
  const char* fallback =
      EncodeWideValue(store != nullptr && store->utf8 != 0, defaultValue != nullptr ? defaultValue : L"", &encoded);
  const int found =
      bytes != nullptr ? ProfileGetString(store, section, key, fallback != nullptr ? fallback : "", bytes, rawCapacity)
                       : 1;
  if (found == 0 && bytes[0] != 0) DecodeWideValue(store->utf8 != 0, bytes, buffer, capacity);
  ReleaseInlineTextBuffer(&encoded);
  ReleaseInlineTextBuffer(&raw);
  return found;
}

void ProfileSetPath(SettingsStore* store, const char* section, const char* key, const wchar_t* value) {
  if (store == nullptr) return;
  if (value == nullptr) return ProfileDeleteKey(store, section, key);
  InlineTextBuffer encoded;
  InitInlineTextBuffer(&encoded);
  if (const char* text = EncodeWideValue(store->utf8 != 0, value, &encoded))
    ProfileSetString(store, section, key, text);
  ReleaseInlineTextBuffer(&encoded);
}

int ProfileDecodeValue(const SettingsStore* store, const char* value, wchar_t* buffer, int capacity) {
  return DecodeWideValue(store != nullptr && store->utf8 != 0, value, buffer, capacity);
}

int ProfileCopySection(SettingsStore* store, const char* section, char* buffer, int capacity) {
  if (buffer != nullptr && capacity > 0) buffer[0] = 0;
  if (store == nullptr || section == nullptr) return 1;
  StoreLock lock(store);
  if (!EnsureLoaded(store)) return 1;
  const char* header = FindSection(TextStart(store), section);
  if (header == nullptr) return 1;
  size_t needed = 0;
  size_t written = 0;
  bool full = buffer == nullptr || capacity <= 0;
  for (const char* line = NextLine(header); *line != 0 && *line != '['; line = NextLine(line)) {
    const size_t length = static_cast<size_t>(LineEnd(line) - line);
    if (length == 0) continue;
    needed += length + 1;
    full = full || written + length + 1 >= static_cast<size_t>(capacity);
    if (full) continue;
    memcpy(buffer + written, line, length);
    written += length;
    buffer[written++] = 0;
  }
  if (buffer != nullptr && capacity > 0) buffer[written] = 0;
  return static_cast<int>(needed + 1);
}

int ProfileGetSectionLength(SettingsStore* store, const char* section) {
  return ProfileCopySection(store, section, nullptr, 0);
}

int ProfileEnumSection(SettingsStore* store, const char* section, ProfileVisitor visit, void* userData) {
  if (visit == nullptr) return 0;
  const int needed = ProfileGetSectionLength(store, section);
  auto* lines = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(needed)));
  if (lines == nullptr) return 0;
  ProfileCopySection(store, section, lines, needed);
  int calls = 0;
  for (char *line = lines, *next = nullptr; *line != 0; line = next) {
    next = line + strlen(line) + 1;
    char* equals = strchr(line, '=');
    if (equals == nullptr) continue;
    char* keyEnd = equals;
    while (keyEnd > line && IsBlank(keyEnd[-1])) --keyEnd;
    if (keyEnd == line) continue;
    *keyEnd = 0;
    const TextPiece value = ValueAt(SkipBlanks(equals + 1));
    const_cast<char*>(value.text)[value.length] = 0;
    ++calls;
    // A visitor that fails ends the walk.
    if (GuardedCall(1, [&] { return visit(line, value.text, userData); }) != 0) break;
  }
  FreeAndNull(&lines);
  return calls;
}

void ProfileReplaceSection(SettingsStore* store, const char* section, const ProfilePathEntry* entries,
                           uint32_t count) {
  if (store == nullptr || !IsValidSectionName(section) || store->suppressed != 0) return;
  RecordBuffer lines;
  RecordBufferInit(&lines, true);
  if (BuildSectionLines(store, entries, count, &lines)) {
    StoreLock lock(store);
    if (EnsureEditable(store)) ReplaceSectionLocked(store, section, lines);
  }
  RecordBufferDestroy(&lines);
}
