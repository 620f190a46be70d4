// The CSV module (key "CSV"): new names from a list file of lines whose fields are separated by ';'. When the
// first line has a second field, every line is a lookup pair: a file whose current name equals the first field
// (ignoring case) gets the second. Otherwise the list is a sequence: the n-th file of a pass gets the first
// field of the n-th line. The list is read again at the start of a pass when its file changed.
//
// A lookup list larger than a few megabytes takes long to read. On a job's worker (the preview pass of a
// listing) it is read there; on the GUI thread a step of the chain has it read by a job of its own, with
// progress and Stop, and leaves the names alone until the job has handed it the table (the job's end then
// shows the preview anew); a step outside the chain (a dialog's preview) does not read it. A step whose list
// file another step of the chain holds, unchanged, shares that step's table instead of reading the file.
// Only the GUI thread starts such a job, hands its table over and frees steps.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"
#include "engine/modules/lookup_table.h"
#include "engine/modules/name_lists.h"

struct CsvListJob;

#pragma pack(push, 1)
struct CsvSettings {
  ListStepHead list;
  EntryBlock names;     // the first fields in sequence mode; empty in lookup mode
  LookupTable* lookup;  // the lines in lookup mode; null in sequence mode
  CsvListJob* reading;  // the job reading the step's lookup list; null when none
};
#pragma pack(pop)
static_assert(sizeof(CsvSettings) == sizeof(ListStepHead) + 16 + 8 + 8, "CSV settings layout");

// The size above which a lookup list is read only where a read may take long; returns the previous one.
// Tests lower it to see the job without a large file.
uint64_t SetLongLookupListBytes(uint64_t bytes);

// Its settings dialog.
extern const ModuleDialog kCsvDialog;
extern const ModuleDescriptor kCsvModule;
