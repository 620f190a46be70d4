// The RegEx module (key "RegEx"): replaces the first match of a regular expression in the name part or in the
// extension part by a replacement taken literally. The pattern is compiled once per pass; names are matched as
// 8-bit text in the active code page, and a name the code page cannot hold exactly is left as it is. Also the
// parts every text-search step (RegEx, FaC) shares: the part searched and the head of the text form.
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/module_contract.h"
#include "foundation/text/regex_holder.h"

#pragma pack(push, 1)
struct RegExSettings {
  ModuleInstance header;
  wchar_t part;              // 'n' the name part, 'e' the extension part
  uint8_t caseFlag;          // 'c' when case matters, else 0
  RegexHolder* compiled;     // built by prepare; null before the first pass
  wchar_t pattern[kApplyPartCapacity];
  wchar_t replacement[kApplyPartCapacity];
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(RegExSettings) == 8 + 2 + 1 + 8 + 4 * kApplyPartCapacity + 2 * kStepCommentCapacity,
              "RegEx settings layout");

// Its settings dialog.
extern const ModuleDialog kRegExDialog;
extern const ModuleDescriptor kRegExModule;

// A new holder with the pattern compiled for matching text of `codePage` (one enclosing pair of '/' removed,
// caseless unless case matters). A pattern that the code page cannot write exactly gets no code, so that it
// never matches: a stand-in character would change what it means. Null without memory.
RegexHolder* CompileNamePattern(const wchar_t* pattern, bool caseMatters, UINT codePage);
void FreeNamePattern(RegexHolder** holder);

// Replaces the first match in `text` (searched as 8-bit text of `codePage`) by `replacement`, cut to
// capacity - 1 characters. False, with the text unchanged, without code or a match, for a text the code page
// cannot write exactly, and for a match that begins or ends inside a character of a double-byte code page.
bool ReplaceFirstRegexMatch(RegexHolder* holder, wchar_t* text, int capacity, const wchar_t* replacement,
                            UINT codePage);

// Whether the step's search gives up (reaches its bounds) on the file name `fileName` as the step would apply
// to it; the step's own compiled pattern is not touched.
bool RegExGivesUpOn(const ModuleInstance* settings, const wchar_t* fileName);
// Whether the step's search gave up on some name in the last preview pass.
bool RegExGaveUpInLastPass(const ModuleInstance* settings);

// The part of a name a text-search step works on: the name part for 'n', the extension part for 'e' when the
// name has one; null otherwise.
wchar_t* SearchedNamePart(ModuleApplyRecord* record, wchar_t part);

// The head of a text-search step's text form after '<' and the key: ',', the part letter and ','; then each
// letter of `flagLetters` in turn is taken when it stands next, with a ',' right after it skipped. `flags`
// gets one entry per letter: the letter when it was taken, else 0. The position after the head (where the
// first quoted value must begin), or null. The part letter is not checked.
const wchar_t* ReadSearchStepHead(const wchar_t* text, const char* flagLetters, wchar_t* part, uint8_t* flags);

// Appends the key, ',', the part letter, ',' and each non-zero flag followed by ','.
int WriteSearchStepHead(const wchar_t* key, wchar_t part, const uint8_t* flags, int flagCount, wchar_t* text,
                        int capacity);

// The pieces of a text-search step's description: the part's UI text, then the step's first UI text (each
// only when not empty, after ", "); a text between a blank and a double quote and a double quote and a blank;
// a UI text as it stands; and ", " with the case-sensitive text.
void AppendSearchPartPieces(wchar_t part, int firstTextId, wchar_t* text, int capacity);
void AppendQuotedPiece(const wchar_t* value, wchar_t* text, int capacity);
void AppendUiTextPiece(int textId, wchar_t* text, int capacity);
void AppendCaseSensitivePiece(wchar_t* text, int capacity);
