#include "metadata/detect_strings.h"

#include <windows.h>

#include "foundation/text/bounded_text.h"

namespace {

struct Keyword {
  const char* text;
  uint8_t code;
};

// Tried in this order at each position; the first match wins ("!=" before "!", "FIND(" before "FINDI(").
constexpr Keyword kKeywords[] = {
    {"EXT", 'e'}, {"SIZE", 's'}, {"FORCE", 'f'}, {"MULTIMEDIA", 'm'}, {"[", 'i'}, {"\"", 't'},
    {"&", '&'},   {"|", '|'},    {"=", '='},     {"!=", '~'},         {"<", '<'}, {">", '>'},
    {"(", '('},   {")", ')'},    {"!", '!'},     {"FIND(", 'F'},      {"FINDI(", 'I'},
};

constexpr int kMostStringLength = 255;
constexpr int kMostIndexDigits = 64;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The program being written: every write keeps one byte free for the terminating zero.
class ProgramWriter {
 public:
  ProgramWriter(uint8_t* program, int capacity) : program_(program), capacity_(capacity) {}

  bool Bytes(const void* bytes, int count) {
    if (count < 0 || used_ + count >= capacity_) return false;
    const uint8_t* source = static_cast<const uint8_t*>(bytes);
    for (int i = 0; i < count; ++i) program_[used_++] = source[i];
    return true;
  }
  bool Byte(uint8_t value) { return Bytes(&value, 1); }
  bool Number16(uint16_t value) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    return Bytes(bytes, 2);
  }
  bool Number32(uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return Bytes(bytes, 4);
  }
  // A length byte and the characters.
  bool Counted(const char* text, int length) {
    return length <= kMostStringLength && Byte(static_cast<uint8_t>(length)) && Bytes(text, length);
  }
  int Finish() {
    if (capacity_ > 0) program_[used_ < capacity_ ? used_ : capacity_ - 1] = 0;
    return used_;
  }

 private:
  uint8_t* program_;
  int capacity_;
  int used_ = 0;
};

const Keyword* MatchKeyword(const char* text) {
  for (const Keyword& keyword : kKeywords) {
    const int length = static_cast<int>(NarrowLength(keyword.text));
    if (EqualsIgnoreCaseNarrow(text, keyword.text, length)) return &keyword;
  }
  return nullptr;
}

const char* SkipBlanks(const char* text) {
  while (IsBlank(*text)) ++text;
  return text;
}

// The characters up to `end` (or the end of the text): their count; `*after` is past the closing character.
int RunUpTo(const char* text, char end, const char** after) {
  int length = 0;
  while (text[length] != 0 && text[length] != end) ++length;
  *after = text + length + (text[length] == end ? 1 : 0);
  return length;
}

// FIND( and FINDI(: an optional quoted string, then ')'. Null on a syntax error or a full program.
const char* CompileSearchOperand(const char* text, ProgramWriter* writer) {
  text = SkipBlanks(text);
  if (*text == 0) return nullptr;
  const char* string = text;
  int length = 0;
  if (*text == '"') {
    string = text + 1;
    length = RunUpTo(string, '"', &text);
  }
  if (!writer->Counted(string, length)) return nullptr;
  text = SkipBlanks(text);
  return *text == ')' ? text + 1 : nullptr;
}

// [k]: an unsigned decimal index up to ']', kept to 16 bits (larger indexes lie beyond any data anyway).
const char* CompileIndexOperand(const char* text, ProgramWriter* writer) {
  const char* after = nullptr;
  const int length = RunUpTo(text, ']', &after);
  uint32_t index = 0;
  for (int i = 0; i < length && i < kMostIndexDigits && IsDigit(text[i]); ++i) {
    index = index * 10 + static_cast<uint32_t>(text[i] - '0');
    if (index > 0xFFFF) index = 0xFFFF;
  }
  return writer->Number16(static_cast<uint16_t>(index)) ? after : nullptr;
}

const char* CompileNumberOperand(const char* text, ProgramWriter* writer) {
  uint32_t value = 0;
  while (IsDigit(*text)) value = value * 10 + static_cast<uint32_t>(*text++ - '0');
  return writer->Number32(value) ? text : nullptr;
}

const char* CompileTextOperand(const char* text, ProgramWriter* writer) {
  const char* after = nullptr;
  const int length = RunUpTo(text, '"', &after);
  return writer->Counted(text, length) ? after : nullptr;
}

const char* CompileOperand(uint8_t code, const char* text, ProgramWriter* writer) {
  switch (code) {
    case 'F':
    case 'I':
      return CompileSearchOperand(text, writer);
    case 'i':
      return CompileIndexOperand(text, writer);
    case 'n':
      return CompileNumberOperand(text, writer);
    case 't':
      return CompileTextOperand(text, writer);
    default:
      return text;
  }
}

// Reading a program: the cursor moves over codes and operands; a zero byte where a code is due ends it.
struct Cursor {
  const uint8_t* at;
};

uint32_t Read16(const uint8_t* bytes) { return bytes[0] | bytes[1] << 8; }
uint32_t Read32(const uint8_t* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Bytes of the operand that follows `code`.
int OperandBytes(const uint8_t* code) {
  switch (*code) {
    case 'i':
      return 2;
    case 'n':
      return 4;
    case 't':
    case 'F':
    case 'I':
      return 1 + code[1];
    default:
      return 0;
  }
}

// 1 when the comparison of a (less than zero, zero, more than zero) result holds for the operator.
int Holds(uint8_t op, int order) {
  switch (op) {
    case '<':
      return order < 0;
    case '=':
      return order == 0;
    case '>':
      return order > 0;
    case '~':
      return order != 0;
    default:
      return 0;
  }
}

template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

bool IsOperator(uint8_t op) { return op == '<' || op == '=' || op == '>' || op == '~'; }

// Takes the operator after a test's code; 0 when the program ends or holds something else there.
uint8_t TakeOperator(Cursor* cursor) {
  const uint8_t op = *cursor->at;
  if (!IsOperator(op)) return 0;
  ++cursor->at;
  return op;
}

int OrderInLocale(const char* a, int lengthA, const char* b, int lengthB, DWORD flags) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, a, lengthA, b, lengthB) - CSTR_EQUAL;
}

bool Occurs(const uint8_t* counted, bool ignoreCase, const DetectSubject& subject) {
  const int length = counted[0];
  const char* string = reinterpret_cast<const char*>(counted + 1);
  if (length == 0 || subject.data == nullptr || static_cast<uint32_t>(length) > subject.dataLength) return false;
  const char upper = CharToUpperNarrow(string[0]);
  const char lower = CharToLowerNarrow(string[0]);
  const DWORD flags = ignoreCase ? NORM_IGNORECASE : 0;
  const char* data = reinterpret_cast<const char*>(subject.data);
  for (uint32_t at = 0; at + length <= subject.dataLength; ++at) {
    if (data[at] != upper && data[at] != lower) continue;
    if (OrderInLocale(data + at, length, string, length, flags) == 0) return true;
  }
  return false;
}

// The extension test: e, operator, t and the text. -1 when the program holds no such test here.
int TestExtension(Cursor* cursor, const DetectSubject& subject) {
  const uint8_t op = TakeOperator(cursor);
  if (op == 0 || *cursor->at != 't') return -1;
  const uint8_t* counted = cursor->at + 1;
  cursor->at += 1 + OperandBytes(cursor->at);
  const char* extension = subject.extension != nullptr ? subject.extension : "";
  const int order = OrderInLocale(extension, -1, reinterpret_cast<const char*>(counted + 1), counted[0],
                                  NORM_IGNORECASE);
  return Holds(op, order);
}

int TestSize(Cursor* cursor, const DetectSubject& subject) {
  const uint8_t op = TakeOperator(cursor);
  if (op == 0 || *cursor->at != 'n') return -1;
  const uint64_t number = Read32(cursor->at + 1);
  cursor->at += 5;
  return Holds(op, Order(subject.fileSize, number));
}

// [k]: the data byte at k against a number or the first character of a text; false beyond the data.
int TestByte(Cursor* cursor, const DetectSubject& subject) {
  const uint32_t index = Read16(cursor->at);
  cursor->at += 2;
  const uint8_t op = TakeOperator(cursor);
  const uint8_t kind = *cursor->at;
  if (op == 0 || (kind != 'n' && kind != 't')) return -1;
  const uint32_t value = kind == 'n' ? Read32(cursor->at + 1) : (cursor->at[1] > 0 ? cursor->at[2] : 0);
  cursor->at += 1 + OperandBytes(cursor->at);
  if (subject.data == nullptr || index >= subject.dataLength) return 0;
  return Holds(op, Order<uint32_t>(subject.data[index], value));
}

// One test at the cursor (its code not yet taken): 1 or 0, or -1 when the program ends inside it or holds no
// test here.
int RunTest(Cursor* cursor, const DetectSubject& subject) {
  const uint8_t code = *cursor->at++;
  switch (code) {
    case 'F':
    case 'I': {
      const uint8_t* counted = cursor->at;
      cursor->at += 1 + counted[0];
      return Occurs(counted, code == 'I', subject) ? 1 : 0;
    }
    case 'e':
      return TestExtension(cursor, subject);
    case 's':
      return TestSize(cursor, subject);
    case 'i':
      return TestByte(cursor, subject);
    default:
      return -1;
  }
}

int Evaluate(Cursor* cursor, const DetectSubject& subject) {
  int count = 0;
  for (;;) {
    switch (*cursor->at) {
      case 0:
        return count;
      case '!':
        ++cursor->at;
        count = Evaluate(cursor, subject) == 0 ? 1 : 0;
        break;
      case '&':
        if (count == 0) return 0;
        ++cursor->at;
        count = Evaluate(cursor, subject);
        break;
      case '(':
        ++cursor->at;
        count = Evaluate(cursor, subject);
        break;
      case ')':
        ++cursor->at;
        return count;
      case '|':
        if (count != 0) return count;
        ++cursor->at;
        break;
      case 'm':
        ++cursor->at;
        count = 1;
        break;
      case 'f':
        ++cursor->at;
        break;
      default: {
        const uint8_t* test = cursor->at;
        const int result = RunTest(cursor, subject);
        if (result < 0) {
          cursor->at = test;
          return count;
        }
        count += result;
      }
    }
  }
}

}  // namespace

int CompileDetectString(const char* text, uint8_t* program, int capacity) {
  if (text == nullptr || program == nullptr || capacity <= 0) return kDetectSyntaxError;
  ProgramWriter writer(program, capacity);
  for (text = SkipBlanks(text); *text != 0; text = SkipBlanks(text)) {
    const Keyword* keyword = MatchKeyword(text);
    if (keyword == nullptr && !IsDigit(*text)) return kDetectUnknownWord;
    const uint8_t code = keyword != nullptr ? keyword->code : 'n';
    if (!writer.Byte(code)) return kDetectSyntaxError;
    if (keyword != nullptr) text += NarrowLength(keyword->text);
    text = CompileOperand(code, text, &writer);
    if (text == nullptr) return kDetectSyntaxError;
  }
  return writer.Finish();
}

int EvaluateDetectProgram(const uint8_t* program, const DetectSubject& subject) {
  if (program == nullptr) return 0;
  Cursor cursor{program};
  return Evaluate(&cursor, subject);
}

bool DetectProgramReadsFile(const uint8_t* program) {
  for (const uint8_t* code = program; code != nullptr && *code != 0; code += 1 + OperandBytes(code)) {
    if (*code == 's' || *code == 'i' || *code == 'F' || *code == 'I') return true;
  }
  return false;
}
