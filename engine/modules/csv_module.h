// The CSV module (key "CSV"): new names from a list file of lines whose fields are separated by ';'. When the
// first line has a second field, every line is a lookup pair: a file whose current name equals the first field
// (ignoring case) gets the second. Otherwise the list is a sequence: the n-th file of a pass gets the first
// field of the n-th line. The list is read again at the start of every pass.
#pragma once
#include <cstdint>

#include "engine/module_contract.h"
#include "engine/modules/name_lists.h"
#include "foundation/core/hash_slots.h"

#pragma pack(push, 1)
struct CsvSettings {
  ListStepHead list;
  EntryBlock keys;   // the first fields in lookup mode; empty in sequence mode
  EntryBlock names;  // the second fields in lookup mode, the first ones in sequence mode
  HashSlots lookup;  // key hash -> the first line with that key; empty in sequence mode
};
#pragma pack(pop)
static_assert(sizeof(CsvSettings) == sizeof(ListStepHead) + 16 + 16 + 16, "CSV settings layout");

// Its settings dialog.
extern const ModuleDialog kCsvDialog;
extern const ModuleDescriptor kCsvModule;
