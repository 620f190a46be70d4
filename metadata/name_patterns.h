// New names built from metadata by a pattern: literal text with field references in double quotes. Each
// reference is replaced by the field's text for the file at hand; the caller's reader says which references
// name a field and gives their texts. A quote that opens no field reference (an unknown name, or no closing
// quote) is dropped and its text read on as literal text. The result has every character that a file name
// cannot hold (control characters included) replaced by '_'.
#pragma once
#include "foundation/text/text_sizes.h"

// Capacity of a result and of one field's text, terminator included.

// Reads the field that `reference` (the text between the quotes) names into `value` (capacity
// kPatternCapacity): false when it names no field. A field without a value gives true and an empty text.
using NameFieldReader = bool (*)(const wchar_t* reference, wchar_t* value, void* context);

// Expands `pattern` and copies the result into `out` when it is not empty; an empty result leaves `out`
// unchanged. A field without a value is left out, so a pattern none of whose fields has a value gives its
// literal text alone. 0; -1 (`out` unchanged) when `failOnEmpty` is set and a field has no value.
int ExpandNamePattern(const wchar_t* pattern, bool failOnEmpty, NameFieldReader read, void* context, wchar_t* out,
                      int capacity);
