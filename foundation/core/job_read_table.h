// Tables that a job reads without a lock while the GUI thread adds to them: the field references of the file
// list's columns (read by a listing's field values and sort) and the file-type names (read by the type sort). The
// block of such a table never moves while a job runs: a record goes into the room the block has, and the block
// grows only while no job is busy, with jobs held off until it has moved.
#pragma once
#include <cstdint>

#include "foundation/core/record_buffer.h"

// Appends n bytes as one record of such a table (a buffer with the grow-here flag clear). 0 on success; 1 when
// the record cannot be stored: no memory, or no room left while a job runs. Nothing changes then, and the same
// record may be stored once the job has ended.
int AppendToJobReadTable(RecordBuffer* table, const void* record, uint32_t n);
