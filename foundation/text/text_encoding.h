// Text encodings: UTF-8 recognition and the program's own UTF-8 coders, and bounded conversions between
// UTF-16 and 8-bit code pages. The UTF-8 coders handle the Basic Multilingual Plane: one to three bytes per
// character, each half of a surrogate pair encoded on its own.
#pragma once
#include <windows.h>

struct InlineTextBuffer;

// 1 when the 8-bit text (length 0 or negative: up to its terminator) is at least 3 bytes long and begins
// with the UTF-8 byte-order mark EF BB BF; else 0.
int HasUtf8Bom(const char* text, int length);

// True when the bytes hold at least one complete multi-byte UTF-8 sequence and no invalid one; plain ASCII
// is not recognised. Overlong and surrogate sequences are invalid, and so is any 4-byte sequence, which the
// program's decoders do not handle. A sequence cut by the end of the bytes ends the scan: the result is then
// whether a complete multi-byte sequence came before it. A negative length means up to the terminator.
bool IsValidUtf8(const void* bytes, int length);

// Encodes `count` UTF-16 units (negative: up to the terminator) into `buffer`. The result is the number of
// bytes written without the terminator; when the capacity is below that number + 1 the buffer gets an empty
// text and the result is minus the number of bytes needed.
int WideToUtf8(const wchar_t* text, int count, char* buffer, int capacity);

// Decodes one character of one to three bytes at `lead` into `out` and returns the number of bytes that
// follow the lead byte (0, 1 or 2). A byte that begins no sequence, and a sequence cut short by a terminator
// or by a byte that does not continue it, decode as U+FFFD and take no following byte, so decoding never
// passes the end of a text and never swallows the character after a stray byte. A whole four-byte sequence
// (beyond the basic plane) decodes as one U+FFFD and takes its three following bytes.
int DecodeUtf8Char(const char* lead, wchar_t* out);

// Decodes zero-terminated UTF-8 into `buffer`, keeping the longest prefix that fits; always terminated, empty
// for a null text. The result is the number of characters written.
int Utf8ToWideBounded(const char* text, wchar_t* buffer, int capacity);

// 8-bit text to wide: UTF-8 after the byte-order mark when the text begins with one, else the active code
// page. Cut to the capacity and always terminated; the result is the number of characters written.
int TextToWide(const char* text, wchar_t* buffer, int capacity);

// Converts at most capacity - 1 characters of 8-bit text in `codePage`, never splitting a character; the
// target is always terminated and is empty for a null text. The result is the number of characters written.
int MultiByteToWideBounded(const char* text, wchar_t* target, int capacity, UINT codePage);

// The same in the other direction: the longest prefix whose bytes fit, never splitting a character.
int WideToMultiByteBounded(const wchar_t* text, char* target, int capacity, UINT codePage);

// Converts 8-bit text onto the end of a wide target: the number of characters converted, or the target's
// length when nothing was converted.
int AppendMultiByteAsWide(const char* text, wchar_t* target, int capacity, UINT codePage);

// Encodes wide text as UTF-8 into `target`: the byte count. When the text does not fit, the longest prefix
// of whole characters that fits is stored and the result is minus the needed byte count. 87 without a target.
int WideToUtf8Bounded(const wchar_t* text, char* target, int capacity);

// 8-bit form of a wide text in `buffer`: the active code page when that converts back to exactly the same
// text, otherwise the byte-order mark EF BB BF followed by the UTF-8 form. Null when no memory could be had.
const char* WideToAnsiOrUtf8(const wchar_t* text, InlineTextBuffer* buffer);
