#include "foundation/files/paths.h"

#include <windows.h>

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/text/text_encoding.h"

namespace {

constexpr size_t kLongPathThreshold = 260;
constexpr int kPathWork = 2048;
constexpr int kInvalidName = 123;
constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC";
constexpr size_t kLongPrefixLength = 4;
constexpr size_t kLongUncPrefixLength = 7;
constexpr wchar_t kInvalidNameChars[] = L"\\/:*?\"<>|";

bool HasLongPrefix(const wchar_t* path) { return wcsncmp(path, kLongPrefix, kLongPrefixLength) == 0; }

bool IsUncPath(const wchar_t* path) {
  // "\\.\" names a device, not a server.
  return path[0] == L'\\' && path[1] == L'\\' && path[2] != 0 && path[2] != L'\\' &&
         !(path[2] == L'.' && path[3] == L'\\');
}

bool IsRootSeparator(wchar_t c) { return c == L'\\' || c == L'/' || c == L':'; }

bool HasDotComponent(const wchar_t* path) {
  for (const wchar_t* part = path; *part != 0;) {
    const wchar_t* end = part;
    while (*end != 0 && !IsPathSeparator(*end)) ++end;
    const size_t length = static_cast<size_t>(end - part);
    if ((length == 1 || length == 2) && wcsncmp(part, L"..", length) == 0) return true;
    part = *end != 0 ? end + 1 : end;
  }
  return false;
}

bool IsRootedPath(const wchar_t* path) {
  const bool drive = iswalpha(path[0]) && path[1] == L':' && IsPathSeparator(path[2]);
  return drive || (IsPathSeparator(path[0]) && IsPathSeparator(path[1]));
}

bool IsInvalidNameChar(wchar_t c, bool allowSeparators) {
  if (c >= 1 && c < 0x20) return true;
  if (allowSeparators && IsPathSeparator(c)) return false;
  return c != 0 && wcschr(kInvalidNameChars, c) != nullptr;
}

// Length of the root at the start of a path without long-path prefix; `driveForm` receives the upper-cased
// "X:\" form for a path like "d:" or "d:/x", else stays empty.
size_t RootLength(const wchar_t* path, wchar_t* driveForm) {
  if (const wchar_t* driveRoot = wcsstr(path, L":\\")) return static_cast<size_t>(driveRoot - path) + 2;
  if (path[0] != 0 && path[1] == L':') {
    if (path[2] != 0 && !IsPathSeparator(path[2])) return 0;
    driveForm[0] = CharToUpperWide(path[0]);
    driveForm[1] = L':';
    driveForm[2] = path[2] != 0 ? path[2] : L'\\';
    driveForm[3] = 0;
    return 3;
  }
  if (path[0] == L'\\' && path[1] == L'\\') {
    int backslashes = 2;
    size_t i = 2;
    for (; path[i] != 0; ++i) {
      if (path[i] == L'\\' && ++backslashes == 4) return i;
    }
    return backslashes == 2 ? 2 : i;
  }
  return IsPathSeparator(path[0]) ? 1 : 0;
}

// The root of a path behind the long prefix: "C:\" or, for "\server\share\..." (the UNC form without its
// first backslash), up to and with the separator after the share.
size_t RootBehindPrefix(const wchar_t* rest, bool unc) {
  if (!unc) return rest[2] == L'\\' ? 3 : 2;
  int separators = 0;
  size_t i = 0;
  for (; rest[i] != 0; ++i) {
    if (rest[i] == L'\\' && ++separators == 3) return i + 1;
  }
  return i;
}

// Behind the prefix the system takes a path as it stands; what it would have done without the prefix is done
// here: '/' becomes '\', repeated separators and "." components go and ".." components take the one before
// them away. Names that end in a dot or a blank stay as they are, which is what the prefix is for.
void ResolveBehindPrefix(wchar_t* rest, bool unc) {
  ReplaceCharWide(rest, L'/', L'\\');
  const size_t root = RootBehindPrefix(rest, unc);
  size_t out = root;
  size_t in = root;
  while (rest[in] != 0) {
    const size_t start = in;
    while (rest[in] != 0 && rest[in] != L'\\') ++in;
    const size_t length = in - start;
    const bool separatorFollows = rest[in] != 0;
    if (separatorFollows) ++in;
    if (length == 0 || (length == 1 && rest[start] == L'.')) continue;
    if (length == 2 && rest[start] == L'.' && rest[start + 1] == L'.') {
      if (out > root) --out;
      while (out > root && rest[out - 1] != L'\\') --out;
      continue;
    }
    wmemmove(rest + out, rest + start, length);
    out += length;
    if (separatorFollows) rest[out++] = L'\\';
  }
  rest[out] = 0;
}

// The port of COM and LPT: 1 to 9, or a superscript 1, 2 or 3, which the system takes for the same device.
bool IsDevicePortDigit(wchar_t c) {
  return (c >= L'1' && c <= L'9') || c == L'\u00B9' || c == L'\u00B2' || c == L'\u00B3';
}

}  // namespace

bool IsDrivePath(const wchar_t* path) {
  if (path == nullptr) return false;
  const wchar_t letter = path[0];
  return ((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z')) && path[1] == L':';
}

void StripExtension(wchar_t* path) {
  if (path != nullptr) path[ExtensionDotPosition(path)] = 0;
}

void FileTitleOfPath(const wchar_t* path, wchar_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return;
  out[0] = 0;
  if (path == nullptr) return;
  const wchar_t* name = path + FileNameOffset(path);
  const int dot = ExtensionDotPosition(name);
  const int length = dot < capacity - 1 ? dot : capacity - 1;
  wmemcpy(out, name, static_cast<size_t>(length));
  out[length] = 0;
}

int GetUpperExtensionAnsi(const wchar_t* path, char* target, int capacity) {
  const int length = WideToMultiByteBounded(ExtensionPointer(path), target, capacity, CP_ACP);
  if (length > 0) StringToUpperNarrow(target);
  return length;
}

int AddTrailingBackslash(wchar_t* path, int capacity) {
  if (path == nullptr || path[0] == 0) return 0;
  const size_t length = wcsnlen(path, capacity > 0 ? static_cast<size_t>(capacity) : 0);
  if (length == 0 || IsPathSeparator(path[length - 1])) return 0;
  return AppendWideBounded(L"\\", path, capacity);
}

void RemoveTrailingBackslash(wchar_t* path) {
  if (path == nullptr) return;
  ReplaceCharWide(path, L'/', L'\\');
  const size_t length = wcslen(path);
  if (length >= 3 && path[length - 1] == L'\\' && path[length - 2] != L':' && path[length - 2] != L'\\')
    path[length - 1] = 0;
}

void BackslashesToSlashes(wchar_t* path) { ReplaceCharWide(path, L'\\', L'/'); }

int AppendPathComponent(const wchar_t* component, wchar_t* path, int capacity) {
  if (path == nullptr || capacity <= 0) return 0;
  const int separatorResult = AddTrailingBackslash(path, capacity);
  if (separatorResult < 0) return separatorResult;
  if (component != nullptr && IsPathSeparator(component[0])) ++component;
  const int result = AppendWideBounded(component, path, capacity);
  if (wcschr(path, L'/') != nullptr) BackslashesToSlashes(path);
  return result;
}

int CopyAndAppendPath(const wchar_t* base, const wchar_t* component, wchar_t* target, int capacity) {
  const int copied = CopyWideBounded(base, target, capacity);
  if (copied < 0) return copied;
  return AppendPathComponent(component, target, capacity);
}

void ResolveDotComponents(wchar_t* path, int capacity) {
  if (path == nullptr || capacity <= 0 || !IsRootedPath(path) || !HasDotComponent(path)) return;
  wchar_t* full = AllocZeroedWide(static_cast<uint32_t>(capacity));
  if (full == nullptr) return;
  const DWORD length = GetFullPathNameW(path, static_cast<DWORD>(capacity), full, nullptr);
  if (length != 0 && length < static_cast<DWORD>(capacity)) CopyWideBounded(full, path, capacity);
  FreeAndNull(&full);
}

bool PathStartsWith(const wchar_t* path, const wchar_t* prefix) {
  if (path == nullptr || prefix == nullptr || prefix[0] == 0) return false;
  const size_t prefixLength = wcslen(prefix);
  if (wcslen(path) < prefixLength) return false;
  for (size_t i = 0; i < prefixLength; ++i) {
    const bool bothSeparators = IsRootSeparator(path[i]) && IsRootSeparator(prefix[i]);
    if (!bothSeparators && CharToUpperWide(path[i]) != CharToUpperWide(prefix[i])) return false;
  }
  const wchar_t next = path[prefixLength];
  return next == 0 || IsRootSeparator(next) || IsRootSeparator(prefix[prefixLength - 1]);
}

int GetPathRoot(const wchar_t* path, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  if (path == nullptr) return 0;
  wchar_t work[kPathWork];
  StripLongPathPrefix(path, work, kPathWork);
  wchar_t driveForm[4] = {};
  const size_t length = RootLength(work, driveForm);
  if (driveForm[0] != 0) {
    CopyWideBounded(driveForm, target, capacity);
  } else {
    work[length] = 0;
    CopyWideBounded(work, target, capacity);
  }
  return static_cast<int>(wcslen(target));
}

LongPath::LongPath(const wchar_t* source) { MakeLongPath(this, source); }

LongPath::~LongPath() {
  if (owned != nullptr) ReleaseInlineTextBuffer(owned);
  FreeAndNull(&owned);
}

bool NeedsLiteralPath(const wchar_t* path) {
  if (path == nullptr || HasLongPrefix(path)) return false;
  size_t start = 0;
  for (size_t i = 0;; ++i) {
    if (path[i] != 0 && !IsPathSeparator(path[i])) continue;
    const size_t length = i - start;
    const bool dotSegment = (length == 1 && path[start] == L'.') ||
                            (length == 2 && path[start] == L'.' && path[start + 1] == L'.');
    if (length > 0 && !dotSegment && (path[i - 1] == L'.' || path[i - 1] == L' ')) return true;
    if (path[i] == 0) return false;
    start = i + 1;
  }
}

const wchar_t* MakeLongPath(LongPath* longPath, const wchar_t* path) {
  if (longPath == nullptr) return path;
  if (longPath->owned != nullptr) ReleaseInlineTextBuffer(longPath->owned);
  FreeAndNull(&longPath->owned);
  longPath->path = path;
  if (path == nullptr || HasLongPrefix(path)) return path;
  const bool unc = IsUncPath(path);
  const bool absoluteDrive = IsDrivePath(path) && IsPathSeparator(path[2]);
  const bool literal = (unc || absoluteDrive) && NeedsLiteralPath(path);
  if (!literal && wcslen(path) < kLongPathThreshold) return path;
  if (!unc && !IsDrivePath(path)) return path;
  const wchar_t* prefix = unc ? kLongUncPrefix : kLongPrefix;
  const size_t prefixLength = unc ? kLongUncPrefixLength : kLongPrefixLength;
  const wchar_t* rest = unc ? path + 1 : path;
  const size_t restLength = wcslen(rest);
  auto* buffer = static_cast<InlineTextBuffer*>(AllocZeroed(sizeof(InlineTextBuffer)));
  if (buffer == nullptr) return path;
  InitInlineTextBuffer(buffer);
  wchar_t* copy = PrepareInlineWideBuffer(buffer, static_cast<uint32_t>(prefixLength + restLength + 2));
  if (copy == nullptr) {
    FreeAndNull(&buffer);
    return path;
  }
  wmemcpy(copy, prefix, prefixLength);
  wmemcpy(copy + prefixLength, rest, restLength + 1);
  ResolveBehindPrefix(copy + prefixLength, unc);
  longPath->owned = buffer;
  longPath->path = copy;
  return copy;
}

int StripLongPathPrefix(const wchar_t* path, wchar_t* target, int capacity) {
  if (path == nullptr) return CopyWideBounded(L"", target, capacity);
  if (!HasLongPrefix(path)) return CopyWideBounded(path, target, capacity);
  const wchar_t* rest = path + kLongPrefixLength;
  const bool unc = CharToUpperWide(rest[0]) == L'U' && CharToUpperWide(rest[1]) == L'N' &&
                   CharToUpperWide(rest[2]) == L'C' && rest[3] == L'\\';
  if (!unc) return CopyWideBounded(rest, target, capacity);
  // "\\?\UNC\server" gives "\\server": one '\' in front of the "\server" that follows "UNC".
  const int first = CopyWideBounded(L"\\", target, capacity);
  return first < 0 ? first : AppendWideBounded(rest + 3, target, capacity);
}

int FindInvalidFileNameChar(const wchar_t* name, bool allowSeparators) {
  if (name == nullptr) return 0;
  for (int i = 0; name[i] != 0; ++i) {
    if (IsInvalidNameChar(name[i], allowSeparators)) return i + 1;
  }
  return 0;
}

bool IsReservedDeviceName(const wchar_t* name) {
  if (name == nullptr) return false;
  size_t stem = 0;
  while (name[stem] != 0 && name[stem] != L'.') ++stem;
  while (stem > 0 && name[stem - 1] == L' ') --stem;
  const auto is = [&](const wchar_t* device) {
    return stem == WideLength(device) && CompareStringOrdinal(name, static_cast<int>(stem), device, -1, TRUE) == CSTR_EQUAL;
  };
  if (is(L"CON") || is(L"PRN") || is(L"AUX") || is(L"NUL")) return true;
  if (stem != 4 || !IsDevicePortDigit(name[3])) return false;
  return CompareStringOrdinal(name, 3, L"COM", 3, TRUE) == CSTR_EQUAL ||
         CompareStringOrdinal(name, 3, L"LPT", 3, TRUE) == CSTR_EQUAL;
}

void ReplaceInvalidFileNameChars(wchar_t* name) {
  if (name == nullptr) return;
  for (; *name != 0; ++name) {
    if (IsInvalidNameChar(*name, false)) *name = L'_';
  }
}

int CheckFileNameChars(const wchar_t* path) {
  if (path == nullptr) return 0;
  return FindInvalidFileNameChar(path + FileNameOffset(path), false) != 0 ? kInvalidName : 0;
}

int GetShortPathOrCopy(const wchar_t* path, wchar_t* target, int capacity) {
  if (path == nullptr) {
    CopyWideBounded(L"", target, capacity);
    return 2;
  }
  if (wcscmp(path + FileNameOffset(path), L"..") == 0) {
    CopyWideBounded(path, target, capacity);
    return 1;
  }
  if (target != nullptr && capacity > 0) {
    const DWORD length = GetShortPathNameW(path, target, static_cast<DWORD>(capacity));
    if (length > 0 && length < static_cast<DWORD>(capacity)) return 0;
  }
  CopyWideBounded(path, target, capacity);
  return 2;
}

int WideToAnsiOrShortPath(const wchar_t* path, char* target, int capacity) {
  WideToMultiByteBounded(path, target, capacity, CP_ACP);
  if (target == nullptr || capacity <= 0 || strchr(target, '?') == nullptr) return 0;
  wchar_t shortPath[kPathWork];
  const int result = GetShortPathOrCopy(path, shortPath, kPathWork);
  WideToMultiByteBounded(shortPath, target, capacity, CP_ACP);
  return result;
}

void QuoteText(const wchar_t* source, wchar_t* target, int capacity) {
  if (target == nullptr || capacity < 3) return;
  if (source == nullptr) source = L"";
  // Measure first, then write from the back, so that quoting a buffer in place never overwrites a
  // character before it has been read.
  const size_t cells = static_cast<size_t>(capacity);
  size_t end = 1;
  size_t taken = 0;
  for (; source[taken] != 0; ++taken) {
    const size_t width = source[taken] == L'"' ? 2 : 1;
    if (end + width + 2 > cells) break;
    end += width;
  }
  target[end + 1] = 0;
  target[end] = L'"';
  size_t out = end;
  for (size_t i = taken; i-- > 0;) {
    const wchar_t c = source[i];
    target[--out] = c;
    if (c == L'"') target[--out] = L'\\';
  }
  target[0] = L'"';
}

void QuoteTextIfNeeded(const wchar_t* source, wchar_t* target, int capacity) {
  if (source != nullptr && wcspbrk(source, L" \"") != nullptr) {
    QuoteText(source, target, capacity);
  } else {
    CopyWideBounded(source, target, capacity);
  }
}

void UnquoteText(wchar_t* text) {
  if (text == nullptr || text[0] != L'"') return;
  const size_t length = wcslen(text);
  if (length == 2 && text[1] == L'"') {
    text[0] = 0;
    return;
  }
  if (length <= 2) return;
  const bool closed = text[length - 1] == L'"';
  const size_t begin = closed ? 1 : 0;
  const size_t end = closed ? length - 1 : length;
  size_t out = 0;
  for (size_t i = begin; i < end; ++i) {
    if (text[i] == L'\\' && i + 1 < end && text[i + 1] == L'"') continue;
    text[out++] = text[i];
  }
  text[out] = 0;
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}
