// Reading and writing the values of a step's text form, and the pieces of a step's description, as the
// modules with letters, numbers and quoted texts share them. A reader walks the values after the key, each
// introduced by ','; once one is missing or malformed the reader has failed and stays failed, so a module reads
// all its values and asks once at the end. A writer appends values after the key and notes whether any was cut.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

// Positions are stored from 0 and limited to 249 (shown from 1 to 250).
constexpr uint32_t kMostPosition = 249;
// Counts of characters (Crop's count, the span of Cut and Copy): one limit for the text form and the dialogs,
// so a step comes back from a save and a load as it was set.
constexpr uint32_t kMostSpanLength = 250;

// Letters that choose the part of the name and the side a position counts from.
constexpr wchar_t kNamePart = L'n';
constexpr wchar_t kExtensionPart = L'e';
constexpr wchar_t kFromLeft = L'l';
constexpr wchar_t kFromRight = L'r';

inline bool IsNamePart(wchar_t part) { return part == kNamePart || part == kExtensionPart; }
inline bool IsSide(wchar_t side) { return side == kFromLeft || side == kFromRight; }

class StepTextReader {
 public:
  // Starts after '<' and the key of the step's text; failed at once when the text does not begin with '<'.
  explicit StepTextReader(const wchar_t* text);

  // ',' and one character.
  wchar_t Letter();
  // ',' and a run of decimal digits, cut to `limit`.
  uint32_t Unsigned(uint32_t limit);
  // ',' , an optional '-' and a run of decimal digits; out-of-range values give the limit of the type.
  int32_t Signed();
  // ',' , an optional '-' and the digits of a 32-bit value, read back as the same 32 bits whether it was written
  // signed or as the unsigned decimal of its bits.
  int32_t Bits32();
  // ',' and a quoted text into `out`.
  void Quoted(wchar_t* out, int capacity);
  // A quoted text into `out`, without a ',' before it.
  void QuotedText(wchar_t* out, int capacity);
  // Takes `c` when it stands at the position; false (and nothing taken) otherwise.
  bool Optional(wchar_t c);
  // Takes `c`, or fails.
  void Expect(wchar_t c);
  // Takes any one character, or fails at the end of the text.
  wchar_t Character();
  // The character at the position; 0 once failed.
  wchar_t Peek() const { return position_ != nullptr ? *position_ : 0; }

  // Reads the comment part and the closing '>'; true when every value and the comment were read.
  bool Finish(wchar_t* comment);

 private:
  bool Comma();
  // A run of digits after an optional sign as a magnitude that stops growing past 2^33.
  bool Digits(bool allowSign, bool* negative, uint64_t* magnitude);

  const wchar_t* position_;
};

class StepTextWriter {
 public:
  // Appends the key to the text that holds the opening '<'.
  StepTextWriter(const wchar_t* key, wchar_t* text, int capacity);

  void Letter(wchar_t c);
  void Number(int64_t value);
  void Quoted(const wchar_t* value);
  // Text written as it stands, without a ','.
  void Plain(const wchar_t* value);
  // Appends the comment part and '>'; 0, or non-zero when anything was cut.
  int Finish(const wchar_t* comment);

 private:
  void Note(int result) {
    if (cut_ == 0) cut_ = result;
  }

  wchar_t* text_;
  int capacity_;
  int cut_ = 0;
};

// The part's UI text as a description piece (nothing for a letter that is no part).
void AppendPartDescription(wchar_t part, wchar_t* text, int capacity);
// A blank and the UI text, also when the UI text is empty.
void AppendBlankAndUiText(int textId, wchar_t* text, int capacity);
void AppendBlankAndNumber(int64_t value, wchar_t* text, int capacity);
// A blank and the UI text of the side (from the left, from the right); nothing for a letter that is no side.
void AppendSideDescription(wchar_t side, wchar_t* text, int capacity);
