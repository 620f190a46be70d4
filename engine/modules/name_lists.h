// Lists of new names in files, shared by the CSV and Text modules: the list file read whole and split into
// lines, the loaded entries kept in one block with an index, the step's text form (the key, the list path and
// the comment) and what a list entry does to a name.
//
// A list file is UTF-16 with its mark (FF FE, or FE FF for big-endian), UTF-8 with its mark, UTF-16 without a
// mark when every second byte is zero, UTF-8 without a mark when all of it is valid UTF-8, and otherwise 8-bit
// text in the active code page.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"
#include "foundation/core/record_buffer.h"
#include "foundation/files/paths.h"

// Capacity of a list path as stored in a step, terminator included.
constexpr int kListPathCapacity = kPathCapacity;
// Capacity of one entry, terminator included: a name part may take 1023 characters.
constexpr int kListEntryCapacity = kApplyPartCapacity;

// A list file's whole text as wide characters.
struct ListFileText {
  wchar_t* text;      // owned; null when nothing was read
  uint32_t length;    // characters, zeros inside included
  uint32_t position;  // where the next line begins
};

// Where lines end. kEveryBreak: at LF, CR LF, a lone CR or a zero, so an empty line is a line. kRunOfBreaks:
// at the first CR, LF or zero, and every CR, LF and zero after it goes too, so blank lines give nothing (only
// a blank first line gives an empty line).
enum class ListLineEnds { kEveryBreak, kRunOfBreaks };

// Reads the list file of a stored path (placeholders expanded, a path beginning with ".." taken relative to the
// program's folder). False for an empty path or a file that cannot be read; `file` is then empty.
bool ReadListFile(const wchar_t* storedPath, ListFileText* file);

// The next line into `line`, cut to the capacity; false when no line is left.
bool NextListLine(ListFileText* file, ListLineEnds ends, wchar_t* line, int capacity);

void FreeListFile(ListFileText* file);

// Entries one after another, each zero-terminated, with the offset where each begins.
struct EntryBlock {
  wchar_t* text;
  uint32_t* starts;
};

struct EntryBlockBuilder {
  RecordBuffer text;
  RecordBuffer starts;
};

void InitEntryBlockBuilder(EntryBlockBuilder* builder);
// False without memory; the builder is then only good for freeing.
bool AppendEntry(EntryBlockBuilder* builder, const wchar_t* entry);
// Moves the appended entries into `block` (one allocation for the texts, one for the offsets) and empties the
// builder. False when nothing was appended or memory could not be had; `block` is then empty.
bool FinishEntryBlock(EntryBlockBuilder* builder, EntryBlock* block);
void FreeEntryBlockBuilder(EntryBlockBuilder* builder);
void FreeEntryBlock(EntryBlock* block);

// Entry `index` of a block; the caller keeps the index below the count it appended.
const wchar_t* EntryAt(const EntryBlock* block, uint32_t index);

// The whole new name becomes the entry: the name part takes it (cut to 1023 characters) with every character
// a file name cannot hold turned into '_', and the extension part is emptied, so an entry carries its own
// extension.
void TakeListEntry(const wchar_t* entry, ModuleApplyRecord* record);

#pragma pack(push, 1)
// The settings every list step begins with; each module appends its loaded entries.
struct ListStepHead {
  ModuleInstance header;
  uint32_t counter;     // files seen in this pass; set to 0 by prepare
  uint32_t entryCount;  // entries loaded
  wchar_t path[kListPathCapacity];  // as stored, placeholders allowed
  wchar_t comment[kStepCommentCapacity];
};
#pragma pack(pop)
static_assert(sizeof(ListStepHead) == 8 + 4 + 4 + 2 * kListPathCapacity + 2 * kStepCommentCapacity,
              "list step layout");

// A new record of `size` bytes: all zero (an empty path) without a text, else read from the step's text: after
// '<' and the key, ',' and the list path up to the first ';' or '>' (or, for a path holding a ';', the quoted
// path), then the comment part. Null when the text is refused.
ModuleInstance* CreateListStep(const wchar_t* text, uint32_t size);

// Appends the key, ',', the path (quoted when it holds a ';', so that it comes back whole), the comment part
// and '>'. 0, or the negative result of a cut append.
int WriteListStep(const wchar_t* key, const ModuleInstance* settings, wchar_t* text, int capacity);

// The title (UI text `titleId`), and when there is a path, two blanks and the path in double quotes.
void DescribeListStep(int titleId, const ModuleInstance* settings, wchar_t* text, int capacity);

// The comment operation of both list modules.
void GetListStepComment(const ModuleInstance* settings, wchar_t* text, int capacity);

// The prepare operation's frame: runs the step's load of its list; when it returned, the pass counts its files
// from 0; when it failed, the count stays as it was.
void PrepareListStep(void (*load)(ModuleInstance* settings), ModuleInstance* settings);
