// Values of the profile store made of several parts: lists of numbers, window positions, fonts and colours,
// the desktop-size check, and the 8-bit form wide texts take in the store.
#pragma once
#include <windows.h>

#include <cstdint>

struct ColumnLayout;
struct SettingsStore;
struct InlineTextBuffer;
struct WindowPlacementRecord;

constexpr int kCustomColorCount = 16;

// The 8-bit form of a wide value: the active code page when that gives the text back unchanged, else EF BB BF
// and UTF-8; in a UTF-8 file plain UTF-8 where that reads back. A text that begins with a blank always takes
// the marked form. Null without memory.
const char* EncodeWideValue(bool utf8File, const wchar_t* text, InlineTextBuffer* buffer);
// The wide text of a stored value (UTF-8 after a mark, or in a UTF-8 file when valid; else the active code
// page). The result is the number of characters.
int DecodeWideValue(bool utf8File, const char* text, wchar_t* target, int capacity);

// Key "Pos": x, y, width, height and show state. Valid only with exactly five values, width and height at
// least 50 and at most twice the desktop's; a show state other than 1 or 3 reads as 0. Without a valid value
// x and y are unset and the size is the default (scaled for wide screens when positive).
void ProfileGetWindowPos(SettingsStore* store, const char* section, WindowPlacementRecord* placement,
                         int defaultWidth, int defaultHeight);
void ProfileSetWindowPos(SettingsStore* store, const char* section, const WindowPlacementRecord& placement);
// Stores a window's current placement.
void ProfileSaveWindowPos(SettingsStore* store, const char* section, HWND window);
// With a window: applies its placement again, kept on the work area (a hidden window gets show state 0).
// Without one: the stored x and y of "Pos" become unset when they were set.
void NormalizeWindowPosition(HWND window, SettingsStore* store, const char* section);

// A font as thirteen numbers and the face name. Nothing is read while the desktop size differs from the last
// run. The reader is false (and ProfileGetFont null) when nothing is stored; a font whose description cannot
// be read deletes the key.
bool ProfileGetLogFont(SettingsStore* store, const char* section, const char* key, LOGFONTW* font);
void ProfileSetLogFont(SettingsStore* store, const char* section, const char* key, const LOGFONTW& font);
HFONT ProfileGetFont(SettingsStore* store, const char* section, const char* key);
void ProfileSetFont(SettingsStore* store, const char* section, const char* key, HFONT font);

// Key "CC": up to 16 colours as a hexadecimal list; missing ones read as white. Trailing white is not
// written; all white deletes the key.
void ProfileGetCustomColors(SettingsStore* store, const char* section, COLORREF* colors);
void ProfileSetCustomColors(SettingsStore* store, const char* section, const COLORREF* colors);

// Two or three values (text colour, background colour, a third for the caller): taken only when the two
// colours differ by more than 94 in the sum of their red, green and blue differences; otherwise all three are
// 0 and the result is false.
bool ProfileGetColorPair(SettingsStore* store, const char* section, const char* key, uint32_t* values);
// Two values, or three when the third is not 0, as a hexadecimal list.
void ProfileSetHexInts(SettingsStore* store, const char* section, const char* key, uint32_t first, uint32_t second,
                       uint32_t third);

// The key a list's columns are stored under, as widths or as a whole layout.
constexpr char kColumnLayoutKey[] = "L";

// Column widths (key kColumnLayoutKey unless another is given): the widths of a column table in table order,
// separated by ';'; an item "id,width" sets the column with that id instead of the next one. A width is taken
// when it lies between 11 and the work area's width; otherwise a column whose width is 0 gets 100. Nothing is
// read while the desktop size differs from the last run. The writer stores every entry's width.
void ProfileGetColumnWidths(SettingsStore* store, ColumnLayout* table, const char* section, const char* key);
void ProfileSetColumnWidths(SettingsStore* store, const ColumnLayout* table, const char* section, const char* key);

// Compares the desktop size with key "." of section "Desk": the store is marked when both width and height
// changed, and the current size is stored unless both are the same.
void ProfileCheckDesktopSize(SettingsStore* store);
