// Detect strings: the text with which a content plug-in of the published interface names the files it can
// handle, such as EXT="JPG" | EXT="JPEG" or EXT="ZIP" & FIND("PK"). The host compiles the text once, when the
// plug-in is loaded, into a small byte program and runs that program for each file before it asks the plug-in
// for a value.
//
// Program bytes (numbers little-endian), ended by a zero byte:
//   e s f m & | = ~ < > ( ) !   no operand ('~' is "!=")
//   i                           16-bit byte index ([k], saturated at 65535)
//   n                           32-bit unsigned number
//   t, F, I                     length byte (0-255), then the characters
// A comparison is its keyword's code, the operator's code and an operand: EXT = "TXT" is e = t 3 T X T.
#pragma once
#include <cstdint>

// Results of CompileDetectString besides a length.
constexpr int kDetectUnknownWord = -1;
constexpr int kDetectSyntaxError = -2;

// Bytes of a file the program looks at.
constexpr uint32_t kDetectDataBytes = 8192;

// Compiles an 8-bit detect string into `program` (capacity `capacity` bytes, the terminating zero included):
// the program's length without its zero, kDetectUnknownWord for a position that is neither keyword nor
// number, kDetectSyntaxError for a malformed operand or a program that does not fit.
int CompileDetectString(const char* text, uint8_t* program, int capacity);

// What the program is run against: the file's extension (text after the last dot, ANSI), its first bytes and
// its size.
struct DetectSubject {
  const char* extension;
  const uint8_t* data;
  uint32_t dataLength;
  uint64_t fileSize;
};

// Runs a compiled program; non-zero when the file matches. A program that ends inside a comparison ends the
// evaluation there.
int EvaluateDetectProgram(const uint8_t* program, const DetectSubject& subject);

// Whether running the program needs the file's bytes or size (a SIZE, FIND or [k] test); a program of
// extension tests alone can be run without opening the file.
bool DetectProgramReadsFile(const uint8_t* program);
