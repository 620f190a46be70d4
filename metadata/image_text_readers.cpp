// The readers of XPM and XBM images, which are C source text: the sizes stand in #define lines or in the first
// string of a char array, and an XBM's bitmaps are arrays of hexadecimal numbers. Lines are read as the
// runtime's text mode reads them (CR LF as LF) and are bounded: every word taken from a line fits the buffer
// the line itself fits.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "metadata/image_readers.h"

namespace {

constexpr int kXbmLineCapacity = 255;
constexpr int kXbmMostBitmaps = 255;
constexpr int kXpmLineCapacity = 1024;
constexpr int kXpmLineBudget = 8;
constexpr int kXpmMostCommentLines = 32;
constexpr int kXpmValuesCapacity = 512;
// Fewer bytes than this after the comment lines cannot begin an XPM.
constexpr uint32_t kXpmSmallestStart = 16;

// Text images are small: a file is read as one no further than this, so that a large text file that happens to
// begin like one is not read to its end.
constexpr uint64_t kTextImageLimit = 4 * 1024 * 1024;

// The characters of a text file one by one, and its lines as fgets gives them: at most capacity - 1
// characters, the line feed included.
class SniffText {
 public:
  explicit SniffText(ImageSniff* sniff) : sniff_(sniff) {}

  // The next character, or -1 at the end of the file.
  int Next() {
    const int c = Raw();
    if (c != '\r' || Peek() != '\n') return c;
    return Raw();
  }

  // The line's length; 0 at the end of the file.
  int ReadLine(char* line, int capacity) {
    return ReadTextLine([this] { return Next(); }, line, capacity);
  }

 private:
  int Raw() {
    if (at_ == filled_) Refill();
    return at_ < filled_ ? block_[at_++] : -1;
  }
  int Peek() {
    if (at_ == filled_) Refill();
    return at_ < filled_ ? block_[at_] : -1;
  }
  void Refill() {
    filled_ = position_ < kTextImageLimit ? ReadSniffBytesUpTo(sniff_, position_, block_, sizeof block_) : 0;
    position_ += filled_;
    at_ = 0;
  }

  ImageSniff* sniff_;
  uint64_t position_ = 0;
  uint8_t block_[512];
  uint32_t at_ = 0;
  uint32_t filled_ = 0;
};

bool StartsWith(const char* text, const char* prefix) { return strncmp(text, prefix, strlen(prefix)) == 0; }

bool EndsWith(const char* text, const char* suffix) {
  const size_t length = strlen(text);
  const size_t suffixLength = strlen(suffix);
  return length >= suffixLength && strcmp(text + length - suffixLength, suffix) == 0;
}

// The part of a C name after its last underscore, or the whole name.
const char* NameTail(const char* name) {
  const char* underscore = strrchr(name, '_');
  return underscore != nullptr ? underscore + 1 : name;
}

// The arrays of an XBM: 8 or 16 bits a value, 0 for a line that starts none; `values` is where the values
// begin on the line.
int XbmArrayValueBits(const char* line, const char** values) {
  static const struct {
    const char* format;
    int bits;
  } kArrays[] = {{"static short %254s = {%n", 16}, {"static unsigned char %254s = {%n", 8},
                 {"static char %254s = {%n", 8}};
  static_assert(kXbmLineCapacity == 255, "the name's width above");
  char name[kXbmLineCapacity];
  for (const auto& array : kArrays) {
    int consumed = 0;
    if (sscanf(line, array.format, name, &consumed) == 1 && consumed > 0 && strcmp(NameTail(name), "bits[]") == 0) {
      *values = line + consumed;
      return array.bits;
    }
  }
  return 0;
}

struct XbmState {
  int width = 0;  // of the bitmap being read
  int height = 0;
  int resultWidth = 0;
  int resultHeight = 0;
  bool complete = false;
};

void ReadXbmDefine(const char* name, int value, XbmState* state) {
  const char* tail = NameTail(name);
  if (strcmp(tail, "width") == 0) {
    state->width = value;
    if (value > state->resultWidth) state->resultWidth = value;
  } else if (strcmp(tail, "height") == 0) {
    state->height = value;
    state->resultHeight += value;
  }
}

bool IsXbmDelimiter(int c) { return c == ' ' || c == ',' || c == '}' || c == '\n' || c == '\t'; }

// One value of a bits array: hexadecimal digits up to a delimiter; other characters (the 'x' of "0x", a CR)
// add nothing. The characters left on the array's first line come first. False at the end of the file.
bool ReadXbmHexValue(SniffText* text, const char** pending) {
  bool digit = false;
  for (;;) {
    int c = **pending != 0 ? static_cast<unsigned char>(*(*pending)++) : text->Next();
    if (c < 0) return false;
    if (IsXbmDelimiter(c)) {
      if (digit) return true;
    } else if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) {
      digit = true;
    }
  }
}

// Reads the values of one bitmap: a row has (width + 7) / 8 bytes, and a 16-bit value holds two of them.
bool ReadXbmBits(SniffText* text, const char* pending, int valueBits, const XbmState& state) {
  const uint64_t rowBytes = (static_cast<uint64_t>(state.width) + 7) / 8;
  const uint64_t rowValues = valueBits == 16 ? (rowBytes + 1) / 2 : rowBytes;
  const uint64_t values = rowValues * static_cast<uint64_t>(state.height);
  for (uint64_t i = 0; i < values; ++i) {
    if (!ReadXbmHexValue(text, &pending)) return false;
  }
  return true;
}

// XPM: the start of the file, after lines that begin with "//", must begin like one.
bool IsXpmData(const ImageSniff& sniff) {
  const char* at = reinterpret_cast<const char*>(sniff.head);
  const char* end = at + sniff.headBytes;
  while (end - at >= 2 && at[0] == '/' && at[1] == '/') {
    while (at < end && *at != '\r' && *at != '\n') ++at;
    while (at < end && (*at == '\r' || *at == '\n')) ++at;
  }
  if (end - at < static_cast<ptrdiff_t>(kXpmSmallestStart)) return false;
  return StartsWith(at, "/* XPM */") || StartsWith(at, "#define") || StartsWith(at, "/* XPM2 C */");
}

struct XpmValues {
  int format = 0;
  int width = 0;
  int height = 0;
  int colours = 0;
  int charsPerPixel = 0;
};

// The lines of an XPM's declaration part, with up to 32 leading "//" lines passed over and a budget of lines
// that every line closing a block comment tops up.
class XpmLines {
 public:
  explicit XpmLines(ImageSniff* sniff) : text_(sniff) {
    for (int i = 0; i < kXpmMostCommentLines && text_.ReadLine(held_, kXpmLineCapacity) > 0; ++i) {
      if (!StartsWith(held_, "//")) {
        holding_ = true;
        break;
      }
    }
  }

  bool Next(char* line) {
    if (budget_ <= 0) return false;
    --budget_;
    if (holding_) {
      holding_ = false;
      memcpy(line, held_, kXpmLineCapacity);
      return true;
    }
    return text_.ReadLine(line, kXpmLineCapacity) > 0;
  }

  void GiveBack() { ++budget_; }

 private:
  SniffText text_;
  char held_[kXpmLineCapacity] = {};
  bool holding_ = false;
  int budget_ = kXpmLineBudget;
};

// The #define lines of the oldest form and the comment that names the newer forms. False once the line ends
// the head of the file.
bool ReadXpmHeadLine(const char* line, XpmValues* values) {
  static_assert(kXpmLineCapacity == 1024, "the words' width below");
  char word[kXpmLineCapacity];
  int number = 0;
  int consumed = 0;
  if (StartsWith(line, "#define")) {
    if (sscanf(line, "#define %1023s %d", word, &number) != 2) return true;
    const char* tail = NameTail(word);
    if (strcmp(tail, "format") == 0) values->format = number;
    if (strcmp(tail, "width") == 0) values->width = number;
    if (strcmp(tail, "height") == 0) values->height = number;
    if (strcmp(tail, "ncolors") == 0) values->colours = number;
    if (EndsWith(word, "chars_per_pixel")) values->charsPerPixel = number;
    return true;
  }
  if (sscanf(line, "static char * %1023s", word) == 1) return !EndsWith(word, "colors[]") && !EndsWith(word, "mono[]");
  if (sscanf(line, "/* %1023s C */%n", word, &consumed) == 1 && consumed > 0 && strcmp(word, "XPM2") == 0) {
    values->format = 2;
    return false;
  }
  consumed = 0;
  if (sscanf(line, "/* %1023s */%n", word, &consumed) == 1 && consumed > 0 && strcmp(word, "XPM") == 0) {
    values->format = 3;
    return false;
  }
  return true;
}

// Removes block comments (also across lines) and line comments; true when the line closed a block comment.
bool RemoveComments(char* line, bool* inComment) {
  bool closed = false;
  char* out = line;
  for (const char* at = line; *at != 0;) {
    if (*inComment) {
      if (at[0] == '*' && at[1] == '/') {
        *inComment = false;
        closed = true;
        at += 2;
      } else {
        ++at;
      }
    } else if (at[0] == '/' && at[1] == '*') {
      *inComment = true;
      at += 2;
    } else if (at[0] == '/' && at[1] == '/') {
      break;
    } else {
      *out++ = *at++;
    }
  }
  *out = 0;
  return closed;
}

void BlankWord(char* line, const char* word) {
  const size_t length = strlen(word);
  for (char* at = strstr(line, word); at != nullptr; at = strstr(at + length, word)) memset(at, ' ', length);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsBlankLine(const char* line) {
  for (; *line != 0; ++line) {
    if (!IsBlank(*line) && *line != '\n') return false;
  }
  return true;
}

// Past "char" (at the line's start or after a blank) and the '*' after it; null when the line has none.
const char* AfterCharPointer(const char* line) {
  for (const char* at = strstr(line, "char"); at != nullptr; at = strstr(at + 4, "char")) {
    if (at != line && !IsBlank(at[-1])) continue;
    const char* star = at + 4;
    while (IsBlank(*star)) ++star;
    if (*star == '*') return star + 1;
  }
  return nullptr;
}

// The quoted text at `quote` (a backslash takes the next character as it is), at most 511 characters.
void ReadQuoted(const char* quote, char* text) {
  int length = 0;
  for (const char* at = quote + 1; *at != 0 && *at != '"' && length < kXpmValuesCapacity - 1; ++at) {
    if (*at == '\\' && at[1] != 0) ++at;
    text[length++] = *at;
  }
  text[length] = 0;
}

// The newer forms: the first string after "char *" holds width, height, colours and characters per pixel.
bool ReadXpmValuesString(XpmLines* lines, XpmValues* values) {
  char line[kXpmLineCapacity];
  bool inComment = false;
  const char* search = nullptr;
  while (lines->Next(line)) {
    if (RemoveComments(line, &inComment)) lines->GiveBack();
    if (IsBlankLine(line)) continue;
    BlankWord(line, "static");
    BlankWord(line, "const");
    BlankWord(line, "unsigned");
    search = search == nullptr ? AfterCharPointer(line) : line;
    const char* quote = search != nullptr ? strchr(search, '"') : nullptr;
    if (quote == nullptr) continue;
    char text[kXpmValuesCapacity];
    ReadQuoted(quote, text);
    return sscanf(text, "%d %d %d %d", &values->width, &values->height, &values->colours,
                  &values->charsPerPixel) == 4;
  }
  return false;
}

bool ParseXpmValues(ImageSniff* sniff, XpmValues* values) {
  XpmLines lines(sniff);
  char line[kXpmLineCapacity];
  while (lines.Next(line) && ReadXpmHeadLine(line, values)) {
  }
  if (values->format == 2 || values->format == 3) return ReadXpmValuesString(&lines, values);
  return values->format != 0 && values->width != 0 && values->height != 0 && values->colours != 0 &&
         values->charsPerPixel != 0;
}

// Searches the head up to its first zero byte.
bool HeadHolds(const ImageSniff& sniff, const char* text) {
  return strstr(reinterpret_cast<const char*>(sniff.head), text) != nullptr;
}

}  // namespace

bool ReadXpmHeader(ImageSniff* sniff, ImageSize* size) {
  XpmValues values;
  if (!IsXpmData(*sniff) || !ParseXpmValues(sniff, &values)) return false;
  size->width = values.width;
  size->height = values.height;
  size->bits = values.colours > 256 ? 24 : 8;
  return true;
}

bool ReadXbmImage(ImageSniff* sniff, ImageSize* size) {
  // Every XBM opens with its #define lines; a file without one near its start is not read line by line.
  if (!HeadHolds(*sniff, "#define")) return false;
  SniffText text(sniff);
  XbmState state;
  char line[kXbmLineCapacity];
  char name[kXbmLineCapacity];
  int bitmaps = 0;
  for (int length; (length = text.ReadLine(line, kXbmLineCapacity)) > 0;) {
    if (length == kXbmLineCapacity - 1) return false;
    int value = 0;
    if (sscanf(line, "#define %254s %d", name, &value) == 2) {
      ReadXbmDefine(name, value, &state);
      continue;
    }
    const char* values = nullptr;
    const int valueBits = XbmArrayValueBits(line, &values);
    if (valueBits == 0 || state.width <= 0 || state.height <= 0) continue;
    if (bitmaps++ == kXbmMostBitmaps || !ReadXbmBits(&text, values, valueBits, state)) break;
    state.complete = true;
  }
  if (!state.complete) return false;
  size->width = state.resultWidth;
  size->height = state.resultHeight;
  size->bits = 1;
  return true;
}
