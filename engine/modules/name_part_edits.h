// Edits of one part of a name (the name part or the extension part of an apply record) that several modules
// share: inserting a text at a position counted from either side, removing a run of characters, moving or
// copying a span. Every edit works in place within the buffer's capacity (terminator included) and cuts what
// does not fit at the end.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"

// The part a step works on: the name part for 'n', the extension part for 'e' (only when it is not empty,
// unless `emptyExtensionToo`), else null.
wchar_t* NamePartOf(ModuleApplyRecord* record, wchar_t part, bool emptyExtensionToo);

// Inserts `insertion` into `text`. Side 'l': after the first min(position, length) characters. Side 'r':
// `position` characters before the end, or in front when the text is shorter. Any other side changes nothing.
void InsertTextAt(wchar_t* text, int capacity, wchar_t side, const wchar_t* insertion, uint32_t position);

// Removes `count` characters at `position` counted from the side. Side 'l': from `position` on, or everything
// from `position` when the run passes the end. Side 'r': the run ends `position` characters before the end
// and starts no earlier than the text. A position beyond the text, or any other side, changes nothing.
void CropText(wchar_t* text, int capacity, wchar_t side, uint32_t position, uint32_t count);

// Takes up to `length` characters from `start` and inserts them at `target`, counted in the text after the
// span was removed (`copy` false) or in the text as it is (`copy` true). Nothing changes when the text is
// shorter than `start` or than `target` (counted so), so a span is never lost.
void MoveOrCopySpan(wchar_t* text, int capacity, uint32_t start, uint32_t length, uint32_t target, bool copy);

// Replaces the `removed` characters at `at` by the first `insertedLength` characters of `insertion` (which must
// not lie inside `text`).
void SpliceText(wchar_t* text, int capacity, uint32_t at, uint32_t removed, const wchar_t* insertion,
                uint32_t insertedLength);
