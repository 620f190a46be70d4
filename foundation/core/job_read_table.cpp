#include "foundation/core/job_read_table.h"

#include "foundation/core/jobs.h"

int AppendToJobReadTable(RecordBuffer* table, const void* record, uint32_t n) {
  if (RecordBufferAppendInPlace(table, record, n) == 0) return 0;
  if (!HoldOffJobs()) return 1;
  const int result = RecordBufferAppend(table, record, n);
  EndHoldingOffJobs();
  return result;
}
