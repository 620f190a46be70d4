// Text files read line by line: the encoding told from the first bytes, and readers of 8-bit, UTF-8 and
// UTF-16 lines through a BufferedFile.
#pragma once
#include <cstdint>

struct BufferedFile;

// What the first bytes of a text tell.
enum TextType : int32_t {
  kTextRtf = 1,            // begins with "{\rtf"
  kTextBinary = 2,         // holds a zero byte
  kTextAnsi = 3,           // 8-bit text in the active code page
  kTextUtf16 = 6,          // UTF-16LE with the mark FF FE
  kTextUtf16Unmarked = 7,  // UTF-16LE without a mark
  kTextUtf16BigEndian = 8, // FE FF
  kTextUtf8 = 9,           // UTF-8 with the mark EF BB BF
  kTextUtf8Unmarked = 10,  // valid UTF-8 holding a multi-byte sequence
};

// The type of a text from its first `count` bytes.
TextType DetectTextType(const uint8_t* bytes, uint32_t count);

// Opens a text file, reads its first 4096 bytes and stores their type in the record; reading starts after a
// byte-order mark. 0 or the open error. Only 8-bit, UTF-8 and UTF-16 files can be read by line.
int TextFileOpen(BufferedFile* file, const wchar_t* path);

// The next line without its line end (LF, CR LF, a lone CR, a zero, or the end of the file); at most
// capacity - 1 characters are kept and the rest of the line is skipped. The result is the number of
// characters + 1 (1 for an empty line), 0 at the end of the file. The narrow reader serves 8-bit and UTF-8
// files as they are; the wide one converts them (UTF-8 where the line is valid UTF-8, else the active code
// page) and reads UTF-16 files of either byte order; it gives -259 for a file of any other type.
int TextFileReadLineNarrow(BufferedFile* file, char* buffer, int capacity);
int TextFileReadLineWide(BufferedFile* file, wchar_t* buffer, int capacity);
