#include "foundation/profile/profile_values.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/profile/profile_store.h"
#include "foundation/core/record_buffer.h"
#include "foundation/text/text_encoding.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/window_placement.h"

namespace {

constexpr char kPositionKey[] = "Pos";
constexpr char kCustomColorsKey[] = "CC";
constexpr char kDesktopSection[] = "Desk";
constexpr char kDesktopSizeKey[] = ".";
constexpr int kFontNumberCount = 13;
constexpr int kSmallestWindowSide = 50;
constexpr int kColorPairDistance = 94;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kListCapacity = 512;
constexpr int kColumnWidthsCapacity = 4096;
constexpr int kNarrowestStoredColumn = 11;
constexpr int kUnsetColumnWidth = 100;

SIZE DesktopSize() {
  RECT desktop = {};
  GetWindowRect(GetDesktopWindow(), &desktop);
  return {desktop.right - desktop.left, desktop.bottom - desktop.top};
}

int32_t AsSigned(uint32_t value) { return static_cast<int32_t>(value); }

// Appends "%lx" of each value, joined by ',', after a '#'.
void FormatHexList(const uint32_t* values, int count, char* text, int capacity) {
  CopyNarrowBounded("#", text, capacity);
  for (int i = 0; i < count; ++i) {
    char item[16];
    snprintf(item, sizeof item, i == 0 ? "%lx" : ",%lx", static_cast<unsigned long>(values[i]));
    AppendNarrowBounded(item, text, capacity);
  }
}

int ColorDistance(uint32_t a, uint32_t b) {
  int distance = 0;
  for (int shift = 0; shift < 24; shift += 8)
    distance += abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
  return distance;
}

// Where the face name begins: after the thirteenth ','; null when the value has fewer.
const char* FaceNameOf(const char* value) {
  const char* p = value;
  for (int i = 0; i < kFontNumberCount; ++i) {
    p = strchr(p, ',');
    if (p == nullptr) return nullptr;
    ++p;
  }
  return p;
}

bool IsAscii(const char* text) {
  for (; *text != 0; ++text) {
    if (static_cast<unsigned char>(*text) >= 0x80) return false;
  }
  return true;
}

// A ','-separated list up to the line end: a list that begins with '#' is hexadecimal throughout; otherwise a
// value that begins with '-' is signed decimal and any other unsigned decimal. At most `capacity` values are
// stored; the result is the number of values the list holds.
int ParseNumberList(const char* text, uint32_t* values, int capacity) {
  if (text == nullptr) return 0;
  const bool hex = text[0] == '#';
  const char* p = text + (hex ? 1 : 0);
  if (*p == 0 || *p == '\r' || *p == '\n') return 0;
  int count = 0;
  for (;;) {
    const char* digits = p;
    while (*digits == ' ' || *digits == '\t') ++digits;
    uint32_t value = 0;
    if (hex) {
      value = NarrowToULong(p, 16);
    } else {
      value = *digits == '-' ? static_cast<uint32_t>(NarrowToLong(p)) : NarrowToULong(p, 10);
    }
    if (values != nullptr && count < capacity) values[count] = value;
    ++count;
    const char* end = p + strcspn(p, ",\r\n");
    if (*end != ',') break;
    p = end + 1;
  }
  return count;
}

// The entry one item of a width list sets: "id,width" the column with that id, else the next in table order.
ColumnLayout* ColumnOfWidthItem(ColumnLayout* table, const char* item, int* next, int32_t* width) {
  const char* comma = strchr(item, ',');
  if (comma) {
    *width = NarrowToLong(comma + 1);
    return ColumnLayoutFindById(table, NarrowToLong(item));
  }
  *width = NarrowToLong(item);
  return *next < ColumnLayoutCount(table) ? &table[(*next)++] : nullptr;
}

void TakeColumnWidth(ColumnLayout* column, int32_t width) {
  if (width >= kNarrowestStoredColumn && width <= GetWorkAreaSize(true).cx) {
    column->width = width;
  } else if (column->width == 0) {
    column->width = kUnsetColumnWidth;
  }
}

}  // namespace

const char* EncodeWideValue(bool utf8File, const wchar_t* text, InlineTextBuffer* buffer) {
  // Reading skips the blanks after '=': the mark keeps a leading blank from being one of them.
  const bool leadingBlank = text != nullptr && (text[0] == L' ' || text[0] == L'\t');
  if (!utf8File && !leadingBlank) return WideToAnsiOrUtf8(text, buffer);
  const int units = static_cast<int>(WideLength(text));
  char* marked = PrepareInlineTextBuffer(buffer, static_cast<uint32_t>(units) * 3 + 3);
  if (marked == nullptr) return nullptr;
  memcpy(marked, "\xEF\xBB\xBF", 3);
  WideToUtf8(text != nullptr ? text : L"", -1, marked + 3, units * 3 + 1);
  // Plain UTF-8 reads back unless it holds what the validity test refuses (characters beyond 16 bits).
  const char* plain = marked + 3;
  return !leadingBlank && (IsAscii(plain) || IsValidUtf8(plain, -1)) ? plain : marked;
}

int DecodeWideValue(bool utf8File, const char* text, wchar_t* target, int capacity) {
  if (text != nullptr && !HasUtf8Bom(text, 0) && utf8File && IsValidUtf8(text, -1))
    return Utf8ToWideBounded(text, target, capacity);
  return TextToWide(text, target, capacity);
}

void ProfileGetWindowPos(SettingsStore* store, const char* section, WindowPlacementRecord* placement,
                         int defaultWidth, int defaultHeight) {
  if (placement == nullptr) return;
  char text[kListCapacity];
  ProfileGetString(store, section, kPositionKey, "", text, kListCapacity);
  uint32_t values[5] = {};
  const int count = ParseNumberList(text, values, 5);
  const SIZE desktop = DesktopSize();
  const int width = AsSigned(values[2]);
  const int height = AsSigned(values[3]);
  const bool valid = count == 5 && width >= kSmallestWindowSide && height >= kSmallestWindowSide &&
                     width <= 2 * desktop.cx && height <= 2 * desktop.cy;
  if (valid) {
    placement->x = AsSigned(values[0]);
    placement->y = AsSigned(values[1]);
    placement->width = width;
    placement->height = height;
    placement->showState = values[4] == SW_SHOWNORMAL || values[4] == SW_SHOWMAXIMIZED ? values[4] : 0;
    return;
  }
  placement->x = kPlacementUnset;
  placement->y = kPlacementUnset;
  placement->width = defaultWidth > 0 ? ScaleByScreenWidth(defaultWidth) : defaultWidth;
  placement->height = defaultHeight > 0 ? ScaleByScreenWidth(defaultHeight) : defaultHeight;
  placement->showState = 0;
}

void ProfileSetWindowPos(SettingsStore* store, const char* section, const WindowPlacementRecord& placement) {
  char text[kListCapacity];
  snprintf(text, sizeof text, "%d,%d,%d,%d,%u", static_cast<int>(placement.x), static_cast<int>(placement.y),
           static_cast<int>(placement.width), static_cast<int>(placement.height),
           static_cast<unsigned>(placement.showState));
  ProfileSetString(store, section, kPositionKey, text);
}

void ProfileSaveWindowPos(SettingsStore* store, const char* section, HWND window) {
  WindowPlacementRecord placement;
  GetWindowPlacementRecord(window, &placement);
  ProfileSetWindowPos(store, section, placement);
}

void NormalizeWindowPosition(HWND window, SettingsStore* store, const char* section) {
  if (window != nullptr) {
    WindowPlacementRecord placement;
    GetWindowPlacementRecord(window, &placement);
    if (!IsPlacementSet(placement)) return;
    if (!IsWindowVisible(window)) placement.showState = 0;
    ClampRectToWorkArea(window, &placement, 0);
    SetWindowPlacementRecord(window, placement);
    return;
  }
  char text[kListCapacity];
  ProfileGetString(store, section, kPositionKey, "", text, kListCapacity);
  uint32_t values[5] = {};
  if (ParseNumberList(text, values, 5) != 5 || AsSigned(values[0]) == kPlacementUnset) return;
  const WindowPlacementRecord placement = {kPlacementUnset, kPlacementUnset, AsSigned(values[2]),
                                           AsSigned(values[3]), static_cast<uint16_t>(values[4])};
  ProfileSetWindowPos(store, section, placement);
}

bool ProfileGetLogFont(SettingsStore* store, const char* section, const char* key, LOGFONTW* font) {
  if (store == nullptr || font == nullptr || ProfileDesktopSizeChanged(store)) return false;
  char text[kListCapacity];
  ProfileGetString(store, section, key, "", text, kListCapacity);
  const char* face = FaceNameOf(text);
  if (face == nullptr) return false;
  uint32_t values[kFontNumberCount] = {};
  ParseNumberList(text, values, kFontNumberCount);
  *font = {};
  font->lfHeight = AsSigned(values[0]);
  font->lfWidth = AsSigned(values[1]);
  font->lfEscapement = AsSigned(values[2]);
  font->lfOrientation = AsSigned(values[3]);
  font->lfWeight = AsSigned(values[4]);
  font->lfItalic = static_cast<BYTE>(values[5]);
  font->lfUnderline = static_cast<BYTE>(values[6]);
  font->lfStrikeOut = static_cast<BYTE>(values[7]);
  font->lfCharSet = static_cast<BYTE>(values[8]);
  font->lfOutPrecision = static_cast<BYTE>(values[9]);
  font->lfClipPrecision = static_cast<BYTE>(values[10]);
  font->lfQuality = static_cast<BYTE>(values[11]);
  font->lfPitchAndFamily = static_cast<BYTE>(values[12]);
  DecodeWideValue(store->utf8 != 0, face, font->lfFaceName, LF_FACESIZE);
  return true;
}

void ProfileSetLogFont(SettingsStore* store, const char* section, const char* key, const LOGFONTW& font) {
  if (store == nullptr) return;
  char numbers[kListCapacity];
  snprintf(numbers, sizeof numbers, "%ld,%ld,%ld,%ld,%ld,%u,%u,%u,%u,%u,%u,%u,%u,", static_cast<long>(font.lfHeight),
           static_cast<long>(font.lfWidth), static_cast<long>(font.lfEscapement),
           static_cast<long>(font.lfOrientation), static_cast<long>(font.lfWeight), font.lfItalic, font.lfUnderline,
           font.lfStrikeOut, font.lfCharSet, font.lfOutPrecision, font.lfClipPrecision, font.lfQuality,
           font.lfPitchAndFamily);
  wchar_t face[LF_FACESIZE];
  CopyWideString(font.lfFaceName, face, LF_FACESIZE);
  InlineTextBuffer encoded;
  InitInlineTextBuffer(&encoded);
  if (const char* faceText = EncodeWideValue(store->utf8 != 0, face, &encoded)) {
    AppendNarrowBounded(faceText, numbers, kListCapacity);
    ProfileSetString(store, section, key, numbers);
  }
  ReleaseInlineTextBuffer(&encoded);
}

HFONT ProfileGetFont(SettingsStore* store, const char* section, const char* key) {
  LOGFONTW font;
  return ProfileGetLogFont(store, section, key, &font) ? CreateFontIndirectW(&font) : nullptr;
}

void ProfileSetFont(SettingsStore* store, const char* section, const char* key, HFONT font) {
  LOGFONTW description = {};
  if (font == nullptr || GetObjectW(font, sizeof description, &description) != sizeof description) {
    ProfileDeleteKey(store, section, key);
    return;
  }
  ProfileSetLogFont(store, section, key, description);
}

void ProfileGetCustomColors(SettingsStore* store, const char* section, COLORREF* colors) {
  if (colors == nullptr) return;
  char text[kListCapacity];
  ProfileGetString(store, section, kCustomColorsKey, "", text, kListCapacity);
  uint32_t values[kCustomColorCount];
  const int count = ParseNumberList(text, values, kCustomColorCount);
  for (int i = 0; i < kCustomColorCount; ++i) colors[i] = i < count ? values[i] : kWhite;
}

void ProfileSetCustomColors(SettingsStore* store, const char* section, const COLORREF* colors) {
  if (colors == nullptr) return;
  int count = kCustomColorCount;
  while (count > 0 && colors[count - 1] == kWhite) --count;
  if (count == 0) {
    ProfileDeleteKey(store, section, kCustomColorsKey);
    return;
  }
  uint32_t values[kCustomColorCount];
  for (int i = 0; i < count; ++i) values[i] = colors[i];
  char text[kListCapacity];
  FormatHexList(values, count, text, kListCapacity);
  ProfileSetString(store, section, kCustomColorsKey, text);
}

bool ProfileGetColorPair(SettingsStore* store, const char* section, const char* key, uint32_t* values) {
  if (values == nullptr) return false;
  char text[kListCapacity];
  ProfileGetString(store, section, key, "", text, kListCapacity);
  uint32_t read[3] = {};
  const int count = ParseNumberList(text, read, 3);
  const bool taken = (count == 2 || count == 3) && ColorDistance(read[0], read[1]) > kColorPairDistance;
  for (int i = 0; i < 3; ++i) values[i] = taken ? read[i] : 0;
  return taken;
}

void ProfileSetHexInts(SettingsStore* store, const char* section, const char* key, uint32_t first, uint32_t second,
                       uint32_t third) {
  const uint32_t values[] = {first, second, third};
  char text[kListCapacity];
  FormatHexList(values, third != 0 ? 3 : 2, text, kListCapacity);
  ProfileSetString(store, section, key, text);
}

void ProfileGetColumnWidths(SettingsStore* store, ColumnLayout* table, const char* section, const char* key) {
  if (!table || ProfileDesktopSizeChanged(store)) return;
  char text[kColumnWidthsCapacity];
  ProfileGetString(store, section, key ? key : kColumnLayoutKey, "", text, kColumnWidthsCapacity);
  int next = 0;
  for (char* item = text; *item != 0;) {
    char* end = item + strcspn(item, ";");
    const bool last = *end == 0;
    *end = 0;
    int32_t width = 0;
    if (ColumnLayout* column = ColumnOfWidthItem(table, item, &next, &width)) TakeColumnWidth(column, width);
    if (last) break;
    item = end + 1;
  }
}

void ProfileSetColumnWidths(SettingsStore* store, const ColumnLayout* table, const char* section, const char* key) {
  if (!table) return;
  char text[kColumnWidthsCapacity] = "";
  for (int i = 0; table[i].id != 0; ++i) {
    char width[12];
    IntToNarrowDecimal(table[i].width, width, sizeof width);
    if (i > 0) AppendNarrowBounded(";", text, kColumnWidthsCapacity);
    AppendNarrowBounded(width, text, kColumnWidthsCapacity);
  }
  ProfileSetString(store, section, key ? key : kColumnLayoutKey, text);
}

void ProfileCheckDesktopSize(SettingsStore* store) {
  if (store == nullptr) return;
  const SIZE desktop = DesktopSize();
  char text[kListCapacity];
  ProfileGetString(store, kDesktopSection, kDesktopSizeKey, "", text, kListCapacity);
  uint32_t stored[2] = {};
  const bool present = ParseNumberList(text, stored, 2) >= 2;
  const bool sameWidth = present && AsSigned(stored[0]) == desktop.cx;
  const bool sameHeight = present && AsSigned(stored[1]) == desktop.cy;
  if (sameWidth && sameHeight) return;
  if (present && !sameWidth && !sameHeight) store->flags |= kProfileDesktopChanged;
  ProfileSetHexInts(store, kDesktopSection, kDesktopSizeKey, static_cast<uint32_t>(desktop.cx),
                    static_cast<uint32_t>(desktop.cy), 0);
}
