// Lists of new names in files, shared by the CSV and Text modules: the list file read line by line, the
// loaded entries kept in one block with an index, the step's text form (the key, the list path and the
// comment) and what a list entry does to a name.
//
// A list file is UTF-16 with its mark (FF FE, or FE FF for big-endian), UTF-8 with its mark, UTF-16 without a
// mark when every second byte of its beginning is zero, and otherwise 8-bit text: a line that is valid UTF-8
// is read as UTF-8, any other in the active code page.
//
// A list is read only when its file changed since the last pass (its path, size or time), and a sequence only
// up to the number of listed files, so a large list file costs neither memory nor time at every pass. A read
// that may take long (a large lookup list) runs only on a job's worker thread, where the job shows its progress
// and Stop ends it.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"
#include "foundation/core/record_buffer.h"
#include "foundation/files/file_records.h"
#include "foundation/files/paths.h"

// Capacity of one entry, terminator included: a name part may take 1023 characters.
constexpr int kListEntryCapacity = kApplyPartCapacity;

// A list file open for reading by line.
struct ListFile {
  BufferedFile file;
  uint32_t lines;  // lines given so far
};

// Where lines end. kEveryBreak: at LF, CR LF, a lone CR or a zero, so an empty line is a line. kRunOfBreaks:
// at the first CR, LF or zero, and every CR, LF and zero after it goes too, so blank lines give nothing (only
// a blank first line gives an empty line).
enum class ListLineEnds { kEveryBreak, kRunOfBreaks };

// Opens the list file of a stored path (placeholders expanded, a path beginning with ".." taken relative to the
// program's folder). False for an empty path or a file that cannot be opened.
bool OpenListFile(const wchar_t* storedPath, ListFile* list);

// The next line into `line`, cut to the capacity; false when no line is left.
bool NextListLine(ListFile* list, ListLineEnds ends, wchar_t* line, int capacity);

void CloseListFile(ListFile* list);

// The bytes of the file read so far, and the file's size.
uint64_t ListFileBytesRead(const ListFile* list);
uint64_t ListFileSize(const ListFile* list);

// True on a job's worker thread, where a read may take long: a busy job runs there and the GUI thread is free.
bool MayReadLongHere();

// One read that may take long: its progress shown as the job's, and the Stops that came before it began.
struct LongRead {
  const ListFile* file;
  uint64_t size;
  LONG stopsBefore;
  uint32_t shownPercent;
};
void BeginLongRead(LongRead* read, const ListFile* file);
// Shows how far the read has come; false once the job was asked to stop since the read began.
bool LongReadGoesOn(LongRead* read);

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
// The list file a step loaded last.
struct ListFileStamp {
  uint64_t pathHash;  // of the expanded path; 0 when nothing is loaded
  uint64_t size;
  uint64_t written;   // last-write time
  uint32_t wanted;    // lines asked for
  uint32_t read;      // what the load made of the file: a ListRead
};

// The settings every list step begins with; each module appends its loaded entries.
struct ListStepHead {
  ModuleInstance header;
  uint32_t counter;     // files seen in this pass; set to 0 by prepare
  uint32_t entryCount;  // entries loaded
  wchar_t path[kPathCapacity];  // as stored, placeholders allowed
  wchar_t comment[kStepCommentCapacity];
  ListFileStamp loaded;
};
#pragma pack(pop)
static_assert(sizeof(ListStepHead) ==
                  8 + 4 + 4 + 2 * kPathCapacity + 2 * kStepCommentCapacity + sizeof(ListFileStamp),
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

// What a step's load made of its list file: nothing, the `wanted` lines of a sequence, the whole file, or
// nothing because the job reading it was stopped.
enum class ListRead : uint32_t { kNotRead, kPart, kWhole, kStopped };

// The prepare operation's frame: unless the step holds the list its file holds now (and enough of it), runs
// the step's load with the file's stamp, which reads at most `now.wanted` lines of a sequence (the number of
// listed files); when the load returned, the pass counts its files from 0; when it failed, the count stays as
// it was. A stopped read holds as long as the file is unchanged, except where a read may take long: a job the
// user began (a listing) reads the list again.
using ListLoad = ListRead (*)(ModuleInstance* settings, const ListFileStamp& now);
void PrepareListStep(ListLoad load, ModuleInstance* settings);

// Whether two stamps name the same file with the same size and time.
bool SameListFile(const ListFileStamp& a, const ListFileStamp& b);
