// Number parsing and formatting. A parse skips leading white space, takes an optional sign and the longest
// run of digits of its base, and ignores what follows; a null text or a text without digits gives 0, and a
// value out of range gives the limit of the result type. For the unsigned results a leading '-' negates the
// value in the unsigned type. The formatters write decimal text and nothing at all for a null buffer or a
// capacity of 0 or less; 12 characters hold any 32-bit value and 21 any 64-bit value.
#pragma once
#include <cstdint>

// Base 0 chooses from a "0x" (16) or "0" (8) prefix.
int32_t NarrowToLongInBase(const char* text, int base);
uint32_t NarrowToULong(const char* text, int base);
int32_t WideToLongInBase(const wchar_t* text, int base);

int32_t NarrowToLong(const char* text);
uint32_t NarrowToUIntDecimal(const char* text);

// Two names for one wide decimal parse; callers use whichever their code reads best with.
int32_t WideToLong(const wchar_t* text);
int32_t WideToIntDecimal(const wchar_t* text);

// The result is the text's length; when the capacity cannot hold the digits, sign and terminator, the buffer
// gets an empty text and the result is minus the length needed.
int IntToNarrowDecimal(int32_t value, char* text, int capacity);
int IntToWideDecimal(int32_t value, wchar_t* text, int capacity);
int UIntToWideDecimal(uint32_t value, wchar_t* text, int capacity);
// Nothing is written when `value` is null.
int UInt64ToWideDecimal(const uint64_t* value, wchar_t* text, int capacity);

// The unsigned value of `count` bytes stored most significant first; 0 for a count of 0 or less. Of more
// than eight bytes only the last eight count.
uint64_t ReadBigEndianUInt(const void* bytes, int count);
